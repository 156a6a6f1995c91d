#include "gfx/camera.h"

#include <cmath>
#include <cstdio>

#include "gfx/graphics_device.h"
#include "platform/gfx/matrix3d.h"
#include "platform/gfx/render_device.h"
#include "shared/screen.h"

namespace {

constexpr float FIELD_OF_VIEW = 0.7853982f;  // π/4
constexpr float NEAR_PLANE = 1.0f;
constexpr float FAR_PLANE = 2000.0f;

// Looking straight along +y (or with no direction at all) leaves no sideways axis.
bool ViewHasSideways(float dx, float dy, float dz) {
  return std::isfinite(dx) && std::isfinite(dy) && std::isfinite(dz) && (dx != 0.0f || dz != 0.0f);
}

}  // namespace

void SetCamera(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ) {
  if (!graphics.d3ddev) return;
  const Matrix4 projection = MatrixPerspectiveFovLH(
      FIELD_OF_VIEW, static_cast<float>(SCREEN_WIDTH) / SCREEN_HEIGHT, NEAR_PLANE, FAR_PLANE);
  graphics.d3ddev->SetTransform(D3DTS_PROJECTION, &projection);

  if (!ViewHasSideways(targetX - eyeX, targetY - eyeY, targetZ - eyeZ)) {
    std::fprintf(stderr,
                 "zorbly-frondles: a camera at (%g, %g, %g) looking at (%g, %g, %g) has no "
                 "sideways direction; the view is kept\n",
                 eyeX, eyeY, eyeZ, targetX, targetY, targetZ);
    return;
  }
  const Matrix4 view = MatrixLookAtLH(Vector3{eyeX, eyeY, eyeZ}, Vector3{targetX, targetY, targetZ},
                                      Vector3{0.0f, 1.0f, 0.0f});
  graphics.d3ddev->SetTransform(D3DTS_VIEW, &view);
}
