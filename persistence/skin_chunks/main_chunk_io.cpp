#include "persistence/skin_chunks/main_chunk_io.h"

#include <algorithm>

#include "deformer/tessarin.h"
#include "persistence/skin_chunks/bone_table_io.h"
#include "persistence/skin_chunks/skin_chunk_layout.h"

using namespace skinchunks;

void WriteMainChunk(ChunkWriter& w, const Tessarin& skin) {
  const SkinSettings& s = skin.settings;
  w.Put(kMainVersion);
  w.Put(s.selectedBoneColor);
  w.Put(std::int32_t{0});  // reserved
  w.Put(s.noInfluenceColor);
  for (std::uint32_t c : s.weightGradient) w.Put(c);
  w.Put(s.minRadius);
  w.Put(s.weightThreshold);
  w.Put(s.frameOptionKind1);
  w.Put(s.frameOptionKind3);
  w.Put(s.spareFloat1);
  w.Put(s.spareFloat2);
  w.Put(s.spareInt);
  WriteBoneTable(w, skin.table);
  w.Put(s.vertexSelectionCount);
  w.PutArray(s.vertexSelection, s.vertexSelectionCount, std::int32_t{0});
  w.Zeros(kMainReservedPairs * 2 * sizeof(std::int32_t));
}

namespace {

bool ReadVertexSelection(ChunkReader& r, SkinSettings& s) {
  std::int32_t n = 0;
  if (!r.Get(n)) return false;
  if (n > 0 && !r.Fits(n, sizeof(std::int32_t))) return false;
  // A negative count is kept as an empty selection.
  n = std::max(n, 0);
  s.vertexSelection.assign(static_cast<std::size_t>(n), 0);
  s.vertexSelectionCount = n;
  if (n == 0 || r.GetInto(s.vertexSelection, n)) return true;
  // Half a selection is no selection.
  s.vertexSelection.clear();
  s.vertexSelectionCount = 0;
  return false;
}

}  // namespace

bool ReadMainChunk(ChunkReader& r, Tessarin& skin, std::int32_t version) {
  if (version < kOldestMainVersion || version > kMainVersion) {
    r.Fail();
    return false;
  }
  SkinSettings& s = skin.settings;
  r.Get(s.selectedBoneColor);
  if (version >= kMainWithColors) {
    std::int32_t reserved = 0;
    r.Get(reserved);
    r.Get(s.noInfluenceColor);
    for (std::uint32_t& c : s.weightGradient) r.Get(c);
    r.Get(s.minRadius);
    if (version >= kMainWithFloatThreshold) {
      r.Get(s.weightThreshold);
    } else {
      std::int32_t percent = 0;
      if (r.Get(percent)) s.weightThreshold = static_cast<float>(percent);
    }
  }
  if (version >= kMainWithFrameOption1) r.Get(s.frameOptionKind1);
  if (version >= kMainWithFrameOption3) r.Get(s.frameOptionKind3);
  if (version >= kMainWithSpares) {
    r.Get(s.spareFloat1);
    r.Get(s.spareFloat2);
    r.Get(s.spareInt);
  }
  if (!r.Ok() || !ReadBoneTable(r, skin.table)) return false;
  if (version >= kMainWithSelection && !ReadVertexSelection(r, s)) return false;
  // Whatever follows (the reserved pairs) is left to the chunk's close.
  return r.Ok();
}
