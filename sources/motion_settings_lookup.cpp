#include "sources/motion_settings_lookup.h"

#include <algorithm>

#include "deformer/skin_services.h"
#include "host/queries/scene_queries.h"
#include "module/registry/class_ids.h"
#include "module/registry/wobblex_parameters.h"

namespace {

using namespace wobblex_param;

// An integer parameter at t; 0 when it cannot be read.
int Read(IParamBlock2* block, ParamID id, TimeValue t) {
  int v = 0;
  Interval valid = FOREVER;
  return block->GetValue(id, t, v, valid) ? v : 0;
}

// Values below 1 clamp to 0.
int Clamped(IParamBlock2* block, ParamID id, TimeValue t, int high) { return std::clamp(Read(block, id, t), 0, high); }

}  // namespace

bool FindMotionSettings(INode* bone, TimeValue t, MotionSettings* settings) {
  if (!bone || !settings) return false;
  Modifier* mod = FindModifierOnNode(bone, WOBBLEX_CLASS_ID);
  // A subclass does not do: only the class itself carries these parameters.
  if (!mod || mod->ClassID() != WOBBLEX_CLASS_ID) return false;
  if (mod->NumParamBlocks() != 1) return false;
  IParamBlock2* block = mod->GetParamBlock(0);
  if (!block) return false;

  if (settings->wantInertia) {
    settings->delay = Read(block, delay, t);
    settings->skid = Clamped(block, skid, t, 100);
  }
  if (settings->wantOscillation) {
    for (int a = 0; a < 3; ++a) {
      MotionSettings::Axis& axis = settings->axis[a];
      axis.amplitude = Clamped(block, kAmplitude[a], t, 100000);
      axis.period = Read(block, kPeriod[a], t);
      axis.shift = Read(block, kShift[a], t);
      axis.throbbing = Clamped(block, kThrobbing[a], t, 100);
    }
  }
  return true;
}

void InstallMotionSettingsLookup() { GetSkinServices().findMotionSettings = &FindMotionSettings; }
