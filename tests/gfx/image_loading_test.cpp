// Images become textures with their colour key made transparent, or plain surfaces
// that copy into the back buffer pixel for pixel.
#include "gfx/image_loading.h"

#include <algorithm>
#include <cstdio>

#include "gfx/sprite_drawing.h"
#include "gfx_fixture.h"
#include "platform/system/random.h"
#include "platform/gfx/texture.h"

namespace {

constexpr uint32_t BLACK = 0xFF000000;
constexpr uint32_t BACKGROUND = 0xFF00FF00;
constexpr uint32_t NEAR_MAGENTA = 0xFFFB00FF;
constexpr uint32_t MAGENTA = 0xFFFF00FF;

using ImageLoadingTest = GfxTest;

// Columns: the near-magenta key, pure magenta, opaque black, half-transparent black.
uint32_t KeyColumns(int x, int) {
  const uint32_t columns[4] = {NEAR_MAGENTA, MAGENTA, BLACK, 0x80000000};
  return columns[x / 5];
}

TEST_F(ImageLoadingTest, OnlyTexelsExactlyEqualToTheKeyAlphaIncludedBecomeTransparent) {
  for (const char* name : {"keys.png", "keys.tga"}) {
    const std::string path = WriteImage(name, 20, 5, KeyColumns);
    for (uint32_t key : {NEAR_MAGENTA, BLACK}) {
      Texture* texture = LoadTexture(path.c_str(), key);
      ASSERT_NE(texture, nullptr) << name;
      ImageData image = DrawFrame(BACKGROUND, [&] {
        DrawSprite(texture, 0, 0, 20, 5, 0, 1, 0.0f, 1.0f, 0xFFFFFFFF);
      });
      EXPECT_EQ(At(image, 2, 2), key == NEAR_MAGENTA ? BACKGROUND : NEAR_MAGENTA) << name;
      EXPECT_EQ(At(image, 7, 2), MAGENTA) << name;
      EXPECT_EQ(At(image, 12, 2), key == BLACK ? BACKGROUND : BLACK) << name;
      // Black at half opacity is no match for the opaque black key.
      const uint32_t green = (At(image, 17, 2) >> 8) & 0xFF;
      EXPECT_NEAR(green, 0x7F, 2) << name;
      ReleaseTexture(texture);
    }
  }
}

TEST_F(ImageLoadingTest, MissingEmptyAndOversizedImagesLoadAsEmptyHandles) {
  EXPECT_EQ(LoadTexture("no-such-image.png", MAGENTA), nullptr);
  EXPECT_EQ(LoadSurface("no-such-image.png"), nullptr);

  // A TGA header that claims a 0 × 4 image.
  const std::string empty = (std::filesystem::temp_directory_path() /
                             ("zf_gfx_" + std::to_string(getpid()) + "_empty.tga")).string();
  writtenFiles.push_back(empty);
  const unsigned char header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 32, 8};
  std::FILE* file = std::fopen(empty.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(header, 1, sizeof header, file);
  std::fclose(file);
  EXPECT_EQ(LoadTexture(empty.c_str(), 0), nullptr);

  const int tooWide = world.d3ddev->MaxTextureSize() + 1;
  const std::string wide = WriteImage("wide.png", tooWide, 1, [](int, int) { return BLACK; });
  EXPECT_EQ(LoadTexture(wide.c_str(), 0), nullptr);
  EXPECT_EQ(LoadSurface(wide.c_str()), nullptr);

  // A hand-made PNG header claiming 65535 x 65535 is refused from its header alone, in
  // one line naming the file, the size and what the device holds.
  const std::string huge = (std::filesystem::temp_directory_path() /
                            ("zf_gfx_" + std::to_string(getpid()) + "_huge.png")).string();
  writtenFiles.push_back(huge);
  const unsigned char ihdr[33] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13,
                                  'I', 'H', 'D', 'R', 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 8, 6};
  file = std::fopen(huge.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(ihdr, 1, sizeof ihdr, file);
  std::fclose(file);
  const std::string limit = std::to_string(world.d3ddev->MaxTextureSize());
  for (bool texture : {true, false}) {
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(texture ? LoadTexture(huge.c_str(), MAGENTA) == nullptr
                        : LoadSurface(huge.c_str()) == nullptr);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    for (const std::string& word : {"\"" + huge + "\"", std::string("65535 x 65535"), limit}) {
      EXPECT_NE(said.find(word), std::string::npos) << said;
    }
  }

  Texture* none = nullptr;
  ReleaseTexture(none);  // an empty handle is skipped
}

TEST_F(ImageLoadingTest, TheBackgroundIsBuiltTwiceSideBySideAndCopiedPixelForPixel) {
  // Noise, with alpha that an X8R8G8B8 surface drops.
  ResetRand();
  const std::string path = WriteImage("wood.png", 1024, 768, [](int, int) {
    return (static_cast<uint32_t>(Rand()) << 17) ^ static_cast<uint32_t>(Rand());
  });
  RenderSurface* wood = LoadSurface(path.c_str());
  ASSERT_NE(wood, nullptr);
  ImageData woodPixels;
  ASSERT_EQ(wood->ReadPixels(&woodPixels), S_OK);
  ASSERT_EQ(woodPixels.width, 1024);
  ImageData original;
  ASSERT_TRUE(LoadImageFile(path.c_str(), &original));
  for (size_t i = 0; i < original.pixels.size(); ++i) {
    ASSERT_EQ(woodPixels.pixels[i], original.pixels[i] | BLACK) << i;
  }

  RenderSurface* background = nullptr;
  ASSERT_EQ(world.d3ddev->CreateOffscreenPlainSurface(2048, 768, D3DFMT_X8R8G8B8,
                                                      D3DPOOL_DEFAULT, &background, nullptr),
            S_OK);
  const Rect whole{0, 0, 1024, 768};
  const Rect rightHalf{1024, 0, 2048, 768};
  EXPECT_EQ(world.d3ddev->StretchRect(wood, &whole, background, &whole, D3DTEXF_NONE), S_OK);
  EXPECT_EQ(world.d3ddev->StretchRect(wood, &whole, background, &rightHalf, D3DTEXF_NONE), S_OK);
  ReleaseSurface(wood);

  // A window into the two copies, 700 pixels along, as the scrolled frame takes it.
  const Rect window{700, 0, 1724, 768};
  EXPECT_EQ(world.d3ddev->StretchRect(background, &window, world.backBuffer, &whole,
                                      D3DTEXF_NONE),
            S_OK);
  ImageData screen = ReadBackBuffer();
  for (int y = 0; y < 768; ++y) {
    for (int x = 0; x < 1024; ++x) {
      ASSERT_EQ(At(screen, x, y), At(woodPixels, (x + 700) % 1024, y)) << x << "," << y;
    }
  }
  ReleaseSurface(background);
}

}  // namespace
