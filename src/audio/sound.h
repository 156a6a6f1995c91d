#pragma once
// One loaded sound: the whole sample data of a wave file in one or more equal buffers,
// its voices, so that it can sound several times at once.
#include <cstdint>

#include "platform/audio/sound_device.h"
#include "platform/hresult.h"

class CWaveFile;

class CSound {
 public:
  SoundBuffer** m_apDSBuffer;  // owned array of m_dwNumBuffers references, in creation order
  uint32_t m_dwDSBufferSize;   // bytes in each buffer: the wave's sample data
  CWaveFile* m_pWaveFile;      // owned, open for reading for the sound's whole life
  uint32_t m_dwNumBuffers;
  uint32_t m_dwCreationFlags;

  CSound(SoundBuffer** apDSBuffer, uint32_t dwDSBufferSize, uint32_t dwNumBuffers,
         CWaveFile* pWaveFile, uint32_t dwCreationFlags);
  virtual ~CSound();
  CSound(const CSound&) = delete;
  CSound& operator=(const CSound&) = delete;

  HRESULT FillBufferWithSound(SoundBuffer* pDSB, bool bRepeatWavIfBufferLarger);
  // iReplayedDraw: -1, the voices' status decides; 1 or 0, a played-back run says whether
  // every voice was busy (a random draw) at this request, whatever the voices say now.
  SoundBuffer* GetFreeBuffer(int iReplayedDraw = -1);
  SoundBuffer* GetBuffer(uint32_t dwIndex) const;

  HRESULT Play(uint32_t dwPriority = 0, uint32_t dwFlags = 0, int32_t lVolume = 0,
               int32_t lFrequency = -1, int32_t lPan = 0, int iReplayedDraw = -1);
  HRESULT Stop();
  HRESULT Reset();
  bool IsSoundPlaying();
};
