// Mesh models on SDL's software renderer: a load beside reading the file, a draw in 2,000
// materials beside one in 1, and references to the last of 65,000 materials beside
// references to the first.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "gfx/camera.h"
#include "gfx/graphics_device.h"
#include "gfx/mesh_model.h"
#include "platform/gfx/mesh.h"
#include "platform/system/system_driver.h"
#include "platform/system/window.h"
#include "shared/screen.h"

namespace {

intptr_t IgnoreMessages(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

// A device on SDL's software renderer for the models to load and draw on.
bool DeviceReady() {
  static const bool ready = [] {
    setenv("SDL_RENDER_DRIVER", "software", 0);
    SetSystemDriver(nullptr);
    WindowHandle window =
        CreateGameWindow("Zorbly Frondles", SCREEN_WIDTH, SCREEN_HEIGHT, IgnoreMessages);
    return window && InitGraphics(window, SCREEN_WIDTH, SCREEN_HEIGHT, false);
  }();
  return ready;
}

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
  MeshModel* model = DeviceReady() ? LoadModel(file.path) : nullptr;
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
