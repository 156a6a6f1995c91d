#include "platform/gfx/font_face.h"

#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// fontconfig 2.14 loses a few bytes, once per process, while it parses its own
// configuration; the leak check should not fail the game for that. This is the program's
// one list.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

namespace {

enum class StyleKind { Weight, Width, Slant };

struct StyleWord {
  const char* word;
  StyleKind kind;
  int value;
};

constexpr StyleWord STYLE_WORDS[] = {
    {"Thin", StyleKind::Weight, FC_WEIGHT_THIN},
    {"Hairline", StyleKind::Weight, FC_WEIGHT_THIN},
    {"ExtraLight", StyleKind::Weight, FC_WEIGHT_EXTRALIGHT},
    {"UltraLight", StyleKind::Weight, FC_WEIGHT_EXTRALIGHT},
    {"Light", StyleKind::Weight, FC_WEIGHT_LIGHT},
    {"SemiLight", StyleKind::Weight, FC_WEIGHT_DEMILIGHT},
    {"DemiLight", StyleKind::Weight, FC_WEIGHT_DEMILIGHT},
    {"Book", StyleKind::Weight, FC_WEIGHT_BOOK},
    {"Regular", StyleKind::Weight, FC_WEIGHT_REGULAR},
    {"Normal", StyleKind::Weight, FC_WEIGHT_REGULAR},
    {"Medium", StyleKind::Weight, FC_WEIGHT_MEDIUM},
    {"Semibold", StyleKind::Weight, FC_WEIGHT_DEMIBOLD},
    {"Demibold", StyleKind::Weight, FC_WEIGHT_DEMIBOLD},
    {"Bold", StyleKind::Weight, FC_WEIGHT_BOLD},
    {"ExtraBold", StyleKind::Weight, FC_WEIGHT_EXTRABOLD},
    {"UltraBold", StyleKind::Weight, FC_WEIGHT_EXTRABOLD},
    {"Black", StyleKind::Weight, FC_WEIGHT_BLACK},
    {"Heavy", StyleKind::Weight, FC_WEIGHT_BLACK},
    {"UltraCondensed", StyleKind::Width, FC_WIDTH_ULTRACONDENSED},
    {"ExtraCondensed", StyleKind::Width, FC_WIDTH_EXTRACONDENSED},
    {"Condensed", StyleKind::Width, FC_WIDTH_CONDENSED},
    {"Narrow", StyleKind::Width, FC_WIDTH_CONDENSED},
    {"SemiCondensed", StyleKind::Width, FC_WIDTH_SEMICONDENSED},
    {"SemiExpanded", StyleKind::Width, FC_WIDTH_SEMIEXPANDED},
    {"Expanded", StyleKind::Width, FC_WIDTH_EXPANDED},
    {"ExtraExpanded", StyleKind::Width, FC_WIDTH_EXTRAEXPANDED},
    {"Italic", StyleKind::Slant, FC_SLANT_ITALIC},
    {"Oblique", StyleKind::Slant, FC_SLANT_OBLIQUE},
};

const StyleWord* FindStyleWord(const std::string& word) {
  for (const StyleWord& style : STYLE_WORDS) {
    if (strcasecmp(word.c_str(), style.word) == 0) return &style;
  }
  return nullptr;
}

std::vector<std::string> SplitWords(const char* text) {
  std::vector<std::string> words;
  std::string word;
  for (const char* c = text; *c; ++c) {
    if (*c == ' ' || *c == '\t') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += *c;
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

std::string JoinWords(const std::vector<std::string>& words, size_t begin, size_t end) {
  std::string joined;
  for (size_t i = begin; i < end; ++i) {
    if (!joined.empty()) joined += ' ';
    joined += words[i];
  }
  return joined;
}

bool IsInstalledFamily(const std::string& family) {
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  bool installed = false;
  if (pattern && objects) {
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    installed = fonts && fonts->nfont > 0;
    if (fonts) FcFontSetDestroy(fonts);
  }
  if (objects) FcObjectSetDestroy(objects);
  if (pattern) FcPatternDestroy(pattern);
  return installed;
}

std::string StringOf(FcPattern* pattern, const char* object) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch) return "";
  return reinterpret_cast<const char*>(value);
}

int IntegerOf(FcPattern* pattern, const char* object, int fallback) {
  int value = fallback;
  FcPatternGetInteger(pattern, object, 0, &value);
  return value;
}

}  // namespace

FaceRequest ParseFaceName(const char* faceName, uint32_t weight, bool italic) {
  FaceRequest request;
  const std::vector<std::string> words = SplitWords(faceName ? faceName : "");
  size_t familyEnd = words.size();
  while (familyEnd > 1 && FindStyleWord(words[familyEnd - 1])) --familyEnd;
  // Some families carry a style word in their own name.
  if (familyEnd < words.size() && IsInstalledFamily(JoinWords(words, 0, words.size()))) {
    familyEnd = words.size();
  }
  request.family = JoinWords(words, 0, familyEnd);
  for (size_t i = familyEnd; i < words.size(); ++i) {
    const StyleWord* style = FindStyleWord(words[i]);
    if (style->kind == StyleKind::Weight) request.weight = style->value;
    if (style->kind == StyleKind::Width) request.width = style->value;
    if (style->kind == StyleKind::Slant) request.italic = true;
  }
  if (request.weight < 0 && weight != 0) {
    request.weight = FcWeightFromOpenType(static_cast<int>(weight));
  }
  request.italic = request.italic || italic;
  return request;
}

bool FindFontFace(const FaceRequest& request, FontFile* file) {
  if (!file) return false;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  // No family at all leaves the choice to the configuration's default.
  if (!request.family.empty()) {
    FcPatternAddString(pattern, FC_FAMILY,
                       reinterpret_cast<const FcChar8*>(request.family.c_str()));
  }
  if (request.weight >= 0) FcPatternAddInteger(pattern, FC_WEIGHT, request.weight);
  if (request.width >= 0) FcPatternAddInteger(pattern, FC_WIDTH, request.width);
  if (request.italic) FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ITALIC);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);

  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  file->path = StringOf(match, FC_FILE);
  file->index = IntegerOf(match, FC_INDEX, 0);
  file->family = StringOf(match, FC_FAMILY);
  file->style = StringOf(match, FC_STYLE);
  file->weight = IntegerOf(match, FC_WEIGHT, FC_WEIGHT_REGULAR);
  file->width = IntegerOf(match, FC_WIDTH, FC_WIDTH_NORMAL);
  file->slanted = IntegerOf(match, FC_SLANT, FC_SLANT_ROMAN) != FC_SLANT_ROMAN;
  // The configuration may mark a face to be made bold or slanted (and then reports the
  // weight and slant it will have); else what the face lacks is added all the same.
  FcBool embolden = FcFalse;
  FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden);
  FcMatrix* matrix = nullptr;
  const bool sheared = FcPatternGetMatrix(match, FC_MATRIX, 0, &matrix) == FcResultMatch &&
                       matrix && matrix->xy != 0.0;
  file->addBold =
      embolden || (request.weight >= FC_WEIGHT_DEMIBOLD && file->weight < FC_WEIGHT_DEMIBOLD);
  file->addSlant = sheared || (request.italic && !file->slanted);
  FcPatternDestroy(match);
  return !file->path.empty();
}
