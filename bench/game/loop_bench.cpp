// The main loop in a real window (under Xvfb in `make bench`), paced and unpaced side by
// side, 10 s each, running with the start-up population, paused, and running with the
// drawing left out (what the loop itself costs): ticks and frames per second, the
// process's CPU as a share of one core (the renderer's threads included), the mean pass
// in time and in CPU, and the spacing of ticks on the game's clock.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "app/win_main.h"
#include "game/collisions.h"
#include "game/game_entry.h"
#include "game/tick.h"
#include "game/world_state.h"
#include "gfx/graphics_device.h"
#include "platform/gfx/render_device.h"
#include "platform/system/system.h"
#include "platform/system/system_driver.h"
#include "shared/screen.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto RUN_LENGTH = std::chrono::seconds(10);
constexpr int LONGEST_SPACING = 40;  // ms; longer spacings are counted here

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

// A pass of the game without clearing and drawing.
void UndrawnFrame(WindowHandle) {
  world.frameTime = timeGetTime();
  if (world.frameTime - world.lastTickTime > TICK_GAP_MS) RunTick();
  RunCollisionPass();
}

void BM_RealWindowLoop(benchmark::State& state, bool paced, bool paused, bool drawn = true) {
  setenv("SDL_AUDIODRIVER", "none", 1);
  SystemDriver* previous = SetSystemDriver(nullptr);
  world = WorldState{};
  const GameEntryPoints game{GameStartup, drawn ? GameFrame : UndrawnFrame, GameShutdown};
  WindowHandle window = CreateGameWindow(gameTitle, SCREEN_WIDTH, SCREEN_HEIGHT, MainWindowProc);
  if (!window || !game.startup(window)) {
    if (window) DestroyGameWindow(window);
    SetSystemDriver(previous);
    return state.SkipWithError("no window or the game did not start");
  }
  state.SetLabel(RendererName(graphics.d3ddev));
  Message last;
  for (auto _ : state) {
    uint64_t spacings[LONGEST_SPACING + 1] = {};
    uint64_t ticks = 0;
    uint64_t frames = 0;
    Clock::duration inPasses{};
    double cpuInPasses = 0.0;
    uint32_t lastTick = world.lastTickTime;
    const double cpuStart = CpuSeconds();
    const Clock::time_point start = Clock::now();
    while (Clock::now() - start < RUN_LENGTH) {
      // No ending, whose question would wait for a player; no pause but the one asked for,
      // whatever the window's focus does.
      world.score = 0;
      world.health = 100.0;
      world.paused = paused;
      if (paced) WaitForNextTick(&last);
      const uint64_t ticksBefore = world.ticksRun;
      const Clock::time_point passStart = Clock::now();
      const double passCpuStart = CpuSeconds();
      RunPass(game, window, &last);
      cpuInPasses += CpuSeconds() - passCpuStart;
      inPasses += Clock::now() - passStart;
      ++frames;
      if (world.ticksRun == ticksBefore) continue;
      const uint32_t spacing = world.lastTickTime - lastTick;
      if (ticks++ > 0) ++spacings[std::min<uint32_t>(spacing, LONGEST_SPACING)];
      lastTick = world.lastTickTime;
    }
    const double elapsed = Seconds(Clock::now() - start);
    const double passMs = 1000.0 * Seconds(inPasses) / std::max<uint64_t>(frames, 1);
    const double passCpuMs = 1000.0 * cpuInPasses / std::max<uint64_t>(frames, 1);
    const double fps = frames / elapsed;
    state.SetIterationTime(elapsed);
    state.counters["ticks_per_s"] = ticks / elapsed;
    state.counters["fps"] = fps;
    state.counters["cpu_pct"] = 100.0 * (CpuSeconds() - cpuStart) / elapsed;
    state.counters["pass_ms"] = passMs;
    state.counters["pass_cpu_ms"] = passCpuMs;
    // What the frames drawn cost, on every thread the renderer draws with, plus 5 % of a
    // core for everything else.
    state.counters["budget_pct"] = fps * passCpuMs / 10.0 + 5.0;
    const uint64_t spaced = std::max<uint64_t>(ticks, 2) - 1;
    state.counters["at15_pct"] = 100.0 * spacings[15] / spaced;
    state.counters["at16_pct"] = 100.0 * spacings[16] / spaced;
    state.counters["later_pct"] = 100.0 * (spaced - spacings[15] - spacings[16]) / spaced;
    int longest = 0;
    for (int ms = 0; ms <= LONGEST_SPACING; ++ms) {
      if (spacings[ms]) longest = ms;
    }
    state.counters["longest_ms"] = longest;
  }
  game.shutdown();
  DestroyGameWindow(window);
  world = WorldState{};
  SetSystemDriver(previous);
}

BENCHMARK_CAPTURE(BM_RealWindowLoop, paced_running, true, false)
    ->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_RealWindowLoop, unpaced_running, false, false)
    ->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_RealWindowLoop, paced_paused, true, true)
    ->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_RealWindowLoop, unpaced_paused, false, true)
    ->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_RealWindowLoop, paced_undrawn, true, false, false)
    ->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_RealWindowLoop, unpaced_undrawn, false, false, false)
    ->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
