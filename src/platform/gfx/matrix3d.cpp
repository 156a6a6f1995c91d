// The matrices through GLM. A GLM matrix is stored column by column for column vectors,
// which is the same sixteen floats as the transposed row-vector matrix stored row by row:
// the two convert by plain copies.
#include "platform/gfx/matrix3d.h"

#include <cstring>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>

namespace {

glm::mat4 ToGlm(const Matrix4& matrix) {
  glm::mat4 result;
  std::memcpy(&result[0][0], &matrix.m[0][0], sizeof matrix.m);
  return result;
}

Matrix4 FromGlm(const glm::mat4& matrix) {
  Matrix4 result;
  std::memcpy(&result.m[0][0], &matrix[0][0], sizeof result.m);
  return result;
}

glm::vec3 ToGlm(const Vector3& vector) { return glm::vec3(vector.x, vector.y, vector.z); }

}  // namespace

Matrix4 MatrixMultiply(const Matrix4& a, const Matrix4& b) { return FromGlm(ToGlm(b) * ToGlm(a)); }

Matrix4 MatrixRotationY(float angle) {
  return FromGlm(glm::rotate(glm::mat4(1.0f), angle, glm::vec3(0.0f, 1.0f, 0.0f)));
}

Matrix4 MatrixTranslation(float x, float y, float z) {
  return FromGlm(glm::translate(glm::mat4(1.0f), glm::vec3(x, y, z)));
}

Matrix4 MatrixPerspectiveFovLH(float fieldOfViewY, float aspect, float nearPlane, float farPlane) {
  // Depth from 0 at the near plane to 1 at the far one.
  return FromGlm(glm::perspectiveLH_ZO(fieldOfViewY, aspect, nearPlane, farPlane));
}

Matrix4 MatrixLookAtLH(const Vector3& eye, const Vector3& target, const Vector3& up) {
  return FromGlm(glm::lookAtLH(ToGlm(eye), ToGlm(target), ToGlm(up)));
}

Vector3 TransformCoord(const Matrix4& matrix, Vector3 point) {
  const glm::vec4 result = ToGlm(matrix) * glm::vec4(ToGlm(point), 1.0f);
  return Vector3{result.x / result.w, result.y / result.w, result.z / result.w};
}
