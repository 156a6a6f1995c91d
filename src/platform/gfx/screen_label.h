#pragma once
// Labels of the program's own over the game's picture: a large one in the middle, a small
// marker in the top-left corner and the volume's label at the bottom right, each a line of
// cream text on dark wood inside a sauce-red border, as the questions are drawn. They go
// into the back buffer just before it is presented, after the frame the game drew, in
// the picture's own coordinates, so the game's frame is drawn exactly as without them.
// A label's picture is made only when its text changes. They take no random values and
// read only the platform's own clock, so no recording holds them.
#include <cstdint>

enum class ScreenLabelSlot { Centre, Corner, Volume };

// Sets the slot's text; null or "" clears it. With showForMs, the label goes by itself
// that long after (by SystemMilliseconds); 0 keeps it until it is set again. Texts are
// cut at 63 bytes.
void SetScreenLabel(ScreenLabelSlot slot, const char* text, uint32_t showForMs = 0);

struct DeviceImpl;
// The device's step before presenting a newly drawn picture: the labels set, over it.
void DrawScreenLabels(DeviceImpl* device);
