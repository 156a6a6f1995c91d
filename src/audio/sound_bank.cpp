#include "audio/sound_bank.h"

#include <cstdio>
#include <new>

#include "audio/sound.h"
#include "audio/sound_manager.h"
#include "platform/system/random.h"
#include "platform/system/run_tap.h"

CSoundManager* soundManager = nullptr;

namespace {
// Names longer than this would not fit the name buffer the bank was made with.
constexpr size_t MAX_SOUND_NAME = 254;

// Every request counts for a run's tap, a sound that did not load too: a replay without
// a sound device makes the same requests and takes the recorded draws at them.
void RequestPlay(CSound* sound, uint32_t flags) {
  RunTap* tap = CurrentRunTap();
  const int replayed = tap ? tap->ReplayedDraw() : -1;
  const unsigned long long drawsBefore = RandCount();
  if (sound) sound->Play(0, flags, 0, -1, 0, replayed);
  if (replayed == 1 && RandCount() == drawsBefore) Rand();
  if (tap) tap->PlayRequested(RandCount() != drawsBefore);
}

}  // namespace

bool InitSound(WindowHandle window) {
  delete soundManager;
  soundManager = new (std::nothrow) CSoundManager;
  if (!soundManager) return false;
  if (soundManager->Initialize(window, DSSCL_PRIORITY) != 0) return false;
  if (soundManager->SetPrimaryBufferFormat(2, 22050, 16) != 0) return false;
  return true;
}

void ReleaseSound() {
  delete soundManager;
  // Cleared so that a late load or a second release finds no device rather than a freed one.
  soundManager = nullptr;
}

CSound* LoadSound(std::string name) {
  if (!soundManager || !soundManager->GetDirectSound()) return nullptr;
  if (name.size() > MAX_SOUND_NAME) {
    std::fprintf(
        stderr,
        "zorbly-frondles: the sound name \"%.40s...\" is longer than %zu characters; not loaded\n",
        name.c_str(), MAX_SOUND_NAME);
    return nullptr;
  }
  CSound* wave = nullptr;
  HRESULT hr = soundManager->Create(&wave, name.c_str(), 0, GUID_NULL, 1);
  if (hr != 0) {
    std::fprintf(stderr,
                 "zorbly-frondles: cannot load the sound \"%s\"; the game goes on without it\n",
                 name.c_str());
    // A success code other than plain success still made a sound, which nobody keeps.
    if (SUCCEEDED(hr)) delete wave;
    return nullptr;
  }
  return wave;
}

void PlaySoundOnce(CSound* sound) { RequestPlay(sound, 0); }

void PlaySoundLooped(CSound* sound) { RequestPlay(sound, DSBPLAY_LOOPING); }

void StopSound(CSound* sound) {
  if (sound) sound->Stop();
}
