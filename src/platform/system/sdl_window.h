#pragma once
// For the other SDL stand-ins only: the SDL window behind the game's window, or null
// while none is open (or while a scripted system is installed).
struct SDL_Window;

SDL_Window* SdlGameWindow();
