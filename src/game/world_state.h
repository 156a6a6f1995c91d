#pragma once
// Everything the game knows: the entity pools, the player, the numbers of a run, its
// timers and the handles of what start-up loads. One instance lives for the whole
// process; nothing here is allocated during play. The device's own handles are gfx's
// (gfx/graphics_device.h): the game uses gfx, audio, input and diag, never the reverse.
#include <cstdint>

#include "shared/screen.h"

constexpr int WORLD_WIDTH = 10240;

// π as the game has always taken it: to ten decimals, not to full double precision.
constexpr double PI_TEN_DECIMALS = 3.1415926535;
constexpr double DEG_TO_RAD = PI_TEN_DECIMALS / 180.0;

constexpr int ENEMY_COUNT = 125;
constexpr int TOMATO_COUNT = 100;
constexpr int PARM_COUNT = 5;
constexpr int PROJECTILE_COUNT = 300;

constexpr int32_t MODE_NORMAL = 0;
constexpr int32_t MODE_PHASE = 1;
constexpr int32_t MODE_MAGNET = 2;
constexpr int32_t MODE_CHARGE = 3;

// Player, enemy, tomato, parm and projectile alike.
struct GameObject {
  bool active = false;
  bool sauced = false;  // enemies only: struck once, drifting on in sauce
  float x = 0.0f;       // left edge, screen pixels
  float y = 0.0f;       // top edge, screen pixels
  int32_t width = 0;    // image size in texels, before scaling
  int32_t height = 0;
  float scale = 1.0f;
  float rotation = 0.0f;   // projectiles: heading in degrees; tomatoes and parms: radians
  float velocityX = 0.0f;  // pixels per tick
  float velocityY = 0.0f;
  uint32_t color = 0xFFFFFFFF;  // ARGB modulation; opaque white draws the image unchanged
};

// Device resources; their stand-ins are the graphics layer's.
struct RenderSurface;
struct Texture;
struct Font;
class CSound;

struct WorldState {
  GameObject player;
  GameObject enemies[ENEMY_COUNT];
  GameObject tomatoes[TOMATO_COUNT];
  GameObject parms[PARM_COUNT];
  GameObject projectiles[PROJECTILE_COUNT];

  int32_t score = 0;
  int32_t weaponLevel = 1;
  double energy = 100.0;
  double health = 100.0;
  int32_t playerMode = MODE_NORMAL;
  int32_t previousPlayerMode = MODE_NORMAL;
  bool paused = false;
  bool quitRequested = false;
  bool windowClosed = false;     // the window is gone: nothing may cancel the quit
  bool pauseKeyWasDown = false;  // P at the previous tick's poll, so a press toggles once
  bool windowUnfocused = false;  // the player is elsewhere: the window lacks the focus
  bool windowMinimised = false;  // or it is minimised
  bool pausedByLeaving = false;  // the pause came from leaving the window, not from P

  uint32_t frameTime = 0;
  uint32_t lastTickTime = 0;
  uint32_t lastShotTime = 0;
  uint64_t ticksRun = 0;  // for recorded runs and the frame counter of benchmarks
  // The run's time played (run_result.h): ours, beside the rules, read by none of them.
  bool runUnderway = false;  // a pass has come since the run began, and it has not ended
  uint32_t runPlayedMs = 0;
  uint32_t runLastClock = 0;
  int32_t rumbleTicks = 0;
  int32_t rumbleDuration = 100;
  double backgroundScroll = 0.0;
  double wobbleAngle = 0.0;
  double wobbleOffset = 0.0;
  double wobbleStep = 1.0;

  Texture* texPlayer = nullptr;
  Texture* texEnemy = nullptr;
  Texture* texEnemySauced = nullptr;
  Texture* texTomato = nullptr;
  Texture* texParm = nullptr;
  Texture* texProjectile = nullptr;
  Texture* texEnergySlice = nullptr;
  Texture* texHealthSlice = nullptr;

  Font* fontScore = nullptr;
  Font* fontSmall = nullptr;

  CSound* accordionSound = nullptr;
  CSound* gearsSound = nullptr;
  CSound* musicSound = nullptr;
  CSound* phasingSound = nullptr;
  CSound* splatSound = nullptr;
  CSound* squishSound = nullptr;

  RenderSurface* backgroundSurface = nullptr;
};

extern WorldState world;
