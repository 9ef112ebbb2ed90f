#include "sources/orbicle_mesh.h"

#include <cmath>
#include <vector>

namespace {

constexpr float kTwoPi = 6.2831853f;
constexpr float kHalfPi = 1.5707963f;
constexpr float kMaxSize = 1e30f;
constexpr MtlID kOrbicleMaterial = 1;

// 0 .. 1e30; not-a-number becomes 0.
float ClampSize(float v) { return v > kMaxSize ? kMaxSize : (v > 0.0f ? v : 0.0f); }

int ClampSegments(int s) {
  return s < kMinOrbicleSegments ? kMinOrbicleSegments : (s > kMaxOrbicleSegments ? kMaxOrbicleSegments : s);
}

void SetFace(Face& f, int a, int b, int c, bool visA, bool visB, bool visC) {
  f = Face();  // a rebuilt mesh reuses its faces
  f.setVerts(a, b, c);
  f.setSmGroup(0);
  f.setMatID(kOrbicleMaterial);
  f.setEdgeVisFlags(visA, visB, visC);
}

}  // namespace

Point3 ClampToDirection(Point3 p, int direction) {
  switch (direction) {
    case kDirectionForward: if (p.x < 0.0f) p.x = 0.0f; break;
    case kDirectionBackward: if (p.x > 0.0f) p.x = 0.0f; break;
    case kDirectionLeft: if (p.y < 0.0f) p.y = 0.0f; break;
    case kDirectionRight: if (p.y > 0.0f) p.y = 0.0f; break;
    case kDirectionUp: if (p.z < 0.0f) p.z = 0.0f; break;
    default:
      if (direction >= kDirectionDown && p.z > 0.0f) p.z = 0.0f;
      break;
  }
  return p;
}

void BuildOrbicleMesh(const OrbicleShape& shape, Mesh& mesh) {
  const float L = ClampSize(shape.length);
  const float W = ClampSize(shape.width);
  const float H = ClampSize(shape.height);
  const int S = ClampSegments(shape.segments);
  const int D = shape.direction;
  const int R = S / 2 - 1;

  mesh.setNumVerts(S * R + 2);
  mesh.setNumFaces(2 * S * R);

  // Angles are accumulated by repeated addition, in single precision.
  const float u = kTwoPi / static_cast<float>(S);
  const float a0 = shape.orientationMarker ? kHalfPi : 0.0f;

  mesh.setVert(0, ClampToDirection(Point3(0.0f, 0.0f, H * 0.5f), D));
  float theta = 0.0f;
  for (int k = 1; k <= R; ++k) {
    theta += u;
    const float z = std::cos(theta) * H * 0.5f;
    const float s = std::sin(theta);
    float phi = a0;
    for (int i = 0; i < S; ++i) {
      const Point3 p(std::cos(phi) * s * 0.5f * L, std::sin(phi) * s * 0.5f * W, z);
      mesh.setVert(1 + (k - 1) * S + i, ClampToDirection(p, D));
      phi += u;
    }
  }
  const int bottom = S * R + 1;
  mesh.setVert(bottom, ClampToDirection(Point3(0.0f, 0.0f, -H * 0.5f), D));

  std::vector<Face>& faces = mesh.faces.Edit();
  int f = 0;
  for (int i = 1; i <= S; ++i) SetFace(faces[f++], 0, i, i == S ? 1 : i + 1, true, true, true);
  for (int r = 1; r <= R - 1; ++r) {
    const int first = (r - 1) * S + 1;
    for (int j = 0; j < S; ++j) {
      const int a = first + j;
      const int b = j == S - 1 ? first : a + 1;
      SetFace(faces[f++], a, a + S, b + S, true, true, false);
      SetFace(faces[f++], a, b + S, b, false, true, true);
    }
  }
  const int last = (R - 1) * S + 1;
  for (int i = 0; i < S; ++i)
    SetFace(faces[f++], bottom, i == S - 1 ? last : last + i + 1, last + i, true, true, true);

  // No texture coordinates; geometry and topology changed.
  mesh.InvalidateGeomCache();
  mesh.InvalidateTopologyCache();
}

Point3 OrbicleSurfacePoint(const OrbicleShape& shape, float u, float v) {
  constexpr double kPi = 3.14159265358979323846;
  const double alpha = (static_cast<double>(v) - 0.5) * kPi;
  const double beta = 2.0 * static_cast<double>(u) * kPi;
  const Point3 p(static_cast<float>(std::cos(beta) * shape.length / 2.0 * std::cos(alpha)),
                 static_cast<float>(std::sin(beta) * shape.width / 2.0 * std::cos(alpha)),
                 static_cast<float>(std::sin(alpha) * shape.height / 2.0));
  return ClampToDirection(p, shape.direction);
}
