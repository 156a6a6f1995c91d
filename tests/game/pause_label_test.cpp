// The game in a window of SDL's dummy display on the software renderer: a paused pass
// presents PAUSED and the controls' legend under it over its frame and an unpaused one
// the frame alone; the replay viewer's
// own pause, between frames, shows it the same way.
#include <SDL.h>
#include <gtest/gtest.h>

#include "../gfx/gfx_fixture.h"
#include "../platform/shown_window.h"
#include "game/game_entry.h"
#include "game/player_keys.h"
#include "game/world_state.h"
#include "gfx/graphics_device.h"
#include "platform/gfx/render_device.h"
#include "platform/system/sdl_window.h"
#include "platform/system/system_driver.h"
#include "shared/screen.h"

namespace {

// How many pixels of the window differ from the frame drawn, below row `top`.
int LabelledPixels(int top = 0) {
  const ImageData frame = GfxTest::ReadBackBuffer(), shown = ShownWindow();
  EXPECT_EQ(shown.pixels.size(), frame.pixels.size());
  int differing = 0;
  for (size_t i = static_cast<size_t>(top) * shown.width; i < frame.pixels.size(); ++i)
    differing += ((shown.pixels[i] ^ frame.pixels[i]) & 0xFFFFFF) != 0;
  return differing;
}

TEST(PauseLabelTest, PausedPassesPresentThePausedLabelAndUnpausedOnesTheFrameAlone) {
  SetSystemDriver(nullptr);
  WindowHandle window = CreateGameWindow(gameTitle, SCREEN_WIDTH, SCREEN_HEIGHT, MainWindowProc);
  ASSERT_TRUE(window && GameStartup(window));
  bool viewerPaused = false;
  const struct {
    bool gamePaused, viewerKey;  // the viewer's P, or a pass of the game
  } STEPS[] = {{false, false}, {true, false}, {false, false}, {false, true}, {false, true}};
  for (const auto& step : STEPS) {
    world.paused = step.gamePaused;
    if (step.viewerKey) {
      HandlePlayerKey(Message{window, MSG_KEYDOWN, SDL_SCANCODE_P, 0}, &viewerPaused);
      graphics.d3ddev->Present(nullptr, nullptr, nullptr, nullptr);
    } else {
      GameFrame(window);
    }
    const int labelled = LabelledPixels();
    EXPECT_TRUE(step.gamePaused || viewerPaused ? labelled > 5000 : labelled == 0) << labelled;
    // The controls' legend under PAUSED while the game is paused, not the viewer.
    const int legend = LabelledPixels(SCREEN_HEIGHT / 2 + 70);
    EXPECT_TRUE(step.gamePaused ? legend > 20000 : legend == 0) << legend;
  }
  GameShutdown();
  DestroyGameWindow(window);
}

}  // namespace
