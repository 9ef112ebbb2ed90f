#pragma once
// Per-bone data of the blend in the layout its inner loop reads, with the evaluation's scratch
// arrays. Kept by the modifier between evaluations so that a steady evaluation allocates nothing;
// neither stored nor cloned.

#include <cstdint>
#include <vector>

#include "deformer/blend_spline.h"
#include "host/sdk/object_wrapper.h"

// Four floats the compiler keeps in one vector register; lane 3 unused (0).
using Lanes = float __attribute__((vector_size(16)));

// A bone's skin transform: its three axis columns and its origin, one per Lanes.
struct LinearBone {
  Lanes column[4];
};

// A bone's axis scales and the dual quaternion (w, x, y, z) of its rigid part.
struct DualBone {
  Lanes scale;
  Lanes real;
  Lanes dual;
};

// What one evaluation of the skin works in: the wrapper around the incoming mesh (with its copy
// of the positions) and the moved flags, one per vertex.
struct EvaluationBuffers {
  ObjectWrapper wrapper;
  std::vector<std::uint8_t> touched;
};

struct BlendWorkspace {
  std::vector<LinearBone> linear;  // one per bone
  std::vector<DualBone> dual;      // one per bone, filled for dual-quaternion blending
  std::vector<AffineFrame> skins;  // one per bone: the skin transforms as frames (spline bones)
  std::vector<int> roles;          // one per bone: how the bone takes part (blend.cpp)
  std::vector<SplineBinding> splines;  // one per spline bone taking part
  EvaluationBuffers buffers;
  bool evaluating = false;  // buffers are in use by an evaluation of the skin
};
