#pragma once
// A real device on SDL's dummy display (software renderer), with helpers to write test
// images and to read back what a frame drew.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "../test_files.h"
#include "gfx/graphics_device.h"
#include "platform/gfx/image_file.h"
#include "platform/system/system_driver.h"
#include "platform/system/window.h"
#include "shared/screen.h"

inline intptr_t IgnoreMessages(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

class GfxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSystemDriver(nullptr);
    window = CreateGameWindow("Zorbly Frondles", SCREEN_WIDTH, SCREEN_HEIGHT, IgnoreMessages);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(InitGraphics(window, SCREEN_WIDTH, SCREEN_HEIGHT, false));
    ASSERT_NE(graphics.backBuffer, nullptr);
    ASSERT_NE(graphics.spriteBatch, nullptr);
  }

  void TearDown() override {
    ReleaseGraphics();
    DestroyGameWindow(window);
  }

  // An image file of the pixels, for this test alone.
  std::string WriteImage(const std::string& name, int width, int height,
                         const std::function<uint32_t(int, int)>& pixel) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) pixels[y * width + x] = pixel(x, y);
    }
    const std::string path = TestFile("_" + name);
    const bool tga = name.ends_with(".tga");
    EXPECT_TRUE(tga ? SaveImageTga(path.c_str(), width, height, pixels.data())
                    : SaveImagePng(path.c_str(), width, height, pixels.data()));
    return path;
  }

  // Clears to `background`, runs `draw` inside the scene and the batch, and reads back.
  ImageData DrawFrame(uint32_t background, const std::function<void()>& draw) {
    graphics.d3ddev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0);
    EXPECT_EQ(graphics.d3ddev->BeginScene(), S_OK);
    EXPECT_EQ(graphics.spriteBatch->Begin(D3DXSPRITE_ALPHABLEND), S_OK);
    draw();
    graphics.spriteBatch->End();
    graphics.d3ddev->EndScene();
    return ReadBackBuffer();
  }

  ImageData ReadBackBuffer() {
    ImageData image;
    EXPECT_EQ(graphics.backBuffer->ReadPixels(&image), S_OK);
    return image;
  }

  static uint32_t At(const ImageData& image, int x, int y) {
    return image.pixels[static_cast<size_t>(y) * image.width + x];
  }

  // The smallest rectangle holding every pixel that differs from `background`.
  static Rect Covered(const ImageData& image, uint32_t background) {
    Rect box{image.width, image.height, 0, 0};
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        if (At(image, x, y) == background) continue;
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x + 1);
        box.bottom = std::max(box.bottom, y + 1);
      }
    }
    return box;
  }

  WindowHandle window = nullptr;
};

#define EXPECT_RECT(rect, l, t, r, b)             \
  do {                                            \
    const Rect actualRect = (rect);               \
    EXPECT_EQ(actualRect.left, l);                \
    EXPECT_EQ(actualRect.top, t);                 \
    EXPECT_EQ(actualRect.right, r);               \
    EXPECT_EQ(actualRect.bottom, b);              \
  } while (false)
