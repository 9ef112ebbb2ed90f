// The skin's evaluation: ModifyObject and the deformation core, with the answers the modifier
// gives the host about channels and validity.

#include <algorithm>
#include <exception>
#include <vector>

#include "deformer/blend.h"
#include "deformer/message_routine.h"
#include "deformer/parallel_policy.h"
#include "deformer/reattachment.h"
#include "deformer/secondary_motion.h"
#include "deformer/skin_services.h"
#include "deformer/tessarin.h"
#include "deformer/weight_colors.h"
#include "deformer/weights.h"
#include "host/queries/scene_queries.h"
#include "host/sdk/interface.h"
#include "host/sdk/object_wrapper.h"
#include "module/registry/tessarin_parameters.h"

namespace {

// p · a (a point as a row vector), the host's arithmetic inlined for the per-vertex loops.
inline Point3 CarryPoint(const Point3& p, const Matrix3& a) {
  return {p.x * a.m[0][0] + p.y * a.m[1][0] + p.z * a.m[2][0] + a.m[3][0],
          p.x * a.m[0][1] + p.y * a.m[1][1] + p.z * a.m[2][1] + a.m[3][1],
          p.x * a.m[0][2] + p.y * a.m[1][2] + p.z * a.m[2][2] + a.m[3][2]};
}

// Deforms the wrapped mesh; false when the mesh passes through unchanged. Returns in `colours`
// whether vertex colours were written.
bool DeformSkin(Tessarin& skin, TimeValue t, ObjectWrapper& wrapper, std::vector<std::uint8_t>& touched,
                bool& colours) {
  colours = false;
  if (Interface* ip = GetCOREInterface()) SetMessageOwner(ip->GetMAXHWnd());

  // A fresh look every time: the cached node may be stale, and an instanced skin has none.
  INode* carrier = FindCarrierNode(&skin);
  const int n = wrapper.NumVerts();
  BoneTable& table = skin.table;
  const int b = table.boneCount;
  if (!carrier || n == 0 || b == 0 || !table.IsValidFor(b, n)) return false;

  const bool useInertia = skin.ReadSwitch(use_inertia, t, 0) != 0;
  const bool useOscillation = skin.ReadSwitch(use_oscillation, t, 0) != 0;
  UpdateBoneShapesWithMotion(skin, t, useInertia, useOscillation);
  table.RebuildCurrentFrames();

  const bool useStack = skin.ReadSwitch(use_stack, t, 1) != 0;
  const Matrix3 toWorld = useStack ? table.attachObjectTM : carrier->GetObjectTM(t);
  Point3* verts = wrapper.Verts();
  Point3* current = table.currentPositions.data();
  const bool parallel = ParallelWorthIt(n, 1);
#pragma omp parallel for schedule(static) if (parallel)
  for (int i = 0; i < n; ++i) current[i] = CarryPoint(verts[i], toWorld);

  if (!EnsureWeights(skin, b, n)) return false;

  touched.assign(n, 0);
  const float threshold = skin.settings.BlendThreshold();
  const Point3* source = useStack ? table.currentPositions.data() : table.attachPositions.data();
  Point3* destination = useStack ? verts : table.currentPositions.data();
  // The wrapper's array serves as a world-space buffer: vertices the blend leaves alone must hold
  // world positions too, for the influence passes that read the whole array.
  if (useStack) std::copy(table.currentPositions.begin(), table.currentPositions.begin() + n, verts);
  const bool useDualQuaternion = skin.ReadSwitch(use_dual_quaternion, t, 0) != 0;
  BlendSkin(skin, t, n, source, destination, touched.data(), threshold, useDualQuaternion);

  const SkinServices& services = GetSkinServices();
  if (skin.ReadSwitch(use_fluxels, t, 0) != 0 && services.applyInfluenceSources)
    services.applyInfluenceSources(skin, t, n, destination, touched.data());

  const Matrix3 toObject = Inverse(carrier->GetObjectTM(t));
  bool moved = false;
  const std::uint8_t* flags = touched.data();
#pragma omp parallel for schedule(static) if (parallel) reduction(|| : moved)
  for (int i = 0; i < n; ++i) {
    if (!flags[i]) continue;
    wrapper.SetVert(i, CarryPoint(destination[i], toObject));
    moved = true;
  }
  if (moved) wrapper.Invalidate(GEOM_CHAN_NUM);

  if (skin.settings.paintingColors) colours = WriteVertexColors(skin, wrapper);
  return true;
}

}  // namespace

ChannelMask Tessarin::ChannelsUsed() {
  return TOPO_CHANNEL | GEOM_CHANNEL | SELECT_CHANNEL | SUBSEL_TYPE_CHANNEL | DISP_ATTRIB_CHANNEL |
         VERTCOLOR_CHANNEL;
}

ChannelMask Tessarin::ChannelsChanged() { return GEOM_CHANNEL | VERTCOLOR_CHANNEL; }

Class_ID Tessarin::InputType() { return defObjectClassID; }

Interval Tessarin::LocalValidity(TimeValue t) { return Interval(t, t); }

void Tessarin::ModifyObject(TimeValue t, ModContext& mc, ObjectState* os, INode* node) {
  (void)mc;
  (void)node;
  if (!os) return;
  // The kept wrapper and flags (their buffers reused frame after frame, so that a steady
  // evaluation allocates nothing), unless an influence source re-enters this skin's evaluation.
  EvaluationBuffers own;
  EvaluationBuffers& buffers = blendWork.evaluating ? own : blendWork.buffers;
  struct Busy {
    bool& flag;
    bool was;
    ~Busy() { flag = was; }
  } busy{blendWork.evaluating, blendWork.evaluating};
  blendWork.evaluating = true;
  lastEvaluationFailed = false;
  try {
    ObjectWrapper& wrapper = buffers.wrapper;
    if (wrapper.Init(t, *os)) {
      const int n = wrapper.NumVerts();
      if (n > 0 && table.vertexCount > 0 && n != table.vertexCount) {
        ReattachToVertices(*this, n, wrapper.Verts(), t);
        table.RebuildBindFrames();
      }
      bool colours = false;
      DeformSkin(*this, t, wrapper, buffers.touched, colours);
      if (colours && os->obj) {
        NotifyDependents(Interval(t, t), PART_VERTCOLOR, REFMSG_CHANGE);
        os->obj->UpdateValidity(VERT_COLOR_CHAN_NUM, LocalValidity(t));
      }
    }
  } catch (const std::exception&) {
    // Nothing reaches the host: the mesh passes through as far as it got, and the editing
    // interface can tell.
    lastEvaluationFailed = true;
  }
  buffers.wrapper.Release();
  if (os->obj) os->obj->UpdateValidity(GEOM_CHAN_NUM, LocalValidity(t));
}
