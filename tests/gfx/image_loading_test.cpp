// Images become textures with their colour key made transparent, or plain surfaces
// that copy into the back buffer pixel for pixel.
#include "gfx/image_loading.h"

#include <algorithm>
#include <string>

#include "gfx/sprite_drawing.h"
#include "gfx_fixture.h"
#include "platform/gfx/texture.h"
#include "platform/system/random.h"

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
      ImageData image = DrawFrame(
          BACKGROUND, [&] { DrawSprite(texture, 0, 0, 20, 5, 0, 1, 0.0f, 1.0f, 0xFFFFFFFF); });
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

// Refusals from the file's header are the image file's own test, missing files the
// environment's; here the device's own limit reaches both loaders.
TEST_F(ImageLoadingTest, ImagesPastTheDevicesLimitLoadAsEmptyHandlesInOneLine) {
  const int tooWide = graphics.d3ddev->MaxTextureSize() + 1;
  const std::string wide = WriteImage("wide.png", tooWide, 1, [](int, int) { return BLACK; });
  const std::string limit = std::to_string(graphics.d3ddev->MaxTextureSize());
  for (bool texture : {true, false}) {
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(texture ? LoadTexture(wide.c_str(), 0) == nullptr
                        : LoadSurface(wide.c_str()) == nullptr);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find(limit), std::string::npos) << said;
  }
}

}  // namespace
