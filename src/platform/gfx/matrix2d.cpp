#include "platform/gfx/matrix2d.h"

#include <cmath>

namespace {

Matrix2D Translation(float x, float y) {
  Matrix2D matrix;
  matrix.dx = x;
  matrix.dy = y;
  return matrix;
}

Matrix2D Rotation(float angle) {
  const float cosine = std::cos(angle);
  const float sine = std::sin(angle);
  Matrix2D matrix;
  matrix.m11 = cosine;
  matrix.m12 = sine;
  matrix.m21 = -sine;
  matrix.m22 = cosine;
  return matrix;
}

Matrix2D Scaling(float x, float y) {
  Matrix2D matrix;
  matrix.m11 = x;
  matrix.m22 = y;
  return matrix;
}

}  // namespace

Vector2 TransformPoint(const Matrix2D& matrix, Vector2 point) {
  return Vector2{point.x * matrix.m11 + point.y * matrix.m21 + matrix.dx,
                 point.x * matrix.m12 + point.y * matrix.m22 + matrix.dy};
}

Matrix2D MultiplyMatrices(const Matrix2D& a, const Matrix2D& b) {
  Matrix2D result;
  result.m11 = a.m11 * b.m11 + a.m12 * b.m21;
  result.m12 = a.m11 * b.m12 + a.m12 * b.m22;
  result.m21 = a.m21 * b.m11 + a.m22 * b.m21;
  result.m22 = a.m21 * b.m12 + a.m22 * b.m22;
  result.dx = a.dx * b.m11 + a.dy * b.m21 + b.dx;
  result.dy = a.dx * b.m12 + a.dy * b.m22 + b.dy;
  return result;
}

Matrix2D MatrixTransformation2D(const Vector2* scalingCentre, float scalingRotation,
                                const Vector2* scaling, const Vector2* rotationCentre,
                                float rotation, const Vector2* translation) {
  Matrix2D matrix;
  if (scaling) {
    const Vector2 centre = scalingCentre ? *scalingCentre : Vector2{};
    // Scale along the turned axes: turn them onto x and y, scale, turn back.
    matrix = MultiplyMatrices(Translation(-centre.x, -centre.y), Rotation(-scalingRotation));
    matrix = MultiplyMatrices(matrix, Scaling(scaling->x, scaling->y));
    matrix = MultiplyMatrices(matrix, Rotation(scalingRotation));
    matrix = MultiplyMatrices(matrix, Translation(centre.x, centre.y));
  }
  const Vector2 centre = rotationCentre ? *rotationCentre : Vector2{};
  matrix = MultiplyMatrices(matrix, Translation(-centre.x, -centre.y));
  matrix = MultiplyMatrices(matrix, Rotation(rotation));
  matrix = MultiplyMatrices(matrix, Translation(centre.x, centre.y));
  if (translation) matrix = MultiplyMatrices(matrix, Translation(translation->x, translation->y));
  return matrix;
}
