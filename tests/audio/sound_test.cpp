// Sounds and their voices, and the game's sound bank, on a device whose mix the test
// drives by hand. (A machine without sound is the game's own test, in environment/.)
#include "audio/sound.h"

#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "audio/sound_bank.h"
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

std::vector<int16_t> Ramp(size_t count, int start = -9000, int step = 37) {
  std::vector<int16_t> samples(count);
  for (size_t i = 0; i < count; ++i) samples[i] = static_cast<int16_t>(start + int(i) * step);
  return samples;
}

std::string Wave(const std::vector<int16_t>& samples, const char* suffix = ".wav") {
  return WriteWave(MakeFormat(1, 22050, 16), Samples16(samples), suffix);
}

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous = SetSystemDriver(&scripted);
    window = CreateGameWindow("sound test", 64, 64, IgnoreMessages);
    SetSoundOutputMode(SoundOutputMode::Manual);
    ASSERT_EQ(manager.Initialize(window, DSSCL_PRIORITY), S_OK);
    ResetRand();
  }
  void TearDown() override {
    ReleaseSound();
    SetSoundOutputMode(SoundOutputMode::Speakers);
    DestroyGameWindow(window);
    SetSystemDriver(previous);
  }

  CSound* Load(const std::vector<int16_t>& samples, uint32_t flags = 0, uint32_t voices = 1) {
    CSound* sound = nullptr;
    EXPECT_EQ(manager.Create(&sound, Wave(samples).c_str(), flags, GUID_NULL, voices), S_OK);
    return sound;
  }

  // The next frames of the mix (the test's own device, or the bank's): left, right, ...
  std::vector<int16_t> Mix(uint32_t frames, CSoundManager* from = nullptr) {
    std::vector<int16_t> out(frames * 2);
    (from ? from : &manager)->GetDirectSound()->MixOutput(out.data(), frames);
    return out;
  }

  ScriptedSystem scripted;
  SystemDriver* previous = nullptr;
  WindowHandle window = nullptr;
  CSoundManager manager;
};

// (The mix format the bank sets is the device's own already: nothing reads it back.)
TEST_F(SoundTest, ARefusedMixFormatIsTracedAndAManagerWithoutADeviceRefusesAll) {
  EXPECT_EQ(manager.SetPrimaryBufferFormat(0, 22050, 16), DSERR_BADFORMAT);
  EXPECT_NE(scripted.debugOutput.find("SetFormat hr=DSERR_BADFORMAT"), std::string::npos);

  CSoundManager empty;
  EXPECT_EQ(empty.SetPrimaryBufferFormat(2, 22050, 16), CO_E_NOTINITIALIZED);
  CSound* sound = nullptr;
  EXPECT_EQ(empty.Create(&sound, "x.wav"), CO_E_NOTINITIALIZED);
}

TEST_F(SoundTest, FailedCreationsLeaveNoSoundEvenWhenMemoryRunsOut) {
  CSound* const untouched = reinterpret_cast<CSound*>(0x1);
  CSound* sound = untouched;
  const std::string good = Wave({1, 2});
  EXPECT_EQ(manager.Create(&sound, good.c_str(), 0, GUID_NULL, 0), E_INVALIDARG);
  EXPECT_EQ(manager.Create(&sound, nullptr), E_INVALIDARG);
  EXPECT_EQ(manager.Create(nullptr, good.c_str()), E_INVALIDARG);
  EXPECT_EQ(manager.Create(&sound, Wave({}, "-empty.wav").c_str()), E_FAIL);
  // 24-bit samples are no format the device plays.
  scripted.debugOutput.clear();
  EXPECT_EQ(
      manager.Create(&sound, WriteWave(MakeFormat(1, 22050, 24), Bytes(30, 1), "-24.wav").c_str()),
      DSERR_BADFORMAT);
  EXPECT_NE(scripted.debugOutput.find("CreateSoundBuffer hr=DSERR_BADFORMAT"), std::string::npos);
  EXPECT_EQ(sound, untouched);

  // Every allocation of a creation fails in turn: each failure is reported, no sound
  // appears and nothing stays behind (the leak check sees to that).
  const std::string wave = Wave(Ramp(100));
  HRESULT lastFailure = S_OK;
  for (int failing = 1;; ++failing) {
    ASSERT_LT(failing, 100) << "creation never got through";
    sound = untouched;
    nothrowAllocations = 0;
    failingAllocation = failing;
    const HRESULT hr = manager.Create(&sound, wave.c_str(), 0, GUID_NULL, 3);
    failingAllocation = 0;
    if (failing >
        nothrowAllocations) {  // nothing failed this time: the whole creation went through
      ASSERT_EQ(hr, S_OK);
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

TEST_F(SoundTest, SamplesComeOutAsTheyAreStopKeepsThePlaceAndResetRewinds) {
  const std::vector<int16_t> samples = Ramp(700);
  CSound* sound = Load(samples);
  ASSERT_NE(sound, nullptr);
  ASSERT_EQ(sound->Play(), S_OK);
  std::vector<int16_t> out = Mix(100);
  EXPECT_EQ(sound->Stop(), S_OK);
  Mix(STOP_FADE_FRAMES);  // heard fading out, the place kept
  EXPECT_EQ(Mix(50), std::vector<int16_t>(100, 0));
  sound->Play();
  for (int16_t sample : Mix(700)) out.push_back(sample);
  // Mono on both sides at the mix rate, sample for sample (on from where it stopped),
  // then silence.
  for (size_t i = 0; i < samples.size(); ++i) {
    ASSERT_EQ(out[2 * i], samples[i]) << i;
    ASSERT_EQ(out[2 * i + 1], samples[i]) << i;
  }
  EXPECT_EQ(std::vector<int16_t>(out.begin() + 1400, out.end()), std::vector<int16_t>(200, 0));
  // Played once, it stops at its end.
  EXPECT_FALSE(sound->IsSoundPlaying());
  sound->Play();
  Mix(10);
  sound->Stop();
  Mix(STOP_FADE_FRAMES);
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
  EXPECT_EQ(sound->GetFreeBuffer(), sound->GetBuffer(2)) << "voices 0 and 1 play";
  sound->GetBuffer(0)->Stop();
  EXPECT_EQ(sound->GetFreeBuffer(), sound->GetBuffer(0));
  sound->Play();
  sound->Play();
  EXPECT_EQ(sound->GetFreeBuffer(), sound->GetBuffer(2)) << "the random pick: 41 % 3";
  EXPECT_EQ(Rand(), 18467) << "exactly one value was drawn";

  // The duplicates play the first voice's samples, each from its own place.
  sound->Stop();
  Mix(STOP_FADE_FRAMES);
  sound->Reset();
  sound->GetBuffer(2)->Play(0, 0, 0);
  EXPECT_EQ(Mix(1)[0], -9000);
  delete sound;
}

TEST_F(SoundTest, WithoutControlFlagsVolumeFrequencyAndPanAreNeverApplied) {
  const std::vector<int16_t> samples = Ramp(100);
  CSound* plain = Load(samples);
  plain->Play(0, 0, DSBVOLUME_MIN, 44100, DSBPAN_RIGHT);
  EXPECT_EQ(Mix(2), (std::vector<int16_t>{samples[0], samples[0], samples[1], samples[1]}));
  delete plain;

  CSound* controlled = Load(samples, DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN);
  controlled->Play(0, 0, 0, 11025, DSBPAN_LEFT);
  const std::vector<int16_t> out = Mix(2);
  EXPECT_EQ(out[0], samples[0]);
  EXPECT_EQ(out[1], 0) << "panned fully left";
  EXPECT_EQ(out[2], samples[0] + (samples[1] - samples[0]) / 2) << "half the rate: half a frame on";
  controlled->Play(0, 0, DSBVOLUME_MIN, -1, 0);
  EXPECT_EQ(Mix(4), std::vector<int16_t>(8, 0));
  uint32_t frequency = 0;
  controlled->GetBuffer(0)->GetFrequency(&frequency);
  EXPECT_EQ(frequency, 11025u) << "-1 leaves the frequency alone";
  delete controlled;
}

TEST_F(SoundTest, FillingALargerBufferPadsWithSilenceOrRepeatsTheSound) {
  for (uint16_t bits : {8, 16}) {
    SCOPED_TRACE(bits);
    const WAVEFORMATEX wfx = MakeFormat(1, 22050, bits);
    CSound* sound = nullptr;
    ASSERT_EQ(manager.Create(&sound, WriteWave(wfx, {1, 2, 3, 4, 5, 6}).c_str()), S_OK);
    SoundBuffer* larger = nullptr;
    DSBUFFERDESC desc{sizeof(DSBUFFERDESC), 0, 16, 0, &wfx, GUID_NULL};
    ASSERT_EQ(manager.GetDirectSound()->CreateSoundBuffer(&desc, &larger, nullptr), DS_OK);
    sound->m_dwDSBufferSize = 16;
    auto contents = [&] {
      void* bytes = nullptr;
      uint32_t length = 0;
      larger->Lock(0, 16, &bytes, &length, nullptr, nullptr, 0);
      larger->Unlock(bytes, length, nullptr, 0);
      return Bytes(static_cast<uint8_t*>(bytes), static_cast<uint8_t*>(bytes) + length);
    };
    ASSERT_EQ(sound->FillBufferWithSound(larger, false), S_OK);
    Bytes padded = {1, 2, 3, 4, 5, 6};
    padded.resize(16, bits == 8 ? 0x80 : 0x00);
    EXPECT_EQ(contents(), padded);
    ASSERT_EQ(sound->FillBufferWithSound(larger, true), S_OK);
    EXPECT_EQ(contents(), (Bytes{1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 6, 1, 2, 3, 4}));
    larger->Release();
    delete sound;
  }
}

// (A sound file missing or damaged is named, and the game plays on without it: the
// game's own test, in environment/.)
TEST_F(SoundTest, TheBankPlaysEachSoundAsOneVoice) {
  ASSERT_TRUE(InitSound(window));
  CSound* music = LoadSound(Wave(Ramp(400, 1000, 1), "-music.wav"));
  ASSERT_NE(music, nullptr);

  // Firing twice within the sound's length: one continuous sound, not two.
  PlaySoundOnce(music);
  EXPECT_EQ(Mix(100, soundManager)[198], 1099);
  PlaySoundOnce(music);
  EXPECT_EQ(Mix(1, soundManager)[0], 1100);

  // Requested every frame, the looping music keeps going over its end.
  for (int frame = 0; frame < 5; ++frame) {
    PlaySoundLooped(music);
    Mix(100, soundManager);
  }
  EXPECT_EQ(Mix(1, soundManager)[0], 1000 + (101 + 500) % 400);

  StopSound(music);
  Mix(STOP_FADE_FRAMES, soundManager);
  EXPECT_EQ(Mix(10, soundManager), std::vector<int16_t>(20, 0));
  PlaySoundLooped(music);
  EXPECT_EQ(Mix(1, soundManager)[0], 1000 + (102 + 500) % 400) << "goes on from where it stopped";
  delete music;
}

TEST_F(SoundTest, TheBankLoadsNamesUpTo254Characters) {
  ASSERT_TRUE(InitSound(window));
  const size_t folder = TestFile("").size();
  const std::string longest = Wave(Ramp(10), (std::string(254 - folder - 4, 'n') + ".wav").c_str());
  const std::string tooLong = Wave(Ramp(10), (std::string(255 - folder - 4, 'm') + ".wav").c_str());
  ASSERT_EQ(longest.size(), 254u);
  CSound* loaded = LoadSound(longest);
  EXPECT_NE(loaded, nullptr);
  delete loaded;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(LoadSound(tooLong), nullptr);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("longer than 254"), std::string::npos);
}

}  // namespace
