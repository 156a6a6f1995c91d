#pragma once
// The affine 2D transforms of the sprite batch. Points are row vectors multiplied from
// the left: (x', y') = (x·m11 + y·m21 + dx, x·m12 + y·m22 + dy).

struct Vector2 {
  float x = 0.0f;
  float y = 0.0f;
};

struct Matrix2D {
  float m11 = 1.0f, m12 = 0.0f;
  float m21 = 0.0f, m22 = 1.0f;
  float dx = 0.0f, dy = 0.0f;
};

Vector2 TransformPoint(const Matrix2D& matrix, Vector2 point);
// First a, then b.
Matrix2D MultiplyMatrices(const Matrix2D& a, const Matrix2D& b);

// Scales by `scaling` about `scalingCentre` along axes turned by `scalingRotation`, then
// rotates by `rotation` radians about `rotationCentre` (clockwise on a y-down screen),
// then moves by `translation`. Any null vector leaves its step out.
Matrix2D MatrixTransformation2D(const Vector2* scalingCentre, float scalingRotation,
                                const Vector2* scaling, const Vector2* rotationCentre,
                                float rotation, const Vector2* translation);
