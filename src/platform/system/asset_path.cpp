#include "platform/system/asset_path.h"

#include <SDL.h>
#include <unistd.h>

#include <climits>
#include <vector>

#ifndef ZF_APP_ID
#define ZF_APP_ID "net.zorbly.ZorblyFrondles"
#endif
#ifndef ZF_DATA_DIR
#define ZF_DATA_DIR "/usr/local/share/" ZF_APP_ID
#endif

namespace {

// Adds the folder unless it is one already listed, by another name or by the same: the
// game run from its own folder looks there once.
void AddFolder(std::vector<std::string>* folders, std::vector<std::string>* real,
               const std::string& folder) {
  char resolved[PATH_MAX];
  const std::string same = realpath(folder.c_str(), resolved) ? resolved : folder;
  for (const std::string& known : *real) {
    if (known == same) return;
  }
  folders->push_back(folder);
  real->push_back(same);
}

std::vector<std::string> Folders() {
  std::vector<std::string> folders, real;
  char workingDir[4096];
  AddFolder(&folders, &real,
            getcwd(workingDir, sizeof workingDir) ? std::string(workingDir) + "/" : "./");
  std::string programFolder;
  if (char* base = SDL_GetBasePath()) {
    programFolder = base;
    SDL_free(base);
    AddFolder(&folders, &real, programFolder);
  }
  AddFolder(&folders, &real, std::string(ZF_DATA_DIR) + "/");
  // An installed tree moved elsewhere as a whole still finds its data beside bin/.
  if (!programFolder.empty()) AddFolder(&folders, &real, programFolder + "../share/" ZF_APP_ID "/");
  return folders;
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

}  // namespace

std::string AssetPath(const char* fileName) {
  if (!fileName || !*fileName) return std::string();
  if (Exists(fileName)) return fileName;
  // A path of its own is looked for nowhere else.
  if (fileName[0] == '/') return std::string();
  for (const std::string& folder : Folders()) {
    const std::string path = folder + fileName;
    if (Exists(path)) return path;
  }
  return std::string();
}

std::string AssetFolders() {
  std::string joined;
  for (const std::string& folder : Folders()) {
    if (!joined.empty()) joined += ", ";
    joined += folder;
  }
  return joined;
}
