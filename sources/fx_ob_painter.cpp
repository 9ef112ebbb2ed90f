#include "sources/fx_ob_painter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "deformer/tessarin.h"
#include "deformer/weight_colors.h"
#include "host/sdk/inode.h"
#include "host/sdk/interface.h"
#include "host/sdk/hold.h"
#include "module/registry/class_ids.h"
#include "sources/fx_ob_weights_restore.h"

namespace {

std::set<const FxObPainter*>& LivePainters() {
  static std::set<const FxObPainter*> live;
  return live;
}

const MCHAR* const kStrokeLabel = L"Tessarin Fluxel/Orbicle Influence Paint";

void PressButton(HWND dialog, int control, bool pressed) {
  if (auto set = GetPaintButtonControl().setPressed; set && dialog) set(dialog, control, pressed);
}

void CollectSkins(Object* obj, std::vector<Tessarin*>& skins) {
  while (obj && (obj->SuperClassID() == GEN_DERIVOB_CLASS_ID || obj->SuperClassID() == WSM_DERIVOB_CLASS_ID)) {
    auto* derived = static_cast<IDerivedObject*>(obj);
    for (int i = 0; i < derived->NumModifiers(); ++i) {
      Modifier* mod = derived->GetModifier(i);
      if (mod && mod->ClassID() == TESSARIN_CLASS_ID) skins.push_back(static_cast<Tessarin*>(mod));
    }
    obj = derived->GetObjRef();
  }
}

}  // namespace

PaintButtonControl& GetPaintButtonControl() {
  static PaintButtonControl control;
  return control;
}

NodeDisplaySettings NodeDisplaySettings::Read(INode* node) {
  return {node->GetCVertMode(), node->GetShadeCVerts(), node->GetVertexColorType(), node->GetVertexColorMapChannel()};
}

void NodeDisplaySettings::Apply(INode* node) const {
  node->SetCVertMode(cvertMode);
  node->SetShadeCVerts(shadeCVerts);
  node->SetVertexColorType(vertexColorType);
  node->SetVertexColorMapChannel(mapChannel);
}

std::vector<Tessarin*> SkinsOnNode(INode* node) {
  std::vector<Tessarin*> skins;
  if (node) CollectSkins(node->GetObjOrWSMRef(), skins);
  return skins;
}

void ShowInfluenceTable(INode* node, const std::vector<float>& table) {
  Modifier* mod = FindModifierOnNode(node, TESSARIN_CLASS_ID);
  if (!mod) return;
  auto* skin = static_cast<Tessarin*>(mod);
  // One colour per skin vertex: a table of another length leaves the rest without influence.
  const int n = std::max(skin->table.vertexCount, 0);
  std::vector<std::uint32_t> colours(n, skin->settings.noInfluenceColor);
  for (int i = 0; i < n && i < int(table.size()); ++i)
    colours[i] = GradientColor(table[i], skin->settings.mixGradient, skin->settings.noInfluenceColor);
  SetVertexColors(*skin, colours.data());
  Interface* ip = GetCOREInterface();
  const TimeValue now = ip ? ip->GetTime() : 0;
  skin->NotifyDependents(Interval(now, now), PART_VERTCOLOR, REFMSG_CHANGE);
  skin->NotifyDependents(FOREVER, PART_GEOM, REFMSG_CHANGE);
}

void ApplyDab(std::vector<float>& s, const float* brush, bool shift, bool alt) {
  const std::size_t m = s.size();
  float avg = 0.0f, spread = 0.0f;
  if (shift) {
    int c = 0;
    float lo = std::numeric_limits<float>::max(), hi = 0.0f, sum = 0.0f;
    for (std::size_t k = 0; k < m; ++k) {
      if (brush[k] == 0.0f) continue;
      ++c;
      lo = std::min(lo, s[k]);
      hi = std::max(hi, s[k]);
      sum += s[k];
    }
    avg = c > 0 ? sum / float(c) : 0.0f;
    spread = std::max(std::fabs(avg - hi), std::fabs(avg - lo));
  }
  for (std::size_t k = 0; k < m; ++k) {
    if (brush[k] == 0.0f) continue;
    float delta = brush[k];
    if (alt) delta = -delta;
    if (shift) delta = spread != 0.0f ? (avg - s[k]) * delta / spread : 0.0f;
    const float v = s[k] + delta;
    s[k] = !(v < 1.0f) ? 1.0f : (!(v > 0.0f) ? 0.0f : v);
  }
}

FxObPainter::FxObPainter() {
  LivePainters().insert(this);
  Interface* ip = GetCOREInterface();
  if (!ip) return;
  painterObject_ = static_cast<ReferenceTarget*>(ip->CreateInstance(REF_TARGET_CLASS_ID, PAINTER_CLASS_ID));
  if (!painterObject_) return;
  painter = static_cast<IPainterInterface_V7*>(painterObject_->GetInterface(PAINTERINTERFACE_V7));
  if (!painter) return;
  painter->SetMinStr(0.0f);
  painter->SetMaxStr(0.1f);
  painter->SetMinSize(0.0f);
  painter->SetMaxSize(5.0f);
  painter->SetPressureEnable(FALSE);
  painter->SetNormalScale(1.0f);
}

FxObPainter::~FxObPainter() {
  LivePainters().erase(this);
  if (painterObject_) painterObject_->DeleteThis();
}

bool FxObPainter::Alive(const FxObPainter* p) { return LivePainters().count(p) != 0; }

BaseInterface* FxObPainter::GetInterface(Interface_ID id) {
  if (id == PAINTERCANVASINTERFACE_V5) return static_cast<IPainterCanvasInterface_V5*>(this);
  return ReferenceTarget::GetInterface(id);
}

void FxObPainter::TogglePainting(HWND dialog, int control, const std::vector<ModifierMatch>& skins,
                                 InfluenceTables* tables, bool stop) {
  if (painter && !painter->InPaintMode() && !stop) StartPainting(dialog, control, skins, tables);
  else StopPainting();
}

void FxObPainter::ShowOptions() {
  if (painter) painter->BringUpOptions();
}

void FxObPainter::StartPainting(HWND dialog, int control, const std::vector<ModifierMatch>& skins,
                                InfluenceTables* tables) {
  for (const ModifierMatch& match : skins) {
    Modifier* mod = FindModifierOnNode(match.node, TESSARIN_CLASS_ID);
    // A node whose world-space reference does not lead to its skin has no stamp to key by.
    if (!mod) continue;
    auto* skin = static_cast<Tessarin*>(mod);
    if (paintedSkins.count(skin->instanceStamp)) continue;
    paintedSkins[skin->instanceStamp] = {match.node, skin, NodeDisplaySettings::Read(match.node)};
  }
  targetTables = tables;
  paintDialog = dialog;
  paintControl = control;
  std::vector<INode*> nodes;
  for (const auto& [stamp, entry] : paintedSkins) nodes.push_back(entry.node);
  painter->InitializeCallback(this);
  painter->SetEnablePointGather(TRUE);
  painter->InitializeNodes(0, nodes);
  painter->StartPaintSession();
  PressButton(paintDialog, paintControl, true);
  for (auto& [stamp, entry] : paintedSkins) {
    if (!entry.node) continue;
    NodeDisplaySettings::Painting().Apply(entry.node);
    entry.skin->settings.paintingColors = true;
    const std::vector<Tessarin*> onNode = SkinsOnNode(entry.node);
    std::vector<float>* first = nullptr;
    for (Tessarin* skin : onNode) {
      std::vector<float>& t = AccessInfluenceTable(*targetTables, skin->instanceStamp, skin->table.vertexCount);
      if (!first) first = &t;
    }
    if (first) ShowInfluenceTable(entry.node, *first);
  }
}

void FxObPainter::StopPainting() {
  // The host painter tells its canvas when a session ends, also when this painter ends it.
  if (stopping_) return;
  stopping_ = true;
  if (painter && painter->InPaintMode()) painter->EndPaintSession();
  PressButton(paintDialog, paintControl, false);
  paintDialog = nullptr;
  paintControl = 0;
  targetTables = nullptr;
  for (auto& [stamp, entry] : paintedSkins) {
    if (!entry.node) continue;
    entry.saved.Apply(entry.node);
    entry.skin->settings.paintingColors = false;
  }
  paintedSkins.clear();
  stopping_ = false;
}

std::vector<float>* FxObPainter::Dab(INode* node, bool shift, bool alt) {
  if (!painter || !targetTables) return nullptr;
  int m = 0;
  const float* brush = painter->RetrievePointGatherWeights(node, m);
  if (!brush || m <= 0) return nullptr;
  std::vector<float>* first = nullptr;
  for (Tessarin* skin : SkinsOnNode(node)) {
    std::vector<float>& s = AccessInfluenceTable(*targetTables, skin->instanceStamp, m);
    if (!first) first = &s;
    ApplyDab(s, brush, shift, alt);
  }
  return first;
}

BOOL FxObPainter::StartStroke() {
  if (!theHold.Holding()) theHold.Begin();
  beforeTables = targetTables ? *targetTables : InfluenceTables();
  return TRUE;
}

BOOL FxObPainter::PaintStroke(BOOL hit, const IPoint2&, const Point3&, const Point3&, const Point3&, const Point3&,
                              const Point3&, int, BOOL shift, BOOL, BOOL alt, float radius, float, float, INode* node,
                              BOOL, const Point3&, const Point3&, const Point3&, const Point3&) {
  if (hit && radius > 0.0f && targetTables) {
    if (std::vector<float>* table = Dab(node, shift != FALSE, alt != FALSE)) ShowInfluenceTable(node, *table);
  }
  return TRUE;
}

BOOL FxObPainter::EndStroke(int ct, BOOL* hit, IPoint2*, Point3*, Point3*, Point3*, Point3*, Point3*, int*, BOOL* shift,
                            BOOL*, BOOL* alt, float* radius, float*, float*, INode** node, BOOL, Point3*, Point3*,
                            Point3*, Point3*) {
  for (int i = 0; i < ct && targetTables; ++i) {
    if (!hit[i] || !(radius[i] > 0.0f)) continue;
    std::vector<float>* table = Dab(node[i], shift[i] != FALSE, alt[i] != FALSE);
    if (table && i == ct - 1) ShowInfluenceTable(node[i], *table);
  }
  RecordStroke();
  return TRUE;
}

BOOL FxObPainter::EndStroke() {
  RecordStroke();
  return TRUE;
}

void FxObPainter::RecordStroke() {
  afterTables = targetTables ? *targetTables : InfluenceTables();
  if (!theHold.Holding()) return;
  theHold.Put(new FxObWeightsRestore(this, targetTables, beforeTables, afterTables));
  theHold.Accept(kStrokeLabel);
}

BOOL FxObPainter::SystemEndPaintSession() {
  StopPainting();
  return TRUE;
}
