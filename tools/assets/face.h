#pragma once
// The cartoon face every character wears: the same eyes and mouths in each sprite.
#include "assets/canvas.h"

// An eye centred at (x, y); the pupil sits towards (lookX, lookY), each from -1 to 1.
void DrawEye(Canvas* canvas, double x, double y, double radiusX, double radiusY, double lookX,
             double lookY);
// A heavy brow line over an eye, from (x0, y0) to (x1, y1).
void DrawBrow(Canvas* canvas, double x0, double y0, double x1, double y1, uint32_t argb);
// An open grin: the lower half of an ellipse, with teeth along the top and a tongue.
void DrawGrin(Canvas* canvas, double x, double y, double radiusX, double radiusY, uint32_t outline);
// A dazed eye: a small cross where the eye was.
void DrawDizzyEye(Canvas* canvas, double x, double y, double radius, uint32_t argb);
