// .x bytes of any shape, text or binary, through the game's model loader, with textures
// on hand under the names the seed models give, and whatever loads drawn once (when
// small enough to draw quickly).
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz_device.h"
#include "gfx/camera.h"
#include "gfx/mesh_model.h"
#include "platform/gfx/image_file.h"
#include "platform/gfx/mesh.h"
#include "platform/gfx/render_device.h"

namespace {

// Textures are looked for from the working directory, so the folder becomes it; the
// fuzzer is then given absolute paths.
void EnterFolderWithTextures() {
  static const bool entered = [] {
    const std::filesystem::path folder = FuzzFolder();
    std::filesystem::create_directories(folder / "textures");
    const std::vector<uint32_t> pixels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFFFF};
    for (const char* name : {"textures/wall.png", "wall.png", "textures/wall.tga"}) {
      const std::string path = (folder / name).string();
      if (!(path.ends_with(".tga") ? SaveImageTga : SaveImagePng)(path.c_str(), 2, 2,
                                                                  pixels.data())) {
        return false;
      }
    }
    // A texture that exists but is no picture.
    if (!(std::ofstream(folder / "textures/notes.png") << "a shopping list")) return false;
    std::filesystem::current_path(folder);
    return true;
  }();
  if (!entered) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzDevice();
  EnterFolderWithTextures();
  FuzzSystem().questions.clear();
  const std::string path = (FuzzFolder() / "model.x").string();
  if (!WriteFuzzFile(path, data, size)) return 0;

  MeshModel* model = LoadModel(path);
  // A refusal is said once, in a box; a model comes with no box at all.
  if (!model) {
    if (FuzzSystem().questions.size() != 1) __builtin_trap();
    return 0;
  }
  if (!FuzzSystem().questions.empty() || !model->mesh) __builtin_trap();
  if (model->materials.size() != model->materialCount ||
      model->textures.size() != model->materialCount) {
    __builtin_trap();
  }
  // Drawing costs what the triangles cover: a megabyte of faces that each fill the
  // screen takes minutes to rasterise in software, which says nothing about safety. The
  // drawing is tried on models up to this many triangles, far past any model we ship.
  constexpr uint32_t MAX_DRAWN_TRIANGLES = 512;
  if (model->mesh->GetNumFaces() > MAX_DRAWN_TRIANGLES) {
    ReleaseModel(model);
    return 0;
  }
  // From the front and a little above, a few units back, as the mesh tests look.
  SetCamera(-4, 3, -5, 0, 0, 0);
  if (graphics.d3ddev->BeginScene() != S_OK) __builtin_trap();
  DrawModel(model);
  graphics.d3ddev->EndScene();
  ReleaseModel(model);
  return 0;
}
