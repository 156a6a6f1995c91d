#include "replay/replay.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <istream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include <optional>

#include "audio/sound.h"
#include "audio/sound_bank.h"
#include "audio/sound_manager.h"
#include "platform/audio/sound_mixer.h"
#include "game/world_state.h"
#include "platform/audio/sound_device.h"
#include "platform/gfx/render_device.h"
#include "platform/input/key_codes.h"
#include "platform/system/random.h"
#include "platform/system/system.h"
#include "replay/headless_game.h"

namespace {

struct Answer {
  int value = IDNO;
  bool closes = false;
};

struct PassOptions {
  std::vector<int> keys;
  bool escape = false;
  bool padPresent = false;
  XINPUT_GAMEPAD pad{};
  std::vector<Answer> answers;
  bool close = false;
  uint32_t windowMessage = MSG_NONE;  // focus=: what the window hears in the message step
  bool noScene = false;
  bool dump = false;
};

struct NamedKey {
  const char* name;
  int code;
};

constexpr NamedKey KEY_NAMES[] = {
    {"W", DIK_W},       {"A", DIK_A},         {"S", DIK_S},       {"D", DIK_D},
    {"E", DIK_E},       {"P", DIK_P},         {"Z", DIK_Z},       {"X", DIK_X},
    {"C", DIK_C},       {"SPACE", DIK_SPACE}, {"F1", DIK_F1},     {"F2", DIK_F1 + 1},
    {"F3", DIK_F1 + 2}, {"F4", DIK_F1 + 3},   {"F5", DIK_F5},     {"UP", DIK_UP},
    {"DOWN", DIK_DOWN}, {"LEFT", DIK_LEFT},   {"RIGHT", DIK_RIGHT},
};

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

bool ParseAnswer(const std::string& text, Answer* answer) {
  if (text == "yes") *answer = Answer{IDYES, false};
  else if (text == "no") *answer = Answer{IDNO, false};
  else if (text == "yes+close") *answer = Answer{IDYES, true};
  else if (text == "no+close") *answer = Answer{IDNO, true};
  else return false;
  return true;
}

std::string AnswerName(int value, bool closes) {
  std::string name = value == IDYES ? "yes" : "no";
  return closes ? name + "+close" : name;
}

bool ParseKey(const std::string& text, PassOptions* options) {
  if (text == "ESC") {
    options->escape = true;
    return true;
  }
  for (const NamedKey& key : KEY_NAMES) {
    if (text == key.name) {
      options->keys.push_back(key.code);
      return true;
    }
  }
  long long code = 0;
  if (!ParseInteger(text, &code) || code < 0 || code >= KEY_CODE_COUNT) return false;
  options->keys.push_back(static_cast<int>(code));
  return true;
}

bool ParsePad(const std::string& text, XINPUT_GAMEPAD* pad) {
  const std::vector<std::string> fields = Split(text, ',');
  if (fields.size() != 7) return false;
  long long values[7];
  for (size_t i = 0; i < 7; ++i) {
    if (!ParseInteger(fields[i], &values[i])) return false;
  }
  if (values[0] < 0 || values[0] > 0xFFFF || values[1] < 0 || values[1] > 255 || values[2] < 0 ||
      values[2] > 255) {
    return false;
  }
  for (int i = 3; i < 7; ++i) {
    if (values[i] < -32768 || values[i] > 32767) return false;
  }
  pad->wButtons = static_cast<uint16_t>(values[0]);
  pad->bLeftTrigger = static_cast<uint8_t>(values[1]);
  pad->bRightTrigger = static_cast<uint8_t>(values[2]);
  pad->sThumbLX = static_cast<int16_t>(values[3]);
  pad->sThumbLY = static_cast<int16_t>(values[4]);
  pad->sThumbRX = static_cast<int16_t>(values[5]);
  pad->sThumbRY = static_cast<int16_t>(values[6]);
  return true;
}

bool ParseOption(const std::string& token, PassOptions* options, std::string* problem) {
  if (token == "close") options->close = true;
  else if (token == "noscene") options->noScene = true;
  else if (token == "dump") options->dump = true;
  else if (token.rfind("focus=", 0) == 0) {
    const std::string what = token.substr(6);
    if (what == "lost") options->windowMessage = MSG_KILLFOCUS;
    else if (what == "gained") options->windowMessage = MSG_SETFOCUS;
    else if (what == "minimised") options->windowMessage = MSG_MINIMIZED;
    else if (what == "restored") options->windowMessage = MSG_RESTORED;
    else {
      *problem = "focus wants lost, gained, minimised or restored";
      return false;
    }
  } else if (token.rfind("keys=", 0) == 0) {
    for (const std::string& key : Split(token.substr(5), ',')) {
      if (!ParseKey(key, options)) {
        *problem = "unknown key \"" + key + "\"";
        return false;
      }
    }
  } else if (token.rfind("pad=", 0) == 0) {
    options->padPresent = true;
    if (!ParsePad(token.substr(4), &options->pad)) {
      *problem = "pad wants BUTTONS,LT,RT,LX,LY,RX,RY in range";
      return false;
    }
  } else if (token.rfind("ask=", 0) == 0) {
    for (const std::string& text : Split(token.substr(4), ',')) {
      Answer answer;
      if (!ParseAnswer(text, &answer)) {
        *problem = "unknown answer \"" + text + "\"";
        return false;
      }
      options->answers.push_back(answer);
    }
  } else {
    *problem = "unknown option \"" + token + "\"";
    return false;
  }
  return true;
}

// A float as %.9g, a double as %.17g; a negative zero prints as 0.
std::string Number(double value, int digits) {
  if (value == 0.0) value = 0.0;
  char text[40];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  return text;
}
std::string F(float value) { return Number(value, 9); }
std::string D(double value) { return Number(value, 17); }

class Replay {
 public:
  Replay(std::ostream& out, std::ostream& errors) : out_(out), errors_(errors) {}

  int Run(std::istream& script);

 private:
  bool Start();
  // With execute false the line is only checked.
  bool RunLine(const std::string& line, int lineNumber, bool execute);
  bool RunPass(uint32_t clock, const PassOptions& options);
  void MixUntil(uint32_t clock);
  void PrintState();
  void PrintQuestions(size_t from);
  void Dump();
  void DumpRecord(const char* kind, int index, const GameObject& object);
  bool Problem(int lineNumber, const std::string& text);

  std::ostream& out_;
  std::ostream& errors_;
  // Made once the script says whether it wants sound.
  std::optional<HeadlessGame> game_;
  int soundLine_ = 0;  // the line of "sound on", 0 without one
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

bool Replay::RunPass(uint32_t clock, const PassOptions& options) {
  ++pass_;
  clock_ = clock;
  game_->system.clock = clock;
  game_->system.escapeDown = options.escape;
  std::fill(std::begin(game_->input.keys), std::end(game_->input.keys), uint8_t{0});
  for (int key : options.keys) game_->input.keys[key] = 0x80;
  game_->input.padConnected[0] = options.padPresent;
  if (options.padPresent) {
    // The packet number changes with the state, as a real pad's does.
    if (std::memcmp(&game_->input.pads[0], &options.pad, sizeof options.pad) != 0) ++game_->input.padPackets[0];
    game_->input.pads[0] = options.pad;
  }
  game_->system.answers.clear();
  game_->system.closesWhileAsking.clear();
  for (const Answer& answer : options.answers) {
    game_->system.answers.push_back(answer.value);
    game_->system.closesWhileAsking.push_back(answer.closes);
  }
  if (options.close) game_->system.Post(MSG_DESTROY);
  if (options.windowMessage != MSG_NONE) game_->system.Post(options.windowMessage);
  SetSceneFailing(options.noScene);

  if (soundLine_ != 0) MixUntil(clock);
  const size_t questionsBefore = game_->system.questions.size();
  const uint64_t ticksBefore = world.ticksRun;
  game_->Pass();
  tickRan_ = world.ticksRun != ticksBefore;
  SetSceneFailing(false);

  PrintQuestions(questionsBefore);
  PrintState();
  if (options.dump) Dump();
  if (world.quitRequested) {
    out_ << "END " << pass_ << "\n";
    ended_ = true;
  }
  return true;
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
  int projectiles = 0, idle = 0, live = 0, sauced = 0;
  for (const GameObject& shot : world.projectiles) {
    if (!shot.active) continue;
    ++projectiles;
    if (shot.velocityX == 0.0f) ++idle;
  }
  for (const GameObject& enemy : world.enemies) {
    if (enemy.active) ++live;
    if (enemy.sauced && !enemy.active) ++sauced;
  }
  out_ << "S " << pass_ << " tick=" << (tickRan_ ? 1 : 0) << " score=" << world.score
       << " health=" << D(world.health) << " energy=" << D(world.energy)
       << " wl=" << world.weaponLevel << " mode=" << world.playerMode
       << " prev=" << world.previousPlayerMode << " paused=" << (world.paused ? 1 : 0)
       << " quit=" << (world.quitRequested ? 1 : 0) << " lastShot=" << world.lastShotTime
       << " rumble=" << world.rumbleTicks << " scroll=" << D(world.backgroundScroll)
       << " px=" << F(world.player.x) << " py=" << F(world.player.y) << " proj=" << projectiles
       << " live=" << live << " sauced=" << sauced << " rand=" << RandCount()
       << " | clock=" << clock_ << " lastTick=" << world.lastTickTime << " idle=" << idle
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

bool ParseClock(const std::string& text, uint32_t previous, uint32_t* clock) {
  long long value = 0;
  const bool relative = !text.empty() && text[0] == '+';
  if (!ParseInteger(relative ? text.substr(1) : text, &value) || value < 0 || value > 0xFFFFFFFFLL) {
    return false;
  }
  *clock = relative ? previous + static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  return true;
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
    Answer answer;
    if (tokens.size() != 2 || !ParseAnswer(tokens[1], &answer)) {
      return Problem(lineNumber, "default-answer wants yes, no, yes+close or no+close");
    }
    if (!execute) return true;
    game_->system.defaultAnswer = answer.value;
    game_->system.defaultCloses = answer.closes;
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
  if (command != "pass" && command != "run") return Problem(lineNumber, "unknown command \"" + command + "\"");

  size_t first = 2;
  long long count = 1;
  uint32_t step = 0;
  uint32_t clock = 0;
  if (command == "pass") {
    if (tokens.size() < 2 || !ParseClock(tokens[1], clock_, &clock)) {
      return Problem(lineNumber, "pass wants a clock: decimal, 0x hex or +D");
    }
  } else {
    if (tokens.size() < 3 || !ParseInteger(tokens[1], &count) || count < 0 || tokens[2][0] != '+' ||
        !ParseClock(tokens[2], 0, &step)) {
      return Problem(lineNumber, "run wants a count and +D");
    }
    first = 3;
  }
  PassOptions options;
  std::string problem;
  for (size_t i = first; i < tokens.size(); ++i) {
    if (!ParseOption(tokens[i], &options, &problem)) return Problem(lineNumber, problem);
  }
  // The message step of a pass takes one message.
  if (options.close && options.windowMessage != MSG_NONE) {
    return Problem(lineNumber, "a pass takes one message: close or focus=, not both");
  }
  if (!execute) return true;
  for (long long n = 0; n < count && !ended_; ++n) {
    RunPass(command == "pass" ? clock : clock_ + step, options);
  }
  return true;
}

int Replay::Run(std::istream& script) {
  // Check the whole script before the run, so a typo never leaves half a run printed.
  std::vector<std::string> lines;
  for (std::string line; std::getline(script, line);) lines.push_back(line);

  // "sound on" before the first command gives the game a sound device whose output is
  // mixed between passes by the scripted clock, so its sounds start and end as in play.
  for (size_t i = 0; i < lines.size(); ++i) {
    std::istringstream words(lines[i].substr(0, lines[i].find('#')));
    std::string command;
    if (!(words >> command)) continue;
    if (command == "sound") soundLine_ = static_cast<int>(i + 1);
    break;
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!RunLine(lines[i], static_cast<int>(i + 1), false)) return 2;
  }
  const SoundOutputMode outputMode = GetSoundOutputMode();
  if (soundLine_ != 0) SetSoundOutputMode(SoundOutputMode::Manual);
  game_.emplace(soundLine_ != 0);
  if (Start()) {
    for (size_t i = 0; i < lines.size() && !ended_; ++i) {
      RunLine(lines[i], static_cast<int>(i + 1), true);
    }
  }
  game_.reset();
  SetSoundOutputMode(outputMode);
  return 0;
}

}  // namespace

int RunReplay(std::istream& script, std::ostream& out, std::ostream& errors) {
  Replay replay(out, errors);
  return replay.Run(script);
}
