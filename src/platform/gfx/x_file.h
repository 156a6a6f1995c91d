#pragma once
// The .x file format, text and binary, read into its data objects: each a type, a name,
// the numbers and strings it holds in order, and the objects and references inside it.
// Templates are passed over; what the objects mean is the mesh loader's business.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What one load may hold at once, the file's own bytes included: a few bytes of .x can
// ask for far more (a reference places a whole mesh again), so a file that would need
// more is refused before it is held.
constexpr uint64_t X_BUDGET_PER_FILE_BYTE = 8;
constexpr uint64_t X_BUDGET_FIXED = uint64_t{32} << 20;

struct XBudget {
  uint64_t limit = 0;
  uint64_t used = 0;
  uint64_t peak = 0;

  explicit XBudget(uint64_t fileSize) : limit(fileSize * X_BUDGET_PER_FILE_BYTE + X_BUDGET_FIXED) {}
  // False, with the reason in *problem, when `bytes` more would pass the limit.
  bool Take(uint64_t bytes, std::string* problem);
  void Give(uint64_t bytes) { used -= bytes < used ? bytes : used; }
};

// Appends to a vector whose storage is on the budget. A growth is taken before the old
// storage is given back: both are held while the items move.
template <typename T>
bool AppendOnBudget(std::vector<T>* items, T item, XBudget* budget, std::string* problem) {
  if (items->size() == items->capacity()) {
    const size_t before = items->capacity();
    const size_t grown = before < 4 ? 4 : before * 2;
    if (!budget->Take(uint64_t{grown} * sizeof(T), problem)) return false;
    items->reserve(grown);
    budget->Give(uint64_t{before} * sizeof(T));
  }
  items->push_back(std::move(item));
  return true;
}

struct XObject {
  // Views into the file's bytes, which outlive the objects.
  std::string_view type;  // "Mesh", "Frame", ...; empty for a reference to a named object
  std::string_view name;  // may be empty, except for a reference
  // The object's own members, flattened: separators, GUIDs and nesting of arrays are
  // gone, as the loader reads them by its own counts.
  std::vector<double> numbers;
  std::vector<std::string_view> strings;
  std::vector<XObject> children;
};

// Objects nested deeper than this make a file refused rather than the stack overrun.
constexpr int X_NESTING_LIMIT = 64;
// More objects than this (references included) make a file refused.
constexpr size_t X_OBJECT_LIMIT = size_t{1} << 17;

// Reads the whole file (header included), holding what it reads on the budget. False,
// with one line of reason in *problem, when the bytes are not a text or binary .x file
// with 32- or 64-bit floats, break its grammar anywhere or pass the budget; every number
// read is finite.
bool ReadXFile(const char* bytes, size_t size, XBudget* budget, std::vector<XObject>* objects,
               std::string* problem);
