#include "record/replay.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "audio/sound.h"
#include "audio/sound_bank.h"
#include "audio/sound_manager.h"
#include "game/run_result.h"
#include "game/world_state.h"
#include "platform/audio/sound_device.h"
#include "platform/audio/sound_mixer.h"
#include "platform/gfx/render_device.h"
#include "platform/system/random.h"
#include "platform/system/run_tap.h"
#include "platform/system/stop_signals.h"
#include "record/headless_game.h"
#include "record/run_player.h"
#include "record/run_reader.h"
#include "record/run_records.h"
#include "record/state_line.h"
#include "record/world_edits.h"

namespace {

std::string F(float value) {
  char text[40];
  FormatReal(value, 9, text, sizeof text);
  return text;
}

// What --verify prints instead of the lines: nothing.
class NoOutput : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
};

// The sounds playing now, by their files' names; "-" for none.
std::string PlayingSounds() {
  const std::pair<CSound*, const char*> SOUNDS[] = {
      {world.accordionSound, "Accordion"}, {world.gearsSound, "gears"},
      {world.phasingSound, "phasing"},     {world.musicSound, "music1"},
      {world.splatSound, "splat"},         {world.squishSound, "squish"}};
  std::string playing;
  for (const auto& [sound, name] : SOUNDS) {
    if (!sound || !sound->IsSoundPlaying()) continue;
    if (!playing.empty()) playing += ',';
    playing += name;
  }
  return playing.empty() ? "-" : playing;
}

class Replay : public ScriptCommands, public RunEndWatcher {
 public:
  Replay(std::ostream& out, std::ostream& errors, bool verify)
      : out_(verify ? quiet_ : out), verdict_(out), errors_(errors), verify_(verify) {}

  int Run(Text script);

  bool Takes(Text command) const override;
  bool Check(Text command, Words arguments, bool first, char* problem, size_t size) override;
  // The runs' results as the game counts them; a replay keeps no records.
  void RunEnded(const RunOutcome& outcome, RunBests*) override { results_.push_back(outcome); }

 private:
  void CompareResults(Text script, const RunReader& reader);
  void Play(RunReader* reader);
  void Execute(Text line);
  void ReplayPass(const RecordedPass& pass);
  void CompareState(Text fields);
  void MixUntil(uint32_t clock);
  void PrintState();
  void PrintQuestions(size_t from);
  void Dump();
  void DumpRecord(const char* kind, int index, const GameObject& object);
  void Differs(const std::string& how);
  int Verdict(const RunReader& reader);

  NoOutput nothing_;
  std::ostream quiet_{&nothing_};
  std::ostream& out_;
  std::ostream& verdict_;
  std::ostream& errors_;
  bool verify_;
  bool soundOn_ = false;  // "sound on" came first
  // Made once the script says whether it wants sound.
  std::optional<HeadlessGame> game_;
  std::optional<RunPlayer> player_;
  int stateLines_ = 0;
  bool differs_ = false;
  uint32_t mixedUntil_ = 0;
  uint64_t mixParts_ = 0;  // frames x 1000 not yet mixed
  std::vector<int16_t> mixScratch_;
  bool ended_ = false;
  uint64_t pass_ = 0;
  bool tickRan_ = false;
  uint32_t clock_ = 0;
  std::vector<RunOutcome> results_;
};

bool Replay::Takes(Text command) const {
  return command == "default-answer" || command == "set" || command == "put" ||
         command == "sound" || command == "dump";
}

bool Replay::Check(Text command, Words arguments, bool first, char* problem, size_t size) {
  Text word, extra;
  if (command == "set") return SetWorldFields(arguments, false, problem, size);
  if (command == "put") return PutRecords(arguments, false, problem, size);
  const bool one = arguments.Next(&word) && !arguments.Next(&extra);
  if (command == "default-answer") {
    PassAnswer answer{};
    return (one && ParseAnswer(word, &answer)) ||
           Problem(problem, size, "default-answer wants yes, no, yes+close or no+close");
  }
  if (command == "sound") {
    // The sound device comes with start-up, before the first pass.
    if (!one || word != "on" || !first)
      return Problem(problem, size, "sound on comes once, before the first pass");
    soundOn_ = true;
    return true;
  }
  return word.empty() || Problem(problem, size, "dump takes nothing");
}

void Replay::Execute(Text line) {
  Words words(line);
  Text command, word;
  words.Next(&command);
  char problem[200];
  if (command == "set") {
    SetWorldFields(words, true, problem, sizeof problem);
  } else if (command == "put") {
    PutRecords(words, true, problem, sizeof problem);
  } else if (command == "default-answer") {
    PassAnswer answer{};
    words.Next(&word);
    ParseAnswer(word, &answer);
    player_->SetDefaultAnswer(answer);
  } else if (command == "dump") {
    Dump();
  }
}

void Replay::Differs(const std::string& how) {
  if (differs_) return;
  differs_ = true;
  if (verify_)
    errors_ << "zf-replay: pass " << pass_ << " differs from the recording: " << how << "\n";
  else
    errors_ << "zf-replay: from pass " << pass_ << " the run leaves its recording: " << how << "\n";
}

// The output takes what the time since the last pass plays.
void Replay::MixUntil(uint32_t clock) {
  const uint32_t elapsed = clock - mixedUntil_;
  mixedUntil_ = clock;
  SoundDevice* device = soundManager ? soundManager->GetDirectSound() : nullptr;
  if (!device) return;
  mixParts_ += static_cast<uint64_t>(elapsed) * MIX_FRAMES_PER_SECOND;
  uint64_t frames = mixParts_ / 1000;
  mixParts_ %= 1000;
  // A clock that jumps (days, in a hand-made script) is time no one hears: the voices
  // move on at once, and only what the last second plays is mixed.
  if (frames > MIX_FRAMES_PER_SECOND) {
    device->SkipOutput(frames - MIX_FRAMES_PER_SECOND);
    frames = MIX_FRAMES_PER_SECOND;
  }
  constexpr uint32_t CHUNK = 4096;
  mixScratch_.resize(CHUNK * 2);
  while (frames > 0) {
    const uint32_t now = static_cast<uint32_t>(std::min<uint64_t>(frames, CHUNK));
    device->MixOutput(mixScratch_.data(), now);
    frames -= now;
  }
}

void Replay::ReplayPass(const RecordedPass& pass) {
  ++pass_;
  clock_ = pass.clocks[0];
  game_->system.clock = clock_;
  player_->BeginPass(pass, game_->window());
  if (soundOn_) MixUntil(clock_);
  const size_t questionsBefore = game_->system.questions.size();
  const uint64_t ticksBefore = world.ticksRun;
  game_->Pass();
  tickRan_ = world.ticksRun != ticksBefore;
  if (!player_->EndPass()) Differs(player_->difference());

  PrintQuestions(questionsBefore);
  PrintState();
  if (pass.dump) Dump();
  if (world.quitRequested) {
    out_ << "END " << pass_ << "\n";
    ended_ = true;
  }
}

void Replay::CompareState(Text fields) {
  char now[512];
  char difference[200];
  FormatWorldState(now, sizeof now);
  ++stateLines_;
  if (!SameState(fields.data(), fields.size(), now, difference, sizeof difference))
    Differs(difference);
}

void Replay::PrintQuestions(size_t from) {
  for (size_t i = from; i < game_->system.questions.size(); ++i) {
    const ScriptedSystem::Question& question = game_->system.questions[i];
    const char* kind = question.text.find("won") != std::string::npos ? "win" : "death";
    out_ << "Q " << pass_ << " " << kind << " \"" << question.text << "\" caption=\""
         << question.caption
         << "\" answer=" << AnswerName(PassAnswer{question.answer, question.windowClosed}) << "\n";
  }
}

void Replay::PrintState() {
  int idle = 0;
  for (const GameObject& shot : world.projectiles) idle += shot.active && shot.velocityX == 0.0f;
  char state[512];
  FormatWorldState(state, sizeof state);
  out_ << "S " << pass_ << " tick=" << (tickRan_ ? 1 : 0) << " " << state << " | clock=" << clock_
       << " lastTick=" << world.lastTickTime << " idle=" << idle
       << " rumbleDur=" << world.rumbleDuration
       << " motor=" << game_->input.vibration[0].wLeftMotorSpeed;
  if (soundOn_) out_ << " sounds=" << PlayingSounds();
  out_ << "\n";
}

void Replay::DumpRecord(const char* kind, int index, const GameObject& object) {
  char color[16];
  std::snprintf(color, sizeof color, "0x%08" PRIX32, object.color);
  out_ << "D " << pass_ << " " << kind << " " << index << " active=" << (object.active ? 1 : 0)
       << " sauced=" << (object.sauced ? 1 : 0) << " x=" << F(object.x) << " y=" << F(object.y)
       << " width=" << object.width << " height=" << object.height << " scale=" << F(object.scale)
       << " rotation=" << F(object.rotation) << " velocityX=" << F(object.velocityX)
       << " velocityY=" << F(object.velocityY) << " color=" << color << "\n";
}

void Replay::Dump() {
  for (int pool = 0; pool < RECORD_POOL_COUNT; ++pool) {
    const RecordPool& records = RecordPools()[pool];
    for (int i = 0; i < records.count; ++i) DumpRecord(records.name, i, records.records[i]);
  }
}

void Replay::Play(RunReader* reader) {
  const bool started = game_->Start();
  out_ << "STARTUP " << (started ? "true" : "false") << " rand=" << RandCount() << "\n";
  if (!started) return;
  PrintState();
  RunItem item;
  // Ctrl-C or SIGTERM (CatchStopSignals) ends the run between passes.
  while (!ended_ && !differs_ && !StopSignal() && reader->Next(&item)) {
    if (item.kind == RunItemKind::Pass) ReplayPass(*item.pass);
    else if (item.kind == RunItemKind::Command) Execute(item.text);
    else if (verify_) CompareState(item.text);
  }
}

// The results the recording notes are the ones the replay counted, as far as it got.
void Replay::CompareResults(Text script, const RunReader& reader) {
  const std::vector<RunOutcome> noted =
      RecordedResults(std::string_view(script.data(), script.size()));
  const bool whole = reader.ended() && pass_ == reader.passes();
  for (size_t i = 0; i < noted.size() || (whole && i < results_.size()); ++i) {
    const std::string counted = i < results_.size() ? ResultComment(results_[i]) : "no result";
    const std::string said = i < noted.size() ? ResultComment(noted[i]) : "no result";
    if (counted == said || (!whole && i >= results_.size())) continue;
    Differs("run " + std::to_string(i + 1) + " counted \"" + counted + "\", noted \"" + said +
            "\"");
    return;
  }
}

int Replay::Verdict(const RunReader& reader) {
  if (const int signal = StopSignal()) {
    errors_ << "zf-replay: stopped by " << StopSignalName(signal) << " after pass " << pass_
            << "\n";
    return 128 + signal;
  }
  if (verify_ && ended_ && pass_ < reader.passes()) {
    Differs("the game ended here, the recording goes on to pass " +
            std::to_string(reader.passes()));
  }
  if (reader.version() >= 2 && !reader.ended()) {
    errors_ << "zf-replay: the recording stops after pass " << reader.passes()
            << (reader.cutLine() ? " (line " + std::to_string(reader.cutLine()) + " is cut short)"
                                 : std::string(" without its end line"))
            << ": replayed that far\n";
  }
  if (verify_ && differs_) return 1;
  if (verify_ && pass_ == 0) {
    errors_ << "zf-replay: the game did not start: nothing verified\n";
    return 2;
  }
  if (verify_) {
    verdict_ << "zf-replay: " << pass_ << " passes replayed; " << stateLines_
             << " state lines agree with the recording\n";
    for (size_t i = 0; i < results_.size(); ++i) {
      verdict_ << "zf-replay: run " << i + 1 << " " << RunEndName(results_[i].end) << ", score "
               << results_[i].score << ", " << FormatPlayed(results_[i].playedMs) << " played\n";
    }
  }
  return 0;
}

int Replay::Run(Text script) {
  // The whole script is checked before the run, so a typo never leaves half a run printed.
  RunReader reader;
  if (!reader.Open(script.data(), script.size(), this)) {
    errors_ << "zf-replay: " << reader.problem() << "\n";
    return 2;
  }
  if (verify_ && reader.passes() == 0) {
    // What a full disk leaves: no run, whatever it would be compared with.
    errors_ << "zf-replay: the recording holds no pass: nothing to verify\n";
    return 2;
  }
  // With "sound on" the game gets a sound device whose output is mixed between passes by
  // the scripted clock, so its sounds start and end as in play.
  const SoundOutputMode outputMode = GetSoundOutputMode();
  if (soundOn_) SetSoundOutputMode(SoundOutputMode::Manual);
  game_.emplace(soundOn_);
  player_.emplace(/*recording=*/reader.version() >= 2);
  RunTap* previousTap = SetRunTap(&*player_);
  RunEndWatcher* previousWatcher = SetRunEndWatcher(this);
  Play(&reader);
  // A run the game was still in at the recording's end is told as the game tells it.
  if (!differs_ && !StopSignal()) LeaveRun();
  SetRunEndWatcher(previousWatcher);
  SetRunTap(previousTap);
  if (verify_ && !differs_ && !StopSignal()) CompareResults(script, reader);
  game_.reset();
  SetSoundOutputMode(outputMode);
  return Verdict(reader);
}

}  // namespace

int RunReplay(std::string_view script, std::ostream& out, std::ostream& errors, bool verify) {
  Replay replay(out, errors, verify);
  return replay.Run(script);
}
