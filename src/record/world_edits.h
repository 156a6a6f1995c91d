#pragma once
// A script's edits of the world between passes, to put it into the state a report
// describes: "set FIELD=VALUE …" for the run's numbers and "put KIND FIRST[-LAST]
// FIELD=VALUE …" for records, by the names zf-replay's dump prints them with.
#include <cstddef>

#include "game/world_state.h"
#include "record/run_text.h"

// The pools by their printed names, in the dump's order: player, enemy, tomato, parm,
// projectile.
struct RecordPool {
  const char* name;
  GameObject* records;
  int count;
};
constexpr int RECORD_POOL_COUNT = 5;
const RecordPool* RecordPools();

// With apply false the words are only checked; false with a one-line problem.
bool SetWorldFields(Words arguments, bool apply, char* problem, size_t size);
bool PutRecords(Words arguments, bool apply, char* problem, size_t size);
