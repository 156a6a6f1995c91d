#pragma once
// Meshes read from DirectX .x files, text or binary: triangles in subsets, one per
// material, drawn through the device with its transforms, material and texture.
#include <cstdint>

#include "platform/gfx/material.h"
#include "platform/gfx/matrix3d.h"
#include "platform/hresult.h"

struct RenderDevice;
struct Texture;

constexpr HRESULT D3DXFERR_BADFILE = MakeResult(0x88760387u);
constexpr HRESULT D3DXFERR_BADFILETYPE = MakeResult(0x88760385u);
constexpr HRESULT D3DXERR_INVALIDDATA = MakeResult(0x88760B59u);
constexpr HRESULT D3DXERR_NOTFOUND = MakeResult(0x88760B5Bu);

// Vertex and index data in system memory: the only kind this device has.
constexpr uint32_t D3DXMESH_SYSTEMMEM = 0x110;

// A block of data handed out by the loader, freed with Release.
struct DataBuffer {
  void* GetBufferPointer();
  uint32_t GetBufferSize() const;
  void Release();

 protected:
  DataBuffer() = default;
  ~DataBuffer() = default;
};

// One material of a mesh file as the loader hands it out: the colours and the texture
// file name as written in the file (null when it names none).
struct MeshMaterial {
  Material matD3D;
  const char* textureFilename = nullptr;
};

struct Mesh {
  // Draws the triangles of one subset through the device's world, view and projection
  // transforms, lit by its material and textured by stage 0, between BeginScene and
  // EndScene. Faces turned away are left out and the rest drawn far to near. A subset
  // without triangles draws nothing.
  HRESULT DrawSubset(uint32_t attributeId);
  uint32_t GetNumFaces() const;
  uint32_t GetNumVertices() const;
  // The middle of the mesh's bounding box and the distance from it to the farthest
  // vertex: what a viewer needs to frame it.
  HRESULT ComputeBoundingSphere(Vector3* centre, float* radius) const;
  void Release();

 protected:
  Mesh() = default;
  ~Mesh() = default;
};

// Reads a .x mesh file into one mesh whose frames are all placed where the file puts
// them; subset i holds the faces of material i. *materials receives a buffer of
// *materialCount MeshMaterial records (zero, and a buffer without records, when the
// file has no materials; then every face is in subset 0). Adjacency and effect
// instances are not kept: those outputs, when given, are set to null. A file that would
// take more than 8 times its size and 32 MB to hold is refused. Failure leaves every
// output empty, after a one-line message on standard error.
HRESULT LoadMeshFromX(const char* fileName, uint32_t options, RenderDevice* device,
                      DataBuffer** adjacency, DataBuffer** materials, DataBuffer** effectInstances,
                      uint32_t* materialCount, Mesh** mesh);

// What the last LoadMeshFromX was allowed to hold at once and the most it held, in bytes,
// by its own count: the file, what was read from it and the mesh made of it.
struct MeshLoadMemory {
  uint64_t allowed = 0;
  uint64_t peak = 0;
};
MeshLoadMemory LastMeshLoadMemory();

// A texture of the image file's own size, PNG or TGA, without colour key. Failure leaves
// *texture null, after a one-line message on standard error.
HRESULT CreateTextureFromFile(RenderDevice* device, const char* fileName, Texture** texture);
