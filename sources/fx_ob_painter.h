#pragma once
// The painter of an influence source: drives the host's shared mesh painter over the skins that
// use the source, turns brush dabs into changes of the source's influence tables, shows a table
// as grey vertex colours on its skin, and makes every stroke one undo step.

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "host/queries/scene_queries.h"
#include "host/sdk/ipainter.h"
#include "host/sdk/ref.h"
#include "sources/influence_table.h"

class Tessarin;

// The rollout's Paint check button as the painter presses and releases it; the user-interface
// shell installs setPressed, without it the button is left alone.
struct PaintButtonControl {
  void (*setPressed)(HWND dialog, int control, bool pressed) = nullptr;
};
PaintButtonControl& GetPaintButtonControl();

// Node display settings switched while painting so that the node shows its vertex colours:
// vertex-colour display on, shaded, showing vertex colours (type 0) of map channel 0.
struct NodeDisplaySettings {
  BOOL cvertMode = FALSE;
  BOOL shadeCVerts = FALSE;
  int vertexColorType = 0;
  int mapChannel = 0;
  static NodeDisplaySettings Read(INode* node);
  void Apply(INode* node) const;
  static NodeDisplaySettings Painting() { return {TRUE, TRUE, 0, 0}; }
};

class FxObPainter : public ReferenceTarget, public IPainterCanvasInterface_V5 {
public:
  struct PaintedSkin {
    INode* node = nullptr;
    Tessarin* skin = nullptr;
    NodeDisplaySettings saved;
  };

  // Creates the host's painter object and takes its painter interface (none when either fails)
  // and sets the brush limits.
  FxObPainter();
  ~FxObPainter() override;

  SClass_ID SuperClassID() override { return REF_TARGET_CLASS_ID; }
  Class_ID ClassID() override { return Class_ID(0x5be41a07, 0x1c3e6f52); }
  BaseInterface* GetInterface(Interface_ID id) override;

  // Starts painting tables on skins when the host painter is not in paint mode and stop is
  // false; otherwise stops. The button is (dialog, control).
  void TogglePainting(HWND dialog, int control, const std::vector<ModifierMatch>& skins, InfluenceTables* tables,
                      bool stop);
  void ShowOptions();
  bool Painting() const { return targetTables != nullptr; }

  // --- Canvas, called by the host painter ---
  BOOL StartStroke() override;
  BOOL PaintStroke(BOOL hit, const IPoint2& mousePos, const Point3& worldPoint, const Point3& worldNormal,
                   const Point3& localPoint, const Point3& localNormal, const Point3& bary, int index, BOOL shift,
                   BOOL ctrl, BOOL alt, float radius, float str, float pressure, INode* node, BOOL mirrorOn,
                   const Point3& worldMirrorPoint, const Point3& worldMirrorNormal, const Point3& localMirrorPoint,
                   const Point3& localMirrorNormal) override;
  BOOL EndStroke(int ct, BOOL* hit, IPoint2* mousePos, Point3* worldPoint, Point3* worldNormal, Point3* localPoint,
                 Point3* localNormal, Point3* bary, int* index, BOOL* shift, BOOL* ctrl, BOOL* alt, float* radius,
                 float* str, float* pressure, INode** node, BOOL mirrorOn, Point3* worldMirrorPoint,
                 Point3* worldMirrorNormal, Point3* localMirrorPoint, Point3* localMirrorNormal) override;
  BOOL EndStroke() override;
  BOOL CancelStroke() override { return TRUE; }
  BOOL SystemEndPaintSession() override;

  // True while p is a painter that has not been destroyed (undo records outlive painters).
  static bool Alive(const FxObPainter* p);

  HWND paintDialog = nullptr;
  int paintControl = 0;
  IPainterInterface_V7* painter = nullptr;
  InfluenceTables* targetTables = nullptr;
  InfluenceTables beforeTables;
  InfluenceTables afterTables;
  std::map<std::uint64_t, PaintedSkin> paintedSkins;

private:
  void StartPainting(HWND dialog, int control, const std::vector<ModifierMatch>& skins, InfluenceTables* tables);
  void StopPainting();
  // The dab of the current brush sample on node; the first table changed, or null.
  std::vector<float>* Dab(INode* node, bool shift, bool alt);
  void RecordStroke();

  ReferenceTarget* painterObject_ = nullptr;
  bool stopping_ = false;
};

// The Tessarin modifiers on node's world-space object reference, each stack from index 0
// upward, outer stacks first.
std::vector<Tessarin*> SkinsOnNode(INode* node);

// Shows table (one value per vertex) as grey colours on the first Tessarin of node and tells its
// dependents: vertex colours changed at the current time, then the geometry.
void ShowInfluenceTable(INode* node, const std::vector<float>& table);

// Applies one dab to table s: brush holds one value per vertex (same size as s), 0 where the
// brush does not reach. Plain adds the brush value, Alt subtracts it, Shift moves each brushed
// value toward the brushed values' average; results are held to [0, 1].
void ApplyDab(std::vector<float>& s, const float* brush, bool shift, bool alt);

// Hands the painter's operations to the sources' rollouts (the module's set-up and tests call
// it). Each source gets its own painter on first use; the painter goes with the source.
void InstallInfluencePainting();
// The painter of source, or null when it has none yet.
FxObPainter* PainterOfSource(ReferenceTarget* source);
