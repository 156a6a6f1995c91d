#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>

#include "audio/sound.h"
#include "audio/sound_bank.h"
#include "game/game_entry.h"
#include "game/population.h"
#include "game/world_state.h"
#include "gfx/fonts.h"
#include "gfx/graphics_device.h"
#include "gfx/image_loading.h"
#include "input/input.h"
#include "platform/gfx/image_file.h"
#include "platform/gfx/render_device.h"
#include "platform/system/asset_path.h"
#include "platform/system/system.h"

namespace {

constexpr int BACKGROUND_WIDTH = 2 * SCREEN_WIDTH;

// Built in place: GCC 12 warns of overlapping copies in joined temporaries.
std::string Line(std::initializer_list<std::string_view> parts) {
  std::string line;
  for (std::string_view part : parts) line += part;
  return line;
}

std::string MissingLine(const char* fileName) {
  return Line({"\"", fileName, "\" not found in ", AssetFolders()});
}

Texture* LoadGameTexture(const char* fileName, uint32_t colorKey) {
  const std::string path = AssetPath(fileName);
  if (path.empty()) {
    std::fprintf(stderr, "zorbly-frondles: warning: %s; it will not be drawn\n",
                 MissingLine(fileName).c_str());
    return nullptr;
  }
  return LoadTexture(path.c_str(), colorKey);
}

CSound* LoadGameSound(const char* fileName) {
  if (!soundManager) return nullptr;  // no sound device: the game runs silent, said once
  const std::string path = AssetPath(fileName);
  if (path.empty()) {
    std::fprintf(stderr, "zorbly-frondles: warning: %s; it will not be heard\n",
                 MissingLine(fileName).c_str());
    return nullptr;
  }
  return LoadSound(path);
}

// The table: two copies of the wood side by side, so any 1024-wide window into it joins
// seamlessly. The wood is decoded straight into both halves. Without it there is no table
// to play on.
bool LoadBackground() {
  const char* fileName = "wood.png";
  const std::string path = AssetPath(fileName);
  if (path.empty()) {
    ReportFatalError(Line({"cannot start: ", MissingLine(fileName)}).c_str());
    return false;
  }
  LockedRect locked;
  if (FAILED(graphics.d3ddev->CreateOffscreenPlainSurface(BACKGROUND_WIDTH, SCREEN_HEIGHT,
                                                          D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                                          &world.backgroundSurface, nullptr)) ||
      FAILED(world.backgroundSurface->LockRect(&locked, nullptr, 0))) {
    ReleaseSurface(world.backgroundSurface);
    char line[80];
    std::snprintf(line, sizeof line, "cannot start: no room for the %d x %d background",
                  BACKGROUND_WIDTH, SCREEN_HEIGHT);
    ReportFatalError(line);
    return false;
  }
  // A wood smaller than the screen leaves the table black, as a copy from it would fail.
  bool coversScreen = false;
  ImageRows rows;
  rows.start = [&coversScreen](int width, int height) {
    coversScreen = width >= SCREEN_WIDTH && height >= SCREEN_HEIGHT;
    return true;
  };
  rows.row = [&](int y, const uint32_t* pixels) {
    if (!coversScreen || y >= SCREEN_HEIGHT) return;
    CopySurfaceRow(pixels, SCREEN_WIDTH, LockedRow(locked, y));
    CopySurfaceRow(pixels, SCREEN_WIDTH, LockedRow(locked, y) + SCREEN_WIDTH);
  };
  std::string problem;
  const bool read =
      DecodeImageFile(path.c_str(), rows, graphics.d3ddev->MaxTextureSize(), &problem);
  world.backgroundSurface->UnlockRect();
  if (!read) {
    ReleaseSurface(world.backgroundSurface);
    // Why, in the same line and box: the player has nowhere else to look.
    ReportFatalError(Line({"cannot start: the picture \"", path, "\" ",
                           problem.empty() ? "cannot be loaded" : problem})
                         .c_str());
  }
  return read;
}

void ReleaseSoundHandle(CSound*& sound) {
  delete sound;
  sound = nullptr;
}

}  // namespace

bool GameStartup(WindowHandle window) {
  if (!InitGraphics(window, SCREEN_WIDTH, SCREEN_HEIGHT, false)) {
    // Every later step needs the device; running on would only spin without a picture.
    ReportFatalError("cannot start: no graphics device");
    return false;
  }
  InitInput(window);
  InitSound(window);
  world.fontScore = MakeFont("Arial Bold", 24);
  world.fontSmall = MakeFont("Arial", 14);

  if (!LoadBackground()) return false;

  world.texPlayer = LoadGameTexture("sauce.png", 0xFFFB00FF);
  PlacePlayer();
  world.texProjectile = LoadGameTexture("splat.png", 0xFF000000);
  PopulateProjectiles();
  world.texEnemy = LoadGameTexture("pastaplain.png", 0xFFFF00FF);
  PopulateEnemies();
  world.texEnergySlice = LoadGameTexture("energyslice.tga", 0xFF000000);
  world.texHealthSlice = LoadGameTexture("healthslice.tga", 0xFF000000);

  world.accordionSound = LoadGameSound("Accordion.wav");
  world.gearsSound = LoadGameSound("gears.wav");
  world.phasingSound = LoadGameSound("phasing.wav");
  world.musicSound = LoadGameSound("music1.wav");
  world.splatSound = LoadGameSound("splat.wav");
  world.squishSound = LoadGameSound("squish.wav");

  world.texTomato = LoadGameTexture("tomato.png", 0xFFFF00FF);
  PopulateTomatoes();
  world.texEnemySauced = LoadGameTexture("pastasauced.png", 0xFFFF00FF);
  world.texParm = LoadGameTexture("parm.png", 0xFFFF00FF);
  PopulateParms();
  return true;
}

void GameShutdown() {
  ReleaseSurface(world.backgroundSurface);
  ReleaseFont(world.fontScore);
  ReleaseFont(world.fontSmall);
  ReleaseTexture(world.texTomato);
  ReleaseTexture(world.texEnemySauced);
  ReleaseTexture(world.texParm);
  ReleaseSoundHandle(world.gearsSound);
  ReleaseSoundHandle(world.accordionSound);
  ReleaseSoundHandle(world.musicSound);
  ReleaseSoundHandle(world.phasingSound);
  ReleaseSoundHandle(world.splatSound);
  ReleaseSoundHandle(world.squishSound);
  ReleaseTexture(world.texEnergySlice);
  ReleaseTexture(world.texHealthSlice);
  ReleaseTexture(world.texEnemy);
  ReleaseTexture(world.texProjectile);
  ReleaseTexture(world.texPlayer);
  ReleaseInput();
  ReleaseGraphics();
  ReleaseSound();
}
