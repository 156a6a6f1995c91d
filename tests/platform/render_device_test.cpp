// The device over SDL: presenting keeps the picture's aspect, Alt+Enter switches full
// screen, a renderer that loses its textures recovers, and which OpenGL is a software
// rasteriser. (A scripted window's device, which draws into memory, is what the game's
// frame tests draw on; the game in a real window on both renderers is window/'s test.)
#include "platform/gfx/render_device.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "../gfx/gfx_fixture.h"
#include "platform/gfx/render_internal.h"
#include "platform/gfx/screen_label.h"
#include "platform/gfx/sprite_batch.h"
#include "platform/gfx/texture.h"
#include "platform/gfx/window_picture.h"
#include "platform/system/sdl_window.h"
#include "pushed_event.h"
#include "shown_window.h"

namespace {

constexpr uint32_t WHITE = 0xFFFFFFFF;
constexpr uint32_t BLUE = 0xFF000064;

// The game's device in a window of SDL's dummy display.
class RenderDeviceTest : public GfxTest {
 protected:
  RenderDeviceTest() { onSdl = true; }
  // Drains what the test pushed, as the main loop would.
  static void PumpMessages() {
    for (Message message; PeekMessage(&message);) {
    }
  }
  static void Clear(uint32_t color) {
    ASSERT_EQ(graphics.d3ddev->Clear(0, nullptr, D3DCLEAR_TARGET, color, 1.0f, 0), S_OK);
  }
  static void Present() {
    EXPECT_EQ(graphics.d3ddev->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
  }
};

TEST_F(RenderDeviceTest, PresentKeepsTheAspectWithBlackBarsInAWiderWindow) {
  SDL_SetWindowSize(SdlGameWindow(), 1600, 600);
  PumpMessages();
  Clear(WHITE);
  Present();

  // 600 high means 800 wide, centred: bars of 400 on each side. (Black and white read
  // the same in any 32-bit layout of the window's pixels.)
  SDL_Surface* screen = SDL_GetWindowSurface(SdlGameWindow());
  ASSERT_NE(screen, nullptr);
  ASSERT_EQ(screen->w, 1600);
  auto pixel = [screen](int x, int y) {
    return static_cast<const Uint32*>(screen->pixels)[y * screen->pitch / 4 + x] & 0xFFFFFF;
  };
  EXPECT_EQ((std::array{pixel(399, 300), pixel(400, 300), pixel(1199, 599), pixel(1200, 300)}),
            (std::array<Uint32, 4>{0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000}));
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
  Clear(BLUE);
  Present();
  EXPECT_EQ(presented(), BLUE);
  Clear(WHITE);
  EXPECT_EQ(presented(), BLUE);
  EXPECT_EQ(At(ReadBackBuffer(), 0, 0), WHITE);
  // A frame drawn on without a clear starts from the picture it follows.
  Present();
  ASSERT_EQ(graphics.d3ddev->BeginScene(), S_OK);
  graphics.d3ddev->EndScene();
  EXPECT_EQ(presented(), WHITE);
  EXPECT_EQ(At(ReadBackBuffer(), 0, 0), WHITE);
}

TEST_F(RenderDeviceTest, AltEnterSwitchesFullScreenOncePerPressNotPerRepeat) {
  auto fullScreen = [] {
    return (SDL_GetWindowFlags(SdlGameWindow()) & SDL_WINDOW_FULLSCREEN) != 0;
  };
  auto press = [](SDL_Keycode key, Uint16 modifiers, Uint8 repeat) {
    PushEvent(SDL_KEYDOWN, [&](SDL_Event& e) {
      e.key.keysym = {SDL_SCANCODE_UNKNOWN, key, modifiers, 0};
      e.key.repeat = repeat;
    });
  };
  ASSERT_FALSE(fullScreen());
  press(SDLK_RETURN, KMOD_LALT, 0);
  press(SDLK_RETURN, KMOD_LALT, 1);  // held down: repeats change nothing
  PumpMessages();
  Present();
  EXPECT_TRUE(fullScreen());
  press(SDLK_KP_ENTER, KMOD_RALT, 0);
  PumpMessages();
  Present();
  EXPECT_FALSE(fullScreen());
}

TEST_F(RenderDeviceTest, AfterTheRendererLosesItsTexturesDrawingRecovers) {
  Texture* texture = nullptr;
  ASSERT_EQ(graphics.d3ddev->CreateTextureFromPixels(
                ImageData{2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x00000000}}, &texture),
            S_OK);
  RenderSurface* surface = nullptr;
  ASSERT_EQ(graphics.d3ddev->CreateOffscreenPlainSurface(4, 4, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                                         &surface, nullptr),
            S_OK);
  ASSERT_EQ(surface->LoadPixels(ImageData{4, 4, std::vector<uint32_t>(16, 0xFF123456)}), S_OK);
  // The surface in the corner, the texture at (10, 10) over blue; then presented.
  auto drawFrame = [&] {
    const ImageData image = DrawFrame(BLUE, [&] {
      const Rect corner{0, 0, 4, 4};
      EXPECT_EQ(graphics.d3ddev->StretchRect(surface, nullptr, graphics.backBuffer, &corner,
                                             D3DTEXF_NONE),
                S_OK);
      const Vector2 at{10.0f, 10.0f};
      EXPECT_EQ(graphics.spriteBatch->Draw(texture, nullptr, nullptr, &at, WHITE), S_OK);
    });
    Present();
    const std::array seen{At(image, 3, 3), At(image, 10, 10), At(image, 11, 10), At(image, 10, 11),
                          At(image, 11, 11)};  // the last under the transparent texel
    EXPECT_EQ(seen,
              (std::array<uint32_t, 5>{0xFF123456, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, BLUE}));
  };
  drawFrame();
  for (Uint32 reset : {SDL_RENDER_TARGETS_RESET, SDL_RENDER_DEVICE_RESET}) {
    PushEvent(reset, [](SDL_Event&) {});
    PumpMessages();
    drawFrame();
  }
  surface->Release();
  texture->Release();
}

TEST_F(RenderDeviceTest, CallsOutOfOrderOrOutOfBoundsAreRefusedNotCrashes) {
  RenderDevice* device = graphics.d3ddev;
  RenderSurface* surface = nullptr;
  ASSERT_EQ(device->CreateOffscreenPlainSurface(16, 16, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &surface,
                                                nullptr),
            S_OK);
  const Rect outside{10, 10, 20, 20};
  EXPECT_EQ(device->StretchRect(surface, &outside, graphics.backBuffer, &outside, D3DTEXF_NONE),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->StretchRect(surface, nullptr, surface, nullptr, D3DTEXF_NONE),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->StretchRect(nullptr, nullptr, graphics.backBuffer, nullptr, D3DTEXF_NONE),
            D3DERR_INVALIDCALL);
  RenderSurface* none = nullptr;
  EXPECT_NE(
      device->CreateOffscreenPlainSurface(0, 16, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &none, nullptr),
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
  ReleaseGraphics();
  batch->Release();
  texture->Release();
  surface->Release();
}

// What the device keeps from a texture's pixels (stretches, stretches kept tinted, turned
// looks and the bordered copy behind them) is never drawn once the pixels change: every way
// of drawing shows the new pixels as a fresh texture of them does.
TEST_F(RenderDeviceTest, ATexturesNewPixelsAreDrawnNotWhatWasKeptFromTheOld) {
  const auto image = [](uint32_t inside) {
    ImageData made{6, 6, std::vector<uint32_t>(36, 0xFFFF0000)};
    for (int y = 2; y < 4; ++y) std::fill_n(&made.pixels[y * 6 + 2], 3, inside);
    return made;
  };
  // Stretched, tinted, stretched and tinted twice running, turned twice at one place.
  const auto drawEveryWay = [](Texture* texture) {
    return DrawFrame(BLUE, [texture] {
      const struct {
        Matrix2D transform;
        uint32_t color;
      } ways[] = {{{2, 0, 0, 2, 10, 10}, WHITE},
                  {{1, 0, 0, 1, 40, 10}, 0x80FF8040},
                  {{3, 0, 0, 3, 60, 10}, 0xC0FFFFFF},
                  {{3, 0, 0, 3, 60, 40}, 0xC0FFFFFF},
                  {{0.8f, 0.6f, -0.6f, 0.8f, 100.25f, 10.5f}, WHITE},
                  {{0.8f, 0.6f, -0.6f, 0.8f, 100.25f, 10.5f}, 0xFF80FF80}};
      for (const auto& way : ways) {
        graphics.spriteBatch->SetTransform(way.transform);
        EXPECT_EQ(graphics.spriteBatch->Draw(texture, nullptr, nullptr, nullptr, way.color), S_OK);
      }
      graphics.spriteBatch->SetTransform(Matrix2D{});
    });
  };
  Texture* texture = nullptr;
  ASSERT_EQ(graphics.d3ddev->CreateTextureFromPixels(image(0x8000FF00), &texture), S_OK);
  const ImageData before = drawEveryWay(texture);
  EXPECT_TRUE(drawEveryWay(texture).pixels == before.pixels) << "drawn again from what was kept";

  LockedRect locked;
  const Rect inside{2, 2, 5, 4};
  ASSERT_EQ(texture->LockRect(&locked, &inside, 0), S_OK);
  EXPECT_EQ(texture->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL) << "one lock at a time";
  for (int y = 0; y < 2; ++y) {
    std::fill_n(reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) + y * locked.pitch),
                3, 0xFFFFFF00u);
  }
  ASSERT_EQ(texture->UnlockRect(), S_OK);
  Texture* fresh = nullptr;
  ASSERT_EQ(graphics.d3ddev->CreateTextureFromPixels(image(0xFFFFFF00), &fresh), S_OK);
  const ImageData after = drawEveryWay(texture);
  EXPECT_FALSE(after.pixels == before.pixels);
  EXPECT_TRUE(after.pixels == drawEveryWay(fresh).pixels);
  texture->Release();
  fresh->Release();
}

// Labels of our own go over a frame as it is presented, and only there: the back buffer
// keeps the game's frame untouched, and a picture presented again shows the labels as
// they are then (a paused playback's); a label's picture is made once per text, and goes
// when cleared or when its time is up (by the platform's clock, here the scripted one).
TEST_F(RenderDeviceTest, LabelsCoverOnlyTheirPlaceWhileSetInTheQuestionsColours) {
  DeviceImpl* device = static_cast<DeviceImpl*>(graphics.d3ddev);
  // The window is SDL's, found before the scripted system takes over.
  const auto shownNow = [window = SdlGameWindow()] {
    Present();
    return ShownWindow(window);
  };
  const auto presented = [&shownNow] {
    DrawFrame(BLUE, [] {});
    return shownNow();
  };
  const std::vector<TextureImpl*>& textures = device->textures;
  // The clock the labels go by is the scripted one.
  SetSystemDriver(&scripted);
  scripted.clock = 5000;
  SetScreenLabel(ScreenLabelSlot::Volume, "VOLUME 7/10", 1000);
  const ImageData shown = presented();
  EXPECT_EQ(Covered(ReadBackBuffer(), BLUE).right, 0) << "the frame itself is untouched";
  const Rect box = Covered(shown, BLUE);
  EXPECT_EQ(box.right, SCREEN_WIDTH - 16) << "bottom right, above the health bar";
  EXPECT_EQ(box.bottom, SCREEN_HEIGHT - 34);
  EXPECT_GT(box.right - box.left, 100);
  EXPECT_EQ(At(shown, box.left, box.top), 0xFFB22218u) << "the sauce-red border";
  EXPECT_GT(std::count(shown.pixels.begin(), shown.pixels.end(), 0xFFFAE8C4u), 100) << "cream text";
  const TextureImpl* picture = textures.back();
  SetScreenLabel(ScreenLabelSlot::Volume, "VOLUME 7/10", 1000);  // again, a second later
  scripted.clock = 5999;
  EXPECT_EQ(presented().pixels, shown.pixels);
  EXPECT_EQ(textures.back(), picture) << "no new picture for the same text";
  scripted.clock = 6000;
  EXPECT_EQ(Covered(presented(), BLUE).right, 0) << "gone after its second";
  EXPECT_EQ(std::count(textures.begin(), textures.end(), picture), 0);

  SetScreenLabel(ScreenLabelSlot::Centre, "PAUSED");  // until cleared, on the same frame
  scripted.clock += 100000;
  const Rect middle = Covered(shownNow(), BLUE);
  EXPECT_NEAR(middle.left + middle.right, SCREEN_WIDTH, 1);
  EXPECT_NEAR(middle.top + middle.bottom, SCREEN_HEIGHT, 1);
  SetScreenLabel(ScreenLabelSlot::Centre, "");
  EXPECT_EQ(Covered(shownNow(), BLUE).right, 0);
}

// At every size (growing, shrinking a little and by more than half, where the shuffles give
// way, and odd sizes) each channel of every output pixel lies within that channel's range
// over the 2 x 2 source pixels around the point it maps back to, the picture's edges
// included; and every width of shuffle the processor has gives the plain code's pixels.
TEST(SmoothScaleTest, EveryPixelComesFromTheSourcePixelsAroundItAtEveryShuffleWidth) {
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormat(0, 101, 40, 32, SDL_PIXELFORMAT_RGB888);
  for (int i = 0; i < source->w * source->h; ++i)
    static_cast<uint32_t*>(source->pixels)[i] = i * 2654435761u;
  const auto near = [](int i, int from, int to) {
    return std::clamp(static_cast<int>((i + 0.5) * from / to - 0.5), 0, from - 2);
  };
  for (const SDL_Rect where :
       {SDL_Rect{3, 1, 237, 97}, SDL_Rect{0, 0, 128, 50}, SDL_Rect{5, 3, 83, 37},
        SDL_Rect{0, 0, 45, 19}, SDL_Rect{1, 0, 9, 5}}) {
    std::vector<uint32_t> plain;
    for (const int widest : {0, 16, 32}) {
      SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, 240, 100, 32, SDL_PIXELFORMAT_RGB888);
      SmoothScaler scaler;
      ScaleSmoothly(&scaler, source, target, where, widest);
      const uint32_t* pixels = static_cast<const uint32_t*>(target->pixels);
      const std::vector<uint32_t> out(pixels, pixels + target->w * target->h);
      EXPECT_TRUE(widest == 0 || out == plain)
          << where.w << " x " << where.h << " with shuffles of " << widest << " bytes";
      for (int y = 0; widest == 0 && y < where.h; ++y) {
        for (int x = 0; x < where.w; ++x) {
          const int sx = near(x, source->w, where.w), sy = near(y, source->h, where.h);
          const uint32_t pixel = PixelRow(target, where.y + y)[where.x + x];
          for (int shift = 0; shift < 24; shift += 8) {
            int low = 255, high = 0;
            for (const uint32_t in :
                 {PixelRow(source, sy)[sx], PixelRow(source, sy)[sx + 1],
                  PixelRow(source, sy + 1)[sx], PixelRow(source, sy + 1)[sx + 1]}) {
              low = std::min<int>(low, (in >> shift) & 0xFF);
              high = std::max<int>(high, (in >> shift) & 0xFF);
            }
            const int channel = (pixel >> shift) & 0xFF;
            ASSERT_TRUE(low <= channel && channel <= high)
                << where.w << " x " << where.h << " at " << x << ", " << y;
          }
        }
      }
      if (widest == 0) plain = out;
      SDL_FreeSurface(target);
    }
  }
  SDL_FreeSurface(source);
}

TEST(RendererChoiceTest, OnlySoftwareRasterisersAreToldApartFromGpus) {
  for (const char* software :
       {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Software Rasterizer",
        "zink Vulkan 1.3(llvmpipe (LLVM 15.0.7, 256 bits) (MESA_LLVMPIPE))",
        "D3D12 (Microsoft Basic Render Driver)"}) {
    EXPECT_TRUE(NamesSoftwareRasteriser(software)) << software;
  }
  for (const char* gpu :
       {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "NVIDIA GeForce GTX 1060/PCIe/SSE2",
        "AMD Radeon RX 580 Series (polaris10, LLVM 15.0.6, DRM 3.49)", ""}) {
    EXPECT_FALSE(NamesSoftwareRasteriser(gpu)) << gpu;
  }
}

}  // namespace
