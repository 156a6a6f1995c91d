#include "platform/system/run_tap.h"

namespace {
RunTap* installedTap = nullptr;
}  // namespace

RunTap* SetRunTap(RunTap* tap) {
  RunTap* previous = installedTap;
  installedTap = tap;
  return previous;
}

RunTap* CurrentRunTap() { return installedTap; }
