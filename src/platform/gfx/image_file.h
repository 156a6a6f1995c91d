#pragma once
// Image files as 32-bit ARGB pixels (alpha in the top byte), row by row from the top.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct ImageData {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // width × height
};

// The most pixels any image may have, whatever the device: 256 MiB of ARGB.
constexpr int64_t IMAGE_PIXEL_LIMIT = int64_t{1} << 26;
// The longest side an image may have when the caller gives no smaller limit.
constexpr int IMAGE_SIDE_LIMIT = 16384;

// The width and height a PNG's IHDR or a TGA's header claims, read without decoding (a
// TGA has no magic number: it is recognised by its name's extension). False, after a
// one-line message naming the file, when the file is missing, not a regular file, not a
// PNG or TGA, or its header is cut short.
bool ReadImageSize(const char* fileName, int* width, int* height);

// Where a decoded image goes, row by row: `start` once with its size (false refuses it
// without a message), then `row` for each row from the top with its width ARGB pixels,
// which are valid only during the call. A failure part way leaves the rows given so far.
struct ImageRows {
  std::function<bool(int width, int height)> start;
  std::function<void(int y, const uint32_t* pixels)> row;
};

// Reads a PNG or TGA file straight into the rows' place, with no full-size copy between
// (an interlaced PNG and a TGA are decoded whole first). The header's size is checked
// before any decoding: an empty image, a side longer than maxSide or more than
// IMAGE_PIXEL_LIMIT pixels is refused. A 32-bit TGA whose header declares no alpha bits
// is opaque. False, after a one-line message on standard error naming the file, when the
// file is missing, refused or undecodable; with `problem`, its reason goes there instead
// ("has no valid PNG header"), for a message of the caller's.
bool DecodeImageFile(const char* fileName, const ImageRows& rows, int maxSide = IMAGE_SIDE_LIMIT,
                     std::string* problem = nullptr);
// The same into one block of pixels; false leaves image untouched.
bool LoadImageFile(const char* fileName, ImageData* image, int maxSide = IMAGE_SIDE_LIMIT);

// Writes the pixels as a PNG, or as an uncompressed 32-bit TGA. False on failure.
bool SaveImagePng(const char* fileName, int width, int height, const uint32_t* pixels);
bool SaveImageTga(const char* fileName, int width, int height, const uint32_t* pixels);
