#include "replay/replay.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <istream>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/run_player.h"
#include "app/run_script.h"
#include "audio/sound.h"
#include "audio/sound_bank.h"
#include "audio/sound_manager.h"
#include "game/world_state.h"
#include "platform/audio/sound_device.h"
#include "platform/audio/sound_mixer.h"
#include "platform/gfx/render_device.h"
#include "platform/system/random.h"
#include "platform/system/run_tap.h"
#include "platform/system/system.h"
#include "replay/headless_game.h"

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream stream(text);
  while (std::getline(stream, part, separator)) parts.push_back(part);
  return parts;
}

bool ParseInteger(const std::string& text, long long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  *value = std::strtoll(text.c_str(), &end, 0);
  return end && *end == '\0';
}

std::string AnswerName(int value, bool closes) {
  std::string name = value == IDYES ? "yes" : "no";
  return closes ? name + "+close" : name;
}

// A float as %.9g, a double as %.17g; a negative zero prints as 0.
std::string Number(double value, int digits) {
  if (value == 0.0) value = 0.0;
  char text[40];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  return text;
}
std::string F(float value) { return Number(value, 9); }

// What --verify prints instead of the lines: nothing.
class NoOutput : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
};

class Replay {
 public:
  Replay(std::ostream& out, std::ostream& errors, bool verify)
      : out_(verify ? quiet_ : out), verdict_(out), errors_(errors), verify_(verify) {}

  int Run(std::istream& script);

 private:
  bool Start();
  // With execute false the line is only checked.
  bool RunLine(const std::string& line, int lineNumber, bool execute);
  void RunPass(const RecordedPass& pass);
  void CompareState(const ScriptLine& line);
  void MixUntil(uint32_t clock);
  void PrintState();
  void PrintQuestions(size_t from);
  void Dump();
  void DumpRecord(const char* kind, int index, const GameObject& object);
  bool Problem(int lineNumber, const std::string& text);
  void Differs(const std::string& how);

  NoOutput nothing_;
  std::ostream quiet_{&nothing_};
  std::ostream& out_;
  std::ostream& verdict_;
  std::ostream& errors_;
  bool verify_;
  // Made once the script says whether it wants sound.
  std::optional<HeadlessGame> game_;
  RunPlayer player_;
  int version_ = 1;
  int soundLine_ = 0;  // the line of "sound on", 0 without one
  uint64_t checkedPasses_ = 0;
  bool checkedEnd_ = false;
  int stateLines_ = 0;
  bool differs_ = false;
  uint32_t mixedUntil_ = 0;
  uint64_t mixParts_ = 0;  // frames x 1000 not yet mixed
  std::vector<int16_t> mixScratch_;
  bool ended_ = false;
  int pass_ = 0;
  bool tickRan_ = false;
  uint32_t clock_ = 0;
};

bool Replay::Problem(int lineNumber, const std::string& text) {
  errors_ << "zf-replay: line " << lineNumber << ": " << text << "\n";
  return false;
}

void Replay::Differs(const std::string& how) {
  if (differs_) return;
  differs_ = true;
  if (verify_) errors_ << "zf-replay: pass " << pass_ << " differs from the recording: " << how << "\n";
  else errors_ << "zf-replay: from pass " << pass_ << " the run leaves its recording: " << how << "\n";
}

bool Replay::Start() {
  const bool started = game_->Start();
  out_ << "STARTUP " << (started ? "true" : "false") << " rand=" << RandCount() << "\n";
  if (!started) return false;
  PrintState();
  return true;
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
  constexpr uint32_t CHUNK = 4096;
  mixScratch_.resize(CHUNK * 2);
  while (frames > 0) {
    const uint32_t now = static_cast<uint32_t>(std::min<uint64_t>(frames, CHUNK));
    device->MixOutput(mixScratch_.data(), now);
    frames -= now;
  }
}

void Replay::RunPass(const RecordedPass& pass) {
  ++pass_;
  clock_ = pass.clocks[0];
  game_->system.clock = clock_;
  if (version_ >= 2) {
    // A recording: the run's tap gives the game every recorded value.
    player_.BeginPass(pass, game_->window());
  } else {
    game_->system.escapeDown = pass.escape;
    std::copy(std::begin(pass.keys), std::end(pass.keys), std::begin(game_->input.keys));
    game_->input.padConnected[0] = pass.padPresent;
    if (pass.padPresent) {
      // The packet number changes with the state, as a real pad's does.
      if (std::memcmp(&game_->input.pads[0], &pass.pad, sizeof pass.pad) != 0) ++game_->input.padPackets[0];
      game_->input.pads[0] = pass.pad;
    }
    game_->system.answers.clear();
    game_->system.closesWhileAsking.clear();
    for (int i = 0; i < pass.answerCount; ++i) {
      game_->system.answers.push_back(pass.answers[i].answer);
      game_->system.closesWhileAsking.push_back(pass.answers[i].windowClosed);
    }
    // A hand-written pass takes its one message in the pass's own message step.
    for (int i = 0; i < pass.messageCount; ++i) game_->system.Post(pass.messages[i]);
    SetSceneFailing(pass.noScene);
  }

  if (soundLine_ != 0) MixUntil(clock_);
  const size_t questionsBefore = game_->system.questions.size();
  const uint64_t ticksBefore = world.ticksRun;
  game_->Pass();
  tickRan_ = world.ticksRun != ticksBefore;
  SetSceneFailing(false);
  if (version_ >= 2 && !player_.EndPass()) Differs(player_.difference());

  PrintQuestions(questionsBefore);
  PrintState();
  if (pass.dump) Dump();
  if (world.quitRequested) {
    out_ << "END " << pass_ << "\n";
    ended_ = true;
  }
}

void Replay::CompareState(const ScriptLine& line) {
  char now[512];
  char difference[200];
  FormatWorldState(now, sizeof now);
  ++stateLines_;
  if (!SameState(line.stateText, line.stateLength, now, difference, sizeof difference)) {
    Differs(difference);
  }
}

void Replay::PrintQuestions(size_t from) {
  for (size_t i = from; i < game_->system.questions.size(); ++i) {
    const ScriptedSystem::Question& question = game_->system.questions[i];
    const char* kind = question.text.find("won") != std::string::npos ? "win" : "death";
    out_ << "Q " << pass_ << " " << kind << " \"" << question.text << "\" caption=\""
         << question.caption << "\" answer=" << AnswerName(question.answer, question.windowClosed)
         << "\n";
  }
}

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

void Replay::PrintState() {
  int idle = 0;
  for (const GameObject& shot : world.projectiles) idle += shot.active && shot.velocityX == 0.0f;
  char state[512];
  FormatWorldState(state, sizeof state);
  out_ << "S " << pass_ << " tick=" << (tickRan_ ? 1 : 0) << " " << state << " | clock=" << clock_
       << " lastTick=" << world.lastTickTime << " idle=" << idle
       << " rumbleDur=" << world.rumbleDuration
       << " motor=" << game_->input.vibration[0].wLeftMotorSpeed;
  if (soundLine_ != 0) out_ << " sounds=" << PlayingSounds();
  out_ << "\n";
}

void Replay::DumpRecord(const char* kind, int index, const GameObject& object) {
  char color[16];
  std::snprintf(color, sizeof color, "0x%08" PRIX32, object.color);
  out_ << "D " << pass_ << " " << kind << " " << index << " active=" << (object.active ? 1 : 0)
       << " sauced=" << (object.sauced ? 1 : 0) << " x=" << F(object.x) << " y=" << F(object.y)
       << " width=" << object.width << " height=" << object.height
       << " scale=" << F(object.scale) << " rotation=" << F(object.rotation)
       << " velocityX=" << F(object.velocityX) << " velocityY=" << F(object.velocityY)
       << " color=" << color << "\n";
}

void Replay::Dump() {
  DumpRecord("player", 0, world.player);
  for (int i = 0; i < ENEMY_COUNT; ++i) DumpRecord("enemy", i, world.enemies[i]);
  for (int i = 0; i < TOMATO_COUNT; ++i) DumpRecord("tomato", i, world.tomatoes[i]);
  for (int i = 0; i < PARM_COUNT; ++i) DumpRecord("parm", i, world.parms[i]);
  for (int i = 0; i < PROJECTILE_COUNT; ++i) DumpRecord("projectile", i, world.projectiles[i]);
}

// Puts the world into a state a report describes, between passes.
bool SetField(const std::string& token, bool execute) {
  const size_t equals = token.find('=');
  if (equals == std::string::npos) return false;
  const std::string name = token.substr(0, equals);
  const std::string text = token.substr(equals + 1);
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value)) return false;
  struct Field {
    const char* name;
    double low, high;
  };
  constexpr Field FIELDS[] = {{"health", 0, 100},  {"energy", 0, 100}, {"score", -1e9, 1e9},
                              {"wl", 1, 5},        {"mode", 0, 3},     {"prev", 0, 3},
                              {"paused", 0, 1},    {"px", -1e6, 1e6},  {"py", -1e6, 1e6},
                              {"lastShot", 0, 4294967295.0}};
  const Field* field = nullptr;
  for (const Field& candidate : FIELDS) {
    if (name == candidate.name) field = &candidate;
  }
  if (!field || value < field->low || value > field->high) return false;
  if (!execute) return true;
  if (name == "health") world.health = value;
  else if (name == "energy") world.energy = value;
  else if (name == "score") world.score = static_cast<int32_t>(value);
  else if (name == "wl") world.weaponLevel = static_cast<int32_t>(value);
  else if (name == "mode") world.playerMode = static_cast<int32_t>(value);
  else if (name == "prev") world.previousPlayerMode = static_cast<int32_t>(value);
  else if (name == "paused") world.paused = value != 0.0;
  else if (name == "px") world.player.x = static_cast<float>(value);
  else if (name == "py") world.player.y = static_cast<float>(value);
  else world.lastShotTime = static_cast<uint32_t>(value);
  return true;
}

// The records a `put` line may change, by the names the dump prints.
GameObject* Records(const std::string& kind, int* count) {
  struct Pool {
    const char* name;
    GameObject* records;
    int count;
  };
  const Pool POOLS[] = {{"player", &world.player, 1},
                        {"enemy", world.enemies, ENEMY_COUNT},
                        {"tomato", world.tomatoes, TOMATO_COUNT},
                        {"parm", world.parms, PARM_COUNT},
                        {"projectile", world.projectiles, PROJECTILE_COUNT}};
  for (const Pool& pool : POOLS) {
    if (kind == pool.name) {
      *count = pool.count;
      return pool.records;
    }
  }
  return nullptr;
}

// FIELD=VALUE on one record; only checked when record is null.
bool PutField(const std::string& token, GameObject* record) {
  const size_t equals = token.find('=');
  if (equals == std::string::npos) return false;
  const std::string name = token.substr(0, equals);
  const std::string text = token.substr(equals + 1);
  char* end = nullptr;
  const double value = name == "color" ? static_cast<double>(std::strtoull(text.c_str(), &end, 0))
                                       : std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value) || std::fabs(value) > 1e9) return false;
  struct Field {
    const char* name;
    void (*apply)(GameObject&, double);
  };
  static constexpr Field FIELDS[] = {
      {"active", [](GameObject& o, double v) { o.active = v != 0.0; }},
      {"sauced", [](GameObject& o, double v) { o.sauced = v != 0.0; }},
      {"x", [](GameObject& o, double v) { o.x = static_cast<float>(v); }},
      {"y", [](GameObject& o, double v) { o.y = static_cast<float>(v); }},
      {"width", [](GameObject& o, double v) { o.width = static_cast<int32_t>(v); }},
      {"height", [](GameObject& o, double v) { o.height = static_cast<int32_t>(v); }},
      {"scale", [](GameObject& o, double v) { o.scale = static_cast<float>(v); }},
      {"rotation", [](GameObject& o, double v) { o.rotation = static_cast<float>(v); }},
      {"velocityX", [](GameObject& o, double v) { o.velocityX = static_cast<float>(v); }},
      {"velocityY", [](GameObject& o, double v) { o.velocityY = static_cast<float>(v); }},
      {"color", [](GameObject& o, double v) { o.color = static_cast<uint32_t>(v); }},
  };
  for (const Field& field : FIELDS) {
    if (name != field.name) continue;
    if (record) field.apply(*record, value);
    return true;
  }
  return false;
}

// "put KIND FIRST[-LAST] FIELD=VALUE ...": records set by hand between passes.
bool PutRecords(const std::vector<std::string>& tokens, bool execute, std::string* problem) {
  int count = 0;
  GameObject* records = tokens.size() >= 4 ? Records(tokens[1], &count) : nullptr;
  if (!records) {
    *problem = "put wants player, enemy, tomato, parm or projectile, an index and FIELD=VALUE";
    return false;
  }
  const std::vector<std::string> range = Split(tokens[2], '-');
  long long first = 0, last = 0;
  if (range.empty() || range.size() > 2 || !ParseInteger(range[0], &first) ||
      !ParseInteger(range.back(), &last) || first < 0 || last < first || last >= count) {
    *problem = "put wants an index or FIRST-LAST below " + std::to_string(count);
    return false;
  }
  for (size_t i = 3; i < tokens.size(); ++i) {
    if (!PutField(tokens[i], nullptr)) {
      *problem = "put takes the dump's fields with a number, not \"" + tokens[i] + "\"";
      return false;
    }
    if (!execute) continue;
    for (long long index = first; index <= last; ++index) PutField(tokens[i], &records[index]);
  }
  return true;
}

bool Replay::RunLine(const std::string& rawLine, int lineNumber, bool execute) {
  const std::string line = rawLine.substr(0, rawLine.find('#'));
  std::istringstream stream(line);
  std::vector<std::string> tokens;
  for (std::string token; stream >> token;) tokens.push_back(token);
  if (tokens.empty()) return true;
  const std::string& command = tokens[0];

  if (command == "default-answer") {
    PassAnswer answer{};
    if (tokens.size() != 2 || !ParseAnswer(tokens[1], &answer)) {
      return Problem(lineNumber, "default-answer wants yes, no, yes+close or no+close");
    }
    if (!execute) return true;
    game_->system.defaultAnswer = answer.answer;
    game_->system.defaultCloses = answer.windowClosed;
    return true;
  }
  if (command == "set") {
    if (tokens.size() < 2) return Problem(lineNumber, "set wants FIELD=VALUE");
    for (size_t i = 1; i < tokens.size(); ++i) {
      if (!SetField(tokens[i], execute)) {
        return Problem(lineNumber, "set takes health, energy, score, wl, mode, prev, paused, "
                                   "px, py or lastShot with a number, not \"" + tokens[i] + "\"");
      }
    }
    return true;
  }
  if (command == "put") {
    std::string problem;
    return PutRecords(tokens, execute, &problem) || Problem(lineNumber, problem);
  }
  if (command == "sound") {
    if (tokens.size() != 2 || tokens[1] != "on" || lineNumber != soundLine_) {
      return Problem(lineNumber, "sound on comes once, before the first pass");
    }
    return true;
  }
  if (command == "dump") {
    if (tokens.size() != 1) return Problem(lineNumber, "dump takes nothing");
    if (execute) Dump();
    return true;
  }

  ScriptLine parsed;
  char problem[200];
  if (!ParseScriptLine(rawLine.data(), rawLine.size(), version_, clock_, &parsed, problem, sizeof problem)) {
    return Problem(lineNumber, problem);
  }
  switch (parsed.kind) {
    case ScriptLineKind::Version:
      return lineNumber == 1 || Problem(lineNumber, "the version comes on the first line only");
    case ScriptLineKind::Other:
      return Problem(lineNumber, "unknown command \"" + command + "\"");
    case ScriptLineKind::End:
      checkedEnd_ = true;
      return true;
    case ScriptLineKind::State:
      if (!execute) {
        return parsed.statePass == checkedPasses_ ||
               Problem(lineNumber, "a state for pass " + std::to_string(parsed.statePass) +
                                       " after pass " + std::to_string(checkedPasses_));
      }
      if (verify_) CompareState(parsed);
      return true;
    default:
      break;
  }
  if (!execute) {
    if (checkedEnd_) return Problem(lineNumber, "nothing follows the end line");
    checkedPasses_ += parsed.count;
    clock_ = parsed.kind == ScriptLineKind::Pass ? parsed.pass.clocks[0] : ClockAfterRun(parsed, clock_);
    return true;
  }
  for (uint32_t n = 0; n < parsed.count && !ended_ && !differs_; ++n) {
    if (parsed.kind == ScriptLineKind::Run) parsed.pass.clocks[0] = clock_ + RunPassStep(parsed, n);
    RunPass(parsed.pass);
  }
  return true;
}

int Replay::Run(std::istream& script) {
  // Check the whole script before the run, so a typo never leaves half a run printed.
  const std::string text((std::istreambuf_iterator<char>(script)), std::istreambuf_iterator<char>());
  version_ = ScriptVersionOf(text.data(), text.size());
  if (version_ < 1 || version_ > RUN_FORMAT_VERSION) {
    errors_ << "zf-replay: line 1: a run of format version " << version_ << "; this zf-replay reads versions 1 to "
            << RUN_FORMAT_VERSION << "\n";
    return 2;
  }
  std::vector<std::string> lines;
  int cutLine = 0;
  ScriptCursor cursor{text.data(), text.size(), 0, 0};
  const char* line = nullptr;
  size_t length = 0;
  bool cut = false;
  while (NextScriptLine(&cursor, &line, &length, &cut)) {
    // A recording's last line without its newline was cut short by a crash or a full
    // disk; a hand-written script's is a line like any other.
    if (cut && version_ >= 2) {
      cutLine = cursor.lineNumber;
      break;
    }
    lines.emplace_back(line, length);
  }

  // "sound on" before the first command gives the game a sound device whose output is
  // mixed between passes by the scripted clock, so its sounds start and end as in play.
  for (size_t i = 0; i < lines.size(); ++i) {
    std::istringstream words(lines[i].substr(0, lines[i].find('#')));
    std::string command;
    if (!(words >> command) || command == RUN_FORMAT_TAG) continue;
    if (command == "sound") soundLine_ = static_cast<int>(i + 1);
    break;
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!RunLine(lines[i], static_cast<int>(i + 1), false)) return 2;
  }
  clock_ = 0;
  const SoundOutputMode outputMode = GetSoundOutputMode();
  if (soundLine_ != 0) SetSoundOutputMode(SoundOutputMode::Manual);
  game_.emplace(soundLine_ != 0);
  RunTap* previousTap = version_ >= 2 ? SetRunTap(&player_) : nullptr;
  if (Start()) {
    for (size_t i = 0; i < lines.size() && !ended_ && !differs_; ++i) {
      RunLine(lines[i], static_cast<int>(i + 1), true);
    }
  }
  if (version_ >= 2) SetRunTap(previousTap);
  game_.reset();
  SetSoundOutputMode(outputMode);

  if (verify_ && ended_ && static_cast<uint64_t>(pass_) < checkedPasses_) {
    Differs("the game ended here, the recording goes on to pass " + std::to_string(checkedPasses_));
  }
  if (version_ >= 2 && !checkedEnd_) {
    errors_ << "zf-replay: the recording stops after pass " << checkedPasses_
            << (cutLine ? " (line " + std::to_string(cutLine) + " is cut short)" : std::string(" without its end line"))
            << ": replayed that far\n";
  }
  if (verify_ && differs_) return 1;
  if (verify_) {
    verdict_ << "zf-replay: " << pass_ << " passes replayed; " << stateLines_
             << " state lines agree with the recording\n";
  }
  return 0;
}

}  // namespace

int RunReplay(std::istream& script, std::ostream& out, std::ostream& errors, bool verify) {
  Replay replay(out, errors, verify);
  return replay.Run(script);
}
