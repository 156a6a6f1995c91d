#include "game/drawing.h"

#include <cmath>
#include <sstream>

#include "game/angles.h"
#include "game/world_state.h"
#include "gfx/fonts.h"
#include "gfx/graphics_device.h"
#include "gfx/sprite_drawing.h"
#include "platform/gfx/render_device.h"
#include "platform/gfx/sprite_batch.h"
#include "platform/system/random.h"
#include "platform/system/run_tap.h"

namespace {

constexpr uint32_t CLEAR_COLOR = 0xFF000064;
constexpr uint32_t OPAQUE_WHITE = 0xFFFFFFFF;
constexpr uint32_t FAINT_WHITE = 0xC8FFFFFF;
constexpr int32_t SCORE_X = 900;
constexpr int32_t SCORE_Y = 40;
constexpr float ENEMY_DRAW_LEFT = -96.0f;

uint32_t AlphaOf(int32_t alpha) { return static_cast<uint32_t>(alpha) << 24; }

void DrawPlayerSprite(int32_t x, int32_t y, float rotation, uint32_t color) {
  const GameObject& player = world.player;
  DrawSprite(world.texPlayer, x, y, player.width, player.height, 0, 1, rotation, player.scale,
             color);
}

// Four faint dark-red ghosts shaking on both axes.
void DrawPhaseLook(int32_t x, int32_t y) {
  for (int copy = 0; copy < 4; ++copy) {
    const uint32_t color = AlphaOf(Rand() % 150) | 0x00320000;
    const int32_t shakeX = Rand() % 12 - 6;
    const int32_t shakeY = Rand() % 12 - 6;
    DrawPlayerSprite(x + shakeX, y + shakeY, 0.0f, color);
  }
}

// One red sprite turning 3 degrees per frame on a small swaying circle.
void DrawMagnetLook() {
  const uint32_t color = AlphaOf(Rand() % 100 + 150) | 0x00FF0000;
  world.wobbleAngle = WrapDegrees(world.wobbleAngle - 3.0);
  world.wobbleOffset += world.wobbleStep * 0.2;
  if (world.wobbleOffset < -4.0 || world.wobbleOffset > 4.0) world.wobbleStep = -world.wobbleStep;
  // The angle is in degrees but goes to cos and sin as it is: a quick small shiver.
  const double x = world.player.x + std::cos(world.wobbleAngle) + world.wobbleOffset;
  const double y = world.player.y + std::sin(world.wobbleAngle) + world.wobbleOffset;
  DrawPlayerSprite(static_cast<int32_t>(x), static_cast<int32_t>(y),
                   static_cast<float>(DegToRad(world.wobbleAngle)), color);
}

// Four glowing copies shaking sideways only.
void DrawChargeLook(int32_t x, int32_t y) {
  for (int copy = 0; copy < 4; ++copy) {
    const uint32_t color = AlphaOf(Rand() % 100 + 150) | 0x00960000;
    const int32_t shakeX = Rand() % 12 - 6;
    DrawPlayerSprite(x + shakeX, y, 0.0f, color);
  }
}

void DrawPlayer() {
  const int32_t x = static_cast<int32_t>(world.player.x);
  const int32_t y = static_cast<int32_t>(world.player.y);
  switch (world.playerMode) {
    case MODE_NORMAL: DrawPlayerSprite(x, y, 0.0f, OPAQUE_WHITE); break;
    case MODE_PHASE: DrawPhaseLook(x, y); break;
    case MODE_MAGNET: DrawMagnetLook(); break;
    case MODE_CHARGE: DrawChargeLook(x, y); break;
    default: break;
  }
  world.previousPlayerMode = world.playerMode;
}

void DrawObject(Texture* texture, const GameObject& object, float rotation, uint32_t color) {
  DrawSprite(texture, static_cast<int32_t>(object.x), static_cast<int32_t>(object.y), object.width,
             object.height, 0, 1, rotation, object.scale, color);
}

void DrawEnemies() {
  for (const GameObject& enemy : world.enemies) {
    // Enemies further along the off-screen track are not drawn at all.
    if (!(enemy.x > ENEMY_DRAW_LEFT && enemy.x < SCREEN_WIDTH)) continue;
    if (enemy.active) DrawObject(world.texEnemy, enemy, 0.0f, FAINT_WHITE);
    if (enemy.sauced) DrawObject(world.texEnemySauced, enemy, 0.0f, FAINT_WHITE);
  }
}

void DrawProjectiles() {
  for (const GameObject& shot : world.projectiles) {
    if (!shot.active) continue;
    DrawObject(world.texProjectile, shot, static_cast<float>(DegToRad(shot.rotation)),
               OPAQUE_WHITE);
  }
}

// Tomatoes and parms keep their rotation as it is, read as radians.
template <size_t N>
void DrawPickups(Texture* texture, const GameObject (&pickups)[N]) {
  for (const GameObject& pickup : pickups) {
    if (pickup.active) DrawObject(texture, pickup, pickup.rotation, pickup.color);
  }
}

// One 1-pixel slice every 2 pixels from x 10: 5 slices per point of the bar.
void DrawBar(Texture* slice, double value, int32_t top, int32_t height) {
  for (int32_t i = 0; i < value * 5.0; ++i) {
    DrawSpriteTransformed(slice, 10 + 2 * i, top, 1, height, 0, 1, 0.0f, 1.0f, 1.0f, FAINT_WHITE);
  }
}

}  // namespace

std::string FormatNumber(int32_t value, int32_t precision) {
  std::ostringstream stream;
  stream.setf(std::ios::fixed, std::ios::floatfield);
  stream.precision(precision);
  stream << value;
  return stream.str();
}

void ClearFrame() {
  graphics.d3ddev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, CLEAR_COLOR, 1.0f, 0);
}

namespace {

// The frame's drawing: the table, then in one scene the player, every live thing and the
// HUD, and the present. The player in its plain look when asked, its mode's look else.
void DrawWorld(bool plainPlayer) {
  RenderDevice* device = graphics.d3ddev;
  const int32_t scroll = static_cast<int32_t>(world.backgroundScroll);
  const Rect window{scroll, 0, scroll + SCREEN_WIDTH, SCREEN_HEIGHT};
  const Rect screen{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
  if (world.backgroundSurface) {
    device->StretchRect(world.backgroundSurface, &window, graphics.backBuffer, &screen,
                        D3DTEXF_NONE);
  }

  if (FAILED(device->BeginScene())) return;
  if (graphics.spriteBatch) graphics.spriteBatch->Begin(D3DXSPRITE_ALPHABLEND);

  if (plainPlayer) {
    DrawPlayerSprite(static_cast<int32_t>(world.player.x), static_cast<int32_t>(world.player.y),
                     0.0f, OPAQUE_WHITE);
  } else {
    DrawPlayer();
  }
  DrawEnemies();
  DrawProjectiles();
  DrawPickups(world.texTomato, world.tomatoes);
  DrawPickups(world.texParm, world.parms);
  const std::string score = "SCORE = " + FormatNumber(world.score, 2);
  DrawTextAt(world.fontScore, SCORE_X, SCORE_Y, score.c_str(), FAINT_WHITE);
  DrawBar(world.texEnergySlice, world.energy, 0, 32);
  DrawBar(world.texHealthSlice, world.health, 747, 20);

  if (graphics.spriteBatch) graphics.spriteBatch->End();
  device->EndScene();
  device->Present(nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

void DrawFrame() { DrawWorld(false); }

void DrawTableBackdrop() {
  if (!graphics.d3ddev) return;
  ClearFrame();
  const Rect screen{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
  if (world.backgroundSurface) {
    graphics.d3ddev->StretchRect(world.backgroundSurface, &screen, graphics.backBuffer, &screen,
                                 D3DTEXF_NONE);
  }
  graphics.d3ddev->Present(nullptr, nullptr, nullptr, nullptr);
}

void DrawEndingBackdrop() {
  if (!graphics.d3ddev) return;
  // A scene that fails here is no part of the run: the pass's own frame says what it
  // says in the recording.
  RunTap* tap = SetRunTap(nullptr);
  ClearFrame();
  DrawWorld(true);
  SetRunTap(tap);
}
