#include "sources/influence_table_functions.h"

#include <cmath>
#include <exception>

#include "deformer/tessarin.h"

namespace {

// The skin modifier behind tessarin when vertex is one of its vertex numbers, else null.
Tessarin* SkinFor(ReferenceTarget* tessarin, int vertex) {
  auto* skin = dynamic_cast<Tessarin*>(tessarin);
  if (!skin || vertex < 1 || vertex > skin->table.vertexCount) return nullptr;
  return skin;
}

}  // namespace

float GetInfluence(InfluenceTables& tables, ReferenceTarget* tessarin, int vertex) {
  try {
    Tessarin* skin = SkinFor(tessarin, vertex);
    if (!skin) return -1.0f;
    return AccessInfluenceTable(tables, skin->instanceStamp, skin->table.vertexCount)[vertex - 1];
  } catch (const std::exception&) {
    return -1.0f;
  }
}

BOOL SetInfluence(InfluenceTables& tables, ReferenceTarget* tessarin, int vertex, float value) {
  // A NaN would pass any clamp and move the skin's vertices to NaN in the push-out.
  if (std::isnan(value)) return FALSE;
  try {
    Tessarin* skin = SkinFor(tessarin, vertex);
    if (!skin) return FALSE;
    float& slot = AccessInfluenceTable(tables, skin->instanceStamp, skin->table.vertexCount)[vertex - 1];
    slot = value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
    return TRUE;
  } catch (const std::exception&) {
    return FALSE;
  }
}
