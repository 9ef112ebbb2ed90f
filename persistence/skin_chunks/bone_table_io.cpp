#include <cstdint>

#include "persistence/skin_chunks/bone_table_io.h"
#include "persistence/skin_chunks/skin_chunk_layout.h"

using namespace skinchunks;

void WriteBoneTable(ChunkWriter& w, const BoneTable& t) {
  w.Put(kTableVersion);
  w.Put(static_cast<std::int32_t>(t.bones.size()));
  for (const auto& bone : t.bones) WriteBoneEntry(w, *bone);
  w.Put(t.vertexCount);
  w.PutArray(t.attachPositions, t.vertexCount, Point3());
  w.Put(static_cast<std::int32_t>(t.attachTime));
  // A table never attached holds the identities it was constructed with.
  w.PutMatrix(t.attachObjectTM);
  w.PutMatrix(t.attachNodeTM);
  w.PutArray(t.blendMix, t.vertexCount, 1.0f);
}

bool ReadBoneTable(ChunkReader& r, BoneTable& t) {
  // Each block holds a whole table: a second main chunk replaces what a first one left.
  t = BoneTable();
  std::int32_t first = 0;
  if (!r.Get(first)) return false;
  // Without a version word the block starts with its bone count.
  std::int32_t version = 0;
  std::int32_t boneCount = first;
  if (first >= kTableWithMatrices) {
    version = first;
    if (!r.Get(boneCount)) return false;
  }
  if (boneCount > 0) {
    if (!r.Fits(boneCount, kMinEntryBytes)) return false;
    t.ResizeBones(boneCount);
    if (t.bones.empty()) {
      r.Fail();
      return false;
    }
    for (auto& bone : t.bones)
      if (!ReadBoneEntry(r, *bone)) return false;
  }

  std::int32_t m = 0;
  if (!r.Get(m)) return false;
  if (m > 0) {
    if (!r.Fits(m, sizeof(Point3))) return false;
    t.attachPositions.resize(m);
    t.currentPositions.resize(m);
    t.blendMix.assign(m, 1.0f);
    t.vertexCount = m;
    if (!r.GetInto(t.attachPositions, m)) return false;
  }
  std::int32_t attachTime = 0;
  if (!r.Get(attachTime)) return false;
  t.attachTime = attachTime;
  if (version >= kTableWithMatrices) {
    r.GetMatrix(t.attachObjectTM);
    r.GetMatrix(t.attachNodeTM);
  }
  if (version >= kTableWithBlendMix && m > 0) r.GetInto(t.blendMix, m);
  if (!r.Ok()) return false;

  if (t.IsValidFor(0, 0)) t.RebuildBindFrames();
  return true;
}
