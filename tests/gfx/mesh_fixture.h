#pragma once
// A device in memory under a scripted system (which records the message boxes) and a
// working directory of the test's own holding a copy of tests/gfx/models: small .x
// files, text and binary, and their textures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "gfx/graphics_device.h"
#include "platform/gfx/image_file.h"
#include "platform/gfx/matrix3d.h"
#include "platform/system/scripted_system.h"
#include "platform/system/system_driver.h"
#include "platform/system/window.h"
#include "shared/screen.h"

inline void WriteTestFile(const std::string& path, const std::string& bytes) {
  ASSERT_TRUE((std::ofstream(path, std::ios::binary) << bytes).good()) << path;
}

inline std::string ReadTestFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// Clears to `background`, runs `draw` inside the scene and reads the back buffer.
inline ImageData DrawMeshFrame(uint32_t background, const std::function<void()>& draw) {
  graphics.d3ddev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0);
  EXPECT_EQ(graphics.d3ddev->BeginScene(), S_OK);
  draw();
  graphics.d3ddev->EndScene();
  ImageData image;
  EXPECT_EQ(graphics.backBuffer->ReadPixels(&image), S_OK);
  return image;
}

inline uint32_t PixelAt(const ImageData& image, int x, int y) {
  return image.pixels[static_cast<size_t>(y) * image.width + x];
}

inline intptr_t IgnoreMeshWindowMessages(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

class MeshTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSystemDriver(&scripted);
    window = CreateGameWindow("Zorbly Frondles", SCREEN_WIDTH, SCREEN_HEIGHT,
                              IgnoreMeshWindowMessages);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(InitGraphics(window, SCREEN_WIDTH, SCREEN_HEIGHT, false));
    // Textures are also looked for in the working directory: each test has its own.
    std::error_code error;
    previousFolder = std::filesystem::current_path(error);
    folder = std::filesystem::temp_directory_path(error) /
             ("zf_mesh_" + std::to_string(getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder, error);
    std::filesystem::copy(std::filesystem::path(ZF_SOURCE_DIR) / "tests/gfx/models", folder,
                          std::filesystem::copy_options::recursive, error);
    std::filesystem::current_path(folder, error);
    ASSERT_FALSE(error) << error.message();
  }

  void TearDown() override {
    ReleaseGraphics();
    if (window) DestroyGameWindow(window);
    SetSystemDriver(nullptr);
    std::error_code error;
    std::filesystem::current_path(previousFolder, error);
    std::filesystem::remove_all(folder, error);
  }

  ScriptedSystem scripted;
  WindowHandle window = nullptr;
  std::filesystem::path previousFolder;
  std::filesystem::path folder;
};
