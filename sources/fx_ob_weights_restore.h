#pragma once
// One painting stroke as an undo step: the whole table map of the painted source before and
// after the stroke.

#include "host/sdk/hold.h"
#include "sources/influence_table.h"

class FxObPainter;

class FxObWeightsRestore : public RestoreObj {
public:
  // tables: the painted source's map (the painter's targetTables when the record is made);
  // before and after are copied.
  FxObWeightsRestore(FxObPainter* painter, InfluenceTables* tables, const InfluenceTables& before,
                     const InfluenceTables& after);
  void Restore(int isUndo) override;
  void Redo() override;
  int Size() override { return 40; }
  void EndHold() override {}
  MSTR Description() override { return L"Fluxel/Orbicle influence change"; }

private:
  // Puts state back as the source's whole map and shows every table on its skin's node.
  void Reinstate(const InfluenceTables& state);

  FxObPainter* painter_;
  InfluenceTables* tables_;
  InfluenceTables before_;
  InfluenceTables after_;
};
