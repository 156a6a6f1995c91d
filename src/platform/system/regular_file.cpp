#include "platform/system/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

FileRead ReadRegularFile(const char* path, size_t maxBytes, std::string* bytes, int* error) {
  bytes->clear();
  *error = 0;
  const int file = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (file < 0) {
    *error = errno;
    return *error == ENOENT ? FileRead::Missing : FileRead::Failed;
  }
  struct stat info {};
  FileRead result = FileRead::Read;
  if (fstat(file, &info) != 0) {
    *error = errno;
    result = FileRead::Failed;
  } else if (!S_ISREG(info.st_mode)) {
    result = FileRead::NotRegular;
  } else if (static_cast<unsigned long long>(info.st_size) > maxBytes) {
    result = FileRead::TooLarge;
  }
  // The size may change while it is read: never more than the cap plus one byte.
  char chunk[1 << 16];
  while (result == FileRead::Read) {
    const ssize_t got = read(file, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      *error = errno;
      result = FileRead::Failed;
    } else if (got == 0) {
      break;
    } else if (bytes->size() + static_cast<size_t>(got) > maxBytes) {
      result = FileRead::TooLarge;
    } else {
      bytes->append(chunk, static_cast<size_t>(got));
    }
  }
  close(file);
  if (result != FileRead::Read) bytes->clear();
  return result;
}

std::string FileReadProblem(FileRead result, int error, size_t maxBytes) {
  switch (result) {
    case FileRead::Read: return "it was read";
    case FileRead::Missing: return "it does not exist";
    case FileRead::NotRegular: return "it is not a regular file";
    case FileRead::TooLarge: return "it is larger than " + std::to_string(maxBytes) + " bytes";
    case FileRead::Failed: break;
  }
  return std::strerror(error);
}
