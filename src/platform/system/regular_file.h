#pragma once
// Reading a file the player names or the game keeps: only a regular file, opened without
// blocking (a FIFO or a terminal would hang the game at its first read), and only up to a
// size the caller names (a huge or endless file would take all the memory and time).
#include <cstddef>
#include <string>

enum class FileRead { Read, Missing, NotRegular, TooLarge, Failed };

// The whole file into *bytes. After Failed, *error holds the system's reason (errno).
FileRead ReadRegularFile(const char* path, size_t maxBytes, std::string* bytes, int* error);
// What stopped a read, for a message: "it does not exist", "it is not a regular file",
// "it is larger than 4096 bytes" or the system's reason.
std::string FileReadProblem(FileRead result, int error, size_t maxBytes);
