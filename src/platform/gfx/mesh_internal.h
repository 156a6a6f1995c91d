#pragma once
// What a mesh holds: per subset, its vertices and faces. For src/platform's mesh files
// only.
#include <cstdint>
#include <vector>

#include "platform/gfx/mesh.h"

struct DeviceImpl;

struct MeshVertex {
  Vector3 position;
  Vector3 normal;  // zero when the file gave none: faces are then lit flat
  float u = 0.0f;
  float v = 0.0f;
};

// Every corner of a face is a vertex of its own (its normal belongs to the face), so no
// vertex is shared between subsets, and drawing one transforms only its own.
struct MeshSubset {
  std::vector<MeshVertex> vertices;
  // Where each face's corners start among the vertices; it ends where the next starts.
  // A face is drawn as a fan of triangles from its first corner.
  std::vector<uint32_t> faceStarts;
};

struct MeshImpl : Mesh {
  DeviceImpl* device = nullptr;     // null once the device is gone
  std::vector<MeshSubset> subsets;  // by attribute id
};

// Registers a mesh built by the loader with its device.
void AttachMesh(DeviceImpl* device, MeshImpl* mesh);
