// The game's own passes, headless on SDL's software renderer and silent: the collision
// pass with every enemy and projectile in play, one tick, and the whole pass with its
// drawing at the start-up population and with 300 projectiles in flight, each beside a
// bare background-copy-and-present frame; and start-up to the first presented frame
// beside opening a bare window and presenting once. The RealWindow ones are the same
// passes in a window on a display (run under Xvfb by `make bench`).
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "app/win_main.h"
#include "game/collisions.h"
#include "game/game_entry.h"
#include "game/tick.h"
#include "game/world_state.h"
#include "gfx/graphics_device.h"
#include "platform/gfx/render_device.h"
#include "platform/system/system.h"
#include "replay/headless_game.h"

namespace {

// A started game on a device that draws into memory, silent; every question answered yes.
class RunningGame : public HeadlessGame {
 public:
  RunningGame() {
    system.defaultAnswer = IDYES;
    Start();
  }
  void SetClock(uint32_t milliseconds) { system.clock = milliseconds; }
};

// Every enemy live on screen in the upper half, every projectile in flight in the lower
// half: the pass does all its 125 x 300 tests and changes nothing.
void FillTheScreen() {
  for (int i = 0; i < ENEMY_COUNT; ++i) {
    GameObject& enemy = world.enemies[i];
    enemy.active = true;
    enemy.sauced = false;
    enemy.x = static_cast<float>((i * 37) % 950);
    enemy.y = static_cast<float>((i * 53) % 300);
  }
  for (int i = 0; i < PROJECTILE_COUNT; ++i) {
    GameObject& shot = world.projectiles[i];
    shot.active = true;
    shot.x = static_cast<float>((i * 29) % 1000);
    shot.y = static_cast<float>(400 + (i * 17) % 340);
    shot.velocityX = 0.0f;  // waiting: the pass draws them where they are
    shot.rotation = static_cast<float>((i * 7) % 360);
  }
}

// The frame without the game: the clear, the background copy, an empty scene, present.
void DrawBareFrames(benchmark::State& state) {
  const Rect screen{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
  for (auto _ : state) {
    world.d3ddev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000064, 1.0f, 0);
    world.d3ddev->StretchRect(world.backgroundSurface, &screen, world.backBuffer, &screen,
                              D3DTEXF_NONE);
    world.d3ddev->BeginScene();
    world.d3ddev->EndScene();
    world.d3ddev->Present(nullptr, nullptr, nullptr, nullptr);
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                             benchmark::Counter::kIsRate);
}

void BM_CollisionPass(benchmark::State& state) {
  RunningGame game;
  if (!game.started()) return state.SkipWithError("the game did not start");
  FillTheScreen();
  for (auto _ : state) RunCollisionPass();
  state.counters["enemies"] = ENEMY_COUNT;
  state.counters["projectiles"] = PROJECTILE_COUNT;
}

void BM_OneTick(benchmark::State& state) {
  RunningGame game;
  if (!game.started()) return state.SkipWithError("the game did not start");
  uint32_t clock = 1000;
  for (auto _ : state) {
    clock += 15;
    world.frameTime = clock;
    RunTick();
  }
}

// A clock that moves 1 ms per pass: a tick every 15 passes, as at 1,000 frames per second.
void RunPasses(benchmark::State& state, bool projectiles) {
  RunningGame game;
  if (!game.started()) return state.SkipWithError("the game did not start");
  if (projectiles) FillTheScreen();
  uint32_t clock = 1000;
  for (auto _ : state) {
    game.SetClock(++clock);
    if (projectiles && clock % 15 == 0) FillTheScreen();  // keep them all in play
    GameFrame(game.window());
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                             benchmark::Counter::kIsRate);
}

void BM_WholePassStartupPopulation(benchmark::State& state) { RunPasses(state, false); }
void BM_WholePass300Projectiles(benchmark::State& state) { RunPasses(state, true); }

void BM_BareFrame(benchmark::State& state) {
  RunningGame game;
  if (!game.started()) return state.SkipWithError("the game did not start");
  DrawBareFrames(state);
}

// The same passes in a real window, on the renderer the game picks for the display
// (under Xvfb: OpenGL through Mesa), on the real clock: a tick whenever 15 ms have
// passed, as in play. The renderer's name is the label.
class WindowedGame {
 public:
  WindowedGame() {
    setenv("SDL_AUDIODRIVER", "none", 1);
    previousSystem_ = SetSystemDriver(nullptr);
    world = WorldState{};
    window_ = CreateGameWindow(gameTitle, SCREEN_WIDTH, SCREEN_HEIGHT, MainWindowProc);
    started_ = window_ && GameStartup(window_);
  }
  ~WindowedGame() {
    if (started_) GameShutdown();
    if (window_) DestroyGameWindow(window_);
    world = WorldState{};
    SetSystemDriver(previousSystem_);
  }
  bool started() const { return started_; }
  WindowHandle window() const { return window_; }

 private:
  SystemDriver* previousSystem_ = nullptr;
  WindowHandle window_ = nullptr;
  bool started_ = false;
};

void RunWindowedPasses(benchmark::State& state, bool projectiles) {
  WindowedGame game;
  if (!game.started()) return state.SkipWithError("no window or the game did not start");
  state.SetLabel(RendererName(world.d3ddev));
  if (projectiles) FillTheScreen();
  Message last;
  for (auto _ : state) {
    // No ending: its question would wait for a player.
    world.score = 0;
    world.health = 100.0;
    const uint64_t ticks = world.ticksRun;
    RunPass(GameEntryPoints{GameStartup, GameFrame, GameShutdown}, game.window(), &last);
    if (projectiles && world.ticksRun != ticks) FillTheScreen();
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                             benchmark::Counter::kIsRate);
}

void BM_RealWindowWholePassStartupPopulation(benchmark::State& state) {
  RunWindowedPasses(state, false);
}
void BM_RealWindowWholePass300Projectiles(benchmark::State& state) {
  RunWindowedPasses(state, true);
}

void BM_RealWindowBareFrame(benchmark::State& state) {
  WindowedGame game;
  if (!game.started()) return state.SkipWithError("no window or the game did not start");
  state.SetLabel(RendererName(world.d3ddev));
  DrawBareFrames(state);
}

// Through the SDL window system on whatever display SDL_VIDEODRIVER names.
void BM_StartupToFirstFrame(benchmark::State& state) {
  setenv("SDL_AUDIODRIVER", "none", 1);
  SetSystemDriver(nullptr);
  for (auto _ : state) {
    world = WorldState{};
    WindowHandle window = CreateGameWindow(gameTitle, SCREEN_WIDTH, SCREEN_HEIGHT, MainWindowProc);
    if (!window || !GameStartup(window)) return state.SkipWithError("the game did not start");
    GameFrame(window);
    state.PauseTiming();
    GameShutdown();
    DestroyGameWindow(window);
    state.ResumeTiming();
  }
  world = WorldState{};
}

void BM_BareWindowFirstFrame(benchmark::State& state) {
  SetSystemDriver(nullptr);
  for (auto _ : state) {
    world = WorldState{};
    WindowHandle window = CreateGameWindow(gameTitle, SCREEN_WIDTH, SCREEN_HEIGHT, MainWindowProc);
    if (!window || !InitGraphics(window, SCREEN_WIDTH, SCREEN_HEIGHT, false)) {
      return state.SkipWithError("no window");
    }
    world.d3ddev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000064, 1.0f, 0);
    world.d3ddev->Present(nullptr, nullptr, nullptr, nullptr);
    state.PauseTiming();
    ReleaseGraphics();
    DestroyGameWindow(window);
    state.ResumeTiming();
  }
  world = WorldState{};
}

BENCHMARK(BM_CollisionPass)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_OneTick)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_BareFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholePassStartupPopulation)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholePass300Projectiles)->Unit(benchmark::kMillisecond);
// The renderer works on threads of its own: rates go by the wall clock.
BENCHMARK(BM_RealWindowBareFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RealWindowWholePassStartupPopulation)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RealWindowWholePass300Projectiles)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareWindowFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_StartupToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
