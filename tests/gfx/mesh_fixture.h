#pragma once
// A device in memory under a scripted system (which records the message boxes), a
// working directory of the test's own, and writers of small .x mesh files, text and
// binary, from one description.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "game/world_state.h"
#include "gfx/graphics_device.h"
#include "platform/gfx/image_file.h"
#include "platform/gfx/matrix3d.h"
#include "platform/system/scripted_system.h"
#include "platform/system/system_driver.h"
#include "platform/system/window.h"

struct XMaterialSpec {
  std::string name;
  float diffuse[4] = {1, 1, 1, 1};
  float power = 0;
  float specular[3] = {0, 0, 0};
  float emissive[3] = {0, 0, 0};
  std::string texture;  // empty: names none
};

struct XMeshSpec {
  std::vector<Vector3> positions;
  std::vector<Vector3> normals;  // empty, or one per position
  std::vector<float> uvs;        // empty, or u, v per position
  std::vector<std::vector<uint32_t>> faces;
  std::vector<uint32_t> faceMaterials;  // one per face when there are materials
  std::vector<XMaterialSpec> materials;
};

// The text form, laid out as exporters write it.
inline std::string TextX(const XMeshSpec& mesh) {
  std::string out = "xof 0303txt 0032\n\nMesh Model {\n";
  auto number = [](float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return std::string(text);
  };
  auto vectors = [&](const std::vector<Vector3>& list) {
    out += " " + std::to_string(list.size()) + ";\n";
    for (size_t i = 0; i < list.size(); ++i) {
      out += " " + number(list[i].x) + ";" + number(list[i].y) + ";" + number(list[i].z) + ";" +
             (i + 1 < list.size() ? ",\n" : ";\n");
    }
  };
  auto faces = [&] {
    out += " " + std::to_string(mesh.faces.size()) + ";\n";
    for (size_t f = 0; f < mesh.faces.size(); ++f) {
      out += " " + std::to_string(mesh.faces[f].size()) + ";";
      for (size_t k = 0; k < mesh.faces[f].size(); ++k) {
        out += std::to_string(mesh.faces[f][k]) + (k + 1 < mesh.faces[f].size() ? "," : ";");
      }
      out += f + 1 < mesh.faces.size() ? ",\n" : ";\n";
    }
  };
  vectors(mesh.positions);
  faces();
  if (!mesh.normals.empty()) {
    out += " MeshNormals {\n";
    vectors(mesh.normals);
    faces();
    out += " }\n";
  }
  if (!mesh.uvs.empty()) {
    out += " MeshTextureCoords {\n " + std::to_string(mesh.uvs.size() / 2) + ";\n";
    for (size_t i = 0; i < mesh.uvs.size(); i += 2) {
      out += " " + number(mesh.uvs[i]) + ";" + number(mesh.uvs[i + 1]) + ";" +
             (i + 2 < mesh.uvs.size() ? ",\n" : ";\n");
    }
    out += " }\n";
  }
  if (!mesh.materials.empty()) {
    out += " MeshMaterialList {\n " + std::to_string(mesh.materials.size()) + ";\n " +
           std::to_string(mesh.faceMaterials.size()) + ";\n ";
    for (size_t f = 0; f < mesh.faceMaterials.size(); ++f) {
      out += std::to_string(mesh.faceMaterials[f]) + (f + 1 < mesh.faceMaterials.size() ? "," : ";;\n");
    }
    for (const XMaterialSpec& material : mesh.materials) {
      const float* d = material.diffuse;
      const float* s = material.specular;
      const float* e = material.emissive;
      out += "  Material " + material.name + " {\n   " + number(d[0]) + ";" + number(d[1]) + ";" +
             number(d[2]) + ";" + number(d[3]) + ";;\n   " + number(material.power) + ";\n   " +
             number(s[0]) + ";" + number(s[1]) + ";" + number(s[2]) + ";;\n   " + number(e[0]) +
             ";" + number(e[1]) + ";" + number(e[2]) + ";;\n";
      if (!material.texture.empty()) {
        out += "   TextureFilename { \"" + material.texture + "\"; }\n";
      }
      out += "  }\n";
    }
    out += " }\n";
  }
  out += "}\n";
  return out;
}

// The binary form: tokens of 16 bits, counts of 32, floats of 32.
inline std::string BinaryX(const XMeshSpec& mesh) {
  enum : uint16_t { NAME = 1, STRING = 2, INTEGER_LIST = 6, FLOAT_LIST = 7, OBRACE = 10,
                    CBRACE = 11, SEMICOLON = 20 };
  std::string out = "xof 0303bin 0032";
  auto raw = [&](const void* data, size_t size) {
    out.append(static_cast<const char*>(data), size);
  };
  auto token = [&](uint16_t value) { raw(&value, 2); };
  auto dword = [&](uint32_t value) { raw(&value, 4); };
  auto name = [&](const std::string& text) {
    token(NAME);
    dword(static_cast<uint32_t>(text.size()));
    raw(text.data(), text.size());
  };
  auto ints = [&](const std::vector<uint32_t>& list) {
    token(INTEGER_LIST);
    dword(static_cast<uint32_t>(list.size()));
    for (uint32_t value : list) dword(value);
  };
  auto floats = [&](const std::vector<float>& list) {
    token(FLOAT_LIST);
    dword(static_cast<uint32_t>(list.size()));
    for (float value : list) raw(&value, 4);
  };
  auto vectors = [&](const std::vector<Vector3>& list) {
    ints({static_cast<uint32_t>(list.size())});
    std::vector<float> values;
    for (const Vector3& v : list) values.insert(values.end(), {v.x, v.y, v.z});
    floats(values);
  };
  auto faces = [&] {
    std::vector<uint32_t> values{static_cast<uint32_t>(mesh.faces.size())};
    for (const std::vector<uint32_t>& face : mesh.faces) {
      values.push_back(static_cast<uint32_t>(face.size()));
      values.insert(values.end(), face.begin(), face.end());
    }
    ints(values);
  };
  name("Mesh");
  name("Model");
  token(OBRACE);
  vectors(mesh.positions);
  faces();
  if (!mesh.normals.empty()) {
    name("MeshNormals");
    token(OBRACE);
    vectors(mesh.normals);
    faces();
    token(CBRACE);
  }
  if (!mesh.uvs.empty()) {
    name("MeshTextureCoords");
    token(OBRACE);
    ints({static_cast<uint32_t>(mesh.uvs.size() / 2)});
    floats(mesh.uvs);
    token(CBRACE);
  }
  if (!mesh.materials.empty()) {
    name("MeshMaterialList");
    token(OBRACE);
    std::vector<uint32_t> list{static_cast<uint32_t>(mesh.materials.size()),
                               static_cast<uint32_t>(mesh.faceMaterials.size())};
    list.insert(list.end(), mesh.faceMaterials.begin(), mesh.faceMaterials.end());
    ints(list);
    for (const XMaterialSpec& material : mesh.materials) {
      name("Material");
      name(material.name);
      token(OBRACE);
      const float* d = material.diffuse;
      const float* s = material.specular;
      const float* e = material.emissive;
      floats({d[0], d[1], d[2], d[3], material.power, s[0], s[1], s[2], e[0], e[1], e[2]});
      if (!material.texture.empty()) {
        name("TextureFilename");
        token(OBRACE);
        token(STRING);
        dword(static_cast<uint32_t>(material.texture.size()));
        raw(material.texture.data(), material.texture.size());
        token(SEMICOLON);
        token(CBRACE);
      }
      token(CBRACE);
    }
    token(CBRACE);
  }
  token(CBRACE);
  return out;
}

inline void WriteTestFile(const std::string& path, const std::string& bytes) {
  std::error_code error;
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent, error);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

inline void WriteTestImage(const std::string& path, int width, int height,
                       std::vector<uint32_t> pixels) {
  std::error_code error;
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent, error);
  ASSERT_TRUE(SaveImagePng(path.c_str(), width, height, pixels.data())) << path;
}

// Clears to `background`, runs `draw` inside the scene and reads the back buffer.
inline ImageData DrawMeshFrame(uint32_t background, const std::function<void()>& draw) {
  world.d3ddev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0);
  EXPECT_EQ(world.d3ddev->BeginScene(), S_OK);
  draw();
  world.d3ddev->EndScene();
  ImageData image;
  EXPECT_EQ(world.backBuffer->ReadPixels(&image), S_OK);
  return image;
}

inline uint32_t PixelAt(const ImageData& image, int x, int y) {
  return image.pixels[static_cast<size_t>(y) * image.width + x];
}

inline intptr_t IgnoreMeshWindowMessages(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

class MeshTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSystemDriver(&scripted);
    window = CreateGameWindow("Zorbly Frondles", SCREEN_WIDTH, SCREEN_HEIGHT,
                              IgnoreMeshWindowMessages);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(InitGraphics(window, SCREEN_WIDTH, SCREEN_HEIGHT, false));
    // Textures are also looked for in the working directory: each test has its own.
    std::error_code error;
    previousFolder = std::filesystem::current_path(error);
    folder = std::filesystem::temp_directory_path(error) /
             ("zf_mesh_" + std::to_string(getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder, error);
    std::filesystem::current_path(folder, error);
    ASSERT_FALSE(error) << error.message();
  }

  void TearDown() override {
    ReleaseGraphics();
    if (window) DestroyGameWindow(window);
    SetSystemDriver(nullptr);
    std::error_code error;
    std::filesystem::current_path(previousFolder, error);
    std::filesystem::remove_all(folder, error);
  }

  ScriptedSystem scripted;
  WindowHandle window = nullptr;
  std::filesystem::path previousFolder;
  std::filesystem::path folder;
};
