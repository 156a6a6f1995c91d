// The game's own passes, headless on SDL's software renderer and silent: the collision
// pass with every enemy and projectile in play and on a seeded random world with hits,
// each beside the full scan it replaces; one tick; and the whole pass with its drawing at
// the start-up population and with 300 projectiles in flight, each beside a bare
// background-copy-and-present frame, counting what a pass allocates (the score text
// only). The RealWindow ones run in a window on a display
// (under Xvfb by `make bench`): the same passes on the renderer the game picks and on
// OpenGL, a fresh process's start-up to its first frame beside a bare window's, and the
// main loop, paced and unpaced side by side, 10 s each, running with the start-up
// population, paused, and running with the drawing left out (what the loop itself costs):
// ticks and frames per second, the process's CPU as a share of
// one core (the renderer's threads included), the mean pass in time and in CPU, and the
// spacing of ticks on the game's clock; and the paced game in full screen and in the
// window by turns.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "../../tests/game/collision_worlds.h"
#include "app/win_main.h"
#include "game/collisions.h"
#include "game/game_entry.h"
#include "game/tick.h"
#include "game/world_state.h"
#include "gfx/graphics_device.h"
#include "platform/gfx/render_device.h"
#include "platform/system/system.h"
#include "record/headless_game.h"
#include "shared/screen.h"
#include "undrawn_frame.h"

// Every C++ allocation in the process, so that a pass's own can be counted.
namespace {
std::atomic<long> allocations{0};
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(size_t size) {
  ++allocations;
  void* memory = std::malloc(size ? size : 1);
  if (!memory) std::abort();  // a benchmark out of memory has nothing to report
  return memory;
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace {

// A started game on a device that draws into memory, silent; every question answered yes.
struct RunningGame : HeadlessGame {
  RunningGame() {
    system.defaultAnswer = IDYES;
    Start();
  }
};

void RunOnFullScreen(benchmark::State& state, void (*pass)()) {
  RunningGame game;
  if (!game.started()) return state.SkipWithError("the game did not start");
  FillTheScreen();
  for (auto _ : state) pass();
}

// A seeded random world: each pass starts from it again, its flags and health put back
// inside the timing for both passes alike.
void RunOnRandomWorld(benchmark::State& state, void (*pass)()) {
  RunningGame game;
  if (!game.started()) return state.SkipWithError("the game did not start");
  MakeCollisionWorld(6);  // spread over the screen and beyond, 111 shots used up
  const WorldState start = world;
  for (auto _ : state) {
    for (int i = 0; i < ENEMY_COUNT; ++i) {
      world.enemies[i].active = start.enemies[i].active;
      world.enemies[i].sauced = start.enemies[i].sauced;
    }
    for (int i = 0; i < PROJECTILE_COUNT; ++i)
      world.projectiles[i].active = start.projectiles[i].active;
    world.health = start.health;
    pass();
  }
}

void RunTicks(benchmark::State& state) {
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
  const long before = allocations;
  for (auto _ : state) {
    game.system.clock = ++clock;
    if (projectiles && clock % 15 == 0) FillTheScreen();  // keep them all in play
    GameFrame(game.window());
  }
  state.counters["allocations_per_pass"] = benchmark::Counter(
      static_cast<double>(allocations - before), benchmark::Counter::kAvgIterations);
}

// The same passes in a real window, on the renderer the game picks for the display
// (under Xvfb: the software renderer) or on the one named, on the real clock: a tick
// whenever 15 ms have passed, as in play. The renderer's name is the label.
class WindowedGame {
 public:
  explicit WindowedGame(const char* renderer = nullptr) {
    setenv("SDL_AUDIODRIVER", "none", 1);
    if (renderer) setenv("ZF_RENDERER", renderer, 1);
    previousSystem_ = SetSystemDriver(nullptr);
    world = WorldState{};
    window_ = CreateGameWindow(gameTitle, SCREEN_WIDTH, SCREEN_HEIGHT, MainWindowProc);
    started_ = window_ && GameStartup(window_);
    unsetenv("ZF_RENDERER");
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

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

// "cpu" is the processor time per pass of the whole process, the renderer's own threads
// included (not the X server's).
void RunWindowedPasses(benchmark::State& state, bool projectiles, const char* renderer) {
  WindowedGame game(renderer);
  if (!game.started()) return state.SkipWithError("no window or the game did not start");
  state.SetLabel(RendererName(graphics.d3ddev));
  if (projectiles) FillTheScreen();
  Message last;
  const double cpuStart = CpuSeconds();
  for (auto _ : state) {
    // No ending: its question would wait for a player.
    world.score = 0;
    world.health = 100.0;
    const uint64_t ticks = world.ticksRun;
    RunPass(GAME_ENTRY_POINTS, game.window(), &last);
    if (projectiles && world.ticksRun != ticks) FillTheScreen();
  }
  state.counters["cpu"] =
      benchmark::Counter(CpuSeconds() - cpuStart, benchmark::Counter::kAvgIterations);
}

// The frame without the game: the clear, the background copy, an empty scene, present.
template <typename Game>
void RunBareFrames(benchmark::State& state) {
  Game game;
  if (!game.started()) return state.SkipWithError("no window or the game did not start");
  state.SetLabel(RendererName(graphics.d3ddev));
  const Rect screen{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
  for (auto _ : state) {
    graphics.d3ddev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000064, 1.0f, 0);
    graphics.d3ddev->StretchRect(world.backgroundSurface, &screen, graphics.backBuffer, &screen,
                                 D3DTEXF_NONE);
    graphics.d3ddev->BeginScene();
    graphics.d3ddev->EndScene();
    graphics.d3ddev->Present(nullptr, nullptr, nullptr, nullptr);
  }
}

// A fresh process to its first frame in a real window, as a player starts the game with
// a sound device: zf_first_frame, beside this program, says on a pipe when its first
// frame is presented. The median of several runs; the child's shutdown is not counted.
void RunFreshProcesses(benchmark::State& state, const char* kind) {
  constexpr int RUNS = 7;
  const std::filesystem::path here = std::filesystem::read_symlink("/proc/self/exe").parent_path();
  std::string child = (here / "zf_first_frame").string();
  for (auto _ : state) {
    std::vector<double> seconds;
    for (int run = 0; run < RUNS; ++run) {
      int shown[2];
      if (pipe(shown) != 0) return state.SkipWithError("no pipe");
      const std::string fd = std::to_string(shown[1]);
      char* argv[] = {child.data(), const_cast<char*>(kind), const_cast<char*>(fd.c_str()),
                      nullptr};
      setenv("SDL_AUDIODRIVER", "dummy", 1);
      pid_t pid = 0;
      const auto start = std::chrono::steady_clock::now();
      const int spawned = posix_spawn(&pid, child.c_str(), nullptr, nullptr, argv, environ);
      close(shown[1]);
      char said = 0;
      const bool framed = spawned == 0 && read(shown[0], &said, 1) == 1;
      seconds.push_back(
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      close(shown[0]);
      if (spawned == 0) waitpid(pid, nullptr, 0);
      if (!framed) return state.SkipWithError(("no first frame from " + child).c_str());
    }
    std::sort(seconds.begin(), seconds.end());
    state.SetIterationTime(seconds[RUNS / 2]);
  }
}

// The main loop for 10 s in the window; longer tick spacings than 40 ms are counted at 40.
void RunLoop(benchmark::State& state, bool paced, bool paused, bool drawn) {
  constexpr int LONGEST_SPACING = 40;
  using Clock = std::chrono::steady_clock;
  const auto seconds = [](Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
  };
  WindowedGame game;
  if (!game.started()) return state.SkipWithError("no window or the game did not start");
  state.SetLabel(RendererName(graphics.d3ddev));
  const GameEntryPoints entryPoints{GameStartup, drawn ? GameFrame : UndrawnFrame, GameShutdown};
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
    while (Clock::now() - start < std::chrono::seconds(10)) {
      // No ending, whose question would wait for a player; no pause but the one asked for,
      // whatever the window's focus does.
      world.score = 0;
      world.health = 100.0;
      world.paused = paused;
      if (paced) WaitForNextTick(&last);
      const uint64_t ticksBefore = world.ticksRun;
      const Clock::time_point passStart = Clock::now();
      const double passCpuStart = CpuSeconds();
      RunPass(entryPoints, game.window(), &last);
      cpuInPasses += CpuSeconds() - passCpuStart;
      inPasses += Clock::now() - passStart;
      ++frames;
      if (world.ticksRun == ticksBefore) continue;
      const uint32_t spacing = world.lastTickTime - lastTick;
      if (ticks++ > 0) ++spacings[std::min<uint32_t>(spacing, LONGEST_SPACING)];
      lastTick = world.lastTickTime;
    }
    const double elapsed = seconds(Clock::now() - start);
    const double passCpuMs = 1000.0 * cpuInPasses / std::max<uint64_t>(frames, 1);
    const double fps = frames / elapsed;
    state.SetIterationTime(elapsed);
    state.counters["ticks_per_s"] = ticks / elapsed;
    state.counters["fps"] = fps;
    state.counters["cpu_pct"] = 100.0 * (CpuSeconds() - cpuStart) / elapsed;
    state.counters["pass_ms"] = 1000.0 * seconds(inPasses) / std::max<uint64_t>(frames, 1);
    state.counters["pass_cpu_ms"] = passCpuMs;
    // What the frames drawn cost, on every thread the renderer draws with, plus 5 % of a
    // core for everything else.
    state.counters["budget_pct"] = fps * passCpuMs / 10.0 + 5.0;
    const uint64_t spaced = std::max<uint64_t>(ticks, 2) - 1;
    state.counters["at15_pct"] = 100.0 * spacings[15] / spaced;
    state.counters["at16_pct"] = 100.0 * spacings[16] / spaced;
    state.counters["later_pct"] = 100.0 * (spaced - spacings[15] - spacings[16]) / spaced;
    int longest = LONGEST_SPACING;
    while (longest > 0 && !spacings[longest]) --longest;
    state.counters["longest_ms"] = longest;
  }
}

// The paced game in the window and in full screen by turns, a second each for 20 s, the
// first fifth of each second (the switch, the first frames at the new size) left out: the
// processor's time per second in each. By turns, both meet whatever else the machine is
// doing alike.
void RunFullScreenBesideWindow(benchmark::State& state) {
  constexpr int SECONDS = 20;
  using Clock = std::chrono::steady_clock;
  WindowedGame game;
  if (!game.started()) return state.SkipWithError("no window or the game did not start");
  state.SetLabel(RendererName(graphics.d3ddev));
  Message last;
  const auto runFor = [&](Clock::duration duration) {
    for (const Clock::time_point start = Clock::now(); Clock::now() - start < duration;) {
      world.score = 0;  // no ending, whose question would wait for a player
      world.health = 100.0;
      world.paused = false;
      WaitForNextTick(&last);
      RunPass(GAME_ENTRY_POINTS, game.window(), &last);
    }
  };
  for (auto _ : state) {
    double cpu[2] = {}, seconds[2] = {};  // in the window, in full screen
    int widths[2] = {};
    for (int second = 0; second < SECONDS; ++second) {
      if (second > 0) SwitchFullScreenAtNextPresent();
      runFor(std::chrono::milliseconds(200));
      const double cpuStart = CpuSeconds();
      const Clock::time_point start = Clock::now();
      runFor(std::chrono::milliseconds(800));
      cpu[second % 2] += CpuSeconds() - cpuStart;
      seconds[second % 2] += std::chrono::duration<double>(Clock::now() - start).count();
      int height = 0;
      RealWindowSize(graphics.d3ddev, &widths[second % 2], &height);
    }
    // Only a window that really covers the screen draws the full-screen picture.
    if (widths[1] <= widths[0]) return state.SkipWithError("full screen left the window as it was");
    state.SetIterationTime(seconds[0] + seconds[1]);
    state.counters["cpu_pct"] = 100.0 * cpu[1] / seconds[1];
    state.counters["window_cpu_pct"] = 100.0 * cpu[0] / seconds[0];
  }
}

// By the names that tools/bench_table.py looks for.
[[maybe_unused]] const bool REGISTERED = [] {
  using benchmark::RegisterBenchmark, benchmark::kNanosecond, benchmark::kMillisecond;
  RegisterBenchmark("BM_CollisionPass", RunOnFullScreen, RunCollisionPass)->Unit(kNanosecond);
  RegisterBenchmark("BM_CollisionPassFullScan", RunOnFullScreen, FullScanCollisionPass)
      ->Unit(kNanosecond);
  RegisterBenchmark("BM_CollisionPassRandomWorld", RunOnRandomWorld, RunCollisionPass)
      ->Unit(kNanosecond);
  RegisterBenchmark("BM_CollisionPassRandomWorldFullScan", RunOnRandomWorld, FullScanCollisionPass)
      ->Unit(kNanosecond);
  RegisterBenchmark("BM_OneTick", RunTicks)->Unit(kNanosecond);
  RegisterBenchmark("BM_BareFrame", RunBareFrames<RunningGame>)->Unit(kMillisecond);
  RegisterBenchmark("BM_WholePassStartupPopulation", RunPasses, false)->Unit(kMillisecond);
  RegisterBenchmark("BM_WholePass300Projectiles", RunPasses, true)->Unit(kMillisecond);
  // The renderer works on threads of its own: rates go by the wall clock.
  RegisterBenchmark("BM_RealWindowBareFrame", RunBareFrames<WindowedGame>)
      ->Unit(kMillisecond)
      ->UseRealTime();
  for (const char* renderer : {"", "OpenGL"}) {
    const char* glName = *renderer ? "opengl" : nullptr;
    RegisterBenchmark((std::string("BM_RealWindowWholePassStartupPopulation") + renderer).c_str(),
                      RunWindowedPasses, false, glName)
        ->Unit(kMillisecond)
        ->UseRealTime();
    RegisterBenchmark((std::string("BM_RealWindowWholePass300Projectiles") + renderer).c_str(),
                      RunWindowedPasses, true, glName)
        ->Unit(kMillisecond)
        ->UseRealTime();
  }
  RegisterBenchmark("BM_RealWindowFreshBareWindowFirstFrame", RunFreshProcesses, "bare")
      ->Unit(kMillisecond)
      ->UseManualTime()
      ->Iterations(1);
  RegisterBenchmark("BM_RealWindowFreshStartupToFirstFrame", RunFreshProcesses, "game")
      ->Unit(kMillisecond)
      ->UseManualTime()
      ->Iterations(1);
  for (const std::string kind : {"running", "paused", "undrawn"}) {
    for (const bool paced : {true, false}) {
      RegisterBenchmark(
          ("BM_RealWindowLoop/" + std::string(paced ? "paced_" : "unpaced_") + kind).c_str(),
          RunLoop, paced, kind == "paused", kind != "undrawn")
          ->Iterations(1)
          ->UseManualTime()
          ->Unit(benchmark::kSecond);
    }
  }
  RegisterBenchmark("BM_RealWindowLoop/paced_fullscreen", RunFullScreenBesideWindow)
      ->Iterations(1)
      ->UseManualTime()
      ->Unit(benchmark::kSecond);
  return true;
}();

}  // namespace
