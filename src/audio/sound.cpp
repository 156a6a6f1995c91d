#include "audio/sound.h"

#include <cstring>
#include <new>

#include "audio/sound_trace.h"
#include "audio/wave_file.h"
#include "platform/system/random.h"

CSound::CSound(SoundBuffer** apDSBuffer, uint32_t dwDSBufferSize, uint32_t dwNumBuffers,
               CWaveFile* pWaveFile, uint32_t dwCreationFlags)
    : m_apDSBuffer(nullptr),
      m_dwDSBufferSize(dwDSBufferSize),
      m_pWaveFile(pWaveFile),
      m_dwNumBuffers(dwNumBuffers),
      m_dwCreationFlags(dwCreationFlags) {
  m_apDSBuffer = new (std::nothrow) SoundBuffer*[dwNumBuffers];
  if (!m_apDSBuffer) {
    // Without an array the sound takes nothing: the buffers and the wave file stay the
    // caller's, which sees the null array and gives up.
    m_pWaveFile = nullptr;
    return;
  }
  for (uint32_t i = 0; i < dwNumBuffers; ++i) m_apDSBuffer[i] = apDSBuffer[i];

  // Duplicates share these samples; only the first buffer needs them.
  FillBufferWithSound(m_apDSBuffer[0], false);
}

CSound::~CSound() {
  if (m_apDSBuffer) {
    for (uint32_t i = 0; i < m_dwNumBuffers; ++i) {
      if (m_apDSBuffer[i]) {
        m_apDSBuffer[i]->Release();
        m_apDSBuffer[i] = nullptr;
      }
    }
  }
  delete[] m_apDSBuffer;
  m_apDSBuffer = nullptr;
  delete m_pWaveFile;
  m_pWaveFile = nullptr;
}

HRESULT CSound::FillBufferWithSound(SoundBuffer* pDSB, bool bRepeatWavIfBufferLarger) {
  HRESULT hr;
  void* pDSLockedBuffer = nullptr;
  uint32_t dwDSLockedBufferSize = 0;
  uint32_t dwWavDataRead = 0;

  if (!pDSB) return CO_E_NOTINITIALIZED;

  hr =
      pDSB->Lock(0, m_dwDSBufferSize, &pDSLockedBuffer, &dwDSLockedBufferSize, nullptr, nullptr, 0);
  if (FAILED(hr)) return TraceSoundError("Lock", hr);
  uint8_t* pbLocked = static_cast<uint8_t*>(pDSLockedBuffer);

  m_pWaveFile->ResetFile();
  hr = m_pWaveFile->Read(pbLocked, dwDSLockedBufferSize, &dwWavDataRead);
  if (FAILED(hr)) {
    pDSB->Unlock(pDSLockedBuffer, dwDSLockedBufferSize, nullptr, 0);
    return TraceSoundError("Read", hr);
  }

  const uint8_t bSilence = m_pWaveFile->m_pwfx->wBitsPerSample == 8 ? 0x80 : 0x00;
  if (dwWavDataRead == 0) {
    std::memset(pbLocked, bSilence, dwDSLockedBufferSize);
  } else if (dwWavDataRead < dwDSLockedBufferSize) {
    if (bRepeatWavIfBufferLarger) {
      // The sound again and again until the buffer is full; the last copy is cut short.
      uint32_t dwReadSoFar = dwWavDataRead;
      while (dwReadSoFar < dwDSLockedBufferSize) {
        hr = m_pWaveFile->ResetFile();
        if (FAILED(hr)) {
          pDSB->Unlock(pDSLockedBuffer, dwDSLockedBufferSize, nullptr, 0);
          return TraceSoundError("ResetFile", hr);
        }
        hr = m_pWaveFile->Read(pbLocked + dwReadSoFar, dwDSLockedBufferSize - dwReadSoFar,
                               &dwWavDataRead);
        if (FAILED(hr)) {
          pDSB->Unlock(pDSLockedBuffer, dwDSLockedBufferSize, nullptr, 0);
          return TraceSoundError("Read", hr);
        }
        if (dwWavDataRead == 0) {
          // The file shrank under us: silence rather than reading nothing for ever.
          std::memset(pbLocked + dwReadSoFar, bSilence, dwDSLockedBufferSize - dwReadSoFar);
          break;
        }
        dwReadSoFar += dwWavDataRead;
      }
    } else {
      std::memset(pbLocked + dwWavDataRead, bSilence, dwDSLockedBufferSize - dwWavDataRead);
    }
  }

  pDSB->Unlock(pDSLockedBuffer, dwDSLockedBufferSize, nullptr, 0);
  return S_OK;
}

SoundBuffer* CSound::GetFreeBuffer(int iReplayedDraw) {
  if (!m_apDSBuffer) return nullptr;
  for (uint32_t i = 0; i < m_dwNumBuffers && iReplayedDraw != 1; ++i) {
    if (m_apDSBuffer[i]) {
      uint32_t dwStatus = 0;
      m_apDSBuffer[i]->GetStatus(&dwStatus);
      if ((dwStatus & DSBSTATUS_PLAYING) == 0) return m_apDSBuffer[i];
    }
  }
  // Free when it was recorded so: the first voice, without a draw.
  if (iReplayedDraw == 0) return m_apDSBuffer[0];
  // Every voice is busy: take one at random.
  return m_apDSBuffer[static_cast<uint32_t>(Rand()) % m_dwNumBuffers];
}

SoundBuffer* CSound::GetBuffer(uint32_t dwIndex) const {
  if (!m_apDSBuffer || dwIndex >= m_dwNumBuffers) return nullptr;
  return m_apDSBuffer[dwIndex];
}

HRESULT CSound::Play(uint32_t dwPriority, uint32_t dwFlags, int32_t lVolume, int32_t lFrequency,
                     int32_t lPan, int iReplayedDraw) {
  if (!m_apDSBuffer) return CO_E_NOTINITIALIZED;

  // The buffers live in memory the device never takes back: none is ever lost, so none
  // needs restoring before it plays.
  SoundBuffer* pDSB = GetFreeBuffer(iReplayedDraw);
  if (!pDSB) return TraceSoundError("GetFreeBuffer", E_FAIL);

  if (m_dwCreationFlags & DSBCAPS_CTRLVOLUME) pDSB->SetVolume(lVolume);
  if (lFrequency != -1 && (m_dwCreationFlags & DSBCAPS_CTRLFREQUENCY)) {
    pDSB->SetFrequency(static_cast<uint32_t>(lFrequency));
  }
  if (m_dwCreationFlags & DSBCAPS_CTRLPAN) pDSB->SetPan(lPan);

  return pDSB->Play(0, dwPriority, dwFlags);
}

HRESULT CSound::Stop() {
  if (!m_apDSBuffer) return CO_E_NOTINITIALIZED;
  HRESULT hr = 0;
  for (uint32_t i = 0; i < m_dwNumBuffers; ++i) {
    if (m_apDSBuffer[i]) hr |= m_apDSBuffer[i]->Stop();
  }
  return hr;
}

HRESULT CSound::Reset() {
  if (!m_apDSBuffer) return CO_E_NOTINITIALIZED;
  HRESULT hr = 0;
  for (uint32_t i = 0; i < m_dwNumBuffers; ++i) {
    if (m_apDSBuffer[i]) hr |= m_apDSBuffer[i]->SetCurrentPosition(0);
  }
  return hr;
}

bool CSound::IsSoundPlaying() {
  bool bIsPlaying = false;
  if (!m_apDSBuffer) return false;
  for (uint32_t i = 0; i < m_dwNumBuffers; ++i) {
    if (m_apDSBuffer[i]) {
      uint32_t dwStatus = 0;
      m_apDSBuffer[i]->GetStatus(&dwStatus);
      if (dwStatus & DSBSTATUS_PLAYING) bIsPlaying = true;
    }
  }
  return bIsPlaying;
}
