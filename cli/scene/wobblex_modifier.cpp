// The "Wobblex" modifier of a description: a bone's secondary-motion settings, given under the
// parameters' own names. Times (delay and the periods) are in frames; the rest are the stored
// integers (percent, degrees). Parameters not given keep the values a new Wobblex has. It is a
// world-space modifier: the builder puts it on the node's world-space stack.

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "cli/scene/scene_builder.h"
#include "cli/scene/scene_classes.h"
#include "host/headless/headless_host.h"
#include "host/sdk/iparamb2.h"
#include "host/sdk/object.h"
#include "module/registry/class_ids.h"

namespace {

struct IntegerParameter {
  const char* name;
  long long min;
  long long max;
  bool time;  // given in frames, stored in ticks
};

constexpr long long kIntMax = 2147483647;

const IntegerParameter kParameters[] = {
    {"delay", 0, kIntMax, true},        {"skid", 0, 100, false},
    {"amplitude_x", 0, 100000, false},  {"period_x", 0, 1000000, true},
    {"shift_x", 0, 359, false},         {"throbbing_x", 0, 100, false},
    {"amplitude_y", 0, 100000, false},  {"period_y", 0, 1000000, true},
    {"shift_y", 0, 359, false},         {"throbbing_y", 0, 100, false},
    {"amplitude_z", 0, 100000, false},  {"period_z", 0, 1000000, true},
    {"shift_z", 0, 359, false},         {"throbbing_z", 0, 100, false},
    {"lock_x", -kIntMax - 1, kIntMax, false}, {"lock_y", -kIntMax - 1, kIntMax, false},
    {"lock_z", -kIntMax - 1, kIntMax, false},
};

class WobblexSpec : public ModifierSpec {
public:
  using ModifierSpec::ModifierSpec;

  std::vector<std::pair<std::string, int>> values;  // parameter name, stored value

  bool WorldSpace() const override { return true; }

  Modifier* Create(BuildContext& ctx) const override {
    // Plug-in objects come from their class descriptor only.
    auto* mod = static_cast<Modifier*>(TheHost().CreateInstance(WSM_CLASS_ID, WOBBLEX_CLASS_ID));
    if (!mod) ctx.Fail(Pointer(), "the Wobblex class is not available: the plug-in module is not loaded");
    IParamBlock2* block = mod->GetParamBlock(0);
    ParamBlockDesc2* desc = block ? block->GetDesc() : nullptr;
    for (const auto& [name, value] : values) {
      const std::wstring wide(name.begin(), name.end());
      const ParamDef* def = desc ? desc->GetParamDefByName(wide) : nullptr;
      // The description stands for a loaded scene: its values are the program's own, not a user's.
      if (!def || !block->SetValue(def->ID, 0, value)) {
        mod->DeleteThis();
        ctx.Fail(Pointer() + "/" + name, "the loaded Wobblex class has no integer parameter of this name");
      }
    }
    return mod;
  }
};

std::unique_ptr<ModifierSpec> ReadWobblex(const JsonView& json, const ClassReadContext& ctx) {
  json.AllowOnly({"type", "delay", "skid", "amplitude_x", "period_x", "shift_x", "throbbing_x", "amplitude_y",
                  "period_y", "shift_y", "throbbing_y", "amplitude_z", "period_z", "shift_z", "throbbing_z",
                  "lock_x", "lock_y", "lock_z"});
  auto parsed = std::make_unique<WobblexSpec>(json.Pointer());
  for (const IntegerParameter& p : kParameters) {
    if (!json.Has(p.name)) continue;
    JsonView item = json[p.name];
    long long v = 0;
    if (p.time) {
      const int ticksPerFrame = FrameToTicks(1.0, ctx.scene.frameRate);
      const double frames = item.AsNumber(0.0, double(p.max) / ticksPerFrame);
      v = FrameToTicks(frames, ctx.scene.frameRate);
    } else {
      v = item.AsInteger(p.min, p.max);
    }
    parsed->values.emplace_back(p.name, static_cast<int>(std::min(v, p.max)));
  }
  return parsed;
}

}  // namespace

void RegisterWobblexModifier(SceneClassRegistry& registry) { registry.AddModifier("Wobblex", ReadWobblex); }
