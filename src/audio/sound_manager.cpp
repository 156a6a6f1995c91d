#include "audio/sound_manager.h"

#include <algorithm>
#include <memory>
#include <new>

#include "audio/sound.h"
#include "audio/sound_trace.h"
#include "audio/wave_file.h"

namespace {

// The voices of a sound being made: released, with their list, unless a sound takes them.
class CBufferList {
 public:
  explicit CBufferList(uint32_t dwCount)
      : m_apBuffers(new (std::nothrow) SoundBuffer*[dwCount]()), m_dwCount(dwCount) {}
  ~CBufferList() {
    if (!m_apBuffers) return;
    for (uint32_t i = 0; i < m_dwCount; ++i) {
      if (m_apBuffers[i]) m_apBuffers[i]->Release();
    }
  }
  CBufferList(const CBufferList&) = delete;
  CBufferList& operator=(const CBufferList&) = delete;

  SoundBuffer** Get() const { return m_apBuffers.get(); }
  // The sound has made its own list of the references.
  void HandOver() { std::fill_n(m_apBuffers.get(), m_dwCount, nullptr); }

 private:
  std::unique_ptr<SoundBuffer*[]> m_apBuffers;
  uint32_t m_dwCount;
};

// Every voice: the first made from the description, the others made alike when they need
// buffers of their own (effects), otherwise duplicates sharing the first one's samples.
// S_OK, DS_NO_VIRTUALIZATION when the first was made so, or the traced failure.
HRESULT MakeVoices(SoundDevice* pDS, const DSBUFFERDESC& dsbd, uint32_t dwNumBuffers,
                   SoundBuffer** apDSBuffer) {
  const HRESULT hrFirst = pDS->CreateSoundBuffer(&dsbd, &apDSBuffer[0], nullptr);
  if (FAILED(hrFirst)) return TraceSoundError("CreateSoundBuffer", hrFirst);
  const bool bOwnBuffers = (dsbd.dwFlags & DSBCAPS_CTRLFX) != 0;
  for (uint32_t i = 1; i < dwNumBuffers; ++i) {
    if (bOwnBuffers) {
      const HRESULT hr = pDS->CreateSoundBuffer(&dsbd, &apDSBuffer[i], nullptr);
      if (FAILED(hr)) return TraceSoundError("CreateSoundBuffer", hr);
    } else {
      const HRESULT hr = pDS->DuplicateSoundBuffer(apDSBuffer[0], &apDSBuffer[i]);
      if (FAILED(hr)) return TraceSoundError("DuplicateSoundBuffer", hr);
    }
  }
  return hrFirst == DS_NO_VIRTUALIZATION ? DS_NO_VIRTUALIZATION : S_OK;
}

}  // namespace

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
  if (!m_pDS) return CO_E_NOTINITIALIZED;
  if (!strWaveFileName || !ppSound || dwNumBuffers < 1) return E_INVALIDARG;

  // Whatever is made here is let go on the way out unless the sound takes it.
  CBufferList buffers(dwNumBuffers);
  if (!buffers.Get()) return E_OUTOFMEMORY;
  std::unique_ptr<CWaveFile> pWaveFile(new (std::nothrow) CWaveFile);
  if (!pWaveFile) return E_OUTOFMEMORY;
  pWaveFile->Open(strWaveFileName, nullptr, WAVEFILE_READ);

  // A wave that did not open and a wave without samples alike have nothing to play.
  const uint32_t dwDSBufferSize = pWaveFile->GetSize();
  if (dwDSBufferSize == 0) return E_FAIL;

  DSBUFFERDESC dsbd{};
  dsbd.dwSize = sizeof(DSBUFFERDESC);
  dsbd.dwFlags = dwCreationFlags;
  dsbd.dwBufferBytes = dwDSBufferSize;
  dsbd.guid3DAlgorithm = guid3DAlgorithm;
  dsbd.lpwfxFormat = pWaveFile->m_pwfx;
  const HRESULT hr = MakeVoices(m_pDS, dsbd, dwNumBuffers, buffers.Get());
  if (FAILED(hr)) return hr;

  CSound* pSound = new (std::nothrow)
      CSound(buffers.Get(), dwDSBufferSize, dwNumBuffers, pWaveFile.get(), dwCreationFlags);
  if (!pSound || !pSound->m_apDSBuffer) {
    delete pSound;  // it took nothing over
    return E_OUTOFMEMORY;
  }
  // The sound holds the buffers and the wave file now.
  buffers.HandOver();
  pWaveFile.release();
  *ppSound = pSound;
  return hr;
}
