#pragma once
// The picture of each pass: the back buffer cleared near the start, and at the end the
// scrolling table, the player in its mode's look, every live thing and the HUD.
#include <cstdint>
#include <string>

void ClearFrame();
void DrawFrame();
// The world as a run ends, for its question to show over: drawn and presented as a frame
// is, but with the player in its plain look, and with nothing of the run taken or changed
// (no random value, no look remembered, nothing recorded).
void DrawEndingBackdrop();
// The table alone, presented: for our screens before a run, taking nothing of one.
void DrawTableBackdrop();
// The value's decimal digits (fixed notation at the precision, which an integer ignores).
std::string FormatNumber(int32_t value, int32_t precision);
