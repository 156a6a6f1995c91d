#pragma once
// An image held by the rendering device for drawing through a sprite batch. The device
// keeps a copy of the pixels so that it can rebuild the texture when the renderer
// loses it.

struct Texture {
  void Release();
  int Width() const;
  int Height() const;

 protected:
  Texture() = default;
  ~Texture() = default;
};
