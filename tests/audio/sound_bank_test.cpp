// The game's sounds: loading by name, playing and stopping. (A machine without sound is
// the game's own test, in environment/.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/sound.h"
#include "audio/sound_bank.h"
#include "audio/sound_manager.h"
#include "platform/system/scripted_system.h"
#include "wave_bytes.h"

namespace {

intptr_t NoProcedure(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

class SoundBankTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous = SetSystemDriver(&scripted);
    window = CreateGameWindow("sound bank test", 64, 64, NoProcedure);
    SetSoundOutputMode(SoundOutputMode::Manual);
  }
  void TearDown() override {
    ReleaseSound();
    SetSoundOutputMode(SoundOutputMode::Speakers);
    DestroyGameWindow(window);
    SetSystemDriver(previous);
  }

  std::string Wave(size_t frames, const char* suffix) {
    std::vector<int16_t> samples(frames);
    for (size_t i = 0; i < frames; ++i) samples[i] = static_cast<int16_t>(1000 + i);
    return WriteWave(MakeFormat(1, 22050, 16), Samples16(samples), suffix);
  }

  std::vector<int16_t> Mix(uint32_t frames) {
    std::vector<int16_t> out(frames * 2);
    soundManager->GetDirectSound()->MixOutput(out.data(), frames);
    return out;
  }

  ScriptedSystem scripted;
  SystemDriver* previous = nullptr;
  WindowHandle window = nullptr;
};

TEST_F(SoundBankTest, AMissingSoundIsNullAndTheOthersStillPlay) {
  ASSERT_TRUE(InitSound(window));
  CSound* accordion = LoadSound(Wave(50, "-accordion.wav"));
  ::testing::internal::CaptureStderr();
  CSound* splat = LoadSound(TestFile("-splat.wav"));
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot load the sound"), std::string::npos);
  CSound* squish = LoadSound(Wave(50, "-squish.wav"));
  ASSERT_NE(accordion, nullptr);
  EXPECT_EQ(splat, nullptr);
  ASSERT_NE(squish, nullptr);

  PlaySoundOnce(splat);
  PlaySoundOnce(squish);
  EXPECT_EQ(Mix(1)[0], 1000);
  delete accordion;
  delete squish;
}

TEST_F(SoundBankTest, RepeatedRequestsContinueOneSoundAndStopPausesIt) {
  ASSERT_TRUE(InitSound(window));
  CSound* music = LoadSound(Wave(400, "-music.wav"));
  ASSERT_NE(music, nullptr);
  // Firing twice within the sound's length: one continuous sound, not two.
  PlaySoundOnce(music);
  EXPECT_EQ(Mix(100)[198], 1099);
  PlaySoundOnce(music);
  EXPECT_EQ(Mix(1)[0], 1100);

  // Requested every frame, the looping music keeps going over its end.
  for (int frame = 0; frame < 5; ++frame) {
    PlaySoundLooped(music);
    Mix(100);
  }
  EXPECT_EQ(Mix(1)[0], 1000 + (101 + 500) % 400);

  StopSound(music);
  EXPECT_EQ(Mix(10), std::vector<int16_t>(20, 0));
  PlaySoundLooped(music);
  EXPECT_EQ(Mix(1)[0], 1000 + (102 + 500) % 400) << "goes on from where it stopped";
  delete music;
}

TEST_F(SoundBankTest, NamesUpTo254CharactersLoad) {
  ASSERT_TRUE(InitSound(window));
  const std::string directory = ::testing::TempDir() + std::to_string(getpid()) + "_";
  auto nameOfLength = [&](size_t length) {
    return directory + std::string(length - directory.size() - 4, 'n') + ".wav";
  };
  const std::string longest = nameOfLength(254);
  const std::string tooLong = nameOfLength(255);
  ASSERT_EQ(longest.size(), 254u);
  std::rename(Wave(10, "-254.wav").c_str(), longest.c_str());
  std::rename(Wave(10, "-255.wav").c_str(), tooLong.c_str());

  CSound* loaded = LoadSound(longest);
  EXPECT_NE(loaded, nullptr);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(LoadSound(tooLong), nullptr);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("longer than 254"), std::string::npos);
  delete loaded;
  std::remove(longest.c_str());
  std::remove(tooLong.c_str());
}

}  // namespace
