// The wave reader against good, odd and broken files, and the writer's exact bytes. That
// a file read from memory reads as the same file by its name is the wave fuzz target's
// check, over its seed files.
#include "audio/wave_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <regex>

#include "platform/system/scripted_system.h"
#include "wave_bytes.h"

namespace {

class WaveFileTest : public ::testing::Test {
 protected:
  void SetUp() override { previous = SetSystemDriver(&scripted); }
  void TearDown() override { SetSystemDriver(previous); }

  // The trace so far with line numbers left out.
  std::string Trace() {
    return std::regex_replace(scripted.debugOutput, std::regex("\\(\\d+\\)"), "(N)");
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

// A format record as the reader hands it out: 18 bytes and the extra ones behind them.
Bytes Record(Bytes format, const Bytes& extra = {}) {
  if (format.size() == 16) PutLe(format, static_cast<uint32_t>(extra.size()), 2);
  format.insert(format.end(), extra.begin(), extra.end());
  return format;
}

Bytes RecordOf(const CWaveFile& wave) {
  const uint8_t* record = reinterpret_cast<const uint8_t*>(wave.m_pwfx);
  return record ? Bytes(record, record + sizeof(WAVEFORMATEX) + wave.m_pwfx->cbSize) : Bytes{};
}

TEST_F(WaveFileTest, GoodAndOddFilesGiveTheirFormatRecordAndSamples) {
  const Bytes samples = Samples16({1, -2, 300, -32768, 32767});
  const Bytes extra = Record(FormatBytes(2, 1, 22050, 4), {0xAB, 0xCD});  // fills its chunk exactly
  const Bytes alaw = Record(FormatBytes(6, 1, 8000, 8));                  // just the 18 bytes
  const Bytes list = Riff("INFO", {Chunk("INAM", {'a', 'b', 'c'})}, "LIST");
  const Bytes odd = {1, 2, 3, 4, 5, 6, 7};
  const struct {
    const char* what;
    Bytes file;
    Bytes record;
    Bytes samples;
  } cases[] = {
      {"PCM: its 16 bytes become an 18-byte record",
       Riff("WAVE", {Chunk("fmt ", Pcm16Mono()), Chunk("data", samples)}), Record(Pcm16Mono()),
       samples},
      {"another format keeps its extra bytes",
       Riff("WAVE", {Chunk("fmt ", extra), Chunk("data", {1, 2})}),
       extra,
       {1, 2}},
      {"another format without extra bytes",
       Riff("WAVE", {Chunk("fmt ", alaw), Chunk("data", {9})}),
       alaw,
       {9}},
      {"other chunks, odd lengths and pad bytes are stepped over",
       Riff("WAVE", {list, Chunk("junk", {9, 9, 9}), Chunk("fmt ", FormatBytes(1, 1, 8000, 8)),
                     list, Chunk("odd ", {5}), Chunk("data", odd), Chunk("tail", {1})}),
       Record(FormatBytes(1, 1, 8000, 8)), odd},
      {"a data length far beyond the file counts what the file holds",
       Riff("WAVE", {Chunk("fmt ", Pcm16Mono()), Chunk("data", Bytes(10, 3), 0x7FFFFFF0)}),
       Record(Pcm16Mono()), Bytes(10, 3)},
      {"a data length one beyond the file",
       Riff("WAVE", {Chunk("fmt ", Pcm16Mono()), Chunk("data", Bytes(10, 3), 11)}),
       Record(Pcm16Mono()), Bytes(10, 3)},
      {"an empty data chunk that ends the file",
       Riff("WAVE", {Chunk("fmt ", Pcm16Mono()), Chunk("data", {})}),
       Record(Pcm16Mono()),
       {}},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.what);
    CWaveFile wave;
    ASSERT_EQ(wave.Open(WriteTestFile(test.file, ".wav").c_str(), nullptr, WAVEFILE_READ), S_OK);
    EXPECT_EQ(RecordOf(wave), test.record);
    EXPECT_EQ(wave.GetSize(), test.samples.size());
    EXPECT_EQ(ReadAll(wave), test.samples);
    EXPECT_EQ(scripted.debugOutput, "");
  }
}

// Each refusal is two trace lines: the step that failed and the one that called it.
TEST_F(WaveFileTest, BrokenFilesAreRefusedWithTheStepThatFailed) {
  const Bytes data = Chunk("data", {0, 0});
  const Bytes fmt = Chunk("fmt ", Pcm16Mono());
  Bytes cut = Riff("WAVE", {fmt});
  cut.resize(cut.size() - 4);
  Bytes tooMuchExtra = FormatBytes(2, 1, 22050, 4);
  PutLe(tooMuchExtra, 3, 2);  // one more than its chunk holds; the data follows
  tooMuchExtra.insert(tooMuchExtra.end(), {1, 2});
  Bytes riffEndsEarly = Riff("WAVE", {fmt, data});
  riffEndsEarly[4] = 4 + 24;  // the data chunk lies beyond the RIFF chunk's end
  const struct {
    const char* what;
    Bytes file;
    const char* step;
    const char* caller;
  } cases[] = {
      {"a format chunk of 15 bytes", Riff("WAVE", {Chunk("fmt ", Bytes(15, 1)), data}),
       "sizeof(PCMWAVEFORMAT)", "ReadMMIO"},
      {"no RIFF", Riff("WAVE", {fmt, data}, "RIFX"), "mmioFOURCC", "ReadMMIO"},
      {"no WAVE", Riff("AVI ", {fmt, data}), "mmioFOURCC", "ReadMMIO"},
      {"no format", Riff("WAVE", {data}), "mmioDescend", "ReadMMIO"},
      {"no data", Riff("WAVE", {fmt}), "mmioDescend", "ResetFile"},
      {"data beyond the RIFF chunk", riffEndsEarly, "mmioDescend", "ResetFile"},
      {"nothing", {}, "mmioDescend", "ReadMMIO"},
      {"a format record cut short", cut, "mmioRead", "ReadMMIO"},
      {"extra bytes reaching beyond their chunk",
       Riff("WAVE", {Chunk("fmt ", tooMuchExtra), Chunk("data", Bytes(64, 7))}), "mmioRead",
       "ReadMMIO"},
      {"another format too short to hold its extra count",
       Riff("WAVE", {Chunk("fmt ", FormatBytes(2, 1, 22050, 4)), data}), "mmioRead", "ReadMMIO"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.what);
    scripted.debugOutput.clear();
    CWaveFile wave;
    EXPECT_EQ(wave.Open(WriteTestFile(test.file, ".wav").c_str(), nullptr, WAVEFILE_READ), E_FAIL);
    EXPECT_EQ(wave.GetSize(), 0u);
    EXPECT_EQ(Trace(), std::string("directsound(N): ") + test.step + " hr=E_FAIL (0x80004005)\n" +
                           "directsound(N): " + test.caller + " hr=E_FAIL (0x80004005)\n");
  }
  EXPECT_TRUE(scripted.questions.empty());

  CWaveFile missing;
  EXPECT_EQ(missing.Open(TestFile("-missing.wav").c_str(), nullptr, WAVEFILE_READ), E_FAIL);
  EXPECT_EQ(missing.GetSize(), 0u);
  EXPECT_NE(scripted.debugOutput.find("FindResource hr=E_FAIL"), std::string::npos);
}

TEST_F(WaveFileTest, MisuseGivesItsCodeAndOpeningAgainClosesFirst) {
  CWaveFile closed;
  uint8_t byte = 0;
  uint32_t count = 0;
  EXPECT_EQ(closed.Read(&byte, 1, &count), CO_E_NOTINITIALIZED);
  EXPECT_EQ(closed.ResetFile(), CO_E_NOTINITIALIZED);
  EXPECT_EQ(closed.Write(1, &byte, &count), CO_E_NOTINITIALIZED);
  EXPECT_EQ(closed.Open(nullptr, nullptr, WAVEFILE_READ), E_INVALIDARG);
  EXPECT_EQ(closed.Open(TestFile(".wav").c_str(), nullptr, WAVEFILE_WRITE), E_INVALIDARG);

  const std::string name = WriteWave(MakeFormat(1, 22050, 8), {10, 20, 30});
  const Bytes file = ReadFileBytes(name);
  CWaveFile wave;
  ASSERT_EQ(wave.Open(name.c_str(), nullptr, WAVEFILE_READ), S_OK);
  EXPECT_EQ(wave.Read(nullptr, 2, &count), E_INVALIDARG);
  EXPECT_EQ(wave.Read(&byte, 1, nullptr), E_INVALIDARG);
  // Opening again closes what was open first (the leak check sees to that).
  ASSERT_EQ(wave.OpenFromMemory(file.data(), static_cast<uint32_t>(file.size())), S_OK);
  ASSERT_EQ(wave.Open(name.c_str(), nullptr, WAVEFILE_READ), S_OK);
  EXPECT_EQ(ReadAll(wave), (Bytes{10, 20, 30}));
  EXPECT_EQ(scripted.debugOutput, "");

  CWaveFile nowhere;
  WAVEFORMATEX wfx = MakeFormat(1, 22050, 16);
  EXPECT_EQ(nowhere.Open((TestFile("-no-such-dir") + "/x.wav").c_str(), &wfx, WAVEFILE_WRITE),
            E_FAIL);
  EXPECT_NE(scripted.debugOutput.find("mmioOpen hr=E_FAIL"), std::string::npos);
}

TEST_F(WaveFileTest, TheWriterMakesExactFilesThatReadBackInPiecesAndAgainAfterAReset) {
  Bytes samples(30001);  // more than three I/O buffers, and odd
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 13 + i / 256);
  const WAVEFORMATEX stereo = MakeFormat(2, 22050, 16);
  const WAVEFORMATEX alaw = MakeFormat(1, 8000, 8, 6);
  const Bytes fact = Chunk("fact", {0, 0, 0, 0});  // the sample count, written as 0
  const struct {
    const WAVEFORMATEX& format;
    Bytes samples;
    Bytes fmt;  // PCM without the extra count, others with it
  } cases[] = {
      {stereo, samples, FormatBytes(WAVE_FORMAT_PCM, 2, 22050, 16)},
      {alaw, {1, 2, 3, 4}, Record(FormatBytes(6, 1, 8000, 8))},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.format.wFormatTag);
    const std::string name = WriteWave(test.format, test.samples);
    EXPECT_EQ(ReadFileBytes(name),
              Riff("WAVE", {Chunk("fmt ", test.fmt), fact, Chunk("data", test.samples)}));
    CWaveFile wave;
    ASSERT_EQ(wave.Open(name.c_str(), nullptr, WAVEFILE_READ), S_OK);
    EXPECT_EQ(std::memcmp(wave.m_pwfx, &test.format, sizeof(WAVEFORMATEX)), 0);
    Bytes gathered;
    uint8_t piece[3000];
    uint32_t read = 0;
    do {
      ASSERT_EQ(wave.Read(piece, sizeof(piece), &read), S_OK);
      gathered.insert(gathered.end(), piece, piece + read);
    } while (read == sizeof(piece));
    EXPECT_EQ(read, test.samples.size() % 3000u) << "the last piece is what remained";
    EXPECT_EQ(gathered, test.samples);
    ASSERT_EQ(wave.ResetFile(), S_OK);
    EXPECT_EQ(ReadAll(wave), test.samples);
  }
}

}  // namespace
