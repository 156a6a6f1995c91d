#include "game/collisions.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "audio/sound_bank.h"
#include "game/overlap.h"
#include "game/run_changes.h"
#include "game/world_state.h"

namespace {

constexpr double SAUCED_HEAL = 2.0;

// Up to 125 x 300 rectangle tests would run on every drawn frame. Instead each live shot
// is filed under the 64-pixel columns and rows its rectangle reaches, and an enemy tests
// only the shots found both in one of its columns and in one of its rows. The cells cover
// the enemies' whole track and a screen's size beyond it on every side; whatever lies
// further out shares the border cells, which only costs it tests, never a hit.
constexpr int CELL_SHIFT = 6;
constexpr int GRID_LEFT = -SCREEN_WIDTH;
constexpr int GRID_TOP = -SCREEN_HEIGHT;
constexpr int COLUMNS = ((WORLD_WIDTH + 2 * SCREEN_WIDTH) >> CELL_SHIFT) + 2;
constexpr int ROWS = ((3 * SCREEN_HEIGHT) >> CELL_SHIFT) + 2;
constexpr int SHOT_WORDS = (PROJECTILE_COUNT + 63) / 64;

// One bit per shot, lowest index in the lowest bit.
struct ShotSet {
  uint64_t words[SHOT_WORDS];
};

// Nothing moves during the pass, so each shot's rectangle is worked out once.
Rect shotRects[PROJECTILE_COUNT];
ShotSet columnShots[COLUMNS];
ShotSet rowShots[ROWS];
// The filed shots not yet used up: in a crowd, later enemies skip what earlier ones took.
ShotSet liveShots;

// Floor division keeps the cells in order, so rectangles that share a pixel always share
// a column and a row, clamped or not.
int CellOf(int32_t coordinate, int32_t origin, int cells) {
  const int64_t cell = ((int64_t{coordinate} - origin) >> CELL_SHIFT) + 1;
  return static_cast<int>(std::clamp<int64_t>(cell, 0, cells - 1));
}

int ColumnOf(int32_t x) { return CellOf(x, GRID_LEFT, COLUMNS); }
int RowOf(int32_t y) { return CellOf(y, GRID_TOP, ROWS); }

bool IsEmpty(const Rect& rect) { return rect.left >= rect.right || rect.top >= rect.bottom; }

void FileShot(int32_t index, const Rect& rect) {
  const uint64_t bit = uint64_t{1} << (index % 64);
  const int word = index / 64;
  liveShots.words[word] |= bit;
  const int lastColumn = ColumnOf(rect.right - 1);
  for (int column = ColumnOf(rect.left); column <= lastColumn; ++column) {
    columnShots[column].words[word] |= bit;
  }
  const int lastRow = RowOf(rect.bottom - 1);
  for (int row = RowOf(rect.top); row <= lastRow; ++row) rowShots[row].words[word] |= bit;
}

// Every shot that may overlap the rectangle: filed both in one of its columns and in one
// of its rows. An empty rectangle overlaps nothing.
ShotSet Candidates(const Rect& rect) {
  ShotSet inColumns{}, inRows{};
  if (IsEmpty(rect)) return inColumns;
  const int lastColumn = ColumnOf(rect.right - 1);
  for (int column = ColumnOf(rect.left); column <= lastColumn; ++column) {
    for (int w = 0; w < SHOT_WORDS; ++w) inColumns.words[w] |= columnShots[column].words[w];
  }
  const int lastRow = RowOf(rect.bottom - 1);
  for (int row = RowOf(rect.top); row <= lastRow; ++row) {
    for (int w = 0; w < SHOT_WORDS; ++w) inRows.words[w] |= rowShots[row].words[w];
  }
  for (int w = 0; w < SHOT_WORDS; ++w) inColumns.words[w] &= inRows.words[w] & liveShots.words[w];
  return inColumns;
}

// Every candidate that overlaps the enemy is used up, each with its sound, not only the
// first; lowest index first, so the same shots go in the same order as in a full scan.
template <typename OnHit>
void UseUpOverlappingShots(const Rect& enemyRect, const ShotSet& candidates, OnHit onHit) {
  for (int w = 0; w < SHOT_WORDS; ++w) {
    for (uint64_t bits = candidates.words[w]; bits != 0; bits &= bits - 1) {
      const uint64_t bit = bits & -bits;
      const int32_t i = w * 64 + std::countr_zero(bits);
      // A shot the first scan of this enemy took is gone for the second.
      if (!(liveShots.words[w] & bit) || !RectsIntersect(enemyRect, shotRects[i])) continue;
      world.projectiles[i].active = false;
      liveShots.words[w] &= ~bit;
      onHit();
      PlaySoundOnce(world.squishSound);
    }
  }
}

}  // namespace

void RunCollisionPass() {
  std::fill(std::begin(columnShots), std::end(columnShots), ShotSet{});
  std::fill(std::begin(rowShots), std::end(rowShots), ShotSet{});
  liveShots = ShotSet{};
  for (int32_t i = 0; i < PROJECTILE_COUNT; ++i) {
    if (!world.projectiles[i].active) continue;
    shotRects[i] = ScaledRect(world.projectiles[i]);
    if (!IsEmpty(shotRects[i])) FileShot(i, shotRects[i]);
  }
  const Rect playerRect = ScaledRect(world.player);  // the player does not move here either
  for (GameObject& enemy : world.enemies) {
    if (!enemy.active && !enemy.sauced) continue;
    const Rect enemyRect = ScaledRect(enemy);
    const ShotSet candidates = Candidates(enemyRect);
    if (enemy.active) {
      UseUpOverlappingShots(enemyRect, candidates, [&enemy] {
        enemy.active = false;
        enemy.sauced = true;
      });
    }
    if (!enemy.active && enemy.sauced) {
      if (RectsIntersect(playerRect, enemyRect)) {
        ChangeHealth(SAUCED_HEAL);
        enemy.active = false;
        enemy.sauced = false;
        PlaySoundOnce(world.squishSound);
      }
      // Runs even when the player has just collected it.
      UseUpOverlappingShots(enemyRect, candidates, [&enemy] {
        enemy.active = false;
        enemy.sauced = false;
      });
    }
  }
}
