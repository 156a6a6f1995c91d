// Mesh models from .x files, text and binary: their materials and textures, the files
// they name, what a failed load asks and releases, and the pictures they draw.
#include "gfx/mesh_model.h"

#include "gfx/camera.h"
#include "gfx/file_paths.h"
#include "mesh_fixture.h"
#include "platform/gfx/mesh.h"
#include "platform/gfx/texture.h"
#include "platform/system/system.h"

namespace {

constexpr uint32_t BACKGROUND = 0xFF336699;
constexpr uint32_t RED = 0xFFFF0000;
constexpr uint32_t GREEN = 0xFF00FF00;
constexpr uint32_t BLUE = 0xFF0000FF;
constexpr uint32_t YELLOW = 0xFFFFFF00;
constexpr uint32_t MAGENTA = 0xFFFF00FF;

Vector3 Add(Vector3 a, Vector3 b, float scale) {
  return Vector3{a.x + b.x * scale, a.y + b.y * scale, a.z + b.z * scale};
}

// A cube from -1 to 1. Material 0 (sauce red, untextured) covers the front (-z), top and
// bottom; material 1 (white, textured by "textures\wall.png") the back and both sides.
// Each face's texture stands upright when seen from outside.
XMeshSpec Cube() {
  struct Side {
    Vector3 normal;
    Vector3 up;
    uint32_t material;
  };
  const Side sides[6] = {{{0, 0, -1}, {0, 1, 0}, 0}, {{0, 0, 1}, {0, 1, 0}, 1},
                         {{-1, 0, 0}, {0, 1, 0}, 1}, {{1, 0, 0}, {0, 1, 0}, 1},
                         {{0, 1, 0}, {0, 0, 1}, 0},  {{0, -1, 0}, {0, 0, -1}, 0}};
  XMeshSpec cube;
  for (const Side& side : sides) {
    // Right as seen from outside, looking along -normal (left-handed: up × look).
    const Vector3 look{-side.normal.x, -side.normal.y, -side.normal.z};
    const Vector3 right{side.up.y * look.z - side.up.z * look.y,
                        side.up.z * look.x - side.up.x * look.z,
                        side.up.x * look.y - side.up.y * look.x};
    const uint32_t first = static_cast<uint32_t>(cube.positions.size());
    // Top-left, top-right, bottom-right, bottom-left: clockwise from outside.
    const float corners[4][2] = {{-1, 1}, {1, 1}, {1, -1}, {-1, -1}};
    const float uvs[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int k = 0; k < 4; ++k) {
      cube.positions.push_back(
          Add(Add(side.normal, right, corners[k][0]), side.up, corners[k][1]));
      cube.normals.push_back(side.normal);
      cube.uvs.insert(cube.uvs.end(), {uvs[k][0], uvs[k][1]});
    }
    cube.faces.push_back({first, first + 1, first + 2, first + 3});
    cube.faceMaterials.push_back(side.material);
  }
  XMaterialSpec sauce;
  sauce.name = "Sauce";
  sauce.diffuse[1] = sauce.diffuse[2] = 0.0f;
  sauce.power = 8.0f;
  sauce.specular[0] = 0.5f;
  sauce.specular[1] = 0.25f;
  sauce.specular[2] = 0.125f;
  XMaterialSpec wall;
  wall.name = "Wall";
  wall.texture = "textures\\wall.png";
  cube.materials = {sauce, wall};
  return cube;
}

// One triangle facing -z with the given materials, all its face in material 0.
XMeshSpec Triangle(std::vector<XMaterialSpec> materials) {
  XMeshSpec triangle;
  triangle.positions = {{-1, -1, 0}, {0, 1, 0}, {1, -1, 0}};
  triangle.faces = {{0, 1, 2}};
  if (!materials.empty()) triangle.faceMaterials = {0};
  triangle.materials = std::move(materials);
  return triangle;
}

// Quarters of green, blue / yellow, magenta: tells which way up and round a texture is
// drawn. SDL's rasteriser maps texels in whole steps, so the texture is not tiny.
void WriteWallTexture(const std::string& path) {
  constexpr int SIZE = 64;
  std::vector<uint32_t> pixels(SIZE * SIZE);
  for (int y = 0; y < SIZE; ++y) {
    for (int x = 0; x < SIZE; ++x) {
      const bool right = x >= SIZE / 2;
      pixels[y * SIZE + x] = y < SIZE / 2 ? (right ? BLUE : GREEN) : (right ? MAGENTA : YELLOW);
    }
  }
  WriteTestImage(path, SIZE, SIZE, pixels);
}

// Which channels a pixel clearly has: red 4, green 2, blue 1.
int Channels(uint32_t pixel) {
  return (((pixel >> 16) & 0xFF) > 0x30 ? 4 : 0) | (((pixel >> 8) & 0xFF) > 0x30 ? 2 : 0) |
         ((pixel & 0xFF) > 0x30 ? 1 : 0);
}

// Where a point of the world lands in the back buffer under the device's camera.
uint32_t PixelOf(const ImageData& image, Vector3 point) {
  Matrix4 view;
  Matrix4 projection;
  world.d3ddev->GetTransform(D3DTS_VIEW, &view);
  world.d3ddev->GetTransform(D3DTS_PROJECTION, &projection);
  const Vector3 projected = TransformCoord(MatrixMultiply(view, projection), point);
  const int x = static_cast<int>((projected.x + 1.0f) * 0.5f * SCREEN_WIDTH);
  const int y = static_cast<int>((1.0f - projected.y) * 0.5f * SCREEN_HEIGHT);
  return PixelAt(image, x, y);
}

bool SameColor(const ColorValue& a, const ColorValue& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

using MeshModelTest = MeshTest;

TEST_F(MeshModelTest, TextAndBinaryCubesLoadTheirMaterialsAndTheTextureNamedWithAFolder) {
  WriteWallTexture("textures/wall.png");
  WriteTestFile("cube.x", TextX(Cube()));
  WriteTestFile("cube-binary.x", BinaryX(Cube()));
  for (const char* file : {"cube.x", "cube-binary.x"}) {
    SCOPED_TRACE(file);
    MeshModel* model = LoadModel(file);
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->materialCount, 2u);
    ASSERT_EQ(model->materials.size(), 2u);
    ASSERT_EQ(model->textures.size(), 2u);
    EXPECT_EQ(model->mesh->GetNumFaces(), 12u);  // six squares, two triangles each

    const Material& sauce = model->materials[0];
    EXPECT_TRUE(SameColor(sauce.diffuse, ColorValue{1, 0, 0, 1}));
    EXPECT_TRUE(SameColor(sauce.ambient, sauce.diffuse));
    EXPECT_TRUE(SameColor(sauce.specular, ColorValue{0.5f, 0.25f, 0.125f, 1}));
    EXPECT_EQ(sauce.power, 8.0f);
    EXPECT_EQ(model->textures[0], nullptr);
    EXPECT_TRUE(SameColor(model->materials[1].ambient, model->materials[1].diffuse));
    ASSERT_NE(model->textures[1], nullptr);
    EXPECT_EQ(model->textures[1]->Width(), 64);
    ReleaseModel(model);
  }
  EXPECT_TRUE(scripted.questions.empty());
}

TEST_F(MeshModelTest, TexturesAreFoundAsNamedOrByBareNameAndAMissingOneStaysEmptyUnasked) {
  XMaterialSpec lost;
  lost.name = "Lost";
  lost.diffuse[0] = 0.5f;
  lost.emissive[0] = 0.25f;
  lost.emissive[2] = 0.75f;
  lost.texture = "missing\\nowhere.png";
  XMaterialSpec bare;
  bare.name = "Bare";
  bare.texture = "far/away\\wall.png";  // only wall.png exists, here
  WriteWallTexture("wall.png");
  WriteTestFile("triangle.x", TextX(Triangle({lost, bare})));

  MeshModel* model = LoadModel("triangle.x");
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

TEST_F(MeshModelTest, PathsSplitAtEitherSlashAndFilesAreFoundUnchangedThenBare) {
  std::string directory = "old";
  std::string fileName = "old";
  SplitPath("textures\\wall.png", &directory, &fileName);
  EXPECT_EQ(directory, "textures");
  EXPECT_EQ(fileName, "wall.png");
  SplitPath("C:\\art/pasta\\tube.png", &directory, &fileName);
  EXPECT_EQ(directory, "C:/art/pasta");
  EXPECT_EQ(fileName, "tube.png");
  SplitPath("wall.png", &directory, &fileName);
  EXPECT_EQ(directory, "");
  EXPECT_EQ(fileName, "wall.png");
  SplitPath("textures/", &directory, nullptr);
  EXPECT_EQ(directory, "textures");
  SplitPath("textures/", nullptr, &fileName);
  EXPECT_EQ(fileName, "");

  WriteTestFile("textures/wall.png", "x");
  WriteTestFile("tomato.png", "x");
  EXPECT_TRUE(FileExists("textures\\wall.png"));
  EXPECT_FALSE(FileExists("wall.png"));

  std::string path = "textures\\wall.png";
  EXPECT_TRUE(FindFile(&path));
  EXPECT_EQ(path, "textures\\wall.png");
  path = "elsewhere\\tomato.png";
  EXPECT_TRUE(FindFile(&path));
  EXPECT_EQ(path, "tomato.png");
  // The folder alone is not tried: textures/wall.png is not reached from another folder.
  path = "other/textures\\wall.png";
  EXPECT_FALSE(FindFile(&path));
  EXPECT_EQ(path, "other/textures\\wall.png");
  EXPECT_FALSE(FindFile(nullptr));
}

TEST_F(MeshModelTest, FailedLoadsAskTheirQuestionReleaseWhatWasMadeAndGiveNull) {
  using Question = ScriptedSystem::Question;
  auto expectOneQuestion = [&](const char* text, const char* caption) {
    ASSERT_EQ(scripted.questions.size(), 1u);
    const Question& asked = scripted.questions[0];
    EXPECT_EQ(asked.text, text);
    EXPECT_EQ(asked.caption, caption);
    EXPECT_EQ(asked.style, MB_OK);
    scripted.questions.clear();
  };

  const std::string binaryCube = BinaryX(Cube());
  WriteTestFile("pasta.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  WriteTestFile("cut-short.x", binaryCube.substr(0, binaryCube.size() / 2));
  WriteTestFile("garbled.x", "xof 0303txt 0032\nMesh M {\n 3;\n 0.0;0.0;zero;,\n");
  WriteTestFile("empty.x", "");
  for (const char* file : {"no-such-model.x", "pasta.obj", "cut-short.x", "garbled.x", "empty.x"}) {
    SCOPED_TRACE(file);
    EXPECT_EQ(LoadModel(file), nullptr);
    expectOneQuestion("Error loading model file", "Zorbly Frondles");
  }

  // The first texture is made before the second fails; it must not be left behind.
  XMaterialSpec good;
  good.name = "Good";
  good.texture = "wall.png";
  XMaterialSpec notAnImage;
  notAnImage.name = "Notes";
  notAnImage.texture = "textures\\notes.png";
  WriteWallTexture("wall.png");
  WriteTestFile("textures/notes.png", "a shopping list, not a picture\n");
  WriteTestFile("noted.x", TextX(Triangle({good, notAnImage})));
  EXPECT_EQ(LoadModel("noted.x"), nullptr);
  expectOneQuestion("Could not find texture file", "Error");

  ReleaseGraphics();
  EXPECT_EQ(LoadModel("noted.x"), nullptr);
  expectOneQuestion("Error loading model file", "Zorbly Frondles");
}

TEST_F(MeshModelTest, TheCubeShowsItsNearFacesInPlaceAndColourAndHidesTheRest) {
  WriteWallTexture("textures/wall.png");
  WriteTestFile("cube.x", TextX(Cube()));
  WriteTestFile("cube-binary.x", BinaryX(Cube()));
  for (const char* file : {"cube.x", "cube-binary.x"}) {
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
    EXPECT_EQ(PixelAt(image, 754, 384), BACKGROUND);
    EXPECT_EQ(PixelAt(image, 512, 142), BACKGROUND);
    EXPECT_EQ(PixelAt(image, 512, 626), BACKGROUND);

    // From the left: the side's texture upright, its texels unchanged by the white.
    SetCamera(-5, 0, 0, 0, 0, 0);
    image = DrawMeshFrame(BACKGROUND, [&] { DrawModel(model); });
    EXPECT_EQ(PixelAt(image, 400, 270), GREEN);
    EXPECT_EQ(PixelAt(image, 624, 270), BLUE);
    EXPECT_EQ(PixelAt(image, 400, 500), YELLOW);
    EXPECT_EQ(PixelAt(image, 624, 500), MAGENTA);
    EXPECT_EQ(PixelAt(image, 270, 384), BACKGROUND);

    // From above, front and left: front, left side and top show, the other three not.
    world.d3ddev->SetTexture(0, nullptr);
    SetCamera(-4, 3, -5, 0, 0, 0);
    image = DrawMeshFrame(BACKGROUND, [&] { DrawModel(model); });
    EXPECT_EQ(Channels(PixelOf(image, {-0.5f, 0.5f, -1})), 4);  // front, red
    EXPECT_EQ(Channels(PixelOf(image, {-1, 0.5f, -0.5f})), 1);  // left, blue texel
    EXPECT_EQ(Channels(PixelOf(image, {-1, -0.5f, 0.5f})), 6);  // left, yellow texel
    EXPECT_EQ(Channels(PixelOf(image, {0.3f, 1, 0.3f})), 4);    // top, red
    EXPECT_EQ(PixelOf(image, {3, 0, -1}), BACKGROUND);

    // A material without a texture keeps the one stage 0 already holds: the next frame
    // draws the red faces through the wall, green × red is black.
    image = DrawMeshFrame(BACKGROUND, [&] { DrawModel(model); });
    EXPECT_EQ(PixelOf(image, {-0.5f, 0.5f, -1}), 0xFF000000u);
    ReleaseModel(model);
  }
}

TEST_F(MeshModelTest, AModelWithoutMaterialsDrawsWithTheDevicesMaterialEvenBehindTheEye) {
  // A floor of 200 × 200 below the eye, reaching behind it, without normals.
  XMeshSpec floor;
  floor.positions = {{-100, -1, 100}, {100, -1, 100}, {100, -1, -100}, {-100, -1, -100}};
  floor.faces = {{0, 1, 2, 3}};
  WriteTestFile("floor.x", BinaryX(floor));
  MeshModel* model = LoadModel("floor.x");
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
  WriteWallTexture("textures/wall.png");
  WriteTestFile("cube.x", TextX(Cube()));
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

  // Drawn outside a scene, a subset is refused; after the device, nothing is drawn.
  model = LoadModel("cube.x");
  ASSERT_NE(model, nullptr);
  EXPECT_NE(model->mesh->DrawSubset(0), S_OK);
  ReleaseGraphics();
  DrawModel(model);
  EXPECT_NE(model->mesh->DrawSubset(0), S_OK);
  ReleaseModel(model);
}

}  // namespace
