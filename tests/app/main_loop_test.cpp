// The shell's contract: paced, a pass comes when a tick is due and every message is taken
// as it arrives; unpaced, one message at most and one frame per pass. The loop ends after
// the pass in which the window is destroyed, and a failed start runs no frame.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "app/win_main.h"
#include "game/world_state.h"
#include "platform/system/scripted_system.h"

namespace {

struct Recorder {
  ScriptedSystem* system = nullptr;
  WindowHandle window = nullptr;
  bool startupResult = true;
  int startups = 0;
  int shutdowns = 0;
  std::vector<size_t> pendingAtFrame;  // messages still queued when each frame ran
  std::vector<bool> quitAtFrame;
  std::vector<uint32_t> clockAtFrame;
  std::vector<uint32_t> frameMs;  // how long each frame takes on the scripted clock
  int quitAfterFrames = -1;  // the frame itself raises the quit request after this many
};

Recorder* recorder = nullptr;

bool FakeStartup(WindowHandle window) {
  recorder->window = window;
  ++recorder->startups;
  return recorder->startupResult;
}

void FakeFrame(WindowHandle) {
  recorder->pendingAtFrame.push_back(recorder->system->messages.size());
  recorder->quitAtFrame.push_back(world.quitRequested);
  ScriptedSystem& system = *recorder->system;
  recorder->clockAtFrame.push_back(system.clock);
  if (system.clock - world.lastTickTime > 14) world.lastTickTime = system.clock;  // the gate
  const size_t frames = recorder->pendingAtFrame.size();
  if (frames <= recorder->frameMs.size()) system.clock += recorder->frameMs[frames - 1];
  if (static_cast<int>(frames) == recorder->quitAfterFrames) world.quitRequested = true;
}

void FakeShutdown() { ++recorder->shutdowns; }

class MainLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    world = WorldState();
    previous = SetSystemDriver(&system);
    rec.system = &system;
    recorder = &rec;
  }
  void TearDown() override {
    DestroyGameWindow(rec.window);  // a failed start leaves the window to the process's end
    SetSystemDriver(previous);
    recorder = nullptr;
    world = WorldState();
    unsetenv("ZF_UNPACED");
  }
  int Run(std::vector<const char*> arguments = {}) {
    arguments.insert(arguments.begin(), "zorbly-frondles");
    ProgramOptions options;
    EXPECT_EQ(ParseProgramOptions(static_cast<int>(arguments.size()), arguments.data(), &options),
              -1);
    return RunProgram(GameEntryPoints{FakeStartup, FakeFrame, FakeShutdown}, options);
  }

  ScriptedSystem system;
  SystemDriver* previous = nullptr;
  Recorder rec;
};

TEST_F(MainLoopTest, PacedPassesComeWhenATickIsDueAndMessagesAreTakenAsTheyArrive) {
  system.clock = 100;
  rec.frameMs = {4, 20, 4, 4};  // the second frame overruns its tick
  system.arrivals = {{105, {nullptr, MSG_KEYDOWN}}, {109, {nullptr, MSG_SIZE}},
                     {109, {nullptr, MSG_OTHER}},   {147, {nullptr, MSG_DESTROY}},
                     {170, {nullptr, MSG_OTHER}}};

  EXPECT_EQ(Run(), 0);

  // A pass as each tick falls due, 15 ms after the last, and at once after the overrun;
  // the close ends the wait for 150 and the program after the pass it brought.
  EXPECT_EQ(rec.clockAtFrame, (std::vector<uint32_t>{100, 115, 135, 147}));
  EXPECT_EQ(system.takenAt, (std::vector<uint32_t>{105, 109, 109, 147}));
  EXPECT_EQ(rec.quitAtFrame, (std::vector<bool>{false, false, false, true}));
  EXPECT_EQ(system.arrivals.size(), 1u);
  EXPECT_EQ(rec.shutdowns, 1);
}

TEST_F(MainLoopTest, UnpacedEachPassTakesOneMessageAndRunsOneFrameUntilTheWindowIsDestroyed) {
  system.Post(MSG_OTHER);
  system.Post(MSG_KEYDOWN, 41);
  system.Post(MSG_SIZE, 800, 600);
  system.Post(MSG_DESTROY);
  system.Post(MSG_OTHER);  // never reached

  EXPECT_EQ(Run({"--unpaced"}), 0);

  // Four passes: the queue shrinks by exactly one before each frame, and the frame of
  // the pass that dispatched the destruction still runs, seeing the quit request.
  EXPECT_EQ(rec.pendingAtFrame, (std::vector<size_t>{4, 3, 2, 1}));
  EXPECT_EQ(rec.quitAtFrame, (std::vector<bool>{false, false, false, true}));
  EXPECT_EQ(rec.clockAtFrame, (std::vector<uint32_t>{0, 0, 0, 0})) << "never waiting";
  EXPECT_EQ(rec.shutdowns, 1);
  EXPECT_EQ(system.messages.size(), 1u);
  EXPECT_FALSE(system.windowOpen);
  EXPECT_EQ(system.windowTitle, "Zorbly Frondles");
  EXPECT_EQ(system.windowWidth, 1024);
  EXPECT_EQ(system.windowHeight, 768);
}

TEST_F(MainLoopTest, FramesRunWithoutMessagesAndOnlyAQuitMessageGivesTheExitCode) {
  setenv("ZF_UNPACED", "1", 1);
  rec.quitAfterFrames = 3;
  system.Post(MSG_QUIT, 5);  // dispatched like any message; only quitRequested ends the loop
  EXPECT_EQ(Run(), 5);  // the quit message was the last one taken
  EXPECT_EQ(rec.pendingAtFrame, (std::vector<size_t>{0, 0, 0}));

  // An end by the game itself is a success whatever message came last.
  rec = Recorder();
  rec.system = &system;
  system.Post(MSG_KEYDOWN, 41);
  rec.quitAfterFrames = 1;
  world.quitRequested = false;
  EXPECT_EQ(Run(), 0);
}

TEST_F(MainLoopTest, AFailedStartOrNoWindowRunsNoFrameAndNoShutdownAndFails) {
  rec.startupResult = false;
  system.Post(MSG_OTHER);
  EXPECT_NE(Run(), 0);
  EXPECT_EQ(rec.startups, 1);
  EXPECT_TRUE(rec.pendingAtFrame.empty());
  EXPECT_EQ(rec.shutdowns, 0);

  system.windowAvailable = false;
  EXPECT_NE(Run(), 0);
  EXPECT_EQ(rec.startups, 1) << "no window, no start-up";
  EXPECT_EQ(rec.shutdowns, 0);
}

TEST_F(MainLoopTest, TheWindowProcedureRaisesTheQuitRequestOnlyOnDestruction) {
  EXPECT_EQ(MainWindowProc(nullptr, MSG_KILLFOCUS, 0, 0), 0);
  EXPECT_EQ(MainWindowProc(nullptr, MSG_QUIT, 0, 0), 0);
  EXPECT_FALSE(world.quitRequested);
  EXPECT_EQ(MainWindowProc(nullptr, MSG_DESTROY, 0, 0), 0);
  EXPECT_TRUE(world.quitRequested);
  // The destruction also queued the quit message, which comes next.
  Message next;
  ASSERT_TRUE(PeekMessage(&next));
  EXPECT_EQ(next.message, MSG_QUIT);
  EXPECT_EQ(next.wParam, 0u);
}

}  // namespace
