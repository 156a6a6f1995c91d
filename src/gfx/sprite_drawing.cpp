#include "gfx/sprite_drawing.h"

#include <limits>

#include "gfx/graphics_device.h"
#include "platform/gfx/matrix2d.h"
#include "platform/gfx/sprite_batch.h"

void DrawSpriteTransformed(Texture* texture, int32_t x, int32_t y, int32_t width, int32_t height,
                           int32_t frame, int32_t columns, float rotation, float scaleX,
                           float scaleY, uint32_t color) {
  if (!graphics.spriteBatch) return;
  const Vector2 scaling{scaleX, scaleY};
  const Vector2 translation{static_cast<float>(x), static_cast<float>(y)};
  const Vector2 rotationCentre{static_cast<float>(width) * scaleX / 2.0f,
                               static_cast<float>(height) * scaleY / 2.0f};
  graphics.spriteBatch->SetTransform(
      MatrixTransformation2D(nullptr, 0.0f, &scaling, &rotationCentre, rotation, &translation));

  // A sheet without columns has no frames to show.
  if (columns > 0) {
    const int64_t left = static_cast<int64_t>(frame % columns) * width;
    const int64_t top = static_cast<int64_t>(frame / columns) * height;
    const int64_t right = left + width;
    const int64_t bottom = top + height;
    constexpr int64_t lowest = std::numeric_limits<int32_t>::min();
    constexpr int64_t highest = std::numeric_limits<int32_t>::max();
    if (left >= lowest && top >= lowest && right <= highest && bottom <= highest) {
      const Rect source{static_cast<int32_t>(left), static_cast<int32_t>(top),
                        static_cast<int32_t>(right), static_cast<int32_t>(bottom)};
      graphics.spriteBatch->Draw(texture, &source, nullptr, nullptr, color);
    }
  }
  graphics.spriteBatch->SetTransform(Matrix2D{});
}

void DrawSprite(Texture* texture, int32_t x, int32_t y, int32_t width, int32_t height,
                int32_t frame, int32_t columns, float rotation, float scale, uint32_t color) {
  DrawSpriteTransformed(texture, x, y, width, height, frame, columns, rotation, scale, scale,
                        color);
}
