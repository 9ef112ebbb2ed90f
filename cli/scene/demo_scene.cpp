#include "cli/scene/demo_scene.h"

#include <algorithm>

using nlohmann::json;

namespace {

// Rotation keys about z at the quarter points of the animation: angles in degrees.
json BendKeys(int frames, std::initializer_list<double> angles) {
  json keys = json::array();
  const int last = std::max(frames - 1, 1);
  int i = 0;
  const int count = static_cast<int>(angles.size());
  for (double a : angles) {
    keys.push_back({{"frame", double(last) * i / (count - 1)},
                    {"rotation", {{"axis", {0, 0, 1}}, {"angle", a}}}});
    ++i;
  }
  return keys;
}

}  // namespace

json DemoScene(int frames) {
  frames = std::max(frames, 1);
  json joint = {{"type", "legacyBone"}};
  json nodes = json::array();
  nodes.push_back({{"name", "Limb"},
                   {"object",
                    {{"type", "tube"},
                     {"radius", 2.0},
                     {"innerRadius", 1.6},
                     {"height", 30.0},
                     {"sides", 64},
                     {"segments", 160},
                     {"axis", "x"}}},
                   {"modifiers",
                    json::array({{{"type", "Tessarin"},
                                  {"switches",
                                   {{"use_dual_quaternion", true}, {"use_inertia", true}, {"use_oscillation", true}}},
                                  {"bones", json::array({{{"node", "Elbow"}, {"falloff", 0.6}},
                                                         {{"node", "Wrist"}, {"falloff", 0.6}},
                                                         {{"node", "Tip"}, {"falloff", 0.6}}})}}})}});
  // Each link bone spans a joint and its parent: Shoulder–Elbow, Elbow–Wrist, Wrist–Tip.
  nodes.push_back({{"name", "Shoulder"}, {"object", joint}, {"keys", BendKeys(frames, {0, 25, 0, -25, 0})}});
  nodes.push_back({{"name", "Elbow"},
                   {"parent", "Shoulder"},
                   {"position", {10, 0, 0}},
                   {"object", joint},
                   {"keys", BendKeys(frames, {0, 45, 70, 25, 0})}});
  nodes.push_back({{"name", "Wrist"},
                   {"parent", "Elbow"},
                   {"position", {10, 0, 0}},
                   {"object", joint},
                   {"keys", BendKeys(frames, {0, 35, -30, 35, 0})}});
  // The last link trails the wrist's swing and wobbles up and down while it settles.
  nodes.push_back({{"name", "Tip"},
                   {"parent", "Wrist"},
                   {"position", {10, 0, 0}},
                   {"object", joint},
                   {"modifiers",
                    json::array({{{"type", "Wobblex"},
                                  {"delay", 3},
                                  {"skid", 50},
                                  {"amplitude_z", 6},
                                  {"period_z", 12},
                                  {"throbbing_z", 30}}})}});
  return {{"format", "tessarin-scene"},
          {"version", 1},
          {"frameRate", 30},
          {"time", 0},
          {"frames", {0, frames - 1}},
          {"nodes", nodes}};
}
