// Images become textures with their colour key made transparent, or plain surfaces
// that copy into the back buffer pixel for pixel.
#include "gfx/image_loading.h"

#include <algorithm>
#include <string>

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

// Refusals from the file's header are the image file's own test; here the device's own
// limit reaches both loaders.
TEST_F(ImageLoadingTest, MissingAndOversizedImagesLoadAsEmptyHandles) {
  EXPECT_EQ(LoadTexture("no-such-image.png", MAGENTA), nullptr);
  EXPECT_EQ(LoadSurface("no-such-image.png"), nullptr);

  const int tooWide = graphics.d3ddev->MaxTextureSize() + 1;
  const std::string wide = WriteImage("wide.png", tooWide, 1, [](int, int) { return BLACK; });
  const std::string limit = std::to_string(graphics.d3ddev->MaxTextureSize());
  for (bool texture : {true, false}) {
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(texture ? LoadTexture(wide.c_str(), 0) == nullptr : LoadSurface(wide.c_str()) == nullptr);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find(limit), std::string::npos) << said;
  }

  Texture* none = nullptr;
  ReleaseTexture(none);  // an empty handle is skipped
}

// The wood's surface: noise, with alpha that an X8R8G8B8 surface drops. (How the game
// joins and scrolls it is the frame's test.)
TEST_F(ImageLoadingTest, ASurfaceKeepsEveryColourAndDropsTheAlpha) {
  ResetRand();
  const std::string path = WriteImage("wood.png", 1024, 768, [](int, int) {
    return (static_cast<uint32_t>(Rand()) << 17) ^ static_cast<uint32_t>(Rand());
  });
  RenderSurface* wood = LoadSurface(path.c_str());
  ASSERT_NE(wood, nullptr);
  ImageData woodPixels, original;
  ASSERT_EQ(wood->ReadPixels(&woodPixels), S_OK);
  ASSERT_TRUE(LoadImageFile(path.c_str(), &original));
  ASSERT_EQ(woodPixels.pixels.size(), original.pixels.size());
  for (size_t i = 0; i < original.pixels.size(); ++i) {
    ASSERT_EQ(woodPixels.pixels[i], original.pixels[i] | BLACK) << i;
  }
  ReleaseSurface(wood);
}

}  // namespace
