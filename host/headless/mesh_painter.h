#pragma once
// The headless application's mesh painter: one shared painting service behind any number of
// painter objects (class PAINTER_CLASS_ID). Strokes are driven by code: each sample has a world
// point, radius, strength, pressure and the Shift, Ctrl and Alt states; the brush value of a mesh
// point is strength × pressure × (1 − distance / radius) within the radius, 0 beyond, with
// strength and radius held to the brush limits. The brush meets each painted mesh where it is at
// the scene's current time.

#include <vector>

#include "host/sdk/ipainter.h"
#include "host/sdk/ref.h"

// How a stroke reaches the canvas.
enum class StrokeEnd {
  Plain,        // each sample as it comes (PaintStroke), then EndStroke without arguments
  WithSamples,  // nothing while the pen moves; EndStroke with the arrays of every sample
  Cancelled,    // each sample as it comes, then CancelStroke (the user called the stroke off)
};

struct PaintSample {
  Point3 world;
  float radius = 1.0f;
  float strength = 0.05f;
  float pressure = 1.0f;
  bool shift = false, ctrl = false, alt = false;
};

class HeadlessPainter : public IPainterInterface_V7 {
public:
  BOOL InitializeCallback(ReferenceTarget* canvas) override;
  BOOL InitializeNodes(int flags, const std::vector<INode*>& nodes) override;
  BOOL StartPaintSession() override;
  // Ends paint mode; the canvas hears SystemEndPaintSession, whoever ended it, so that a canvas
  // painting through the shared painter knows when another one stops it.
  BOOL EndPaintSession() override;
  BOOL InPaintMode() override { return painting_ ? TRUE : FALSE; }
  void BringUpOptions() override { ++optionRequests_; }
  void SetEnablePointGather(BOOL on) override { gather_ = on != FALSE; }
  float* RetrievePointGatherWeights(INode* node, int& count) override;
  void SetMinStr(float v) override { minStr_ = v; }
  void SetMaxStr(float v) override { maxStr_ = v; }
  void SetMinSize(float v) override { minSize_ = v; }
  void SetMaxSize(float v) override { maxSize_ = v; }
  void SetPressureEnable(BOOL on) override { pressure_ = on != FALSE; }
  void SetNormalScale(float v) override { normalScale_ = v; }

  // Paints one stroke: StartStroke, then the samples as `end` says. A sample hits the first
  // painted node with a mesh point within its radius. False when not in paint mode or without a
  // canvas; otherwise what the canvas answered at the end.
  bool Stroke(const std::vector<PaintSample>& samples, StrokeEnd end = StrokeEnd::Plain);
  // The user leaves paint mode from the host side (as EndPaintSession).
  void SystemEnd();

  ReferenceTarget* Canvas() const { return canvas_; }
  // How many samples of the last stroke hit a painted mesh.
  int LastStrokeHits() const { return lastStrokeHits_; }
  const std::vector<INode*>& Nodes() const { return nodes_; }
  int OptionRequests() const { return optionRequests_; }
  float MinStr() const { return minStr_; }
  float MaxStr() const { return maxStr_; }
  float MinSize() const { return minSize_; }
  float MaxSize() const { return maxSize_; }
  bool PressureEnabled() const { return pressure_; }
  float NormalScale() const { return normalScale_; }
  bool Gathering() const { return gather_; }
  // Forgets canvas, nodes and settings (a new scene).
  void Reset();

private:
  IPainterCanvasInterface_V5* CanvasInterface() const;
  // Brush values of sample on every painted node at time t, into weights_; the node hit, or null.
  INode* Gather(const PaintSample& sample, float radius, float strength, TimeValue t);

  ReferenceTarget* canvas_ = nullptr;
  std::vector<INode*> nodes_;
  std::vector<std::vector<float>> weights_;  // one array per painted node, one value per mesh point
  // While EndStroke with the sample arrays runs: each sample's weights_ (one entry per sample),
  // the node it hit, and the first sample not yet asked about.
  std::vector<std::vector<std::vector<float>>> strokeWeights_;
  std::vector<INode*> strokeNodes_;
  std::size_t replayNext_ = 0;
  bool replaying_ = false;
  int lastStrokeHits_ = 0;
  bool painting_ = false;
  bool gather_ = false;
  int optionRequests_ = 0;
  float minStr_ = 0.0f, maxStr_ = 1.0f, minSize_ = 0.0f, maxSize_ = 1e30f;
  bool pressure_ = true;
  float normalScale_ = 0.0f;
};

// The one shared painter of the application.
HeadlessPainter& ThePainter();

// The painter object the class directory creates: a reference target that answers
// PAINTERINTERFACE_V7 with the shared painter.
class PainterObject : public ReferenceTarget {
public:
  SClass_ID SuperClassID() override { return REF_TARGET_CLASS_ID; }
  Class_ID ClassID() override { return PAINTER_CLASS_ID; }
  BaseInterface* GetInterface(Interface_ID id) override;
};
