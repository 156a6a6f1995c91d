// Mesh models from .x files, text and binary: their materials and textures, the files
// they name, what a failed load asks and releases, and the pictures they draw.
#include "gfx/mesh_model.h"

#include <fstream>
#include <iterator>

#include "gfx/camera.h"
#include "gfx/file_paths.h"
#include "mesh_fixture.h"
#include "platform/gfx/mesh.h"
#include "platform/gfx/texture.h"
#include "platform/gfx/x_file.h"
#include "platform/system/system.h"

namespace {

constexpr uint32_t BACKGROUND = 0xFF336699;
constexpr uint32_t BLACK = 0xFF000000;
constexpr uint32_t RED = 0xFFFF0000;
// The quarters of textures/wall.png.
constexpr uint32_t GREEN = 0xFF00FF00;
constexpr uint32_t BLUE = 0xFF0000FF;
constexpr uint32_t YELLOW = 0xFFFFFF00;
constexpr uint32_t MAGENTA = 0xFFFF00FF;

constexpr const char* CUBES[] = {"cube.x", "cube_binary.x"};

// Which channels a pixel clearly has: red 4, green 2, blue 1.
int Channels(uint32_t pixel) {
  return (((pixel >> 16) & 0xFF) > 0x30 ? 4 : 0) | (((pixel >> 8) & 0xFF) > 0x30 ? 2 : 0) |
         ((pixel & 0xFF) > 0x30 ? 1 : 0);
}

// The pixel that a point of the world lands on under the device's camera.
uint32_t PixelOf(const ImageData& image, Vector3 point) {
  Matrix4 view;
  Matrix4 projection;
  world.d3ddev->GetTransform(D3DTS_VIEW, &view);
  world.d3ddev->GetTransform(D3DTS_PROJECTION, &projection);
  const Vector3 projected = TransformCoord(MatrixMultiply(view, projection), point);
  return PixelAt(image, static_cast<int>((projected.x + 1.0f) * 0.5f * SCREEN_WIDTH),
                 static_cast<int>((1.0f - projected.y) * 0.5f * SCREEN_HEIGHT));
}

bool SameColor(const ColorValue& a, const ColorValue& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

using MeshModelTest = MeshTest;

TEST_F(MeshModelTest, CubesLoadTheirMaterialsWithAmbientAsDiffuseAndTheTextureByItsFolder) {
  for (const char* file : CUBES) {
    SCOPED_TRACE(file);
    MeshModel* model = LoadModel(file);
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->materialCount, 2u);
    ASSERT_EQ(model->textures.size(), 2u);
    EXPECT_EQ(model->mesh->GetNumFaces(), 12u);  // six squares, two triangles each
    const Material& sauce = model->materials[0];
    EXPECT_TRUE(SameColor(sauce.diffuse, ColorValue{1, 0, 0, 1}));
    EXPECT_TRUE(SameColor(sauce.ambient, sauce.diffuse));
    EXPECT_TRUE(SameColor(sauce.specular, ColorValue{0.5f, 0.25f, 0.125f, 1}));
    EXPECT_EQ(sauce.power, 8.0f);
    EXPECT_EQ(model->textures[0], nullptr);
    ASSERT_NE(model->textures[1], nullptr);
    EXPECT_EQ(model->textures[1]->Width(), 64);
    ReleaseModel(model);
  }
  EXPECT_TRUE(scripted.questions.empty());
}

TEST_F(MeshModelTest, ATextureIsFoundByBareNameAndOneFoundNowhereStaysEmptyUnasked) {
  // Only the bare name of "far/away\wall.png" exists, here.
  std::error_code error;
  std::filesystem::copy_file("textures/wall.png", "wall.png", error);
  ASSERT_FALSE(error);
  MeshModel* model = LoadModel("lost_and_bare.x");
  ASSERT_NE(model, nullptr);
  ASSERT_EQ(model->materialCount, 2u);
  EXPECT_EQ(model->textures[0], nullptr);
  EXPECT_NE(model->textures[1], nullptr);
  EXPECT_TRUE(SameColor(model->materials[0].emissive, ColorValue{0.25f, 0, 0.75f, 1}));
  EXPECT_TRUE(SameColor(model->materials[0].ambient, ColorValue{0.5f, 1, 1, 1}));
  EXPECT_TRUE(scripted.questions.empty());
  ReleaseModel(model);
  ReleaseModel(nullptr);
}

TEST_F(MeshModelTest, FramesPlaceTheirMeshesInnerFirstAndListsTakeMaterialsByName) {
  for (const char* file : {"framed.x", "framed_binary.x"}) {
    SCOPED_TRACE(file);
    MeshModel* model = LoadModel(file);
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->materialCount, 1u);
    EXPECT_TRUE(SameColor(model->materials[0].diffuse, ColorValue{1, 0.75f, 0, 1}));
    EXPECT_EQ(model->materials[0].power, 4.0f);
    // Turned, then moved: (2, 1, 0), (2, 3, 0), (2, 1, 1). Moved first, it would lie at x 0.
    Vector3 centre;
    float radius = 0.0f;
    ASSERT_EQ(model->mesh->ComputeBoundingSphere(&centre, &radius), S_OK);
    EXPECT_FLOAT_EQ(centre.x, 2.0f);
    EXPECT_FLOAT_EQ(centre.y, 2.0f);
    EXPECT_FLOAT_EQ(centre.z, 0.5f);
    ReleaseModel(model);
  }
}

TEST_F(MeshModelTest, PathsSplitAtEitherSlashAndFilesAreFoundUnchangedThenBare) {
  std::string directory = "old";
  std::string fileName = "old";
  SplitPath("C:\\art/pasta\\tube.png", &directory, &fileName);
  EXPECT_EQ(directory, "C:/art/pasta");
  EXPECT_EQ(fileName, "tube.png");
  SplitPath("wall.png", &directory, &fileName);
  EXPECT_EQ(directory, "");
  EXPECT_EQ(fileName, "wall.png");
  SplitPath("textures/", &directory, nullptr);
  EXPECT_EQ(directory, "textures");

  EXPECT_TRUE(FileExists("textures\\wall.png"));
  EXPECT_FALSE(FileExists("wall.png"));
  std::string path = "textures\\wall.png";
  EXPECT_TRUE(FindFile(&path));
  EXPECT_EQ(path, "textures\\wall.png");
  path = "elsewhere\\cube.x";
  EXPECT_TRUE(FindFile(&path));
  EXPECT_EQ(path, "cube.x");
  // The folder part is never tried on its own.
  path = "other/textures\\wall.png";
  EXPECT_FALSE(FindFile(&path));
  EXPECT_EQ(path, "other/textures\\wall.png");
  EXPECT_FALSE(FindFile(nullptr));
}

TEST_F(MeshModelTest, FailedLoadsAskTheirQuestionReleaseWhatWasMadeAndGiveNull) {
  auto expectOneQuestion = [&](const char* text, const char* caption) {
    ASSERT_EQ(scripted.questions.size(), 1u);
    EXPECT_EQ(scripted.questions[0].text, text);
    EXPECT_EQ(scripted.questions[0].caption, caption);
    EXPECT_EQ(scripted.questions[0].style, MB_OK);
    scripted.questions.clear();
  };
  std::ifstream binary("cube_binary.x", std::ios::binary);
  const std::string cube((std::istreambuf_iterator<char>(binary)), std::istreambuf_iterator<char>());
  WriteTestFile("cut-short.x", cube.substr(0, cube.size() / 2));
  WriteTestFile("garbled.x", "xof 0303txt 0032\nMesh M {\n 3;\n 0.0;0.0;zero;,\n");
  WriteTestFile("pasta.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  // What a few bytes each could make take far more memory is refused before it is held.
  std::string objects = "xof 0303txt 0032\n";
  for (size_t i = 0; i <= X_OBJECT_LIMIT; ++i) objects += "A{}";
  WriteTestFile("crowded.x", objects);
  WriteTestFile("huge.x", "xof 0303txt 0032\n");
  std::filesystem::resize_file("huge.x", uintmax_t{65} << 20);  // sparse: nothing written
  for (const char* file :
       {"no-such-model.x", "cut-short.x", "garbled.x", "pasta.obj", "crowded.x", "huge.x"}) {
    SCOPED_TRACE(file);
    EXPECT_EQ(LoadModel(file), nullptr);
    expectOneQuestion("Error loading model file", "Zorbly Frondles");
  }

  // The first material's texture is made before the second's fails: the leak check
  // sees that it is released.
  EXPECT_EQ(LoadModel("noted.x"), nullptr);
  expectOneQuestion("Could not find texture file", "Error");

  ReleaseGraphics();
  EXPECT_EQ(LoadModel("cube.x"), nullptr);
  expectOneQuestion("Error loading model file", "Zorbly Frondles");
}

TEST_F(MeshModelTest, TheCubeShowsItsNearFacesInPlaceAndColourAndHidesTheRest) {
  for (const char* file : CUBES) {
    SCOPED_TRACE(file);
    MeshModel* model = LoadModel(file);
    ASSERT_NE(model, nullptr);

    // Straight at the front: a square of 2 × (2.4142 / 4) × 384 pixels in the middle,
    // the sauce red of a face turned full to the light.
    SetCamera(0, 0, -5, 0, 0, 0);
    ImageData image = DrawMeshFrame(BACKGROUND, [&] { DrawModel(model); });
    EXPECT_EQ(PixelAt(image, 512, 384), RED);
    EXPECT_EQ(PixelAt(image, 290, 160), RED);
    EXPECT_EQ(PixelAt(image, 734, 606), RED);
    EXPECT_EQ(PixelAt(image, 270, 384), BACKGROUND);
    EXPECT_EQ(PixelAt(image, 512, 626), BACKGROUND);

    // From the left: the side's texture upright, its texels unchanged by the white.
    SetCamera(-5, 0, 0, 0, 0, 0);
    image = DrawMeshFrame(BACKGROUND, [&] { DrawModel(model); });
    EXPECT_EQ(PixelAt(image, 400, 270), GREEN);
    EXPECT_EQ(PixelAt(image, 624, 270), BLUE);
    EXPECT_EQ(PixelAt(image, 400, 500), YELLOW);
    EXPECT_EQ(PixelAt(image, 624, 500), MAGENTA);

    // From above, front and left: front, left side and top show, the other three not.
    world.d3ddev->SetTexture(0, nullptr);
    SetCamera(-4, 3, -5, 0, 0, 0);
    image = DrawMeshFrame(BACKGROUND, [&] { DrawModel(model); });
    EXPECT_EQ(Channels(PixelOf(image, {-0.5f, 0.5f, -1})), 4);  // front, red
    EXPECT_EQ(Channels(PixelOf(image, {-1, 0.5f, -0.5f})), 1);  // left, blue quarter
    EXPECT_EQ(Channels(PixelOf(image, {-1, -0.5f, 0.5f})), 6);  // left, yellow quarter
    EXPECT_EQ(Channels(PixelOf(image, {0.3f, 1, 0.3f})), 4);    // top, red
    EXPECT_EQ(PixelOf(image, {3, 0, -1}), BACKGROUND);

    // A material without a texture keeps the one stage 0 already holds: the next frame
    // draws the red faces through the wall, and green × red is black.
    image = DrawMeshFrame(BACKGROUND, [&] { DrawModel(model); });
    EXPECT_EQ(PixelOf(image, {-0.5f, 0.5f, -1}), BLACK);
    ReleaseModel(model);
  }
}

TEST_F(MeshModelTest, AModelWithoutMaterialsDrawsWithTheDevicesMaterialEvenBehindTheEye) {
  // A floor of 200 × 200 one below the eye, half of it behind, without normals.
  MeshModel* model = LoadModel("floor_binary.x");
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(model->materialCount, 0u);
  EXPECT_TRUE(model->materials.empty());

  Material glow;
  glow.diffuse = ColorValue{0, 0, 0, 1};
  glow.emissive = ColorValue{0, 1, 0, 1};
  world.d3ddev->SetMaterial(&glow);
  SetCamera(0, 0, 0, 0, 0, 1);
  const ImageData image = DrawMeshFrame(BACKGROUND, [&] { DrawModel(model); });
  // The far edge, 100 ahead, lies 1 / 100 × 2.4142 × 384 ≈ 9 pixels below the middle.
  EXPECT_EQ(PixelAt(image, 512, 100), BACKGROUND);
  EXPECT_EQ(PixelAt(image, 512, 389), BACKGROUND);
  EXPECT_EQ(PixelAt(image, 512, 420), GREEN);
  EXPECT_EQ(PixelAt(image, 5, 760), GREEN);
  EXPECT_EQ(PixelAt(image, 1018, 760), GREEN);
  ReleaseModel(model);
}

TEST_F(MeshModelTest, ReleasedTexturesLeaveTheStageAndAGoneDeviceDrawsNothing) {
  MeshModel* model = LoadModel("cube.x");
  ASSERT_NE(model, nullptr);
  SetCamera(-5, 0, 0, 0, 0, 0);
  DrawMeshFrame(BACKGROUND, [&] { DrawModel(model); });
  Texture* stage = nullptr;
  world.d3ddev->GetTexture(0, &stage);
  EXPECT_EQ(stage, model->textures[1]);
  ReleaseModel(model);
  world.d3ddev->GetTexture(0, &stage);
  EXPECT_EQ(stage, nullptr);

  // Outside a scene a subset is refused; once the device is gone nothing draws.
  model = LoadModel("cube.x");
  ASSERT_NE(model, nullptr);
  EXPECT_NE(model->mesh->DrawSubset(0), S_OK);
  ReleaseGraphics();
  DrawModel(model);
  EXPECT_NE(model->mesh->DrawSubset(0), S_OK);
  ReleaseModel(model);
}

}  // namespace
