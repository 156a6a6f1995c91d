#include "game/endings.h"

#include "audio/sound_bank.h"
#include "game/drawing.h"
#include "game/population.h"
#include "game/run_result.h"
#include "game/world_state.h"
#include "input/input.h"
#include "platform/system/system.h"

const char* const DEATH_QUESTION = "You died a zorbly death! Try again to prove your zorblyworth?";
const char* const WIN_QUESTION = "ERH MEH GAHD! You won! Play again?";
const char* const QUESTION_CAPTION = "ZORBLY FRONDLES";

namespace {

// A new run in place: the pools, the pause, the scroll and the timers stay as they are.
void RestartRun() {
  // A window closed before or while the question showed still ends the program.
  world.quitRequested = world.windowClosed;
  PutPlayerAtStart();
  world.health = 100.0;
  world.energy = 100.0;
  world.weaponLevel = 1;
  world.playerMode = MODE_NORMAL;
  world.score = 0;
}

void EndRun(const char* question, RunEnd end) {
  StopRunSounds();
  SetGamepadVibration(0, 0);
  world.rumbleTicks = 0;
  // The run's result and the bests beside the question: ours, not the question's text.
  SetQuestionNote(EndRunClock(end).c_str());
  // The question shows over the world as it ends, not over the frame before.
  DrawEndingBackdrop();
  // Blocks the thread: no tick and no drawing until the player answers.
  const int answer = MessageBox(question, QUESTION_CAPTION, MB_YESNO | MB_ICONEXCLAMATION);
  SetQuestionNote(nullptr);
  if (answer == IDYES) {
    RestartRun();
  } else {
    world.quitRequested = true;
  }
}

}  // namespace

void StopRunSounds() {
  StopSound(world.musicSound);
  StopSound(world.gearsSound);
  StopSound(world.phasingSound);
}

void CheckDeath() {
  // ChangeHealth clamps at 0, so an empty bar is exactly 0.
  if (world.health == 0.0) EndRun(DEATH_QUESTION, RunEnd::Died);
}

void CheckWin() {
  // Reached, not hit exactly: enemies finished together can carry the score past 50.
  if (world.score >= WINNING_SCORE) EndRun(WIN_QUESTION, RunEnd::Won);
}
