// Image files keep every pixel, alpha included, through a save and a load.
#include "platform/gfx/image_file.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "../test_files.h"

namespace {

std::string WriteBytes(const char* name, const std::vector<unsigned char>& bytes) {
  return WriteTestFile(bytes, name);
}

// Distinct colours and alphas in every corner, so a flip or a channel swap shows.
std::vector<uint32_t> TestPattern(int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      pixels[y * width + x] = (static_cast<uint32_t>(255 - x * 7) << 24) |
                              (static_cast<uint32_t>(x * 9) << 16) |
                              (static_cast<uint32_t>(y * 5) << 8) | static_cast<uint32_t>(x ^ y);
    }
  }
  pixels[0] = 0xFFFB00FF;
  pixels[1] = 0xFFFF00FF;
  pixels[2] = 0x00000000;
  pixels[3] = 0xFF000000;
  return pixels;
}

TEST(ImageFileTest, PngAndTgaRoundTripExactlyAndEmptySizesAreNotSaved) {
  const int width = 25, height = 41;  // odd sizes, not powers of two
  const std::vector<uint32_t> pixels = TestPattern(width, height);
  for (const char* name : {"roundtrip.png", "roundtrip.tga", "roundtrip_upper.TGA"}) {
    const std::string path = TestFile(name);
    const std::string lowered(name);
    const bool png = lowered.ends_with(".png");
    ASSERT_TRUE(png ? SaveImagePng(path.c_str(), width, height, pixels.data())
                    : SaveImageTga(path.c_str(), width, height, pixels.data()))
        << name;
    ImageData image;
    ASSERT_TRUE(LoadImageFile(path.c_str(), &image)) << name;
    EXPECT_EQ(image.width, width);
    EXPECT_EQ(image.height, height);
    EXPECT_EQ(image.pixels, pixels) << name;
  }
  const uint32_t pixel = 0xFFFFFFFF;
  EXPECT_FALSE(SaveImagePng(TestFile("empty.png").c_str(), 0, 1, &pixel));
  EXPECT_FALSE(SaveImageTga(TestFile("empty.tga").c_str(), 1, 0, &pixel));
  EXPECT_FALSE(SaveImageTga("/nonexistent-dir/zf.tga", 1, 1, &pixel));
}

// The start of a PNG up to its IHDR's colour type (8-bit RGBA), claiming width × height.
std::vector<unsigned char> PngHeader(uint32_t width, uint32_t height) {
  std::vector<unsigned char> bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                      0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (uint32_t side : {width, height}) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<unsigned char>(side >> shift));
  }
  bytes.insert(bytes.end(), {8, 6, 0, 0, 0});
  return bytes;
}

// An uncompressed (type 2) or run-length coded (type 10) 32-bit TGA header.
std::vector<unsigned char> TgaHeader(unsigned char type, int width, int height) {
  return {0, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0,
          static_cast<unsigned char>(width), static_cast<unsigned char>(width >> 8),
          static_cast<unsigned char>(height), static_cast<unsigned char>(height >> 8), 32, 8};
}

// Loads the file expecting a refusal that leaves the image alone; returns what was said.
std::string RefusalOf(const std::string& path, int maxSide = IMAGE_SIDE_LIMIT) {
  ImageData image;
  image.width = 7;
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(LoadImageFile(path.c_str(), &image, maxSide)) << path;
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(image.width, 7) << path;
  EXPECT_TRUE(image.pixels.empty()) << path;
  return said;
}

// One line naming the file and each of the words, and nothing from the decoder.
void ExpectOneLineNaming(const std::string& said, const std::string& path,
                         const std::vector<const char*>& words) {
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_NE(said.find("\"" + path + "\""), std::string::npos) << said;
  for (const char* word : words) EXPECT_NE(said.find(word), std::string::npos) << said;
  EXPECT_EQ(said.find("cannot read"), std::string::npos) << said;
}

TEST(ImageFileTest, MissingFilesAndHeadersClaimingMoreThanCanBeHeldAreRefusedBeforeDecoding) {
  // The header cut or padded with zeros to `total` bytes.
  const auto write = [](const char* name, std::vector<unsigned char> bytes, size_t total) {
    bytes.resize(total, 0);
    return WriteBytes(name, bytes);
  };

  // Sides past the device's limit, the largest each format can state among them.
  for (const auto& [name, bytes] :
       {std::pair<const char*, std::vector<unsigned char>>{"huge.png", PngHeader(65535, 65535)},
        {"widest.png", PngHeader(0x7FFFFFFF, 1)},
        {"huge.tga", TgaHeader(2, 65535, 65535)}}) {
    const std::string path = write(name, bytes, 100);
    const bool widest = std::string(name) == "widest.png";
    int width = 0, height = 0;
    EXPECT_TRUE(ReadImageSize(path.c_str(), &width, &height)) << name;
    EXPECT_EQ(width, widest ? 0x7FFFFFFF : 65535) << name;
    EXPECT_EQ(height, widest ? 1 : 65535) << name;
    ExpectOneLineNaming(RefusalOf(path), path,
                        {widest ? "2147483647 x 1" : "65535 x 65535", "16384 per side"});
  }

  // Within every side, but more pixels than any image may have.
  const std::string many = write("many.tga", TgaHeader(2, 16384, 8192), 100);
  ExpectOneLineNaming(RefusalOf(many), many, {"16384 x 8192", "67108864"});

  // Believable sizes that the file is far too short to hold: 8192 × 8192 run-length
  // coded needs 2.6 MB at least, and a 4000 × 4000 RGBA PNG 62 kB.
  const std::string shortRuns = write("short_runs.tga", TgaHeader(10, 8192, 8192), 4096);
  ExpectOneLineNaming(RefusalOf(shortRuns), shortRuns, {"8192 x 8192", "its 4096 bytes"});
  const std::string shortPng = write("short.png", PngHeader(4000, 4000), 4096);
  ExpectOneLineNaming(RefusalOf(shortPng), shortPng, {"4000 x 4000", "its 4096 bytes"});

  // The device's own limit holds exactly: 64 wide loads with 64 and is refused with 63.
  const std::vector<uint32_t> row(64, 0xFF123456);
  const std::string fits = TestFile("fits.png");
  ASSERT_TRUE(SaveImagePng(fits.c_str(), 64, 1, row.data()));
  ImageData image;
  EXPECT_TRUE(LoadImageFile(fits.c_str(), &image, 64));
  ExpectOneLineNaming(RefusalOf(fits, 63), fits, {"64 x 1", "63"});

  // Headers cut short, an empty size, and what is no PNG at all.
  const std::string cutPng = write("cut.png", PngHeader(16, 16), 20);
  const std::string cutTga = write("cut.tga", TgaHeader(2, 16, 16), 10);
  const std::string empty = write("empty.png", PngHeader(0, 16), 100);
  const std::string text = write("text.png", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}, 100);
  for (const auto& [path, words] :
       {std::pair<std::string, std::vector<const char*>>{cutPng, {"PNG header", "cut short"}},
        {cutTga, {"TGA header cut short", "10 of 18"}},
        {empty, {"empty size 0 x 16"}},
        {text, {"no valid PNG header"}}}) {
    int width = -1, height = -1;
    ::testing::internal::CaptureStderr();
    const bool sized = ReadImageSize(path.c_str(), &width, &height);
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(sized, path == empty) << path;
    ExpectOneLineNaming(RefusalOf(path), path, words);
  }

  // A folder (like a pipe or a device) is never opened as an image; a missing file is
  // said to be missing.
  const std::string folder = TestFile("folder.png");
  std::filesystem::create_directory(folder);
  ExpectOneLineNaming(RefusalOf(folder), folder, {"not a regular file"});
  const std::string missing = TestFile("no_such_image.png");
  ExpectOneLineNaming(RefusalOf(missing), missing, {"cannot open"});
}

// TGAs as paint programs write them, made by hand: 2 × 2 pixels, red and green in the
// top row, blue and grey below, in every layout the files come in.
TEST(ImageFileTest, HandMadeTgasLoadInEveryLayout) {
  struct Pixel {
    unsigned char b, g, r, a;
  };
  const Pixel top[2] = {{0, 0, 255, 0x40}, {0, 255, 0, 0x80}};
  const Pixel bottom[2] = {{255, 0, 0, 0xC0}, {90, 90, 90, 0x00}};
  const auto tga = [&](unsigned char type, unsigned char bits, unsigned char descriptor,
                       bool runLength) {
    std::vector<unsigned char> bytes = {0, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                        2, 0, 2, 0, bits, descriptor};
    const bool topFirst = (descriptor & 0x20) != 0;
    for (const Pixel* row : {topFirst ? top : bottom, topFirst ? bottom : top}) {
      if (runLength) {
        // Grey comes as a run of one, the others as a raw packet of one.
        bytes.push_back(row == bottom ? 0x00 : 0x01);
      }
      for (int x = 0; x < 2; ++x) {
        if (runLength && row == bottom && x == 1) bytes.push_back(0x80);
        bytes.insert(bytes.end(), {row[x].b, row[x].g, row[x].r});
        if (bits == 32) bytes.push_back(row[x].a);
      }
    }
    return bytes;
  };
  const auto argb = [](const Pixel& pixel, bool keepAlpha) {
    return (static_cast<uint32_t>(keepAlpha ? pixel.a : 0xFF) << 24) |
           (static_cast<uint32_t>(pixel.r) << 16) | (static_cast<uint32_t>(pixel.g) << 8) |
           pixel.b;
  };
  const struct {
    const char* name;
    unsigned char type, bits, descriptor;
    bool runLength, keepsAlpha;
  } layouts[] = {
      {"rgb_bottom_up.tga", 2, 24, 0x00, false, false},
      {"rgb_top_down.tga", 2, 24, 0x20, false, false},
      {"rgba_no_alpha_bits.tga", 2, 32, 0x00, false, false},
      {"rgba_no_alpha_bits_top_down.tga", 2, 32, 0x20, false, false},
      {"rgba.tga", 2, 32, 0x08, false, true},
      {"rgba_top_down.tga", 2, 32, 0x28, false, true},
      {"rle_rgb.tga", 10, 24, 0x00, true, false},
      {"rle_rgba_no_alpha_bits.tga", 10, 32, 0x20, true, false},
      {"rle_rgba.tga", 10, 32, 0x08, true, true},
  };
  for (const auto& layout : layouts) {
    const std::string path =
        WriteBytes(layout.name, tga(layout.type, layout.bits, layout.descriptor, layout.runLength));
    ImageData image;
    ASSERT_TRUE(LoadImageFile(path.c_str(), &image)) << layout.name;
    const std::vector<uint32_t> expected = {
        argb(top[0], layout.keepsAlpha), argb(top[1], layout.keepsAlpha),
        argb(bottom[0], layout.keepsAlpha), argb(bottom[1], layout.keepsAlpha)};
    EXPECT_EQ(image.pixels, expected) << layout.name;
  }
}

}  // namespace
