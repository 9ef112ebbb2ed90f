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

// Below this many vertices the pass stays on the calling thread.
constexpr int kParallelVertices = 256;

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

// Everything the vertex loop reads, prepared on the calling thread.
struct FluxelRays {
  Matrix3 toWorld, toGeometry;
  Point3 centre;       // world space
  Point3 centreLocal;  // geometry space
  float reach;         // squared diagonal of the geometry's own box
  float length;        // reaches beyond the surface from the centre
  float d, inner, outer;
  int blend, direction;
};

// Moves vertex j of positions out of surface; weights holds one value per vertex.
inline void PushOutVertex(const FluxelRays& r, Object& surface, TimeValue t, const float* weights, int j,
                          Point3* positions, std::uint8_t* touched) {
  const Point3 v = positions[j];
  const Point3 vl = v * r.toGeometry;
  if ((vl - r.centreLocal).LengthSquared() > r.reach) return;
  if (!PassesDirection(r.direction, vl, v, r.toGeometry)) return;
  const Point3 e = v - r.centre;
  const float e2 = e.LengthSquared();
  if (e2 < 1e-24f) return;
  const float p = std::sqrt(e2);
  const Point3 u = e * (1.0f / p);
  Ray ray;
  ray.p = (v + u * r.length) * r.toGeometry;
  ray.dir = r.toGeometry.VectorTransform(-u);
  float at = 0.0f;
  Point3 normal;
  if (!surface.IntersectRay(t, ray, at, normal)) return;
  const Point3 hit = (ray.p + ray.dir * at) * r.toWorld;
  float x = Length(hit - r.centre) - p;
  if (r.blend < 1 && x <= 0.0f) return;
  if (r.blend > 0 && x + p > 1e-12f) {
    const float y = p / (x + p);
    if (y >= r.outer) return;
    if (y > r.inner) x = SoftZoneRadius(y, r.d) * (x + p) - p;
  }
  positions[j] += u * (x * weights[j]);
  touched[j] = 1;
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
  const Matrix3 toGeometry = Inverse(toWorld);

  // The cheap rejection compares geometry-space distances with the geometry's own diagonal; the
  // rays are bounded by the geometry's world-space box, so that they start beyond the surface
  // whatever the transform scales, turns or moves.
  Box3 box, worldBox;
  const Point3* verts = geometry.Verts();
  for (int k = 0; k < m; ++k) {
    box += verts[k];
    worldBox += verts[k] * toWorld;
  }
  const float reach = (box.pmax - box.pmin).LengthSquared();
  const Point3 centre = origin ? box.Center() * toWorld : node->GetNodeTM(t).GetTrans();
  worldBox += centre + (worldBox.pmax - centre) * outer;
  worldBox += centre + (worldBox.pmin - centre) * outer;
  float farthest = 0.0f;
  for (int k = 0; k < 8; ++k) {
    const Point3 corner{(k & 1) ? worldBox.pmax.x : worldBox.pmin.x, (k & 2) ? worldBox.pmax.y : worldBox.pmin.y,
                        (k & 4) ? worldBox.pmax.z : worldBox.pmin.z};
    farthest = std::max(farthest, (centre - corner).LengthSquared());
  }
  const FluxelRays rays{toWorld, toGeometry, centre, centre * toGeometry, reach, 2.0f * std::sqrt(farthest),
                        d, inner, outer, blend, direction};
  const float* weights = AccessInfluenceTable(fluxel.tables, skin.instanceStamp, n).data();

  // A first cast builds the surface's ray hierarchy; every later cast only reads it, so the
  // vertices, each independent of the others, can be cast from several threads.
  {
    float at = 0.0f;
    Point3 normal;
    surface->IntersectRay(t, Ray{centre * toGeometry, Point3(1, 0, 0)}, at, normal);
  }
#pragma omp parallel for schedule(static) if (n >= kParallelVertices)
  for (int j = 0; j < n; ++j) PushOutVertex(rays, *surface, t, weights, j, positions, touched);
}

}  // namespace

void ApplyFluxelPass(Tessarin& skin, TimeValue t, int n, Point3* positions, std::uint8_t* touched) {
  if (n <= 0) return;
  for (INode* node : CollectInfluenceSources(skin, t, SourceKind::fluxel)) {
    if (Fluxel* fluxel = UsableFluxel(node)) PushOutOfFluxel(skin, node, *fluxel, t, n, positions, touched);
  }
}
