// Mesh models from .x files, text and binary: their materials and textures, the files
// they name, what a failed load asks and releases, and the pictures they draw.
#include "gfx/mesh_model.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "gfx/camera.h"
#include "gfx/file_paths.h"
#include "gfx_fixture.h"
#include "platform/gfx/matrix3d.h"
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
  graphics.d3ddev->GetTransform(D3DTS_VIEW, &view);
  graphics.d3ddev->GetTransform(D3DTS_PROJECTION, &projection);
  const Vector3 projected = TransformCoord(MatrixMultiply(view, projection), point);
  return GfxTest::At(image, static_cast<int>((projected.x + 1.0f) * 0.5f * SCREEN_WIDTH),
                     static_cast<int>((1.0f - projected.y) * 0.5f * SCREEN_HEIGHT));
}

bool SameColor(const ColorValue& a, const ColorValue& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

// A triangle fan of `corners` corners, as text.
std::string OneFaceMesh(size_t corners) {
  std::string text = "Mesh M {3; 0;0;0;, 1;0;0;, 0;1;0;; 1; " + std::to_string(corners) + ";";
  for (size_t i = 0; i < corners; ++i) text += i % 3 == 0 ? "0," : i % 3 == 1 ? "1," : "2,";
  text.back() = ';';
  return text + ";}\n";
}

std::string Repeated(const std::string& text, size_t times) {
  std::string result;
  for (size_t i = 0; i < times; ++i) result += text;
  return result;
}

using MeshModelTest = GfxTest;

TEST_F(MeshModelTest, ATextureIsFoundByBareNameSharedByFileAndOneFoundNowhereStaysEmptyUnasked) {
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

  // Materials naming one file share its texture, made once and released once.
  const std::string wall = "{1;1;1;1;;1;0;0;0;;0;0;0;; TextureFilename {\"textures/wall.png\";}}\n";
  std::ofstream("shared.x") << "xof 0303txt 0032\nMaterial A " << wall << "Material B " << wall
                            << "Mesh {3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;"
                            << " MeshMaterialList {2;1;0;;{A}{B}}}\n";
  model = LoadModel("shared.x");
  ASSERT_NE(model, nullptr);
  ASSERT_EQ(model->materialCount, 2u);
  EXPECT_NE(model->textures[0], nullptr);
  EXPECT_EQ(model->textures[1], model->textures[0]);
  ReleaseModel(model);
}

TEST_F(MeshModelTest,
       FramesPlaceTheirMeshesInnerFirstWrittenInThemOrNamedAndListsTakeMaterialsByName) {
  // framed.x with its mesh at the top, named by the frame, and a brace in a template's
  // comment: the mesh stands where the frames put it and nowhere else.
  std::string named = ReadFileBytes<std::string>("framed.x");
  const size_t mesh = named.find("  Mesh Crumb {");
  const size_t end = named.find("\n  }\n", mesh) + 5;
  named =
      named.substr(0, mesh) + "  { Crumb }\n" + named.substr(end) + named.substr(mesh, end - mesh);
  named.insert(named.find("template Frame"), "template Odd { # a } in a comment\n DWORD n; }\n");
  std::ofstream("named.x", std::ios::binary) << named;
  for (const char* file : {"framed.x", "framed_binary.x", "named.x"}) {
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
    EXPECT_EQ(model->mesh->GetNumFaces(), 1u);
    ReleaseModel(model);
  }
}

TEST(XFileTest, BinaryStringsEndInASeparatorAndMemberTypesStayInTemplates) {
  const auto word = [](unsigned value) {
    return std::string{char(value & 0xFF), char(value >> 8)};
  };
  const auto name = [&](const char* text) {
    return word(1) + std::string{char(std::strlen(text)), 0, 0, 0} + text;
  };
  const std::string object = name("A") + word(10);
  const std::string string = word(2) + std::string{1, 0, 0, 0} + "s";
  const struct {
    const char* what;
    std::string body;
    bool read;
  } cases[] = {
      {"a string and its semicolon", object + string + word(20) + word(11), true},
      {"a string and its semicolon as a 32-bit word",
       object + string + word(20) + word(0) + word(11), true},
      {"a string ended by a bracket", object + string + word(14) + word(11), false},
      {"a template member of no type at all",
       word(31) + name("T") + word(10) + word(53) + name("n") + word(20) + word(11) + object +
           word(11),
       false},
      {"a member type in data", object + word(41) + word(11), false},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.what);
    const std::string bytes = "xof 0303bin 0032" + test.body;
    XBudget budget(bytes.size());
    std::vector<XObject> objects;
    std::string problem;
    ASSERT_EQ(ReadXFile(bytes.data(), bytes.size(), &budget, &objects, &problem), test.read)
        << problem;
    EXPECT_EQ(objects.size(), test.read ? 1u : 0u);
    for (const XObject& read : objects)
      EXPECT_EQ(read.strings, std::vector<std::string_view>(read.strings.size(), "s"));
  }
}

// Whatever a file asks for, a load holds at most its budget: a file that would need more
// is refused in one line naming it, with the one box, and the game goes on.
TEST_F(MeshModelTest, FilesThatCannotBeReadOrHeldAreRefusedInOneLineAndOneBox) {
  const std::string header = "xof 0303txt 0032\n";
  const std::string cube = ReadFileBytes<std::string>("cube_binary.x");
  const std::string placed = header + OneFaceMesh(1000) + "Frame F {";
  const std::string textured = header +
                               "Material T {1;1;1;1;;1;0;0;0;;0;0;0;; TextureFilename {\"" +
                               std::string(50000, 'x') + "\";}}\n" +
                               "Mesh {3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshMaterialList {";
  // Past the limit in three lists, each small enough for the budget.
  const std::string crowded =
      header + Repeated("A{" + Repeated("B{}", X_OBJECT_LIMIT / 3) + "}", 3);
  std::ofstream("huge.x", std::ios::binary) << header;
  std::filesystem::resize_file("huge.x", uintmax_t{65} << 20);  // sparse: nothing written
  const struct {
    const char* file;
    std::string bytes;  // none: written already, or never
    uint32_t faces;     // none: refused
    const char* reason;
    uint64_t heldPerByte = 0;  // none: not checked
  } cases[] = {
      {"no-such-model.x", "", 0, "missing"},
      {"cut-short.x", cube.substr(0, cube.size() / 2), 0, "longer than the file"},
      {"garbled.x", header + "Mesh M {\n 3;\n 0.0;0.0;zero;,\n", 0, "where a number"},
      {"pasta.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", 0, "not a .x mesh file"},
      {"crowded.x", crowded, 0, "more than 131072 objects"},
      {"huge.x", "", 0, "larger than 64 MB"},
      // Each corner of a face is a vertex of 32 bytes, four times the file.
      {"one-face.x", header + OneFaceMesh(600000), 599998, nullptr},
      {"one-larger-face.x", header + OneFaceMesh(1500000), 0, "MB to hold"},
      // Each reference places the whole mesh again.
      {"placed-thrice.x", placed + Repeated("{M}", 3) + "}", 3 * 998, nullptr},
      {"placed-past-the-budget.x", placed + Repeated("{M}", 2000) + "}", 0, "MB to hold"},
      // Each reference copies the material's texture name.
      {"named-thrice.x", textured + "3;1;0;;{T}{T}{T}}}", 1, nullptr},
      {"named-past-the-budget.x", textured + "1000;1;0;;" + Repeated("{T}", 1000) + "}}", 0,
       "MB to hold"},
      // Strings are held as views of the file's bytes, 16 bytes for every 2 (and half as
      // much again while their list grows); as copies they would take 32 and more.
      {"strings.x", header + "A {" + Repeated("\"\"", 500000) + "}", 0, "no usable triangles", 14},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.file);
    if (!test.bytes.empty()) std::ofstream(test.file, std::ios::binary) << test.bytes;
    testing::internal::CaptureStderr();
    MeshModel* model = LoadModel(test.file);
    const std::string said = testing::internal::GetCapturedStderr();
    const MeshLoadMemory memory = LastMeshLoadMemory();
    EXPECT_LE(memory.peak,
              test.heldPerByte ? test.heldPerByte * test.bytes.size() : memory.allowed);
    if (test.faces > 0) {
      ASSERT_NE(model, nullptr);
      EXPECT_EQ(model->mesh->GetNumFaces(), test.faces);
      EXPECT_EQ(said, "");
      ReleaseModel(model);
      continue;
    }
    EXPECT_EQ(model, nullptr);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find(test.file), std::string::npos) << said;
    EXPECT_NE(said.find(test.reason), std::string::npos) << said;
    ASSERT_EQ(scripted.questions.size(), 1u);
    EXPECT_EQ(scripted.questions[0].text, "Error loading model file");
    EXPECT_EQ(scripted.questions[0].caption, "Zorbly Frondles");
    EXPECT_EQ(scripted.questions[0].style, MB_OK);
    scripted.questions.clear();
  }

  // The first material's texture is made before the second's fails: the leak check
  // sees that it is released.
  EXPECT_EQ(LoadModel("noted.x"), nullptr);
  ASSERT_EQ(scripted.questions.size(), 1u);
  EXPECT_EQ(scripted.questions[0].text, "Could not find texture file");
  EXPECT_EQ(scripted.questions[0].caption, "Error");
  scripted.questions.clear();

  // Once the device is gone nothing draws and nothing loads.
  MeshModel* model = LoadModel("cube.x");
  ASSERT_NE(model, nullptr);
  ReleaseGraphics();
  DrawModel(model);
  EXPECT_NE(model->mesh->DrawSubset(0), S_OK);
  ReleaseModel(model);
  EXPECT_EQ(LoadModel("cube.x"), nullptr);
  EXPECT_EQ(scripted.questions.size(), 1u);
}

TEST_F(MeshModelTest, CubesTakeAmbientAsDiffuseAndTheTextureByItsFolderAndShowTheirNearFaces) {
  for (const char* file : CUBES) {
    SCOPED_TRACE(file);
    MeshModel* model = LoadModel(file);
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->materialCount, 2u);
    EXPECT_EQ(model->mesh->GetNumFaces(), 12u);  // six squares, two triangles each
    const Material& sauce = model->materials[0];
    EXPECT_TRUE(SameColor(sauce.diffuse, ColorValue{1, 0, 0, 1}));
    EXPECT_TRUE(SameColor(sauce.ambient, sauce.diffuse));
    EXPECT_TRUE(SameColor(sauce.specular, ColorValue{0.5f, 0.25f, 0.125f, 1}));
    EXPECT_EQ(sauce.power, 8.0f);
    EXPECT_EQ(model->textures[0], nullptr);
    ASSERT_NE(model->textures[1], nullptr);
    EXPECT_TRUE(scripted.questions.empty());

    // Straight at the front: a square of 2 × (2.4142 / 4) × 384 pixels in the middle,
    // the sauce red of a face turned full to the light.
    SetCamera(0, 0, -5, 0, 0, 0);
    ImageData image = DrawFrame(BACKGROUND, [&] { DrawModel(model); });
    EXPECT_EQ(At(image, 512, 384), RED);
    EXPECT_EQ(At(image, 290, 160), RED);
    EXPECT_EQ(At(image, 734, 606), RED);
    EXPECT_EQ(At(image, 270, 384), BACKGROUND);
    EXPECT_EQ(At(image, 512, 626), BACKGROUND);

    // From the left: the side's texture upright, its texels unchanged by the white.
    SetCamera(-5, 0, 0, 0, 0, 0);
    image = DrawFrame(BACKGROUND, [&] { DrawModel(model); });
    EXPECT_EQ(At(image, 400, 270), GREEN);
    EXPECT_EQ(At(image, 624, 270), BLUE);
    EXPECT_EQ(At(image, 400, 500), YELLOW);
    EXPECT_EQ(At(image, 624, 500), MAGENTA);

    // From above, front and left: front, left side and top show, the other three not.
    graphics.d3ddev->SetTexture(0, nullptr);
    SetCamera(-4, 3, -5, 0, 0, 0);
    image = DrawFrame(BACKGROUND, [&] { DrawModel(model); });
    EXPECT_EQ(Channels(PixelOf(image, {-0.5f, 0.5f, -1})), 4);  // front, red
    EXPECT_EQ(Channels(PixelOf(image, {-1, 0.5f, -0.5f})), 1);  // left, blue quarter
    EXPECT_EQ(Channels(PixelOf(image, {-1, -0.5f, 0.5f})), 6);  // left, yellow quarter
    EXPECT_EQ(Channels(PixelOf(image, {0.3f, 1, 0.3f})), 4);    // top, red
    EXPECT_EQ(PixelOf(image, {3, 0, -1}), BACKGROUND);

    // A material without a texture keeps the one stage 0 already holds: the next frame
    // draws the red faces through the wall, and green × red is black.
    image = DrawFrame(BACKGROUND, [&] { DrawModel(model); });
    EXPECT_EQ(PixelOf(image, {-0.5f, 0.5f, -1}), BLACK);
    // Outside a scene a subset is refused; a released texture leaves the stage.
    EXPECT_NE(model->mesh->DrawSubset(0), S_OK);
    Texture* stage = nullptr;
    graphics.d3ddev->GetTexture(0, &stage);
    EXPECT_EQ(stage, model->textures[1]);
    ReleaseModel(model);
    graphics.d3ddev->GetTexture(0, &stage);
    EXPECT_EQ(stage, nullptr);
  }
}

TEST_F(MeshModelTest, AModelWithoutMaterialsDrawsWithTheDevicesMaterialEvenBehindTheEye) {
  // A floor of 200 × 200 one below the eye, half of it behind, without normals.
  MeshModel* model = LoadModel("floor_binary.x");
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(model->materialCount, 0u);

  Material glow;
  glow.diffuse = ColorValue{0, 0, 0, 1};
  glow.emissive = ColorValue{0, 1, 0, 1};
  graphics.d3ddev->SetMaterial(&glow);
  SetCamera(0, 0, 0, 0, 0, 1);
  const ImageData image = DrawFrame(BACKGROUND, [&] { DrawModel(model); });
  // The far edge, 100 ahead, lies 1 / 100 × 2.4142 × 384 ≈ 9 pixels below the middle.
  EXPECT_EQ(At(image, 512, 100), BACKGROUND);
  EXPECT_EQ(At(image, 512, 389), BACKGROUND);
  EXPECT_EQ(At(image, 512, 420), GREEN);
  EXPECT_EQ(At(image, 5, 760), GREEN);
  EXPECT_EQ(At(image, 1018, 760), GREEN);
  ReleaseModel(model);
}

}  // namespace
