#include "sources/parent_broadcast.h"

#include <algorithm>
#include <vector>

#include "deformer/message_routine.h"
#include "host/sdk/interface.h"

namespace {

class ParentCollector : public ITreeEnumProc {
public:
  int callback(INode* node) override {
    INode* parent = node->GetParentNode();
    if (parent && !parent->IsRootNode() && std::find(parents.begin(), parents.end(), parent) == parents.end())
      parents.push_back(parent);
    return TREE_CONTINUE;
  }
  std::vector<INode*> parents;  // in the order first met
};

}  // namespace

void BroadcastToParents() {
  Interface* ip = GetCOREInterface();
  if (!ip) return;
  SetMessageOwner(ip->GetMAXHWnd());
  IScene* scene = ip->GetScene();
  if (!scene) return;
  // Collected first: a notification may make the scene change under the walk.
  ParentCollector collector;
  scene->EnumTree(&collector);
  for (INode* parent : collector.parents) parent->NotifyDependents(FOREVER, PART_GEOM, REFMSG_CHANGE, NOTIFY_ALL, TRUE);
}
