// Sounds and their voices on a device whose mix the test drives by hand.
#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "audio/sound.h"
#include "audio/sound_manager.h"
#include "audio/wave_file.h"
#include "platform/system/random.h"
#include "platform/system/scripted_system.h"
#include "wave_bytes.h"

namespace {

// Allocations that may fail (the nothrow ones) are counted here; when the count reaches
// failingAllocation, that one fails. 0 never fails.
int nothrowAllocations = 0;
int failingAllocation = 0;

bool NextAllocationFails() { return ++nothrowAllocations == failingAllocation; }

}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return NextAllocationFails() ? nullptr : ::operator new(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return NextAllocationFails() ? nullptr : ::operator new[](size);
}

namespace {

intptr_t NoProcedure(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

std::vector<int16_t> Ramp(size_t count) {
  std::vector<int16_t> samples(count);
  for (size_t i = 0; i < count; ++i) samples[i] = static_cast<int16_t>(i * 37 - 9000);
  return samples;
}

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous = SetSystemDriver(&scripted);
    window = CreateGameWindow("sound test", 64, 64, NoProcedure);
    SetSoundOutputMode(SoundOutputMode::Manual);
    ASSERT_EQ(manager.Initialize(window, DSSCL_PRIORITY), S_OK);
    ResetRand();
  }
  void TearDown() override {
    SetSoundOutputMode(SoundOutputMode::Speakers);
    DestroyGameWindow(window);
    SetSystemDriver(previous);
  }

  CSound* Load(const std::vector<int16_t>& samples, uint32_t flags = 0, uint32_t voices = 1) {
    CSound* sound = nullptr;
    EXPECT_EQ(manager.Create(&sound, WriteWave(MakeFormat(1, 22050, 16), Samples16(samples)).c_str(),
                             flags, GUID_NULL, voices),
              S_OK);
    return sound;
  }

  // The next frames of the mix: left, right, left, ...
  std::vector<int16_t> Mix(uint32_t frames) {
    std::vector<int16_t> out(frames * 2);
    manager.GetDirectSound()->MixOutput(out.data(), frames);
    return out;
  }

  static uint32_t Position(SoundBuffer* buffer) {
    uint32_t play = 0;
    buffer->GetCurrentPosition(&play, nullptr);
    return play;
  }

  ScriptedSystem scripted;
  SystemDriver* previous = nullptr;
  WindowHandle window = nullptr;
  CSoundManager manager;
};

TEST_F(SoundTest, TheMixFormatIsASetting) {
  ASSERT_EQ(manager.SetPrimaryBufferFormat(2, 22050, 16), S_OK);
  const WAVEFORMATEX wfx = manager.GetDirectSound()->PrimaryFormat();
  EXPECT_EQ(wfx.nBlockAlign, 4);
  EXPECT_EQ(wfx.nAvgBytesPerSec, 88200u);
  EXPECT_EQ(manager.SetPrimaryBufferFormat(0, 22050, 16), DSERR_BADFORMAT);
  EXPECT_NE(scripted.debugOutput.find("SetFormat hr=DSERR_BADFORMAT"), std::string::npos);

  CSoundManager empty;
  EXPECT_EQ(empty.SetPrimaryBufferFormat(2, 22050, 16), CO_E_NOTINITIALIZED);
  CSound* sound = nullptr;
  EXPECT_EQ(empty.Create(&sound, "x.wav"), CO_E_NOTINITIALIZED);
}

TEST_F(SoundTest, FailedCreationsLeaveNoSound) {
  CSound* const untouched = reinterpret_cast<CSound*>(0x1);
  CSound* sound = untouched;
  const std::string good = WriteWave(MakeFormat(1, 22050, 16), Samples16({1, 2}));
  EXPECT_EQ(manager.Create(&sound, good.c_str(), 0, GUID_NULL, 0), E_INVALIDARG);
  EXPECT_EQ(manager.Create(&sound, nullptr), E_INVALIDARG);
  EXPECT_EQ(manager.Create(nullptr, good.c_str()), E_INVALIDARG);
  EXPECT_EQ(manager.Create(&sound, TestFile("-missing.wav").c_str()), E_FAIL);
  EXPECT_EQ(manager.Create(&sound, WriteWave(MakeFormat(1, 22050, 16), {}, "-empty.wav").c_str()), E_FAIL);
  // 24-bit samples are no format the device plays.
  scripted.debugOutput.clear();
  EXPECT_EQ(manager.Create(&sound, WriteWave(MakeFormat(1, 22050, 24), Bytes(30, 1), "-24.wav").c_str()),
            DSERR_BADFORMAT);
  EXPECT_NE(scripted.debugOutput.find("CreateSoundBuffer hr=DSERR_BADFORMAT"), std::string::npos);
  EXPECT_EQ(sound, untouched);
}

// Every allocation of a creation fails in turn: each failure is reported, no sound
// appears and nothing stays behind (the leak check sees to that).
TEST_F(SoundTest, CreationThatRunsOutOfMemoryLeavesNothing) {
  const std::string wave = WriteWave(MakeFormat(1, 22050, 16), Samples16(Ramp(100)));
  CSound* const untouched = reinterpret_cast<CSound*>(0x1);
  HRESULT lastFailure = S_OK;
  for (int failing = 1;; ++failing) {
    ASSERT_LT(failing, 100) << "creation never got through";
    CSound* sound = untouched;
    nothrowAllocations = 0;
    failingAllocation = failing;
    const HRESULT hr = manager.Create(&sound, wave.c_str(), 0, GUID_NULL, 3);
    failingAllocation = 0;
    if (failing > nothrowAllocations) {
      // Nothing failed this time: the whole creation went through.
      ASSERT_EQ(hr, S_OK);
      ASSERT_NE(sound, untouched);
      EXPECT_EQ(sound->Play(), S_OK);
      delete sound;
      break;
    }
    EXPECT_TRUE(FAILED(hr)) << "allocation " << failing;
    EXPECT_EQ(sound, untouched) << "allocation " << failing;
    lastFailure = hr;
  }
  // The last allocation is the sound's own list of its buffers.
  EXPECT_EQ(lastFailure, E_OUTOFMEMORY);
}

TEST_F(SoundTest, SixteenBitMonoAtTheMixRateComesOutSampleForSampleOnBothChannels) {
  const std::vector<int16_t> samples = Ramp(700);
  CSound* sound = Load(samples);
  ASSERT_NE(sound, nullptr);
  ASSERT_EQ(sound->Play(), S_OK);
  const std::vector<int16_t> out = Mix(800);
  for (size_t i = 0; i < samples.size(); ++i) {
    ASSERT_EQ(out[2 * i], samples[i]) << i;
    ASSERT_EQ(out[2 * i + 1], samples[i]) << i;
  }
  for (size_t i = 2 * samples.size(); i < out.size(); ++i) ASSERT_EQ(out[i], 0);
  // Played once, it stops at its end, ready to play from the start again.
  EXPECT_FALSE(sound->IsSoundPlaying());
  EXPECT_EQ(Position(sound->GetBuffer(0)), 0u);
  delete sound;
}

TEST_F(SoundTest, StopKeepsThePlacePlayGoesOnFromItAndResetRewinds) {
  const std::vector<int16_t> samples = Ramp(500);
  CSound* sound = Load(samples);
  sound->Play();
  Mix(100);
  EXPECT_EQ(sound->Stop(), S_OK);
  EXPECT_EQ(Position(sound->GetBuffer(0)), 200u);
  EXPECT_EQ(Mix(50), std::vector<int16_t>(100, 0));
  sound->Play();
  EXPECT_EQ(Mix(1)[0], samples[100]);
  sound->Stop();
  EXPECT_EQ(sound->Reset(), S_OK);
  sound->Play();
  EXPECT_EQ(Mix(1)[0], samples[0]);
  delete sound;
}

TEST_F(SoundTest, APlayTakesTheFirstIdleVoiceOrElseARandomOne) {
  CSound* sound = Load(Ramp(1000), 0, 3);
  ASSERT_EQ(sound->m_dwNumBuffers, 3u);
  sound->Play();
  sound->Play();
  uint32_t status = 0;
  sound->GetBuffer(1)->GetStatus(&status);
  EXPECT_EQ(status, DSBSTATUS_PLAYING);
  sound->GetBuffer(2)->GetStatus(&status);
  EXPECT_EQ(status, 0u);
  sound->GetBuffer(0)->Stop();
  EXPECT_EQ(sound->GetFreeBuffer(), sound->GetBuffer(0));
  sound->Play();
  sound->Play();
  EXPECT_EQ(sound->GetFreeBuffer(), sound->GetBuffer(2)) << "the random pick: 41 % 3";
  EXPECT_EQ(Rand(), 18467) << "exactly one value was drawn";

  // The duplicates play the first voice's samples, each from its own place.
  sound->Stop();
  sound->Reset();
  sound->GetBuffer(2)->Play(0, 0, 0);
  EXPECT_EQ(Mix(1)[0], -9000);
  delete sound;
}

TEST_F(SoundTest, WithoutControlFlagsVolumeFrequencyAndPanAreNeverApplied) {
  const std::vector<int16_t> samples = Ramp(100);
  CSound* plain = Load(samples);
  plain->Play(0, 0, DSBVOLUME_MIN, 44100, DSBPAN_RIGHT);
  std::vector<int16_t> out = Mix(2);
  EXPECT_EQ(out, (std::vector<int16_t>{samples[0], samples[0], samples[1], samples[1]}));
  delete plain;

  CSound* controlled = Load(samples, DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN);
  controlled->Play(0, 0, 0, 11025, DSBPAN_LEFT);
  out = Mix(2);
  EXPECT_EQ(out[0], samples[0]);
  EXPECT_EQ(out[1], 0) << "panned fully left";
  EXPECT_EQ(out[2], samples[0] + (samples[1] - samples[0]) / 2) << "half the rate: half a frame on";
  uint32_t frequency = 0;
  controlled->Play(0, 0, 0, -1, 0);
  controlled->GetBuffer(0)->GetFrequency(&frequency);
  EXPECT_EQ(frequency, 11025u) << "-1 leaves the frequency alone";
  controlled->Play(0, 0, DSBVOLUME_MIN, -1, 0);
  EXPECT_EQ(Mix(4), std::vector<int16_t>(8, 0));
  delete controlled;
}

TEST_F(SoundTest, FillingALargerBufferPadsWithSilenceOrRepeatsTheSound) {
  for (uint16_t bits : {8, 16}) {
    SCOPED_TRACE(bits);
    const Bytes data = {1, 2, 3, 4, 5, 6};
    CSound* sound = nullptr;
    ASSERT_EQ(manager.Create(&sound, WriteWave(MakeFormat(1, 22050, bits), data).c_str()), S_OK);
    SoundBuffer* larger = nullptr;
    const WAVEFORMATEX wfx = MakeFormat(1, 22050, bits);
    DSBUFFERDESC desc{sizeof(DSBUFFERDESC), 0, 16, 0, &wfx, GUID_NULL};
    ASSERT_EQ(manager.GetDirectSound()->CreateSoundBuffer(&desc, &larger, nullptr), DS_OK);
    sound->m_dwDSBufferSize = 16;

    auto contents = [&] {
      void* bytes = nullptr;
      uint32_t length = 0;
      larger->Lock(0, 16, &bytes, &length, nullptr, nullptr, 0);
      Bytes copy(static_cast<uint8_t*>(bytes), static_cast<uint8_t*>(bytes) + length);
      larger->Unlock(bytes, length, nullptr, 0);
      return copy;
    };
    const uint8_t silence = bits == 8 ? 0x80 : 0x00;
    ASSERT_EQ(sound->FillBufferWithSound(larger, false), S_OK);
    EXPECT_EQ(contents(), (Bytes{1, 2, 3, 4, 5, 6, silence, silence, silence, silence, silence,
                                 silence, silence, silence, silence, silence}));
    ASSERT_EQ(sound->FillBufferWithSound(larger, true), S_OK);
    EXPECT_EQ(contents(), (Bytes{1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 6, 1, 2, 3, 4}));

    bool restored = true;
    EXPECT_EQ(sound->RestoreBuffer(larger, &restored), S_FALSE) << "buffers are never lost";
    EXPECT_FALSE(restored);
    larger->Release();
    delete sound;
  }
}

}  // namespace
