#include "host/headless/scene_node.h"

#include <algorithm>
#include <atomic>

#include "host/headless/derived_object.h"
#include "host/headless/headless_host.h"

namespace {

// Counts the changes that move node transforms: a new track, a changed track or a new parent.
// A cached node transform serves only while the count is what it was when it was computed, so
// one change anywhere drops every cache at once, without a walk over the descendants.
std::atomic<std::uint64_t> g_transformChanges{1};

void TransformsMoved() { g_transformChanges.fetch_add(1, std::memory_order_relaxed); }

}  // namespace

SceneNode::SceneNode(HeadlessHost& host, ULONG handle, std::wstring name, bool isRoot)
    : host_(host), handle_(handle), name_(std::move(name)), isRoot_(isRoot) {
  // The scene owns its nodes; losing every dependent does not delete one.
  SetAutoDelete(false);
}

SceneNode::~SceneNode() {
  worldState_ = ObjectState();
  DeleteAllRefs();
}

void SceneNode::SetName(const MCHAR* name) {
  name_ = name ? name : L"";
  NotifyDependents(FOREVER, 0, REFMSG_NODE_NAMECHANGE);
}

INode* SceneNode::GetChildNode(int i) {
  return i >= 0 && i < NumberOfChildren() ? children_[i] : nullptr;
}

TransformTrack& SceneNode::Track() {
  TransformsMoved();
  return track_;
}

void SceneNode::DetachFromParent() {
  if (!parent_) return;
  auto& siblings = parent_->children_;
  // From the back: a scene is taken down last child first, which keeps that linear.
  auto it = std::find(siblings.rbegin(), siblings.rend(), this);
  if (it != siblings.rend()) siblings.erase(std::next(it).base());
  parent_ = nullptr;
  TransformsMoved();
}

void SceneNode::AttachChild(INode* child, int keepTM) {
  auto* node = static_cast<SceneNode*>(child);
  if (!node || node == this || node->isRoot_) return;
  // A node cannot become a child of its own descendant; a node without children has none, so
  // building a chain does not walk up it for every new link.
  if (!node->children_.empty())
    for (SceneNode* p = this; p; p = p->parent_)
      if (p == node) return;
  TimeValue t = host_.GetTime();
  Matrix3 world;
  if (keepTM) world = node->GetNodeTM(t);
  node->DetachFromParent();
  node->parent_ = this;
  children_.push_back(node);
  if (keepTM) node->track_.SetLocal(t, world * Inverse(GetNodeTM(t)), false);
  node->TransformChanged();
}

bool SceneNode::CachedNodeTM(TimeValue t, Matrix3& tm, Interval& valid) const {
  if (nodeTMChanges_ != g_transformChanges.load(std::memory_order_relaxed) || !nodeTMValid_.InInterval(t))
    return false;
  tm = nodeTM_;
  valid = nodeTMValid_;
  return true;
}

Matrix3 SceneNode::GetNodeTM(TimeValue t, Interval* valid) {
  if (isRoot_) return Matrix3();
  Matrix3 tm;
  Interval tmValid;
  if (!CachedNodeTM(t, tm, tmValid)) {
    // Up to the nearest ancestor whose transform is cached (or the root), then down again, each
    // node keeping its result: no recursion however deep the tree, and every node's transform
    // is computed once per time. The products are those of a walk from the root: local × parent.
    std::vector<SceneNode*> chain;
    bool haveAbove = false;
    for (SceneNode* n = this; n && !n->isRoot_; n = n->parent_) {
      if (n != this && n->CachedNodeTM(t, tm, tmValid)) {
        haveAbove = true;
        break;
      }
      chain.push_back(n);
    }
    const std::uint64_t changes = g_transformChanges.load(std::memory_order_relaxed);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      SceneNode* n = *it;
      Interval nValid = FOREVER;
      Matrix3 local = n->track_.LocalAt(t, &nValid);
      if (haveAbove) {
        local = local * tm;
        nValid &= tmValid;
      }
      local.ValidateFlags();
      n->nodeTM_ = local;
      n->nodeTMValid_ = nValid;
      n->nodeTMChanges_ = changes;
      tm = local;
      tmValid = nValid;
      haveAbove = true;
    }
  }
  if (valid) *valid &= tmValid;
  return tm;
}

void SceneNode::SetNodeTM(TimeValue t, const Matrix3& tm) {
  if (isRoot_) return;
  Matrix3 local = tm;
  if (parent_ && !parent_->isRoot_) local = tm * Inverse(parent_->GetNodeTM(t));
  track_.SetLocal(t, local, false);
  TransformChanged();
}

Matrix3 SceneNode::OffsetTM() const {
  Matrix3 m = ScaleMatrix(offsetScale_.s);
  // The offset scale acts along the axes of its own rotation.
  Matrix3 axes;
  offsetScale_.q.MakeMatrix(axes);
  m = Inverse(axes) * m * axes;
  Matrix3 r;
  offsetRot_.MakeMatrix(r);
  m = m * r;
  m.Translate(offsetPos_);
  m.ValidateFlags();
  return m;
}

Matrix3 SceneNode::GetObjTMBeforeWSM(TimeValue t, Interval* valid) {
  Matrix3 m = OffsetTM() * GetNodeTM(t, valid);
  m.ValidateFlags();
  return m;
}

bool SceneNode::PlacedInWorld() {
  return object_ && object_->SuperClassID() == WSM_DERIVOB_CLASS_ID && static_cast<DerivedObject*>(object_)->PlacesInWorld();
}

// After world-space modifiers that work in world space, the points need no further transform.
Matrix3 SceneNode::GetObjTMAfterWSM(TimeValue t, Interval* valid) {
  if (PlacedInWorld()) return Matrix3(true);
  return GetObjTMBeforeWSM(t, valid);
}

Matrix3 SceneNode::GetObjectTM(TimeValue t, Interval* valid) { return GetObjTMAfterWSM(t, valid); }

void SceneNode::SetObjOffsetPos(const Point3& p) {
  offsetPos_ = p;
  TransformChanged();
}

void SceneNode::SetObjOffsetRot(const Quat& q) {
  offsetRot_ = q;
  TransformChanged();
}

void SceneNode::SetObjOffsetScale(const ScaleValue& s) {
  offsetScale_ = s;
  TransformChanged();
}

Object* SceneNode::GetObjectRef() {
  Object* obj = object_;
  while (obj && obj->SuperClassID() == WSM_DERIVOB_CLASS_ID) obj = static_cast<IDerivedObject*>(obj)->GetObjRef();
  return obj;
}

void SceneNode::SetObjectRef(Object* obj) {
  ReplaceReference(0, obj);
  InvalidateWorldState();
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

void SceneNode::SetReference(int i, RefTargetHandle rtarg) {
  if (i == 0) {
    object_ = static_cast<Object*>(rtarg);
    InvalidateWorldState();
  }
}

const ObjectState& SceneNode::EvalWorldState(TimeValue t, BOOL evalHidden) {
  (void)evalHidden;
  SClass_ID sc = object_ ? object_->SuperClassID() : 0;
  auto* derived = (sc == GEN_DERIVOB_CLASS_ID || sc == WSM_DERIVOB_CLASS_ID) ? static_cast<DerivedObject*>(object_)
                                                                              : nullptr;
  // A hit only reads, so that evaluations from worker threads after a first one are safe.
  if (worldState_.obj && worldValid_.InInterval(t) && (!derived || derived->Generation() == worldGeneration_))
    return worldState_;
  worldState_ = ObjectState();
  worldValid_ = NEVER;
  if (!object_) return worldState_;
  ObjectState os = derived ? derived->EvalForNode(t, this) : object_->Eval(t);
  if (derived) worldGeneration_ = derived->Generation();
  Interval tmValid = FOREVER;
  worldStateTM_ = GetObjectTM(t, &tmValid);
  os.tm = worldStateTM_.IsIdentity() ? nullptr : &worldStateTM_;
  os.tmValid = tmValid;
  worldState_ = os;
  worldValid_ = os.Validity(t);
  if (!worldValid_.InInterval(t)) worldValid_ = Interval(t, t);
  return worldState_;
}

void SceneNode::InvalidateWorldState() {
  worldState_ = ObjectState();
  worldValid_ = NEVER;
}

void SceneNode::TransformChanged() {
  TransformsMoved();
  // The node and its descendants, parents first and children in order, without recursion.
  std::vector<SceneNode*> todo{this};
  while (!todo.empty()) {
    SceneNode* n = todo.back();
    todo.pop_back();
    n->InvalidateWorldState();
    // A stack that placed its points in world space placed them by the old transform.
    if (n->PlacedInWorld()) static_cast<DerivedObject*>(n->object_)->InvalidateCache();
    n->NotifyDependents(FOREVER, PART_TM, REFMSG_CHANGE);
    todo.insert(todo.end(), n->children_.rbegin(), n->children_.rend());
  }
}

RefResult SceneNode::NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                                      RefMessage message, BOOL propagate) {
  (void)changeInt;
  (void)partID;
  (void)propagate;
  if (hTarget == object_ && (message == REFMSG_CHANGE || message == REFMSG_TARGET_DELETED)) InvalidateWorldState();
  return REF_SUCCEED;
}
