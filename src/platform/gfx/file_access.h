#pragma once
// File look-ups as on the desktop the game's files come from: a backslash is a folder
// separator there, so "textures\wall.png" names textures/wall.png.
#include <string>

constexpr int ACCESS_EXISTS = 0;
constexpr int ACCESS_WRITE = 2;
constexpr int ACCESS_READ = 4;

// 0 when the path exists and allows the access asked for (modes may be or-ed), else -1.
int AccessFile(const char* path, int mode);
// The path with every backslash turned into a slash, as the file system here reads it.
std::string NativePath(const char* path);
