#pragma once
// The host's shared mesh painter and the canvas interface through which it calls the object
// that is painting. Plug-ins create the painter object (PAINTER_CLASS_ID) and ask it for
// PAINTERINTERFACE_V7; the canvas answers PAINTERCANVASINTERFACE_V5.

#include <vector>

#include "host/sdk/animatable.h"
#include "host/sdk/point3.h"

class INode;
class ReferenceTarget;
struct IPoint2;

inline constexpr Class_ID PAINTER_CLASS_ID{0x2f2ef7e9, 0x78ffe181};
inline constexpr Interface_ID PAINTERINTERFACE_V7{0x78ffe182, 0};
inline constexpr Interface_ID PAINTERCANVASINTERFACE_V5{0x29ff7ac9, 0};

class IPainterCanvasInterface_V5 : public BaseInterface {
public:
  Interface_ID GetID() override { return PAINTERCANVASINTERFACE_V5; }
  virtual BOOL StartStroke() = 0;
  virtual BOOL PaintStroke(BOOL hit, const IPoint2& mousePos, const Point3& worldPoint, const Point3& worldNormal,
                           const Point3& localPoint, const Point3& localNormal, const Point3& bary, int index,
                           BOOL shift, BOOL ctrl, BOOL alt, float radius, float str, float pressure, INode* node,
                           BOOL mirrorOn, const Point3& worldMirrorPoint, const Point3& worldMirrorNormal,
                           const Point3& localMirrorPoint, const Point3& localMirrorNormal) = 0;
  // The whole stroke at its end: ct samples, one array entry per sample for each argument of
  // PaintStroke.
  virtual BOOL EndStroke(int ct, BOOL* hit, IPoint2* mousePos, Point3* worldPoint, Point3* worldNormal,
                         Point3* localPoint, Point3* localNormal, Point3* bary, int* index, BOOL* shift,
                         BOOL* ctrl, BOOL* alt, float* radius, float* str, float* pressure, INode** node,
                         BOOL mirrorOn, Point3* worldMirrorPoint, Point3* worldMirrorNormal,
                         Point3* localMirrorPoint, Point3* localMirrorNormal) = 0;
  virtual BOOL EndStroke() = 0;
  virtual BOOL CancelStroke() = 0;
  virtual BOOL SystemEndPaintSession() = 0;
};

class IPainterInterface_V7 : public BaseInterface {
public:
  Interface_ID GetID() override { return PAINTERINTERFACE_V7; }
  // canvas must answer PAINTERCANVASINTERFACE_V5; false otherwise.
  virtual BOOL InitializeCallback(ReferenceTarget* canvas) = 0;
  virtual BOOL InitializeNodes(int flags, const std::vector<INode*>& nodes) = 0;
  virtual BOOL StartPaintSession() = 0;
  virtual BOOL EndPaintSession() = 0;
  virtual BOOL InPaintMode() = 0;
  virtual void BringUpOptions() = 0;
  // While on, every sample gathers one brush value per point of each painted node's mesh.
  virtual void SetEnablePointGather(BOOL on) = 0;
  // The brush values of the current sample on node: count values, one per mesh point (0 where
  // the brush does not reach); null when the node is not painted.
  virtual float* RetrievePointGatherWeights(INode* node, int& count) = 0;
  virtual void SetMinStr(float v) = 0;
  virtual void SetMaxStr(float v) = 0;
  virtual void SetMinSize(float v) = 0;
  virtual void SetMaxSize(float v) = 0;
  virtual void SetPressureEnable(BOOL on) = 0;
  virtual void SetNormalScale(float v) = 0;
};
