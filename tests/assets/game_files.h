#pragma once
// Every file the game reads from its folder, as the build makes them there.

inline constexpr const char* GAME_FILES[] = {
    "wood.png",   "sauce.png",   "splat.png",       "pastaplain.png",  "pastasauced.png",
    "tomato.png", "parm.png",    "energyslice.tga", "healthslice.tga", "Accordion.wav",
    "gears.wav",  "phasing.wav", "music1.wav",      "splat.wav",       "squish.wav",
};
