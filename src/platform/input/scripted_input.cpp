#include "platform/input/scripted_input.h"

namespace {
ScriptedInput* installedInput = nullptr;
}  // namespace

ScriptedInput* SetScriptedInput(ScriptedInput* input) {
  ScriptedInput* previous = installedInput;
  installedInput = input;
  return previous;
}

ScriptedInput* CurrentScriptedInput() { return installedInput; }
