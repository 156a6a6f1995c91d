#pragma once
// A device in memory under a scripted system (which records the message boxes), in a
// working directory of the test's own holding a copy of tests/gfx/models (small .x files,
// text and binary, and their textures), with helpers to write test images and to read
// back what a frame drew.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "../test_files.h"
#include "gfx/graphics_device.h"
#include "platform/gfx/image_file.h"
#include "platform/system/scripted_system.h"
#include "platform/system/system_driver.h"
#include "platform/system/window.h"
#include "shared/screen.h"

class GfxTest : public ::testing::Test {
 public:
  void SetUp() override {
    SetSystemDriver(onSdl ? nullptr : &scripted);
    window = CreateGameWindow("Zorbly Frondles", SCREEN_WIDTH, SCREEN_HEIGHT, IgnoreMessages);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(InitGraphics(window, SCREEN_WIDTH, SCREEN_HEIGHT, false));
    // Textures are also looked for in the working directory.
    const std::string folder = TestFile("_models");
    std::filesystem::copy(std::filesystem::path(ZF_SOURCE_DIR) / "tests/gfx/models", folder,
                          std::filesystem::copy_options::recursive);
    std::filesystem::current_path(folder);
  }

  void TearDown() override {
    ReleaseGraphics();
    DestroyGameWindow(window);
    SetSystemDriver(nullptr);
    std::filesystem::current_path(previousFolder);
  }

  // An image file of the pixels, for this test alone.
  static std::string WriteImage(const std::string& name, int width, int height,
                                const std::function<uint32_t(int, int)>& pixel) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = pixel(i % width, i / width);
    const std::string path = TestFile("_" + name);
    EXPECT_TRUE((name.ends_with(".tga") ? SaveImageTga : SaveImagePng)(path.c_str(), width, height,
                                                                       pixels.data()));
    return path;
  }

  // Clears to `background`, runs `draw` inside the scene and the batch, and reads back.
  static ImageData DrawFrame(uint32_t background, const std::function<void()>& draw) {
    graphics.d3ddev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0);
    EXPECT_EQ(graphics.d3ddev->BeginScene(), S_OK);
    EXPECT_EQ(graphics.spriteBatch->Begin(D3DXSPRITE_ALPHABLEND), S_OK);
    draw();
    graphics.spriteBatch->End();
    graphics.d3ddev->EndScene();
    return ReadBackBuffer();
  }

  static ImageData ReadBackBuffer() {
    ImageData image;
    EXPECT_EQ(graphics.backBuffer->ReadPixels(&image), S_OK);
    return image;
  }

  static uint32_t At(const ImageData& image, int x, int y) {
    return image.pixels[static_cast<size_t>(y) * image.width + x];
  }

  // The smallest rectangle holding every pixel of rows [top, bottom) that differs from
  // `background`.
  static Rect Covered(const ImageData& image, uint32_t background, int top = 0, int bottom = -1) {
    Rect box{image.width, image.height, 0, 0};
    for (int y = top; y < (bottom < 0 ? image.height : bottom); ++y) {
      for (int x = 0; x < image.width; ++x) {
        if (At(image, x, y) == background) continue;
        box = Rect{std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                   std::max(box.bottom, y + 1)};
      }
    }
    return box;
  }

  ScriptedSystem scripted;
  bool onSdl = false;  // a window of SDL's dummy display in place of the scripted system
  WindowHandle window = nullptr;
  std::filesystem::path previousFolder = std::filesystem::current_path();
};
