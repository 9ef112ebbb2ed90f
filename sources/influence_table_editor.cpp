#include "sources/influence_table_editor_impl.h"

#include "deformer/tessarin.h"
#include "sources/influence_source_lists.h"

bool InfluenceTableEditor::StampOf(ReferenceTarget* skin, std::uint64_t& stamp) {
  auto* tessarin = dynamic_cast<Tessarin*>(skin);
  if (!tessarin) return false;
  stamp = tessarin->instanceStamp;
  return true;
}

bool InfluenceTableEditor::SetTable(ReferenceTarget* skin, std::vector<float> values) {
  std::uint64_t stamp = 0;
  if (!StampOf(skin, stamp)) return false;
  // Not-a-number becomes 1, as the painter's clamp makes it.
  for (float& v : values) v = v < 0.0f ? 0.0f : (v < 1.0f ? v : 1.0f);
  tables_[stamp] = std::move(values);
  return true;
}

std::vector<ModifierMatch> InfluenceTableEditor::SkinsActedOn() { return SkinsUsingSource(&source_); }
