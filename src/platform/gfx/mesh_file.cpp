// .x mesh files: the meshes of every frame, placed by the frames' transforms, become one
// mesh whose subset i holds the faces of material i, with the file's material records and
// texture names beside it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/file_access.h"
#include "platform/gfx/image_file.h"
#include "platform/gfx/mesh_internal.h"
#include "platform/gfx/render_internal.h"
#include "platform/gfx/x_file.h"

namespace {

// No model a game loads whole comes near this; a larger file is a mistake, not a mesh.
// (Its numbers take up to four times its size once read.)
constexpr std::streamoff MESH_FILE_LIMIT = std::streamoff{64} << 20;

struct BufferImpl : DataBuffer {
  std::vector<MeshMaterial> records;
  std::vector<std::string> names;
};

// False, with the reason, when the file cannot be read or is too large to be a mesh.
bool ReadWholeFile(const std::string& path, std::vector<char>* bytes, std::string* problem) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *problem = "it is missing or cannot be opened";
    return false;
  }
  file.seekg(0, std::ios::end);
  const std::streamoff size = file.tellg();
  if (size > MESH_FILE_LIMIT) {
    *problem = "it is larger than " + std::to_string(MESH_FILE_LIMIT >> 20) + " MB";
    return false;
  }
  file.seekg(0, std::ios::beg);
  if (size >= 0) bytes->resize(static_cast<size_t>(size));
  if (size < 0 || !file.read(bytes->data(), size)) {  // a folder, say
    *problem = "it cannot be read";
    return false;
  }
  return true;
}

// An object's numbers read in order. Counts are checked against what is left, so a count
// the file cannot hold is refused before anything is sized by it.
struct NumberReader {
  const std::vector<double>& numbers;
  size_t at = 0;

  size_t Left() const { return numbers.size() - at; }

  bool Real(float* value) {
    if (at >= numbers.size()) return false;
    *value = static_cast<float>(numbers[at++]);
    return std::isfinite(*value);
  }

  // A whole number from 0 to `limit`.
  bool Whole(uint64_t limit, uint32_t* value) {
    if (at >= numbers.size()) return false;
    const double number = numbers[at++];
    if (!(number >= 0.0) || number > static_cast<double>(limit) || number != std::floor(number)) {
      return false;
    }
    *value = static_cast<uint32_t>(number);
    return true;
  }
};

const XObject* FindChild(const XObject& object, std::string_view type) {
  for (const XObject& child : object.children) {
    if (child.type == type) return &child;
  }
  return nullptr;
}

bool SameTypeIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return (x | 0x20) == (y | 0x20);
         });
}

// `count` groups of `width` reals.
bool ReadReals(NumberReader* reader, uint32_t count, int width, std::vector<float>* reals) {
  if (uint64_t{count} * width > reader->Left()) return false;
  reals->resize(size_t{count} * width);
  for (float& real : *reals) {
    if (!reader->Real(&real)) return false;
  }
  return true;
}

// Faces as a count, then each face's corner count and as many indices below `items`.
// corners holds every face's indices in turn, starts where each face begins.
struct Faces {
  std::vector<uint32_t> corners;
  std::vector<uint32_t> starts;  // one more than there are faces

  uint32_t Count() const { return static_cast<uint32_t>(starts.size() - 1); }
  uint32_t Size(uint32_t face) const { return starts[face + 1] - starts[face]; }
};

bool ReadFaces(NumberReader* reader, uint32_t items, Faces* faces) {
  uint32_t count = 0;
  if (!reader->Whole(reader->Left(), &count)) return false;
  faces->starts.assign(1, 0);
  faces->starts.reserve(size_t{count} + 1);
  for (uint32_t f = 0; f < count; ++f) {
    uint32_t size = 0;
    if (!reader->Whole(reader->Left(), &size)) return false;
    for (uint32_t k = 0; k < size; ++k) {
      uint32_t index = 0;
      if (!reader->Whole(UINT32_MAX, &index) || index >= items) return false;
      faces->corners.push_back(index);
    }
    faces->starts.push_back(static_cast<uint32_t>(faces->corners.size()));
  }
  return true;
}

// What a Mesh object holds, checked: positions and faces, and where given, normals with
// faces of their own matching the mesh's, texture coordinates for every vertex, and each
// face's material among those the list holds.
struct MeshData {
  std::vector<float> positions;
  Faces faces;
  std::vector<float> normals;
  Faces normalFaces;
  std::vector<float> coordinates;
  std::vector<const XObject*> materials;  // empty without a material list
  std::vector<uint32_t> faceMaterials;
};

const XObject* FindNamed(const std::vector<XObject>& objects, std::string_view type,
                         std::string_view name) {
  for (const XObject& object : objects) {
    if (object.type == type && object.name == name) return &object;
  }
  return nullptr;
}

bool ReadMaterialList(const XObject& list, const std::vector<XObject>& file, uint32_t faces,
                      MeshData* data, std::string* problem) {
  NumberReader reader{list.numbers};
  uint32_t declared = 0, indexed = 0;
  if (!reader.Whole(UINT32_MAX, &declared) || !reader.Whole(reader.Left(), &indexed)) {
    *problem = "a material list without its counts";
    return false;
  }
  data->faceMaterials.resize(indexed);
  for (uint32_t& index : data->faceMaterials) {
    if (!reader.Whole(UINT32_MAX, &index)) {
      *problem = "a material list with a malformed face index";
      return false;
    }
  }
  for (const XObject& child : list.children) {
    const XObject* material = &child;
    if (child.type.empty()) material = FindNamed(file, "Material", child.name);
    if (!material) {
      *problem = "a material list names \"" + child.name + "\", which the file does not hold";
      return false;
    }
    if (material->type == "Material") data->materials.push_back(material);
  }
  // Faces past the list's indices take the last one, as the format allows.
  uint32_t highest = 0;
  for (const uint32_t index : data->faceMaterials) highest = std::max(highest, index);
  if (faces > 0 && highest >= data->materials.size()) {
    *problem = "a material list names material " + std::to_string(highest) + " but holds " +
               std::to_string(data->materials.size());
    return false;
  }
  return true;
}

bool ReadMesh(const XObject& mesh, const std::vector<XObject>& file, MeshData* data,
              std::string* problem) {
  NumberReader reader{mesh.numbers};
  uint32_t vertices = 0;
  if (!reader.Whole(reader.Left() / 3, &vertices) ||
      !ReadReals(&reader, vertices, 3, &data->positions) ||
      !ReadFaces(&reader, vertices, &data->faces)) {
    *problem = "a mesh whose vertices or faces do not add up";
    return false;
  }
  if (const XObject* normals = FindChild(mesh, "MeshNormals")) {
    NumberReader normalReader{normals->numbers};
    uint32_t count = 0;
    bool fits = normalReader.Whole(normalReader.Left() / 3, &count) &&
                ReadReals(&normalReader, count, 3, &data->normals) &&
                ReadFaces(&normalReader, count, &data->normalFaces) &&
                data->normalFaces.Count() == data->faces.Count();
    for (uint32_t f = 0; fits && f < data->faces.Count(); ++f) {
      fits = data->normalFaces.Size(f) == data->faces.Size(f);
    }
    if (!fits) {
      *problem = "a mesh whose normals do not match its faces";
      return false;
    }
  }
  if (const XObject* coordinates = FindChild(mesh, "MeshTextureCoords")) {
    NumberReader coordinateReader{coordinates->numbers};
    uint32_t count = 0;
    if (!coordinateReader.Whole(coordinateReader.Left() / 2, &count) || count < vertices ||
        !ReadReals(&coordinateReader, count, 2, &data->coordinates)) {
      *problem = "a mesh of " + std::to_string(vertices) + " vertices without a texture " +
                 "coordinate for each";
      return false;
    }
  }
  if (const XObject* list = FindChild(mesh, "MeshMaterialList")) {
    return ReadMaterialList(*list, file, data->faces.Count(), data, problem);
  }
  return true;
}

ColorValue ReadColor(NumberReader* reader, int channels) {
  ColorValue color{0.0f, 0.0f, 0.0f, 1.0f};
  float* const parts[] = {&color.r, &color.g, &color.b, &color.a};
  for (int i = 0; i < channels; ++i) reader->Real(parts[i]);
  return color;
}

// Face colour (RGBA), power, specular and emissive (RGB), and the texture file name.
bool ReadMaterial(const XObject& material, MeshMaterial* record, std::string* texture,
                  std::string* problem) {
  constexpr size_t MATERIAL_NUMBERS = 4 + 1 + 3 + 3;
  NumberReader reader{material.numbers};
  if (reader.Left() < MATERIAL_NUMBERS ||
      !std::all_of(material.numbers.begin(), material.numbers.begin() + MATERIAL_NUMBERS,
                   [](double n) { return std::isfinite(static_cast<float>(n)); })) {
    *problem = "a material without its colours";
    return false;
  }
  record->matD3D.diffuse = ReadColor(&reader, 4);
  reader.Real(&record->matD3D.power);
  record->matD3D.specular = ReadColor(&reader, 3);
  record->matD3D.emissive = ReadColor(&reader, 3);
  record->matD3D.ambient = ColorValue{0.0f, 0.0f, 0.0f, 1.0f};
  texture->clear();
  for (const XObject& child : material.children) {
    // Exporters spell it both ways.
    if (SameTypeIgnoringCase(child.type, "TextureFilename") && !child.strings.empty()) {
      *texture = child.strings.front();
      break;
    }
  }
  return true;
}

struct PlacedMesh {
  const XObject* mesh;
  Matrix4 place;
};

// Every Mesh at the top and in frames, each placed by its frames' transforms in turn.
bool GatherMeshes(const XObject& object, const Matrix4& parent, std::vector<PlacedMesh>* meshes,
                  std::string* problem) {
  if (object.type == "Mesh") {
    meshes->push_back(PlacedMesh{&object, parent});
    return true;
  }
  if (object.type != "Frame") return true;
  Matrix4 place = parent;
  if (const XObject* transform = FindChild(object, "FrameTransformMatrix")) {
    if (transform->numbers.size() < 16) {
      *problem = "a frame transform of fewer than 16 numbers";
      return false;
    }
    Matrix4 local;
    for (int i = 0; i < 16; ++i) local.m[i / 4][i % 4] = static_cast<float>(transform->numbers[i]);
    place = MatrixMultiply(local, parent);
  }
  for (const XObject& child : object.children) {
    if (!GatherMeshes(child, place, meshes, problem)) return false;
  }
  return true;
}

// Normals turn by the inverse transpose of the placement's turning part; its cofactors
// are that up to a scale, which normalising takes out (the sign of the determinant stays).
void NormalTurn(const Matrix4& place, float turn[3][3]) {
  const auto& a = place.m;
  turn[0][0] = a[1][1] * a[2][2] - a[1][2] * a[2][1];
  turn[0][1] = a[1][2] * a[2][0] - a[1][0] * a[2][2];
  turn[0][2] = a[1][0] * a[2][1] - a[1][1] * a[2][0];
  turn[1][0] = a[0][2] * a[2][1] - a[0][1] * a[2][2];
  turn[1][1] = a[0][0] * a[2][2] - a[0][2] * a[2][0];
  turn[1][2] = a[0][1] * a[2][0] - a[0][0] * a[2][1];
  turn[2][0] = a[0][1] * a[1][2] - a[0][2] * a[1][1];
  turn[2][1] = a[0][2] * a[1][0] - a[0][0] * a[1][2];
  turn[2][2] = a[0][0] * a[1][1] - a[0][1] * a[1][0];
  const float determinant = a[0][0] * turn[0][0] + a[0][1] * turn[0][1] + a[0][2] * turn[0][2];
  const float sign = determinant < 0.0f ? -1.0f : 1.0f;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) turn[i][j] *= sign;
  }
}

Vector3 Place(const Matrix4& place, const float* p) {
  const auto& m = place.m;
  return Vector3{p[0] * m[0][0] + p[1] * m[1][0] + p[2] * m[2][0] + m[3][0],
                 p[0] * m[0][1] + p[1] * m[1][1] + p[2] * m[2][1] + m[3][1],
                 p[0] * m[0][2] + p[1] * m[1][2] + p[2] * m[2][2] + m[3][2]};
}

Vector3 TurnNormal(const float turn[3][3], const float* n) {
  Vector3 v{n[0] * turn[0][0] + n[1] * turn[1][0] + n[2] * turn[2][0],
            n[0] * turn[0][1] + n[1] * turn[1][1] + n[2] * turn[2][1],
            n[0] * turn[0][2] + n[1] * turn[1][2] + n[2] * turn[2][2]};
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  // A normal of no length, or one the turn cannot carry, leaves the face lit flat.
  if (!(length > 0.0f) || !std::isfinite(length)) return Vector3{};
  return Vector3{v.x / length, v.y / length, v.z / length};
}

bool IsFinite(const Vector3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Each face's corners become vertices of their own (a corner's normal belongs to its
// face) and the face a fan of triangles in the subset of its material: `firstSubset`
// plus the face's material, or `firstSubset` alone without a material list.
bool AddMesh(const MeshData& data, const Matrix4& place, uint32_t firstSubset, MeshImpl* mesh) {
  float turn[3][3];
  NormalTurn(place, turn);
  for (uint32_t f = 0; f < data.faces.Count(); ++f) {
    const uint32_t size = data.faces.Size(f);
    const uint32_t first = data.faces.starts[f];
    const uint32_t base = static_cast<uint32_t>(mesh->vertices.size());
    for (uint32_t k = 0; k < size; ++k) {
      const uint32_t index = data.faces.corners[first + k];
      MeshVertex vertex;
      vertex.position = Place(place, &data.positions[size_t{index} * 3]);
      if (!IsFinite(vertex.position)) return false;
      if (!data.normals.empty()) {
        const uint32_t normal = data.normalFaces.corners[data.normalFaces.starts[f] + k];
        vertex.normal = TurnNormal(turn, &data.normals[size_t{normal} * 3]);
      }
      if (!data.coordinates.empty()) {
        vertex.u = data.coordinates[size_t{index} * 2];
        vertex.v = data.coordinates[size_t{index} * 2 + 1];
      }
      mesh->vertices.push_back(vertex);
    }
    uint32_t subset = firstSubset;
    if (!data.materials.empty()) {
      const std::vector<uint32_t>& list = data.faceMaterials;
      subset += list.empty() ? 0 : list[std::min<size_t>(f, list.size() - 1)];
    }
    // Points and lines have no surface.
    std::vector<uint32_t>& triangles = mesh->subsets[subset];
    for (uint32_t k = 1; k + 1 < size; ++k) {
      triangles.insert(triangles.end(), {base, base + k, base + k + 1});
    }
  }
  return true;
}

// The file's meshes as one, with a record per material in order of the meshes (a mesh
// without a list, in a file whose other meshes have one, gets a plain white one).
bool BuildMesh(const std::vector<XObject>& file, MeshImpl* mesh, BufferImpl* buffer,
               std::string* problem) {
  std::vector<PlacedMesh> placed;
  for (const XObject& object : file) {
    if (!GatherMeshes(object, Matrix4{}, &placed, problem)) return false;
  }
  std::vector<MeshData> meshes(placed.size());
  bool withMaterials = false;
  for (size_t i = 0; i < placed.size(); ++i) {
    if (!ReadMesh(*placed[i].mesh, file, &meshes[i], problem)) return false;
    withMaterials = withMaterials || !meshes[i].materials.empty();
  }
  mesh->subsets.resize(1);
  for (size_t i = 0; i < placed.size(); ++i) {
    const uint32_t firstSubset = withMaterials ? static_cast<uint32_t>(buffer->records.size()) : 0;
    if (withMaterials) {
      if (meshes[i].materials.empty()) {
        MeshMaterial plain;
        plain.matD3D.diffuse = ColorValue{1.0f, 1.0f, 1.0f, 1.0f};
        plain.matD3D.ambient = ColorValue{0.0f, 0.0f, 0.0f, 1.0f};
        plain.matD3D.specular = plain.matD3D.emissive = plain.matD3D.ambient;
        buffer->records.push_back(plain);
        buffer->names.emplace_back();
      }
      for (const XObject* material : meshes[i].materials) {
        buffer->records.emplace_back();
        buffer->names.emplace_back();
        if (!ReadMaterial(*material, &buffer->records.back(), &buffer->names.back(), problem)) {
          return false;
        }
      }
      mesh->subsets.resize(std::max<size_t>(buffer->records.size(), 1));
    }
    if (!AddMesh(meshes[i], placed[i].place, firstSubset, mesh)) {
      *problem = "a frame places a mesh out of range";
      return false;
    }
  }
  // The names are all in place now, so pointers to them stay put.
  for (size_t i = 0; i < buffer->records.size(); ++i) {
    if (!buffer->names[i].empty()) buffer->records[i].textureFilename = buffer->names[i].c_str();
  }
  return true;
}

size_t TriangleCount(const MeshImpl& mesh) {
  size_t count = 0;
  for (const std::vector<uint32_t>& subset : mesh.subsets) count += subset.size() / 3;
  return count;
}

}  // namespace

void* DataBuffer::GetBufferPointer() {
  BufferImpl* buffer = static_cast<BufferImpl*>(this);
  return buffer->records.empty() ? nullptr : buffer->records.data();
}

uint32_t DataBuffer::GetBufferSize() const {
  return static_cast<uint32_t>(static_cast<const BufferImpl*>(this)->records.size() *
                               sizeof(MeshMaterial));
}

void DataBuffer::Release() { delete static_cast<BufferImpl*>(this); }

HRESULT LoadMeshFromX(const char* fileName, uint32_t, RenderDevice* device, DataBuffer** adjacency,
                      DataBuffer** materials, DataBuffer** effectInstances,
                      uint32_t* materialCount, Mesh** result) {
  if (adjacency) *adjacency = nullptr;
  if (effectInstances) *effectInstances = nullptr;
  if (materials) *materials = nullptr;
  if (materialCount) *materialCount = 0;
  if (!result) return D3DERR_INVALIDCALL;
  *result = nullptr;
  if (!fileName || !device) {
    std::fprintf(stderr, "zorbly-frondles: cannot load a mesh without %s\n",
                 fileName ? "a rendering device" : "a file name");
    return D3DERR_INVALIDCALL;
  }

  const std::string path = NativePath(fileName);
  std::vector<char> bytes;
  std::string problem;
  if (!ReadWholeFile(path, &bytes, &problem)) {
    std::fprintf(stderr, "zorbly-frondles: cannot read mesh file \"%s\": %s\n", fileName,
                 problem.c_str());
    return D3DXERR_NOTFOUND;
  }
  // Other formats are refused as such, before any parsing.
  if (bytes.size() < 4 || std::memcmp(bytes.data(), "xof ", 4) != 0) {
    std::fprintf(stderr, "zorbly-frondles: \"%s\" is not a .x mesh file\n", fileName);
    return D3DXFERR_BADFILETYPE;
  }
  std::vector<XObject> file;
  MeshImpl* mesh = new MeshImpl;
  BufferImpl* buffer = new BufferImpl;
  if (!ReadXFile(bytes.data(), bytes.size(), &file, &problem) ||
      !BuildMesh(file, mesh, buffer, &problem)) {
    std::fprintf(stderr, "zorbly-frondles: cannot read mesh file \"%s\": %s\n", fileName,
                 problem.c_str());
    delete mesh;
    buffer->Release();
    return D3DXFERR_BADFILE;
  }
  if (TriangleCount(*mesh) == 0) {
    std::fprintf(stderr, "zorbly-frondles: mesh file \"%s\" holds no usable triangles\n",
                 fileName);
    delete mesh;
    buffer->Release();
    return D3DXERR_INVALIDDATA;
  }
  AttachMesh(static_cast<DeviceImpl*>(device), mesh);

  if (materialCount) *materialCount = static_cast<uint32_t>(buffer->records.size());
  if (materials) {
    *materials = buffer;
  } else {
    buffer->Release();
  }
  *result = mesh;
  return S_OK;
}

HRESULT CreateTextureFromFile(RenderDevice* device, const char* fileName, Texture** texture) {
  if (!texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  if (!device || !fileName) return D3DERR_INVALIDCALL;
  ImageData image;
  if (!LoadImageFile(NativePath(fileName).c_str(), &image)) return D3DXERR_INVALIDDATA;
  if (FAILED(device->CreateTextureFromPixels(image, texture))) {
    std::fprintf(stderr, "zorbly-frondles: cannot make a texture of \"%s\" (%d x %d)\n", fileName,
                 image.width, image.height);
    return D3DERR_INVALIDCALL;
  }
  return S_OK;
}
