// .x mesh files through Assimp: the meshes of every frame, placed by the frames'
// transforms, become one mesh whose subset i holds the faces of material i, with the
// file's material records and texture names beside it.
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/gfx/file_access.h"
#include "platform/gfx/image_file.h"
#include "platform/gfx/mesh_internal.h"
#include "platform/gfx/render_internal.h"

namespace {

constexpr char X_FILE_MAGIC[] = "xof ";
constexpr size_t X_MAGIC_SIZE = 4;
// No model a game loads whole comes near this; a larger file is a mistake, not a mesh.
constexpr std::streamoff MESH_FILE_LIMIT = std::streamoff{256} << 20;

// Assimp hands out right-handed data; these put the file's own left-handed coordinates,
// winding and texture rows back, and cut polygons into triangles.
constexpr unsigned IMPORT_STEPS =
    aiProcess_ConvertToLeftHanded | aiProcess_Triangulate | aiProcess_ValidateDataStructure;

struct BufferImpl : DataBuffer {
  std::vector<MeshMaterial> records;
  std::vector<std::string> names;
};

bool ReadWholeFile(const std::string& path, std::vector<char>* bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  file.seekg(0, std::ios::end);
  const std::streamoff size = file.tellg();
  if (size < 0 || size > MESH_FILE_LIMIT) return false;
  file.seekg(0, std::ios::beg);
  bytes->resize(static_cast<size_t>(size));
  return static_cast<bool>(file.read(bytes->data(), size));
}

ColorValue ReadColor(const aiMaterial* material, const char* key, unsigned type, unsigned index) {
  aiColor4D color(0.0f, 0.0f, 0.0f, 1.0f);
  // A colour of three floats reads with alpha 1.
  if (material->Get(key, type, index, color) != AI_SUCCESS) return ColorValue{0, 0, 0, 1.0f};
  return ColorValue{color.r, color.g, color.b, color.a};
}

// The texture a .x material names: Assimp files it as diffuse, or by a suffix of its
// name as another kind; the file has only one.
std::string TextureName(const aiMaterial* material) {
  for (int type = aiTextureType_DIFFUSE; type <= aiTextureType_UNKNOWN; ++type) {
    const aiTextureType kind = static_cast<aiTextureType>(type);
    aiString path;
    if (material->GetTextureCount(kind) > 0 && material->GetTexture(kind, 0, &path) == AI_SUCCESS) {
      return std::string(path.C_Str());
    }
  }
  return std::string();
}

MeshMaterial ConvertMaterial(const aiMaterial* material) {
  MeshMaterial record;
  record.matD3D.diffuse = ReadColor(material, AI_MATKEY_COLOR_DIFFUSE);
  record.matD3D.ambient = ColorValue{0.0f, 0.0f, 0.0f, 1.0f};
  record.matD3D.specular = ReadColor(material, AI_MATKEY_COLOR_SPECULAR);
  record.matD3D.emissive = ReadColor(material, AI_MATKEY_COLOR_EMISSIVE);
  float power = 0.0f;
  if (material->Get(AI_MATKEY_SHININESS, power) == AI_SUCCESS) record.matD3D.power = power;
  return record;
}

// A mesh without a material list gets one from Assimp, the only kind without a name.
bool IsInventedMaterial(const aiMaterial* material) {
  aiString name;
  return material->Get(AI_MATKEY_NAME, name) != AI_SUCCESS;
}

bool FileHasMaterials(const aiScene* scene) {
  for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
    if (!IsInventedMaterial(scene->mMaterials[i])) return true;
  }
  return false;
}

Vector3 ToVector(const aiVector3D& vector) { return Vector3{vector.x, vector.y, vector.z}; }

bool IsFinite(const aiVector3D& vector) {
  return std::isfinite(vector.x) && std::isfinite(vector.y) && std::isfinite(vector.z);
}

// Appends the mesh's vertices, placed by the frame's transform, and its triangles to
// the subset of its material. False when an index points past the vertices.
bool AddMesh(const aiMesh* source, const aiMatrix4x4& place, uint32_t subset, MeshImpl* mesh) {
  const aiMatrix3x3 turn = aiMatrix3x3(place);
  aiMatrix3x3 normalTurn = turn;
  normalTurn.Inverse().Transpose();
  const uint32_t base = static_cast<uint32_t>(mesh->vertices.size());
  for (unsigned i = 0; i < source->mNumVertices; ++i) {
    MeshVertex vertex;
    vertex.position = ToVector(place * source->mVertices[i]);
    if (source->HasNormals()) {
      aiVector3D normal = normalTurn * source->mNormals[i];
      if (IsFinite(normal) && normal.SquareLength() > 0.0f) vertex.normal = ToVector(normal.Normalize());
    }
    if (source->HasTextureCoords(0)) {
      vertex.u = source->mTextureCoords[0][i].x;
      vertex.v = source->mTextureCoords[0][i].y;
    }
    mesh->vertices.push_back(vertex);
  }
  std::vector<uint32_t>& triangles = mesh->subsets[subset];
  for (unsigned f = 0; f < source->mNumFaces; ++f) {
    const aiFace& face = source->mFaces[f];
    if (face.mNumIndices != 3) continue;  // points and lines have no surface
    for (unsigned k = 0; k < 3; ++k) {
      if (face.mIndices[k] >= source->mNumVertices) return false;
      triangles.push_back(base + face.mIndices[k]);
    }
  }
  return true;
}

// Every frame's meshes, each placed by the product of its frame's transforms.
bool AddFrames(const aiScene* scene, bool withMaterials, MeshImpl* mesh) {
  std::vector<std::pair<const aiNode*, aiMatrix4x4>> pending{{scene->mRootNode, aiMatrix4x4()}};
  while (!pending.empty()) {
    auto [node, parent] = pending.back();
    pending.pop_back();
    if (!node) continue;
    const aiMatrix4x4 place = parent * node->mTransformation;
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
      if (node->mMeshes[i] >= scene->mNumMeshes) return false;
      const aiMesh* source = scene->mMeshes[node->mMeshes[i]];
      uint32_t subset = 0;
      if (withMaterials) {
        if (source->mMaterialIndex >= scene->mNumMaterials) return false;
        subset = source->mMaterialIndex;
      }
      if (!AddMesh(source, place, subset, mesh)) return false;
    }
    for (unsigned i = 0; i < node->mNumChildren; ++i) pending.emplace_back(node->mChildren[i], place);
  }
  return true;
}

BufferImpl* MakeMaterialBuffer(const aiScene* scene, bool withMaterials) {
  BufferImpl* buffer = new BufferImpl;
  if (!withMaterials) return buffer;
  buffer->records.reserve(scene->mNumMaterials);
  buffer->names.reserve(scene->mNumMaterials);
  for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
    buffer->records.push_back(ConvertMaterial(scene->mMaterials[i]));
    buffer->names.push_back(TextureName(scene->mMaterials[i]));
  }
  // The names are all in place now, so pointers to them stay put.
  for (size_t i = 0; i < buffer->records.size(); ++i) {
    if (!buffer->names[i].empty()) buffer->records[i].textureFilename = buffer->names[i].c_str();
  }
  return buffer;
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
  if (!ReadWholeFile(path, &bytes)) {
    std::fprintf(stderr, "zorbly-frondles: cannot read mesh file \"%s\"\n", fileName);
    return D3DXERR_NOTFOUND;
  }
  // Assimp reads many formats; this loader takes .x files only, known by their header.
  if (bytes.size() < X_MAGIC_SIZE || std::memcmp(bytes.data(), X_FILE_MAGIC, X_MAGIC_SIZE) != 0) {
    std::fprintf(stderr, "zorbly-frondles: \"%s\" is not a .x mesh file\n", fileName);
    return D3DXFERR_BADFILETYPE;
  }
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFileFromMemory(bytes.data(), bytes.size(), IMPORT_STEPS, "x");
  if (!scene || !scene->mRootNode) {
    std::fprintf(stderr, "zorbly-frondles: cannot read mesh file \"%s\" (%s)\n", fileName,
                 importer.GetErrorString());
    return D3DXFERR_BADFILE;
  }

  const bool withMaterials = FileHasMaterials(scene);
  MeshImpl* mesh = new MeshImpl;
  mesh->subsets.resize(withMaterials ? scene->mNumMaterials : 1);
  if (!AddFrames(scene, withMaterials, mesh) || TriangleCount(*mesh) == 0) {
    std::fprintf(stderr, "zorbly-frondles: mesh file \"%s\" holds no usable triangles\n",
                 fileName);
    delete mesh;
    return D3DXERR_INVALIDDATA;
  }
  AttachMesh(static_cast<DeviceImpl*>(device), mesh);

  BufferImpl* buffer = MakeMaterialBuffer(scene, withMaterials);
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
