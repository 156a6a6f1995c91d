// Image files: PNG through libpng in and out, TGA through SDL2_image in and
// stb_image_write out.
#include "platform/gfx/image_file.h"

#include <SDL.h>
#include <SDL_image.h>
#include <png.h>
#include <stb_image_write.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

// Where DecodeImageFile's caller wants the reason it refuses a file, if not on standard
// error.
std::string* caughtProblem = nullptr;

// The one line about the file: "image "NAME" REASON".
void Refuse(const char* fileName, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Refuse(const char* fileName, const char* format, ...) {
  char reason[320];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(reason, sizeof reason, format, arguments);
  va_end(arguments);
  if (caughtProblem) *caughtProblem = reason;
  else std::fprintf(stderr, "zorbly-frondles: image \"%s\" %s\n", fileName, reason);
}

bool HasTgaExtension(const char* fileName) {
  const size_t length = std::strlen(fileName);
  return length >= 4 && strcasecmp(fileName + length - 4, ".tga") == 0;
}

bool SizeIsUsable(int width, int height) {
  // Also keeps width × height × 4 within what an SDL surface can address.
  return width > 0 && height > 0 && width <= 65536 && height <= 65536 &&
         static_cast<int64_t>(width) * height <= IMAGE_PIXEL_LIMIT;
}

constexpr unsigned char PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Signature, IHDR length and type, width, height, bit depth and colour type.
constexpr size_t PNG_HEADER_SIZE = 26;
constexpr size_t TGA_HEADER_SIZE = 18;
// Deflate packs at most about 1032 bytes into one.
constexpr int64_t DEFLATE_BEST_RATIO = 1032;

// What a header claims: the size, and the fewest bytes a file holding it can have.
struct Claim {
  int width = 0;
  int height = 0;
  int64_t leastFileSize = 0;
};

uint32_t BigEndian32(const unsigned char* bytes) {
  return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) |
         bytes[3];
}

// Uncompressed pixels take their full size; run-length coded ones at least a count byte
// and one pixel per 128.
int64_t LeastTgaSize(const unsigned char* header, int64_t pixels) {
  const int64_t pixelBytes = (header[16] + 7) / 8;
  const unsigned char type = header[2];
  if (type == 1 || type == 2 || type == 3) return TGA_HEADER_SIZE + pixels * pixelBytes;
  if (type == 9 || type == 10 || type == 11) {
    return TGA_HEADER_SIZE + (pixels + 127) / 128 * (1 + pixelBytes);
  }
  return TGA_HEADER_SIZE;  // no image or an unknown kind: the decoder refuses it
}

// Each row is a filter byte and its packed samples, deflated.
int64_t LeastPngSize(const unsigned char* header, int64_t width, int64_t height) {
  static constexpr int CHANNELS[7] = {1, 0, 3, 1, 2, 0, 4};  // by colour type
  // Sides past the limit are refused anyway; this keeps the product in range.
  width = std::min<int64_t>(width, IMAGE_SIDE_LIMIT + 1);
  height = std::min<int64_t>(height, IMAGE_SIDE_LIMIT + 1);
  const int depth = header[24];
  const int channels = header[25] < 7 ? CHANNELS[header[25]] : 0;
  const int64_t rowBytes = 1 + (width * std::max(1, depth * channels) + 7) / 8;
  return PNG_HEADER_SIZE + height * rowBytes / DEFLATE_BEST_RATIO;
}

// Reads the claim from the start of the file and puts the position back. False, after a
// message, when the header is cut short or not a PNG's.
bool ReadClaim(SDL_RWops* file, const char* fileName, bool tga, Claim* claim) {
  unsigned char header[PNG_HEADER_SIZE] = {};
  const size_t wanted = tga ? TGA_HEADER_SIZE : PNG_HEADER_SIZE;
  const Sint64 start = SDL_RWtell(file);
  const size_t got = SDL_RWread(file, header, 1, wanted);
  SDL_RWseek(file, start, RW_SEEK_SET);
  if (tga) {
    if (got < wanted) {
      Refuse(fileName, "has a TGA header cut short (%zu of %zu bytes)", got, wanted);
      return false;
    }
    claim->width = header[12] | (header[13] << 8);
    claim->height = header[14] | (header[15] << 8);
    claim->leastFileSize = LeastTgaSize(header, int64_t{claim->width} * claim->height);
    return true;
  }
  const bool png = got == wanted && std::memcmp(header, PNG_SIGNATURE, sizeof PNG_SIGNATURE) == 0 &&
                   BigEndian32(header + 8) == 13 && std::memcmp(header + 12, "IHDR", 4) == 0;
  const uint32_t width = png ? BigEndian32(header + 16) : 0;
  const uint32_t height = png ? BigEndian32(header + 20) : 0;
  // A PNG's sides stop at 2^31 - 1.
  if (!png || width > INT32_MAX || height > INT32_MAX) {
    Refuse(fileName, "has no valid PNG header%s", got < wanted ? " (cut short)" : "");
    return false;
  }
  claim->width = static_cast<int>(width);
  claim->height = static_cast<int>(height);
  claim->leastFileSize = LeastPngSize(header, width, height);
  return true;
}

// Opens a regular file only: a pipe or a device could block or never end.
SDL_RWops* OpenImage(const char* fileName) {
  struct stat status;
  if (stat(fileName, &status) != 0) {
    Refuse(fileName, "cannot be opened (%s)", std::strerror(errno));
    return nullptr;
  }
  if (!S_ISREG(status.st_mode)) {
    Refuse(fileName, "is not a regular file");
    return nullptr;
  }
  SDL_RWops* file = SDL_RWFromFile(fileName, "rb");
  if (!file) {
    Refuse(fileName, "cannot be opened (%s)", SDL_GetError());
  }
  return file;
}

// False, after a message naming the file and the size, when the claimed size is empty,
// more than may be held, or more than the file's bytes can describe; the decoder is never
// asked to make room for it then.
bool ClaimIsBelievable(const char* fileName, const Claim& claim, int64_t fileSize, int maxSide) {
  const int width = claim.width, height = claim.height;
  if (width <= 0 || height <= 0) {
    Refuse(fileName, "claims an empty size %d x %d", width, height);
    return false;
  }
  const int side = std::min(maxSide, IMAGE_SIDE_LIMIT);
  if (width > side || height > side) {
    Refuse(fileName,
           "claims %d x %d pixels, more than the %d per side the device can hold; refused", width,
           height, side);
    return false;
  }
  if (int64_t{width} * height > IMAGE_PIXEL_LIMIT) {
    Refuse(fileName, "claims %d x %d pixels, more than the %lld an image may have; refused", width,
           height, static_cast<long long>(IMAGE_PIXEL_LIMIT));
    return false;
  }
  if (fileSize < claim.leastFileSize) {
    Refuse(fileName, "claims %d x %d pixels, more than its %lld bytes can hold; refused", width,
           height, static_cast<long long>(fileSize));
    return false;
  }
  return true;
}

// False, after a message, when a chunk of the PNG claims more bytes than the file has
// left: the decoder would go on asking for them, for as long as the claim says.
bool PngChunksFitTheFile(SDL_RWops* file, const char* fileName, int64_t fileSize) {
  const Sint64 start = SDL_RWtell(file);
  int64_t at = sizeof PNG_SIGNATURE;
  unsigned char chunk[8];
  bool fits = true;
  while (fits && at + 8 <= fileSize && SDL_RWseek(file, at, RW_SEEK_SET) == at &&
         SDL_RWread(file, chunk, sizeof chunk, 1) == 1) {
    const uint32_t length = BigEndian32(chunk);
    // Length, type and CRC besides the data.
    fits = length <= INT32_MAX && at + 12 + int64_t{length} <= fileSize;
    if (!fits) {
      Refuse(fileName,
             "has a \"%.4s\" chunk of %u bytes that runs past its end (%lld bytes); refused",
             reinterpret_cast<const char*>(chunk + 4), length, static_cast<long long>(fileSize));
    }
    if (std::memcmp(chunk + 4, "IEND", 4) == 0) break;
    at += 12 + int64_t{length};
  }
  SDL_RWseek(file, start, RW_SEEK_SET);
  return fits;
}

// A 32-bit true-colour TGA whose header gives no bits to alpha holds padding in the
// fourth byte; paint programs write such files, meaning them opaque.
bool IsTgaWithoutAlpha(SDL_RWops* file) {
  unsigned char header[TGA_HEADER_SIZE];
  const Sint64 start = SDL_RWtell(file);
  const bool read = SDL_RWread(file, header, sizeof header, 1) == 1;
  SDL_RWseek(file, start, RW_SEEK_SET);
  if (!read) return false;
  const unsigned char imageType = header[2];
  const unsigned char bitsPerPixel = header[16];
  const unsigned char alphaBits = header[17] & 0x0F;
  const bool trueColor = imageType == 2 || imageType == 10;  // plain or run-length coded
  return trueColor && bitsPerPixel == 32 && alphaBits == 0;
}

void SayWrongSize(const char* fileName, int width, int height, const Claim& claim) {
  Refuse(fileName, "decoded as %d x %d, not the %d x %d its header claims", width, height,
         claim.width, claim.height);
}

// What libpng reports goes into the one-line message; it then leaves by longjmp.
struct PngProblem {
  char text[160] = "";
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp message) {
  auto* problem = static_cast<PngProblem*>(png_get_error_ptr(png));
  std::snprintf(problem->text, sizeof problem->text, "%s", message);
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void ReadPngBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* file = static_cast<SDL_RWops*>(png_get_io_ptr(png));
  if (SDL_RWread(file, data, 1, length) != length) png_error(png, "the file ends early");
}

// Only plain values live across the longjmp here; the pixels are the caller's. Every
// kind of PNG comes out as ARGB: palettes and grey expanded, 16 bits cut to 8,
// transparency as alpha and opaque where there is none. An interlaced image needs all
// its rows at once; any other goes one row at a time.
bool ReadPngRows(SDL_RWops* file, const Claim& claim, const ImageRows& rows,
                 std::vector<uint32_t>* pixels, std::vector<png_bytep>* rowPointers,
                 PngProblem* problem, bool* refused) {
  png_structp png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, problem, OnPngError, OnPngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    std::snprintf(problem->text, sizeof problem->text, "out of memory");
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, file, ReadPngBytes);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  if (width != static_cast<png_uint_32>(claim.width) ||
      height != static_cast<png_uint_32>(claim.height)) {
    png_error(png, "its size changed after the header");
  }
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4)
    png_error(png, "unexpected row layout");
  if (!rows.start(claim.width, claim.height)) {
    *refused = true;
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  if (passes == 1) {
    pixels->resize(width);
    for (png_uint_32 y = 0; y < height; ++y) {
      png_read_row(png, reinterpret_cast<png_bytep>(pixels->data()), nullptr);
      rows.row(static_cast<int>(y), pixels->data());
    }
  } else {
    pixels->resize(static_cast<size_t>(width) * height);
    rowPointers->resize(height);
    for (png_uint_32 y = 0; y < height; ++y) {
      (*rowPointers)[y] =
          reinterpret_cast<png_bytep>(pixels->data() + static_cast<size_t>(y) * width);
    }
    png_read_image(png, rowPointers->data());
    for (png_uint_32 y = 0; y < height; ++y) {
      rows.row(static_cast<int>(y), pixels->data() + static_cast<size_t>(y) * width);
    }
  }
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

// As ReadPngRows, for writing: 8-bit RGBA, each row coded from its left neighbours only,
// which reads back in half the time the adaptive choice of filters takes.
bool WritePngRows(FILE* file, int width, int height, const uint32_t* pixels, PngProblem* problem) {
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, problem, OnPngError, OnPngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    std::snprintf(problem->text, sizeof problem->text, "out of memory");
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_write_info(png, info);
  png_set_bgr(png);  // ARGB words are B, G, R, A bytes in memory
  for (int y = 0; y < height; ++y) {
    png_write_row(png, reinterpret_cast<png_const_bytep>(pixels + static_cast<size_t>(y) * width));
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool DecodePng(SDL_RWops* file, const char* fileName, const Claim& claim, const ImageRows& rows) {
  std::vector<uint32_t> pixels;
  std::vector<png_bytep> rowPointers;
  PngProblem problem;
  bool refused = false;
  if (ReadPngRows(file, claim, rows, &pixels, &rowPointers, &problem, &refused)) return true;
  if (!refused) {
    Refuse(fileName, "cannot be read (%s)", problem.text);
  }
  return false;
}

bool DecodeWhole(const char* fileName, const ImageRows& rows, int maxSide) {
  SDL_RWops* file = OpenImage(fileName);
  if (!file) return false;
  // A TGA has no magic number, so only its name says what it is.
  const bool tga = HasTgaExtension(fileName);
  Claim claim;
  const int64_t fileSize = SDL_RWsize(file);
  if (!ReadClaim(file, fileName, tga, &claim) ||
      !ClaimIsBelievable(fileName, claim, fileSize, maxSide) ||
      (!tga && !PngChunksFitTheFile(file, fileName, fileSize))) {
    SDL_RWclose(file);
    return false;
  }
  if (!tga) {
    const bool read = DecodePng(file, fileName, claim, rows);
    SDL_RWclose(file);
    return read;
  }
  const bool forceOpaque = IsTgaWithoutAlpha(file);
  // Named decoders only: a file that is neither PNG nor TGA never reaches another one.
  SDL_Surface* decoded = IMG_LoadTyped_RW(file, 1, "TGA");
  if (!decoded) {
    Refuse(fileName, "cannot be read (%s)", IMG_GetError());
    return false;
  }
  SDL_Surface* argb = decoded;
  if (decoded->format->format != SDL_PIXELFORMAT_ARGB8888) {
    argb = SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(decoded);
    if (!argb) {
      Refuse(fileName, "cannot be converted (%s)", SDL_GetError());
      return false;
    }
  }
  if (argb->w != claim.width || argb->h != claim.height) {
    SayWrongSize(fileName, argb->w, argb->h, claim);
    SDL_FreeSurface(argb);
    return false;
  }
  const bool started = rows.start(argb->w, argb->h);
  for (int y = 0; started && y < argb->h; ++y) {
    auto* row =
        reinterpret_cast<uint32_t*>(static_cast<unsigned char*>(argb->pixels) + y * argb->pitch);
    if (forceOpaque) {
      for (int x = 0; x < argb->w; ++x) row[x] |= 0xFF000000u;
    }
    rows.row(y, row);
  }
  SDL_FreeSurface(argb);
  return started;
}

}  // namespace

bool ReadImageSize(const char* fileName, int* width, int* height) {
  if (!fileName || !width || !height) return false;
  SDL_RWops* file = OpenImage(fileName);
  if (!file) return false;
  Claim claim;
  const bool read = ReadClaim(file, fileName, HasTgaExtension(fileName), &claim);
  SDL_RWclose(file);
  if (!read) return false;
  *width = claim.width;
  *height = claim.height;
  return true;
}

bool DecodeImageFile(const char* fileName, const ImageRows& rows, int maxSide,
                     std::string* problem) {
  if (!fileName || !rows.start || !rows.row) return false;
  // Nothing here nests: the decoders never load another image.
  caughtProblem = problem;
  const bool read = DecodeWhole(fileName, rows, maxSide);
  caughtProblem = nullptr;
  return read;
}

bool LoadImageFile(const char* fileName, ImageData* image, int maxSide) {
  if (!image) return false;
  ImageData read;
  ImageRows rows;
  rows.start = [&read](int width, int height) {
    read.width = width;
    read.height = height;
    read.pixels.resize(static_cast<size_t>(width) * height);
    return true;
  };
  rows.row = [&read](int y, const uint32_t* pixels) {
    std::memcpy(&read.pixels[static_cast<size_t>(y) * read.width], pixels,
                static_cast<size_t>(read.width) * 4);
  };
  if (!DecodeImageFile(fileName, rows, maxSide)) return false;
  *image = std::move(read);
  return true;
}

bool SaveImagePng(const char* fileName, int width, int height, const uint32_t* pixels) {
  if (!fileName || !pixels || !SizeIsUsable(width, height)) return false;
  FILE* file = std::fopen(fileName, "wb");
  PngProblem problem;
  bool saved = file && WritePngRows(file, width, height, pixels, &problem);
  if (file && std::fclose(file) != 0) saved = false;
  if (!saved) {
    std::fprintf(stderr, "zorbly-frondles: cannot write \"%s\" (%s)\n", fileName,
                 problem.text[0] ? problem.text : std::strerror(errno));
    if (file) std::remove(fileName);
  }
  return saved;
}

bool SaveImageTga(const char* fileName, int width, int height, const uint32_t* pixels) {
  if (!fileName || !pixels || !SizeIsUsable(width, height)) return false;
  // stb takes bytes in R, G, B, A order.
  const size_t count = static_cast<size_t>(width) * height;
  std::vector<unsigned char> rgba(count * 4);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t argb = pixels[i];
    rgba[i * 4 + 0] = static_cast<unsigned char>(argb >> 16);
    rgba[i * 4 + 1] = static_cast<unsigned char>(argb >> 8);
    rgba[i * 4 + 2] = static_cast<unsigned char>(argb);
    rgba[i * 4 + 3] = static_cast<unsigned char>(argb >> 24);
  }
  stbi_write_tga_with_rle = 0;  // uncompressed, as the game's own slices are
  const bool saved = stbi_write_tga(fileName, width, height, 4, rgba.data()) != 0;
  if (!saved) std::fprintf(stderr, "zorbly-frondles: cannot write \"%s\"\n", fileName);
  return saved;
}
