// A machine short of devices: no sound output, the output removed during play with none
// to take its place, and no installed font matching the game's faces.
// Each is said in a line naming what is missing, and the game plays on.
#include <string>

#include "audio/sound_bank.h"
#include "audio/sound_manager.h"
#include "watched_game.h"

namespace {

TEST(DevicesTest, WithoutASoundDeviceTheGameSaysSoOnceAndPlaysSilent) {
  ScopedEnvironment noDriver("SDL_AUDIODRIVER", "none");
  WatchedGame game;
  std::string printed;
  ASSERT_TRUE(game.Start(&printed)) << printed;
  EXPECT_EQ(LinesNaming(printed, "no sound device"), 1) << printed;
  EXPECT_EQ(world.musicSound, nullptr);
  // No sound is looked for either: one line says it all.
  EXPECT_EQ(LinesNaming(printed, ".wav"), 0) << printed;
  EXPECT_EQ(game.Play(60), "");
}

TEST(DevicesTest, AnOutputRemovedWithNoneLeftIsSaidOnceAndTakenUpAgain) {
  ScopedEnvironment dummy("SDL_AUDIODRIVER", "dummy");
  WatchedGame game;
  std::string printed;
  ASSERT_TRUE(game.Start(&printed)) << printed;
  ASSERT_NE(soundManager, nullptr);
  SoundDevice* device = soundManager->GetDirectSound();
  ASSERT_NE(device, nullptr);
  ASSERT_NE(device->OutputId(), 0u);
  game.Play(10);

  // Removed with none left (a replacement is the device's own test): said once however
  // long it lasts, and the game plays on.
  SetSoundOutputMode(SoundOutputMode::Missing);
  device->MarkOutputLost();
  printed = game.Play(200);
  SetSoundOutputMode(SoundOutputMode::Speakers);
  EXPECT_EQ(LinesNaming(printed, "went away"), 1) << printed;
  EXPECT_EQ(LinesNaming(printed, "no sound output now"), 1) << printed;
  EXPECT_EQ(device->OutputId(), 0u);

  // An output that returns is taken up again without a word.
  EXPECT_EQ(game.Play(200), "");
  EXPECT_NE(device->OutputId(), 0u);
}

TEST(DevicesTest, WithoutAnyFontEachFaceIsNamedAndTheScoreGoesUndrawn) {
  ScopedEnvironment noDriver("SDL_AUDIODRIVER", "none");
  ScopedFonts noFonts(TestFile("_no_fonts"), false);
  WatchedGame game;
  std::string printed;
  ASSERT_TRUE(game.Start(&printed)) << printed;
  EXPECT_EQ(LinesNaming(printed, "no font face at all for \"Arial Bold\""), 1) << printed;
  EXPECT_EQ(LinesNaming(printed, "no font face at all for \"Arial\""), 1) << printed;
  EXPECT_EQ(world.fontScore, nullptr);
  EXPECT_EQ(game.Play(30), "");
}

}  // namespace
