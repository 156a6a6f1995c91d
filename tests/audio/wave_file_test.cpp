// The wave reader against good, odd and broken files, and the writer's round trip.
#include <gtest/gtest.h>

#include <cstring>
#include <algorithm>
#include <regex>

#include "audio/wave_file.h"
#include "platform/system/scripted_system.h"
#include "wave_bytes.h"

namespace {

class WaveFileTest : public ::testing::Test {
 protected:
  void SetUp() override { previous = SetSystemDriver(&scripted); }
  void TearDown() override { SetSystemDriver(previous); }

  // Opens the bytes as a file, expecting the open to fail with the given traced name.
  void ExpectRefused(const Bytes& bytes, const char* tracedName) {
    SCOPED_TRACE(tracedName);
    scripted.debugOutput.clear();
    CWaveFile wave;
    EXPECT_EQ(wave.Open(SaveBytes(bytes).c_str(), nullptr, WAVEFILE_READ), E_FAIL);
    EXPECT_EQ(wave.GetSize(), 0u);
    EXPECT_NE(scripted.debugOutput.find(std::string(": ") + tracedName + " hr=E_FAIL"),
              std::string::npos)
        << scripted.debugOutput;
  }

  ScriptedSystem scripted;
  SystemDriver* previous = nullptr;
};

Bytes ReadAll(CWaveFile& wave) {
  Bytes data(wave.GetSize() + 10);
  uint32_t read = 0;
  EXPECT_EQ(wave.Read(data.data(), static_cast<uint32_t>(data.size()), &read), S_OK);
  data.resize(read);
  return data;
}

TEST_F(WaveFileTest, PcmFormatBecomesAnEighteenByteRecordAndTheSamplesReadBack) {
  const Bytes samples = Samples16({1, -2, 300, -32768, 32767});
  CWaveFile wave;
  ASSERT_EQ(wave.Open(SaveBytes(Riff("WAVE", {Chunk("fmt ", Pcm16Mono()), Chunk("data", samples)})).c_str(),
                      nullptr, WAVEFILE_READ),
            S_OK);
  ASSERT_NE(wave.m_pwfx, nullptr);
  const WAVEFORMATEX expected = MakeFormat(1, 22050, 16);
  EXPECT_EQ(std::memcmp(wave.m_pwfx, &expected, sizeof expected), 0);
  EXPECT_EQ(wave.GetSize(), samples.size());
  EXPECT_EQ(ReadAll(wave), samples);
  EXPECT_TRUE(scripted.debugOutput.empty());
}

TEST_F(WaveFileTest, OtherFormatsKeepTheirExtraBytesFromTheFile) {
  Bytes format = FormatBytes(2, 1, 22050, 4);
  PutLe(format, 2, 2);  // cbSize
  format.push_back(0xAB);
  format.push_back(0xCD);
  CWaveFile wave;
  ASSERT_EQ(wave.Open(SaveBytes(Riff("WAVE", {Chunk("fmt ", format), Chunk("data", {1, 2})})).c_str(),
                      nullptr, WAVEFILE_READ),
            S_OK);
  ASSERT_EQ(wave.m_pwfx->cbSize, 2);
  const uint8_t* extra = reinterpret_cast<const uint8_t*>(wave.m_pwfx) + sizeof(WAVEFORMATEX);
  EXPECT_EQ(Bytes(extra, extra + 2), (Bytes{0xAB, 0xCD}));
}

TEST_F(WaveFileTest, BrokenFilesAreRefusedWithTheStepThatFailed) {
  const Bytes data = Chunk("data", {0, 0});
  ExpectRefused(Riff("WAVE", {Chunk("fmt ", Bytes(14, 1)), data}), "sizeof(PCMWAVEFORMAT)");
  ExpectRefused(Riff("WAVE", {Chunk("fmt ", Pcm16Mono()), data}, "RIFX"), "mmioFOURCC");
  ExpectRefused(Riff("AVI ", {Chunk("fmt ", Pcm16Mono()), data}), "mmioFOURCC");
  ExpectRefused(Riff("WAVE", {data}), "mmioDescend");
  ExpectRefused(Riff("WAVE", {Chunk("fmt ", Pcm16Mono())}), "mmioDescend");
  ExpectRefused(Bytes{}, "mmioDescend");
  // A truncated format record.
  Bytes cut = Riff("WAVE", {Chunk("fmt ", Pcm16Mono())});
  cut.resize(cut.size() - 4);
  ExpectRefused(cut, "mmioRead");
  // An extra count reaching beyond its chunk, into the data that follows.
  Bytes lying = FormatBytes(2, 1, 22050, 4);
  PutLe(lying, 6, 2);
  ExpectRefused(Riff("WAVE", {Chunk("fmt ", lying), Chunk("data", Bytes(64, 7))}), "mmioRead");
  // A format of another kind too short to hold its extra count.
  ExpectRefused(Riff("WAVE", {Chunk("fmt ", FormatBytes(2, 1, 22050, 4)), data}), "mmioRead");

  scripted.debugOutput.clear();
  CWaveFile missing;
  EXPECT_EQ(missing.Open(TestFile("-missing.wav").c_str(), nullptr, WAVEFILE_READ), E_FAIL);
  EXPECT_EQ(missing.GetSize(), 0u);
  EXPECT_NE(scripted.debugOutput.find("FindResource hr=E_FAIL"), std::string::npos);
}

TEST_F(WaveFileTest, EachFailureIsOneTraceLineNamingTheSoundSource) {
  CWaveFile wave;
  wave.Open(SaveBytes(Riff("AVI ", {})).c_str(), nullptr, WAVEFILE_READ);
  const std::regex expected(
      "directsound\\(\\d+\\): mmioFOURCC hr=E_FAIL \\(0x80004005\\)\n"
      "directsound\\(\\d+\\): ReadMMIO hr=E_FAIL \\(0x80004005\\)\n");
  EXPECT_TRUE(std::regex_match(scripted.debugOutput, expected)) << scripted.debugOutput;
  EXPECT_TRUE(scripted.questions.empty());
}

TEST_F(WaveFileTest, OtherChunksOddLengthsAndPaddingAreSteppedOver) {
  const Bytes samples = {1, 2, 3, 4, 5, 6, 7};  // 8-bit, odd length
  const Bytes list = Riff("INFO", {Chunk("INAM", {'a', 'b', 'c'})}, "LIST");
  const Bytes file = Riff("WAVE", {list, Chunk("junk", {9, 9, 9}), Chunk("fmt ", FormatBytes(1, 1, 8000, 8)),
                                   list, Chunk("odd ", {5}), Chunk("data", samples), Chunk("tail", {1})});
  CWaveFile wave;
  ASSERT_EQ(wave.Open(SaveBytes(file).c_str(), nullptr, WAVEFILE_READ), S_OK);
  EXPECT_EQ(wave.m_pwfx->wBitsPerSample, 8);
  EXPECT_EQ(ReadAll(wave), samples);
}

TEST_F(WaveFileTest, ReadsInPiecesToTheEndAndResetStartsAgain) {
  Bytes samples(20001);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 13 + i / 256);
  CWaveFile wave;
  ASSERT_EQ(wave.Open(WriteWave(MakeFormat(1, 22050, 8), samples).c_str(), nullptr, WAVEFILE_READ), S_OK);

  Bytes gathered;
  uint8_t piece[3000];
  uint32_t read = 0;
  do {
    ASSERT_EQ(wave.Read(piece, sizeof(piece), &read), S_OK);
    gathered.insert(gathered.end(), piece, piece + read);
  } while (read == sizeof(piece));
  EXPECT_EQ(read, 20001u % 3000u);  // the last piece is what remained
  EXPECT_EQ(gathered, samples);
  EXPECT_EQ(wave.Read(piece, sizeof(piece), &read), S_OK);
  EXPECT_EQ(read, 0u);

  ASSERT_EQ(wave.ResetFile(), S_OK);
  EXPECT_EQ(wave.m_ck.cksize, samples.size());
  EXPECT_EQ(ReadAll(wave), samples);
}

TEST_F(WaveFileTest, ADataLengthBeyondTheFileCountsOnlyWhatTheFileHolds) {
  Bytes file = Riff("WAVE", {Chunk("fmt ", Pcm16Mono()), Chunk("data", Bytes(10, 3), 0x7FFFFFF0)});
  CWaveFile wave;
  ASSERT_EQ(wave.Open(SaveBytes(file).c_str(), nullptr, WAVEFILE_READ), S_OK);
  EXPECT_EQ(wave.GetSize(), 10u);
  EXPECT_EQ(ReadAll(wave), Bytes(10, 3));
}

TEST_F(WaveFileTest, MisuseGivesItsCodeAndLeavesTheFileAlone) {
  CWaveFile closed;
  uint8_t byte = 0;
  uint32_t count = 0;
  EXPECT_EQ(closed.Read(&byte, 1, &count), CO_E_NOTINITIALIZED);
  EXPECT_EQ(closed.ResetFile(), CO_E_NOTINITIALIZED);
  EXPECT_EQ(closed.Write(1, &byte, &count), CO_E_NOTINITIALIZED);
  EXPECT_EQ(closed.Open(nullptr, nullptr, WAVEFILE_READ), E_INVALIDARG);
  EXPECT_EQ(closed.Open(TestFile(".wav").c_str(), nullptr, WAVEFILE_WRITE), E_INVALIDARG);

  CWaveFile wave;
  ASSERT_EQ(wave.Open(WriteWave(MakeFormat(1, 22050, 8), {10, 20, 30}).c_str(), nullptr, WAVEFILE_READ), S_OK);
  EXPECT_EQ(wave.Read(nullptr, 2, &count), E_INVALIDARG);
  EXPECT_EQ(wave.Read(&byte, 1, nullptr), E_INVALIDARG);
  EXPECT_EQ(ReadAll(wave), (Bytes{10, 20, 30}));
  EXPECT_TRUE(scripted.debugOutput.empty());

  CWaveFile nowhere;
  WAVEFORMATEX wfx = MakeFormat(1, 22050, 16);
  EXPECT_EQ(nowhere.Open((TestFile("-no-such-dir") + "/x.wav").c_str(), &wfx, WAVEFILE_WRITE), E_FAIL);
  EXPECT_NE(scripted.debugOutput.find("mmioOpen hr=E_FAIL"), std::string::npos);
}

TEST_F(WaveFileTest, WrittenFilesReadBackWithTheirFormatDataAndAZeroFactChunk) {
  Bytes samples(30001);  // more than one I/O buffer, and odd
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 7);
  const WAVEFORMATEX wfx = MakeFormat(2, 22050, 16);
  const std::string name = WriteWave(wfx, samples);

  const Bytes file = ReadFileBytes(name);
  ASSERT_GE(file.size(), 12u);
  EXPECT_EQ(file.size() % 2, 0u);
  uint32_t riffSize;
  std::memcpy(&riffSize, file.data() + 4, 4);
  EXPECT_EQ(riffSize, file.size() - 8);
  const Bytes fact = {'f', 'a', 'c', 't', 4, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_NE(std::search(file.begin(), file.end(), fact.begin(), fact.end()), file.end());

  CWaveFile wave;
  ASSERT_EQ(wave.Open(name.c_str(), nullptr, WAVEFILE_READ), S_OK);
  EXPECT_EQ(std::memcmp(wave.m_pwfx, &wfx, sizeof(wfx)), 0);
  EXPECT_EQ(ReadAll(wave), samples);

  // The same bytes from memory read the same.
  CWaveFile fromMemory;
  ASSERT_EQ(fromMemory.OpenFromMemory(file.data(), static_cast<uint32_t>(file.size())), S_OK);
  EXPECT_EQ(ReadAll(fromMemory), samples);

  // Another format (a-law) is written with its extra count, without which it is refused.
  WAVEFORMATEX alaw = MakeFormat(1, 8000, 8);
  alaw.wFormatTag = 6;
  CWaveFile other;
  ASSERT_EQ(other.Open(WriteWave(alaw, {1, 2, 3, 4}, "-alaw.wav").c_str(), nullptr, WAVEFILE_READ), S_OK);
  EXPECT_EQ(std::memcmp(other.m_pwfx, &alaw, sizeof alaw), 0);
  EXPECT_EQ(ReadAll(other), (Bytes{1, 2, 3, 4}));
}

}  // namespace
