#include "platform/gfx/font_face.h"

#include <fontconfig/fontconfig.h>

#include <cstring>
#include <strings.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// fontconfig 2.14 loses a few bytes, once per process, while it parses its own
// configuration; the leak check should not fail the game for that.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

namespace {

const char* const STYLE_WORDS[] = {"Regular", "Book",      "Normal",     "Bold",
                                   "Italic",  "Oblique",   "Light",      "Medium",
                                   "Black",   "Heavy",     "Thin",       "Semibold",
                                   "Demibold", "ExtraBold", "ExtraLight", "Condensed"};

bool IsStyleWord(const std::string& word) {
  for (const char* style : STYLE_WORDS) {
    if (strcasecmp(word.c_str(), style) == 0) return true;
  }
  return false;
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

// Matches family (and style) and reports whether what came back is that family or one
// the configuration binds to it as strongly as the name itself.
bool MatchFace(const std::string& family, const std::string& style, uint32_t weight, bool italic,
               FontFile* file) {
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  if (!style.empty()) {
    FcPatternAddString(pattern, FC_STYLE, reinterpret_cast<const FcChar8*>(style.c_str()));
  }
  if (weight != 0) {
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(static_cast<int>(weight)));
  }
  if (italic) FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ITALIC);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);

  std::vector<std::string> wanted;
  FcValue value;
  FcValueBinding binding;
  for (int i = 0; FcPatternGetWithBinding(pattern, FC_FAMILY, i, &value, &binding) == FcResultMatch;
       ++i) {
    if (binding != FcValueBindingWeak && value.type == FcTypeString) {
      wanted.emplace_back(reinterpret_cast<const char*>(value.u.s));
    }
  }

  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;

  bool found = false;
  FcChar8* matchFamily = nullptr;
  for (int i = 0; !found && FcPatternGetString(match, FC_FAMILY, i, &matchFamily) == FcResultMatch;
       ++i) {
    for (const std::string& name : wanted) {
      if (FcStrCmpIgnoreCase(matchFamily, reinterpret_cast<const FcChar8*>(name.c_str())) == 0) {
        found = true;
        break;
      }
    }
  }
  FcChar8* path = nullptr;
  if (found && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
    file->path = reinterpret_cast<const char*>(path);
    int index = 0;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    file->index = index;
    FcChar8* faceStyle = nullptr;
    file->style = FcPatternGetString(match, FC_STYLE, 0, &faceStyle) == FcResultMatch
                      ? reinterpret_cast<const char*>(faceStyle)
                      : "";
  } else {
    found = false;
  }
  FcPatternDestroy(match);
  return found;
}

}  // namespace

bool FindFontFace(const char* faceName, uint32_t weight, bool italic, FontFile* file) {
  if (!faceName || !file) return false;
  const std::vector<std::string> words = SplitWords(faceName);
  if (words.empty()) return false;
  // Some families carry a style word in their own name ("DejaVu Sans Light").
  if (MatchFace(JoinWords(words, 0, words.size()), "", weight, italic, file)) return true;
  size_t familyEnd = words.size();
  while (familyEnd > 1 && IsStyleWord(words[familyEnd - 1])) --familyEnd;
  if (familyEnd == words.size()) return false;
  return MatchFace(JoinWords(words, 0, familyEnd), JoinWords(words, familyEnd, words.size()),
                   weight, italic, file);
}
