#include "record/replay_window.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "audio/sound_keys.h"
#include "game/endings.h"
#include "game/player_keys.h"
#include "game/run_result.h"
#include "game/world_state.h"
#include "gfx/graphics_device.h"
#include "platform/gfx/render_device.h"
#include "platform/gfx/screen_label.h"
#include "platform/input/key_codes.h"
#include "platform/system/regular_file.h"
#include "platform/system/stop_signals.h"
#include "platform/system/system.h"
#include "platform/system/verbose.h"
#include "record/run_player.h"
#include "record/run_reader.h"
#include "record/state_line.h"
#include "shared/screen.h"

namespace {

constexpr uint32_t QUESTION_MOMENT_MS = 1500;
// Further behind than this, the playback takes up the pace from where it is rather than
// hurrying after it; a recorded gap longer than the longest wait is cut short.
constexpr int32_t LATE_MS = 100;
constexpr uint32_t LONGEST_WAIT_MS = 1000;
constexpr uint32_t PAUSED_WAIT_MS = 100;
// The end of a playback shows this long unless a key closes it first.
constexpr uint32_t END_SHOWN_MS = 5000;

// The picture as it stands, with the labels as they are now.
void PresentAgain() {
  if (graphics.d3ddev) graphics.d3ddev->Present(nullptr, nullptr, nullptr, nullptr);
}

// "REPLAY 0:42 / 3:10": the time played and the run's length, on the recording's clock,
// and what follows (at the end).
void ShowReplayMarker(uint32_t clock, const RunReader& reader, const char* after = "") {
  const uint32_t played = (clock - reader.firstClock()) / 1000;
  const uint32_t length = (reader.lastClock() - reader.firstClock()) / 1000;
  char marker[64];
  std::snprintf(marker, sizeof marker, "REPLAY %u:%02u / %u:%02u%s", played / 60, played % 60,
                length / 60, length % 60, after);
  SetScreenLabel(ScreenLabelSlot::Corner, marker);
}

// The recorded pace on the system's clock, and the player's two keys.
class Pace {
 public:
  // Waits for the moment of the recorded clock; false when the player stops the playback
  // (Esc, or the window closed).
  bool WaitFor(uint32_t recordedClock) {
    for (;;) {
      if (!TakeMessages()) return false;
      const uint32_t now = SystemMilliseconds();
      if (paused_) {
        WaitMessageUntil(now + PAUSED_WAIT_MS);
        continue;
      }
      const uint32_t ahead = recordedClock - recordedStart_;
      const int32_t late = static_cast<int32_t>(now - (start_ + ahead));
      if (!anchored_ || late > LATE_MS || -late > static_cast<int32_t>(LONGEST_WAIT_MS)) {
        anchored_ = true;
        recordedStart_ = recordedClock;
        start_ = now;
        return true;
      }
      if (late >= 0) return true;
      WaitMessageUntil(start_ + ahead);
    }
  }
  // The next pass comes at once and the pace is taken up from there.
  void Restart() { anchored_ = false; }

 private:
  bool TakeMessages() {
    // Ctrl-C or SIGTERM: SDL's close, if it came, is no watcher's.
    if (StopSignal()) return false;
    Message message;
    while (PeekMessage(&message)) {
      // The run's own messages come from the recording; these are the watcher's.
      if (message.message == MSG_DESTROY) return false;
      const bool wasPaused = paused_;
      const uint8_t key = HandlePlayerKey(message, &paused_);
      if (key == DIK_ESCAPE) return false;
      if (paused_ != wasPaused) anchored_ = false;
      // No frame is drawn while paused: a label the key changed, or a window uncovered,
      // shows the picture as it stands.
      if ((key != 0 && (paused_ || wasPaused)) || (paused_ && message.message == MSG_PAINT)) {
        PresentAgain();
      }
    }
    return true;
  }

  bool anchored_ = false;
  bool paused_ = false;
  uint32_t recordedStart_ = 0;
  uint32_t start_ = 0;
};

// Hears how the recorded runs end, as the game tells it.
class EndHeard : public RunEndWatcher {
 public:
  void RunEnded(const RunOutcome& outcome, RunBests*) override { end_ = outcome.end; }
  // Before each pass: only the last pass's end can have ended the playback.
  void Forget() { end_.reset(); }
  std::optional<RunEnd> end() const { return end_; }

 private:
  std::optional<RunEnd> end_;
};

// How the recorded run ended, as the viewer's end says it: a short word for the middle of
// the picture and a longer one for the corner.
struct Outcome {
  const char* word;
  const char* said;
};

Outcome HowItEnded(const RunReader& reader, std::optional<RunEnd> lastEnd) {
  // The run ended on its own (a question answered No, Esc, the window closed).
  if (world.quitRequested) {
    if (lastEnd == RunEnd::Won) return {"WON", "the run was won"};
    if (lastEnd == RunEnd::Died) return {"DIED", "the player died"};
    return {"STOPPED", "stopped by the player"};
  }
  // The recording ran out: a crash or a full disk leaves no end line; with its end line,
  // the playback left the recording, whose run ended as the player stopped it.
  if (!reader.ended()) return {"CUT SHORT", "recording cut short"};
  return {"STOPPED", "stopped by the player"};
}

// "END OF REPLAY" and the outcome over the run's last picture, until a key, Esc, the
// window closed, a stop signal, or END_SHOWN_MS.
void ShowEnd(const Outcome& outcome, const RunReader& reader) {
  StopRunSounds();
  char middle[64];
  std::snprintf(middle, sizeof middle, "END OF REPLAY: %s", outcome.word);
  SetScreenLabel(ScreenLabelSlot::Centre, middle);
  char after[48];
  std::snprintf(after, sizeof after, " - %s - any key closes", outcome.said);
  ShowReplayMarker(reader.lastClock(), reader, after);
  PresentAgain();
  const uint32_t until = SystemMilliseconds() + END_SHOWN_MS;
  for (;;) {
    Message message;
    while (PeekMessage(&message)) {
      if (message.message == MSG_DESTROY) return;
      if (message.message == MSG_KEYDOWN && message.lParam == 0) return;
      if (message.message == MSG_PAINT) PresentAgain();
    }
    if (StopSignal() || static_cast<int32_t>(SystemMilliseconds() - until) >= 0) return;
    WaitMessageUntil(until);
  }
}

void TellLeaving(unsigned long long pass, const char* how) {
  std::fprintf(stderr,
               "zorbly-frondles: from pass %llu the playback leaves the recording (%s); "
               "what follows may differ from what was played\n",
               pass, how);
}

// The whole file, read and checked before the window opens; false after one line.
bool ReadRecording(const char* path, std::string* text, RunReader* reader) {
  int error = 0;
  const FileRead read = ReadRegularFile(path, MAX_RECORDING_BYTES, text, &error);
  if (read != FileRead::Read) {
    std::fprintf(stderr, "zorbly-frondles: cannot read the recording \"%s\" (%s)\n", path,
                 FileReadProblem(read, error, MAX_RECORDING_BYTES).c_str());
    return false;
  }
  const bool opened = reader->Open(text->data(), text->size());
  if (reader->version() < RUN_FORMAT_VERSION) {
    std::fprintf(stderr, "zorbly-frondles: \"%s\" is not a recording of %s\n", path, gameTitle);
    return false;
  }
  if (!opened)
    std::fprintf(stderr, "zorbly-frondles: cannot play \"%s\": %s\n", path, reader->problem());
  return opened;
}

// The recording's passes at their recorded pace until it ends, the game ends or the
// watcher stops it; false when the watcher stopped it.
bool Watch(const GameEntryPoints& game, WindowHandle window, RunReader* reader) {
  RunPlayer player(/*recording=*/true, QUESTION_MOMENT_MS);
  RunTap* previous = SetRunTap(&player);
  EndHeard heard;
  RunEndWatcher* previousWatcher = SetRunEndWatcher(&heard);
  Pace pace;
  bool watching = true;
  bool told = false;
  char state[512];
  char difference[200];
  RunItem item;
  while (watching && !world.quitRequested && reader->Next(&item)) {
    if (item.kind == RunItemKind::State) {
      FormatWorldState(state, sizeof state);
      if (!told &&
          !SameState(item.text.data(), item.text.size(), state, difference, sizeof difference)) {
        TellLeaving(item.passNumber, difference);
        told = true;
      }
      continue;
    }
    const RecordedPass& pass = *item.pass;
    watching = pace.WaitFor(pass.clocks[0]);
    if (!watching) break;
    ShowReplayMarker(pass.clocks[0], *reader);
    heard.Forget();
    player.BeginPass(pass, window);
    game.frame(window);
    if (!player.EndPass() && !told) {
      TellLeaving(item.passNumber, player.difference());
      told = true;
    }
    // However long the player took to answer, the playback goes on at once.
    if (pass.answerCount > 0) pace.Restart();
  }
  SetRunEndWatcher(previousWatcher);
  SetRunTap(previous);
  // Unless the watcher stopped it, the playback says how the run ended.
  if (watching && !StopSignal()) ShowEnd(HowItEnded(*reader, heard.end()), *reader);
  SetScreenLabel(ScreenLabelSlot::Corner, nullptr);
  SetScreenLabel(ScreenLabelSlot::Centre, nullptr);
  return watching;
}

}  // namespace

int PlayRecording(const GameEntryPoints& game, const char* path, bool playerVolume) {
  std::string text;
  RunReader reader;
  if (!ReadRecording(path, &text, &reader)) return 2;
  WindowHandle window = CreateGameWindow(gameTitle, SCREEN_WIDTH, SCREEN_HEIGHT, MainWindowProc);
  if (!window) return EXIT_FAILURE;
  // After the window: SDL's own handler still makes its close, which ends an answered
  // question's moment at once.
  CatchStopSignals();
  if (playerVolume) LoadSoundSettings();
  if (!game.startup(window)) return EXIT_FAILURE;
  SayChosen("playing back \"%s\" (Esc stops, P pauses)", path);
  const bool watched = Watch(game, window, &reader);
  const bool quit = world.quitRequested;
  game.shutdown();
  DestroyGameWindow(window);
  if (const int signal = StopSignal()) {
    std::fprintf(stderr, "zorbly-frondles: the playback of \"%s\" stopped by %s\n", path,
                 StopSignalName(signal));
    return 128 + signal;
  }
  if (watched && !reader.ended() && !quit) {
    std::fprintf(stderr,
                 "zorbly-frondles: the recording stops after pass %llu without its end "
                 "(cut short); played that far\n",
                 static_cast<unsigned long long>(reader.passes()));
  }
  return EXIT_SUCCESS;
}
