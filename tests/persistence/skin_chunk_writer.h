#pragma once
// Builds the skin modifier's scene chunks byte by byte for tests, fixtures and fuzz seeds: every
// field of a stored version in stream order, little-endian, with counts written as given and
// arrays as they hold, so that damaged data is as easy to make as sound data.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "deformer/affine_frame.h"
#include "host/sdk/matrix3.h"

namespace skinfixture {

using Bytes = std::vector<std::uint8_t>;

class LittleEndian {
public:
  LittleEndian& u8(std::uint8_t v) {
    bytes_.push_back(v);
    return *this;
  }
  LittleEndian& u16(std::uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
  LittleEndian& u32(std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) u8(static_cast<std::uint8_t>(v >> shift));
    return *this;
  }
  LittleEndian& i32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
  LittleEndian& u64(std::uint64_t v) { return u32(static_cast<std::uint32_t>(v)).u32(static_cast<std::uint32_t>(v >> 32)); }
  LittleEndian& f32(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return u32(bits);
  }
  LittleEndian& point(const Point3& p) { return f32(p.x).f32(p.y).f32(p.z); }
  LittleEndian& matrix(const Matrix3& m) {
    for (const auto& row : m.m)
      for (float v : row) f32(v);
    return u32(m.flags);
  }
  LittleEndian& shape(const BoneShape& s) {
    for (const auto& row : s.frame.m)
      for (float v : row) f32(v);
    for (float r : s.radius) f32(r);
    return *this;
  }
  LittleEndian& zeros(std::size_t n) {
    bytes_.insert(bytes_.end(), n, 0);
    return *this;
  }
  LittleEndian& raw(const Bytes& b) {
    bytes_.insert(bytes_.end(), b.begin(), b.end());
    return *this;
  }
  LittleEndian& text(const std::string& s) {
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    return *this;
  }
  const Bytes& bytes() const { return bytes_; }

private:
  Bytes bytes_;
};

// A chunk of the host's stream: u16 identifier, u32 data length, the data.
inline Bytes Chunk(std::uint16_t id, const Bytes& data) {
  LittleEndian out;
  out.u16(id).u32(static_cast<std::uint32_t>(data.size())).raw(data);
  return out.bytes();
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// One stored bone entry. version 0 writes no version word (the flags come first).
struct StoredEntry {
  std::int32_t version = 10006;
  std::uint32_t flags = 0;
  std::int32_t kind = 1;
  std::uint32_t color = 0x00FF0000;
  float falloff = 1.0f;
  float falloffDistance = 1.0f;
  float strength = 1.0f;
  BoneShape bindShape;
  Matrix3 bindNodeTM;  // from version 10001 on
  std::int32_t vertexCount = 0;
  std::vector<std::uint8_t> codes;
  std::vector<float> forcedWeights;  // from version 10005 on
  std::int32_t splineCount = 0;      // from version 10006 on
  std::vector<float> splineParam;
  std::vector<std::int32_t> splineCurve;
  std::vector<Point3> splineOffset;
  std::vector<Point3> splineTangent;
};

// One stored bone-table block. version 0 writes no version word (the bone count comes first).
struct StoredTable {
  std::int32_t version = 100002;
  std::int32_t boneCount = 0;
  std::vector<StoredEntry> bones;
  std::int32_t vertexCount = 0;
  std::vector<Point3> attachPositions;
  std::int32_t attachTime = static_cast<std::int32_t>(0x80000000u);
  Matrix3 attachObjectTM;  // from version 100001 on
  Matrix3 attachNodeTM;
  std::vector<float> blendMix;  // from version 100002 on
};

// One stored main chunk's data, version word first.
struct StoredMain {
  std::int32_t version = 11;
  std::uint32_t selectedBoneColor = 0x000000FF;
  std::int32_t reserved = 0;  // from version 2 on, with the colours, minRadius and threshold
  std::uint32_t noInfluenceColor = 0x00FFFFFF;
  std::uint32_t weightGradient[6] = {0x00FF0000, 0x00FFFF00, 0x0000FF00, 0x0000FFFF, 0x000080FF, 0x000000FF};
  float minRadius = 0.001f;
  float weightThreshold = 0.0f;  // written as an integer before version 8
  std::int32_t frameOptionKind1 = 0;  // from version 5 on
  std::int32_t frameOptionKind3 = 1;  // from version 6 on
  float spareFloat1 = 1.0f;  // from version 7 on
  float spareFloat2 = 1.0f;
  std::int32_t spareInt = 3;
  StoredTable table;
  std::int32_t selectionCount = 0;  // from version 3 on
  std::vector<std::uint32_t> selection;
  bool reservedTail = true;  // the 248 zero bytes of version 11
};

inline void Write(LittleEndian& out, const StoredEntry& e) {
  if (e.version != 0) out.i32(e.version);
  out.u32(e.flags).i32(e.kind).u32(e.color).f32(e.falloff).f32(e.falloffDistance).f32(e.strength).shape(e.bindShape);
  if (e.version >= 10001) out.matrix(e.bindNodeTM);
  out.i32(e.vertexCount);
  for (std::uint8_t c : e.codes) out.u8(c);
  if (e.version >= 10005)
    for (float w : e.forcedWeights) out.f32(w);
  if (e.version >= 10006) {
    out.i32(e.splineCount);
    for (float p : e.splineParam) out.f32(p);
    for (std::int32_t c : e.splineCurve) out.i32(c);
    for (const Point3& p : e.splineOffset) out.point(p);
    for (const Point3& p : e.splineTangent) out.point(p);
  }
}

inline void Write(LittleEndian& out, const StoredTable& t) {
  if (t.version != 0) out.i32(t.version);
  out.i32(t.boneCount);
  for (const StoredEntry& e : t.bones) Write(out, e);
  out.i32(t.vertexCount);
  for (const Point3& p : t.attachPositions) out.point(p);
  out.i32(t.attachTime);
  if (t.version >= 100001) out.matrix(t.attachObjectTM).matrix(t.attachNodeTM);
  if (t.version >= 100002)
    for (float b : t.blendMix) out.f32(b);
}

inline Bytes MainData(const StoredMain& m) {
  LittleEndian out;
  out.i32(m.version).u32(m.selectedBoneColor);
  if (m.version >= 2) {
    out.i32(m.reserved).u32(m.noInfluenceColor);
    for (std::uint32_t c : m.weightGradient) out.u32(c);
    out.f32(m.minRadius);
    if (m.version >= 8)
      out.f32(m.weightThreshold);
    else
      out.i32(static_cast<std::int32_t>(m.weightThreshold));
  }
  if (m.version >= 5) out.i32(m.frameOptionKind1);
  if (m.version >= 6) out.i32(m.frameOptionKind3);
  if (m.version >= 7) out.f32(m.spareFloat1).f32(m.spareFloat2).i32(m.spareInt);
  Write(out, m.table);
  if (m.version >= 3) {
    out.i32(m.selectionCount);
    for (std::uint32_t w : m.selection) out.u32(w);
  }
  if (m.reservedTail) out.zeros(31 * 8);
  return out.bytes();
}

inline Bytes MainChunk(const StoredMain& m, std::uint16_t id = 0x2750) { return Chunk(id, MainData(m)); }

// Chunk 0x2780: slots 0 to 30, vertex then bone name of each. An empty name is stored as a zero
// flag; any other one behind flag, in a 256-byte field (a longer text is cut, a shorter padded).
struct StoredNames {
  std::string vertex[31];
  std::string bone[31];
  std::int32_t flag = 256;
};

inline Bytes NamesChunk(const StoredNames& n, int items = 31) {
  LittleEndian out;
  auto field = [&](const std::string& name) {
    if (name.empty()) {
      out.i32(0);
      return;
    }
    out.i32(n.flag);
    for (std::size_t i = 0; i < 256; ++i) out.u8(i < name.size() ? static_cast<std::uint8_t>(name[i]) : 0);
  };
  for (int j = 0; j < items; ++j) {
    field(n.vertex[j]);
    field(n.bone[j]);
  }
  return Chunk(0x2780, out.bytes());
}

inline Bytes StampChunk(std::uint64_t stamp) {
  LittleEndian out;
  out.u64(stamp);
  return Chunk(0x2790, out.bytes());
}

inline Bytes TagChunk(const std::string& text = "Tessarin skin", std::uint64_t length = 13) {
  LittleEndian out;
  out.u64(length).text(text).u32(48500);
  return Chunk(0x2770, out.bytes());
}

// Makes an entry's counts agree with its arrays.
inline StoredEntry& Counted(StoredEntry& e) {
  e.vertexCount = static_cast<std::int32_t>(e.codes.size());
  e.splineCount = static_cast<std::int32_t>(e.splineParam.size());
  return e;
}

// Makes a table's counts agree with its arrays.
inline StoredTable& Counted(StoredTable& t) {
  t.boneCount = static_cast<std::int32_t>(t.bones.size());
  t.vertexCount = static_cast<std::int32_t>(t.attachPositions.size());
  return t;
}

}  // namespace skinfixture
