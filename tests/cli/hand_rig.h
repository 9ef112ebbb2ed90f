#pragma once
// A rig small enough to check by hand: two dummy bones with unit-radius boxes and a skin of five
// vertices. The expected weights and positions below are worked out from the weight and blend
// formulas, not taken from a run.
//
// Bones (each a dummy of size 2, so its ellipsoid is the unit sphere around the node):
//   A at the origin, falloff 1, strength 0   → falloffDistance D = 2·R·falloff = 2
//   B at (4, 0, 0),  falloff 2, strength 0.5 → D = 4; its strength term is 0.5·0.13·2R = 0.13
//   B is keyed to (4, 1, 0) at frame 10; A never moves. Attached at frame 0.
// For a unit sphere u / B = 1, so the radial distance is d = |p − c| − 1 − strength term, and the
// raw weight is e^(−3.1·d / D).
//   v0 (1.5, 0, 0): A d = 0.5  → e^−0.775   = 0.460704;  B d = 1.37  → e^−1.06175 = 0.345850
//                   shares 0.460704 / 0.806554 = 0.571200 and 0.428800
//   v1 (2, 0, 0):   A d = 1    → e^−1.55    = 0.212248;  B d = 0.87  → e^−0.67425 = 0.509538
//                   shares 0.294059 and 0.705941
//   v2 (4, 0.5, 0): A d = √16.25 − 1 = 3.031129 → e^−4.698250 = 0.009111
//                   B d = 0.5 − 1 − 0.13 = −0.63 (inside) → e^0.488250 = 1.629462
//                   shares 0.005560 and 0.994440
//   v3 (2, 0, 0.5): A forced to 30 % (code 254): forced sum F = 0.3, so the computed bone B is
//                   scaled to 1 − F: exactly 0.3 and 0.7
//   v4 (1, 1, 0):   B excluded, A the only included bone: exactly 1 and 0
// At frame 10 bone B has moved by (0, 1, 0) and A not at all, so each bone's skin transform is a
// pure translation and linear blending gives p + wB · (0, 1, 0).

#include <array>
#include <string>

#include "host/sdk/point3.h"

namespace cli_test {

inline const char* kHandRig = R"({
  "format": "tessarin-scene", "version": 1, "frameRate": 30, "time": 0,
  "nodes": [
    {"name": "BoneA", "object": {"type": "dummy", "size": 2}},
    {"name": "BoneB", "position": [4, 0, 0], "object": {"type": "dummy", "size": 2},
     "keys": [{"frame": 0, "position": [4, 0, 0]}, {"frame": 10, "position": [4, 1, 0]}]},
    {"name": "Skin",
     "object": {"type": "mesh", "vertices": [[1.5, 0, 0], [2, 0, 0], [4, 0.5, 0], [2, 0, 0.5], [1, 1, 0]],
                "faces": [[0, 1, 2]]},
     "modifiers": [{"type": "Tessarin", "bones": [
       {"node": "BoneA", "falloff": 1, "strength": 0, "forced": {"3": 30}},
       {"node": "BoneB", "falloff": 2, "strength": 0.5, "exclude": [4]}]}]}
  ]
})";

inline constexpr int kHandRigVertices = 5;
inline const std::array<Point3, kHandRigVertices> kHandRigRest = {
    Point3(1.5f, 0.0f, 0.0f), Point3(2.0f, 0.0f, 0.0f), Point3(4.0f, 0.5f, 0.0f), Point3(2.0f, 0.0f, 0.5f),
    Point3(1.0f, 1.0f, 0.0f)};
// The weight of bone B per vertex; bone A has 1 − that.
inline constexpr std::array<float, kHandRigVertices> kHandRigWeightB = {0.428800f, 0.705941f, 0.994440f, 0.7f, 0.0f};

}  // namespace cli_test
