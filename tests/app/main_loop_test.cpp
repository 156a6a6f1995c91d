// The shell's contract: paced, a pass comes when a tick is due and every message is taken
// as it arrives; unpaced, one message at most and one frame per pass. The loop ends after
// the pass in which the window is destroyed, and a failed start runs no frame. The
// window procedure is met through these runs (and the focus messages through the
// recorded run in replay/, which a quit request would cut short).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../test_files.h"
#include "app/win_main.h"
#include "game/world_state.h"
#include "platform/system/scripted_system.h"
#include "record/run_recorder.h"

namespace {

struct Recorder {
  WindowHandle window = nullptr;
  bool startupResult = true;
  int startups = 0;
  int shutdowns = 0;
  std::vector<size_t> pendingAtFrame{};  // messages still queued when each frame ran
  std::vector<bool> quitAtFrame{};
  std::vector<uint32_t> clockAtFrame{};
  std::vector<uint32_t> frameMs{};  // how long each frame takes on the scripted clock
  int quitAfterFrames = -1;         // the frame itself raises the quit request after this many
};

Recorder* recorder = nullptr;
ScriptedSystem* scripted = nullptr;

bool FakeStartup(WindowHandle window) {
  recorder->window = window;
  ++recorder->startups;
  return recorder->startupResult;
}

void FakeFrame(WindowHandle) {
  ScriptedSystem& system = *scripted;
  recorder->pendingAtFrame.push_back(system.messages.size());
  recorder->quitAtFrame.push_back(world.quitRequested);
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
    scripted = &system;
    recorder = &rec;
  }
  void TearDown() override {
    DestroyGameWindow(rec.window);  // a failed start leaves the window to the process's end
    SetSystemDriver(previous);
    recorder = nullptr;
    scripted = nullptr;
    world = WorldState();
  }
  // A run of the program; rec holds what its frames saw.
  int Run(std::vector<const char*> arguments = {}) {
    world.quitRequested = false;
    arguments.insert(arguments.begin(), "zorbly-frondles");
    if (recordNothing) arguments.push_back("--no-record");
    ProgramOptions options;
    EXPECT_EQ(ParseProgramOptions(static_cast<int>(arguments.size()), arguments.data(), &options),
              -1);
    return RunProgram(GameEntryPoints{FakeStartup, FakeFrame, FakeShutdown}, options);
  }

  ScopedEnvironment home{"HOME"}, stateHome{"XDG_STATE_HOME"}, unpaced{"ZF_UNPACED"};
  ScriptedSystem system;
  SystemDriver* previous = nullptr;
  Recorder rec;
  bool recordNothing = true;
};

TEST_F(MainLoopTest, PacedPassesComeWhenATickIsDueAndMessagesAreTakenAsTheyArrive) {
  system.clock = 100;
  rec.frameMs = {4, 20, 4, 4};  // the second frame overruns its tick
  system.arrivals = {
      {105, {nullptr, MSG_KEYDOWN}}, {109, {nullptr, MSG_SIZE}}, {109, {nullptr, MSG_OTHER}},
      {113, {nullptr, MSG_OTHER}},  // 2 ms before the tick: still no pass
      {147, {nullptr, MSG_DESTROY}}, {170, {nullptr, MSG_OTHER}}};

  EXPECT_EQ(Run(), 0);

  // A pass as each tick falls due, 15 ms after the last, and at once after the overrun;
  // the close ends the wait for 150 and the program after the pass it brought.
  EXPECT_EQ(rec.clockAtFrame, (std::vector<uint32_t>{100, 115, 135, 147}));
  EXPECT_EQ(system.takenAt, (std::vector<uint32_t>{105, 109, 109, 113, 147}));
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
}

TEST_F(MainLoopTest, FramesRunWithoutMessagesAndOnlyAQuitMessageGivesTheExitCode) {
  setenv("ZF_UNPACED", "1", 1);
  rec.quitAfterFrames = 3;
  system.Post(MSG_QUIT, 5);  // dispatched like any message; only quitRequested ends the loop
  EXPECT_EQ(Run(), 5);       // the quit message was the last one taken
  EXPECT_EQ(rec.pendingAtFrame, (std::vector<size_t>{0, 0, 0}));

  // An end by the game itself is a success whatever message came last.
  rec = Recorder{.quitAfterFrames = 1};
  system.Post(MSG_KEYDOWN, 41);
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

// The last three runs are kept; a folder or a disk that cannot take the recording costs
// one line, and the game plays on to its end.
TEST_F(MainLoopTest, TheLastRunsAreKeptAndARecordingThatCannotBeWrittenCostsOneLine) {
  const std::string folder = TestFile("-last-runs");
  setenv("XDG_STATE_HOME", folder.c_str(), 1);
  recordNothing = false;
  for (int run = 1; run <= 4; ++run) {
    rec = Recorder{.quitAfterFrames = run};
    EXPECT_EQ(Run({"--unpaced"}), 0);
  }
  const auto passes = [&folder](const char* name) {
    const std::string text = ReadFileBytes<std::string>(folder + "/zorbly-frondles/" + name);
    const size_t state = text.rfind("\nstate ");
    return state == std::string::npos ? -1 : std::atoi(text.c_str() + state + 7);
  };
  EXPECT_EQ(passes("last-run.zfr"), 4);
  EXPECT_EQ(passes("last-run.1.zfr"), 3);
  EXPECT_EQ(passes("last-run.2.zfr"), 2);
  EXPECT_FALSE(std::filesystem::exists(folder + "/zorbly-frondles/last-run.3.zfr"));

  const struct {
    const char* stateHome;
    std::vector<const char*> options;
    const char* line;
  } UNWRITABLE[] = {
      {"/proc/zorbly",
       {},
       "zorbly-frondles: cannot keep the last run in \"/proc/zorbly/zorbly-frondles\" ("},
      {"", {}, "zorbly-frondles: no folder to keep the last run in"},
      {"/tmp",
       {"--record", "/dev/full"},
       "zorbly-frondles: cannot write the recording \"/dev/full\" (No space left on device)"},
      {"/tmp",
       {"--record", "/proc/zorbly.zfr"},
       "zorbly-frondles: cannot record the run in \"/proc/zorbly.zfr\" ("},
  };
  setenv("ZF_UNPACED", "1", 1);
  for (const auto& unwritable : UNWRITABLE) {
    setenv("XDG_STATE_HOME", unwritable.stateHome, 1);
    if (!*unwritable.stateHome) unsetenv("HOME");
    rec = Recorder{.quitAfterFrames = 3};
    testing::internal::CaptureStderr();
    EXPECT_EQ(Run(unwritable.options), 0);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind(unwritable.line, 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(rec.pendingAtFrame.size(), 3u) << "the game plays on";
  }
}

// A full disk costs the new run, never the kept ones, which move only once the new one's
// first lines are written; an empty file from before is no run to keep; a folder whose
// path leaves no room for the run's name is refused, not cut. Each failure: one line.
TEST_F(MainLoopTest, AFullDiskOrALongPathCostsTheNewRunNeverTheKeptOnes) {
  const std::string stateRoot = TestFile("-state"), folder = stateRoot + "/zorbly-frondles";
  std::filesystem::create_directories(folder);
  for (const char* kept : {"last-run.zfr", "last-run.1.zfr", "last-run.2.zfr"})
    std::ofstream(folder + "/" + kept) << kept;
  std::string deep = TestFile("-deep");  // its folder 4090 bytes long
  while (deep.size() < 4074)
    deep += "/" + std::string(std::min<size_t>(200, 4073 - deep.size()), 'd');
  std::filesystem::create_directories(deep + "/zorbly-frondles");
  const auto holds = [](const std::string& in) {
    std::vector<std::string> files;
    for (const auto& file : std::filesystem::directory_iterator(in)) {
      files.push_back(file.path().filename().string() + "=" +
                      ReadFileBytes<std::string>(file.path().string()).substr(0, 14));
    }
    std::sort(files.begin(), files.end());
    return files;
  };
  const std::vector<std::string> asBefore = holds(folder);
  const struct {
    RecordingWriter writer;
    std::string stateHome, line;
  } STARTS[] = {
      {[](const void*, size_t, std::FILE*) -> size_t { return errno = ENOSPC, 0; }, stateRoot,
       "cannot write the recording \"" + folder + "/last-run.zfr\" (No space left on device)"},
      {STARTS[0].writer, stateRoot, STARTS[0].line},  // a second start on the full disk
      {nullptr, deep,
       "cannot keep the last run in \"" + deep + "/zorbly-frondles\" (the path is too long)"},
  };
  setenv("ZF_UNPACED", "1", 1);
  recordNothing = false;
  for (const auto& start : STARTS) {
    SetRecordingWriter(start.writer);
    setenv("XDG_STATE_HOME", start.stateHome.c_str(), 1);
    rec = Recorder{.quitAfterFrames = 2};
    testing::internal::CaptureStderr();
    EXPECT_EQ(Run(), 0);
    SetRecordingWriter(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "zorbly-frondles: " + start.line + "; the game plays on unrecorded\n");
    EXPECT_EQ(holds(folder), asBefore);
  }
  std::ofstream(folder + "/last-run.zfr", std::ios::trunc);
  setenv("XDG_STATE_HOME", stateRoot.c_str(), 1);
  rec = Recorder{.quitAfterFrames = 2};
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(holds(folder),
            (std::vector<std::string>{asBefore[0], asBefore[1], "last-run.zfr=zfr 2\n# A run "}));
  EXPECT_TRUE(holds(deep + "/zorbly-frondles").empty()) << "no name cut short";
}

}  // namespace
