#include "platform/audio/sound_device.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "platform/audio/sound_output.h"
#include "platform/system/system.h"

namespace {

SoundOutputMode outputMode = SoundOutputMode::Speakers;
// Set on the game's thread, read by the output's.
std::atomic<float> outputVolume{1.0f};

// Frames mixed at a time: the accumulator lives on the output thread's stack.
constexpr uint32_t MIX_CHUNK_FRAMES = 256;
// A lost output with nothing to replace it is looked for again this often.
constexpr uint32_t REOPEN_INTERVAL_MS = 1000;

// Whether the wrapping millisecond clock has reached the moment.
bool HasReached(uint32_t dwNow, uint32_t dwMoment) {
  return static_cast<int32_t>(dwNow - dwMoment) >= 0;
}

bool IsPlayableFormat(const WAVEFORMATEX* pwfx) {
  if (!pwfx || pwfx->wFormatTag != WAVE_FORMAT_PCM) return false;
  if (pwfx->nChannels < 1 || pwfx->nChannels > 2) return false;
  if (pwfx->wBitsPerSample != 8 && pwfx->wBitsPerSample != 16) return false;
  if (pwfx->nSamplesPerSec < DSBFREQUENCY_MIN || pwfx->nSamplesPerSec > DSBFREQUENCY_MAX) {
    return false;
  }
  return pwfx->nBlockAlign == pwfx->nChannels * pwfx->wBitsPerSample / 8;
}

uint8_t SilenceFor(uint16_t wBitsPerSample) { return wBitsPerSample == 8 ? 0x80 : 0x00; }

}  // namespace

void SetSoundOutputMode(SoundOutputMode mode) { outputMode = mode; }
SoundOutputMode GetSoundOutputMode() { return outputMode; }

void SetOutputVolume(float fVolume) { outputVolume.store(std::clamp(fVolume, 0.0f, 1.0f)); }
float GetOutputVolume() { return outputVolume.load(); }

HRESULT DirectSoundCreate8(const GUID*, SoundDevice** ppDS8, void* pUnkOuter) {
  if (!ppDS8) return DSERR_INVALIDPARAM;
  *ppDS8 = nullptr;
  if (pUnkOuter) return DSERR_NOAGGREGATION;
  if (outputMode == SoundOutputMode::Off) return DSERR_NODRIVER;
  if (outputMode == SoundOutputMode::Missing) {
    std::fprintf(stderr, "zorbly-frondles: no sound device; the game goes on without sound\n");
    return DSERR_NODRIVER;
  }
  SoundDevice* pDevice = new (std::nothrow) SoundDevice;
  if (!pDevice) return DSERR_OUTOFMEMORY;
  // Heard at the player's volume from the first frame: a muted start makes no sound.
  pDevice->m_outputStage.fVolume = outputVolume.load();
  if (outputMode == SoundOutputMode::Speakers) {
    pDevice->m_bUsesOutput = true;
    std::string strReason;
    uint32_t uOutputId = OpenSoundOutput(pDevice, &strReason);
    if (uOutputId == 0) {
      std::fprintf(stderr,
                   "zorbly-frondles: no sound device (%s); the game goes on without sound\n",
                   strReason.c_str());
      delete pDevice;
      return DSERR_NODRIVER;
    }
    pDevice->m_uOutputId.store(uOutputId);
  }
  *ppDS8 = pDevice;
  return DS_OK;
}

SoundDevice::~SoundDevice() {
  if (m_bUsesOutput) CloseSoundOutput(this, m_uOutputId.exchange(0));
}

uint32_t SoundDevice::AddRef() { return ++m_dwRefs; }

uint32_t SoundDevice::Release() {
  uint32_t dwRefs = --m_dwRefs;
  if (dwRefs == 0) delete this;
  return dwRefs;
}

void SoundDevice::ServiceOutput() {
  if (!m_bUsesOutput) return;
  const uint32_t uOutputId = m_uOutputId.load();
  if (uOutputId != 0 && !m_bOutputLost.load() && !IsSoundOutputStopped(uOutputId)) return;
  // The device's own bookkeeping, no part of the game's run: never recorded.
  const uint32_t dwNow = SystemMilliseconds();

  if (uOutputId != 0) {
    std::fprintf(stderr,
                 "zorbly-frondles: the sound output went away; changing to the default one\n");
    m_uOutputId.store(0);
    // Never under m_mutex: closing waits for the output thread, which may want it.
    CloseSoundOutput(this, uOutputId);
    // From now until an output takes the mix again, time passes unheard.
    m_dwSilentClock = dwNow;
    m_qwSilentFrameParts = 0;
  } else {
    AdvanceInSilence(dwNow);
    if (!HasReached(dwNow, m_dwNextReopenTry)) return;
  }
  m_bOutputLost.store(false);
  OpenOutput(dwNow);
}

void SoundDevice::AdvanceInSilence(uint32_t dwNow) {
  const int32_t lElapsed = static_cast<int32_t>(dwNow - m_dwSilentClock);
  m_dwSilentClock = dwNow;
  // A clock set back moves nothing back.
  if (lElapsed <= 0) return;
  m_qwSilentFrameParts += static_cast<uint64_t>(lElapsed) * MIX_FRAMES_PER_SECOND;
  const uint64_t qwFrames = m_qwSilentFrameParts / 1000;
  m_qwSilentFrameParts %= 1000;
  SkipOutput(qwFrames);
}

void SoundDevice::SkipOutput(uint64_t qwFrames) {
  if (qwFrames == 0) return;
  std::lock_guard<std::mutex> lock(m_mutex);
  for (SoundBuffer* pBuffer = m_pFirstBuffer; pBuffer; pBuffer = pBuffer->m_pNextBuffer) {
    // As in the mix: samples being written are not passed over.
    if (pBuffer->m_pMemory->dwLocks != 0) continue;
    AdvanceVoice(pBuffer->m_voice, qwFrames);
    AdvanceVoice(pBuffer->m_fadingVoice, qwFrames);
  }
}

bool SoundDevice::OpenOutput(uint32_t dwNow) {
  std::string strReason = "the machine has no sound output";
  uint32_t uOutputId =
      outputMode == SoundOutputMode::Missing ? 0 : OpenSoundOutput(this, &strReason);
  if (uOutputId == 0) {
    m_dwNextReopenTry = dwNow + REOPEN_INTERVAL_MS;
    if (!m_bReportedNoOutput) {
      std::fprintf(stderr,
                   "zorbly-frondles: no sound output now (%s); sounds go on unheard until one "
                   "returns\n",
                   strReason.c_str());
      m_bReportedNoOutput = true;
    }
    return false;
  }
  m_bReportedNoOutput = false;
  m_uOutputId.store(uOutputId);
  return true;
}

HRESULT SoundDevice::SetCooperativeLevel(WindowHandle hwnd, uint32_t dwLevel) {
  ServiceOutput();
  if (!hwnd || dwLevel < DSSCL_NORMAL || dwLevel > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
  // One window, one program: the level changes nothing in how the mix is heard.
  return DS_OK;
}

HRESULT SoundDevice::CreateSoundBuffer(const DSBUFFERDESC* pcDSBufferDesc, SoundBuffer** ppDSBuffer,
                                       void* pUnkOuter) {
  ServiceOutput();
  if (!pcDSBufferDesc || !ppDSBuffer) return DSERR_INVALIDPARAM;
  *ppDSBuffer = nullptr;
  if (pUnkOuter) return DSERR_NOAGGREGATION;
  if (pcDSBufferDesc->dwSize != sizeof(DSBUFFERDESC)) return DSERR_INVALIDPARAM;
  const uint32_t dwFlags = pcDSBufferDesc->dwFlags;

  if (dwFlags & DSBCAPS_PRIMARYBUFFER) {
    if (pcDSBufferDesc->dwBufferBytes != 0 || pcDSBufferDesc->lpwfxFormat)
      return DSERR_INVALIDPARAM;
    SoundBuffer* pPrimary = new (std::nothrow) SoundBuffer(this);
    if (!pPrimary) return DSERR_OUTOFMEMORY;
    pPrimary->m_bPrimary = true;
    pPrimary->m_dwFlags = dwFlags;
    AddRef();
    *ppDSBuffer = pPrimary;
    return DS_OK;
  }

  const WAVEFORMATEX* pwfx = pcDSBufferDesc->lpwfxFormat;
  if (!pwfx) return DSERR_INVALIDPARAM;
  if (!IsPlayableFormat(pwfx)) return DSERR_BADFORMAT;
  const uint32_t dwBytes = pcDSBufferDesc->dwBufferBytes;
  if (dwBytes < DSBSIZE_MIN || dwBytes > DSBSIZE_MAX || dwBytes < pwfx->nBlockAlign) {
    return DSERR_INVALIDPARAM;
  }

  SampleMemory* pMemory = new (std::nothrow) SampleMemory;
  uint8_t* pbBytes = pMemory ? new (std::nothrow) uint8_t[dwBytes] : nullptr;
  SoundBuffer* pBuffer = pbBytes ? new (std::nothrow) SoundBuffer(this) : nullptr;
  if (!pBuffer) {
    delete[] pbBytes;
    delete pMemory;
    return DSERR_OUTOFMEMORY;
  }
  std::memset(pbBytes, SilenceFor(pwfx->wBitsPerSample), dwBytes);
  pMemory->pbBytes = pbBytes;
  pMemory->dwBytes = dwBytes;
  pMemory->dwRefs = 1;

  pBuffer->m_dwFlags = dwFlags;
  pBuffer->m_dwBufferBytes = dwBytes;
  pBuffer->m_dwOriginalFrequency = pwfx->nSamplesPerSec;
  pBuffer->m_dwFrequency = pwfx->nSamplesPerSec;
  pBuffer->m_pMemory = pMemory;
  SoundVoice& voice = pBuffer->m_voice;
  voice.pMemory = pMemory;
  voice.wChannels = pwfx->nChannels;
  voice.wBitsPerSample = pwfx->wBitsPerSample;
  voice.wBlockAlign = pwfx->nBlockAlign;
  voice.dwFrames = dwBytes / pwfx->nBlockAlign;
  voice.qwStep = StepForFrequency(pwfx->nSamplesPerSec);

  AddBuffer(pBuffer);
  *ppDSBuffer = pBuffer;
  return DS_OK;
}

HRESULT SoundDevice::DuplicateSoundBuffer(SoundBuffer* pOriginal, SoundBuffer** ppDuplicate) {
  ServiceOutput();
  if (!pOriginal || !ppDuplicate) return DSERR_INVALIDPARAM;
  *ppDuplicate = nullptr;
  if (pOriginal->m_bPrimary || pOriginal->m_pDevice != this) return DSERR_INVALIDCALL;

  SoundBuffer* pDuplicate = new (std::nothrow) SoundBuffer(this);
  if (!pDuplicate) return DSERR_OUTOFMEMORY;
  pDuplicate->m_dwFlags = pOriginal->m_dwFlags;
  pDuplicate->m_dwBufferBytes = pOriginal->m_dwBufferBytes;
  pDuplicate->m_dwOriginalFrequency = pOriginal->m_dwOriginalFrequency;
  pDuplicate->m_dwFrequency = pOriginal->m_dwFrequency;
  pDuplicate->m_lVolume = pOriginal->m_lVolume;
  pDuplicate->m_lPan = pOriginal->m_lPan;
  pDuplicate->m_pMemory = pOriginal->m_pMemory;
  ++pDuplicate->m_pMemory->dwRefs;

  {
    std::lock_guard<std::mutex> lock(m_mutex);
    // Same samples, same settings; its own position, stopped at the start.
    pDuplicate->m_voice = pOriginal->m_voice;
    pDuplicate->m_voice.qwPosition = 0;
    pDuplicate->m_voice.bPlaying = false;
    pDuplicate->m_voice.bLooping = false;
  }
  AddBuffer(pDuplicate);
  *ppDuplicate = pDuplicate;
  return DS_OK;
}

void SoundDevice::AddBuffer(SoundBuffer* pBuffer) {
  AddRef();
  std::lock_guard<std::mutex> lock(m_mutex);
  pBuffer->m_pNextBuffer = m_pFirstBuffer;
  if (m_pFirstBuffer) m_pFirstBuffer->m_pPrevBuffer = pBuffer;
  m_pFirstBuffer = pBuffer;
}

void SoundDevice::MixOutput(int16_t* psOutput, uint32_t dwFrames) {
  int32_t alAccumulator[MIX_CHUNK_FRAMES * MIX_CHANNELS];
  const float fVolume = outputVolume.load();
  std::lock_guard<std::mutex> lock(m_mutex);
  while (dwFrames > 0) {
    const uint32_t dwChunk = dwFrames < MIX_CHUNK_FRAMES ? dwFrames : MIX_CHUNK_FRAMES;
    std::memset(alAccumulator, 0, sizeof(int32_t) * dwChunk * MIX_CHANNELS);
    for (SoundBuffer* pBuffer = m_pFirstBuffer; pBuffer; pBuffer = pBuffer->m_pNextBuffer) {
      // Samples being written are neither heard nor passed over.
      if (pBuffer->m_pMemory->dwLocks != 0) continue;
      MixVoice(pBuffer->m_voice, alAccumulator, dwChunk);
      MixVoice(pBuffer->m_fadingVoice, alAccumulator, dwChunk);
    }
    FinishMix(m_outputStage, fVolume, alAccumulator, psOutput, dwChunk);
    psOutput += dwChunk * MIX_CHANNELS;
    dwFrames -= dwChunk;
  }
}

uint32_t SoundBuffer::AddRef() { return ++m_dwRefs; }

uint32_t SoundBuffer::Release() {
  uint32_t dwRefs = --m_dwRefs;
  if (dwRefs != 0) return dwRefs;
  SoundDevice* pDevice = m_pDevice;
  if (!m_bPrimary) {
    {
      std::lock_guard<std::mutex> lock(pDevice->m_mutex);
      if (m_pPrevBuffer) m_pPrevBuffer->m_pNextBuffer = m_pNextBuffer;
      else pDevice->m_pFirstBuffer = m_pNextBuffer;
      if (m_pNextBuffer) m_pNextBuffer->m_pPrevBuffer = m_pPrevBuffer;
    }
    // Out of the list, nothing mixes from the samples any more.
    if (--m_pMemory->dwRefs == 0) {
      delete[] m_pMemory->pbBytes;
      delete m_pMemory;
    }
  }
  delete this;
  pDevice->Release();
  return 0;
}

HRESULT SoundBuffer::GetStatus(uint32_t* pdwStatus) {
  m_pDevice->ServiceOutput();
  if (!pdwStatus) return DSERR_INVALIDPARAM;
  std::lock_guard<std::mutex> lock(m_pDevice->m_mutex);
  uint32_t dwStatus = 0;
  if (m_voice.bPlaying) dwStatus |= DSBSTATUS_PLAYING | (m_voice.bLooping ? DSBSTATUS_LOOPING : 0);
  *pdwStatus = dwStatus;
  return DS_OK;
}

HRESULT SoundBuffer::Lock(uint32_t dwOffset, uint32_t dwBytes, void** ppvAudioPtr1,
                          uint32_t* pdwAudioBytes1, void** ppvAudioPtr2, uint32_t* pdwAudioBytes2,
                          uint32_t dwFlags) {
  m_pDevice->ServiceOutput();
  if (m_bPrimary) return DSERR_INVALIDCALL;
  if (!ppvAudioPtr1 || !pdwAudioBytes1) return DSERR_INVALIDPARAM;
  std::lock_guard<std::mutex> lock(m_pDevice->m_mutex);
  if (dwFlags & DSBLOCK_ENTIREBUFFER) {
    dwOffset = 0;
    dwBytes = m_dwBufferBytes;
  }
  if (dwOffset >= m_dwBufferBytes || dwBytes == 0 || dwBytes > m_dwBufferBytes) {
    return DSERR_INVALIDPARAM;
  }
  // A region running past the end goes on at the start, as a second piece.
  const uint32_t dwFirst =
      dwBytes < m_dwBufferBytes - dwOffset ? dwBytes : m_dwBufferBytes - dwOffset;
  const uint32_t dwSecond = dwBytes - dwFirst;
  if (dwSecond > 0 && (!ppvAudioPtr2 || !pdwAudioBytes2)) return DSERR_INVALIDPARAM;
  *ppvAudioPtr1 = m_pMemory->pbBytes + dwOffset;
  *pdwAudioBytes1 = dwFirst;
  if (ppvAudioPtr2) *ppvAudioPtr2 = dwSecond > 0 ? m_pMemory->pbBytes : nullptr;
  if (pdwAudioBytes2) *pdwAudioBytes2 = dwSecond;
  ++m_pMemory->dwLocks;
  return DS_OK;
}

HRESULT SoundBuffer::Unlock(void* pvAudioPtr1, uint32_t dwAudioBytes1, void*, uint32_t) {
  m_pDevice->ServiceOutput();
  if (m_bPrimary) return DSERR_INVALIDCALL;
  const uint8_t* pbStart = m_pMemory->pbBytes;
  const uint8_t* pbPiece = static_cast<const uint8_t*>(pvAudioPtr1);
  if (!pbPiece || pbPiece < pbStart || pbPiece >= pbStart + m_pMemory->dwBytes ||
      dwAudioBytes1 > static_cast<uint32_t>(pbStart + m_pMemory->dwBytes - pbPiece)) {
    return DSERR_INVALIDPARAM;
  }
  std::lock_guard<std::mutex> lock(m_pDevice->m_mutex);
  if (m_pMemory->dwLocks == 0) return DSERR_INVALIDCALL;
  --m_pMemory->dwLocks;
  return DS_OK;
}

HRESULT SoundBuffer::SetFormat(const WAVEFORMATEX* pcfxFormat) {
  m_pDevice->ServiceOutput();
  // A secondary buffer's format is fixed at creation.
  if (!m_bPrimary) return DSERR_INVALIDCALL;
  if (!pcfxFormat) return DSERR_INVALIDPARAM;
  if (!IsPlayableFormat(pcfxFormat) ||
      pcfxFormat->nAvgBytesPerSec != pcfxFormat->nSamplesPerSec * pcfxFormat->nBlockAlign) {
    return DSERR_BADFORMAT;
  }
  // The mix itself stays 2 channels of 16 bits at 22050 frames per second whatever is
  // asked; the output converts to what the hardware wants.
  return DS_OK;
}

void SoundBuffer::UpdateGains() {
  int32_t lLeft = UNITY_GAIN;
  int32_t lRight = UNITY_GAIN;
  GainsForVolumeAndPan(m_lVolume, m_lPan, &lLeft, &lRight);
  std::lock_guard<std::mutex> lock(m_pDevice->m_mutex);
  m_voice.lGainLeft = lLeft;
  m_voice.lGainRight = lRight;
}

HRESULT SoundBuffer::SetVolume(int32_t lVolume) {
  m_pDevice->ServiceOutput();
  if (m_bPrimary || !(m_dwFlags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
  if (lVolume < DSBVOLUME_MIN || lVolume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
  m_lVolume = lVolume;
  UpdateGains();
  return DS_OK;
}

HRESULT SoundBuffer::SetPan(int32_t lPan) {
  m_pDevice->ServiceOutput();
  if (m_bPrimary || !(m_dwFlags & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
  if (lPan < DSBPAN_LEFT || lPan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
  m_lPan = lPan;
  UpdateGains();
  return DS_OK;
}

HRESULT SoundBuffer::SetFrequency(uint32_t dwFrequency) {
  m_pDevice->ServiceOutput();
  if (m_bPrimary || !(m_dwFlags & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
  if (dwFrequency == DSBFREQUENCY_ORIGINAL) dwFrequency = m_dwOriginalFrequency;
  if (dwFrequency < DSBFREQUENCY_MIN || dwFrequency > DSBFREQUENCY_MAX) return DSERR_INVALIDPARAM;
  m_dwFrequency = dwFrequency;
  const uint64_t qwStep = StepForFrequency(dwFrequency);
  std::lock_guard<std::mutex> lock(m_pDevice->m_mutex);
  m_voice.qwStep = qwStep;
  return DS_OK;
}

HRESULT SoundBuffer::GetFrequency(uint32_t* pdwFrequency) {
  if (!pdwFrequency) return DSERR_INVALIDPARAM;
  if (m_bPrimary || !(m_dwFlags & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
  *pdwFrequency = m_dwFrequency;
  return DS_OK;
}

HRESULT SoundBuffer::Play(uint32_t dwReserved1, uint32_t dwPriority, uint32_t dwFlags) {
  m_pDevice->ServiceOutput();
  if (dwReserved1 != 0 || dwPriority != 0) return DSERR_INVALIDPARAM;
  // The primary buffer stands for the output, which always runs.
  if (m_bPrimary) return DS_OK;
  std::lock_guard<std::mutex> lock(m_pDevice->m_mutex);
  m_voice.bPlaying = true;
  m_voice.bLooping = (dwFlags & DSBPLAY_LOOPING) != 0;
  return DS_OK;
}

HRESULT SoundBuffer::Stop() {
  m_pDevice->ServiceOutput();
  if (m_bPrimary) return DS_OK;
  std::lock_guard<std::mutex> lock(m_pDevice->m_mutex);
  if (m_voice.bPlaying) {
    m_fadingVoice = m_voice;
    m_fadingVoice.dwFadeFrames = STOP_FADE_FRAMES;
  }
  m_voice.bPlaying = false;
  return DS_OK;
}

HRESULT SoundBuffer::SetCurrentPosition(uint32_t dwNewPosition) {
  m_pDevice->ServiceOutput();
  if (m_bPrimary) return DSERR_INVALIDCALL;
  if (dwNewPosition >= m_dwBufferBytes) return DSERR_INVALIDPARAM;
  std::lock_guard<std::mutex> lock(m_pDevice->m_mutex);
  m_voice.qwPosition = static_cast<uint64_t>(dwNewPosition / m_voice.wBlockAlign) << 32;
  return DS_OK;
}

HRESULT SoundBuffer::GetCurrentPosition(uint32_t* pdwCurrentPlayCursor,
                                        uint32_t* pdwCurrentWriteCursor) {
  m_pDevice->ServiceOutput();
  if (m_bPrimary) return DSERR_INVALIDCALL;
  if (!pdwCurrentPlayCursor && !pdwCurrentWriteCursor) return DSERR_INVALIDPARAM;
  std::lock_guard<std::mutex> lock(m_pDevice->m_mutex);
  const uint32_t dwBytes = static_cast<uint32_t>(m_voice.qwPosition >> 32) * m_voice.wBlockAlign;
  if (pdwCurrentPlayCursor) *pdwCurrentPlayCursor = dwBytes;
  // Mixed in software and straight from memory: writing is safe right behind the play.
  if (pdwCurrentWriteCursor) *pdwCurrentWriteCursor = dwBytes;
  return DS_OK;
}
