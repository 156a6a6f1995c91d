#pragma once
// The 3D transforms of the device: 4 × 4 matrices for row vectors, (x, y, z, 1) · M, in a
// left-handed space (x right, y up, z away from the viewer), and the camera's matrices.
struct Vector3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
};

struct Matrix4 {
  // m[row][column]; the translation is the last row.
  float m[4][4] = {{1.0f, 0.0f, 0.0f, 0.0f},
                   {0.0f, 1.0f, 0.0f, 0.0f},
                   {0.0f, 0.0f, 1.0f, 0.0f},
                   {0.0f, 0.0f, 0.0f, 1.0f}};
};

// First a, then b.
Matrix4 MatrixMultiply(const Matrix4& a, const Matrix4& b);
// Turns by `angle` radians about the y axis: clockwise when seen from above (+y).
Matrix4 MatrixRotationY(float angle);
Matrix4 MatrixTranslation(float x, float y, float z);
// Projects view space (eye at the origin, looking along +z) so that depths from
// nearPlane to farPlane land on 0 to 1; fieldOfViewY is the vertical angle in radians,
// aspect the width over the height.
Matrix4 MatrixPerspectiveFovLH(float fieldOfViewY, float aspect, float nearPlane, float farPlane);
// World space to view space for an eye looking at the target, `up` pointing up on
// screen. The eye must differ from the target and up must not lie along the view.
Matrix4 MatrixLookAtLH(const Vector3& eye, const Vector3& target, const Vector3& up);
// The point through the matrix, divided by w.
Vector3 TransformCoord(const Matrix4& matrix, Vector3 point);
