#pragma once
// What a mesh holds: its vertices and, per subset, its triangles. For src/platform's
// mesh files only.
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

struct MeshImpl : Mesh {
  DeviceImpl* device = nullptr;  // null once the device is gone
  std::vector<MeshVertex> vertices;
  // Three vertex indices per triangle, by attribute id (subset).
  std::vector<std::vector<uint32_t>> subsets;
};

// Registers a mesh built by the loader with its device.
void AttachMesh(DeviceImpl* device, MeshImpl* mesh);
