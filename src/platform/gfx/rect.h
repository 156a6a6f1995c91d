#pragma once
// A rectangle in pixels: left and top inside it, right and bottom just outside.
#include <cstdint>

struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  friend bool operator==(const Rect&, const Rect&) = default;
};
