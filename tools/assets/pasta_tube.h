#pragma once
// The enemy's body: a piece of penne lying across, both ends cut on the slant, the left
// end open towards us. The plain and the sauced enemy share it exactly, so that the
// sauced picture drawn over the plain one lines up.
#include "assets/canvas.h"

Shape PastaTube();
// Paints the ridged tube and its open end onto a 45 × 29 canvas.
void PaintPastaTube(Canvas* canvas);
