#include "host/headless/mesh_painter.h"

#include <algorithm>

#include "host/sdk/inode.h"
#include "host/sdk/object.h"
#include "host/sdk/subobject.h"

HeadlessPainter& ThePainter() {
  static HeadlessPainter painter;
  return painter;
}

BaseInterface* PainterObject::GetInterface(Interface_ID id) {
  if (id == PAINTERINTERFACE_V7) return &ThePainter();
  return ReferenceTarget::GetInterface(id);
}

IPainterCanvasInterface_V5* HeadlessPainter::CanvasInterface() const {
  if (!canvas_) return nullptr;
  return static_cast<IPainterCanvasInterface_V5*>(canvas_->GetInterface(PAINTERCANVASINTERFACE_V5));
}

BOOL HeadlessPainter::InitializeCallback(ReferenceTarget* canvas) {
  canvas_ = canvas && canvas->GetInterface(PAINTERCANVASINTERFACE_V5) ? canvas : nullptr;
  return canvas_ ? TRUE : FALSE;
}

BOOL HeadlessPainter::InitializeNodes(int flags, const std::vector<INode*>& nodes) {
  (void)flags;
  nodes_ = nodes;
  weights_.assign(nodes_.size(), {});
  return TRUE;
}

BOOL HeadlessPainter::StartPaintSession() {
  painting_ = true;
  return TRUE;
}

BOOL HeadlessPainter::EndPaintSession() {
  painting_ = false;
  return TRUE;
}

void HeadlessPainter::SystemEnd() {
  if (!painting_) return;
  painting_ = false;
  if (IPainterCanvasInterface_V5* canvas = CanvasInterface()) canvas->SystemEndPaintSession();
}

float* HeadlessPainter::RetrievePointGatherWeights(INode* node, int& count) {
  count = 0;
  for (std::size_t i = 0; i < nodes_.size(); ++i) {
    if (nodes_[i] != node) continue;
    count = static_cast<int>(weights_[i].size());
    return weights_[i].data();
  }
  return nullptr;
}

INode* HeadlessPainter::Gather(const PaintSample& sample, float radius, float strength) {
  INode* hitNode = nullptr;
  const float pressure = pressure_ ? sample.pressure : 1.0f;
  for (std::size_t i = 0; i < nodes_.size(); ++i) {
    std::vector<float>& w = weights_[i];
    w.clear();
    INode* node = nodes_[i];
    if (!node) continue;
    Object* obj = node->EvalWorldState(0).obj;
    if (!obj) continue;
    const Matrix3 tm = node->GetObjectTM(0);
    const int m = obj->NumPoints();
    w.assign(m, 0.0f);
    for (int k = 0; k < m; ++k) {
      const float d = Length(obj->GetPoint(k) * tm - sample.world);
      if (radius <= 0.0f || d >= radius) continue;
      w[k] = strength * pressure * (1.0f - d / radius);
      if (!hitNode) hitNode = node;
    }
  }
  return hitNode;
}

bool HeadlessPainter::Stroke(const std::vector<PaintSample>& samples) {
  IPainterCanvasInterface_V5* canvas = CanvasInterface();
  if (!painting_ || !canvas) return false;
  canvas->StartStroke();
  const int ct = static_cast<int>(samples.size());
  std::vector<BOOL> hit(ct), shift(ct), ctrl(ct), alt(ct);
  std::vector<IPoint2> mouse(ct);
  std::vector<Point3> world(ct), zero(ct);
  std::vector<int> index(ct);
  std::vector<float> radius(ct), str(ct), pressure(ct);
  std::vector<INode*> node(ct);
  for (int i = 0; i < ct; ++i) {
    const PaintSample& s = samples[i];
    radius[i] = std::clamp(s.radius, minSize_, maxSize_);
    str[i] = std::clamp(s.strength, minStr_, maxStr_);
    pressure[i] = s.pressure;
    world[i] = s.world;
    shift[i] = s.shift;
    ctrl[i] = s.ctrl;
    alt[i] = s.alt;
    {
      node[i] = Gather(s, radius[i], str[i]);
      hit[i] = node[i] ? TRUE : FALSE;
      canvas->PaintStroke(hit[i], mouse[i], world[i], {}, {}, {}, {}, 0, shift[i], ctrl[i], alt[i], radius[i], str[i],
                          pressure[i], node[i], FALSE, {}, {}, {}, {});
    }
  }
  return canvas->EndStroke() != FALSE;
}

void HeadlessPainter::Reset() { *this = HeadlessPainter(); }
