#pragma once
// Labels of the program's own over the game's picture: a large one in the middle, a small
// marker in the top-left corner, the volume's label at the bottom right and a legend under
// the middle one, each cream text on dark wood inside a sauce-red border, as the questions
// are drawn; a line break starts a new line and a tab the next column. The
// device draws them over the window's output as it presents, placed and scaled with the
// picture, so the back buffer holds the game's frame exactly as without them, and a
// picture presented again shows the labels as they are then. A label's picture is made
// only when its text changes. They take no random values and read only the platform's
// own clock, so no recording holds them.
#include <cstdint>
#include <vector>

enum class ScreenLabelSlot { Centre, Corner, Volume, Legend };

constexpr int SCREEN_LABEL_MAX_BYTES = 1023;

// Sets the slot's text; null or "" clears it. With showForMs, the label goes by itself
// that long after (by SystemMilliseconds); 0 keeps it until it is set again. Texts are
// cut at SCREEN_LABEL_MAX_BYTES.
void SetScreenLabel(ScreenLabelSlot slot, const char* text, uint32_t showForMs = 0);

struct DeviceImpl;
struct SDL_Surface;
struct SDL_Rect;
// For a picture drawn without the device (the question box): the corner's marker, as
// ARGB pixels, and where it lies on a picture of the given size; false when none is up.
bool CornerLabelPixels(int pictureWidth, int pictureHeight, std::vector<uint32_t>* pixels,
                       SDL_Rect* where);
// The device's step as it presents: the labels set, over the picture where it lies in
// the output (x, y, width, height in output pixels): through the renderer, targeting the
// output, or into the window's own pixels when the device draws in memory.
void DrawScreenLabels(DeviceImpl* device, int x, int y, int width, int height);
void DrawScreenLabelsInto(DeviceImpl* device, SDL_Surface* screen, int x, int y, int width,
                          int height);
