// .x mesh files through Assimp: the meshes of every frame, placed by the frames'
// transforms, become one mesh whose subset i holds the faces of material i, with the
// file's material records and texture names beside it. Text and binary files are taken,
// each handed to Assimp as checked text (see PrepareForAssimp).
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
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

// Assimp sizes its arrays, and runs its loops, by the counts a .x file declares before
// it reads their elements, and its binary reader goes on reading zeros at the end of the
// file. So it is only given text, and in that text no integer that could be read as a
// count is negative or larger than the file: such a number is written as a real number
// (123.0), which reads the same where a real number belongs and is refused as a count.

constexpr size_t X_HEADER_SIZE = 16;  // "xof 0303txt 0032": version, format, float size

bool IsWordCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
}

// Copies the text with every count-like integer out of range made a real number.
std::string BoundCounts(const char* text, size_t size, uint64_t limit) {
  std::string out;
  out.reserve(size + 64);
  size_t i = 0;
  // Comments, strings and GUIDs are not passed over: Assimp reads a quote or an angle
  // bracket out of place as a name, and a number changed in a comment changes nothing.
  while (i < size) {
    const char c = text[i];
    if (!std::isdigit(static_cast<unsigned char>(c)) || (i > 0 && IsWordCharacter(text[i - 1]))) {
      out.push_back(c);
      ++i;
      continue;
    }
    size_t end = i;
    uint64_t value = 0;
    while (end < size && std::isdigit(static_cast<unsigned char>(text[end]))) {
      value = std::min<uint64_t>(value * 10 + (text[end] - '0'), limit + 1);
      ++end;
    }
    out.append(text + i, end - i);
    const bool negative = i > 0 && text[i - 1] == '-' &&
                          !(i > 1 && (text[i - 2] == 'e' || text[i - 2] == 'E'));
    size_t next = end;
    while (next < size && std::isspace(static_cast<unsigned char>(text[next]))) ++next;
    const bool countLike = (end == size || !IsWordCharacter(text[end])) && next < size &&
                           (text[next] == ';' || text[next] == ',');
    if (countLike && (negative || value > limit)) out += ".0";
    i = end;
  }
  return out;
}

uint32_t ReadLittle32(const char* bytes) {
  uint32_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

// The binary tokens as the text they stand for; false, with the reason, when the bytes are
// no sequence of whole tokens.
bool BinaryToText(const char* bytes, size_t size, bool doubles, std::string* text,
                  std::string* problem) {
  static const char* const KEYWORDS[] = {"WORD",  "DWORD", "FLOAT", "DOUBLE",  "CHAR",
                                         "UCHAR", "SWORD", "SDWORD", "void",   "LPSTR",
                                         "UNICODE", "CSTRING", "array"};
  static const char PUNCTUATION[] = "{}()[]<>.,;";
  size_t at = 0;
  const auto need = [&](uint64_t count) { return count <= size - at; };
  char number[40];
  while (at < size) {
    const size_t tokenAt = at;
    if (!need(2)) break;
    const unsigned token = static_cast<unsigned char>(bytes[at]) |
                           (static_cast<unsigned char>(bytes[at + 1]) << 8);
    at += 2;
    if (token == 1 || token == 2) {  // a name, or a string ended by a separator token
      if (!need(4)) break;
      const uint32_t length = ReadLittle32(bytes + at);
      at += 4;
      if (!need(uint64_t{length} + (token == 2 ? 2 : 0))) break;
      const std::string_view chars(bytes + at, length);
      at += length + (token == 2 ? 2 : 0);
      const bool plain = std::all_of(chars.begin(), chars.end(), [&](char c) {
        return token == 2 ? c != '"' && c != '\0'
                          : std::isgraph(static_cast<unsigned char>(c)) &&
                                std::strchr("{}();,\"<>[]#/", c) == nullptr;
      });
      if (!plain || (token == 1 && chars.empty())) {
        *problem = "an unreadable name or string at byte " + std::to_string(X_HEADER_SIZE + tokenAt);
        return false;
      }
      if (token == 2) text->append("\"").append(chars).append("\";\n");
      else text->append(chars).append(" ");
    } else if (token == 3) {
      if (!need(4)) break;
      std::snprintf(number, sizeof number, "%u;", ReadLittle32(bytes + at));
      *text += number;
      at += 4;
    } else if (token == 5) {
      if (!need(16)) break;
      *text += "<";
      for (int k = 0; k < 16; ++k) {
        std::snprintf(number, sizeof number, "%02X", static_cast<unsigned char>(bytes[at + k]));
        *text += number;
      }
      *text += ">\n";
      at += 16;
    } else if (token == 6 || token == 7) {
      if (!need(4)) break;
      const uint64_t count = ReadLittle32(bytes + at);
      at += 4;
      const size_t width = token == 7 && doubles ? 8 : 4;
      if (!need(count * width)) break;
      for (uint64_t k = 0; k < count; ++k, at += width) {
        if (token == 6) {
          std::snprintf(number, sizeof number, "%u;", ReadLittle32(bytes + at));
        } else if (doubles) {
          double value;
          std::memcpy(&value, bytes + at, sizeof value);
          std::snprintf(number, sizeof number, "%.17g;", value);
        } else {
          float value;
          std::memcpy(&value, bytes + at, sizeof value);
          std::snprintf(number, sizeof number, "%.9g;", static_cast<double>(value));
        }
        *text += number;
      }
      *text += "\n";
    } else if (token >= 10 && token <= 20) {
      *text += PUNCTUATION[token - 10];
      *text += "\n";
    } else if (token == 31) {
      *text += "template ";
    } else if (token >= 40 && token <= 52) {
      *text += KEYWORDS[token - 40];
      *text += " ";
    } else {
      *problem = "an unknown token " + std::to_string(token) + " at byte " +
                 std::to_string(X_HEADER_SIZE + tokenAt);
      return false;
    }
  }
  if (at < size) {
    *problem = "a token cut short at byte " + std::to_string(X_HEADER_SIZE + at);
    return false;
  }
  return true;
}

// The next token of .x text after `at`: a word, a number or a brace; spaces,
// separators and comments are passed over. Empty at the end.
std::string_view NextToken(std::string_view text, size_t* at) {
  size_t i = *at;
  while (i < text.size()) {
    const char c = text[i];
    if (std::isspace(static_cast<unsigned char>(c)) || c == ';' || c == ',') {
      ++i;
    } else if (c == '#' || (c == '/' && i + 1 < text.size() && text[i + 1] == '/')) {
      while (i < text.size() && text[i] != '\n') ++i;
    } else {
      break;
    }
  }
  size_t end = i;
  if (end < text.size() && (text[end] == '{' || text[end] == '}')) {
    ++end;
  } else {
    // Quotes are part of a token, as Assimp reads them where it looks for counts.
    while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])) &&
           std::strchr(";,{}", text[end]) == nullptr) {
      ++end;
    }
  }
  *at = end;
  return text.substr(i, end - i);
}

// The next token as a count: plain digits only.
bool NextCount(std::string_view text, size_t* at, uint64_t* value) {
  const std::string_view digits = NextToken(text, at);
  if (digits.empty() || digits.size() > 10 ||
      !std::all_of(digits.begin(), digits.end(),
                   [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; })) {
    return false;
  }
  *value = std::stoull(std::string(digits));
  return true;
}

// Reads what Mesh and MeshNormals hold after their brace: a count of items of three
// numbers each, then faces of a corner count and as many item indices. False, with the
// reason, when a face names an item past the count; a layout it cannot follow is left to
// Assimp, which refuses it.
bool FacesStayWithin(std::string_view text, size_t* at, const char* kind, uint64_t* items,
                     std::string* problem) {
  uint64_t faces = 0, corners = 0, index = 0;
  if (!NextCount(text, at, items)) return true;
  for (uint64_t k = 0; k < *items * 3; ++k) {
    const std::string_view token = NextToken(text, at);
    if (token.empty() || token == "{" || token == "}") return true;
  }
  if (!NextCount(text, at, &faces)) return true;
  for (uint64_t f = 0; f < faces; ++f) {
    if (!NextCount(text, at, &corners)) return true;
    for (uint64_t c = 0; c < corners; ++c) {
      if (!NextCount(text, at, &index)) return true;
      if (index >= *items) {
        *problem = std::string("a face names ") + kind + " " + std::to_string(index) +
                   " of " + std::to_string(*items);
        return false;
      }
    }
  }
  return true;
}

// Assimp takes each face's corners as indices into the mesh's vertices and normals, and
// one texture coordinate per vertex, without checking them.
bool FacesNameWhatIsThere(std::string_view text, std::string* problem) {
  size_t at = 0;
  uint64_t vertices = 0, items = 0;
  for (std::string_view token = NextToken(text, &at); !token.empty(); token = NextToken(text, &at)) {
    const bool mesh = token == "Mesh", normals = token == "MeshNormals";
    const bool coordinates = token == "MeshTextureCoords";
    if (!mesh && !normals && !coordinates) continue;
    while (!token.empty() && token != "{") token = NextToken(text, &at);
    if (coordinates) {
      if (NextCount(text, &at, &items) && items < vertices) {
        *problem = "a mesh of " + std::to_string(vertices) + " vertices has " +
                   std::to_string(items) + " texture coordinates";
        return false;
      }
      continue;
    }
    if (!FacesStayWithin(text, &at, mesh ? "vertex" : "normal", &items, problem)) return false;
    if (mesh) vertices = items;
  }
  return true;
}

// Assimp looks up each face's material among the materials its list holds without
// checking that it is there: a list whose faces name more materials than it holds is
// refused here.
bool MaterialListsHoldTheirMaterials(std::string_view text, std::string* problem) {
  size_t at = 0;
  for (std::string_view token = NextToken(text, &at); !token.empty(); token = NextToken(text, &at)) {
    if (token != "MeshMaterialList") continue;
    while (!token.empty() && token != "{") token = NextToken(text, &at);
    const auto number = [&](uint64_t* value) { return NextCount(text, &at, value); };
    uint64_t materials = 0, faces = 0, highest = 0, index = 0;
    // A list that is not made of plain numbers is Assimp's to refuse.
    if (!number(&materials) || !number(&faces)) continue;
    bool plain = true;
    for (uint64_t f = 0; f < faces && plain; ++f) {
      plain = number(&index);
      highest = std::max(highest, index);
    }
    if (!plain) continue;
    // Held are Material objects and references ({ Name }); other objects are skipped.
    uint64_t held = 0;
    std::string_view firstWord;
    for (int depth = 1; depth > 0;) {
      token = NextToken(text, &at);
      if (token.empty()) break;
      if (token == "{") {
        if (++depth == 2 && (firstWord.empty() || firstWord == "Material")) ++held;
      } else if (token == "}") {
        if (--depth == 1) firstWord = {};
      } else if (depth == 1 && firstWord.empty()) {
        firstWord = token;
      }
    }
    if (faces > 0 && highest >= held) {
      *problem = "a material list names material " + std::to_string(highest) + " but holds " +
                 std::to_string(held);
      return false;
    }
  }
  return true;
}

// The file as bounded text for Assimp: "xof 0303" and "txt " or "bin ", with floats of 32
// or 64 bits; compressed files are not taken.
bool PrepareForAssimp(const std::vector<char>& bytes, std::string* text, std::string* problem) {
  if (bytes.size() < X_HEADER_SIZE) {
    *problem = "its header is cut short";
    return false;
  }
  const std::string_view format(bytes.data() + 8, 4);
  const std::string_view floatSize(bytes.data() + 12, 4);
  if ((format != "txt " && format != "bin ") || (floatSize != "0032" && floatSize != "0064")) {
    *problem = "it is neither text nor binary with 32- or 64-bit floats (\"" +
               std::string(bytes.data() + 8, 8) + "\")";
    return false;
  }
  const char* body = bytes.data() + X_HEADER_SIZE;
  const size_t bodySize = bytes.size() - X_HEADER_SIZE;
  std::string plain;
  if (format == "bin ") {
    plain.reserve(bodySize * 4);
    if (!BinaryToText(body, bodySize, floatSize == "0064", &plain, problem)) return false;
    body = plain.data();
  }
  // Counts are bounded by the file as given: text made from binary is longer.
  // The header is a line of its own.
  *text = std::string(bytes.data(), 8) + "txt 0032\n" +
          BoundCounts(body, format == "bin " ? plain.size() : bodySize, bytes.size());
  return FacesNameWhatIsThere(*text, problem) && MaterialListsHoldTheirMaterials(*text, problem);
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
  std::string text, problem;
  if (!PrepareForAssimp(bytes, &text, &problem)) {
    std::fprintf(stderr, "zorbly-frondles: cannot read mesh file \"%s\": %s\n", fileName,
                 problem.c_str());
    return D3DXFERR_BADFILE;
  }
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFileFromMemory(text.data(), text.size(), IMPORT_STEPS, "x");
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
