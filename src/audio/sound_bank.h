#pragma once
// The game's sounds: the one sound device, and loaded sounds played once, looped or
// stopped. A null sound (one that did not load) makes every call on it do nothing.
#include <string>

#include "platform/system/window.h"

class CSound;
class CSoundManager;

extern CSoundManager* soundManager;

// True when the device and its mix format are set up. Without them the game runs silent.
bool InitSound(WindowHandle window);
void ReleaseSound();

// The named wave file as a sound with one voice, or null when it cannot be loaded.
CSound* LoadSound(std::string name);

void PlaySoundOnce(CSound* sound);
void PlaySoundLooped(CSound* sound);
void StopSound(CSound* sound);
