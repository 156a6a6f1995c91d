// The game in a real window, run under Xvfb, where OpenGL is Mesa's llvmpipe: the window
// shows the back buffer texel for texel on both renderers, the game picks SDL's software
// renderer there, and that draws the game's frames as OpenGL does.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "../game/collision_worlds.h"
#include "game/drawing.h"
#include "game/game_entry.h"
#include "game/world_state.h"
#include "gfx/graphics_device.h"
#include "platform/gfx/render_device.h"
#include "platform/system/question_box.h"
#include "platform/system/random.h"
#include "platform/system/sdl_window.h"
#include "platform/system/system_driver.h"
#include "platform/system/verbose.h"
#include "shared/screen.h"
#include "x_window.h"

namespace {

// Each scene, with how far the software renderer may stray from OpenGL in it: the mean
// difference of the channels, and how many pixels may lie more than FAR levels from every
// pixel within one pixel of them in the other picture. Blends round differently (GL in
// floats, SDL in integers), by a level or two; a sprite drawn at another size is stretched
// to whole pixels on the processor (67 wide where GL draws 67.5), which moves its edges by
// up to a pixel, while turned ones are filtered there as GL filters them. About half the
// bounds is what they measure; one missing tomato is some 500 far pixels.
// ZF_KEEP_SHOTS=folder keeps each scene's pictures there for a person to look at.
struct Scene {
  const char* name;
  void (*setUp)();
  double meanBound;
  int farPixelBound;
};
constexpr int FAR = 32;
const Scene SCENES[] = {
    {"start-up", [] {}, 0.2, 50},
    {"phase", [] { world.playerMode = MODE_PHASE; }, 0.2, 50},
    {"magnet", [] { world.playerMode = MODE_MAGNET; }, 0.2, 50},
    {"charge", [] { world.playerMode = MODE_CHARGE; }, 0.2, 50},
    {"300 projectiles",
     [] {
       world.playerMode = MODE_NORMAL;
       FillTheScreen();
     },
     3.5, 3000},
    {"question", nullptr, 2.5, 100},  // over the last scene, dimmed
};

// The scenes drawn in a fresh window with ZF_RENDERER set as given; the question is read
// from the window, the others from the back buffer, which the window must show unchanged.
std::vector<ImageData> DrawScenes(const char* wanted, const char* expected, std::string* said) {
  std::vector<ImageData> drawn;
  setenv("ZF_RENDERER", wanted, 1);
  SetSystemDriver(nullptr);
  world = WorldState{};
  ResetRand();
  WindowHandle window = CreateGameWindow(gameTitle, SCREEN_WIDTH, SCREEN_HEIGHT, MainWindowProc);
  ::testing::internal::CaptureStderr();
  SetVerbose(true);
  const bool started = window && GameStartup(window);
  SetVerbose(false);
  *said = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(started) << *said;
  if (!started) return drawn;
  EXPECT_STREQ(RendererName(graphics.d3ddev), expected);
  for (const Scene& scene : SCENES) {
    if (!scene.setUp) break;
    scene.setUp();
    ResetRand();  // the modes' looks take the same values on both
    ClearFrame();
    DrawFrame();
    const ImageData shown = ReadWindow();
    drawn.emplace_back();
    EXPECT_EQ(graphics.backBuffer->ReadPixels(&drawn.back()), S_OK);
    EXPECT_TRUE(shown.pixels == drawn.back().pixels) << scene.name << " on " << expected;
  }
  {
    QuestionBox box(SdlGameWindow(), SDL_GetRenderer(SdlGameWindow()), "You win! Play again?",
                    gameTitle, true, SDL_GetTicks());
    box.Step(SDL_GetTicks());
    drawn.push_back(ReadWindow());
  }
  GameShutdown();
  DestroyGameWindow(window);
  unsetenv("ZF_RENDERER");
  return drawn;
}

int ChannelDifference(uint32_t a, uint32_t b) {
  int most = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    most = std::max(most, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                   static_cast<int>((b >> shift) & 0xFF)));
  }
  return most;
}

// How far the pixel at (x, y) of one picture is from its best match within one pixel of
// it in the other.
int NearestMatch(const ImageData& a, const ImageData& b, int x, int y) {
  int best = 255;
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      if (x + dx < 0 || y + dy < 0 || x + dx >= b.width || y + dy >= b.height) continue;
      best = std::min(best, ChannelDifference(a.pixels[y * a.width + x],
                                              b.pixels[(y + dy) * b.width + x + dx]));
    }
  }
  return best;
}

TEST(RenderersTest, TheSoftwareRendererIsPickedHereAndDrawsTheGamesFramesAsOpenGLDoes) {
  std::string said;
  const std::vector<ImageData> openGL = DrawScenes("opengl", "opengl", &said);
  EXPECT_NE(said.find("drawing with the opengl renderer (llvmpipe"), std::string::npos) << said;
  // An unknown name is said and the game chooses as it would without one.
  const std::vector<ImageData> software = DrawScenes("vulkan", "software", &said);
  EXPECT_NE(said.find("ZF_RENDERER=vulkan is neither opengl nor software"), std::string::npos);
  EXPECT_NE(said.find("drawing with the software renderer ("), std::string::npos) << said;
  ASSERT_EQ(openGL.size(), std::size(SCENES));
  ASSERT_EQ(software.size(), std::size(SCENES));
  for (size_t s = 0; s < std::size(SCENES); ++s) {
    const ImageData& a = openGL[s];
    const ImageData& b = software[s];
    ASSERT_EQ(a.pixels.size(), b.pixels.size()) << SCENES[s].name;
    double total = 0.0;
    int far = 0;
    for (int y = 0; y < a.height; ++y) {
      for (int x = 0; x < a.width; ++x) {
        total += ChannelDifference(a.pixels[y * a.width + x], b.pixels[y * b.width + x]);
        far += std::max(NearestMatch(a, b, x, y), NearestMatch(b, a, x, y)) > FAR;
      }
    }
    EXPECT_LE(total / a.pixels.size(), SCENES[s].meanBound) << SCENES[s].name;
    EXPECT_LE(far, SCENES[s].farPixelBound) << SCENES[s].name;
    if (const char* keep = std::getenv("ZF_KEEP_SHOTS")) {
      for (const auto& [picture, renderer] : {std::pair{&a, "opengl"}, std::pair{&b, "software"}}) {
        const std::string path =
            std::string(keep) + "/" + SCENES[s].name + " on " + renderer + ".png";
        SaveImagePng(path.c_str(), picture->width, picture->height, picture->pixels.data());
      }
    }
  }
}

}  // namespace
