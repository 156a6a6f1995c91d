// Image files keep every pixel, alpha included, through a save and a load.
#include "platform/gfx/image_file.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "../test_files.h"

namespace {

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
  pixels[0] = 0xFFFB00FF, pixels[1] = 0xFFFF00FF, pixels[2] = 0x00000000, pixels[3] = 0xFF000000;
  return pixels;
}

TEST(ImageFileTest, PngAndTgaRoundTripExactlyAndEmptySizesAreNotSaved) {
  const int width = 25, height = 41;  // odd sizes, not powers of two
  const std::vector<uint32_t> pixels = TestPattern(width, height);
  for (const char* name : {"roundtrip.png", "roundtrip.tga", "roundtrip_upper.TGA"}) {
    SCOPED_TRACE(name);
    const std::string path = TestFile(name);
    const auto save = std::string(name).ends_with(".png") ? SaveImagePng : SaveImageTga;
    ASSERT_TRUE(save(path.c_str(), width, height, pixels.data()));
    ImageData image;
    ASSERT_TRUE(LoadImageFile(path.c_str(), &image));
    EXPECT_EQ(image.width, width);
    EXPECT_EQ(image.height, height);
    EXPECT_EQ(image.pixels, pixels);
  }
  const uint32_t pixel = 0xFFFFFFFF;
  EXPECT_FALSE(SaveImagePng(TestFile("empty.png").c_str(), 0, 1, &pixel));
  EXPECT_FALSE(SaveImageTga(TestFile("empty.tga").c_str(), 1, 0, &pixel));
  EXPECT_FALSE(SaveImageTga("/nonexistent-dir/zf.tga", 1, 1, &pixel));
}

// The start of a PNG up to its IHDR's colour type (8-bit RGBA), claiming width × height.
std::vector<unsigned char> PngHeader(uint32_t width, uint32_t height) {
  std::vector<unsigned char> bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                      0,    0,   0,   13,  'I',  'H',  'D',  'R'};
  for (uint32_t side : {width, height}) {
    for (int shift = 24; shift >= 0; shift -= 8)
      bytes.push_back(static_cast<unsigned char>(side >> shift));
  }
  bytes.insert(bytes.end(), {8, 6, 0, 0, 0});
  return bytes;
}

// An uncompressed (type 2) or run-length coded (type 10) TGA header.
std::vector<unsigned char> TgaHeader(unsigned char type, int width, int height,
                                     unsigned char bits = 32, unsigned char descriptor = 8) {
  // clang-format off
  return {0, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0,
          static_cast<unsigned char>(width), static_cast<unsigned char>(width >> 8),
          static_cast<unsigned char>(height), static_cast<unsigned char>(height >> 8),
          bits, descriptor};
  // clang-format on
}

// Loading refuses the file, leaves the image alone and says so in one line naming the
// file and each of the words, with nothing from the decoder.
void ExpectRefused(const std::string& path, const std::vector<const char*>& words,
                   int maxSide = IMAGE_SIDE_LIMIT) {
  SCOPED_TRACE(path);
  ImageData image;
  image.width = 7;
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(LoadImageFile(path.c_str(), &image, maxSide));
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(image.width, 7);
  EXPECT_TRUE(image.pixels.empty());
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_NE(said.find("\"" + path + "\""), std::string::npos) << said;
  for (const char* word : words) EXPECT_NE(said.find(word), std::string::npos) << said;
  EXPECT_EQ(said.find("cannot be read"), std::string::npos) << said;
}

TEST(ImageFileTest, MissingFilesAndHeadersClaimingMoreThanCanBeHeldAreRefusedBeforeDecoding) {
  using Header = std::vector<unsigned char>;
  const struct {
    const char* name;
    Header header;
    size_t total;  // the header cut or padded with zeros to this many bytes
    std::vector<const char*> words;
  } files[] = {
      // A side past the device's limit, the largest a PNG can state. (The largest of each
      // format, loaded as a texture, are seed files of the image fuzz target.)
      {"widest.png", PngHeader(0x7FFFFFFF, 1), 100, {"2147483647 x 1", "16384 per side"}},
      // Within every side, but more pixels than any image may have.
      {"many.tga", TgaHeader(2, 16384, 8192), 100, {"16384 x 8192", "67108864"}},
      // Believable sizes that the file is far too short to hold: 8192 × 8192 run-length
      // coded needs 2.6 MB at least, and a 4000 × 4000 RGBA PNG 62 kB.
      {"short_runs.tga", TgaHeader(10, 8192, 8192), 4096, {"8192 x 8192", "its 4096 bytes"}},
      {"short.png", PngHeader(4000, 4000), 4096, {"4000 x 4000", "its 4096 bytes"}},
      // Headers cut short, an empty size, and what is no PNG at all.
      {"cut.png", PngHeader(16, 16), 20, {"PNG header", "cut short"}},
      {"cut.tga", TgaHeader(2, 16, 16), 10, {"TGA header cut short", "10 of 18"}},
      {"empty.png", PngHeader(0, 16), 100, {"empty size 0 x 16"}},
      {"text.png", {'n', 'o', 't', ' ', 'a', ' ', 'P', 'N', 'G'}, 100, {"no valid PNG header"}},
  };
  for (const auto& file : files) {
    Header bytes = file.header;
    bytes.resize(file.total, 0);
    ExpectRefused(WriteTestFile(bytes, file.name), file.words);
  }

  // The device's own limit holds exactly: 64 wide loads with 64 and is refused with 63.
  const std::vector<uint32_t> row(64, 0xFF123456);
  const std::string fits = TestFile("fits.png");
  ASSERT_TRUE(SaveImagePng(fits.c_str(), 64, 1, row.data()));
  ImageData image;
  EXPECT_TRUE(LoadImageFile(fits.c_str(), &image, 64));
  ExpectRefused(fits, {"64 x 1", "63"}, 63);

  // A chunk claiming more than the file holds (the decoder would wait on it for ever).
  std::vector<uint8_t> bytes = ReadFileBytes(fits);
  const size_t idat = std::string(bytes.begin(), bytes.end()).find("IDAT") - 4;
  bytes[idat] = 0x49;
  bytes[idat + 1] = bytes[idat + 2] = bytes[idat + 3] = 0xFF;
  ExpectRefused(WriteTestFile(bytes, "lying.png"), {"\"IDAT\" chunk of 1241513983 bytes"});

  // A folder (like a pipe or a device) is never opened as an image; a missing file is
  // said to be missing.
  const std::string folder = TestFile("folder.png");
  std::filesystem::create_directory(folder);
  ExpectRefused(folder, {"not a regular file"});
  ExpectRefused(TestFile("no_such_image.png"), {"cannot be opened"});
}

// TGAs as paint programs write them, made by hand: 2 × 2 pixels, red and green in the
// top row, blue and grey below, in every layout the files come in.
TEST(ImageFileTest, HandMadeTgasLoadInEveryLayout) {
  const uint32_t pixels[4] = {0x40FF0000, 0x8000FF00, 0xC00000FF, 0x005A5A5A};
  const auto tga = [&](unsigned char type, unsigned char bits, unsigned char descriptor) {
    std::vector<unsigned char> bytes = TgaHeader(type, 2, 2, bits, descriptor);
    for (const int row : {descriptor & 0x20 ? 0 : 1, descriptor & 0x20 ? 1 : 0}) {
      // Run-length coded: the top row as one raw packet, then blue raw and grey as a run.
      if (type == 10) bytes.push_back(row == 0 ? 0x01 : 0x00);
      for (int x = 0; x < 2; ++x) {
        if (type == 10 && row == 1 && x == 1) bytes.push_back(0x80);
        const uint32_t pixel = pixels[row * 2 + x];
        for (int shift = 0; shift < bits; shift += 8) bytes.push_back(pixel >> shift & 0xFF);
      }
    }
    return bytes;
  };
  const struct {
    unsigned char type, bits, descriptor;
    bool keepsAlpha;  // only with alpha bits in the descriptor
  } layouts[] = {
      {2, 24, 0x00, false},  {2, 24, 0x20, false},  {2, 32, 0x00, false},
      {2, 32, 0x20, false},  {2, 32, 0x08, true},   {2, 32, 0x28, true},
      {10, 24, 0x00, false}, {10, 32, 0x20, false}, {10, 32, 0x08, true},
  };
  for (const auto& layout : layouts) {
    SCOPED_TRACE(testing::Message() << "type " << int(layout.type) << ", " << int(layout.bits)
                                    << " bits, descriptor " << int(layout.descriptor));
    const std::string path =
        WriteTestFile(tga(layout.type, layout.bits, layout.descriptor), ".tga");
    ImageData image;
    ASSERT_TRUE(LoadImageFile(path.c_str(), &image));
    std::vector<uint32_t> expected(pixels, pixels + 4);
    for (uint32_t& pixel : expected) pixel |= layout.keepsAlpha ? 0 : 0xFF000000;
    EXPECT_EQ(image.pixels, expected);
  }
}

}  // namespace
