#pragma once
// The files the game keeps for the player (the settings, the records): where they live,
// a bounded read, and a write that leaves the old file or the new one whole whatever
// happens (a crash, a power cut, a full disk, two games at once), never a torn, empty or
// lost one. Bytes in and out, and a reason in a few words for the caller's one line;
// nothing here throws or says anything itself.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// $XDG_CONFIG_HOME/zorbly-frondles, else ~/.config/zorbly-frondles. Only absolute paths
// count, as the desktop's folder rules say. Empty when neither gives a folder; then *why
// says what is true ("XDG_CONFIG_HOME is not an absolute path and HOME is not set").
std::string ConfigFolder(std::string* why = nullptr);
// $XDG_STATE_HOME/zorbly-frondles, else ~/.local/state/zorbly-frondles, by the same rules.
std::string StateFolder(std::string* why = nullptr);

enum class PlayerFileRead { Read, Missing, Refused };

// The whole file into *bytes, when it is a regular file of at most maxBytes, opened
// without blocking. After Refused, *why says what is wrong ("it is not a regular file",
// "it is larger than 4096 bytes", "Too many levels of symbolic links").
PlayerFileRead ReadPlayerFile(const std::string& path, size_t maxBytes, std::string* bytes,
                              std::string* why);

// Puts the bytes in the file's place: written to a temporary of a name no other game
// uses, in the same folder (made first, with its parents), flushed to disk, renamed over
// the file, and the folder flushed. False when that failed: then *why says what failed,
// the temporary is gone and the file is as it was (but after a failed flush of the folder,
// where the new file is in place and may yet be lost to a power cut).
bool WritePlayerFile(const std::string& path, const std::string& bytes, std::string* why);

// Holds a folder of the player's files for one game at a time while it lives (an
// advisory lock, waited for): two games that read, merge and write the same file in turn
// lose neither's change. A folder that cannot be locked is used unlocked.
class PlayerFolderLock {
 public:
  explicit PlayerFolderLock(const std::string& folder);
  ~PlayerFolderLock();
  PlayerFolderLock(const PlayerFolderLock&) = delete;
  PlayerFolderLock& operator=(const PlayerFolderLock&) = delete;

 private:
  int handle_ = -1;
};

// Moves the file aside to the first of NAME.damaged, NAME.damaged.2 … NAME.damaged.9 that
// does not exist, never over one; the name it took, or empty with *why set.
std::string SetPlayerFileAside(const std::string& path, std::string* why);

// The "key=value" lines of a player's file (settings, records), each given to `take`
// without the blanks around it, past blank lines and # comments. 0 when every line was
// taken; else the number of the first that is damaged: one with a NUL byte (the zeros of
// a torn write), without '=', or that `take` refused.
int ReadKeyValueLines(std::string_view text,
                      const std::function<bool(std::string_view key, std::string_view value,
                                               std::string_view line)>& take);

// For tests: the write's steps, and a fault met at one of them by the writes that follow.
// Fail is the step's system call failing (no space left); Die is the process ending there
// (nothing after it runs, no clean-up either; in Write, after half the bytes).
enum class WriteStep { Folder, Create, Write, Flush, Close, Rename, FlushFolder, Count };
enum class WriteFault { Nothing, Fail, Die };
void SetPlayerFileFault(WriteStep step, WriteFault fault);
