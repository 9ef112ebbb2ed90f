#pragma once
// A node of the scene: its place in the hierarchy, its (animated) transform, its object
// reference and the evaluated result of its pipeline.

#include "host/sdk/object.h"

class INode : public ReferenceTarget {
public:
  SClass_ID SuperClassID() override { return BASENODE_CLASS_ID; }
  Class_ID ClassID() override { return NODE_CLASS_ID; }

  virtual const MCHAR* GetName() = 0;
  virtual void SetName(const MCHAR* name) = 0;
  virtual ULONG GetHandle() = 0;
  virtual BOOL IsRootNode() = 0;

  virtual INode* GetParentNode() = 0;
  virtual int NumberOfChildren() = 0;
  virtual INode* GetChildNode(int i) = 0;
  // Makes child a child of this node; with keepTM its world transform is kept.
  virtual void AttachChild(INode* child, int keepTM = 1) = 0;

  // The node's own transform in world space at t; valid narrows to the interval it holds.
  virtual Matrix3 GetNodeTM(TimeValue t, Interval* valid = nullptr) = 0;
  virtual void SetNodeTM(TimeValue t, const Matrix3& tm) = 0;
  // The object-offset transform times the node transform, before world-space modifiers.
  virtual Matrix3 GetObjTMBeforeWSM(TimeValue t, Interval* valid = nullptr) = 0;
  // The transform the object still needs after world-space modifiers: identity when such
  // modifiers have brought the object into world space.
  virtual Matrix3 GetObjTMAfterWSM(TimeValue t, Interval* valid = nullptr) = 0;
  virtual Matrix3 GetObjectTM(TimeValue t, Interval* valid = nullptr) = 0;

  virtual Point3 GetObjOffsetPos() = 0;
  virtual void SetObjOffsetPos(const Point3& p) = 0;
  virtual Quat GetObjOffsetRot() = 0;
  virtual void SetObjOffsetRot(const Quat& q) = 0;
  virtual ScaleValue GetObjOffsetScale() = 0;
  virtual void SetObjOffsetScale(const ScaleValue& s) = 0;

  // The object reference without world-space derived objects (the object-space stack).
  virtual Object* GetObjectRef() = 0;
  // The outermost object reference: a world-space derived object if there is one.
  virtual Object* GetObjOrWSMRef() = 0;
  virtual void SetObjectRef(Object* obj) = 0;
  // The result of the node's whole pipeline at t, cached while valid.
  virtual const ObjectState& EvalWorldState(TimeValue t, BOOL evalHidden = TRUE) = 0;

  virtual DWORD GetWireColor() = 0;
  virtual void SetWireColor(DWORD color) = 0;

  virtual int Selected() = 0;

  // Display settings used while painting (vertex colours shown, shading, ...).
  virtual int GetVertexColorType() = 0;
  virtual void SetVertexColorType(int type) = 0;
  virtual BOOL GetCVertMode() = 0;
  virtual void SetCVertMode(BOOL on) = 0;
  virtual BOOL GetShadeCVerts() = 0;
  virtual void SetShadeCVerts(BOOL on) = 0;
  virtual int GetVertexColorMapChannel() = 0;
  virtual void SetVertexColorMapChannel(int channel) = 0;
};
