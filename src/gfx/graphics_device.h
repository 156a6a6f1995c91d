#pragma once
// The rendering device, its back buffer and the sprite batch, held in graphics.d3d,
// graphics.d3ddev, graphics.backBuffer and graphics.spriteBatch. The frame calls the
// device and the batch directly (Clear, StretchRect, BeginScene, Begin, End, EndScene,
// Present). src/gfx uses only the platform and shared/screen.h, never the game.
#include <cstdint>

#include "platform/gfx/render_device.h"
#include "platform/gfx/sprite_batch.h"
#include "platform/system/window.h"

// The graphics handles: one instance for the process, empty until InitGraphics fills
// them and again after ReleaseGraphics.
struct GraphicsState {
  GraphicsObject* d3d = nullptr;
  RenderDevice* d3ddev = nullptr;  // empty when no device could be made
  RenderSurface* backBuffer = nullptr;
  SpriteBatch* spriteBatch = nullptr;
};

extern GraphicsState graphics;

// Brings up the device for the window with a width × height back buffer; false when
// there is no graphics object or no device (the platform has said why).
bool InitGraphics(WindowHandle window, int32_t width, int32_t height, bool fullScreen);
// Releases the sprite batch, the device (with its back buffer) and the graphics object.
void ReleaseGraphics();
