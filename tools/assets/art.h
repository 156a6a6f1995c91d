#pragma once
// The game's pictures, each drawn from nothing by its own file.
#include "assets/canvas.h"

Canvas DrawWood();         // 1024 × 768 table top, seamless left to right
Canvas DrawSauce();        // 25 × 41 player on KEY_PLAYER
Canvas DrawSplat();        // 20 × 20 flying sauce, heading right, on KEY_BLACK
Canvas DrawPastaPlain();   // 45 × 29 enemy on KEY_MAGENTA
Canvas DrawPastaSauced();  // the same enemy under sauce
Canvas DrawTomato();       // 25 × 26 on KEY_MAGENTA
Canvas DrawParm();         // 15 × 27 on KEY_MAGENTA
Canvas DrawEnergySlice();  // 1 × 32 column of the top bar
Canvas DrawHealthSlice();  // 1 × 20 column of the bottom bar
