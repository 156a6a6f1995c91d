#include "platform/audio/mmio.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

constexpr uint32_t MMIOERR_FILENOTFOUND = 257;
constexpr uint32_t MMIOERR_OUTOFMEMORY = 258;
constexpr uint32_t MMIOERR_CANNOTOPEN = 259;

// The file's bytes come from a stdio stream or from a caller's byte array; the I/O
// buffer in front of either mirrors the file from bufOffset on for endRead bytes.
struct MmioFile {
  FILE* file = nullptr;
  char* memory = nullptr;
  int64_t memorySize = 0;
  uint32_t openFlags = 0;
  FOURCC ioProc = 0;

  char* buffer = nullptr;
  int32_t bufferSize = 0;
  int64_t bufOffset = 0;
  int32_t next = 0;     // index of the next byte in the buffer
  int32_t endRead = 0;  // bytes in the buffer that hold file data (read or written)
  bool dirty = false;

  bool CanWrite() const { return (openFlags & 0x3) != MMIO_READ; }
  bool CanRead() const { return (openFlags & 0x3) != MMIO_WRITE; }
  int64_t Position() const { return bufOffset + next; }
};

namespace {

constexpr int64_t MAX_OFFSET = INT32_MAX;

int64_t ReadAt(MmioFile* h, int64_t offset, char* destination, int32_t count) {
  if (!h->CanRead()) return -1;
  if (!h->file) {
    if (offset >= h->memorySize) return 0;
    int64_t available = std::min<int64_t>(count, h->memorySize - offset);
    std::memcpy(destination, h->memory + offset, static_cast<size_t>(available));
    return available;
  }
  if (fseeko(h->file, static_cast<off_t>(offset), SEEK_SET) != 0) return -1;
  size_t got = std::fread(destination, 1, static_cast<size_t>(count), h->file);
  if (got < static_cast<size_t>(count) && std::ferror(h->file)) {
    std::clearerr(h->file);
    return -1;
  }
  return static_cast<int64_t>(got);
}

int64_t WriteAt(MmioFile* h, int64_t offset, const char* source, int32_t count) {
  if (!h->CanWrite()) return -1;
  if (!h->file) {
    // A memory file cannot grow: what lies beyond the array is not written.
    if (offset >= h->memorySize) return 0;
    int64_t room = std::min<int64_t>(count, h->memorySize - offset);
    std::memcpy(h->memory + offset, source, static_cast<size_t>(room));
    return room;
  }
  if (fseeko(h->file, static_cast<off_t>(offset), SEEK_SET) != 0) return -1;
  size_t written = std::fwrite(source, 1, static_cast<size_t>(count), h->file);
  if (written < static_cast<size_t>(count)) std::clearerr(h->file);
  return static_cast<int64_t>(written);
}

int64_t FileSize(MmioFile* h) {
  int64_t size = h->memorySize;
  if (h->file) {
    if (fseeko(h->file, 0, SEEK_END) != 0) return -1;
    size = static_cast<int64_t>(ftello(h->file));
  }
  // Bytes written into the buffer count before they reach the file.
  return std::max(size, h->bufOffset + h->endRead);
}

bool Flush(MmioFile* h) {
  if (!h->dirty) return true;
  if (h->endRead > 0 && WriteAt(h, h->bufOffset, h->buffer, h->endRead) != h->endRead) {
    return false;
  }
  h->dirty = false;
  return true;
}

// Moves the buffer to the current position, empty; false when its old bytes could not
// be written out.
bool MoveBufferToPosition(MmioFile* h) {
  if (!Flush(h)) return false;
  h->bufOffset += h->next;
  h->next = 0;
  h->endRead = 0;
  return true;
}

bool Fill(MmioFile* h) {
  if (!MoveBufferToPosition(h)) return false;
  int64_t got = ReadAt(h, h->bufOffset, h->buffer, h->bufferSize);
  if (got < 0) return false;
  h->endRead = static_cast<int32_t>(got);
  return true;
}

uint32_t ReadLe32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
         (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

void WriteLe32(uint8_t* bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

bool HasFormType(FOURCC id) { return id == FOURCC_RIFF || id == FOURCC_LIST; }

// Reads the header at the current position into chunk.
bool ReadChunkHeader(HMMIO h, MMCKINFO* chunk) {
  uint8_t header[8];
  if (mmioRead(h, reinterpret_cast<char*>(header), 8) != 8) return false;
  chunk->ckid = ReadLe32(header);
  chunk->cksize = ReadLe32(header + 4);
  chunk->dwDataOffset = static_cast<uint32_t>(h->Position());
  chunk->dwFlags = 0;
  chunk->fccType = 0;
  if (HasFormType(chunk->ckid)) {
    if (mmioRead(h, reinterpret_cast<char*>(header), 4) != 4) return false;
    chunk->fccType = ReadLe32(header);
  }
  return true;
}

bool SeekTo(HMMIO h, int64_t offset) {
  if (offset < 0 || offset > MAX_OFFSET) return false;
  return mmioSeek(h, static_cast<int32_t>(offset), MMIO_SEEK_SET) != -1;
}

}  // namespace

HMMIO mmioOpen(const char* fileName, MMIOINFO* info, uint32_t flags) {
  if (info) info->wErrorRet = 0;
  auto fail = [info](uint32_t error) -> HMMIO {
    if (info) info->wErrorRet = error;
    return nullptr;
  };

  MmioFile* h = new (std::nothrow) MmioFile;
  if (!h) return fail(MMIOERR_OUTOFMEMORY);
  h->openFlags = flags;

  if (!fileName) {
    if (!info || info->fccIOProc != FOURCC_MEM || info->cchBuffer < 0 ||
        (!info->pchBuffer && info->cchBuffer > 0)) {
      delete h;
      return fail(MMSYSERR_INVALPARAM);
    }
    h->ioProc = FOURCC_MEM;
    h->memory = info->pchBuffer;
    h->memorySize = info->cchBuffer;
  } else {
    const uint32_t access = flags & 0x3;
    const char* mode = "rb";
    if (flags & MMIO_CREATE) {
      mode = access == MMIO_WRITE ? "wb" : "w+b";
    } else if (access != MMIO_READ) {
      mode = "r+b";
    }
    h->file = std::fopen(fileName, mode);
    if (!h->file) {
      uint32_t error = errno == ENOENT ? MMIOERR_FILENOTFOUND : MMIOERR_CANNOTOPEN;
      delete h;
      return fail(error);
    }
    // A directory opens as a stream on this platform but is no file.
    struct stat status;
    if (fstat(fileno(h->file), &status) != 0 || !S_ISREG(status.st_mode)) {
      std::fclose(h->file);
      delete h;
      return fail(MMIOERR_CANNOTOPEN);
    }
  }

  h->bufferSize = static_cast<int32_t>(MMIO_DEFAULTBUFFER);
  h->buffer = new (std::nothrow) char[MMIO_DEFAULTBUFFER];
  if (!h->buffer) {
    if (h->file) std::fclose(h->file);
    delete h;
    return fail(MMIOERR_OUTOFMEMORY);
  }
  return h;
}

uint32_t mmioClose(HMMIO h, uint32_t) {
  if (!h) return MMSYSERR_INVALPARAM;
  uint32_t result = Flush(h) ? MMSYSERR_NOERROR : MMIOERR_CANNOTWRITE;
  if (h->file && std::fclose(h->file) != 0) result = MMIOERR_CANNOTWRITE;
  delete[] h->buffer;
  delete h;
  return result;
}

int32_t mmioRead(HMMIO h, char* destination, int32_t count) {
  if (!h || count < 0 || (!destination && count > 0)) return -1;
  count = static_cast<int32_t>(
      std::min<int64_t>(count, std::max<int64_t>(0, MAX_OFFSET - h->Position())));
  int32_t total = 0;
  while (total < count) {
    if (h->next >= h->endRead) {
      if (!Fill(h)) return -1;
      if (h->endRead == 0) break;  // end of file
    }
    int32_t piece = std::min(h->endRead - h->next, count - total);
    std::memcpy(destination + total, h->buffer + h->next, static_cast<size_t>(piece));
    h->next += piece;
    total += piece;
  }
  return total;
}

int32_t mmioWrite(HMMIO h, const char* source, int32_t count) {
  if (!h || count < 0 || (!source && count > 0) || !h->CanWrite()) return -1;
  if (h->Position() + count > MAX_OFFSET) return -1;
  int32_t total = 0;
  while (total < count) {
    if (h->next == h->bufferSize && !MoveBufferToPosition(h)) return -1;
    int32_t piece = std::min(h->bufferSize - h->next, count - total);
    std::memcpy(h->buffer + h->next, source + total, static_cast<size_t>(piece));
    h->next += piece;
    h->endRead = std::max(h->endRead, h->next);
    h->dirty = true;
    total += piece;
  }
  return total;
}

int32_t mmioSeek(HMMIO h, int32_t offset, int origin) {
  if (!h) return -1;
  int64_t target = 0;
  switch (origin) {
    case MMIO_SEEK_SET: target = offset; break;
    case MMIO_SEEK_CUR: target = h->Position() + offset; break;
    case MMIO_SEEK_END: {
      int64_t size = FileSize(h);
      if (size < 0) return -1;
      target = size + offset;
      break;
    }
    default: return -1;
  }
  if (target < 0 || target > MAX_OFFSET) return -1;
  if (target >= h->bufOffset && target <= h->bufOffset + h->endRead) {
    h->next = static_cast<int32_t>(target - h->bufOffset);
    return static_cast<int32_t>(target);
  }
  if (!Flush(h)) return -1;
  h->bufOffset = target;
  h->next = 0;
  h->endRead = 0;
  return static_cast<int32_t>(target);
}

uint32_t mmioGetInfo(HMMIO h, MMIOINFO* info, uint32_t) {
  if (!h || !info) return MMSYSERR_INVALPARAM;
  info->dwFlags = h->openFlags | (h->dirty ? MMIO_DIRTY : 0);
  info->fccIOProc = h->ioProc;
  info->wErrorRet = 0;
  info->cchBuffer = h->bufferSize;
  info->pchBuffer = h->buffer;
  info->pchNext = h->buffer + h->next;
  info->pchEndRead = h->buffer + h->endRead;
  info->pchEndWrite = h->buffer + h->bufferSize;
  info->lBufOffset = static_cast<int32_t>(h->bufOffset);
  info->lDiskOffset = static_cast<int32_t>(h->bufOffset + h->endRead);
  info->hmmio = h;
  return MMSYSERR_NOERROR;
}

uint32_t mmioSetInfo(HMMIO h, const MMIOINFO* info, uint32_t) {
  if (!h || !info || info->pchBuffer != h->buffer) return MMSYSERR_INVALPARAM;
  // Compared as addresses: a pointer from elsewhere must not be taken for ours.
  const uintptr_t start = reinterpret_cast<uintptr_t>(h->buffer);
  const uintptr_t next = reinterpret_cast<uintptr_t>(info->pchNext);
  if (next < start || next > start + static_cast<uintptr_t>(h->bufferSize)) {
    return MMSYSERR_INVALPARAM;
  }
  const int32_t index = static_cast<int32_t>(next - start);
  if (info->dwFlags & MMIO_DIRTY) {
    h->dirty = true;
    h->endRead = std::max(h->endRead, index);
  } else if (index > h->endRead) {
    // Beyond the data without having written anything there.
    return MMSYSERR_INVALPARAM;
  }
  h->next = index;
  return MMSYSERR_NOERROR;
}

uint32_t mmioAdvance(HMMIO h, MMIOINFO* info, uint32_t flags) {
  if (!h) return MMSYSERR_INVALPARAM;
  if (info) {
    uint32_t taken = mmioSetInfo(h, info, 0);
    if (taken != MMSYSERR_NOERROR) return taken;
  }
  if (h->Position() > MAX_OFFSET) return MMIOERR_CANNOTSEEK;
  if (!MoveBufferToPosition(h)) return MMIOERR_CANNOTWRITE;
  if (flags == MMIO_READ) {
    int64_t got = ReadAt(h, h->bufOffset, h->buffer, h->bufferSize);
    if (got < 0) return MMIOERR_CANNOTREAD;
    h->endRead = static_cast<int32_t>(got);
  }
  if (info) mmioGetInfo(h, info, 0);
  return MMSYSERR_NOERROR;
}

uint32_t mmioDescend(HMMIO h, MMCKINFO* chunk, const MMCKINFO* parent, uint32_t flags) {
  if (!h || !chunk) return MMSYSERR_INVALPARAM;
  const uint32_t search = flags & (MMIO_FINDCHUNK | MMIO_FINDRIFF | MMIO_FINDLIST);
  if (search == 0) {
    MMCKINFO found;
    if (!ReadChunkHeader(h, &found)) return MMIOERR_CHUNKNOTFOUND;
    *chunk = found;
    return MMSYSERR_NOERROR;
  }

  FOURCC wantedId = chunk->ckid;
  if (search == MMIO_FINDRIFF) wantedId = FOURCC_RIFF;
  if (search == MMIO_FINDLIST) wantedId = FOURCC_LIST;
  const bool matchType = search != MMIO_FINDCHUNK;
  const int64_t parentEnd =
      parent ? static_cast<int64_t>(parent->dwDataOffset) + parent->cksize : INT64_MAX;

  // Every step moves at least one header forward, so this ends at the parent's or the
  // file's end however the lengths lie.
  for (;;) {
    if (h->Position() + 8 > parentEnd) return MMIOERR_CHUNKNOTFOUND;
    MMCKINFO found;
    if (!ReadChunkHeader(h, &found)) return MMIOERR_CHUNKNOTFOUND;
    if (found.ckid == wantedId && (!matchType || found.fccType == chunk->fccType)) {
      *chunk = found;
      return MMSYSERR_NOERROR;
    }
    int64_t end = static_cast<int64_t>(found.dwDataOffset) + found.cksize + (found.cksize & 1);
    if (!SeekTo(h, end)) return MMIOERR_CHUNKNOTFOUND;
  }
}

uint32_t mmioAscend(HMMIO h, MMCKINFO* chunk, uint32_t) {
  if (!h || !chunk) return MMSYSERR_INVALPARAM;
  if (chunk->dwFlags & MMIO_DIRTY) {
    int64_t written = h->Position() - static_cast<int64_t>(chunk->dwDataOffset);
    if (written < 0 || written > UINT32_MAX) return MMIOERR_CANNOTSEEK;
    if (static_cast<uint32_t>(written) != chunk->cksize) {
      uint8_t size[4];
      WriteLe32(size, static_cast<uint32_t>(written));
      if (!SeekTo(h, static_cast<int64_t>(chunk->dwDataOffset) - 4)) return MMIOERR_CANNOTSEEK;
      if (mmioWrite(h, reinterpret_cast<const char*>(size), 4) != 4) return MMIOERR_CANNOTWRITE;
      chunk->cksize = static_cast<uint32_t>(written);
    }
    if (!SeekTo(h, static_cast<int64_t>(chunk->dwDataOffset) + chunk->cksize)) {
      return MMIOERR_CANNOTSEEK;
    }
    if (chunk->cksize & 1) {
      const char pad = 0;
      if (mmioWrite(h, &pad, 1) != 1) return MMIOERR_CANNOTWRITE;
    }
    chunk->dwFlags &= ~MMIO_DIRTY;
    return MMSYSERR_NOERROR;
  }
  int64_t end = static_cast<int64_t>(chunk->dwDataOffset) + chunk->cksize + (chunk->cksize & 1);
  return SeekTo(h, end) ? MMSYSERR_NOERROR : MMIOERR_CANNOTSEEK;
}

uint32_t mmioCreateChunk(HMMIO h, MMCKINFO* chunk, uint32_t flags) {
  if (!h || !chunk) return MMSYSERR_INVALPARAM;
  if (flags & MMIO_CREATERIFF) chunk->ckid = FOURCC_RIFF;
  if (flags & MMIO_CREATELIST) chunk->ckid = FOURCC_LIST;
  uint8_t header[12];
  WriteLe32(header, chunk->ckid);
  WriteLe32(header + 4, chunk->cksize);
  WriteLe32(header + 8, chunk->fccType);
  const int32_t length = HasFormType(chunk->ckid) ? 12 : 8;
  const int64_t start = h->Position();
  if (mmioWrite(h, reinterpret_cast<const char*>(header), length) != length) {
    return MMIOERR_CANNOTWRITE;
  }
  chunk->dwDataOffset = static_cast<uint32_t>(start + 8);
  chunk->dwFlags = MMIO_DIRTY;
  return MMSYSERR_NOERROR;
}
