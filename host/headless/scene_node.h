#pragma once
// A node of the headless scene. Reference 0 is the node's object (a base object, an object-space
// derived object, or a world-space derived object over either).

#include <cstdint>
#include <string>
#include <vector>

#include "host/headless/transform_track.h"
#include "host/sdk/inode.h"

class HeadlessHost;

class SceneNode : public INode {
public:
  SceneNode(HeadlessHost& host, ULONG handle, std::wstring name, bool isRoot);
  ~SceneNode() override;

  void GetClassName(MSTR& s, bool localized = true) const override { (void)localized; s = L"Node"; }

  const MCHAR* GetName() override { return name_.c_str(); }
  void SetName(const MCHAR* name) override;
  ULONG GetHandle() override { return handle_; }
  BOOL IsRootNode() override { return isRoot_; }

  INode* GetParentNode() override { return parent_; }
  int NumberOfChildren() override { return static_cast<int>(children_.size()); }
  INode* GetChildNode(int i) override;
  void AttachChild(INode* child, int keepTM = 1) override;

  Matrix3 GetNodeTM(TimeValue t, Interval* valid = nullptr) override;
  void SetNodeTM(TimeValue t, const Matrix3& tm) override;
  Matrix3 GetObjTMBeforeWSM(TimeValue t, Interval* valid = nullptr) override;
  Matrix3 GetObjTMAfterWSM(TimeValue t, Interval* valid = nullptr) override;
  Matrix3 GetObjectTM(TimeValue t, Interval* valid = nullptr) override;

  Point3 GetObjOffsetPos() override { return offsetPos_; }
  void SetObjOffsetPos(const Point3& p) override;
  Quat GetObjOffsetRot() override { return offsetRot_; }
  void SetObjOffsetRot(const Quat& q) override;
  ScaleValue GetObjOffsetScale() override { return offsetScale_; }
  void SetObjOffsetScale(const ScaleValue& s) override;

  Object* GetObjectRef() override;
  Object* GetObjOrWSMRef() override { return object_; }
  void SetObjectRef(Object* obj) override;
  const ObjectState& EvalWorldState(TimeValue t, BOOL evalHidden = TRUE) override;

  DWORD GetWireColor() override { return wireColor_; }
  void SetWireColor(DWORD color) override { wireColor_ = color; }
  int Selected() override { return selected_ ? 1 : 0; }
  void SetSelected(bool on) { selected_ = on; }

  int GetVertexColorType() override { return vertexColorType_; }
  void SetVertexColorType(int type) override { vertexColorType_ = type; }
  BOOL GetCVertMode() override { return cvertMode_; }
  void SetCVertMode(BOOL on) override { cvertMode_ = on; }
  BOOL GetShadeCVerts() override { return shadeCVerts_; }
  void SetShadeCVerts(BOOL on) override { shadeCVerts_ = on; }
  int GetVertexColorMapChannel() override { return vertexColorMapChannel_; }
  void SetVertexColorMapChannel(int channel) override { vertexColorMapChannel_ = channel; }

  // The node's local transform over time (relative to its parent). Handing it out for change
  // drops every node's cached world transform.
  TransformTrack& Track();
  const TransformTrack& Track() const { return track_; }
  // Call after changing the track: caches drop and the node and its descendants' dependents
  // hear of the move.
  void TransformChanged();
  void InvalidateWorldState();
  // Removes this node from its parent's children (the scene re-parents or deletes it).
  void DetachFromParent();
  const std::vector<SceneNode*>& Children() const { return children_; }

  int NumRefs() override { return 1; }
  RefTargetHandle GetReference(int i) override { return i == 0 ? object_ : nullptr; }

  // Name, handle, selection, display settings, transform track and object offset; the parent
  // is the scene file's business (scene_node_storage.cpp).
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;

protected:
  void SetReference(int i, RefTargetHandle rtarg) override;
  RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                             RefMessage message, BOOL propagate) override;

private:
  Matrix3 OffsetTM() const;
  // True when the node's world-space stack carries its points into world space.
  bool PlacedInWorld();
  // The world transform cached for time t, when there is one that serves t.
  bool CachedNodeTM(TimeValue t, Matrix3& tm, Interval& valid) const;

  HeadlessHost& host_;
  ULONG handle_;
  std::wstring name_;
  bool isRoot_;
  SceneNode* parent_ = nullptr;
  std::vector<SceneNode*> children_;
  TransformTrack track_;
  Point3 offsetPos_;
  Quat offsetRot_;
  ScaleValue offsetScale_;
  Object* object_ = nullptr;
  DWORD wireColor_ = 0x00FF0000;
  bool selected_ = false;
  int vertexColorType_ = 0;
  BOOL cvertMode_ = FALSE;
  BOOL shadeCVerts_ = FALSE;
  int vertexColorMapChannel_ = 0;

  // The node transform of the last time asked, over the interval it holds for; it serves while
  // no node's transform, track or parent has changed since (a scene-wide count of changes).
  Matrix3 nodeTM_;
  Interval nodeTMValid_ = NEVER;
  std::uint64_t nodeTMChanges_ = 0;

  ObjectState worldState_;
  Matrix3 worldStateTM_;
  Interval worldValid_ = NEVER;
  unsigned worldGeneration_ = 0;  // of the derived object the cached state came from
};
