// The device over SDL: presenting keeps the picture's aspect, Alt+Enter switches full
// screen, a renderer that loses its textures recovers, and which OpenGL is a software
// rasteriser. (A scripted window's device, which draws into memory, is what the game's
// frame tests draw on; the game in a real window on both renderers is window/'s test.)
#include "platform/gfx/render_device.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/gfx/font.h"
#include "platform/system/sdl_window.h"
#include "platform/gfx/sprite_batch.h"
#include "platform/system/system_driver.h"
#include "platform/gfx/texture.h"
#include "platform/gfx/window_picture.h"
#include "platform/system/window.h"

namespace {

constexpr uint32_t WHITE = 0xFFFFFFFF;
constexpr uint32_t BLUE = 0xFF000064;

intptr_t IgnoreMessages(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

PresentParameters GameParameters(WindowHandle window) {
  PresentParameters parameters;
  parameters.backBufferWidth = 1024;
  parameters.backBufferHeight = 768;
  parameters.backBufferFormat = D3DFMT_X8R8G8B8;
  parameters.deviceWindow = window;
  parameters.windowed = true;
  parameters.presentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  return parameters;
}

uint32_t PixelAt(const ImageData& image, int x, int y) {
  return image.pixels[static_cast<size_t>(y) * image.width + x];
}

class RenderDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSystemDriver(nullptr);
    window = CreateGameWindow("Zorbly Frondles", 1024, 768, IgnoreMessages);
    ASSERT_NE(window, nullptr);
    graphics = CreateGraphicsObject();
    ASSERT_NE(graphics, nullptr);
    ASSERT_EQ(graphics->CreateDevice(window, GameParameters(window), &device), S_OK);
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), S_OK);
  }

  void TearDown() override {
    if (device) device->Release();
    if (graphics) graphics->Release();
    if (window) DestroyGameWindow(window);
    SetSystemDriver(nullptr);
  }

  // Drains what the test pushed, as the main loop would.
  static void PumpMessages() {
    Message message;
    while (PeekMessage(&message)) {
    }
  }

  static void PushKey(SDL_Keycode key, Uint16 modifiers, Uint8 repeat) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = key;
    event.key.keysym.mod = modifiers;
    event.key.repeat = repeat;
    SDL_PushEvent(&event);
  }

  ImageData Read(RenderSurface* surface) {
    ImageData image;
    EXPECT_EQ(surface->ReadPixels(&image), S_OK);
    return image;
  }

  WindowHandle window = nullptr;
  GraphicsObject* graphics = nullptr;
  RenderDevice* device = nullptr;
  RenderSurface* backBuffer = nullptr;
};

TEST_F(RenderDeviceTest, PresentKeepsTheAspectWithBlackBarsInAWiderWindow) {
  SDL_Window* sdlWindow = SdlGameWindow();
  ASSERT_NE(sdlWindow, nullptr);
  SDL_SetWindowSize(sdlWindow, 1600, 600);
  PumpMessages();
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, WHITE, 1.0f, 0), S_OK);
  ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);

  // 600 high means 800 wide, centred: bars of 400 on each side.
  SDL_Surface* screen = SDL_GetWindowSurface(sdlWindow);
  ASSERT_NE(screen, nullptr);
  ASSERT_EQ(screen->w, 1600);
  auto pixel = [&](int x, int y) {
    Uint8 r = 0, g = 0, b = 0;
    const auto* row = static_cast<const Uint8*>(screen->pixels) + y * screen->pitch;
    SDL_GetRGB(*reinterpret_cast<const Uint32*>(row + x * 4), screen->format, &r, &g, &b);
    return (r << 16) | (g << 8) | b;
  };
  EXPECT_EQ(pixel(399, 300), 0x000000);
  EXPECT_EQ(pixel(400, 300), 0xFFFFFF);
  EXPECT_EQ(pixel(1199, 599), 0xFFFFFF);
  EXPECT_EQ(pixel(1200, 300), 0x000000);
  // Presenting leaves the back buffer as it was.
  EXPECT_EQ(PixelAt(Read(backBuffer), 0, 0), WHITE);
}

// The question box shows the picture last presented, which a window's own buffer cannot be
// trusted to hold once presented; the device keeps it while the next frame draws.
TEST_F(RenderDeviceTest, ThePresentedPictureIsKeptWhileTheNextFrameDraws) {
  SDL_Renderer* renderer = SDL_GetRenderer(SdlGameWindow());
  auto presented = [&] {
    SDL_Texture* picture = LastPresentedPicture(renderer);
    uint32_t pixel = 0;
    if (!picture) return pixel;
    SDL_SetRenderTarget(renderer, picture);
    const SDL_Rect corner{0, 0, 1, 1};
    SDL_RenderReadPixels(renderer, &corner, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
    return pixel;
  };
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, BLUE, 1.0f, 0), S_OK);
  ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(presented(), BLUE);
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, WHITE, 1.0f, 0), S_OK);
  EXPECT_EQ(presented(), BLUE);
  EXPECT_EQ(PixelAt(Read(backBuffer), 0, 0), WHITE);
  // A frame drawn on without a clear starts from the picture it follows.
  ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
  ASSERT_EQ(device->BeginScene(), S_OK);
  device->EndScene();
  EXPECT_EQ(presented(), WHITE);
  EXPECT_EQ(PixelAt(Read(backBuffer), 0, 0), WHITE);
}

TEST_F(RenderDeviceTest, AltEnterSwitchesFullScreenOncePerPressNotPerRepeat) {
  SDL_Window* sdlWindow = SdlGameWindow();
  auto fullScreen = [&] { return (SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_FULLSCREEN) != 0; };
  ASSERT_FALSE(fullScreen());

  PushKey(SDLK_RETURN, KMOD_LALT, 0);
  PushKey(SDLK_RETURN, KMOD_LALT, 1);  // held down: repeats change nothing
  PushKey(SDLK_RETURN, KMOD_NONE, 0);  // Enter alone is the game's key, not ours
  PumpMessages();
  device->Present(nullptr, nullptr, nullptr, nullptr);
  EXPECT_TRUE(fullScreen());

  PushKey(SDLK_KP_ENTER, KMOD_RALT, 0);
  PumpMessages();
  device->Present(nullptr, nullptr, nullptr, nullptr);
  EXPECT_FALSE(fullScreen());
}

TEST_F(RenderDeviceTest, AfterTheRendererLosesItsTexturesDrawingRecovers) {
  ImageData tile{2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x00000000}};
  Texture* texture = nullptr;
  ASSERT_EQ(device->CreateTextureFromPixels(tile, &texture), S_OK);
  RenderSurface* surface = nullptr;
  ASSERT_EQ(device->CreateOffscreenPlainSurface(4, 4, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &surface,
                                                nullptr),
            S_OK);
  ASSERT_EQ(surface->LoadPixels(ImageData{4, 4, std::vector<uint32_t>(16, 0xFF123456)}), S_OK);
  SpriteBatch* batch = nullptr;
  ASSERT_EQ(CreateSprite(device, &batch), S_OK);

  auto drawFrame = [&] {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, BLUE, 1.0f, 0);
    const Rect corner{0, 0, 4, 4};
    EXPECT_EQ(device->StretchRect(surface, nullptr, backBuffer, &corner, D3DTEXF_NONE), S_OK);
    EXPECT_EQ(device->BeginScene(), S_OK);
    EXPECT_EQ(batch->Begin(D3DXSPRITE_ALPHABLEND), S_OK);
    const Vector2 at{10.0f, 10.0f};
    EXPECT_EQ(batch->Draw(texture, nullptr, nullptr, &at, WHITE), S_OK);
    batch->End();
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    return Read(backBuffer);
  };
  auto expectPicture = [&](const ImageData& image) {
    EXPECT_EQ(PixelAt(image, 3, 3), 0xFF123456u);
    EXPECT_EQ(PixelAt(image, 10, 10), 0xFFFF0000u);
    EXPECT_EQ(PixelAt(image, 11, 10), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(image, 10, 11), 0xFF0000FFu);
    EXPECT_EQ(PixelAt(image, 11, 11), BLUE);  // the transparent texel
  };
  expectPicture(drawFrame());

  for (Uint32 reset : {SDL_RENDER_TARGETS_RESET, SDL_RENDER_DEVICE_RESET}) {
    SDL_Event event{};
    event.type = reset;
    SDL_PushEvent(&event);
    PumpMessages();
    expectPicture(drawFrame());
  }
  batch->Release();
  surface->Release();
  texture->Release();
}

TEST_F(RenderDeviceTest, CallsOutOfOrderOrOutOfBoundsAreRefusedNotCrashes) {
  RenderSurface* surface = nullptr;
  ASSERT_EQ(device->CreateOffscreenPlainSurface(16, 16, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &surface,
                                                nullptr),
            S_OK);
  const Rect outside{10, 10, 20, 20};
  EXPECT_EQ(device->StretchRect(surface, &outside, backBuffer, &outside, D3DTEXF_NONE),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->StretchRect(surface, nullptr, surface, nullptr, D3DTEXF_NONE),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->StretchRect(nullptr, nullptr, backBuffer, nullptr, D3DTEXF_NONE),
            D3DERR_INVALIDCALL);
  RenderSurface* none = nullptr;
  EXPECT_NE(device->CreateOffscreenPlainSurface(0, 16, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &none,
                                                nullptr),
            S_OK);
  EXPECT_EQ(none, nullptr);

  EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->BeginScene(), S_OK);
  EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->EndScene(), S_OK);

  SpriteBatch* batch = nullptr;
  ASSERT_EQ(CreateSprite(device, &batch), S_OK);
  Texture* texture = nullptr;
  ASSERT_EQ(device->CreateTextureFromPixels(ImageData{1, 1, {WHITE}}, &texture), S_OK);
  EXPECT_EQ(batch->Draw(texture, nullptr, nullptr, nullptr, WHITE), D3DERR_INVALIDCALL);
  // Handles that outlive their device are released safely.
  device->Release();
  device = nullptr;
  batch->Release();
  texture->Release();
  surface->Release();
}

TEST(RendererChoiceTest, OnlySoftwareRasterisersAreToldApartFromGpus) {
  for (const char* software : {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Software Rasterizer",
                               "zink Vulkan 1.3(llvmpipe (LLVM 15.0.7, 256 bits) (MESA_LLVMPIPE))",
                               "D3D12 (Microsoft Basic Render Driver)"}) {
    EXPECT_TRUE(NamesSoftwareRasteriser(software)) << software;
  }
  for (const char* gpu : {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "NVIDIA GeForce GTX 1060/PCIe/SSE2",
                          "AMD Radeon RX 580 Series (polaris10, LLVM 15.0.6, DRM 3.49)", ""}) {
    EXPECT_FALSE(NamesSoftwareRasteriser(gpu)) << gpu;
  }
}

}  // namespace
