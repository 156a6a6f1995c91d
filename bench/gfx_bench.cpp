// One frame's drawing on SDL's software renderer: the background copy, the player, 125
// enemies, 300 projectiles, 105 pickups, 1,000 bar slices and the score text; beside it
// the bare background copy and present, so that the sprites' cost reads as a ratio. Then
// mesh models: a load beside reading the file, a draw in 2,000 materials beside one in
// 1, and references to the last of 65,000 materials beside references to the first.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "game/world_state.h"
#include "gfx/camera.h"
#include "gfx/fonts.h"
#include "gfx/graphics_device.h"
#include "gfx/image_loading.h"
#include "gfx/mesh_model.h"
#include "gfx/sprite_drawing.h"
#include "platform/gfx/mesh.h"
#include "platform/gfx/texture.h"
#include "platform/system/system_driver.h"
#include "platform/system/window.h"
#include "shared/screen.h"

// Every C++ allocation in the process, so that a frame's own can be counted.
namespace {
std::atomic<long> allocations{0};
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(size_t size) {
  ++allocations;
  void* memory = std::malloc(size ? size : 1);
  if (!memory) std::abort();  // a benchmark out of memory has nothing to report
  return memory;
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace {

intptr_t IgnoreMessages(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

Texture* SolidTexture(int width, int height, uint32_t color) {
  ImageData image{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, color)};
  // A keyed border, as the game's art has.
  for (int x = 0; x < width; ++x) image.pixels[x] = 0;
  Texture* texture = nullptr;
  graphics.d3ddev->CreateTextureFromPixels(image, &texture);
  return texture;
}

struct Scene {
  WindowHandle window = nullptr;
  bool ready = false;

  Scene() {
    setenv("SDL_RENDER_DRIVER", "software", 0);
    SetSystemDriver(nullptr);
    window = CreateGameWindow("Zorbly Frondles", SCREEN_WIDTH, SCREEN_HEIGHT, IgnoreMessages);
    if (!window || !InitGraphics(window, SCREEN_WIDTH, SCREEN_HEIGHT, false)) return;
    world.texPlayer = SolidTexture(25, 41, 0xFFE0A040);
    world.texEnemy = SolidTexture(45, 29, 0xFFF0E0A0);
    world.texEnemySauced = SolidTexture(45, 29, 0xFFC02010);
    world.texProjectile = SolidTexture(20, 20, 0xFFD03020);
    world.texTomato = SolidTexture(25, 26, 0xFFE02020);
    world.texParm = SolidTexture(15, 27, 0xFFF0F0C0);
    world.texEnergySlice = SolidTexture(1, 32, 0xFF40C0FF);
    world.texHealthSlice = SolidTexture(1, 20, 0xFF40FF40);
    world.fontScore = MakeFont("Arial Bold", 24);
    graphics.d3ddev->CreateOffscreenPlainSurface(2048, 768, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                                 &world.backgroundSurface, nullptr);
    ready = world.backgroundSurface && world.fontScore;
  }
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}

void DrawBackground() {
  graphics.d3ddev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000064, 1.0f, 0);
  const Rect source{300, 0, 300 + SCREEN_WIDTH, SCREEN_HEIGHT};
  const Rect dest{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
  graphics.d3ddev->StretchRect(world.backgroundSurface, &source, graphics.backBuffer, &dest,
                               D3DTEXF_NONE);
}

void DrawSprites(bool turned) {
  DrawSprite(world.texPlayer, 100, 350, 25, 41, 0, 1, 0.0f, 2.0f, 0xFFFFFFFF);
  for (int i = 0; i < ENEMY_COUNT; ++i) {
    DrawSprite(world.texEnemy, (i * 37) % 1000, (i * 53) % 740, 45, 29, 0, 1, 0.0f, 1.5f,
               0xC8FFFFFF);
  }
  for (int i = 0; i < PROJECTILE_COUNT; ++i) {
    const float heading = turned ? static_cast<float>((i * 7 % 360) * DEG_TO_RAD) : 0.0f;
    DrawSprite(world.texProjectile, (i * 29) % 1000, (i * 17) % 750, 20, 20, 0, 1, heading, 1.3f,
               0xFFFFFFFF);
  }
  for (int i = 0; i < TOMATO_COUNT + PARM_COUNT; ++i) {
    Texture* texture = i < TOMATO_COUNT ? world.texTomato : world.texParm;
    const float rotation = turned ? static_cast<float>(i % 360) : 0.0f;
    DrawSprite(texture, (i * 83) % 1000, (i * 41) % 740, 25, 26, 0, 1, rotation, 1.0f,
               0xFFFFFFFF);
  }
  DrawTextAt(world.fontScore, 900, 40, "SCORE = 42", 0xC8FFFFFF);
  for (int i = 0; i < 500; ++i) {
    DrawSpriteTransformed(world.texEnergySlice, 10 + 2 * i, 0, 1, 32, 0, 1, 0.0f, 1.0f, 1.0f,
                          0xC8FFFFFF);
  }
  for (int i = 0; i < 500; ++i) {
    DrawSpriteTransformed(world.texHealthSlice, 10 + 2 * i, 747, 1, 20, 0, 1, 0.0f, 1.0f, 1.0f,
                          0xC8FFFFFF);
  }
}

void RunFrames(benchmark::State& state, bool sprites, bool turned) {
  if (!TheScene().ready) {
    state.SkipWithError("no device");
    return;
  }
  long allocationsInFrames = 0;
  for (auto _ : state) {
    DrawBackground();
    graphics.d3ddev->BeginScene();
    if (sprites) {
      graphics.spriteBatch->Begin(D3DXSPRITE_ALPHABLEND);
      const long before = allocations;
      DrawSprites(turned);
      allocationsInFrames += allocations - before;
      graphics.spriteBatch->End();
    }
    graphics.d3ddev->EndScene();
    graphics.d3ddev->Present(nullptr, nullptr, nullptr, nullptr);
  }
  state.counters["allocations_per_frame"] = benchmark::Counter(
      static_cast<double>(allocationsInFrames), benchmark::Counter::kAvgIterations);
}

void BM_BackgroundCopyAndPresent(benchmark::State& state) { RunFrames(state, false, false); }
void BM_FullFrame(benchmark::State& state) { RunFrames(state, true, true); }
void BM_FullFrameNothingTurned(benchmark::State& state) { RunFrames(state, true, false); }

BENCHMARK(BM_BackgroundCopyAndPresent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullFrameNothingTurned)->Unit(benchmark::kMillisecond);

// A model written for a benchmark, removed after it.
struct ModelFile {
  std::string path =
      std::filesystem::temp_directory_path() / ("zf_bench_" + std::to_string(getpid()) + ".x");
  explicit ModelFile(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
  ~ModelFile() { std::filesystem::remove(path); }
};

std::string Text(double value) { return std::to_string(value); }

// A square from -1 to 1 facing the camera, in 500 x 200 cells of two triangles; the
// materials take equal runs of the 200,000.
std::string GridModel(int materials) {
  constexpr int COLUMNS = 500, ROWS = 200, FACES = COLUMNS * ROWS * 2, ROW = COLUMNS + 1;
  std::string text = "xof 0303txt 0032\nMesh {" + std::to_string(ROW * (ROWS + 1)) + ";";
  for (int i = 0; i < ROW * (ROWS + 1); ++i) {
    text += Text(2.0 * (i % ROW) / COLUMNS - 1) + ";" + Text(1 - 2.0 * (i / ROW) / ROWS) + ";0;,";
  }
  text.back() = ';';
  text += std::to_string(FACES) + ";";
  for (int f = 0; f < FACES; ++f) {
    const int topLeft = f / 2 / COLUMNS * ROW + f / 2 % COLUMNS, bottomRight = topLeft + ROW + 1;
    const int second = f % 2 ? bottomRight : topLeft + 1,
              third = f % 2 ? bottomRight - 1 : bottomRight;
    text += "3;" + std::to_string(topLeft) + "," + std::to_string(second) + "," +
            std::to_string(third) + ";,";
  }
  text.back() = ';';
  text += "MeshMaterialList {" + std::to_string(materials) + ";" + std::to_string(FACES) + ";";
  for (int f = 0; f < FACES; ++f) text += std::to_string(int64_t{f} * materials / FACES) + ",";
  text.back() = ';';
  for (int m = 0; m < materials; ++m) {
    text += "Material {" + std::to_string(m % 2) + ";0.5;1;1;;1;0;0;0;;0;0;0;;}";
  }
  return text + "}}\n";
}

// 65,000 materials at the top and one triangle whose list names one of them 65,000 times.
std::string ReferencesModel(bool last) {
  constexpr int MATERIALS = 65000;
  std::string text = "xof 0303txt 0032\n";
  for (int m = 0; m < MATERIALS; ++m) {
    text += "Material M" + std::to_string(m) + " {1;1;1;1;;1;0;0;0;;0;0;0;;}\n";
  }
  text += "Mesh {3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshMaterialList {65000;1;0;;";
  for (int m = 0; m < MATERIALS; ++m) text += last ? "{M64999}" : "{M0}";
  return text + "}}\n";
}

void BM_MeshFileRead(benchmark::State& state) {
  const ModelFile file(GridModel(1));
  for (auto _ : state) {
    std::ifstream stream(file.path, std::ios::binary);
    benchmark::DoNotOptimize(std::string(std::istreambuf_iterator<char>(stream), {}));
  }
}

// Loads the model over and over, or loads it once and draws it over and over.
void RunModel(benchmark::State& state, const std::string& text, bool draw) {
  const ModelFile file(text);
  MeshModel* model = TheScene().ready ? LoadModel(file.path) : nullptr;
  if (!model) {
    state.SkipWithError("no device or the model does not load");
    return;
  }
  state.counters["load_peak_MB"] = static_cast<double>(LastMeshLoadMemory().peak) / (1 << 20);
  state.counters["file_MB"] = static_cast<double>(text.size()) / (1 << 20);
  SetCamera(0, 0, -3, 0, 0, 0);
  for (auto _ : state) {
    if (!draw) {
      ReleaseModel(model);
      model = LoadModel(file.path);
      continue;
    }
    graphics.d3ddev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000064, 1.0f, 0);
    graphics.d3ddev->BeginScene();
    DrawModel(model);
    graphics.d3ddev->EndScene();
  }
  ReleaseModel(model);
}

void BM_MeshLoad200000Faces(benchmark::State& state) { RunModel(state, GridModel(1), false); }
void BM_MeshDraw1Material(benchmark::State& state) { RunModel(state, GridModel(1), true); }
void BM_MeshDraw2000Materials(benchmark::State& state) { RunModel(state, GridModel(2000), true); }
void BM_MeshReferencesToFirst(benchmark::State& state) {
  RunModel(state, ReferencesModel(false), false);
}
void BM_MeshReferencesToLast(benchmark::State& state) {
  RunModel(state, ReferencesModel(true), false);
}

BENCHMARK(BM_MeshFileRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeshLoad200000Faces)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeshDraw1Material)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeshDraw2000Materials)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeshReferencesToFirst)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeshReferencesToLast)->Unit(benchmark::kMillisecond);

}  // namespace
