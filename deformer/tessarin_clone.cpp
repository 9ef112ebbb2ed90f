#include "deformer/tessarin_clone.h"

#include "deformer/attachment.h"
#include "deformer/tessarin.h"
#include "host/queries/scene_queries.h"
#include "host/sdk/iparamb2.h"
#include "module/registry/tessarin_parameters.h"

namespace {

// Among the nodes that depend on the modifier: the first whose base object is geometry, else the
// last node met.
class CarrierCandidates : public DependentEnumProc {
public:
  int proc(ReferenceMaker* rmaker) override {
    if (rmaker->SuperClassID() != BASENODE_CLASS_ID) return DEP_ENUM_CONTINUE;
    auto* node = static_cast<INode*>(rmaker);
    Object* obj = node->GetObjectRef();
    Object* base = obj ? obj->FindBaseObject() : nullptr;
    if (!geometry && base && base->SuperClassID() == GEOMOBJECT_CLASS_ID) geometry = node;
    last = node;
    return DEP_ENUM_SKIP;
  }
  INode* Choice() const { return geometry ? geometry : last; }

private:
  INode* geometry = nullptr;
  INode* last = nullptr;
};

// The modifier's own data beyond its references: settings, selection, and the table's
// attachment state (a re-attachment follows and redoes what depends on the mesh).
void CopyState(const Tessarin& from, Tessarin& to) {
  to.settings = from.settings;
  to.settings.paintingColors = 0;
  const BoneTable& a = from.table;
  BoneTable& b = to.table;
  b.attachTime = a.attachTime;
  b.frameCount = a.frameCount;
  b.currentFrames = a.currentFrames;
  b.bindFrames = a.bindFrames;
  b.attachNodeTM = a.attachNodeTM;
  b.attachObjectTM = a.attachObjectTM;
  b.vertexCount = a.vertexCount;
  b.currentPositions = a.currentPositions;
  b.attachPositions = a.attachPositions;
  b.blendMix = a.blendMix;
}

}  // namespace

int TSClonePostPatchCallback::Proc(RemapDir& remap) {
  (void)remap;
  if (INode* node = FindCarrierNode(clone_)) ReattachSkin(*clone_, node);
  return TRUE;
}

ReferenceTarget* Tessarin::Clone(RemapDir& remap) {
  auto* clone = new Tessarin();
  if (pblock) {
    auto* block = static_cast<IParamBlock2*>(remap.CloneRef(pblock));
    clone->ReplaceReference(kTessarinParamsRef, block);
    if (block) block->SetOwner(clone);
  }
  BaseClone(this, clone, remap);
  CopyState(*this, *clone);

  clone->table.ResizeBones(table.boneCount);
  for (int i = 0; i < table.boneCount; ++i) {
    const BoneEntry& bone = *table.bones[i];
    *clone->table.bones[i] = bone.CopyData();
    INode* node = bone.node;
    if (node)
      if (auto* mapped = static_cast<INode*>(remap.FindMapping(node))) node = mapped;
    clone->SetBoneNode(i, node);
  }

  CarrierCandidates candidates;
  DoEnumDependents(&candidates);
  INode* future = candidates.Choice() ? static_cast<INode*>(remap.FindMapping(candidates.Choice())) : nullptr;
  // A node known this early may not carry the clone's stack yet; if attaching there fails, the
  // post-patch callback tries again once the clone is in the scene.
  if (!future || !ReattachSkin(*clone, future)) remap.AddPostPatchProc(new TSClonePostPatchCallback(clone), true);
  return clone;
}
