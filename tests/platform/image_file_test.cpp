// Image files keep every pixel, alpha included, through a save and a load.
#include "platform/gfx/image_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
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
  for (const char* name : {"zf_image_roundtrip.png", "zf_image_roundtrip.tga",
                           "zf_image_roundtrip_upper.TGA"}) {
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
  EXPECT_FALSE(LoadImageFile(TempPath("zf_no_such_image.png").c_str(), &image));
  EXPECT_EQ(image.width, 7);

  const std::string broken = TempPath("zf_broken_image.png");
  std::FILE* file = std::fopen(broken.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("\x89PNG\r\n\x1a\n but nothing after it", file);
  std::fclose(file);
  EXPECT_FALSE(LoadImageFile(broken.c_str(), &image));
  EXPECT_EQ(image.width, 7);
  EXPECT_TRUE(image.pixels.empty());
  std::remove(broken.c_str());

  const uint32_t pixel = 0xFFFFFFFF;
  EXPECT_FALSE(SaveImagePng(TempPath("zf_empty.png").c_str(), 0, 1, &pixel));
  EXPECT_FALSE(SaveImageTga(TempPath("zf_empty.tga").c_str(), 1, 0, &pixel));
  EXPECT_FALSE(SaveImageTga("/nonexistent-dir/zf.tga", 1, 1, &pixel));
}

}  // namespace
