#pragma once
// Where an installed font face lives, found by its name through fontconfig.
#include <cstdint>
#include <string>

struct FontFile {
  std::string path;
  int index = 0;       // face within the file
  std::string style;   // the face's own style name, such as "Bold"
};

// A face name is a family, optionally followed by style words: "Arial Bold". The face
// is found when the family itself, or a family the font configuration names as its
// stand-in (Liberation Sans for Arial), is installed; an unrelated fallback face is not
// a find. Weight (0: any) and italic narrow the choice within the family.
bool FindFontFace(const char* faceName, uint32_t weight, bool italic, FontFile* file);
