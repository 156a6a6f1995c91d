// The device's state for meshes: the three transforms, the material and the texture of
// stage 0.
#include "platform/gfx/render_internal.h"

namespace {

DeviceImpl* Impl(RenderDevice* device) { return static_cast<DeviceImpl*>(device); }

Matrix4* TransformSlot(DeviceImpl* device, uint32_t state) {
  switch (state) {
    case D3DTS_WORLD: return &device->world;
    case D3DTS_VIEW: return &device->view;
    case D3DTS_PROJECTION: return &device->projection;
    default: return nullptr;
  }
}

}  // namespace

HRESULT RenderDevice::SetTransform(uint32_t state, const Matrix4* matrix) {
  Matrix4* slot = TransformSlot(Impl(this), state);
  if (!slot || !matrix) return D3DERR_INVALIDCALL;
  *slot = *matrix;
  return S_OK;
}

HRESULT RenderDevice::GetTransform(uint32_t state, Matrix4* matrix) {
  Matrix4* slot = TransformSlot(Impl(this), state);
  if (!slot || !matrix) return D3DERR_INVALIDCALL;
  *matrix = *slot;
  return S_OK;
}

HRESULT RenderDevice::SetMaterial(const Material* material) {
  if (!material) return D3DERR_INVALIDCALL;
  Impl(this)->material = *material;
  return S_OK;
}

HRESULT RenderDevice::SetTexture(uint32_t stage, Texture* texture) {
  DeviceImpl* device = Impl(this);
  TextureImpl* image = static_cast<TextureImpl*>(texture);
  if (stage != 0 || (image && image->device != device)) return D3DERR_INVALIDCALL;
  device->stageTexture = image;
  return S_OK;
}

HRESULT RenderDevice::GetTexture(uint32_t stage, Texture** texture) {
  if (stage != 0 || !texture) return D3DERR_INVALIDCALL;
  *texture = Impl(this)->stageTexture;
  return S_OK;
}
