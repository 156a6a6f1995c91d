#pragma once
// Mesh models from .x files with their materials and textures, drawn subset by subset
// through the device's current transforms (see camera.h). The game itself draws none.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/material.h"

struct Mesh;
struct Texture;

struct MeshModel {
  Mesh* mesh = nullptr;
  std::vector<Material> materials;  // one per subset
  std::vector<Texture*> textures;   // one per material; null when it has none or none was found
  std::vector<Texture*> loadedTextures;  // each file's texture once: materials naming it share it
  uint32_t materialCount = 0;
};

// Loads the model and its textures. Every material's ambient colour is set to its
// diffuse one. A texture is looked for under the name the file gives and then by its
// bare file name in the working directory; one found under neither stays null. Materials
// giving the same name share one texture. Null,
// after the message box, when the mesh cannot be loaded ("Error loading model file") or
// a texture that exists cannot be ("Could not find texture file"); whatever was already
// made is released then.
MeshModel* LoadModel(std::string fileName);
// Draws each subset with its material and, when it has one, its texture; a material
// without a texture draws with whatever texture the device last had. A model without
// materials draws as one subset with the device's material and texture as they are.
// Between BeginScene and EndScene; a null model or a missing device draws nothing.
void DrawModel(MeshModel* model);
// Releases the textures, the mesh and the record; a null model is ignored.
void ReleaseModel(MeshModel* model);
