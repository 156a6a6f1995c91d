#pragma once
// The program's one sound device: its cooperative level, the format of its mix, and the
// sounds it makes from wave files. src/audio uses the platform and diag's trace only.
#include <cstdint>

#include "platform/audio/sound_device.h"
#include "platform/hresult.h"
#include "platform/system/window.h"

class CSound;

class CSoundManager {
 public:
  SoundDevice* m_pDS;  // one counted reference; null until Initialize made it

  CSoundManager();
  ~CSoundManager();
  CSoundManager(const CSoundManager&) = delete;
  CSoundManager& operator=(const CSoundManager&) = delete;

  HRESULT Initialize(WindowHandle hWnd, uint32_t dwCoopLevel);
  HRESULT SetPrimaryBufferFormat(uint32_t dwPrimaryChannels, uint32_t dwPrimaryFreq,
                                 uint32_t dwPrimaryBitRate);
  // A sound with dwNumBuffers voices holding the whole of the wave file. The caller owns
  // the sound; *ppSound is left alone on failure.
  HRESULT Create(CSound** ppSound, const char* strWaveFileName, uint32_t dwCreationFlags = 0,
                 GUID guid3DAlgorithm = GUID_NULL, uint32_t dwNumBuffers = 1);

  SoundDevice* GetDirectSound() const { return m_pDS; }
};
