// The painters of the influence sources, one per source, made on first use and destroyed with
// their source.

#include <map>
#include <memory>

#include "sources/fx_ob_painter.h"
#include "sources/influence_source_lists.h"
#include "sources/influence_table_painting.h"

namespace {

struct PainterDeleter {
  void operator()(FxObPainter* p) const { p->DeleteThis(); }
};

std::map<ReferenceTarget*, std::unique_ptr<FxObPainter, PainterDeleter>>& Painters() {
  static std::map<ReferenceTarget*, std::unique_ptr<FxObPainter, PainterDeleter>> painters;
  return painters;
}

FxObPainter& PainterFor(ReferenceTarget* source) {
  auto& slot = Painters()[source];
  if (!slot) slot.reset(new FxObPainter());
  return *slot;
}

void Toggle(ReferenceTarget* source, InfluenceTables& tables, HWND dialog, int paintButton) {
  FxObPainter& painter = PainterFor(source);
  painter.TogglePainting(dialog, paintButton, SkinsUsingSource(source), &tables, false);
}

void ShowOptions(ReferenceTarget* source) { PainterFor(source).ShowOptions(); }

void Stop(ReferenceTarget* source) {
  auto it = Painters().find(source);
  if (it == Painters().end()) return;
  it->second->TogglePainting(nullptr, 0, {}, nullptr, true);
  Painters().erase(it);
}

}  // namespace

FxObPainter* PainterOfSource(ReferenceTarget* source) {
  auto it = Painters().find(source);
  return it == Painters().end() ? nullptr : it->second.get();
}

void InstallInfluencePainting() {
  InfluenceTablePainting& painting = GetInfluenceTablePainting();
  painting.toggle = &Toggle;
  painting.showOptions = &ShowOptions;
  painting.stop = &Stop;
}
