// Buffered RIFF file I/O: chunk lengths and padding, searching, the shared buffer state,
// and memory files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../test_files.h"
#include "platform/audio/mmio.h"

namespace {

uint32_t Le32(const std::vector<uint8_t>& bytes, size_t at) {
  uint32_t value;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

TEST(MmioFileTest, AWrittenChunkLengthIsCorrectedAndItsStateIsCheckedWhenGivenBack) {
  const std::string name = TestFile(".riff");
  HMMIO h = mmioOpen(name.c_str(), nullptr, MMIO_ALLOCBUF | MMIO_READWRITE | MMIO_CREATE);
  ASSERT_NE(h, nullptr);
  MMCKINFO odd{};
  odd.ckid = mmioFOURCC('o', 'd', 'd', ' ');
  odd.cksize = 100;  // wrong on purpose: corrected when leaving the chunk
  ASSERT_EQ(mmioCreateChunk(h, &odd, 0), 0u);
  ASSERT_EQ(mmioWrite(h, "abc", 3), 3);
  ASSERT_EQ(mmioAscend(h, &odd, 0), 0u);
  EXPECT_EQ(odd.cksize, 3u);
  EXPECT_EQ(mmioSeek(h, 0, MMIO_SEEK_CUR), 12) << "past the pad byte";
  EXPECT_EQ(mmioSeek(h, -1, MMIO_SEEK_SET), -1);

  // A pointer that is not into the buffer is refused.
  MMIOINFO info{};
  ASSERT_EQ(mmioGetInfo(h, &info, 0), 0u);
  char elsewhere = 0;
  info.pchNext = &elsewhere;
  EXPECT_EQ(mmioSetInfo(h, &info, 0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(mmioClose(h, 0), 0u);
  const std::vector<uint8_t> bytes = ReadFileBytes(name);
  ASSERT_EQ(bytes.size(), 12u);
  EXPECT_EQ(Le32(bytes, 4), 3u);
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
  EXPECT_EQ(mmioOpen(TestFile(".missing").c_str(), &info, MMIO_READ), nullptr);
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
