#pragma once
// The game's picture and window, for every layer to read: the size the game draws at,
// which is its window's first client size, and the title its window and messages carry.

constexpr int SCREEN_WIDTH = 1024;
constexpr int SCREEN_HEIGHT = 768;

inline const char* const gameTitle = "Zorbly Frondles";
