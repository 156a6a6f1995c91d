// Drawing meshes through SDL's renderer: each triangle is transformed, lit and cut to
// the view on the CPU, faces turned away are dropped, and the rest are drawn far to
// near, which is what a closed model needs.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_inverse.hpp>

#include "platform/gfx/mesh_internal.h"
#include "platform/gfx/render_internal.h"

namespace {

// The light comes from the eye: a face turned to the viewer shows its full diffuse
// colour, one seen edge-on only the ambient share.
constexpr float AMBIENT_SHARE = 0.25f;
constexpr float DIFFUSE_SHARE = 0.75f;
// Triangles are cut this many half-screens beyond each edge, so that SDL's rasteriser
// only ever sees coordinates of a sane size.
constexpr float GUARD_BAND = 4.0f;
constexpr float SMALLEST_W = 1e-5f;
// A triangle cut by the planes gains at most one corner per plane.
constexpr int CLIP_PLANES = 7;
constexpr int MAX_CORNERS = 3 + CLIP_PLANES;
// Triangles longer than this on screen are cut in four, at most this many times over.
constexpr float SPLIT_LENGTH = 96.0f;
constexpr int MAX_SPLITS = 3;
// Vertices handed to SDL in one call.
constexpr size_t OUTPUT_BATCH = size_t{3} << 15;

MeshImpl* Impl(Mesh* mesh) { return static_cast<MeshImpl*>(mesh); }

glm::mat4 ToGlm(const Matrix4& matrix) {
  glm::mat4 result;
  std::memcpy(&result[0][0], &matrix.m[0][0], sizeof matrix.m);
  return result;
}

glm::vec3 ToGlm(const Vector3& vector) { return glm::vec3(vector.x, vector.y, vector.z); }

glm::vec4 ToGlm(const ColorValue& color) { return glm::vec4(color.r, color.g, color.b, color.a); }

struct Corner {
  glm::vec4 clip;
  glm::vec4 color;
  glm::vec2 uv;
};

struct Transformed {
  glm::vec4 clip;
  glm::vec3 view;
  glm::vec3 normal;  // in view space; zero when the mesh has none here
};

struct Polygon {
  float depth;     // mean view-space z of the triangle: larger is farther
  uint32_t first;  // into the corner pool
  uint32_t count;
};

// Distance inside each plane; a corner is kept where it is not negative.
float PlaneDistance(int plane, const glm::vec4& p) {
  switch (plane) {
    case 0: return p.z;               // near
    case 1: return p.w - p.z;         // far
    case 2: return p.w - SMALLEST_W;  // in front of the eye
    case 3: return p.x + GUARD_BAND * p.w;
    case 4: return GUARD_BAND * p.w - p.x;
    case 5: return p.y + GUARD_BAND * p.w;
    default: return GUARD_BAND * p.w - p.y;
  }
}

// Cuts the polygon to the planes; returns how many corners are left.
int ClipPolygon(Corner* corners, int count) {
  Corner scratch[MAX_CORNERS];
  for (int plane = 0; plane < CLIP_PLANES && count > 0; ++plane) {
    int kept = 0;
    for (int i = 0; i < count; ++i) {
      const Corner& from = corners[i];
      const Corner& to = corners[(i + 1) % count];
      const float dFrom = PlaneDistance(plane, from.clip);
      const float dTo = PlaneDistance(plane, to.clip);
      if (dFrom >= 0.0f) scratch[kept++] = from;
      if ((dFrom >= 0.0f) != (dTo >= 0.0f) && kept < MAX_CORNERS) {
        const float t = dFrom / (dFrom - dTo);
        scratch[kept++] = Corner{glm::mix(from.clip, to.clip, t), glm::mix(from.color, to.color, t),
                                 glm::mix(from.uv, to.uv, t)};
      }
    }
    count = kept;
    std::copy(scratch, scratch + count, corners);
  }
  return count;
}

glm::vec4 LitColor(const Material& material, const glm::vec3& normal) {
  const float facing = std::max(0.0f, -normal.z);
  glm::vec4 color = ToGlm(material.emissive) + ToGlm(material.ambient) * AMBIENT_SHARE +
                    ToGlm(material.diffuse) * (DIFFUSE_SHARE * facing);
  color.a = material.diffuse.a;
  return glm::clamp(color, 0.0f, 1.0f);
}

// A file's colour may be no number at all (NaN): it draws as none.
Uint8 ColorByte(float value) {
  if (!(value > 0.0f)) return 0;
  return value >= 1.0f ? 255 : static_cast<Uint8>(value * 255.0f + 0.5f);
}

bool IsFinite(const glm::vec4& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && std::isfinite(p.w);
}

SDL_Vertex ToScreen(const Corner& corner, float width, float height) {
  SDL_Vertex vertex;
  vertex.position = SDL_FPoint{(corner.clip.x / corner.clip.w + 1.0f) * 0.5f * width,
                               (1.0f - corner.clip.y / corner.clip.w) * 0.5f * height};
  vertex.color = SDL_Color{ColorByte(corner.color.r), ColorByte(corner.color.g),
                           ColorByte(corner.color.b), ColorByte(corner.color.a)};
  vertex.tex_coord = SDL_FPoint{corner.uv.x, corner.uv.y};
  return vertex;
}

float ScreenDistance(const SDL_Vertex& a, const SDL_Vertex& b) {
  return std::hypot(a.position.x - b.position.x, a.position.y - b.position.y);
}

Corner Middle(const Corner& a, const Corner& b) {
  return Corner{(a.clip + b.clip) * 0.5f, (a.color + b.color) * 0.5f, (a.uv + b.uv) * 0.5f};
}

// SDL spreads texture and colour evenly over the screen, not over the surface; large
// triangles are cut at their middles in clip space, where halving is true to the surface,
// until the error is too small to see.
void EmitTriangle(const Corner& a, const Corner& b, const Corner& c, int splits, float width,
                  float height, std::vector<SDL_Vertex>* out) {
  const SDL_Vertex screen[3] = {ToScreen(a, width, height), ToScreen(b, width, height),
                                ToScreen(c, width, height)};
  const float longest =
      std::max({ScreenDistance(screen[0], screen[1]), ScreenDistance(screen[1], screen[2]),
                ScreenDistance(screen[2], screen[0])});
  if (splits < MAX_SPLITS && longest > SPLIT_LENGTH) {
    const Corner ab = Middle(a, b);
    const Corner bc = Middle(b, c);
    const Corner ca = Middle(c, a);
    EmitTriangle(a, ab, ca, splits + 1, width, height, out);
    EmitTriangle(ab, b, bc, splits + 1, width, height, out);
    EmitTriangle(ca, bc, c, splits + 1, width, height, out);
    EmitTriangle(ab, bc, ca, splits + 1, width, height, out);
    return;
  }
  out->insert(out->end(), screen, screen + 3);
}

// One draw's working memory, kept between draws: there is only one thread.
struct DrawScratch {
  std::vector<Transformed> vertices;
  std::vector<Corner> corners;
  std::vector<Polygon> polygons;
  std::vector<SDL_Vertex> output;
  std::vector<int> indices;
};

DrawScratch scratch;

// Every vertex of the subset into clip and view space, its normal turned with it.
void TransformVertices(const DeviceImpl& device, const std::vector<MeshVertex>& vertices) {
  // Row-vector matrices are the transposes of GLM's column-vector ones: the products
  // run the other way round.
  const glm::mat4 worldView = ToGlm(device.view) * ToGlm(device.world);
  const glm::mat4 worldViewProjection = ToGlm(device.projection) * worldView;
  const glm::mat3 normalTurn = glm::inverseTranspose(glm::mat3(worldView));
  scratch.vertices.resize(vertices.size());
  for (size_t i = 0; i < vertices.size(); ++i) {
    const MeshVertex& vertex = vertices[i];
    Transformed& out = scratch.vertices[i];
    const glm::vec4 position(ToGlm(vertex.position), 1.0f);
    out.clip = worldViewProjection * position;
    out.view = glm::vec3(worldView * position);
    const glm::vec3 normal = normalTurn * ToGlm(vertex.normal);
    const float length = glm::length(normal);
    out.normal = length > 0.0f && std::isfinite(length) ? normal / length : glm::vec3(0.0f);
  }
}

// The triangle of the transformed vertices, when it faces the eye: lit, cut to the view
// and added to the polygons.
void GatherTriangle(const Material& material, const std::vector<MeshVertex>& vertices,
                    const uint32_t (&triangle)[3]) {
  const Transformed* v[3] = {&scratch.vertices[triangle[0]], &scratch.vertices[triangle[1]],
                             &scratch.vertices[triangle[2]]};
  if (!IsFinite(v[0]->clip) || !IsFinite(v[1]->clip) || !IsFinite(v[2]->clip)) return;
  // Front faces run clockwise on screen. The sign of this determinant is that of the
  // projected triangle's area, even for triangles that reach behind the eye.
  const glm::vec3 a(v[0]->clip.x, v[0]->clip.y, v[0]->clip.w);
  const glm::vec3 b(v[1]->clip.x, v[1]->clip.y, v[1]->clip.w);
  const glm::vec3 c(v[2]->clip.x, v[2]->clip.y, v[2]->clip.w);
  if (glm::dot(a, glm::cross(b, c)) >= 0.0f) return;

  // Vertices without a normal of their own take the face's.
  glm::vec3 faceNormal = glm::cross(v[1]->view - v[0]->view, v[2]->view - v[0]->view);
  const float faceLength = glm::length(faceNormal);
  faceNormal = faceLength > 0.0f ? faceNormal / faceLength : glm::vec3(0.0f, 0.0f, -1.0f);

  Corner corners[MAX_CORNERS];
  for (int n = 0; n < 3; ++n) {
    const MeshVertex& source = vertices[triangle[n]];
    const glm::vec3& normal = v[n]->normal == glm::vec3(0.0f) ? faceNormal : v[n]->normal;
    // A coordinate that is no number would send SDL's rasteriser outside the texture.
    const glm::vec2 uv(std::isfinite(source.u) ? source.u : 0.0f,
                       std::isfinite(source.v) ? source.v : 0.0f);
    corners[n] = Corner{v[n]->clip, LitColor(material, normal), uv};
  }
  const int count = ClipPolygon(corners, 3);
  if (count < 3) return;
  const float depth = (v[0]->view.z + v[1]->view.z + v[2]->view.z) / 3.0f;
  scratch.polygons.push_back(
      Polygon{depth, static_cast<uint32_t>(scratch.corners.size()), static_cast<uint32_t>(count)});
  scratch.corners.insert(scratch.corners.end(), corners, corners + count);
}

// Each face as a fan of triangles; what shows is kept, sorted far to near.
void GatherPolygons(const Material& material, const MeshSubset& subset) {
  const std::vector<MeshVertex>& vertices = subset.vertices;
  scratch.corners.clear();
  scratch.polygons.clear();
  for (size_t f = 0; f < subset.faceStarts.size(); ++f) {
    const uint32_t first = subset.faceStarts[f];
    const uint32_t end = f + 1 < subset.faceStarts.size() ? subset.faceStarts[f + 1]
                                                          : static_cast<uint32_t>(vertices.size());
    for (uint32_t k = first + 1; k + 1 < end; ++k) {
      const uint32_t triangle[3] = {first, k, k + 1};
      GatherTriangle(material, vertices, triangle);
    }
  }
  std::stable_sort(scratch.polygons.begin(), scratch.polygons.end(),
                   [](const Polygon& x, const Polygon& y) { return x.depth > y.depth; });
}

// The polygon as a fan of screen triangles appended to the output.
void EmitPolygon(const Polygon& polygon, float width, float height) {
  const Corner* corners = &scratch.corners[polygon.first];
  // SDL samples only inside the texture: a polygon's coordinates are moved by whole
  // repeats towards it, and what still lies outside is held at the edge.
  glm::vec2 low = corners[0].uv;
  for (uint32_t k = 1; k < polygon.count; ++k) low = glm::min(low, corners[k].uv);
  const glm::vec2 shift = glm::floor(low);
  Corner fan[MAX_CORNERS];
  for (uint32_t k = 0; k < polygon.count; ++k) {
    fan[k] = corners[k];
    fan[k].uv = glm::clamp(corners[k].uv - shift, 0.0f, 1.0f);
  }
  for (uint32_t k = 1; k + 1 < polygon.count; ++k) {
    EmitTriangle(fan[0], fan[k], fan[k + 1], 0, width, height, &scratch.output);
  }
}

// Hands the output to SDL and empties it; false when SDL refuses.
bool DrawOutput(SDL_Renderer* renderer, SDL_Texture* texture) {
  // Numbered vertices: without them SDL's software renderer takes some pairs of
  // triangles for the halves of a rectangle and draws them wrongly. The numbers are
  // always 0, 1, 2, ...: only those past the largest batch yet are written.
  const int count = static_cast<int>(scratch.output.size());
  for (int i = static_cast<int>(scratch.indices.size()); i < count; ++i) {
    scratch.indices.push_back(i);
  }
  const bool drawn = count == 0 || SDL_RenderGeometry(renderer, texture, scratch.output.data(),
                                                      count, scratch.indices.data(), count) == 0;
  scratch.output.clear();
  return drawn;
}

// Draws the gathered polygons into the back buffer; false when any batch failed.
bool DrawPolygons(DeviceImpl* device) {
  TextureImpl* stage = device->stageTexture;
  SDL_Texture* texture = stage && stage->texture ? stage->texture : nullptr;
  const float width = static_cast<float>(device->backBuffer.width);
  const float height = static_cast<float>(device->backBuffer.height);
  // Meshes are opaque, and the colour is all in the vertices.
  SDL_Renderer* renderer = device->renderer;
  TargetBackBufferForDrawing(device);
  if (texture) {
    // Nearest texel, as the device samples by default.
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
    SDL_SetTextureColorMod(texture, 255, 255, 255);
    SDL_SetTextureAlphaMod(texture, 255);
  } else {
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
  }
  bool drawn = true;
  scratch.output.clear();
  for (const Polygon& polygon : scratch.polygons) {
    EmitPolygon(polygon, width, height);
    // Drawn in batches, far to near still: a large subset cut small would otherwise
    // hold many times its own size at once.
    if (scratch.output.size() >= OUTPUT_BATCH) drawn = DrawOutput(renderer, texture) && drawn;
  }
  drawn = DrawOutput(renderer, texture) && drawn;
  if (texture) {
    // Back as sprites draw it.
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeLinear);
  }
  return drawn;
}

}  // namespace

void AttachMesh(DeviceImpl* device, MeshImpl* mesh) {
  mesh->device = device;
  device->meshes.push_back(mesh);
}

void DetachMesh(MeshImpl* mesh) { mesh->device = nullptr; }

void Mesh::Release() {
  MeshImpl* mesh = Impl(this);
  if (mesh->device) Unregister(mesh->device->meshes, mesh);
  delete mesh;
}

uint32_t Mesh::GetNumVertices() const {
  size_t count = 0;
  for (const MeshSubset& subset : static_cast<const MeshImpl*>(this)->subsets) {
    count += subset.vertices.size();
  }
  return static_cast<uint32_t>(count);
}

uint32_t Mesh::GetNumFaces() const {
  // Triangles: a face of n corners is a fan of n - 2.
  size_t count = 0;
  for (const MeshSubset& subset : static_cast<const MeshImpl*>(this)->subsets) {
    count += subset.vertices.size() - 2 * subset.faceStarts.size();
  }
  return static_cast<uint32_t>(count);
}

HRESULT Mesh::ComputeBoundingSphere(Vector3* centre, float* radius) const {
  const MeshImpl* mesh = static_cast<const MeshImpl*>(this);
  if (!centre || !radius || GetNumVertices() == 0) return D3DERR_INVALIDCALL;
  glm::vec3 low(INFINITY);
  glm::vec3 high(-INFINITY);
  for (const MeshSubset& subset : mesh->subsets) {
    for (const MeshVertex& vertex : subset.vertices) {
      low = glm::min(low, ToGlm(vertex.position));
      high = glm::max(high, ToGlm(vertex.position));
    }
  }
  const glm::vec3 middle = (low + high) * 0.5f;
  float farthest = 0.0f;
  for (const MeshSubset& subset : mesh->subsets) {
    for (const MeshVertex& vertex : subset.vertices) {
      farthest = std::max(farthest, glm::length(ToGlm(vertex.position) - middle));
    }
  }
  *centre = Vector3{middle.x, middle.y, middle.z};
  *radius = farthest;
  return S_OK;
}

HRESULT Mesh::DrawSubset(uint32_t attributeId) {
  MeshImpl* mesh = Impl(this);
  DeviceImpl* device = mesh->device;
  if (!device || !device->inScene) return D3DERR_INVALIDCALL;
  if (attributeId >= mesh->subsets.size() || mesh->subsets[attributeId].faceStarts.empty()) {
    return S_OK;
  }
  if (!RecoverDevice(device)) return D3DERR_DEVICELOST;

  const MeshSubset& subset = mesh->subsets[attributeId];
  TransformVertices(*device, subset.vertices);
  GatherPolygons(device->material, subset);
  if (scratch.polygons.empty()) return S_OK;
  if (!DrawPolygons(device)) {
    std::fprintf(stderr, "zorbly-frondles: cannot draw a mesh (%s)\n", SDL_GetError());
    return E_FAIL;
  }
  return S_OK;
}
