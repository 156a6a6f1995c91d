#pragma once
// What the desktop knows the game's window by: its class, which a dock matches against
// the launcher's StartupWMClass to group the two, and its icon.
struct SDL_Window;

// Before SDL's video starts, which reads the class once: the application id, unless the
// player's environment names one of its own.
void NameWindowClass();
// Gives the window the game's icon, found like any other asset. Without it the window
// goes on plain, after one line on standard error.
void GiveWindowIcon(SDL_Window* window);
// Before the window is first shown: leaves its place to the window manager, which keeps
// two games from opening one on top of the other. Without a window manager it opens
// where it was made (the middle of the screen).
void LetDesktopPlaceWindow(SDL_Window* window);
