#include <SDL.h>
#include <dlfcn.h>

#include "platform/audio/sound_device.h"
#include "platform/audio/sound_output.h"
#include "platform/system/verbose.h"

namespace {

void IgnoreAlsaLine(const char*, int, const char*, int, const char*, ...) {}

// ALSA writes a few lines of its own on standard error when it finds no sound card; our
// one line says what matters. With --verbose they are left as they are. The library is
// the one SDL uses (same name, one copy per process), and stays loaded for the handler.
void QuietAlsa() {
  static bool done = false;
  if (done || Verbose()) return;
  done = true;
  void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
  if (!alsa) return;
  using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
  using SetHandler = int (*)(Handler);
  if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) {
    set(IgnoreAlsaLine);
  }
}

void SDLCALL PullMixedFrames(void* pUserData, Uint8* pbStream, int iLength) {
  // The output asked for 2 channels of 16 bits, so a frame is 4 bytes.
  static_cast<SoundDevice*>(pUserData)->MixOutput(reinterpret_cast<int16_t*>(pbStream),
                                                  static_cast<uint32_t>(iLength) / 4);
}

int SDLCALL WatchRemoval(void* pUserData, SDL_Event* pEvent) {
  // Runs on whichever thread reports the removal: only note it.
  if (pEvent->type == SDL_AUDIODEVICEREMOVED && !pEvent->adevice.iscapture) {
    auto* pDevice = static_cast<SoundDevice*>(pUserData);
    if (pEvent->adevice.which == pDevice->OutputId()) pDevice->MarkOutputLost();
  }
  return 1;
}

}  // namespace

uint32_t OpenSoundOutput(SoundDevice* pDevice, std::string* pstrReason) {
  QuietAlsa();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    *pstrReason = SDL_GetError();
    return 0;
  }
  SDL_AudioSpec want{};
  want.freq = static_cast<int>(MIX_FRAMES_PER_SECOND);
  want.format = AUDIO_S16SYS;
  want.channels = static_cast<Uint8>(MIX_CHANNELS);
  want.samples = 512;  // about 23 ms: short enough for shots to be heard at once
  want.callback = PullMixedFrames;
  want.userdata = pDevice;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts to whatever the hardware wants.
  SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (id == 0) {
    *pstrReason = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return 0;
  }
  SDL_PauseAudioDevice(id, 0);
  // Added anew with every output: a restarted event loop forgets its watches.
  SDL_DelEventWatch(WatchRemoval, pDevice);
  SDL_AddEventWatch(WatchRemoval, pDevice);
  return id;
}

void CloseSoundOutput(SoundDevice* pDevice, uint32_t uOutputId) {
  SDL_DelEventWatch(WatchRemoval, pDevice);
  if (uOutputId == 0) return;
  SDL_CloseAudioDevice(uOutputId);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool IsSoundOutputStopped(uint32_t uOutputId) {
  return uOutputId != 0 && SDL_GetAudioDeviceStatus(uOutputId) == SDL_AUDIO_STOPPED;
}
