#pragma once
// The .x file format, text and binary, read into its data objects: each a type, a name,
// the numbers and strings it holds in order, and the objects and references inside it.
// Templates are passed over; what the objects mean is the mesh loader's business.
#include <cstddef>
#include <string>
#include <vector>

struct XObject {
  std::string type;  // "Mesh", "Frame", ...; empty for a reference to a named object
  std::string name;  // may be empty, except for a reference
  // The object's own members, flattened: separators, GUIDs and nesting of arrays are
  // gone, as the loader reads them by its own counts.
  std::vector<double> numbers;
  std::vector<std::string> strings;
  std::vector<XObject> children;
};

// Objects nested deeper than this make a file refused rather than the stack overrun.
constexpr int X_NESTING_LIMIT = 64;
// More objects than this (references included) make a file refused: each takes far more
// memory than the few bytes that write it.
constexpr size_t X_OBJECT_LIMIT = size_t{1} << 17;

// Reads the whole file (header included). False, with one line of reason in *problem,
// when the bytes are not a text or binary .x file with 32- or 64-bit floats, or break
// its grammar anywhere; every number read is finite.
bool ReadXFile(const char* bytes, size_t size, std::vector<XObject>* objects, std::string* problem);
