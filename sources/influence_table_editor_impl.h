#pragma once
// The internal table-editing interface over one source's tables (the Orbicle and the Fluxel
// carry one each).

#include "sources/influence_table.h"
#include "sources/influence_table_editor.h"

class InfluenceTableEditor : public IInfluenceTableEditor {
public:
  InfluenceTableEditor(ReferenceTarget& source, InfluenceTables& tables) : source_(source), tables_(tables) {}
  const std::map<std::uint64_t, std::vector<float>>& Tables() override { return tables_; }
  bool StampOf(ReferenceTarget* skin, std::uint64_t& stamp) override;
  bool SetTable(ReferenceTarget* skin, std::vector<float> values) override;
  std::vector<ModifierMatch> SkinsActedOn() override;

private:
  ReferenceTarget& source_;
  InfluenceTables& tables_;
};
