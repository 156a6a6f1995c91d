#pragma once
// Drawing one frame of a sprite sheet through the sprite batch, scaled, turned about
// its own centre, placed and tinted. Only between the batch's Begin and End.
#include <cstdint>

struct Texture;

// Scales the width × height frame about its top-left corner, turns it by `rotation`
// radians (clockwise on screen) about the centre of the scaled frame and puts its
// unturned top-left corner at (x, y). Frame n of a sheet is column n mod columns, row
// n div columns. The colour multiplies the texels: alpha is opacity, the rest tint.
// An empty texture draws nothing.
void DrawSpriteTransformed(Texture* texture, int32_t x, int32_t y, int32_t width, int32_t height,
                           int32_t frame, int32_t columns, float rotation, float scaleX,
                           float scaleY, uint32_t color);
void DrawSprite(Texture* texture, int32_t x, int32_t y, int32_t width, int32_t height,
                int32_t frame, int32_t columns, float rotation, float scale, uint32_t color);
