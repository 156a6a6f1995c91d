#pragma once
// Finding the files a model names: as written, or else by the bare file name in the
// working directory. Backslashes and slashes both separate folders.
#include <string>

// Whether a file (or folder) of that name exists.
bool FileExists(const std::string& path);
// True when the path names an existing file, unchanged; else, when its bare file name
// exists in the working directory, *path becomes that name and the result is true.
// False for a null path or when neither exists. The folder part is not tried on its own.
bool FindFile(std::string* path);
// Cuts the path at its last separator, with every backslash read as a slash: the folder
// before it (without it) and the file name after it. Without a separator the folder is
// empty and the file name the whole path. Either output may be null.
void SplitPath(const std::string& fullPath, std::string* directory, std::string* fileName);
