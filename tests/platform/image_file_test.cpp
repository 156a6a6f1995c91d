// Image files keep every pixel, alpha included, through a save and a load.
#include "platform/gfx/image_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Unique to this process, so that two test runs never share a file.
std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() /
          ("zf_image_" + std::to_string(getpid()) + "_" + name))
      .string();
}

std::string WriteBytes(const char* name, const std::vector<unsigned char>& bytes) {
  const std::string path = TempPath(name);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  EXPECT_NE(file, nullptr) << path;
  if (file) {
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  return path;
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

TEST(ImageFileTest, PngAndTgaRoundTripExactly) {
  const int width = 25, height = 41;  // odd sizes, not powers of two
  const std::vector<uint32_t> pixels = TestPattern(width, height);
  for (const char* name : {"roundtrip.png", "roundtrip.tga", "roundtrip_upper.TGA"}) {
    const std::string path = TempPath(name);
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
    std::remove(path.c_str());
  }
}

TEST(ImageFileTest, MissingOrBrokenFilesFailAndLeaveTheImageAlone) {
  ImageData image;
  image.width = 7;
  EXPECT_FALSE(LoadImageFile(TempPath("no_such_image.png").c_str(), &image));
  EXPECT_EQ(image.width, 7);

  const std::string text = "\x89PNG\r\n\x1a\n but nothing after it";
  const std::string broken = WriteBytes("broken.png", {text.begin(), text.end()});
  EXPECT_FALSE(LoadImageFile(broken.c_str(), &image));
  EXPECT_EQ(image.width, 7);
  EXPECT_TRUE(image.pixels.empty());
  std::remove(broken.c_str());

  const uint32_t pixel = 0xFFFFFFFF;
  EXPECT_FALSE(SaveImagePng(TempPath("empty.png").c_str(), 0, 1, &pixel));
  EXPECT_FALSE(SaveImageTga(TempPath("empty.tga").c_str(), 1, 0, &pixel));
  EXPECT_FALSE(SaveImageTga("/nonexistent-dir/zf.tga", 1, 1, &pixel));
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
    std::remove(path.c_str());
  }
}

}  // namespace
