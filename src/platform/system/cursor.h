#pragma once
// The pointer over the game's window.

// Shows or hides the pointer while it is over the game's window. Without a display
// there is no pointer and nothing happens.
void ShowGameCursor(bool show);
