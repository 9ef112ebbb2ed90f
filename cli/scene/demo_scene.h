#pragma once
// The built-in demo: a limb-like tube of 20,608 vertices along x, skinned with dual-quaternion
// blending to a chain of three animated link bones (legacy bone joints Shoulder → Elbow → Wrist
// → Tip), as a scene description. The last link carries secondary motion: it lags and wobbles.

#include <nlohmann/json.hpp>

// The description for `frames` frames (0 .. frames − 1); the animation is spread over them.
nlohmann::json DemoScene(int frames);
