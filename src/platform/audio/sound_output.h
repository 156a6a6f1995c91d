#pragma once
// The SDL side of the sound device: the output device that pulls mixed frames from it,
// and the watch for that output going away.
#include <cstdint>
#include <string>

class SoundDevice;

// Opens the default output at 22050 frames per second, 2 channels, 16 bits, mixing from
// pDevice on the output's thread, and watches for its removal, which marks the device's
// output lost. 0, with the reason, when there is none.
uint32_t OpenSoundOutput(SoundDevice* pDevice, std::string* pstrReason);
void CloseSoundOutput(SoundDevice* pDevice, uint32_t uOutputId);
// True when an output that was open has stopped by itself (its device was removed).
bool IsSoundOutputStopped(uint32_t uOutputId);
