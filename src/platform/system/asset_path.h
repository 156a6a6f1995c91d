#pragma once
// Where the game's files are found. A launcher from the desktop menu starts the game in
// the home folder, so the working directory is only the first place looked in: then
// the program's own folder, then the folder the game is installed to, then the data
// folder beside the program's when an installed tree was moved as a whole.
#include <string>

// The player's folders (StateFolder, ConfigFolder) live with the player's files.
#include "platform/system/player_files.h"

// The first existing path for the file name; empty when it is in none of the folders.
std::string AssetPath(const char* fileName);
// The folders looked in, in order, joined by ", " (for messages).
std::string AssetFolders();
