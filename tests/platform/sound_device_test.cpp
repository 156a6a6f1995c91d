// The sound device over SDL's output: an output that goes away during play (with or
// without another to take its place), the buffers' own rules, and what the mix makes of
// many loud voices and of the player's volume.
#include "platform/audio/sound_device.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/system/scripted_system.h"

namespace {

const WAVEFORMATEX MONO16 = {WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};

SoundBuffer* MakeBuffer(SoundDevice* device, uint32_t bytes, uint32_t flags = 0,
                        const WAVEFORMATEX* format = &MONO16) {
  DSBUFFERDESC desc{sizeof(DSBUFFERDESC), flags, bytes, 0, format, GUID_NULL};
  SoundBuffer* buffer = nullptr;
  EXPECT_EQ(device->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
  return buffer;
}

uint32_t Position(SoundBuffer* buffer) {
  uint32_t play = 0;
  buffer->GetCurrentPosition(&play, nullptr);
  return play;
}

uint32_t Status(SoundBuffer* buffer) {
  uint32_t status = 0;
  buffer->GetStatus(&status);
  return status;
}

// As SDL reports the device's output unplugged.
void PushOutputRemoved(SoundDevice* device) {
  SDL_Event removed{};
  removed.type = SDL_AUDIODEVICEREMOVED;
  removed.adevice.which = device->OutputId();
  SDL_PushEvent(&removed);
}

TEST(SoundDeviceTest, ARemovedOutputIsReplacedAndEveryBufferKeepsItsState) {
  SoundDevice* device = nullptr;
  ASSERT_EQ(DirectSoundCreate8(nullptr, &device, nullptr), DS_OK);
  ASSERT_NE(device->OutputId(), 0u);
  SoundBuffer* paused = MakeBuffer(device, 44100);
  SoundBuffer* looping = MakeBuffer(device, 44100);
  paused->SetCurrentPosition(1234);
  looping->Play(0, 0, DSBPLAY_LOOPING);

  // Twice: the second output is watched as the first was.
  for (int removal = 0; removal < 2; ++removal) {
    ::testing::internal::CaptureStderr();
    PushOutputRemoved(device);
    EXPECT_EQ(Status(looping), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("went away"), std::string::npos);
    EXPECT_NE(device->OutputId(), 0u);
    EXPECT_EQ(SDL_GetAudioDeviceStatus(device->OutputId()), SDL_AUDIO_PLAYING);
    EXPECT_EQ(Position(paused), 1234u);
    // The new output mixes: the looping buffer moves on (as long as a busy machine needs).
    const uint32_t before = Position(looping);
    for (int wait = 0; wait < 500 && Position(looping) == before; ++wait) SDL_Delay(10);
    EXPECT_NE(Position(looping), before);
  }
  looping->Release();
  paused->Release();
  EXPECT_EQ(device->Release(), 0u);
}

TEST(SoundDeviceTest, WithoutAnOutputBuffersMoveOnByTheClockUnheard) {
  ScriptedSystem system;  // its clock is the game's
  SystemDriver* previous = SetSystemDriver(&system);
  system.clock = 5000;
  SoundDevice* device = nullptr;
  ASSERT_EQ(DirectSoundCreate8(nullptr, &device, nullptr), DS_OK);
  SoundBuffer* loop = MakeBuffer(device, 88200);  // 2 s
  loop->Play(0, 0, DSBPLAY_LOOPING);

  // The output goes away, and this machine has no other.
  SetSoundOutputMode(SoundOutputMode::Missing);
  ::testing::internal::CaptureStderr();
  PushOutputRemoved(device);
  const uint32_t loopStart = Position(loop);  // wherever the output had taken it
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find("no sound output now"), std::string::npos) << message;
  ASSERT_EQ(device->OutputId(), 0u);

  // A 0.5 s sound started meanwhile ends on time; the loop keeps its place.
  SoundBuffer* shot = MakeBuffer(device, 22050);
  shot->Play(0, 0, 0);
  const auto loopAt = [&](uint32_t milliseconds) {
    return (loopStart + milliseconds * 22050 / 1000 * 2) % 88200;
  };
  system.clock += 293;
  Position(loop);
  system.clock += 7;  // parts of a frame carried over: 293 ms and 7 ms make 6615 frames
  EXPECT_EQ(Position(shot), 300u * 22050 / 1000 * 2);
  EXPECT_EQ(Position(loop), loopAt(300));
  system.clock += 200;
  EXPECT_EQ(Status(shot), 0u);
  EXPECT_EQ(Position(shot), 0u);
  system.clock += 1600;  // past the loop's end: it wrapped
  EXPECT_EQ(Position(loop), loopAt(2100));
  EXPECT_EQ(Status(loop), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);

  // An output returns: the loop goes on from where it is; the finished sound stays quiet.
  SetSoundOutputMode(SoundOutputMode::Speakers);
  system.clock += 1000;
  EXPECT_EQ(Position(loop), loopAt(3100));
  ASSERT_NE(device->OutputId(), 0u);
  EXPECT_EQ(Status(shot), 0u);
  const uint32_t resumed = Position(loop);
  for (int wait = 0; wait < 500 && Position(loop) == resumed; ++wait) SDL_Delay(10);
  EXPECT_NE(Position(loop), resumed);

  shot->Release();
  loop->Release();
  EXPECT_EQ(device->Release(), 0u);
  SetSystemDriver(previous);
}

TEST(SoundDeviceTest, BuffersFollowTheirRules) {
  SetSoundOutputMode(SoundOutputMode::Manual);
  SoundDevice* device = nullptr;
  ASSERT_EQ(DirectSoundCreate8(nullptr, &device, nullptr), DS_OK);

  // The formats the mix plays, and the sizes a buffer may have.
  const struct {
    uint16_t tag, channels, bits;
    uint32_t rate;
    uint16_t align;
    uint32_t bytes;
    HRESULT result;
  } formats[] = {
      {1, 1, 8, 22050, 1, 4, DS_OK},
      {1, 2, 16, 22050, 4, 4, DS_OK},
      {1, 1, 16, 100, 2, 4, DS_OK},
      {1, 1, 16, 200000, 2, 4, DS_OK},
      {1, 1, 16, 99, 2, 4, DSERR_BADFORMAT},
      {1, 1, 16, 200001, 2, 4, DSERR_BADFORMAT},
      {1, 3, 8, 22050, 3, 6, DSERR_BADFORMAT},
      {1, 0, 8, 22050, 0, 4, DSERR_BADFORMAT},
      {1, 1, 24, 22050, 3, 6, DSERR_BADFORMAT},
      {1, 1, 16, 22050, 4, 4, DSERR_BADFORMAT},
      {2, 1, 16, 22050, 2, 4, DSERR_BADFORMAT},
      {1, 1, 8, 22050, 1, 3, DSERR_INVALIDPARAM},
  };
  for (const auto& row : formats) {
    SCOPED_TRACE(&row - formats);
    const WAVEFORMATEX format = {row.tag,   row.channels, row.rate, row.rate * row.align,
                                 row.align, row.bits,     0};
    DSBUFFERDESC desc{sizeof(DSBUFFERDESC), 0, row.bytes, 0, &format, GUID_NULL};
    SoundBuffer* buffer = nullptr;
    EXPECT_EQ(device->CreateSoundBuffer(&desc, &buffer, nullptr), row.result);
    if (buffer) buffer->Release();
  }

  // Settings within their ranges only; frequency 0 is the buffer's own.
  SoundBuffer* controlled =
      MakeBuffer(device, 8, DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY);
  for (int32_t volume : {-10000, 0}) EXPECT_EQ(controlled->SetVolume(volume), DS_OK);
  for (int32_t volume : {-10001, 1}) EXPECT_EQ(controlled->SetVolume(volume), DSERR_INVALIDPARAM);
  for (int32_t pan : {-10000, 10000}) EXPECT_EQ(controlled->SetPan(pan), DS_OK);
  for (int32_t pan : {-10001, 10001}) EXPECT_EQ(controlled->SetPan(pan), DSERR_INVALIDPARAM);
  for (uint32_t rate : {100u, 200000u, 0u}) EXPECT_EQ(controlled->SetFrequency(rate), DS_OK);
  for (uint32_t rate : {99u, 200001u})
    EXPECT_EQ(controlled->SetFrequency(rate), DSERR_INVALIDPARAM);
  uint32_t frequency = 0;
  controlled->GetFrequency(&frequency);
  EXPECT_EQ(frequency, 22050u);
  controlled->Release();

  // A region that runs past the end comes in two pieces.
  SoundBuffer* original = MakeBuffer(device, 8);
  void* first = nullptr;
  void* second = nullptr;
  uint32_t firstBytes = 0;
  uint32_t secondBytes = 0;
  ASSERT_EQ(original->Lock(6, 4, &first, &firstBytes, &second, &secondBytes, 0), DS_OK);
  EXPECT_EQ(firstBytes, 2u);
  EXPECT_EQ(secondBytes, 2u);
  static_cast<int16_t*>(first)[0] = 4000;
  static_cast<int16_t*>(second)[0] = 1000;
  EXPECT_EQ(original->Unlock(first, firstBytes, second, secondBytes), DS_OK);
  EXPECT_EQ(original->Lock(6, 4, &first, &firstBytes, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
  EXPECT_EQ(original->Lock(8, 1, &first, &firstBytes, &second, &secondBytes, 0),
            DSERR_INVALIDPARAM);
  EXPECT_EQ(original->Lock(0, 9, &first, &firstBytes, &second, &secondBytes, 0),
            DSERR_INVALIDPARAM);
  EXPECT_EQ(original->Unlock(first, firstBytes, nullptr, 0), DSERR_INVALIDCALL) << "not locked";

  // A duplicate plays the same samples from its own position.
  SoundBuffer* duplicate = nullptr;
  ASSERT_EQ(device->DuplicateSoundBuffer(original, &duplicate), DS_OK);
  original->SetCurrentPosition(7);  // within the last frame
  original->Play(0, 0, 0);
  duplicate->Play(0, 0, 0);
  int16_t out[2];
  device->MixOutput(out, 1);
  EXPECT_EQ(out[0], 4000 + 1000);
  EXPECT_EQ(Position(original), 0u) << "played once to its end";
  EXPECT_EQ(Position(duplicate), 2u);

  // Samples being written are not mixed.
  ASSERT_EQ(original->Lock(0, 0, &first, &firstBytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER),
            DS_OK);
  EXPECT_EQ(firstBytes, 8u);
  device->MixOutput(out, 1);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(Position(duplicate), 2u);
  original->Unlock(first, firstBytes, nullptr, 0);

  EXPECT_EQ(original->SetVolume(-100), DSERR_CONTROLUNAVAIL);
  EXPECT_EQ(original->SetFormat(&MONO16), DSERR_INVALIDCALL);
  EXPECT_EQ(original->SetCurrentPosition(8), DSERR_INVALIDPARAM);

  // Buffers hold the device: released first, it lives until they go.
  EXPECT_EQ(device->Release(), 2u);
  original->Release();
  duplicate->Release();
  SetSoundOutputMode(SoundOutputMode::Speakers);
}

// Six voices of a loud tone (0.89 of full scale, as loud as the game's sounds are) at once
// sum to five times full scale. They are turned down, not clipped: the output stays
// under full scale and keeps the tone's shape; a voice alone comes out exactly as
// written again once the limiter lets go; the volume fades rather than jumps, and so does
// a sound after a silence.
TEST(SoundDeviceTest, LoudVoicesAreTurnedDownNotClippedAndTheVolumeOnlyScalesTheOutput) {
  SetSoundOutputMode(SoundOutputMode::Manual);
  SoundDevice* device = nullptr;
  ASSERT_EQ(DirectSoundCreate8(nullptr, &device, nullptr), DS_OK);
  constexpr uint32_t FRAMES = 22050;  // 441 periods of 50 frames
  std::vector<int16_t> tone(FRAMES);
  for (uint32_t i = 0; i < FRAMES; ++i)
    tone[i] = static_cast<int16_t>(29160 * std::sin(i * 0.1256637));
  // Duplicates, as a sound's voices are: they share the samples.
  SoundBuffer* voices[6] = {MakeBuffer(device, FRAMES * 2)};
  void* samples = nullptr;
  uint32_t bytes = 0;
  voices[0]->Lock(0, 0, &samples, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER);
  std::memcpy(samples, tone.data(), bytes);
  voices[0]->Unlock(samples, bytes, nullptr, 0);
  for (int i = 1; i < 6; ++i) device->DuplicateSoundBuffer(voices[0], &voices[i]);
  // The next frames' left side, each with the first voice's sample: {heard, alone}.
  uint32_t at = 0;
  const auto mix = [&](uint32_t frames) {
    std::vector<int16_t> out(frames * 2);
    device->MixOutput(out.data(), frames);
    std::vector<std::pair<int, int>> heard(frames);
    for (uint32_t i = 0; i < frames; ++i) heard[i] = {out[2 * i], tone[(at + i) % FRAMES]};
    at = (at + frames) % FRAMES;
    return heard;
  };
  const auto exact = [&](uint32_t frames) {
    const auto heard = mix(frames);
    return std::all_of(heard.begin(), heard.end(),
                       [](auto pair) { return pair.first == pair.second; });
  };

  for (SoundBuffer* voice : voices) voice->Play(0, 0, DSBPLAY_LOOPING);
  mix(100);  // the first peak
  // From then on one gain for every sample: the same sine, only quieter.
  float lowest = 99.0f, highest = 0.0f;
  for (auto [heard, alone] : mix(11000)) {
    ASSERT_LE(std::abs(heard), MIX_LIMIT);
    if (std::abs(alone) < 5000) continue;
    lowest = std::min(lowest, static_cast<float>(heard) / alone);
    highest = std::max(highest, static_cast<float>(heard) / alone);
  }
  EXPECT_LT(highest - lowest, 0.01f) << "a clipped sine is flattened at every peak";
  EXPECT_GT(lowest, 1.0f) << "and stays loud";
  for (int i = 1; i < 6; ++i) voices[i]->Stop();
  mix(11000);  // half a second: the limiter has let go
  EXPECT_TRUE(exact(1000));

  // Muted within 256 frames (about 12 ms), fading; the voices go on as before.
  SetOutputVolume(0.0f);
  const auto faded = mix(300);
  EXPECT_GE(std::abs(faded[2].first), std::abs(faded[2].second) * 0.95) << "no jump to silence";
  for (size_t i = 255; i < faded.size(); ++i) ASSERT_EQ(faded[i].first, 0) << i;
  EXPECT_EQ(Position(voices[0]), at * 2);
  SetOutputVolume(1.0f);
  mix(256);
  EXPECT_TRUE(exact(100));

  // Stopped at a peak (the tone's period is 50 frames), as the music is when a run ends: the
  // buffer stops at once, what is heard fades out over 256 frames instead of being cut.
  mix(50 - at % 50 + 12);
  voices[0]->Stop();
  EXPECT_EQ(Status(voices[0]), 0u);
  const auto stopped = mix(2205);
  for (size_t i = 0; i < stopped.size(); ++i) {
    const double fade = i < STOP_FADE_FRAMES ? 1.0 - double(i) / STOP_FADE_FRAMES : 0.0;
    ASSERT_NEAR(stopped[i].first, stopped[i].second * fade, 2) << i;
  }
  // Resumed after the silence, as the music is after a question: no step over 2 % of full
  // scale in its first millisecond.
  voices[0]->Play(0, 0, DSBPLAY_LOOPING);
  const auto resumed = mix(22);
  for (size_t i = 0; i < resumed.size(); ++i)
    EXPECT_LT(std::abs(resumed[i].first - (i ? resumed[i - 1].first : 0)), 655) << i;

  for (SoundBuffer* voice : voices) voice->Release();
  EXPECT_EQ(device->Release(), 0u);
  SetSoundOutputMode(SoundOutputMode::Speakers);
}

}  // namespace
