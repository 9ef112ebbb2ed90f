#include "sources/fx_ob_weights_restore.h"

#include "deformer/tessarin.h"
#include "host/queries/scene_queries.h"
#include "module/registry/class_ids.h"
#include "sources/fx_ob_painter.h"

FxObWeightsRestore::FxObWeightsRestore(FxObPainter* painter, InfluenceTables* tables, const InfluenceTables& before,
                                       const InfluenceTables& after)
    : painter_(painter), tables_(tables), before_(before), after_(after) {}

void FxObWeightsRestore::Restore(int isUndo) {
  (void)isUndo;
  Reinstate(before_);
}

void FxObWeightsRestore::Redo() { Reinstate(after_); }

void FxObWeightsRestore::Reinstate(const InfluenceTables& state) {
  // The source (and its painter with it) may be gone while the step stays on the undo stack.
  if (!tables_ || !FxObPainter::Alive(painter_)) return;
  *tables_ = state;
  const ModifierStamp stampOf = [](Modifier* m) { return static_cast<Tessarin*>(m)->instanceStamp; };
  for (const auto& [stamp, table] : *tables_) {
    if (INode* node = FindCarrierByStamp(stamp, TESSARIN_CLASS_ID, stampOf)) ShowInfluenceTable(node, table);
  }
}
