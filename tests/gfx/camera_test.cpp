// The camera's projection and view against values worked out by hand.
#include "gfx/camera.h"

#include "gfx_fixture.h"
#include "platform/gfx/matrix3d.h"

namespace {

void ExpectMatrix(const Matrix4& actual, const float (&expected)[4][4]) {
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      EXPECT_NEAR(actual.m[row][column], expected[row][column], 1e-5f)
          << "row " << row << ", column " << column;
    }
  }
}

Matrix4 Transform(uint32_t state) {
  Matrix4 matrix;
  EXPECT_EQ(graphics.d3ddev->GetTransform(state, &matrix), S_OK);
  return matrix;
}

using CameraTest = GfxTest;

TEST_F(CameraTest, AQuarterTurnHighOverTheGamesAspectFromTheEyeToTheTargetWithYUpOrTheViewKept) {
  SetCamera(0, 0, -10, 0, 0, 0);
  // cot(π/8) = 2.4142136 high, over 1024 / 768 wide; depth 0 at 1 and 1 at 2000.
  const float depth = 2000.0f / 1999.0f;
  ExpectMatrix(Transform(D3DTS_PROJECTION),
               {{1.8106602f, 0, 0, 0}, {0, 2.4142136f, 0, 0}, {0, 0, depth, 1}, {0, 0, -depth, 0}});
  // The view pins the hand, the up direction, the order of eye and target and the layout
  // of the matrix; views from elsewhere are the matrix library's own (and the cubes of the
  // mesh tests are drawn from the front, the left and above).
  ExpectMatrix(Transform(D3DTS_VIEW), {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 10, 1}});

  // Without a sideways direction the view is kept, the projection set all the same.
  const Matrix4 before = Transform(D3DTS_VIEW);
  Matrix4 blank;
  graphics.d3ddev->SetTransform(D3DTS_PROJECTION, &blank);
  SetCamera(1, 2, 3, 1, 2, 3);   // on the target
  SetCamera(0, 9, 0, 0, -1, 0);  // straight down
  ExpectMatrix(Transform(D3DTS_VIEW), before.m);
  EXPECT_NEAR(Transform(D3DTS_PROJECTION).m[1][1], 2.4142136f, 1e-5f);

  ReleaseGraphics();
  SetCamera(0, 0, -10, 0, 0, 0);
}

}  // namespace
