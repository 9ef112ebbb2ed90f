// The orbicle pass: each orbicle source pushes the skin out of its ellipsoid.

#include <algorithm>
#include <cmath>

#include "deformer/tessarin.h"
#include "host/sdk/inode.h"
#include "module/registry/orbicle_parameters.h"
#include "sources/influence_passes.h"
#include "sources/influence_source_lists.h"
#include "sources/orbicle.h"

namespace {

// Everything the vertex loop reads, prepared on the calling thread.
struct OrbicleFrame {
  Matrix3 toLocal;
  Matrix3 toWorld;
  float radius[3];
  float d, outer, inner;
  bool hard;  // blend below 1: no soft zone
  int direction;
};

// Moves vertex i of positions by the orbicle of frame; weights holds one value per vertex.
inline void PushOutOfOrbicle(const OrbicleFrame& f, const float* weights, int i, Point3* positions,
                             std::uint8_t* touched) {
  const Point3 p = positions[i];
  Point3 q = p * f.toLocal;
  if (!PassesDirection(f.direction, q, p, f.toLocal)) return;
  float s = 0.0f;
  for (int j = 0; j < 3; ++j) {
    if (f.radius[j] > q[j] * 1e-12f) {
      const float r = q[j] / f.radius[j];
      s += r * r;
    } else {
      q[j] = 0.0f;
    }
  }
  if (s < 1e-12f) return;
  const float h = std::sqrt(s);
  if (h >= f.outer) return;
  const float radius = f.hard || h <= f.inner ? 1.0f : SoftZoneRadius(h, f.d);
  const Point3 pushed = (q * (radius / h)) * f.toWorld;
  const float w = weights[i];
  positions[i] = p * (1.0f - w) + pushed * w;
  touched[i] = 1;
}

}  // namespace

void ApplyOrbiclePass(Tessarin& skin, TimeValue t, int n, Point3* positions, std::uint8_t* touched) {
  if (n <= 0) return;
  for (INode* node : CollectInfluenceSources(skin, t, SourceKind::orbicle)) {
    Object* obj = node->GetObjectRef();
    if (!obj || !obj->IsSubClassOf(ORBICLE_CLASS_ID)) continue;
    auto* orbicle = static_cast<Orbicle*>(obj);
    IParamBlock2* pb = orbicle->GetParamBlock(0);
    if (!pb) continue;
    Interval iv = FOREVER;
    int disabled = 0, blend = 0, direction = 0;
    float length = 0.0f, width = 0.0f, height = 0.0f;
    pb->GetValue(orbicle_param::disabled, t, disabled, iv);
    if (disabled) continue;
    pb->GetValue(orbicle_param::blend, t, blend, iv);
    pb->GetValue(orbicle_param::direction, t, direction, iv);
    pb->GetValue(orbicle_param::length, t, length, iv);
    pb->GetValue(orbicle_param::width, t, width, iv);
    pb->GetValue(orbicle_param::height, t, height, iv);
    if (length < 1e-12f || width < 1e-12f || height < 1e-12f) continue;

    OrbicleFrame f;
    f.toWorld = node->GetNodeTM(t);
    f.toLocal = Inverse(f.toWorld);
    f.radius[0] = length * 0.5f;
    f.radius[1] = width * 0.5f;
    f.radius[2] = height * 0.5f;
    const int b = std::clamp(blend, 0, 100);
    f.d = float(b) * 0.01f;
    f.outer = 1.0f + f.d;
    f.inner = 1.0f - f.d;
    f.hard = blend < 1;
    f.direction = direction;
    const float* weights = AccessInfluenceTable(orbicle->tables, skin.instanceStamp, n).data();

#pragma omp parallel for schedule(static)
    for (int i = 0; i < n; ++i) PushOutOfOrbicle(f, weights, i, positions, touched);
  }
}
