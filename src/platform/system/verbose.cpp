#include "platform/system/verbose.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/system/asset_path.h"

namespace {
bool verbose = false;

std::string FolderOr(const std::string& folder, const std::string& why) {
  return folder.empty() ? "none (" + why + ")" : folder;
}
}  // namespace

void SetVerbose(bool on) { verbose = on; }
bool Verbose() { return verbose; }

void SayChosen(const char* format, ...) {
  if (!verbose) return;
  std::va_list arguments;
  va_start(arguments, format);
  std::fputs("zorbly-frondles: ", stderr);
  std::vfprintf(stderr, format, arguments);
  std::fputc('\n', stderr);
  va_end(arguments);
}

void SayChosenFolders() {
  if (!verbose) return;
  std::string why;
  const std::string config = ConfigFolder(&why);
  SayChosen("settings in %s", FolderOr(config, why).c_str());
  const std::string state = StateFolder(&why);
  SayChosen("recordings kept in %s", FolderOr(state, why).c_str());
  // The table's wood is the one file every start needs; the others are looked for alike.
  const std::string wood = AssetPath("wood.png");
  const size_t slash = wood.rfind('/');
  std::string files = "nowhere: none of " + AssetFolders();
  std::error_code error;
  if (slash != std::string::npos) files = wood.substr(0, slash + 1);
  else if (!wood.empty()) files = std::filesystem::current_path(error).string() + "/";
  SayChosen("the game's files from %s", files.c_str());
}
