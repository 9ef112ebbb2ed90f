#include <cstdint>

#include "persistence/skin_chunks/bone_table_io.h"
#include "persistence/skin_chunks/skin_chunk_layout.h"

using namespace skinchunks;

void WriteBoneEntry(ChunkWriter& w, const BoneEntry& e) {
  w.Put(kEntryVersion);
  w.Put(e.flags);
  w.Put(e.kind);
  w.Put(e.color);
  w.Put(e.falloff);
  w.Put(e.falloffDistance);
  w.Put(e.strength);
  w.PutShape(e.bindShape);
  w.PutMatrix(e.bindNodeTM);
  // The codes decide the stored length: forced weights are written to match them.
  const auto k = static_cast<std::int32_t>(e.vertexCodes.size());
  w.Put(k);
  w.PutArray(e.vertexCodes, k, kCodeDefault);
  w.PutArray(e.forcedWeights, k, 0.0f);
  // Only spline bones have bindings, one per stored vertex: a reader takes bindings of any
  // other count as damage, so a table whose counts drifted apart keeps the bindings of the
  // stored vertices (missing ones zero) rather than becoming unloadable.
  const std::int32_t s = e.kind == kSplineBone && e.splineCount > 0 ? k : 0;
  w.Put(s);
  w.PutArray(e.splineParam, s, 0.0f);
  w.PutArray(e.splineCurve, s, std::int32_t{0});
  w.PutArray(e.splineOffset, s, Point3());
  w.PutArray(e.splineTangent, s, Point3());
}

namespace {

// Entries written before forced weights had an array of their own kept them in the code byte:
// a code above 128 is an included vertex whose forced weight is the code minus 128.
void UnpackForcedWeights(BoneEntry& e, std::int32_t k) {
  for (std::int32_t i = 0; i < k; ++i) {
    const std::uint8_t c = e.vertexCodes[i];
    if (c <= kCodeDefault) continue;
    e.vertexCodes[i] = static_cast<std::uint8_t>(c | 0x7E);
    e.forcedWeights[i] = static_cast<float>(c - kCodeDefault);
  }
}

bool ReadSplineBindings(ChunkReader& r, BoneEntry& e) {
  std::int32_t s = 0;
  if (!r.Get(s)) return false;
  if (s <= 0) return true;
  if (!r.Fits(s, kSplineVertexBytes)) return false;
  if (e.kind != kSplineBone) {
    // Nothing of another kind receives bindings: they are passed over and dropped.
    return r.Skip(static_cast<std::uint64_t>(s) * kSplineVertexBytes);
  }
  const auto n = static_cast<std::size_t>(s);
  if (e.splineParam.size() != n || e.splineCurve.size() != n || e.splineOffset.size() != n ||
      e.splineTangent.size() != n) {
    r.Fail();
    return false;
  }
  return r.GetInto(e.splineParam, s) && r.GetInto(e.splineCurve, s) && r.GetInto(e.splineOffset, s) &&
         r.GetInto(e.splineTangent, s);
}

}  // namespace

bool ReadBoneEntry(ChunkReader& r, BoneEntry& e) {
  std::int32_t first = 0;
  if (!r.Get(first)) return false;
  // Without a version word the entry starts with its flags (a selected bone's flags are negative).
  std::int32_t version = 0;
  if (first < kEntryWithNodeTM) {
    e.flags = static_cast<std::uint32_t>(first);
  } else {
    version = first;
    r.Get(e.flags);
  }
  r.Get(e.kind);
  r.Get(e.color);
  r.Get(e.falloff);
  r.Get(e.falloffDistance);
  r.Get(e.strength);
  r.GetShape(e.bindShape);
  if (version >= kEntryWithNodeTM) r.GetMatrix(e.bindNodeTM);

  std::int32_t k = 0;
  if (!r.Get(k)) return false;
  const bool weightArray = version >= kEntryWithWeightArray;
  if (k < 0) {
    r.Fail();
    return false;
  }
  if (k > 0) {
    if (!r.Fits(k, weightArray ? 1 + 4 : 1)) return false;
    e.ResizeVertexArrays(k);
    if (e.vertexCodes.size() != static_cast<std::size_t>(k)) {
      r.Fail();
      return false;
    }
    if (!r.GetInto(e.vertexCodes, k)) return false;
  }
  if (weightArray) {
    if (e.forcedWeights.size() != static_cast<std::size_t>(k)) {
      r.Fail();
      return false;
    }
    if (!r.GetInto(e.forcedWeights, k)) return false;
  } else {
    UnpackForcedWeights(e, k);
  }
  if (version >= kEntryWithSplines) return ReadSplineBindings(r, e);
  return r.Ok();
}
