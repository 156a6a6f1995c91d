#pragma once
// Image files as 32-bit ARGB pixels (alpha in the top byte), row by row from the top.
#include <cstdint>
#include <vector>

struct ImageData {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // width × height
};

// Reads a PNG or TGA file (a TGA has no magic number: it is recognised by its name's
// extension). A 32-bit TGA whose header declares no alpha bits is opaque. False, with image untouched and a one-line message on standard error naming
// the file, when the file is missing or undecodable.
bool LoadImageFile(const char* fileName, ImageData* image);

// Writes the pixels as a PNG, or as an uncompressed 32-bit TGA. False on failure.
bool SaveImagePng(const char* fileName, int width, int height, const uint32_t* pixels);
bool SaveImageTga(const char* fileName, int width, int height, const uint32_t* pixels);
