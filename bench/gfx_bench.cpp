// Mesh models on SDL's software renderer: a load beside reading the file, a draw in 2,000
// materials beside one in 1, and references to the last of 65,000 materials beside
// references to the first.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "../fuzz/fuzz_device.h"
#include "gfx/camera.h"
#include "gfx/graphics_device.h"
#include "gfx/mesh_model.h"
#include "platform/gfx/mesh.h"
#include "platform/system/system_driver.h"
#include "platform/system/window.h"
#include "shared/screen.h"

namespace {

// A model written for a benchmark.
std::string WriteModel(const std::string& text) {
  const std::string path = (FuzzFolder() / "model.x").string();
  WriteFuzzFile(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
  return path;
}

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
std::string ReferencesModel(int last) {
  constexpr int MATERIALS = 65000;
  std::string text = "xof 0303txt 0032\n";
  for (int m = 0; m < MATERIALS; ++m) {
    text += "Material M" + std::to_string(m) + " {1;1;1;1;;1;0;0;0;;0;0;0;;}\n";
  }
  text += "Mesh {3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshMaterialList {65000;1;0;;";
  for (int m = 0; m < MATERIALS; ++m) text += last ? "{M64999}" : "{M0}";
  return text + "}}\n";
}

void RunFileRead(benchmark::State& state) {
  const std::string path = WriteModel(GridModel(1));
  for (auto _ : state) {
    std::ifstream stream(path, std::ios::binary);
    benchmark::DoNotOptimize(std::string(std::istreambuf_iterator<char>(stream), {}));
  }
}

// Loads the model over and over, or loads it once and draws it over and over.
void RunModel(benchmark::State& state, std::string (*makeModel)(int), int which, bool draw) {
  StartFuzzDevice();
  const std::string path = WriteModel(makeModel(which));
  MeshModel* model = LoadModel(path);
  if (!model) return state.SkipWithError("the model does not load");
  state.counters["load_peak_MB"] = static_cast<double>(LastMeshLoadMemory().peak) / (1 << 20);
  SetCamera(0, 0, -3, 0, 0, 0);
  for (auto _ : state) {
    if (!draw) {
      ReleaseModel(model);
      model = LoadModel(path);
      continue;
    }
    graphics.d3ddev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000064, 1.0f, 0);
    graphics.d3ddev->BeginScene();
    DrawModel(model);
    graphics.d3ddev->EndScene();
  }
  ReleaseModel(model);
}

// By the names that tools/bench_table.py looks for.
[[maybe_unused]] const bool REGISTERED = [] {
  using benchmark::RegisterBenchmark, benchmark::kMillisecond;
  RegisterBenchmark("BM_MeshFileRead", RunFileRead)->Unit(kMillisecond);
  RegisterBenchmark("BM_MeshLoad200000Faces", RunModel, GridModel, 1, false)->Unit(kMillisecond);
  RegisterBenchmark("BM_MeshDraw1Material", RunModel, GridModel, 1, true)->Unit(kMillisecond);
  RegisterBenchmark("BM_MeshDraw2000Materials", RunModel, GridModel, 2000, true)
      ->Unit(kMillisecond);
  RegisterBenchmark("BM_MeshReferencesToFirst", RunModel, ReferencesModel, 0, false)
      ->Unit(kMillisecond);
  RegisterBenchmark("BM_MeshReferencesToLast", RunModel, ReferencesModel, 1, false)
      ->Unit(kMillisecond);
  return true;
}();

}  // namespace
