#pragma once
// How a surface takes the light: the colours of the device's current material.

// Red, green, blue and alpha from 0 to 1.
struct ColorValue {
  float r = 0.0f;
  float g = 0.0f;
  float b = 0.0f;
  float a = 0.0f;
};

struct Material {
  ColorValue diffuse;   // lit by the light, and the surface's opacity in alpha
  ColorValue ambient;   // lit by the light that is everywhere
  ColorValue specular;  // highlights (the device draws none)
  ColorValue emissive;  // glows without any light
  float power = 0.0f;   // sharpness of the highlights
};
