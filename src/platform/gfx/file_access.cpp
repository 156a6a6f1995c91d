#include "platform/gfx/file_access.h"

#include <unistd.h>

#include <algorithm>

std::string NativePath(const char* path) {
  std::string native = path ? path : "";
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}

int AccessFile(const char* path, int mode) {
  if (!path || (mode & ~(ACCESS_WRITE | ACCESS_READ)) != 0) return -1;
  int wanted = F_OK;
  if (mode & ACCESS_WRITE) wanted |= W_OK;
  if (mode & ACCESS_READ) wanted |= R_OK;
  return access(NativePath(path).c_str(), wanted) == 0 ? 0 : -1;
}
