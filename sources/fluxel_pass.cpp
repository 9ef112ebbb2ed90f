// The fluxel pass: each fluxel source pushes the skin out of the mesh of its node, along the line
// from the fluxel's centre through the vertex.

#include <algorithm>
#include <cmath>

#include "deformer/tessarin.h"
#include "host/queries/scene_queries.h"
#include "host/sdk/inode.h"
#include "host/sdk/object_wrapper.h"
#include "host/sdk/ray.h"
#include "module/registry/fluxel_parameters.h"
#include "sources/fluxel.h"
#include "sources/influence_passes.h"
#include "sources/influence_source_lists.h"

namespace {

// The fluxel usable for a pass on node, or null: exactly the Fluxel class, on in the stack, with
// its one parameter block.
Fluxel* UsableFluxel(INode* node) {
  Modifier* mod = FindModifierOnNode(node, FLUXEL_CLASS_ID);
  if (!mod || mod->ClassID() != FLUXEL_CLASS_ID || !mod->IsEnabled()) return nullptr;
  if (mod->NumParamBlocks() != 1 || !mod->GetParamBlock(0)) return nullptr;
  return static_cast<Fluxel*>(mod);
}

// The geometry-to-world transform of node's evaluated state.
Matrix3 GeometryToWorld(INode* node, TimeValue t, const ObjectState& state) {
  if (!node->GetObjTMAfterWSM(t).IsIdentity()) return node->GetObjectTM(t);
  return state.GetTM() ? *state.GetTM() : Matrix3(true);
}

void PushOutOfFluxel(Tessarin& skin, INode* node, Fluxel& fluxel, TimeValue t, int n, Point3* positions,
                     std::uint8_t* touched) {
  IParamBlock2* pb = fluxel.GetParamBlock(0);
  Interval iv = FOREVER;
  int disabled = 0, origin = 0, blend = 0, direction = 0;
  pb->GetValue(fluxel_param::disabled, t, disabled, iv);
  if (disabled || !skin.CachedNode()) return;
  pb->GetValue(fluxel_param::origin, t, origin, iv);
  pb->GetValue(fluxel_param::blend, t, blend, iv);
  pb->GetValue(fluxel_param::direction, t, direction, iv);

  ObjectState state = node->EvalWorldState(t);
  Object* evaluated = state.obj;
  ObjectWrapper geometry;
  if (!geometry.Init(t, state, false, 0, ObjectWrapper::triObject)) return;
  // A conversion made for the wrapper belongs to no pipeline here: released after the pass.
  struct ConvertedRelease {
    ObjectState& s;
    Object* original;
    ~ConvertedRelease() {
      if (s.obj && s.obj != original) s.obj->DeleteThis();
    }
  } release{state, evaluated};
  Object* surface = geometry.GetObject();
  const int m = geometry.NumVerts();
  if (!surface || m == 0) return;

  const float d = float(std::clamp(blend, 0, 100)) * 0.01f;
  const float outer = 1.0f + d;
  const float inner = 1.0f - d;
  const Matrix3 toWorld = GeometryToWorld(node, t, state);

  // The box is taken in the geometry's own coordinates; centre, enlargement and ray length use
  // world coordinates through toWorld. The two agree when toWorld is the identity, the normal
  // case for a node that carries a world-space modifier.
  Box3 box;
  const Point3* verts = geometry.Verts();
  for (int k = 0; k < m; ++k) box += verts[k];
  const float reach = (box.pmax - box.pmin).LengthSquared();
  const Point3 centre = origin ? box.Center() * toWorld : node->GetNodeTM(t).GetTrans();
  box += centre + (box.pmax - centre) * outer;
  box += centre + (box.pmin - centre) * outer;
  float farthest = 0.0f;
  for (int k = 0; k < 8; ++k) {
    const Point3 corner{(k & 1) ? box.pmax.x : box.pmin.x, (k & 2) ? box.pmax.y : box.pmin.y,
                        (k & 4) ? box.pmax.z : box.pmin.z};
    farthest = std::max(farthest, (centre - corner).LengthSquared());
  }
  const float rayLength = 2.0f * std::sqrt(farthest);
  const Matrix3 toGeometry = Inverse(toWorld);
  const Point3 centreLocal = centre * toGeometry;
  std::vector<float>& weights = AccessInfluenceTable(fluxel.tables, skin.instanceStamp, n);

  for (int j = 0; j < n; ++j) {
    const Point3 v = positions[j];
    const Point3 vl = v * toGeometry;
    if ((vl - centreLocal).LengthSquared() > reach) continue;
    if (!PassesDirection(direction, vl)) continue;
    const Point3 e = v - centre;
    const float e2 = e.LengthSquared();
    if (e2 < 1e-24f) continue;
    const float p = std::sqrt(e2);
    const Point3 u = e * (1.0f / p);
    Ray ray;
    ray.p = (v + u * rayLength) * toGeometry;
    ray.dir = toGeometry.VectorTransform(-u);
    float at = 0.0f;
    Point3 normal;
    if (!surface->IntersectRay(t, ray, at, normal)) continue;
    const Point3 hit = (ray.p + ray.dir * at) * toWorld;
    float x = Length(hit - centre) - p;
    if (blend < 1 && x <= 0.0f) continue;
    if (blend > 0 && x + p > 1e-12f) {
      const float y = p / (x + p);
      if (y >= outer) continue;
      if (y > inner) x = SoftZoneRadius(y, d) * (x + p) - p;
    }
    positions[j] += u * (x * weights[j]);
    touched[j] = 1;
  }
}

}  // namespace

void ApplyFluxelPass(Tessarin& skin, TimeValue t, int n, Point3* positions, std::uint8_t* touched) {
  if (n <= 0) return;
  for (INode* node : CollectInfluenceSources(skin, t, SourceKind::fluxel)) {
    if (Fluxel* fluxel = UsableFluxel(node)) PushOutOfFluxel(skin, node, *fluxel, t, n, positions, touched);
  }
}
