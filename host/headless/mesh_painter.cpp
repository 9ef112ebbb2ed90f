#include "host/headless/mesh_painter.h"

#include <algorithm>

#include "host/sdk/inode.h"
#include "host/sdk/interface.h"
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
  if (!painting_) return TRUE;
  painting_ = false;
  if (IPainterCanvasInterface_V5* canvas = CanvasInterface()) canvas->SystemEndPaintSession();
  return TRUE;
}

void HeadlessPainter::SystemEnd() { EndPaintSession(); }

float* HeadlessPainter::RetrievePointGatherWeights(INode* node, int& count) {
  count = 0;
  for (std::size_t i = 0; i < nodes_.size(); ++i) {
    if (nodes_[i] != node) continue;
    std::vector<float>* w = &weights_[i];
    if (replaying_) {
      // The canvas goes through the samples in order, asking once per brushed sample on its
      // node: the answer is the next such sample's values.
      for (std::size_t s = replayNext_; s < strokeNodes_.size(); ++s) {
        if (strokeNodes_[s] != node) continue;
        w = &strokeWeights_[s][i];
        replayNext_ = s + 1;
        break;
      }
    }
    count = static_cast<int>(w->size());
    return w->data();
  }
  return nullptr;
}

INode* HeadlessPainter::Gather(const PaintSample& sample, float radius, float strength, TimeValue t) {
  INode* hitNode = nullptr;
  const float pressure = pressure_ ? sample.pressure : 1.0f;
  for (std::size_t i = 0; i < nodes_.size(); ++i) {
    std::vector<float>& w = weights_[i];
    w.clear();
    INode* node = nodes_[i];
    if (!node) continue;
    Object* obj = node->EvalWorldState(t).obj;
    if (!obj) continue;
    // The evaluated points are in the space the world state leaves them in.
    const Matrix3 tm = node->GetObjTMAfterWSM(t);
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

bool HeadlessPainter::Stroke(const std::vector<PaintSample>& samples, StrokeEnd end) {
  if (!painting_) return false;  // a canvas is only asked while a session runs
  IPainterCanvasInterface_V5* canvas = CanvasInterface();
  if (!canvas) return false;
  Interface* ip = GetCOREInterface();
  const TimeValue t = ip ? ip->GetTime() : 0;
  canvas->StartStroke();
  const int ct = static_cast<int>(samples.size());
  std::vector<BOOL> hit(ct), shift(ct), ctrl(ct), alt(ct);
  std::vector<IPoint2> mouse(ct);
  std::vector<Point3> world(ct), zero(ct);
  std::vector<int> index(ct);
  std::vector<float> radius(ct), str(ct), pressure(ct);
  std::vector<INode*> node(ct);
  strokeWeights_.clear();
  lastStrokeHits_ = 0;
  for (int i = 0; i < ct; ++i) {
    const PaintSample& s = samples[i];
    radius[i] = std::clamp(s.radius, minSize_, maxSize_);
    str[i] = std::clamp(s.strength, minStr_, maxStr_);
    pressure[i] = s.pressure;
    world[i] = s.world;
    shift[i] = s.shift;
    ctrl[i] = s.ctrl;
    alt[i] = s.alt;
    node[i] = Gather(s, radius[i], str[i], t);
    hit[i] = node[i] ? TRUE : FALSE;
    lastStrokeHits_ += hit[i] ? 1 : 0;
    if (end == StrokeEnd::WithSamples) {
      strokeWeights_.push_back(weights_);
      continue;
    }
    canvas->PaintStroke(hit[i], mouse[i], world[i], zero[i], zero[i], zero[i], zero[i], index[i], shift[i], ctrl[i],
                        alt[i], radius[i], str[i], pressure[i], node[i], FALSE, zero[i], zero[i], zero[i], zero[i]);
  }
  switch (end) {
    case StrokeEnd::Plain:
      return canvas->EndStroke() != FALSE;
    case StrokeEnd::Cancelled:
      return canvas->CancelStroke() != FALSE;
    case StrokeEnd::WithSamples:
      break;
  }
  strokeNodes_ = node;
  replayNext_ = 0;
  replaying_ = true;
  const BOOL answer = canvas->EndStroke(ct, hit.data(), mouse.data(), world.data(), zero.data(), zero.data(),
                                        zero.data(), zero.data(), index.data(), shift.data(), ctrl.data(), alt.data(),
                                        radius.data(), str.data(), pressure.data(), node.data(), FALSE, zero.data(),
                                        zero.data(), zero.data(), zero.data());
  replaying_ = false;
  strokeWeights_.clear();
  strokeNodes_.clear();
  return answer != FALSE;
}

void HeadlessPainter::Reset() { *this = HeadlessPainter(); }
