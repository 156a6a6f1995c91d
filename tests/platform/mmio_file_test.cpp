// Buffered RIFF file I/O: chunk lengths and padding, searching, the shared buffer state,
// and memory files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../audio/wave_bytes.h"
#include "platform/audio/mmio.h"

namespace {

HMMIO OpenMemory(char* bytes, int32_t size, uint32_t flags = MMIO_READ) {
  MMIOINFO info{};
  info.fccIOProc = FOURCC_MEM;
  info.pchBuffer = bytes;
  info.cchBuffer = size;
  return mmioOpen(nullptr, &info, MMIO_ALLOCBUF | flags);
}

TEST(MmioFileTest, WrittenChunksGetTheirLengthsAndPadBytes) {
  const std::string name = TestFile(".riff");
  HMMIO h = mmioOpen(name.c_str(), nullptr, MMIO_ALLOCBUF | MMIO_READWRITE | MMIO_CREATE);
  ASSERT_NE(h, nullptr);
  MMCKINFO riff{};
  riff.fccType = mmioFOURCC('t', 'e', 's', 't');
  ASSERT_EQ(mmioCreateChunk(h, &riff, MMIO_CREATERIFF), 0u);
  MMCKINFO odd{};
  odd.ckid = mmioFOURCC('o', 'd', 'd', ' ');
  odd.cksize = 100;  // wrong on purpose: corrected when leaving the chunk
  ASSERT_EQ(mmioCreateChunk(h, &odd, 0), 0u);
  ASSERT_EQ(mmioWrite(h, "abc", 3), 3);
  EXPECT_EQ(mmioSeek(h, 0, MMIO_SEEK_END), 23) << "bytes still in the buffer count";
  ASSERT_EQ(mmioAscend(h, &odd, 0), 0u);
  EXPECT_EQ(odd.cksize, 3u);
  EXPECT_EQ(mmioSeek(h, 0, MMIO_SEEK_CUR), 24) << "past the pad byte";
  ASSERT_EQ(mmioAscend(h, &riff, 0), 0u);
  EXPECT_EQ(mmioSeek(h, -1, MMIO_SEEK_SET), -1);

  // A pointer that is not into the buffer is refused.
  MMIOINFO info{};
  ASSERT_EQ(mmioGetInfo(h, &info, 0), 0u);
  char elsewhere = 0;
  info.pchNext = &elsewhere;
  EXPECT_EQ(mmioSetInfo(h, &info, 0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(mmioClose(h, 0), 0u);
  EXPECT_EQ(ReadFileBytes(name), Riff("test", {Chunk("odd ", {'a', 'b', 'c'})}));
}

TEST(MmioFileTest, MemoryFilesAreReadInPlaceAndNeverGrow) {
  char bytes[] = "LIST\4\0\0\0abcdLIST\5\0\0\0INFOx\0tail";
  HMMIO h = OpenMemory(bytes, sizeof(bytes) - 1);
  ASSERT_NE(h, nullptr);
  MMCKINFO list{};
  ASSERT_EQ(mmioDescend(h, &list, nullptr, 0), 0u);
  EXPECT_EQ(list.ckid, FOURCC_LIST);
  EXPECT_EQ(list.fccType, mmioFOURCC('a', 'b', 'c', 'd'));
  ASSERT_EQ(mmioSeek(h, 0, MMIO_SEEK_SET), 0);
  list.fccType = mmioFOURCC('I', 'N', 'F', 'O');
  ASSERT_EQ(mmioDescend(h, &list, nullptr, MMIO_FINDLIST), 0u) << "found by its form type";
  EXPECT_EQ(list.dwDataOffset, 20u);
  ASSERT_EQ(mmioAscend(h, &list, 0), 0u);
  char rest[8] = {};
  EXPECT_EQ(mmioRead(h, rest, 8), 4);
  EXPECT_EQ(std::string(rest), "tail");
  EXPECT_EQ(mmioWrite(h, "q", 1), -1) << "opened for reading";
  EXPECT_EQ(mmioDescend(h, &list, nullptr, 0), MMIOERR_CHUNKNOTFOUND);
  mmioClose(h, 0);

  // What lies beyond the array, or beyond the largest offset, is never written.
  char eight[] = "abcdefgh";
  h = OpenMemory(eight, 4, MMIO_READWRITE);  // only the first four are the file's
  ASSERT_EQ(mmioSeek(h, 2, MMIO_SEEK_SET), 2);
  ASSERT_EQ(mmioWrite(h, "123456", 6), 6);
  EXPECT_EQ(mmioClose(h, 0), MMIOERR_CANNOTWRITE);
  EXPECT_EQ(std::string(eight), "ab12efgh");
  h = OpenMemory(eight, 4, MMIO_READWRITE);
  ASSERT_EQ(mmioSeek(h, INT32_MAX - 1, MMIO_SEEK_SET), INT32_MAX - 1);
  EXPECT_EQ(mmioWrite(h, "ab", 2), -1);
  EXPECT_EQ(mmioWrite(h, "a", 1), 1);
  EXPECT_EQ(mmioClose(h, 0), MMIOERR_CANNOTWRITE);

  MMIOINFO info{};
  EXPECT_EQ(mmioOpen(nullptr, &info, MMIO_READ), nullptr) << "no memory file";
  EXPECT_EQ(mmioOpen(TestFile(".missing").c_str(), &info, MMIO_READ), nullptr);
  EXPECT_NE(info.wErrorRet, 0u);
  EXPECT_EQ(mmioOpen(::testing::TempDir().c_str(), nullptr, MMIO_READ), nullptr) << "a directory";
}

TEST(MmioFileTest, LyingChunkLengthsEndTheSearchInsteadOfLoopingOrOverflowing) {
  for (char top : {'\x7F', '\xFF'}) {
    char bytes[] = {'j', 'u', 'n', 'k', '\xF0', '\xFF', '\xFF', top,
                    'd', 'a', 't', 'a', 0,      0,      0,      0};
    HMMIO h = OpenMemory(bytes, sizeof(bytes));
    ASSERT_NE(h, nullptr);
    MMCKINFO chunk{};
    chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    EXPECT_EQ(mmioDescend(h, &chunk, nullptr, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    mmioClose(h, 0);
  }
}

}  // namespace
