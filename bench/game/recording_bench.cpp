// Recording a run: the size of ten minutes of play, recorded headless from the real
// game with random held input and a sound output mixed by the clock (so play requests
// find voices busy as in play), passes 15 ms apart with now and then one a little late;
// and the recorder's cost per pass, fed that same recording's passes one at a time.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "audio/sound_manager.h"
#include "game/world_state.h"
#include "platform/audio/sound_device.h"
#include "platform/audio/sound_mixer.h"
#include "platform/system/system.h"
#include "record/headless_game.h"
#include "record/run_reader.h"
#include "record/run_recorder.h"
#include "undrawn_frame.h"

namespace {

constexpr uint32_t TEN_MINUTES_OF_PASSES = 10 * 60 * 1000 / 15;

// Both benchmarks' recorder, too large for the stack.
RunRecorder recorder;

std::string RecordingPath() {
  return (std::filesystem::temp_directory_path() / "zf-bench-ten-minutes.zfr").string();
}

void BM_TenMinuteRecording(benchmark::State& state) {
  for (auto _ : state) {
    SetSoundOutputMode(SoundOutputMode::Manual);
    HeadlessGame game(true);
    game.system.defaultAnswer = IDYES;
    game.system.clock = 1000000;
    if (!game.Start()) return state.SkipWithError("the game did not start");
    if (!recorder.Start(RecordingPath().c_str())) return state.SkipWithError("cannot record");
    std::mt19937 random(14);
    const uint8_t KEYS[] = {DIK_UP,    DIK_DOWN, DIK_LEFT, DIK_RIGHT, DIK_SPACE,
                            DIK_SPACE, DIK_Z,    DIK_X,    DIK_C,     DIK_E};
    int16_t mixed[2 * 512];
    for (uint32_t pass = 0, held = 0; pass < TEN_MINUTES_OF_PASSES; ++pass) {
      if (held-- == 0) {
        // A new hold of one to two keys for a tenth of a second to a second.
        std::fill(std::begin(game.input.keys), std::end(game.input.keys), uint8_t{0});
        for (int n = random() % 3; n > 0; --n)
          game.input.keys[KEYS[random() % std::size(KEYS)]] = 0x80;
        held = 6 + random() % 60;
      }
      const uint32_t roll = random() % 100;
      const uint32_t step = 15 + (roll < 90 ? 0 : roll < 99 ? 1 : roll % 15);
      game.system.clock += step;
      soundManager->GetDirectSound()->MixOutput(mixed, step * MIX_FRAMES_PER_SECOND / 1000);
      UndrawnFrame();
      recorder.EndPass();
      world.quitRequested = false;
    }
    recorder.Finish();
    game.Stop();
    SetSoundOutputMode(SoundOutputMode::Speakers);
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(RecordingPath()));
}

// The recording's passes, runs spread out, as the values a recorder sees.
std::vector<RecordedPass> RecordedPasses() {
  std::ifstream file(RecordingPath(), std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<RecordedPass> passes;
  RunReader reader;
  if (!reader.Open(text.data(), text.size())) return passes;
  for (RunItem item; reader.Next(&item);) {
    if (item.kind == RunItemKind::Pass) passes.push_back(*item.pass);
  }
  return passes;
}

void BM_RecordingPerPass(benchmark::State& state) {
  const std::vector<RecordedPass> passes = RecordedPasses();
  if (passes.empty()) return state.SkipWithError("no ten-minute recording to feed");
  const std::string path = RecordingPath() + ".again";
  if (!recorder.Start(path.c_str())) return state.SkipWithError("cannot record");
  uint8_t keys[KEY_CODE_COUNT];
  XINPUT_GAMEPAD pads[XUSER_MAX_COUNT] = {};
  size_t next = 0;
  for (auto _ : state) {
    const RecordedPass& pass = passes[next];
    next = (next + 1) % passes.size();
    for (int i = 0; i < pass.clockCount; ++i) recorder.Clock(pass.clocks[i]);
    std::copy(std::begin(pass.keys), std::end(pass.keys), keys);
    pads[0] = pass.pad;
    recorder.Polled(keys, pads);
    for (int i = 0; i < pass.messageCount; ++i) recorder.Heard(pass.messages[i]);
    if (pass.noScene) recorder.SceneFailed();
    for (int request = 0; request < pass.drawsNamed; ++request)
      recorder.PlayRequested(PassDraws(pass, request));
    recorder.EndPass();
  }
  recorder.Finish();
  std::remove(path.c_str());
}

BENCHMARK(BM_TenMinuteRecording)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_RecordingPerPass)->Unit(benchmark::kNanosecond);

}  // namespace
