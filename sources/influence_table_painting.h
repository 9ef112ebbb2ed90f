#pragma once
// What the rollouts of the influence sources need from influence painting: the "Paint" button
// toggles painting of the source's tables on the skins that use it, "Options" shows the brush
// options, and a source that goes away stops painting. The painting subsystem installs these;
// without them the buttons do nothing.

#include "host/sdk/ref.h"
#include "sources/influence_table.h"

struct InfluenceTablePainting {
  // Starts painting source's tables on the skins that use source at the current scene time, or
  // stops when painting is on; paintButton is the rollout's check button (control id in dialog).
  void (*toggle)(ReferenceTarget* source, InfluenceTables& tables, HWND dialog, int paintButton) = nullptr;
  void (*showOptions)(ReferenceTarget* source) = nullptr;
  // Called while source is destroyed: painting of its tables ends.
  void (*stop)(ReferenceTarget* source) = nullptr;
};

InfluenceTablePainting& GetInfluenceTablePainting();
