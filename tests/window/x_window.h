#pragma once
// The game window's pixels as the X server holds them: what a player sees. Apart, as the
// window system's names clash with the game's.
#include "platform/gfx/image_file.h"

ImageData ReadWindow();
