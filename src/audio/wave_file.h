#pragma once
// A RIFF "WAVE" sound file: its format record and its sample data handed out in pieces,
// or a new file that sample data is streamed into.
#include <cstdint>

#include "platform/audio/mmio.h"
#include "platform/audio/wave_format.h"
#include "platform/hresult.h"

constexpr uint32_t WAVEFILE_READ = 1;
constexpr uint32_t WAVEFILE_WRITE = 2;

class CWaveFile {
 public:
  WAVEFORMATEX* m_pwfx;        // owned; 18 + cbSize bytes; null until a file has been read
  HMMIO m_hmmio;               // null while no file is open
  MMCKINFO m_ck;               // the "data" chunk; while reading, its size is what is left to read
  MMCKINFO m_ckRiff;           // the outer "RIFF" chunk
  uint32_t m_dwSize;           // bytes of sample data found by the last successful open for reading
  MMIOINFO m_mmioinfoOut;      // the I/O buffer's state while writing
  uint32_t m_dwFlags;          // WAVEFILE_READ, or any other value for writing
  uint8_t* m_pResourceBuffer;  // owned copy of an embedded wave, when it came from one

  CWaveFile();
  ~CWaveFile();
  CWaveFile(const CWaveFile&) = delete;
  CWaveFile& operator=(const CWaveFile&) = delete;

  // Reading (WAVEFILE_READ): pwfx is not used. Writing (any other mode): pwfx is the
  // format of the new file.
  HRESULT Open(const char* strFileName, const WAVEFORMATEX* pwfx, uint32_t dwFlags);
  // Reads a wave held in memory, which must outlive the object's use of it.
  HRESULT OpenFromMemory(const uint8_t* pbData, uint32_t ulDataSize);
  HRESULT Close();

  HRESULT Read(uint8_t* pBuffer, uint32_t dwSizeToRead, uint32_t* pdwSizeRead);
  HRESULT Write(uint32_t nSizeToWrite, const uint8_t* pbSrcData, uint32_t* pnSizeWrote);

  uint32_t GetSize() const { return m_dwSize; }
  HRESULT ResetFile();
  WAVEFORMATEX* GetFormat() const { return m_pwfx; }

 protected:
  HRESULT OpenForReading();
  HRESULT ReadMMIO();
  HRESULT WriteMMIO(const WAVEFORMATEX* pwfxDest);
};
