#pragma once
// How the game's picture sits in its window, for the device and the question box alike:
// letterboxed at its own aspect, and switched to and from desktop full screen.
#include <SDL.h>

// The largest rectangle of the picture's aspect in the middle of the output.
SDL_Rect LetterboxRect(int outputWidth, int outputHeight, int width, int height);
// The game's picture as last presented, at the back buffer's size, or null when none is
// kept (then only the window itself holds it). Owned by the device; valid until the next
// draw.
SDL_Texture* LastPresentedPicture(SDL_Renderer* renderer);
// The window is made hidden and shown with its first picture: the first call shows it if
// still hidden, and says whether it did; later calls leave it as the player has it.
bool ShowWindowOnce(SDL_Window* window);
// Alt+Enter: desktop full screen and back; a refusal is said in one line.
void ToggleWindowFullScreen(SDL_Window* window);
// The window's size as the display has it, true when the display could be asked (X11);
// else SDL's idea of it, which after a switch to full screen may not be the real one yet.
bool RealWindowSize(SDL_Window* window, int* width, int* height);
// A window just switched to full screen that has not taken the screen's size (no window
// manager did it) is moved and sized to cover the screen itself.
void PlaceFullScreenWindow(SDL_Window* window);
// Whether the key is Alt with either Enter, the switch's own key and never the game's.
bool IsFullScreenKey(const SDL_KeyboardEvent& key);
// The one count of switches asked for: while the device of a window or a question box
// watches (each call with true is matched by one with false), every fresh Alt+Enter is
// counted as it is queued, and the first of them to apply it takes it.
void WatchFullScreenKey(bool watch);
// Switches the window once per Alt+Enter counted since the last call; true when any.
bool ApplyFullScreenSwitches(SDL_Window* window);
