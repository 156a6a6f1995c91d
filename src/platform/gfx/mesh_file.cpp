// .x mesh files: the meshes of every frame, placed by the frames' transforms, become one
// mesh whose subset i holds the faces of material i, with the file's material records and
// texture names beside it. Everything a load holds is on its budget (x_file.h).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/gfx/file_access.h"
#include "platform/gfx/image_file.h"
#include "platform/gfx/mesh_internal.h"
#include "platform/gfx/render_internal.h"
#include "platform/gfx/x_file.h"

namespace {

// No model a game loads whole comes near this; a larger file is a mistake, not a mesh.
constexpr std::streamoff MESH_FILE_LIMIT = std::streamoff{64} << 20;

struct BufferImpl : DataBuffer {
  std::vector<MeshMaterial> records;
  std::vector<std::string> names;
};

MeshLoadMemory lastLoad;

// False, with the reason, when the file cannot be read, is too large to be a mesh or
// cannot be held.
bool ReadWholeFile(const std::string& path, std::vector<char>* bytes, XBudget* budget,
                   std::string* problem) {
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
  if (size >= 0) {
    *budget = XBudget(static_cast<uint64_t>(size));
    if (!budget->Take(static_cast<uint64_t>(size), problem)) return false;
    bytes->resize(static_cast<size_t>(size));
  }
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

// The file's top-level objects by type and name, the first of each: what references name.
struct NameKey {
  std::string_view type;
  std::string_view name;
  bool operator==(const NameKey&) const = default;
};

struct NameKeyHash {
  size_t operator()(const NameKey& key) const {
    const std::hash<std::string_view> hash;
    return hash(key.name) * 31 + hash(key.type);
  }
};

using NameMap = std::unordered_map<NameKey, const XObject*, NameKeyHash>;

// A map's node and bucket, near enough, for the budget.
constexpr uint64_t NAME_ENTRY_BYTES = 72;

bool MapNames(const std::vector<XObject>& file, XBudget* budget, NameMap* names,
              std::string* problem) {
  if (!budget->Take(file.size() * NAME_ENTRY_BYTES, problem)) return false;
  names->reserve(file.size());
  for (const XObject& object : file) {
    if (!object.name.empty()) names->emplace(NameKey{object.type, object.name}, &object);
  }
  return true;
}

const XObject* FindNamed(const NameMap& names, std::string_view type, std::string_view name) {
  const auto found = names.find(NameKey{type, name});
  return found == names.end() ? nullptr : found->second;
}

// `count` groups of `width` reals, read where they lie among the object's numbers.
bool ReadReals(NumberReader* reader, uint32_t count, int width, const double** reals) {
  if (uint64_t{count} * width > reader->Left()) return false;
  *reals = reader->numbers.data() + reader->at;
  for (uint64_t i = 0; i < uint64_t{count} * width; ++i) {
    float real;
    if (!reader->Real(&real)) return false;
  }
  return true;
}

// Faces as a count, then each face's corner count and as many indices below `items`,
// read where they lie among the object's numbers.
struct Faces {
  const double* numbers = nullptr;
  std::vector<uint32_t> starts;  // where each face's indices start

  uint32_t Count() const { return static_cast<uint32_t>(starts.size()); }
  uint32_t Size(uint32_t face) const { return static_cast<uint32_t>(numbers[starts[face] - 1]); }
  uint32_t Index(uint32_t face, uint32_t k) const {
    return static_cast<uint32_t>(numbers[starts[face] + k]);
  }
};

bool ReadFaces(NumberReader* reader, uint32_t items, XBudget* budget, Faces* faces,
               std::string* problem) {
  uint32_t count = 0;
  // Every face takes a number at least, so the count is bounded by what is left.
  if (!reader->Whole(reader->Left(), &count)) return false;
  if (!budget->Take(uint64_t{count} * sizeof(uint32_t), problem)) return false;
  faces->numbers = reader->numbers.data();
  faces->starts.reserve(count);
  for (uint32_t f = 0; f < count; ++f) {
    uint32_t size = 0;
    if (!reader->Whole(reader->Left(), &size)) return false;
    faces->starts.push_back(static_cast<uint32_t>(reader->at));
    for (uint32_t k = 0; k < size; ++k) {
      uint32_t index = 0;
      if (!reader->Whole(UINT32_MAX, &index) || index >= items) return false;
    }
  }
  return true;
}

// What a Mesh object holds, checked: positions and faces, and where given, normals with
// faces of their own matching the mesh's, texture coordinates for every vertex, and each
// face's material among those the list holds. The numbers stay in the file's objects.
struct MeshData {
  const double* positions = nullptr;
  Faces faces;
  const double* normals = nullptr;
  Faces normalFaces;
  const double* coordinates = nullptr;
  std::vector<const XObject*> materials;  // empty without a material list
  const double* faceMaterials = nullptr;
  uint32_t faceMaterialCount = 0;
  uint32_t firstSubset = 0;
  uint64_t placements = 0;

  // The subset of face f, counted from the mesh's first.
  uint32_t Material(uint32_t f) const {
    // Faces past the list's indices take the last one, as the format allows.
    if (materials.empty() || faceMaterialCount == 0) return 0;
    return static_cast<uint32_t>(faceMaterials[std::min(f, faceMaterialCount - 1)]);
  }
};

bool ReadMaterialList(const XObject& list, const NameMap& names, uint32_t faces, MeshData* data,
                      std::string* problem) {
  NumberReader reader{list.numbers};
  uint32_t declared = 0;
  if (!reader.Whole(UINT32_MAX, &declared) ||
      !reader.Whole(reader.Left(), &data->faceMaterialCount)) {
    *problem = "a material list without its counts";
    return false;
  }
  data->faceMaterials = list.numbers.data() + reader.at;
  uint32_t highest = 0;
  for (uint32_t i = 0; i < data->faceMaterialCount; ++i) {
    uint32_t index = 0;
    if (!reader.Whole(UINT32_MAX, &index)) {
      *problem = "a material list with a malformed face index";
      return false;
    }
    highest = std::max(highest, index);
  }
  for (const XObject& child : list.children) {
    const XObject* material = &child;
    if (child.type.empty()) material = FindNamed(names, "Material", child.name);
    if (!material) {
      problem->assign("a material list names \"")
          .append(child.name)
          .append("\", which the file does not hold");
      return false;
    }
    if (material->type == "Material") data->materials.push_back(material);
  }
  if (faces > 0 && highest >= data->materials.size()) {
    *problem = "a material list names material " + std::to_string(highest) + " but holds " +
               std::to_string(data->materials.size());
    return false;
  }
  return true;
}

bool ReadMesh(const XObject& mesh, const NameMap& names, XBudget* budget, MeshData* data,
              std::string* problem) {
  NumberReader reader{mesh.numbers};
  uint32_t vertices = 0;
  if (!reader.Whole(reader.Left() / 3, &vertices) ||
      !ReadReals(&reader, vertices, 3, &data->positions) ||
      !ReadFaces(&reader, vertices, budget, &data->faces, problem)) {
    if (problem->empty()) *problem = "a mesh whose vertices or faces do not add up";
    return false;
  }
  if (const XObject* normals = FindChild(mesh, "MeshNormals")) {
    NumberReader normalReader{normals->numbers};
    uint32_t count = 0;
    bool fits = normalReader.Whole(normalReader.Left() / 3, &count) &&
                ReadReals(&normalReader, count, 3, &data->normals) &&
                ReadFaces(&normalReader, count, budget, &data->normalFaces, problem) &&
                data->normalFaces.Count() == data->faces.Count();
    for (uint32_t f = 0; fits && f < data->faces.Count(); ++f) {
      fits = data->normalFaces.Size(f) == data->faces.Size(f);
    }
    if (!fits) {
      if (problem->empty()) *problem = "a mesh whose normals do not match its faces";
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
    return ReadMaterialList(*list, names, data->faces.Count(), data, problem);
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
bool ReadMaterial(const XObject& material, MeshMaterial* record, std::string_view* texture,
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
  *texture = {};
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
  bool topLevel;
};

// Every Mesh in frames, each placed by its frames' transforms in turn, whether written
// there or named by a reference to a top-level one.
bool GatherMeshes(const XObject& object, const Matrix4& parent, const NameMap& names,
                  XBudget* budget, std::vector<PlacedMesh>* meshes, std::string* problem) {
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
    // A reference to anything but a mesh (an animation's frame, say) places nothing.
    const XObject* mesh = child.type == "Mesh" ? &child
                          : child.type.empty() ? FindNamed(names, "Mesh", child.name)
                                               : nullptr;
    if (mesh) {
      if (!AppendOnBudget(meshes, PlacedMesh{mesh, place, false}, budget, problem)) return false;
    } else if (!GatherMeshes(child, place, names, budget, meshes, problem)) {
      return false;
    }
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

Vector3 Place(const Matrix4& place, const double* p) {
  const auto& m = place.m;
  const float x = static_cast<float>(p[0]), y = static_cast<float>(p[1]),
              z = static_cast<float>(p[2]);
  return Vector3{x * m[0][0] + y * m[1][0] + z * m[2][0] + m[3][0],
                 x * m[0][1] + y * m[1][1] + z * m[2][1] + m[3][1],
                 x * m[0][2] + y * m[1][2] + z * m[2][2] + m[3][2]};
}

Vector3 TurnNormal(const float turn[3][3], const double* normal) {
  const float n[3] = {static_cast<float>(normal[0]), static_cast<float>(normal[1]),
                      static_cast<float>(normal[2])};
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

// Each face's corners become vertices of their own in the subset of its material, whose
// storage is already sized for them.
bool AddMesh(const MeshData& data, const Matrix4& place, MeshImpl* mesh) {
  float turn[3][3];
  NormalTurn(place, turn);
  for (uint32_t f = 0; f < data.faces.Count(); ++f) {
    const uint32_t size = data.faces.Size(f);
    if (size < 3) continue;  // points and lines have no surface
    MeshSubset& subset = mesh->subsets[data.firstSubset + data.Material(f)];
    subset.faceStarts.push_back(static_cast<uint32_t>(subset.vertices.size()));
    for (uint32_t k = 0; k < size; ++k) {
      const uint32_t index = data.faces.Index(f, k);
      MeshVertex vertex;
      vertex.position = Place(place, data.positions + size_t{index} * 3);
      if (!IsFinite(vertex.position)) return false;
      if (data.normals) {
        vertex.normal = TurnNormal(turn, data.normals + size_t{data.normalFaces.Index(f, k)} * 3);
      }
      if (data.coordinates) {
        vertex.u = static_cast<float>(data.coordinates[size_t{index} * 2]);
        vertex.v = static_cast<float>(data.coordinates[size_t{index} * 2 + 1]);
      }
      subset.vertices.push_back(vertex);
    }
  }
  return true;
}

// Sizes every subset for the faces all placements bring it, once the budget allows them.
bool SizeSubsets(const std::vector<MeshData>& meshes, XBudget* budget, MeshImpl* mesh,
                 std::string* problem) {
  std::vector<uint64_t> vertices(mesh->subsets.size()), faces(mesh->subsets.size());
  for (const MeshData& data : meshes) {
    for (uint32_t f = 0; f < data.faces.Count(); ++f) {
      const uint32_t size = data.faces.Size(f);
      if (size < 3) continue;
      vertices[data.firstSubset + data.Material(f)] += uint64_t{size} * data.placements;
      faces[data.firstSubset + data.Material(f)] += data.placements;
    }
  }
  uint64_t bytes = 0;
  for (size_t s = 0; s < vertices.size(); ++s) {
    bytes += vertices[s] * sizeof(MeshVertex) + faces[s] * sizeof(uint32_t);
  }
  if (!budget->Take(bytes, problem)) return false;
  for (size_t s = 0; s < vertices.size(); ++s) {
    mesh->subsets[s].vertices.reserve(vertices[s]);
    mesh->subsets[s].faceStarts.reserve(faces[s]);
  }
  return true;
}

// Every placement of a mesh in the file: by frames, or at the origin for a top-level mesh
// no frame places.
bool PlaceMeshes(const std::vector<XObject>& file, const NameMap& names, XBudget* budget,
                 std::vector<PlacedMesh>* placed, std::string* problem) {
  for (const XObject& object : file) {
    if (object.type == "Mesh") {
      if (!AppendOnBudget(placed, PlacedMesh{&object, Matrix4{}, true}, budget, problem))
        return false;
    } else if (!GatherMeshes(object, Matrix4{}, names, budget, placed, problem)) {
      return false;
    }
  }
  if (!budget->Take(placed->size() * 2 * NAME_ENTRY_BYTES, problem)) return false;
  std::unordered_set<const XObject*> framed;
  for (const PlacedMesh& placement : *placed) {
    if (!placement.topLevel) framed.insert(placement.mesh);
  }
  std::erase_if(*placed,
                [&](const PlacedMesh& p) { return p.topLevel && framed.contains(p.mesh); });
  return true;
}

// Each mesh read once, however often it is placed; meshIndex finds a placement's.
bool ReadPlacedMeshes(const std::vector<PlacedMesh>& placed, const NameMap& names, XBudget* budget,
                      std::unordered_map<const XObject*, size_t>* meshIndex,
                      std::vector<MeshData>* meshes, std::string* problem) {
  for (const PlacedMesh& placement : placed) {
    const auto [entry, added] = meshIndex->try_emplace(placement.mesh, meshes->size());
    if (!added) {
      ++(*meshes)[entry->second].placements;
      continue;
    }
    if (!AppendOnBudget(meshes, MeshData{}, budget, problem) ||
        !ReadMesh(*placement.mesh, names, budget, &meshes->back(), problem)) {
      return false;
    }
    meshes->back().placements = 1;
  }
  return true;
}

// A record per material, in the order the meshes are first placed; a mesh without a
// list, in a file whose other meshes have one, gets a plain white one. No list anywhere:
// no records, and every face goes to the one subset.
bool ReadMaterials(std::vector<MeshData>* meshes, XBudget* budget, BufferImpl* buffer,
                   std::string* problem) {
  size_t records = 0;
  bool withMaterials = false;
  for (const MeshData& data : *meshes) {
    records += std::max<size_t>(data.materials.size(), 1);
    withMaterials = withMaterials || !data.materials.empty();
  }
  if (!withMaterials) return true;
  if (!budget->Take(records * (sizeof(MeshMaterial) + sizeof(std::string)), problem)) return false;
  buffer->records.reserve(records);
  buffer->names.reserve(records);
  for (MeshData& data : *meshes) {
    data.firstSubset = static_cast<uint32_t>(buffer->records.size());
    if (data.materials.empty()) {
      MeshMaterial plain;
      plain.matD3D.diffuse = ColorValue{1.0f, 1.0f, 1.0f, 1.0f};
      plain.matD3D.ambient = ColorValue{0.0f, 0.0f, 0.0f, 1.0f};
      plain.matD3D.specular = plain.matD3D.emissive = plain.matD3D.ambient;
      buffer->records.push_back(plain);
      buffer->names.emplace_back();
    }
    for (const XObject* material : data.materials) {
      buffer->records.emplace_back();
      std::string_view texture;
      if (!ReadMaterial(*material, &buffer->records.back(), &texture, problem) ||
          !budget->Take(texture.size(), problem)) {
        return false;
      }
      buffer->names.emplace_back(texture);
    }
  }
  return true;
}

// The file's meshes as one, with a subset per material record. A top-level mesh stands at
// the origin unless frames place it.
bool BuildMesh(const std::vector<XObject>& file, XBudget* budget, MeshImpl* mesh,
               BufferImpl* buffer, std::string* problem) {
  NameMap names;
  std::vector<PlacedMesh> placed;
  std::unordered_map<const XObject*, size_t> meshIndex;
  std::vector<MeshData> meshes;
  if (!MapNames(file, budget, &names, problem) ||
      !PlaceMeshes(file, names, budget, &placed, problem) ||
      !ReadPlacedMeshes(placed, names, budget, &meshIndex, &meshes, problem) ||
      !ReadMaterials(&meshes, budget, buffer, problem)) {
    return false;
  }
  const size_t subsets = std::max<size_t>(buffer->records.size(), 1);
  if (!budget->Take(subsets * sizeof(MeshSubset), problem)) return false;
  mesh->subsets.resize(subsets);
  if (!SizeSubsets(meshes, budget, mesh, problem)) return false;
  for (const PlacedMesh& placement : placed) {
    if (!AddMesh(meshes[meshIndex.at(placement.mesh)], placement.place, mesh)) {
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

bool HasTriangles(const MeshImpl& mesh) {
  for (const MeshSubset& subset : mesh.subsets) {
    if (!subset.faceStarts.empty()) return true;
  }
  return false;
}

}  // namespace

MeshLoadMemory LastMeshLoadMemory() { return lastLoad; }

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
                      DataBuffer** materials, DataBuffer** effectInstances, uint32_t* materialCount,
                      Mesh** result) {
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
  XBudget budget(0);
  const bool read = ReadWholeFile(path, &bytes, &budget, &problem);
  lastLoad = MeshLoadMemory{budget.limit, budget.peak};
  if (!read) {
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
  const bool built = ReadXFile(bytes.data(), bytes.size(), &budget, &file, &problem) &&
                     BuildMesh(file, &budget, mesh, buffer, &problem);
  lastLoad = MeshLoadMemory{budget.limit, budget.peak};
  if (!built) {
    std::fprintf(stderr, "zorbly-frondles: cannot read mesh file \"%s\": %s\n", fileName,
                 problem.c_str());
    delete mesh;
    buffer->Release();
    return D3DXFERR_BADFILE;
  }
  if (!HasTriangles(*mesh)) {
    std::fprintf(stderr, "zorbly-frondles: mesh file \"%s\" holds no usable triangles\n", fileName);
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
  if (FAILED(device->CreateTextureFromPixels(std::move(image), texture))) {
    std::fprintf(stderr, "zorbly-frondles: cannot make a texture of \"%s\" (%d x %d)\n", fileName,
                 image.width, image.height);
    return D3DERR_INVALIDCALL;
  }
  return S_OK;
}
