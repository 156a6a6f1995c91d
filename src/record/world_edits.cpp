#include "record/world_edits.h"

#include "shared/screen.h"

namespace {

struct RunField {
  const char* name;
  double low, high;
  void (*apply)(double value);
};

constexpr RunField RUN_FIELDS[] = {
    {"health", 0, 100, [](double v) { world.health = v; }},
    {"energy", 0, 100, [](double v) { world.energy = v; }},
    {"score", -1e9, 1e9, [](double v) { world.score = static_cast<int32_t>(v); }},
    {"wl", 1, 5, [](double v) { world.weaponLevel = static_cast<int32_t>(v); }},
    {"mode", 0, 3, [](double v) { world.playerMode = static_cast<int32_t>(v); }},
    {"prev", 0, 3, [](double v) { world.previousPlayerMode = static_cast<int32_t>(v); }},
    {"paused", 0, 1, [](double v) { world.paused = v != 0.0; }},
    {"px", -1e6, 1e6, [](double v) { world.player.x = static_cast<float>(v); }},
    {"py", -1e6, 1e6, [](double v) { world.player.y = static_cast<float>(v); }},
    {"lastShot", 0, 4294967295.0, [](double v) { world.lastShotTime = static_cast<uint32_t>(v); }},
};

struct RecordField {
  const char* name;
  double low, high;
  void (*apply)(GameObject& object, double value);
};

// The drawing sizes its work by a record's size: only sizes a game object can have are
// taken (its image at most as wide as the screen, drawn at 1/16 to 16 times that; the
// game's own are 15 to 45 texels at 1 to 3 times).
constexpr double LARGEST_IMAGE = SCREEN_WIDTH;
constexpr double SMALLEST_SCALE = 1.0 / 16, LARGEST_SCALE = 16;
constexpr double ANY = 1e9;

constexpr RecordField RECORD_FIELDS[] = {
    {"active", -ANY, ANY, [](GameObject& o, double v) { o.active = v != 0.0; }},
    {"sauced", -ANY, ANY, [](GameObject& o, double v) { o.sauced = v != 0.0; }},
    {"x", -ANY, ANY, [](GameObject& o, double v) { o.x = static_cast<float>(v); }},
    {"y", -ANY, ANY, [](GameObject& o, double v) { o.y = static_cast<float>(v); }},
    {"width", 0, LARGEST_IMAGE, [](GameObject& o, double v) { o.width = static_cast<int32_t>(v); }},
    {"height", 0, LARGEST_IMAGE,
     [](GameObject& o, double v) { o.height = static_cast<int32_t>(v); }},
    {"scale", SMALLEST_SCALE, LARGEST_SCALE,
     [](GameObject& o, double v) { o.scale = static_cast<float>(v); }},
    {"rotation", -ANY, ANY, [](GameObject& o, double v) { o.rotation = static_cast<float>(v); }},
    {"velocityX", -ANY, ANY, [](GameObject& o, double v) { o.velocityX = static_cast<float>(v); }},
    {"velocityY", -ANY, ANY, [](GameObject& o, double v) { o.velocityY = static_cast<float>(v); }},
    {"color", 0, 0xFFFFFFFF, [](GameObject& o, double v) { o.color = static_cast<uint32_t>(v); }},
};

// NAME=VALUE split at its first "=".
bool SplitField(Text word, Text* name, Text* value) {
  const size_t equals = word.find('=');
  if (equals == Text::npos) return false;
  *name = word.substr(0, equals);
  *value = word.substr(equals + 1);
  return true;
}

const RunField* FindRunField(Text word, double* value) {
  Text name, text;
  if (!SplitField(word, &name, &text) || !ParseReal(text, value)) return nullptr;
  for (const RunField& field : RUN_FIELDS) {
    if (name == field.name) return *value >= field.low && *value <= field.high ? &field : nullptr;
  }
  return nullptr;
}

// A record's field with its value in the field's range: a colour as a whole number
// (0xAARRGGBB), the rest as numbers.
const RecordField* FindRecordField(Text word, double* value) {
  Text name, text;
  long long color = 0;
  if (!SplitField(word, &name, &text)) return nullptr;
  if (name == "color") {
    if (!ParseInteger(text, &color)) return nullptr;
    *value = static_cast<double>(color);
  } else if (!ParseReal(text, value)) {
    return nullptr;
  }
  for (const RecordField& field : RECORD_FIELDS) {
    if (name == field.name) return *value >= field.low && *value <= field.high ? &field : nullptr;
  }
  return nullptr;
}

const RecordPool* FindPool(Text name) {
  for (int i = 0; i < RECORD_POOL_COUNT; ++i) {
    if (name == RecordPools()[i].name) return &RecordPools()[i];
  }
  return nullptr;
}

}  // namespace

const RecordPool* RecordPools() {
  static const RecordPool POOLS[RECORD_POOL_COUNT] = {
      {"player", &world.player, 1},
      {"enemy", world.enemies, ENEMY_COUNT},
      {"tomato", world.tomatoes, TOMATO_COUNT},
      {"parm", world.parms, PARM_COUNT},
      {"projectile", world.projectiles, PROJECTILE_COUNT}};
  return POOLS;
}

bool SetWorldFields(Words arguments, bool apply, char* problem, size_t size) {
  Text word;
  if (!arguments.Next(&word)) return Problem(problem, size, "set wants FIELD=VALUE");
  do {
    double value = 0;
    const RunField* field = FindRunField(word, &value);
    if (!field) {
      return Problem(problem, size,
                     "set takes health, energy, score, wl, mode, prev, paused, px, py or "
                     "lastShot with a number, not \"%.*s\"",
                     Shown(word), word.data());
    }
    if (apply) field->apply(value);
  } while (arguments.Next(&word));
  return true;
}

bool PutRecords(Words arguments, bool apply, char* problem, size_t size) {
  Text kind, range, word;
  const RecordPool* pool = arguments.Next(&kind) ? FindPool(kind) : nullptr;
  if (!pool || !arguments.Next(&range) || !Words(arguments).Next(&word)) {
    return Problem(problem, size,
                   "put wants player, enemy, tomato, parm or projectile, an index and FIELD=VALUE");
  }
  long long from = 0, to = 0;
  if (!ParseSpan(range, &from, &to) || from < 0 || to < from || to >= pool->count) {
    return Problem(problem, size, "put wants an index or FIRST-LAST below %d", pool->count);
  }
  while (arguments.Next(&word)) {
    double value = 0;
    const RecordField* field = FindRecordField(word, &value);
    if (!field) {
      return Problem(problem, size,
                     "put takes the dump's fields with a number (width and height 0 to %d, "
                     "scale 1/16 to 16), not \"%.*s\"",
                     SCREEN_WIDTH, Shown(word), word.data());
    }
    for (long long index = from; apply && index <= to; ++index)
      field->apply(pool->records[index], value);
  }
  return true;
}
