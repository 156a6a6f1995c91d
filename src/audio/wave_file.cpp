#include "audio/wave_file.h"

#include <bit>
#include <cstring>
#include <new>

#include "audio/sound_trace.h"
#include "platform/audio/resource.h"

// Format records are copied byte for byte between the file and memory.
static_assert(std::endian::native == std::endian::little, "wave files are little-endian");

namespace {

constexpr FOURCC FOURCC_WAVE = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC FOURCC_FMT = mmioFOURCC('f', 'm', 't', ' ');
constexpr FOURCC FOURCC_FACT = mmioFOURCC('f', 'a', 'c', 't');
constexpr FOURCC FOURCC_DATA = mmioFOURCC('d', 'a', 't', 'a');

// A format record with room for its extra bytes behind it.
WAVEFORMATEX* AllocateFormat(uint32_t dwBytes) {
  void* pMemory = ::operator new(dwBytes, std::nothrow);
  if (!pMemory) return nullptr;
  std::memset(pMemory, 0, dwBytes);
  return new (pMemory) WAVEFORMATEX{};
}

void FreeFormat(WAVEFORMATEX* pwfx) { ::operator delete(pwfx); }

}  // namespace

CWaveFile::CWaveFile()
    : m_pwfx(nullptr),
      m_hmmio(nullptr),
      m_ck(),
      m_ckRiff(),
      m_dwSize(0),
      m_mmioinfoOut(),
      m_dwFlags(0),
      m_pResourceBuffer(nullptr) {}

CWaveFile::~CWaveFile() {
  Close();
  FreeFormat(m_pwfx);
  m_pwfx = nullptr;
}

HRESULT CWaveFile::Open(const char* strFileName, const WAVEFORMATEX* pwfx, uint32_t dwFlags) {
  // A file still open is finished first rather than leaked.
  if (m_hmmio) Close();
  m_dwFlags = dwFlags;
  m_dwSize = 0;

  if (m_dwFlags == WAVEFILE_READ) {
    if (!strFileName) return E_INVALIDARG;
    FreeFormat(m_pwfx);
    m_pwfx = nullptr;

    m_hmmio = mmioOpen(strFileName, nullptr, MMIO_ALLOCBUF | MMIO_READ);
    if (!m_hmmio) {
      // Not a file: perhaps a wave embedded in the program under that name.
      HRSRC hResInfo = FindResource(nullptr, strFileName, "WAVE");
      if (!hResInfo) hResInfo = FindResource(nullptr, strFileName, "WAV");
      if (!hResInfo) return TraceSoundError("FindResource", E_FAIL);

      HGLOBAL hResData = LoadResource(nullptr, hResInfo);
      if (!hResData) return TraceSoundError("LoadResource", E_FAIL);
      uint32_t dwSize = SizeofResource(nullptr, hResInfo);
      if (dwSize == 0) return TraceSoundError("SizeofResource", E_FAIL);
      const void* pvRes = LockResource(hResData);
      if (!pvRes) return TraceSoundError("LockResource", E_FAIL);

      delete[] m_pResourceBuffer;
      m_pResourceBuffer = new (std::nothrow) uint8_t[dwSize];
      if (!m_pResourceBuffer) return TraceSoundError("new", E_OUTOFMEMORY);
      std::memcpy(m_pResourceBuffer, pvRes, dwSize);

      MMIOINFO mmioInfo{};
      mmioInfo.fccIOProc = FOURCC_MEM;
      mmioInfo.cchBuffer = static_cast<int32_t>(dwSize);
      mmioInfo.pchBuffer = reinterpret_cast<char*>(m_pResourceBuffer);
      m_hmmio = mmioOpen(nullptr, &mmioInfo, MMIO_ALLOCBUF | MMIO_READ);
      if (!m_hmmio) return TraceSoundError("mmioOpen", E_FAIL);
    }
    return OpenForReading();
  }

  // Writing. The format is the file's whole point: none is no file.
  if (!pwfx) return E_INVALIDARG;
  m_hmmio = mmioOpen(strFileName, nullptr, MMIO_ALLOCBUF | MMIO_READWRITE | MMIO_CREATE);
  if (!m_hmmio) return TraceSoundError("mmioOpen", E_FAIL);

  HRESULT hr = WriteMMIO(pwfx);
  if (FAILED(hr)) {
    mmioClose(m_hmmio, 0);
    m_hmmio = nullptr;
    return TraceSoundError("WriteMMIO", hr);
  }
  hr = ResetFile();
  if (FAILED(hr)) return TraceSoundError("ResetFile", hr);
  return S_OK;
}

HRESULT CWaveFile::OpenFromMemory(const uint8_t* pbData, uint32_t ulDataSize) {
  if (m_hmmio) Close();
  m_dwFlags = WAVEFILE_READ;
  m_dwSize = 0;
  if (!pbData && ulDataSize > 0) return E_INVALIDARG;
  if (ulDataSize > static_cast<uint32_t>(INT32_MAX)) return E_INVALIDARG;
  FreeFormat(m_pwfx);
  m_pwfx = nullptr;

  MMIOINFO mmioInfo{};
  mmioInfo.fccIOProc = FOURCC_MEM;
  mmioInfo.cchBuffer = static_cast<int32_t>(ulDataSize);
  // Opened for reading, the array is never written to.
  mmioInfo.pchBuffer = const_cast<char*>(reinterpret_cast<const char*>(pbData));
  m_hmmio = mmioOpen(nullptr, &mmioInfo, MMIO_ALLOCBUF | MMIO_READ);
  if (!m_hmmio) return TraceSoundError("mmioOpen", E_FAIL);
  return OpenForReading();
}

HRESULT CWaveFile::OpenForReading() {
  HRESULT hr = ReadMMIO();
  if (FAILED(hr)) {
    mmioClose(m_hmmio, 0);
    m_hmmio = nullptr;
    return TraceSoundError("ReadMMIO", hr);
  }
  hr = ResetFile();
  if (FAILED(hr)) return TraceSoundError("ResetFile", hr);
  m_dwSize = m_ck.cksize;
  return S_OK;
}

HRESULT CWaveFile::ReadMMIO() {
  MMCKINFO ckIn;
  PCMWAVEFORMAT pcmWaveFormat;
  m_pwfx = nullptr;

  if (mmioDescend(m_hmmio, &m_ckRiff, nullptr, 0) != 0) {
    return TraceSoundError("mmioDescend", E_FAIL);
  }
  if (m_ckRiff.ckid != FOURCC_RIFF || m_ckRiff.fccType != FOURCC_WAVE) {
    return TraceSoundError("mmioFOURCC", E_FAIL);
  }

  ckIn.ckid = FOURCC_FMT;
  if (mmioDescend(m_hmmio, &ckIn, &m_ckRiff, MMIO_FINDCHUNK) != 0) {
    return TraceSoundError("mmioDescend", E_FAIL);
  }
  if (ckIn.cksize < sizeof(PCMWAVEFORMAT)) {
    return TraceSoundError("sizeof(PCMWAVEFORMAT)", E_FAIL);
  }
  if (mmioRead(m_hmmio, reinterpret_cast<char*>(&pcmWaveFormat), sizeof(pcmWaveFormat)) !=
      static_cast<int32_t>(sizeof(pcmWaveFormat))) {
    return TraceSoundError("mmioRead", E_FAIL);
  }

  if (pcmWaveFormat.wFormatTag == WAVE_FORMAT_PCM) {
    m_pwfx = AllocateFormat(sizeof(WAVEFORMATEX));
    if (!m_pwfx) return TraceSoundError("m_pwfx", E_FAIL);
    std::memcpy(m_pwfx, &pcmWaveFormat, sizeof(pcmWaveFormat));
    m_pwfx->cbSize = 0;
  } else {
    // The extra count and the bytes it announces must lie inside this chunk; whatever
    // follows the chunk is another chunk's data, not this format's.
    uint16_t cbExtraBytes = 0;
    if (ckIn.cksize < sizeof(WAVEFORMATEX)) return TraceSoundError("mmioRead", E_FAIL);
    if (mmioRead(m_hmmio, reinterpret_cast<char*>(&cbExtraBytes), sizeof(uint16_t)) !=
        static_cast<int32_t>(sizeof(uint16_t))) {
      return TraceSoundError("mmioRead", E_FAIL);
    }
    if (sizeof(WAVEFORMATEX) + cbExtraBytes > ckIn.cksize) {
      return TraceSoundError("mmioRead", E_FAIL);
    }
    m_pwfx = AllocateFormat(sizeof(WAVEFORMATEX) + cbExtraBytes);
    if (!m_pwfx) return TraceSoundError("new", E_FAIL);
    std::memcpy(m_pwfx, &pcmWaveFormat, sizeof(pcmWaveFormat));
    m_pwfx->cbSize = cbExtraBytes;
    char* pExtra = reinterpret_cast<char*>(m_pwfx) + sizeof(WAVEFORMATEX);
    if (mmioRead(m_hmmio, pExtra, cbExtraBytes) != cbExtraBytes) {
      FreeFormat(m_pwfx);
      m_pwfx = nullptr;
      return TraceSoundError("mmioRead", E_FAIL);
    }
  }

  if (mmioAscend(m_hmmio, &ckIn, 0) != 0) {
    FreeFormat(m_pwfx);
    m_pwfx = nullptr;
    return TraceSoundError("mmioAscend", E_FAIL);
  }
  return S_OK;
}

HRESULT CWaveFile::ResetFile() {
  if (!m_hmmio) return CO_E_NOTINITIALIZED;

  if (m_dwFlags == WAVEFILE_READ) {
    // Back to the first child chunk, just after the form type.
    if (mmioSeek(m_hmmio, static_cast<int32_t>(m_ckRiff.dwDataOffset + sizeof(FOURCC)),
                 MMIO_SEEK_SET) == -1) {
      return TraceSoundError("mmioSeek", E_FAIL);
    }
    m_ck.ckid = FOURCC_DATA;
    if (mmioDescend(m_hmmio, &m_ck, &m_ckRiff, MMIO_FINDCHUNK) != 0) {
      return TraceSoundError("mmioDescend", E_FAIL);
    }
    // A length beyond the file's end counts only what the file holds, so that a lying
    // header cannot ask for buffers of gigabytes.
    int32_t lFileEnd = mmioSeek(m_hmmio, 0, MMIO_SEEK_END);
    if (lFileEnd == -1 ||
        mmioSeek(m_hmmio, static_cast<int32_t>(m_ck.dwDataOffset), MMIO_SEEK_SET) == -1) {
      return TraceSoundError("mmioSeek", E_FAIL);
    }
    uint32_t dwHeld = static_cast<uint32_t>(lFileEnd) > m_ck.dwDataOffset
                          ? static_cast<uint32_t>(lFileEnd) - m_ck.dwDataOffset
                          : 0;
    if (m_ck.cksize > dwHeld) m_ck.cksize = dwHeld;
  } else {
    m_ck.ckid = FOURCC_DATA;
    m_ck.cksize = 0;
    if (mmioCreateChunk(m_hmmio, &m_ck, 0) != 0) {
      return TraceSoundError("mmioCreateChunk", E_FAIL);
    }
    if (mmioGetInfo(m_hmmio, &m_mmioinfoOut, 0) != 0) {
      return TraceSoundError("mmioGetInfo", E_FAIL);
    }
  }
  return S_OK;
}

HRESULT CWaveFile::Read(uint8_t* pBuffer, uint32_t dwSizeToRead, uint32_t* pdwSizeRead) {
  if (!m_hmmio) return CO_E_NOTINITIALIZED;
  if (!pBuffer || !pdwSizeRead) return E_INVALIDARG;
  *pdwSizeRead = 0;

  MMIOINFO mmioinfoIn;
  if (mmioGetInfo(m_hmmio, &mmioinfoIn, 0) != 0) return TraceSoundError("mmioGetInfo", E_FAIL);

  uint32_t cbDataIn = dwSizeToRead;
  if (cbDataIn > m_ck.cksize) cbDataIn = m_ck.cksize;
  m_ck.cksize -= cbDataIn;

  for (uint32_t cT = 0; cT < cbDataIn; ++cT) {
    if (mmioinfoIn.pchNext == mmioinfoIn.pchEndRead) {
      if (mmioAdvance(m_hmmio, &mmioinfoIn, MMIO_READ) != 0) {
        return TraceSoundError("mmioAdvance", E_FAIL);
      }
      if (mmioinfoIn.pchNext == mmioinfoIn.pchEndRead) {
        return TraceSoundError("mmioinfoIn.pchNext", E_FAIL);
      }
    }
    pBuffer[cT] = static_cast<uint8_t>(*mmioinfoIn.pchNext);
    ++mmioinfoIn.pchNext;
  }

  if (mmioSetInfo(m_hmmio, &mmioinfoIn, 0) != 0) return TraceSoundError("mmioSetInfo", E_FAIL);
  *pdwSizeRead = cbDataIn;
  return S_OK;
}

HRESULT CWaveFile::WriteMMIO(const WAVEFORMATEX* pwfxDest) {
  uint32_t dwFactChunk = 0xFFFFFFFF;
  MMCKINFO ckOut1;

  m_ckRiff.fccType = FOURCC_WAVE;
  m_ckRiff.cksize = 0;
  if (mmioCreateChunk(m_hmmio, &m_ckRiff, MMIO_CREATERIFF) != 0) {
    return TraceSoundError("mmioCreateChunk", E_FAIL);
  }

  m_ck.ckid = FOURCC_FMT;
  m_ck.cksize = sizeof(PCMWAVEFORMAT);
  if (mmioCreateChunk(m_hmmio, &m_ck, 0) != 0) return TraceSoundError("mmioCreateChunk", E_FAIL);

  const int32_t lFormatBytes = pwfxDest->wFormatTag == WAVE_FORMAT_PCM
                                   ? static_cast<int32_t>(sizeof(PCMWAVEFORMAT))
                                   : static_cast<int32_t>(sizeof(WAVEFORMATEX) + pwfxDest->cbSize);
  if (mmioWrite(m_hmmio, reinterpret_cast<const char*>(pwfxDest), lFormatBytes) != lFormatBytes) {
    return TraceSoundError("mmioWrite", E_FAIL);
  }
  if (mmioAscend(m_hmmio, &m_ck, 0) != 0) return TraceSoundError("mmioAscend", E_FAIL);

  // The sample count is not known yet; Close writes it.
  ckOut1.ckid = FOURCC_FACT;
  ckOut1.cksize = 0;
  if (mmioCreateChunk(m_hmmio, &ckOut1, 0) != 0) return TraceSoundError("mmioCreateChunk", E_FAIL);
  if (mmioWrite(m_hmmio, reinterpret_cast<const char*>(&dwFactChunk), sizeof(dwFactChunk)) !=
      static_cast<int32_t>(sizeof(dwFactChunk))) {
    return TraceSoundError("mmioWrite", E_FAIL);
  }
  if (mmioAscend(m_hmmio, &ckOut1, 0) != 0) return TraceSoundError("mmioAscend", E_FAIL);
  return S_OK;
}

HRESULT CWaveFile::Write(uint32_t nSizeToWrite, const uint8_t* pbSrcData, uint32_t* pnSizeWrote) {
  if (!m_hmmio) return CO_E_NOTINITIALIZED;
  if (!pnSizeWrote || !pbSrcData) return E_INVALIDARG;
  *pnSizeWrote = 0;

  for (uint32_t cT = 0; cT < nSizeToWrite; ++cT) {
    if (m_mmioinfoOut.pchNext == m_mmioinfoOut.pchEndWrite) {
      m_mmioinfoOut.dwFlags |= MMIO_DIRTY;
      if (mmioAdvance(m_hmmio, &m_mmioinfoOut, MMIO_WRITE) != 0) {
        return TraceSoundError("mmioAdvance", E_FAIL);
      }
    }
    *m_mmioinfoOut.pchNext = static_cast<char>(pbSrcData[cT]);
    ++m_mmioinfoOut.pchNext;
    ++*pnSizeWrote;
  }
  return S_OK;
}

HRESULT CWaveFile::Close() {
  if (m_dwFlags == WAVEFILE_READ) {
    if (m_hmmio) mmioClose(m_hmmio, 0);
    m_hmmio = nullptr;
    delete[] m_pResourceBuffer;
    m_pResourceBuffer = nullptr;
    return S_OK;
  }

  m_mmioinfoOut.dwFlags |= MMIO_DIRTY;
  if (!m_hmmio) return CO_E_NOTINITIALIZED;

  // A file that cannot be finished is still closed, so that no handle outlives it.
  auto fail = [this](const char* strCall, uint32_t dwLine = __builtin_LINE()) {
    mmioClose(m_hmmio, 0);
    m_hmmio = nullptr;
    return TraceSoundError(strCall, E_FAIL, dwLine);
  };

  if (mmioSetInfo(m_hmmio, &m_mmioinfoOut, 0) != 0) return fail("mmioSetInfo");
  if (mmioAscend(m_hmmio, &m_ck, 0) != 0) return fail("mmioAscend");
  if (mmioAscend(m_hmmio, &m_ckRiff, 0) != 0) return fail("mmioAscend");

  mmioSeek(m_hmmio, 0, MMIO_SEEK_SET);
  if (mmioDescend(m_hmmio, &m_ckRiff, nullptr, 0) != 0) {
    return fail("mmioDescend");
  }
  m_ck.ckid = FOURCC_FACT;
  if (mmioDescend(m_hmmio, &m_ck, &m_ckRiff, MMIO_FINDCHUNK) == 0) {
    uint32_t dwSamples = 0;
    mmioWrite(m_hmmio, reinterpret_cast<const char*>(&dwSamples), sizeof(dwSamples));
    mmioAscend(m_hmmio, &m_ck, 0);
  }
  if (mmioAscend(m_hmmio, &m_ckRiff, 0) != 0) return fail("mmioAscend");

  // The last bytes reach the disk only here: a failure now is a broken file.
  uint32_t mmr = mmioClose(m_hmmio, 0);
  m_hmmio = nullptr;
  if (mmr != 0) return TraceSoundError("mmioClose", E_FAIL);
  return S_OK;
}
