#include "gfx/mesh_model.h"

#include <string>
#include <string_view>
#include <unordered_map>

#include "gfx/file_paths.h"
#include "gfx/graphics_device.h"
#include "platform/gfx/mesh.h"
#include "platform/gfx/render_device.h"
#include "platform/gfx/texture.h"
#include "platform/system/system.h"
#include "shared/screen.h"

namespace {

// The texture of the file a material names, or null when no such file is found; false,
// after the message box, when one is found but cannot be loaded.
bool LoadMaterialTexture(std::string_view name, Texture** texture) {
  std::string found(name);
  if (!FindFile(&found)) return true;
  if (SUCCEEDED(CreateTextureFromFile(graphics.d3ddev, found.c_str(), texture))) return true;
  MessageBox("Could not find texture file", "Error", MB_OK);
  return false;
}

}  // namespace

MeshModel* LoadModel(std::string fileName) {
  MeshModel* model = new MeshModel;
  DataBuffer* materialBuffer = nullptr;
  const HRESULT loaded =
      LoadMeshFromX(fileName.c_str(), D3DXMESH_SYSTEMMEM, graphics.d3ddev, nullptr, &materialBuffer,
                    nullptr, &model->materialCount, &model->mesh);
  if (loaded != S_OK) {
    MessageBox("Error loading model file", gameTitle, MB_OK);
    if (materialBuffer) materialBuffer->Release();
    ReleaseModel(model);
    return nullptr;
  }

  const MeshMaterial* records =
      materialBuffer ? static_cast<const MeshMaterial*>(materialBuffer->GetBufferPointer())
                     : nullptr;
  if (!records) model->materialCount = 0;
  model->materials.resize(model->materialCount);
  model->textures.assign(model->materialCount, nullptr);
  // Each name is looked for and loaded once, however many materials give it: a file may
  // repeat one long name thousands of times.
  std::unordered_map<std::string_view, Texture*> textureByName;
  for (uint32_t i = 0; i < model->materialCount; ++i) {
    model->materials[i] = records[i].matD3D;
    // The file's ambient colour is not used: things are lit as they are coloured.
    model->materials[i].ambient = model->materials[i].diffuse;
    if (!records[i].textureFilename || records[i].textureFilename[0] == '\0') continue;
    const auto [entry, firstTime] = textureByName.try_emplace(records[i].textureFilename, nullptr);
    if (firstTime && !LoadMaterialTexture(entry->first, &entry->second)) {
      materialBuffer->Release();
      ReleaseModel(model);
      return nullptr;
    }
    if (firstTime && entry->second) model->loadedTextures.push_back(entry->second);
    model->textures[i] = entry->second;
  }
  if (materialBuffer) materialBuffer->Release();
  return model;
}

void DrawModel(MeshModel* model) {
  if (!model || !model->mesh || !graphics.d3ddev) return;
  if (model->materialCount == 0) {
    model->mesh->DrawSubset(0);
    return;
  }
  for (uint32_t i = 0; i < model->materialCount; ++i) {
    graphics.d3ddev->SetMaterial(&model->materials[i]);
    Texture* texture = model->textures[i];
    if (texture && texture->Width() > 0) graphics.d3ddev->SetTexture(0, texture);
    model->mesh->DrawSubset(i);
  }
}

void ReleaseModel(MeshModel* model) {
  if (!model) return;
  for (Texture* texture : model->loadedTextures) texture->Release();
  if (model->mesh) model->mesh->Release();
  delete model;
}
