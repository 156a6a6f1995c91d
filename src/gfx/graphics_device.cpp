#include "gfx/graphics_device.h"

#include "game/world_state.h"

bool InitGraphics(WindowHandle window, int32_t width, int32_t height, bool fullScreen) {
  world.d3d = CreateGraphicsObject();
  if (!world.d3d) return false;

  PresentParameters parameters;
  parameters.backBufferWidth = static_cast<uint32_t>(width);
  parameters.backBufferHeight = static_cast<uint32_t>(height);
  parameters.backBufferFormat = D3DFMT_X8R8G8B8;
  parameters.backBufferCount = 1;
  parameters.multiSampleType = 0;
  parameters.multiSampleQuality = 0;
  parameters.swapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.deviceWindow = window;
  parameters.windowed = !fullScreen;
  parameters.enableAutoDepthStencil = true;
  parameters.autoDepthStencilFormat = D3DFMT_D24S8;
  parameters.flags = D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL;
  parameters.fullScreenRefreshRateInHz = 0;
  // Never wait for the vertical retrace: the loop runs as fast as drawing allows.
  parameters.presentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;

  world.d3d->CreateDevice(window, parameters, &world.d3ddev);
  if (!world.d3ddev) return false;
  world.d3ddev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &world.backBuffer);
  CreateSprite(world.d3ddev, &world.spriteBatch);
  return true;
}

void ReleaseGraphics() {
  if (world.spriteBatch) {
    world.spriteBatch->Release();
    world.spriteBatch = nullptr;
  }
  if (world.d3ddev) {
    world.d3ddev->Release();
    world.d3ddev = nullptr;
    // The back buffer goes with its device.
    world.backBuffer = nullptr;
  }
  if (world.d3d) {
    world.d3d->Release();
    world.d3d = nullptr;
  }
}
