#include "audio/sound_manager.h"

#include <new>

#include "audio/sound.h"
#include "audio/sound_trace.h"
#include "audio/wave_file.h"

CSoundManager::CSoundManager() : m_pDS(nullptr) {}

CSoundManager::~CSoundManager() {
  if (m_pDS) m_pDS->Release();
  m_pDS = nullptr;
}

HRESULT CSoundManager::Initialize(WindowHandle hWnd, uint32_t dwCoopLevel) {
  HRESULT hr;
  if (m_pDS) m_pDS->Release();
  m_pDS = nullptr;

  hr = DirectSoundCreate8(nullptr, &m_pDS, nullptr);
  if (FAILED(hr)) return TraceSoundError("DirectSoundCreate8", hr);

  hr = m_pDS->SetCooperativeLevel(hWnd, dwCoopLevel);
  if (FAILED(hr)) return TraceSoundError("SetCooperativeLevel", hr);
  return S_OK;
}

HRESULT CSoundManager::SetPrimaryBufferFormat(uint32_t dwPrimaryChannels, uint32_t dwPrimaryFreq,
                                              uint32_t dwPrimaryBitRate) {
  HRESULT hr;
  SoundBuffer* pDSBPrimary = nullptr;
  if (!m_pDS) return CO_E_NOTINITIALIZED;

  DSBUFFERDESC dsbd{};
  dsbd.dwSize = sizeof(DSBUFFERDESC);
  dsbd.dwFlags = DSBCAPS_PRIMARYBUFFER;
  dsbd.dwBufferBytes = 0;
  dsbd.lpwfxFormat = nullptr;
  hr = m_pDS->CreateSoundBuffer(&dsbd, &pDSBPrimary, nullptr);
  if (FAILED(hr)) return TraceSoundError("CreateSoundBuffer", hr);

  WAVEFORMATEX wfx{};
  wfx.wFormatTag = WAVE_FORMAT_PCM;
  wfx.nChannels = static_cast<uint16_t>(dwPrimaryChannels);
  wfx.nSamplesPerSec = dwPrimaryFreq;
  wfx.wBitsPerSample = static_cast<uint16_t>(dwPrimaryBitRate);
  wfx.nBlockAlign = static_cast<uint16_t>(wfx.wBitsPerSample / 8 * wfx.nChannels);
  wfx.nAvgBytesPerSec = wfx.nSamplesPerSec * wfx.nBlockAlign;
  wfx.cbSize = 0;

  hr = pDSBPrimary->SetFormat(&wfx);
  if (FAILED(hr)) hr = TraceSoundError("SetFormat", hr);
  pDSBPrimary->Release();
  return hr;
}

HRESULT CSoundManager::Create(CSound** ppSound, const char* strWaveFileName,
                              uint32_t dwCreationFlags, GUID guid3DAlgorithm,
                              uint32_t dwNumBuffers) {
  HRESULT hr;
  HRESULT hrRet = S_OK;
  SoundBuffer** apDSBuffer = nullptr;
  uint32_t dwDSBufferSize = 0;
  CWaveFile* pWaveFile = nullptr;

  if (!m_pDS) return CO_E_NOTINITIALIZED;
  if (!strWaveFileName || !ppSound || dwNumBuffers < 1) return E_INVALIDARG;

  auto cleanUp = [&](HRESULT hrFailure) {
    if (apDSBuffer) {
      for (uint32_t i = 0; i < dwNumBuffers; ++i) {
        if (apDSBuffer[i]) apDSBuffer[i]->Release();
      }
    }
    delete pWaveFile;
    delete[] apDSBuffer;
    return hrFailure;
  };

  apDSBuffer = new (std::nothrow) SoundBuffer*[dwNumBuffers]();
  if (!apDSBuffer) return cleanUp(E_OUTOFMEMORY);

  pWaveFile = new (std::nothrow) CWaveFile;
  if (!pWaveFile) return cleanUp(E_OUTOFMEMORY);
  pWaveFile->Open(strWaveFileName, nullptr, WAVEFILE_READ);

  // A wave that did not open and a wave without samples alike have nothing to play.
  if (pWaveFile->GetSize() == 0) return cleanUp(E_FAIL);

  dwDSBufferSize = pWaveFile->GetSize();

  DSBUFFERDESC dsbd{};
  dsbd.dwSize = sizeof(DSBUFFERDESC);
  dsbd.dwFlags = dwCreationFlags;
  dsbd.dwBufferBytes = dwDSBufferSize;
  dsbd.guid3DAlgorithm = guid3DAlgorithm;
  dsbd.lpwfxFormat = pWaveFile->m_pwfx;

  hr = m_pDS->CreateSoundBuffer(&dsbd, &apDSBuffer[0], nullptr);
  if (hr == DS_NO_VIRTUALIZATION) hrRet = DS_NO_VIRTUALIZATION;
  if (FAILED(hr)) {
    TraceSoundError("CreateSoundBuffer", hr);
    return cleanUp(hr);
  }

  // Effects need buffers of their own; otherwise the voices share the first one's samples.
  if (dwCreationFlags & DSBCAPS_CTRLFX) {
    for (uint32_t i = 1; i < dwNumBuffers; ++i) {
      hr = m_pDS->CreateSoundBuffer(&dsbd, &apDSBuffer[i], nullptr);
      if (FAILED(hr)) {
        TraceSoundError("CreateSoundBuffer", hr);
        return cleanUp(hr);
      }
    }
  } else {
    for (uint32_t i = 1; i < dwNumBuffers; ++i) {
      hr = m_pDS->DuplicateSoundBuffer(apDSBuffer[0], &apDSBuffer[i]);
      if (FAILED(hr)) {
        TraceSoundError("DuplicateSoundBuffer", hr);
        return cleanUp(hr);
      }
    }
  }

  CSound* pSound = new (std::nothrow)
      CSound(apDSBuffer, dwDSBufferSize, dwNumBuffers, pWaveFile, dwCreationFlags);
  if (!pSound || !pSound->m_apDSBuffer) {
    delete pSound;  // it took nothing over
    return cleanUp(E_OUTOFMEMORY);
  }
  *ppSound = pSound;
  delete[] apDSBuffer;
  return hrRet;
}
