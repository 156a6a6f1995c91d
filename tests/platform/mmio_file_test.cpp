// Buffered RIFF file I/O: chunk lengths and padding, searching, the shared buffer state,
// and memory files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/mmio.h"

namespace {

std::string TempName(const char* suffix) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return ::testing::TempDir() + "zf_mmio_" + info->name() + suffix;
}

std::vector<char> FileBytes(const std::string& name) {
  std::vector<char> bytes;
  FILE* file = std::fopen(name.c_str(), "rb");
  if (!file) return bytes;
  int c;
  while ((c = std::fgetc(file)) != EOF) bytes.push_back(static_cast<char>(c));
  std::fclose(file);
  return bytes;
}

uint32_t Le32(const std::vector<char>& bytes, size_t at) {
  uint32_t value;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

TEST(MmioFileTest, WrittenChunksGetTheirLengthsAndPadBytes) {
  const std::string name = TempName(".riff");
  HMMIO h = mmioOpen(name.c_str(), nullptr, MMIO_ALLOCBUF | MMIO_READWRITE | MMIO_CREATE);
  ASSERT_NE(h, nullptr);
  MMCKINFO riff{};
  riff.fccType = mmioFOURCC('T', 'E', 'S', 'T');
  ASSERT_EQ(mmioCreateChunk(h, &riff, MMIO_CREATERIFF), 0u);
  MMCKINFO odd{};
  odd.ckid = mmioFOURCC('o', 'd', 'd', ' ');
  odd.cksize = 100;  // wrong on purpose: corrected when leaving the chunk
  ASSERT_EQ(mmioCreateChunk(h, &odd, 0), 0u);
  ASSERT_EQ(mmioWrite(h, "abc", 3), 3);
  ASSERT_EQ(mmioAscend(h, &odd, 0), 0u);
  EXPECT_EQ(odd.cksize, 3u);
  MMCKINFO big{};
  big.ckid = mmioFOURCC('b', 'i', 'g', ' ');
  ASSERT_EQ(mmioCreateChunk(h, &big, 0), 0u);
  std::vector<char> payload(20000);
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>(i);
  ASSERT_EQ(mmioWrite(h, payload.data(), 20000), 20000);
  ASSERT_EQ(mmioAscend(h, &big, 0), 0u);
  ASSERT_EQ(mmioAscend(h, &riff, 0), 0u);
  ASSERT_EQ(mmioClose(h, 0), 0u);

  const std::vector<char> bytes = FileBytes(name);
  ASSERT_EQ(bytes.size(), 12u + 8 + 4 + 8 + 20000);
  EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8);
  EXPECT_EQ(Le32(bytes, 16), 3u);
  EXPECT_EQ(bytes[23], 0) << "pad byte";
  EXPECT_EQ(Le32(bytes, 28), 20000u);

  // Read back: a search inside the RIFF chunk steps over the odd chunk and its pad.
  h = mmioOpen(name.c_str(), nullptr, MMIO_ALLOCBUF | MMIO_READ);
  ASSERT_NE(h, nullptr);
  MMCKINFO parent{};
  ASSERT_EQ(mmioDescend(h, &parent, nullptr, 0), 0u);
  EXPECT_EQ(parent.fccType, riff.fccType);
  MMCKINFO found{};
  found.ckid = big.ckid;
  ASSERT_EQ(mmioDescend(h, &found, &parent, MMIO_FINDCHUNK), 0u);
  EXPECT_EQ(found.dwDataOffset, 32u);
  std::vector<char> back(30000);
  EXPECT_EQ(mmioRead(h, back.data(), 30000), 20000) << "only what the file holds";
  back.resize(20000);
  EXPECT_EQ(back, payload);
  found.ckid = odd.ckid;
  EXPECT_EQ(mmioDescend(h, &found, &parent, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
  mmioClose(h, 0);
  std::remove(name.c_str());
}

TEST(MmioFileTest, TheBufferStateIsHandedOutAndTakenBack) {
  const std::string name = TempName(".bin");
  HMMIO h = mmioOpen(name.c_str(), nullptr, MMIO_ALLOCBUF | MMIO_READWRITE | MMIO_CREATE);
  ASSERT_NE(h, nullptr);
  MMIOINFO info{};
  ASSERT_EQ(mmioGetInfo(h, &info, 0), 0u);
  // Write 10000 bytes straight into the buffer, flushing whenever it is full.
  for (int i = 0; i < 10000; ++i) {
    if (info.pchNext == info.pchEndWrite) {
      info.dwFlags |= MMIO_DIRTY;
      ASSERT_EQ(mmioAdvance(h, &info, MMIO_WRITE), 0u);
    }
    *info.pchNext++ = static_cast<char>(i % 251);
  }
  info.dwFlags |= MMIO_DIRTY;
  ASSERT_EQ(mmioSetInfo(h, &info, 0), 0u);
  EXPECT_EQ(mmioSeek(h, 0, MMIO_SEEK_CUR), 10000);
  EXPECT_EQ(mmioSeek(h, -10, MMIO_SEEK_END), 9990);
  EXPECT_EQ(mmioSeek(h, -1, MMIO_SEEK_SET), -1);

  // Read it the same way, to the end of the file.
  ASSERT_EQ(mmioSeek(h, 0, MMIO_SEEK_SET), 0);
  ASSERT_EQ(mmioGetInfo(h, &info, 0), 0u);
  int count = 0;
  bool allMatch = true;
  for (;;) {
    if (info.pchNext == info.pchEndRead) {
      ASSERT_EQ(mmioAdvance(h, &info, MMIO_READ), 0u);
      if (info.pchNext == info.pchEndRead) break;
    }
    allMatch = allMatch && *info.pchNext++ == static_cast<char>(count % 251);
    ++count;
  }
  EXPECT_EQ(count, 10000);
  EXPECT_TRUE(allMatch);
  ASSERT_EQ(mmioSetInfo(h, &info, 0), 0u);

  // A pointer that is not into the buffer is refused.
  MMIOINFO foreign = info;
  char elsewhere = 0;
  foreign.pchNext = &elsewhere;
  EXPECT_EQ(mmioSetInfo(h, &foreign, 0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(mmioClose(h, 0), 0u);
  std::remove(name.c_str());
}

TEST(MmioFileTest, MemoryFilesAreReadInPlaceAndNeverGrow) {
  char bytes[] = {'L', 'I', 'S', 'T', 4, 0, 0, 0, 'a', 'b', 'c', 'd', 'x', 'y', 'z', 'w'};
  MMIOINFO info{};
  info.fccIOProc = FOURCC_MEM;
  info.pchBuffer = bytes;
  info.cchBuffer = sizeof(bytes);
  HMMIO h = mmioOpen(nullptr, &info, MMIO_ALLOCBUF | MMIO_READ);
  ASSERT_NE(h, nullptr);
  MMCKINFO list{};
  ASSERT_EQ(mmioDescend(h, &list, nullptr, 0), 0u);
  EXPECT_EQ(list.ckid, FOURCC_LIST);
  EXPECT_EQ(list.fccType, mmioFOURCC('a', 'b', 'c', 'd'));
  ASSERT_EQ(mmioAscend(h, &list, 0), 0u);
  char rest[8] = {};
  EXPECT_EQ(mmioRead(h, rest, 8), 4);
  EXPECT_EQ(std::string(rest), "xyzw");
  EXPECT_EQ(mmioWrite(h, "q", 1), -1) << "opened for reading";
  EXPECT_EQ(mmioDescend(h, &list, nullptr, 0), MMIOERR_CHUNKNOTFOUND);
  mmioClose(h, 0);

  info.fccIOProc = 0;
  EXPECT_EQ(mmioOpen(nullptr, &info, MMIO_READ), nullptr);
  EXPECT_EQ(mmioOpen(TempName(".missing").c_str(), &info, MMIO_READ), nullptr);
  EXPECT_NE(info.wErrorRet, 0u);
  EXPECT_EQ(mmioOpen(::testing::TempDir().c_str(), nullptr, MMIO_READ), nullptr) << "a directory";
}

TEST(MmioFileTest, LyingChunkLengthsEndTheSearchInsteadOfLoopingOrOverflowing) {
  for (char top : {'\x7F', '\xFF'}) {
    char bytes[] = {'j', 'u', 'n', 'k', '\xF0', '\xFF', '\xFF', top, 'd', 'a', 't', 'a', 0, 0, 0, 0};
    MMIOINFO info{};
    info.fccIOProc = FOURCC_MEM;
    info.pchBuffer = bytes;
    info.cchBuffer = sizeof(bytes);
    HMMIO h = mmioOpen(nullptr, &info, MMIO_ALLOCBUF | MMIO_READ);
    ASSERT_NE(h, nullptr);
    MMCKINFO chunk{};
    chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    EXPECT_EQ(mmioDescend(h, &chunk, nullptr, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    mmioClose(h, 0);
  }
}

}  // namespace
