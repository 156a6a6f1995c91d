#include "platform/system/player_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/system/regular_file.h"

namespace {

std::string Unusable(const char* variable, const char* value) {
  return std::string(variable) + (value && *value ? " is not an absolute path" : " is not set");
}

// The game's folder in the desktop's folder named by the variable, else in the home's.
std::string PlayerFolder(const char* variable, const char* inHome, std::string* why) {
  const char* named = std::getenv(variable);
  if (named && named[0] == '/') return std::string(named) + "/zorbly-frondles";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + inHome + "/zorbly-frondles";
  if (!why) return std::string();
  if ((named && *named) || (home && *home)) {
    *why = Unusable(variable, named) + " and " + Unusable("HOME", home);
  } else {
    *why = std::string("neither ") + variable + " nor HOME is set";
  }
  return std::string();
}

WriteStep faultStep = WriteStep::Count;
WriteFault faultKind = WriteFault::Nothing;

bool WriteAll(int file, const char* bytes, size_t count) {
  for (size_t done = 0; done < count;) {
    const ssize_t wrote = write(file, bytes + done, count - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0) return false;
    done += static_cast<size_t>(wrote);
  }
  return true;
}

bool FlushFolder(const std::string& folder) {
  const int handle = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle < 0) return false;
  // A filesystem that cannot flush a folder has nothing more to flush there.
  const bool flushed = fsync(handle) == 0 || errno == EINVAL;
  const int error = errno;
  close(handle);
  errno = error;
  return flushed;
}

// One write's progress, so that a failure at any step undoes what the steps before did.
class Attempt {
 public:
  Attempt(const std::string& path, const std::string& bytes, std::string* why)
      : path_(path), bytes_(bytes), why_(why) {
    const size_t slash = path.rfind('/');
    prefix_ = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    name_ = path.substr(prefix_.size());
    folder_ = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  }

  bool Run() {
    return Step(WriteStep::Folder, "cannot make its folder", [this] { return MakeFolder(); }) &&
           Step(WriteStep::Create, "cannot make a file beside it", [this] { return Create(); }) &&
           Step(WriteStep::Write, "cannot write it",
                [this] { return WriteAll(file_, bytes_.data(), bytes_.size()); }) &&
           Step(WriteStep::Flush, "cannot flush it to disk",
                [this] { return fsync(file_) == 0; }) &&
           Step(WriteStep::Close, "cannot write it",
                [this] { return close(std::exchange(file_, -1)) == 0; }) &&
           Step(WriteStep::Rename, "cannot put it in place", [this] { return PutInPlace(); }) &&
           Step(WriteStep::FlushFolder, "cannot flush its folder to disk",
                [this] { return FlushFolder(folder_); });
  }

 private:
  template <typename Run>
  bool Step(WriteStep step, const char* what, Run run) {
    const WriteFault fault = step == faultStep ? faultKind : WriteFault::Nothing;
    if (fault == WriteFault::Die) return Die(step);
    errno = 0;
    if (fault == WriteFault::Nothing && run()) return true;
    const int error = fault == WriteFault::Fail ? ENOSPC : errno != 0 ? errno : EIO;
    if (file_ >= 0) close(file_);
    if (!temporary_.empty()) unlink(temporary_.c_str());
    *why_ = std::string(what) + ": " + std::strerror(error);
    return false;
  }

  // The process ends at the step: the system closes its file, and nothing else happens.
  bool Die(WriteStep step) {
    if (step == WriteStep::Write) WriteAll(file_, bytes_.data(), bytes_.size() / 2);
    if (file_ >= 0) close(file_);
    *why_ = "ended at a step";
    return false;
  }

  bool MakeFolder() {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    errno = error.value();
    return !error;
  }

  // Named for this process and its count of writes, so that no other game, and no other
  // write of this one, makes the same; one left by a game that died is passed over.
  bool Create() {
    static std::atomic<unsigned> count{0};
    for (int tries = 0; tries < 100; ++tries) {
      const std::string temporary = prefix_ + "." + name_ + "." + std::to_string(getpid()) + "-" +
                                    std::to_string(count++) + ".new";
      file_ = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
      if (file_ >= 0) temporary_ = temporary;
      if (file_ >= 0 || errno != EEXIST) return file_ >= 0;
    }
    return false;
  }

  bool PutInPlace() {
    if (rename(temporary_.c_str(), path_.c_str()) != 0) return false;
    temporary_.clear();
    return true;
  }

  const std::string& path_;
  const std::string& bytes_;
  std::string* why_;
  std::string prefix_;  // the folder as the path names it, with its slash
  std::string name_;
  std::string folder_;
  std::string temporary_;
  int file_ = -1;
};

}  // namespace

std::string ConfigFolder(std::string* why) {
  return PlayerFolder("XDG_CONFIG_HOME", "/.config", why);
}

std::string StateFolder(std::string* why) {
  return PlayerFolder("XDG_STATE_HOME", "/.local/state", why);
}

PlayerFileRead ReadPlayerFile(const std::string& path, size_t maxBytes, std::string* bytes,
                              std::string* why) {
  int error = 0;
  const FileRead result = ReadRegularFile(path.c_str(), maxBytes, bytes, &error);
  if (result == FileRead::Read) return PlayerFileRead::Read;
  if (result == FileRead::Missing) return PlayerFileRead::Missing;
  *why = FileReadProblem(result, error, maxBytes);
  return PlayerFileRead::Refused;
}

bool WritePlayerFile(const std::string& path, const std::string& bytes, std::string* why) {
  return Attempt(path, bytes, why).Run();
}

PlayerFolderLock::PlayerFolderLock(const std::string& folder) {
  handle_ = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle_ < 0) return;
  while (flock(handle_, LOCK_EX) != 0 && errno == EINTR) {
  }
}

PlayerFolderLock::~PlayerFolderLock() {
  if (handle_ >= 0) close(handle_);
}

std::string SetPlayerFileAside(const std::string& path, std::string* why) {
  for (int count = 1; count <= 9; ++count) {
    const std::string aside = path + ".damaged" + (count > 1 ? "." + std::to_string(count) : "");
    // A hard link never replaces a file; a directory, which has none, is renamed only
    // where nothing is.
    std::error_code exists;
    if (std::filesystem::symlink_status(aside, exists).type() !=
        std::filesystem::file_type::not_found) {
      continue;
    }
    if ((link(path.c_str(), aside.c_str()) == 0 && unlink(path.c_str()) == 0) ||
        ((errno == EPERM || errno == EISDIR) && rename(path.c_str(), aside.c_str()) == 0)) {
      return aside;
    }
    if (errno != EEXIST) break;
  }
  *why = errno == EEXIST ? "nine are set aside already" : std::strerror(errno);
  return std::string();
}

int ReadKeyValueLines(std::string_view text,
                      const std::function<bool(std::string_view key, std::string_view value,
                                               std::string_view line)>& take) {
  int number = 0;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    const std::string_view raw = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (raw.find('\0') != std::string_view::npos) return number;
    // Blanks around it, and a CR of a file written on another system, are no part of it.
    const size_t last = raw.find_last_not_of(" \t\r");
    if (last == std::string_view::npos) continue;
    const std::string_view line = raw.substr(0, last + 1).substr(raw.find_first_not_of(" \t"));
    if (line[0] == '#') continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos ||
        !take(line.substr(0, equals), line.substr(equals + 1), line)) {
      return number;
    }
  }
  return 0;
}

void SetPlayerFileFault(WriteStep step, WriteFault fault) {
  faultStep = step;
  faultKind = fault;
}
