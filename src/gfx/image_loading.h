#pragma once
// Image files (PNG, TGA) as textures for sprites or as plain surfaces for copies.
#include <cstdint>

struct Texture;
struct RenderSurface;
struct LockedRect;

// A texture of the image's own size. Texels exactly equal to colorKey (ARGB, alpha
// included) become transparent black. Empty, after a one-line message on standard error,
// when the file is missing, unreadable, empty or larger than the device can hold; the
// size its header claims is checked before the image is decoded.
Texture* LoadTexture(const char* fileName, uint32_t colorKey);
// An X8R8G8B8 off-screen surface of the image's size holding the image. Empty, after a
// one-line message, on the same failures.
RenderSurface* LoadSurface(const char* fileName);

// An off-screen surface's row y, once locked; and a decoded row written into it as the
// surface keeps it (no alpha).
uint32_t* LockedRow(const LockedRect& locked, int y);
void CopySurfaceRow(const uint32_t* pixels, int width, uint32_t* surfaceRow);

// Each releases a handle that is set and leaves it empty.
void ReleaseTexture(Texture*& texture);
void ReleaseSurface(RenderSurface*& surface);
