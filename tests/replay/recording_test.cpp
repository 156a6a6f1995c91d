// A run played through the real loop and game on a scripted system, recorded as it goes,
// then replayed headless by zf-replay --verify: every state line the recording holds must
// agree. The play takes every kind of value a pass takes from outside: held keys and a
// pad, window messages (two in one pass), scenes that fail to begin, a slow pass whose
// clock readings differ, two deaths answered yes and yes with the window closed, and a
// sound output mixed only now and then, so that play requests find voices busy at some
// passes and free at others. The same recording cut at every byte still reads up to its
// last whole line; damage is refused with its line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../test_files.h"
#include "app/win_main.h"
#include "audio/sound_bank.h"
#include "audio/sound_manager.h"
#include "game/game_entry.h"
#include "game/world_state.h"
#include "platform/audio/sound_device.h"
#include "platform/gfx/render_device.h"
#include "platform/input/scripted_input.h"
#include "platform/system/scripted_system.h"
#include "platform/system/system.h"
#include "record/headless_game.h"
#include "record/replay.h"
#include "record/run_reader.h"

namespace {

struct Held {
  int fromPass;
  std::vector<uint8_t> keys;
  XINPUT_GAMEPAD pad;
};

const Held HELD[] = {
    {1, {}, {}},
    {5, {DIK_SPACE}, {}},
    {30, {DIK_SPACE, DIK_DOWN}, {}},
    {70, {DIK_UP, DIK_Z}, {XINPUT_GAMEPAD_A, 0, 0, 0, 1200, 0, 0}},
    {80, {DIK_UP}, {}},
    {120, {DIK_C}, {}},
    {150, {DIK_DOWN}, {0, 0, 9, 0, -9000, 0, 0}},
    {170, {DIK_DOWN, DIK_X, DIK_F3}, {}},
    {230, {DIK_UP, DIK_SPACE}, {}},
    {400, {DIK_DOWN}, {}},
    {560, {DIK_UP}, {}},
};

ScriptedSystem* playedSystem = nullptr;
ScriptedInput* playedInput = nullptr;
int playedPass = 0;

void PlayedFrame(WindowHandle window) {
  ++playedPass;
  for (const Held& held : HELD) {
    if (playedPass != held.fromPass) continue;
    std::fill(std::begin(playedInput->keys), std::end(playedInput->keys), uint8_t{0});
    for (uint8_t key : held.keys) playedInput->keys[key] = 0x80;
    playedInput->padConnected[0] = held.pad.wButtons || held.pad.sThumbLY;
    playedInput->pads[0] = held.pad;
  }
  // A slow pass while firing: the shot's two readings come a millisecond apart each.
  playedSystem->stepPerReading = playedPass % 37 == 9 ? 1 : 0;
  SetSceneFailing(playedPass % 4 != 0);
  // Sounds end only when the output takes them.
  if (playedPass % 50 == 0) {
    int16_t mixed[2 * 4096];
    for (int chunk = 0; chunk < 12; ++chunk) soundManager->GetDirectSound()->MixOutput(mixed, 4096);
  }
  GameFrame(window);
  // A frame now and then that takes its whole tick and a millisecond more.
  if (playedPass % 7 == 3) playedSystem->clock += 16;
  SetSceneFailing(false);
  playedSystem->stepPerReading = 0;
}

std::string Recorded() {
  // One file per process: CTest runs this file's tests side by side.
  static const std::string path = TestFile(".zfr");
  static const std::string text = [] {
    // Its scripted system and input, with sound; the program itself starts the game.
    HeadlessGame game(/*withSound=*/true);
    ScriptedSystem& system = game.system;
    SetSoundOutputMode(SoundOutputMode::Manual);
    world = WorldState{};
    playedSystem = &system;
    playedInput = &game.input;
    // Near the top of its range, so that the clock wraps during the run.
    system.clock = 0xFFFFF000u;
    system.arrivals = {{0xFFFFF000u + 400, {nullptr, MSG_KILLFOCUS}},
                       {0xFFFFF000u + 700, {nullptr, MSG_SETFOCUS}},
                       {0xFFFFF000u + 1000, {nullptr, MSG_MINIMIZED}},
                       {0xFFFFF000u + 1000, {nullptr, MSG_RESTORED}}};
    system.answers = {IDYES, IDYES};
    system.closesWhileAsking = {false, true};
    const char* arguments[] = {"zorbly-frondles", "--record", path.c_str()};
    ProgramOptions options;
    EXPECT_EQ(ParseProgramOptions(3, arguments, &options), -1);
    EXPECT_EQ(RunProgram(GameEntryPoints{GameStartup, PlayedFrame, GameShutdown}, options), 0);
    EXPECT_EQ(system.questions.size(), 2u) << "two deaths";
    SetSoundOutputMode(SoundOutputMode::Speakers);
    return ReadFileBytes<std::string>(path);
  }();
  return text;
}

int Verify(const std::string& recording, std::string* out, std::string* errors) {
  std::ostringstream printed, problems;
  const int status = RunReplay(recording, printed, problems, true);
  *out = printed.str();
  *errors = problems.str();
  return status;
}

TEST(RecordingTest, APlayedRunReplaysToTheSameStateLines) {
  const std::string recording = Recorded();
  for (const char* said :
       {"zfr 2\n", "state 0 score=0 health=100", "run ", "keys=SPACE,DOWN", "pad=0x1000,0,0,0,1200",
        "focus=lost", "focus=minimised focus=restored", ",+1,+1", " +15:0", "noscene", "draws=0,",
        "ask=yes ", "ask=yes+close", "\n# result died score=", "\nend\n"}) {
    EXPECT_NE(recording.find(said), std::string::npos) << "no \"" << said << "\" in\n" << recording;
  }
  std::string out, errors;
  ASSERT_EQ(Verify(recording, &out, &errors), 0) << errors;
  EXPECT_NE(out.find(" passes replayed; "), std::string::npos) << out;
  EXPECT_NE(out.find("\nzf-replay: run 2 died, score "), std::string::npos) << out;
  EXPECT_EQ(errors, "");
  // A result noted otherwise than the game counts it is found out.
  std::string claimed = recording;
  claimed.replace(claimed.find("# result died"), 13, "# result won ");
  ASSERT_EQ(Verify(claimed, &out, &errors), 1);
  EXPECT_NE(errors.find("run 1 counted \"# result died"), std::string::npos) << errors;

  // A recorded value changed (a busy voice taken as free): the first state line after it
  // differs.
  std::string changed = recording;
  changed.replace(changed.find(" draws=0-1\n"), 10, " draws=0  ");
  ASSERT_EQ(Verify(changed, &out, &errors), 1);
  EXPECT_NE(errors.find("differs from the recording: "), std::string::npos) << errors;
}

// The pad's Start, held a moment, pauses as P does: the recording holds P, and the time
// played stops with the pause.
void StartPressedFrame(WindowHandle window) {
  playedInput->pads[0].wButtons = ++playedPass > 20 && playedPass < 30 ? XINPUT_GAMEPAD_START : 0;
  GameFrame(window);
}

// The start card takes nothing of the run: one begun from it is recorded as one without.
TEST(RecordingTest, ARunStartedFromTheCardIsRecordedAsOneStartedWithoutIt) {
  std::string recorded[2];
  for (int card = 0; card < 2; ++card) {
    HeadlessGame game;
    game.system.clock = 5000;
    game.system.arrivals = {{7000, {nullptr, MSG_DESTROY}}};
    std::fill(std::begin(game.input.keys), std::end(game.input.keys), uint8_t{0});
    game.input.keys[DIK_SPACE] = game.input.keys[DIK_DOWN] = 0x80;
    game.input.padConnected[0] = true;
    playedInput = &game.input;
    playedPass = 0;
    const std::string path = TestFile(card ? "-card.zfr" : ".zfr");
    const char* arguments[] = {"zorbly-frondles", "--record", path.c_str(),
                               card ? "--record" : "--no-start-card", path.c_str()};
    ProgramOptions options;
    ASSERT_EQ(ParseProgramOptions(card ? 5 : 4, arguments, &options), -1);
    EXPECT_EQ(RunProgram(GameEntryPoints{GameStartup, StartPressedFrame, GameShutdown}, options),
              0);
    EXPECT_EQ(game.system.startCards.size(), static_cast<size_t>(card));
    recorded[card] = ReadFileBytes<std::string>(path);
  }
  EXPECT_NE(recorded[1].find("keys=P,SPACE,DOWN pad=0x0010"), std::string::npos) << recorded[1];
  EXPECT_NE(recorded[1].find(" paused=1 "), std::string::npos) << recorded[1];
  EXPECT_NE(recorded[1].find("\n# result left score=0 played=300\n"), std::string::npos)
      << recorded[1];
  EXPECT_EQ(recorded[0], recorded[1]);
}

TEST(RecordingTest, ACutRecordingReadsToItsLastWholeLineAndDamageIsRefusedByLine) {
  const std::string recording = Recorded();
  RunReader whole;
  ASSERT_TRUE(whole.Open(recording.data(), recording.size())) << whole.problem();
  ASSERT_TRUE(whole.ended());
  // Every byte of the first lines (each kind of line is there), then now and then.
  for (size_t cut = 0; cut < recording.size(); cut += cut < 2000 ? 1 : 61) {
    RunReader reader;
    ASSERT_TRUE(reader.Open(recording.data(), cut)) << "cut at " << cut << ": " << reader.problem();
    EXPECT_FALSE(reader.ended()) << cut;
    EXPECT_EQ(reader.cutLine() != 0, cut > 0 && recording[cut - 1] != '\n') << cut;
    EXPECT_LE(reader.passes(), whole.passes());
  }
  std::string out, errors;
  const std::string half = recording.substr(0, recording.size() / 2);
  ASSERT_EQ(Verify(half, &out, &errors), 0) << errors;
  EXPECT_NE(errors.find("zf-replay: the recording stops after pass "), std::string::npos) << errors;

  const size_t fifth = recording.find('\n', recording.find("\nstate 60 ") + 1) + 1;
  const int fifthLine =
      static_cast<int>(std::count(recording.begin(), recording.begin() + fifth, '\n')) + 1;
  const struct {
    std::string text;
    std::string problem;
  } DAMAGED[] = {
      {"zfr 3\n" + recording.substr(6), "line 1: a run of format version 3"},
      {recording.substr(0, fifth) + "pass +15 keys=SPAC\n" + recording.substr(fifth),
       "line " + std::to_string(fifthLine) + ": unknown key \"SPAC\""},
      {recording.substr(0, fifth) + "state 7 score=0\n" + recording.substr(fifth),
       "line " + std::to_string(fifthLine) + ": a state for pass 7 after pass 60"},
      {recording + "pass +15\n", "nothing follows the end line"},
      // Hand-made: passes that cannot have been played, sizes no object has, bytes that
      // would write to the terminal, what a full disk leaves.
      {"zfr 2\npass 1000\nrun 61 +15\n", "line 3: a run of 61 passes"},
      {"pass 1000\npass +15 keys=P\nrun 4294967295 +15\n", "line 3: a run of 4294967295 passes"},
      {"pass 1000\nput enemy 0-124 width=1000000000\n", "line 2: put takes"},
      {"pass 1000\nput tomato 3 scale=0\n", "line 2: put takes"},
      {"zfr 2\n\x1b[2J\n", "line 2: unknown command \"\\x1B[2J\""},
      {"", "the recording holds no pass"},
  };
  for (const auto& damaged : DAMAGED) {
    EXPECT_EQ(Verify(damaged.text, &out, &errors), 2);
    EXPECT_NE(errors.find(damaged.problem), std::string::npos) << errors;
    EXPECT_EQ(errors.find('\x1b'), std::string::npos);
  }
}

}  // namespace
