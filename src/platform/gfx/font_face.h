#pragma once
// Where the face for a font name lives, chosen through fontconfig.
#include <cstdint>
#include <string>

// What a face name asks for: "Arial Bold Italic" is the family "Arial" with a weight and a
// slant. Weights and widths are fontconfig's scales (FC_WEIGHT_*, FC_WIDTH_*).
struct FaceRequest {
  std::string family;
  int weight = -1;  // -1: any
  int width = -1;
  bool italic = false;
};

struct FontFile {
  std::string path;
  int index = 0;       // face within the file
  std::string family;  // the face's own names, such as "DejaVu Sans" and "Bold"
  std::string style;
  int weight = 0;
  int width = 0;
  bool slanted = false;  // italic or oblique
  // What the face lacks of the request, for the renderer to add.
  bool addBold = false;
  bool addSlant = false;
};

// Splits a name into its family and the style words at its end (Thin, ExtraLight, Light,
// Book, Regular, Medium, Semibold, Bold, ExtraBold, Black, Heavy, Condensed, Expanded and
// the like, Italic, Oblique). A name that is itself an installed family, style words and
// all ("DejaVu Sans Light"), stays whole. A non-zero `weight` (100 to 900) and `italic`
// apply where the words say nothing.
FaceRequest ParseFaceName(const char* faceName, uint32_t weight, bool italic);

// The installed face that fontconfig finds nearest to the request: the family itself,
// the stand-in the configuration names for it, or else the configuration's default face.
// False only when no face at all can be found.
bool FindFontFace(const FaceRequest& request, FontFile* file);
