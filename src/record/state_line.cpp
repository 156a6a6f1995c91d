#include "record/state_line.h"

#include <cstdio>

#include "game/world_state.h"
#include "platform/system/random.h"
#include "record/run_text.h"

size_t FormatWorldState(char* out, size_t size) {
  int projectiles = 0, live = 0, sauced = 0;
  for (const GameObject& shot : world.projectiles) projectiles += shot.active;
  for (const GameObject& enemy : world.enemies) {
    live += enemy.active;
    sauced += enemy.sauced && !enemy.active;
  }
  LineBuilder line{out, size};
  line.Add("score=%d", world.score);
  line.AddNumber("health", world.health, 17);
  line.AddNumber("energy", world.energy, 17);
  line.Add(" wl=%d mode=%d prev=%d paused=%d quit=%d lastShot=%u rumble=%d", world.weaponLevel,
           world.playerMode, world.previousPlayerMode, world.paused ? 1 : 0,
           world.quitRequested ? 1 : 0, world.lastShotTime, world.rumbleTicks);
  line.AddNumber("scroll", world.backgroundScroll, 17);
  line.AddNumber("px", world.player.x, 9);
  line.AddNumber("py", world.player.y, 9);
  line.Add(" proj=%d live=%d sauced=%d rand=%llu", projectiles, live, sauced, RandCount());
  return line.used;
}

bool SameState(const char* recorded, size_t recordedLength, const char* now, char* difference,
               size_t size) {
  Words fields(Text(recorded, recordedLength));
  const Text current(now);
  for (Text field; fields.Next(&field);) {
    const Text name = field.substr(0, field.find('=') + 1);
    Words words(current);
    Text value = "(none)";
    for (Text word; words.Next(&word);) {
      if (StartsWith(word, name)) value = word.substr(name.size());
    }
    const Text want = field.substr(name.size());
    if (value != want) {
      // The recorded words may hold anything.
      char raw[200];
      std::snprintf(raw, sizeof raw, "%.*s%.*s, recorded %.*s", Shown(name), name.data(),
                    Shown(value), value.data(), Shown(want), want.data());
      ShowEscaped(raw, difference, size);
      return false;
    }
  }
  return true;
}
