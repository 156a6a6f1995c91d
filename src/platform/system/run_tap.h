#pragma once
// Every value the game takes from outside its own rules passes one of these points: each
// clock reading it makes, the keys and pads at its poll, the Esc key, the messages its
// window hears, the answers to its questions, a scene that fails to begin, and the play
// requests whose voices are all busy (each takes a value from the random sequence). A
// recording notes them as they pass; a playback puts recorded values in their place.
// Without a tap they come straight from the system.
#include <cstdint>

#include "platform/input/key_codes.h"
#include "platform/input/xinput.h"

class RunTap {
 public:
  virtual ~RunTap() = default;
  // Given the system's value, returns the one the game gets.
  virtual uint32_t Clock(uint32_t live) = 0;
  virtual bool EscapeDown(bool live) = 0;
  // The poll's result, which a playback overwrites.
  virtual void Polled(uint8_t keys[KEY_CODE_COUNT], XINPUT_GAMEPAD pads[XUSER_MAX_COUNT]) = 0;
  // A message handed to the game's window.
  virtual void Heard(uint32_t message) = 0;
  virtual void SceneFailed() = 0;
  // Answers the question as the system's box would (IDYES, IDNO), setting *windowClosed
  // when the window was closed while it showed.
  virtual int Ask(const char* text, const char* caption, uint32_t style, bool* windowClosed) = 0;
  // Before a play request: 1 or 0 when the tap decides whether every voice counts as busy
  // (a random draw), -1 to let the voices say.
  virtual int ReplayedDraw() = 0;
  // After it: whether it took a value from the random sequence.
  virtual void PlayRequested(bool drew) = 0;
};

// Installs a tap and returns the one it replaces; null for none.
RunTap* SetRunTap(RunTap* tap);
RunTap* CurrentRunTap();
