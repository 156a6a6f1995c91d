#pragma once
#include <cstdint>

// One step of the simulation: the input is polled once, the controls and modes are
// read, and everything moves. At most one tick runs per pass of the main loop.

// Ticks are at least this many milliseconds apart plus one.
constexpr uint32_t TICK_GAP_MS = 14;

void RunTick();
