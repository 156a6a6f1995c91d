#include "gfx/file_paths.h"

#include <algorithm>

#include "platform/gfx/file_access.h"

bool FileExists(const std::string& path) { return AccessFile(path.c_str(), ACCESS_EXISTS) != -1; }

bool FindFile(std::string* path) {
  if (!path) return false;
  if (FileExists(*path)) return true;
  std::string fileName;
  SplitPath(*path, nullptr, &fileName);
  if (!FileExists(fileName)) return false;
  *path = fileName;
  return true;
}

void SplitPath(const std::string& fullPath, std::string* directory, std::string* fileName) {
  std::string path = fullPath;
  std::replace(path.begin(), path.end(), '\\', '/');
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    if (directory) directory->clear();
    if (fileName) *fileName = path;
    return;
  }
  if (directory) *directory = path.substr(0, slash);
  if (fileName) *fileName = path.substr(slash + 1);
}
