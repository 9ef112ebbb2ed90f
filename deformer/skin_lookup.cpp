#include "deformer/skin_lookup.h"

#include "deformer/tessarin.h"
#include "host/queries/scene_queries.h"
#include "module/registry/class_ids.h"

INode* FindSkinCarrier(std::uint64_t stamp) {
  return FindCarrierByStamp(stamp, TESSARIN_CLASS_ID,
                            [](Modifier* m) { return static_cast<Tessarin*>(m)->instanceStamp; });
}
