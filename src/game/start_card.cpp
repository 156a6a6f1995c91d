// Our start card: how to play, over the game's table, before the run begins.
#include <string>

#include "game/drawing.h"
#include "game/endings.h"
#include "game/game_entry.h"
#include "game/player_keys.h"
#include "platform/system/system.h"

bool GreetPlayer() {
  static const std::string text =
      "Shoot the pasta, hold the magnet to collect tomatoes, and reach " +
      std::to_string(WINNING_SCORE) + " points.\n\n" + CONTROLS_LEGEND +
      "\n\nSpace, Enter, A or a click: play          Esc or Back: quit";
  // The table alone: drawing the world would take random values before the run.
  DrawTableBackdrop();
  return ShowStartCard(text.c_str(), QUESTION_CAPTION);
}
