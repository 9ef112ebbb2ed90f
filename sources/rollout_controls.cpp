#include "sources/rollout_controls.h"

RolloutControls& GetRolloutControls() {
  static RolloutControls controls;
  return controls;
}
