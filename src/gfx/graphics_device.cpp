#include "gfx/graphics_device.h"

GraphicsState graphics;

bool InitGraphics(WindowHandle window, int32_t width, int32_t height, bool fullScreen) {
  graphics.d3d = CreateGraphicsObject();
  if (!graphics.d3d) return false;

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

  graphics.d3d->CreateDevice(window, parameters, &graphics.d3ddev);
  if (!graphics.d3ddev) return false;
  graphics.d3ddev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &graphics.backBuffer);
  CreateSprite(graphics.d3ddev, &graphics.spriteBatch);
  return true;
}

void ReleaseGraphics() {
  if (graphics.spriteBatch) {
    graphics.spriteBatch->Release();
    graphics.spriteBatch = nullptr;
  }
  if (graphics.d3ddev) {
    graphics.d3ddev->Release();
    graphics.d3ddev = nullptr;
    // The back buffer goes with its device.
    graphics.backBuffer = nullptr;
  }
  if (graphics.d3d) {
    graphics.d3d->Release();
    graphics.d3d = nullptr;
  }
}
