#pragma once
// Buffered file I/O with RIFF chunk navigation, the way the sound code was first written
// against it: a file (or a byte array in memory) is read and written through one I/O
// buffer whose next-byte and end pointers a caller may take out, use directly and give
// back; chunks are entered, searched for, created and left by their records.
#include <cstdint>

using FOURCC = uint32_t;

constexpr FOURCC mmioFOURCC(char ch0, char ch1, char ch2, char ch3) {
  return static_cast<FOURCC>(static_cast<uint8_t>(ch0)) |
         (static_cast<FOURCC>(static_cast<uint8_t>(ch1)) << 8) |
         (static_cast<FOURCC>(static_cast<uint8_t>(ch2)) << 16) |
         (static_cast<FOURCC>(static_cast<uint8_t>(ch3)) << 24);
}

constexpr FOURCC FOURCC_RIFF = mmioFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC FOURCC_LIST = mmioFOURCC('L', 'I', 'S', 'T');
constexpr FOURCC FOURCC_MEM = mmioFOURCC('M', 'E', 'M', ' ');

struct MmioFile;
using HMMIO = MmioFile*;

// Open modes and flags.
constexpr uint32_t MMIO_READ = 0x0;
constexpr uint32_t MMIO_WRITE = 0x1;
constexpr uint32_t MMIO_READWRITE = 0x2;
constexpr uint32_t MMIO_CREATE = 0x1000;
constexpr uint32_t MMIO_ALLOCBUF = 0x10000;
constexpr uint32_t MMIO_DIRTY = 0x10000000;  // the I/O buffer holds bytes not yet written out
// Descend: search for a chunk by its id (or a RIFF/LIST chunk by its form type).
constexpr uint32_t MMIO_FINDCHUNK = 0x10;
constexpr uint32_t MMIO_FINDRIFF = 0x20;
constexpr uint32_t MMIO_FINDLIST = 0x40;
// Create chunk: a RIFF or LIST chunk with a form type.
constexpr uint32_t MMIO_CREATERIFF = 0x20;
constexpr uint32_t MMIO_CREATELIST = 0x40;

constexpr uint32_t MMIO_DEFAULTBUFFER = 8192;

// Results; 0 is success.
constexpr uint32_t MMSYSERR_NOERROR = 0;
constexpr uint32_t MMSYSERR_INVALPARAM = 11;
constexpr uint32_t MMIOERR_CANNOTREAD = 261;
constexpr uint32_t MMIOERR_CANNOTWRITE = 262;
constexpr uint32_t MMIOERR_CANNOTSEEK = 263;
constexpr uint32_t MMIOERR_CHUNKNOTFOUND = 265;

// Seek origins.
constexpr int MMIO_SEEK_SET = 0;
constexpr int MMIO_SEEK_CUR = 1;
constexpr int MMIO_SEEK_END = 2;

// The buffered-I/O state. The bytes from pchBuffer up to pchEndRead are the file's bytes
// from lBufOffset on; a caller writing into the buffer may go up to pchEndWrite and must
// set MMIO_DIRTY before giving the state back.
struct MMIOINFO {
  uint32_t dwFlags = 0;
  FOURCC fccIOProc = 0;       // FOURCC_MEM: the file is the byte array in pchBuffer
  uint32_t wErrorRet = 0;     // why mmioOpen failed
  int32_t cchBuffer = 0;      // memory files: the array's length
  char* pchBuffer = nullptr;  // memory files: the array
  char* pchNext = nullptr;
  char* pchEndRead = nullptr;
  char* pchEndWrite = nullptr;
  int32_t lBufOffset = 0;
  int32_t lDiskOffset = 0;
  HMMIO hmmio = nullptr;
};

// A chunk: its id, the length of its data, the form type of a RIFF or LIST chunk, the
// file offset of its data (just after the length) and flags (MMIO_DIRTY while it is
// being written and its length is not known yet).
struct MMCKINFO {
  FOURCC ckid = 0;
  uint32_t cksize = 0;
  FOURCC fccType = 0;
  uint32_t dwDataOffset = 0;
  uint32_t dwFlags = 0;
};

// Opens a named file, or with a null name and info->fccIOProc == FOURCC_MEM the byte
// array info->pchBuffer of info->cchBuffer bytes (not copied: it must outlive the
// handle). Null on failure, with info->wErrorRet set when info is given.
HMMIO mmioOpen(const char* fileName, MMIOINFO* info, uint32_t flags);
// Writes out what the buffer still holds; 0, or MMIOERR_CANNOTWRITE when that failed.
// The handle is gone either way.
uint32_t mmioClose(HMMIO hmmio, uint32_t flags);

// The number of bytes read or written, or -1 on failure.
int32_t mmioRead(HMMIO hmmio, char* buffer, int32_t count);
int32_t mmioWrite(HMMIO hmmio, const char* buffer, int32_t count);
// The new position, or -1 on failure.
int32_t mmioSeek(HMMIO hmmio, int32_t offset, int origin);

uint32_t mmioGetInfo(HMMIO hmmio, MMIOINFO* info, uint32_t flags);
uint32_t mmioSetInfo(HMMIO hmmio, const MMIOINFO* info, uint32_t flags);
// Takes the state in info back (when given), writes the buffer out when it is dirty, moves
// the buffer to the current position and, with MMIO_READ, fills it from the file; at the
// end of the file it comes back with pchNext == pchEndRead. info then holds the new state.
uint32_t mmioAdvance(HMMIO hmmio, MMIOINFO* info, uint32_t flags);

// Flags 0: reads the chunk header at the current position. MMIO_FINDCHUNK (or FINDRIFF,
// FINDLIST): searches from the current position, within the parent when one is given, for
// the chunk whose id (or form type) is preset in chunk. Leaves the position at the chunk's
// data, past the form type of a RIFF or LIST chunk.
uint32_t mmioDescend(HMMIO hmmio, MMCKINFO* chunk, const MMCKINFO* parent, uint32_t flags);
// Moves past the chunk's end and its pad byte; for a chunk being written, first corrects
// its stored length to what was written and writes the pad byte of an odd length.
uint32_t mmioAscend(HMMIO hmmio, MMCKINFO* chunk, uint32_t flags);
// Writes a chunk header at the current position (with the form type for RIFF and LIST)
// and leaves the position at its data; the length is corrected by mmioAscend.
uint32_t mmioCreateChunk(HMMIO hmmio, MMCKINFO* chunk, uint32_t flags);
