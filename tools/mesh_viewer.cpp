// Shows a .x mesh model turning in a window, so that a person can look at it:
//   zf-mesh-viewer path/to/model.x
// Textures are looked for from the model's folder. Esc or closing the window ends it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "gfx/camera.h"
#include "gfx/graphics_device.h"
#include "gfx/mesh_model.h"
#include "platform/gfx/matrix3d.h"
#include "platform/gfx/mesh.h"
#include "platform/gfx/render_device.h"
#include "platform/system/sleep.h"
#include "platform/system/system.h"
#include "platform/system/window.h"
#include "shared/screen.h"

namespace {

constexpr uint32_t BACKDROP = 0xFF2B3A4A;
constexpr float TURNS_PER_SECOND = 0.125f;
constexpr float TWO_PI = 6.2831853f;
// Half the camera's vertical view, with room to spare round the model.
constexpr float HALF_VIEW = 0.3926991f;
constexpr float MARGIN = 1.25f;
constexpr float CAMERA_RISE = 0.6f;  // eye height per unit of distance
constexpr uint32_t FRAME_MILLISECONDS = 10;

bool windowClosed = false;

intptr_t ViewerWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                          intptr_t lParam) {
  if (message == MSG_DESTROY) {
    windowClosed = true;
    return 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

// The model in the middle of the view, turning, until Esc or the window's close.
void ShowTurning(MeshModel* model) {
  Vector3 centre;
  float radius = 1.0f;
  model->mesh->ComputeBoundingSphere(&centre, &radius);
  const float distance = std::max(radius, 0.01f) * MARGIN / std::sin(HALF_VIEW);
  SetCamera(0.0f, distance * CAMERA_RISE, -distance, 0.0f, 0.0f, 0.0f);
  const Matrix4 toMiddle = MatrixTranslation(-centre.x, -centre.y, -centre.z);

  const uint32_t start = timeGetTime();
  while (!windowClosed && !(GetAsyncKeyState(VK_ESCAPE) & 0x8000)) {
    Message message;
    while (PeekMessage(&message)) DispatchMessage(message);
    const float seconds = static_cast<float>(timeGetTime() - start) / 1000.0f;
    const Matrix4 turn = MatrixRotationY(std::fmod(seconds * TURNS_PER_SECOND, 1.0f) * TWO_PI);
    const Matrix4 place = MatrixMultiply(toMiddle, turn);
    graphics.d3ddev->SetTransform(D3DTS_WORLD, &place);

    graphics.d3ddev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, BACKDROP, 1.0f, 0);
    if (graphics.d3ddev->BeginScene() == S_OK) {
      // Untextured materials draw with whatever stage 0 holds: start each frame empty.
      graphics.d3ddev->SetTexture(0, nullptr);
      DrawModel(model);
      graphics.d3ddev->EndScene();
    }
    graphics.d3ddev->Present(nullptr, nullptr, nullptr, nullptr);
    Sleep(FRAME_MILLISECONDS);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s model.x\n", argc > 0 ? argv[0] : "zf-mesh-viewer");
    return 2;
  }
  // A model names its textures from its own folder.
  const std::filesystem::path modelPath(argv[1]);
  std::error_code error;
  // A folder or a FIFO would be read as no model is: say what it is instead.
  const std::filesystem::file_type type = std::filesystem::status(modelPath, error).type();
  if (type == std::filesystem::file_type::directory ||
      (!error && type != std::filesystem::file_type::regular)) {
    std::fprintf(stderr, "zf-mesh-viewer: \"%s\" is %s, not a model file\n", argv[1],
                 type == std::filesystem::file_type::directory ? "a directory" : "no regular file");
    return 1;
  }
  error.clear();
  if (modelPath.has_parent_path()) std::filesystem::current_path(modelPath.parent_path(), error);
  if (error) {
    std::fprintf(stderr, "zf-mesh-viewer: cannot open the folder of \"%s\" (%s)\n", argv[1],
                 error.message().c_str());
    return 1;
  }

  WindowHandle window = CreateGameWindow("Zorbly Frondles mesh viewer", SCREEN_WIDTH, SCREEN_HEIGHT,
                                         ViewerWindowProc);
  if (!window) return 1;
  if (!InitGraphics(window, SCREEN_WIDTH, SCREEN_HEIGHT, false)) {
    DestroyGameWindow(window);
    return 1;
  }
  MeshModel* model = LoadModel(modelPath.filename().string());
  if (!model) {
    ReleaseGraphics();
    DestroyGameWindow(window);
    return 1;
  }

  ShowTurning(model);
  ReleaseModel(model);
  ReleaseGraphics();
  DestroyGameWindow(window);
  return 0;
}
