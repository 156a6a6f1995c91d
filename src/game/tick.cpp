#include "game/tick.h"

#include "audio/sound_bank.h"
#include "game/enemies.h"
#include "game/pickups.h"
#include "game/run_changes.h"
#include "game/weapons.h"
#include "game/world_state.h"
#include "input/input.h"
#include "platform/system/system.h"

namespace {

constexpr double PLAYER_SPEED = 4.0;
// The stick must pass these strictly to count as pushed.
constexpr int16_t STICK_THRESHOLD = 2000;
constexpr double SCROLL_LIMIT = 1024.0;

const XINPUT_GAMEPAD& Pad() { return gamepadStates[0]; }

bool PadButton(uint16_t bit) { return (Pad().wButtons & bit) != 0; }

bool UpHeld() { return IsKeyDown(DIK_UP) || IsKeyDown(DIK_W) || Pad().sThumbLY > STICK_THRESHOLD; }
bool DownHeld() {
  return IsKeyDown(DIK_DOWN) || IsKeyDown(DIK_S) || Pad().sThumbLY < -STICK_THRESHOLD;
}
bool LeftHeld() {
  return IsKeyDown(DIK_LEFT) || IsKeyDown(DIK_A) || Pad().sThumbLX < -STICK_THRESHOLD;
}
bool RightHeld() {
  return IsKeyDown(DIK_RIGHT) || IsKeyDown(DIK_D) || Pad().sThumbLX > STICK_THRESHOLD;
}
bool PhaseHeld() { return IsKeyDown(DIK_Z) || PadButton(XINPUT_GAMEPAD_B); }
bool MagnetHeld() { return IsKeyDown(DIK_X) || PadButton(XINPUT_GAMEPAD_X); }
bool ChargeHeld() { return IsKeyDown(DIK_C) || PadButton(XINPUT_GAMEPAD_Y); }
bool FireHeld() { return IsKeyDown(DIK_SPACE) || PadButton(XINPUT_GAMEPAD_A); }

void ReadModes() {
  if (PhaseHeld()) world.playerMode = MODE_PHASE;
  // Magnet wins over phase when both are held.
  if (MagnetHeld()) world.playerMode = MODE_MAGNET;
  if (ChargeHeld()) {
    if (AddChargeShot()) {
      world.playerMode = MODE_CHARGE;
    } else {
      // A refused charge releases what was gathered, later in this tick.
      world.previousPlayerMode = MODE_CHARGE;
    }
  }
}

void ScrollBackground() {
  world.backgroundScroll += 1.0;
  if (world.backgroundScroll > SCROLL_LIMIT) world.backgroundScroll = 0.0;
}

bool LeftPhaseOrCharge() {
  return world.previousPlayerMode == MODE_PHASE || world.previousPlayerMode == MODE_CHARGE;
}

void PlayModeSounds() {
  if (world.playerMode == MODE_PHASE) PlaySoundOnce(world.phasingSound);
  if ((world.playerMode == MODE_NORMAL || world.playerMode == MODE_MAGNET) && LeftPhaseOrCharge()) {
    StopSound(world.phasingSound);
    StopSound(world.gearsSound);
  }
}

// 4 pixels per unit of direction, kept on screen; not while charging or in the tick that
// ends a charge.
void MovePlayer(float dx, float dy) {
  if (world.playerMode == MODE_CHARGE || world.previousPlayerMode == MODE_CHARGE) return;
  GameObject& player = world.player;
  player.x = static_cast<float>(player.x + dx * PLAYER_SPEED);
  player.y = static_cast<float>(player.y + dy * PLAYER_SPEED);
  const float lowest = SCREEN_HEIGHT - player.height * player.scale;
  const float rightmost = SCREEN_WIDTH - player.width * player.scale;
  if (player.y < 0.0f) player.y = 0.0f;
  if (player.y > lowest) player.y = lowest;
  if (player.x < 0.0f) player.x = 0.0f;
  if (player.x > rightmost) player.x = rightmost;
}

void RunSimulation() {
  world.playerMode = MODE_NORMAL;
  if (UpHeld()) MovePlayer(0.0f, -1.0f);
  if (DownHeld()) MovePlayer(0.0f, 1.0f);
  if (LeftHeld()) MovePlayer(-1.0f, 0.0f);
  if (RightHeld()) MovePlayer(1.0f, 0.0f);
  ReadModes();
  // Works in every mode.
  if (FireHeld()) FireWeapon();
  ScrollBackground();
  if (world.playerMode == MODE_NORMAL && world.previousPlayerMode == MODE_CHARGE) ReleaseCharge();
  PlayModeSounds();
  MoveProjectiles();
  UpdateEnemies();
  UpdateTomatoes();
  UpdateParms();
  CountDownRumble();
}

// Read whether paused or not.
void ReadAlwaysKeys() {
  // Of several held F keys the highest wins.
  constexpr uint8_t LEVEL_KEYS[] = {DIK_F1, DIK_F2, DIK_F3, DIK_F4, DIK_F5};
  for (int32_t level = 1; level <= 5; ++level) {
    if (IsKeyDown(LEVEL_KEYS[level - 1])) world.weaponLevel = level;
  }
  // One toggle per press, however many ticks the key stays down.
  const bool pauseKeyDown = IsKeyDown(DIK_P);
  if (pauseKeyDown && !world.pauseKeyWasDown) {
    world.paused = !world.paused;
    // A pause of the player's own is kept when the window is left and come back to.
    world.pausedByLeaving = false;
  }
  world.pauseKeyWasDown = pauseKeyDown;
  if (IsKeyDown(DIK_E) || Pad().bRightTrigger != 0) ChangeEnergy(1.0);
  if ((GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0) world.quitRequested = true;
  if (PadButton(XINPUT_GAMEPAD_BACK)) world.quitRequested = true;
}

}  // namespace

void RunTick() {
  world.lastTickTime = world.frameTime;
  ++world.ticksRun;
  PollInput();
  if (!world.paused) RunSimulation();
  ReadAlwaysKeys();
}
