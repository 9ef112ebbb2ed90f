#include "persistence/skin_chunk_fixtures.h"

namespace skinfixture {

namespace {

Matrix3 Translation(const Point3& t) {
  Matrix3 m;
  m.SetTrans(t);
  return m;
}

StoredEntry BoxEntry(std::int32_t version, std::vector<std::uint8_t> codes) {
  StoredEntry e;
  e.version = version;
  e.kind = 1;
  e.color = 0x00112233;
  e.falloff = 2.0f;
  e.falloffDistance = 3.0f;
  e.strength = 0.5f;
  e.bindShape = FixtureShape();
  e.bindNodeTM = Translation(Point3(5, 0, 0));
  e.codes = std::move(codes);
  if (version >= 10005) e.forcedWeights.assign(e.codes.size(), 0.0f);
  return Counted(e);
}

std::vector<Point3> Positions(int n) {
  std::vector<Point3> p;
  for (int i = 0; i < n; ++i) p.emplace_back(i, 2 * i, -i);
  return p;
}

// A spline fixture bone whose spline count is above 0 but not its vertex count.
Bytes SplineMismatch() {
  StoredMain m = MainVersion11Splines();
  StoredEntry& e = m.table.bones[0];
  e.splineParam.push_back(0.5f);
  e.splineCurve.push_back(0);
  e.splineOffset.emplace_back(0, 0, 0);
  e.splineTangent.emplace_back(1, 0, 0);
  e.splineCount = 3;
  m.selectedBoneColor = 0x00ABCDEF;
  return MainChunk(m);
}

// A bone count far beyond what the chunk holds, with one entry following.
Bytes HugeBoneCount() {
  StoredMain m = MainVersion10Entries10004();
  m.version = 11;
  m.table.boneCount = 0x7FFFFFFF;
  m.table.bones.resize(1);
  return MainChunk(m);
}

// A bone entry that claims 1000 vertices where the chunk ends after ten codes.
Bytes TruncatedEntry() {
  StoredMain m = MainVersion10Entries10004();
  StoredEntry& e = m.table.bones[0];
  e.version = 10006;
  e.vertexCount = 1000;
  e.codes.assign(10, 0x80);
  Bytes data = MainData(m);
  LittleEndian head;
  const std::size_t cut = 4 + 4 + 4 + 4 + 24 + 4 + 4 + 4 + 4 + 4 + 4 + 4  // settings
                          + 4 + 4                                          // block version, count
                          + 4 + 4 + 4 + 4 + 12 + 60 + 52 + 4 + 10;         // entry up to its codes
  data.resize(cut);
  return Chunk(0x2750, data);
}

Bytes MainWithVersion(std::int32_t version) {
  StoredMain m = MainVersion7();
  m.version = 11;
  Bytes data = MainData(m);
  LittleEndian word;
  word.i32(version);
  std::copy(word.bytes().begin(), word.bytes().end(), data.begin());
  return Chunk(0x2750, data);
}

Bytes ShortSpareChunks() {
  LittleEndian tag;
  tag.u64(0xFFFFFFFFFFFFull).text("Tes");
  return Concat({Chunk(0x2760, Bytes{1, 2, 3}), Chunk(0x2770, tag.bytes()), MainChunk(MainVersion7())});
}

}  // namespace

BoneShape FixtureShape() {
  BoneShape s;
  SetOrigin(s.frame, Point3(1, 2, 3));
  s.radius[0] = 1.0f;
  s.radius[1] = 2.0f;
  s.radius[2] = 4.0f;
  return s;
}

StoredMain MainVersion1() {
  StoredMain m;
  m.version = 1;
  m.selectedBoneColor = 0x0000FF00;
  m.reservedTail = false;
  StoredEntry e = BoxEntry(0, {0x80, 0x00, 0x85});
  e.flags = 0x80000001u;
  m.table.version = 0;
  m.table.bones = {e};
  m.table.attachPositions = Positions(3);
  m.table.attachTime = 0;
  Counted(m.table);
  return m;
}

StoredMain MainVersion4() {
  StoredMain m;
  m.version = 4;
  m.selectedBoneColor = 0x00FF00FF;
  m.noInfluenceColor = 0x00808080;
  for (int i = 0; i < 6; ++i) m.weightGradient[i] = 0x00010101u * static_cast<std::uint32_t>(i + 1);
  m.minRadius = 0.01f;
  m.weightThreshold = 10;
  m.reservedTail = false;
  StoredEntry e = BoxEntry(10003, {0x81, 0x00});
  e.kind = 2;
  e.flags = 1;
  m.table.version = 100001;
  m.table.bones = {e};
  m.table.attachPositions = Positions(2);
  m.table.attachTime = 160;
  m.table.attachObjectTM = Translation(Point3(1, 0, 0));
  m.table.attachNodeTM = Translation(Point3(0, 2, 0));
  Counted(m.table);
  m.selectionCount = 2;
  m.selection = {0x80000000u, 1u};
  return m;
}

StoredMain MainVersion7() {
  StoredMain m;
  m.version = 7;
  m.weightThreshold = 25;
  m.frameOptionKind1 = 2;
  m.frameOptionKind3 = 4;
  m.spareFloat1 = 0.25f;
  m.spareFloat2 = 0.75f;
  m.spareInt = 9;
  m.reservedTail = false;
  return m;
}

StoredMain MainVersion10Entries10004() {
  StoredMain m;
  m.version = 10;
  m.weightThreshold = 12.5f;
  m.reservedTail = false;
  m.table.bones = {BoxEntry(10004, {0x81, 0x82, 0x80}), BoxEntry(10004, {0x81, 0x82, 0x80})};
  m.table.attachPositions = Positions(3);
  m.table.attachTime = 0;
  m.table.blendMix = {0.5f, 0.25f, 1.0f};
  Counted(m.table);
  return m;
}

StoredMain MainVersion11Splines() {
  StoredMain m;
  StoredEntry bound = BoxEntry(10006, {0xFE, 0x80});
  bound.kind = 4;
  bound.forcedWeights = {40.0f, 0.0f};
  bound.splineParam = {0.25f, 0.75f};
  bound.splineCurve = {0, 1};
  bound.splineOffset = {Point3(0, 1, 0), Point3(0, 0, 1)};
  bound.splineTangent = {Point3(1, 0, 0), Point3(0, 1, 0)};
  StoredEntry unbound = BoxEntry(10006, {0x80, 0x80});
  unbound.kind = 4;
  StoredEntry boxWithBindings = bound;
  boxWithBindings.kind = 1;
  boxWithBindings.color = 0x00445566;
  m.table.bones = {Counted(bound), Counted(unbound), Counted(boxWithBindings)};
  m.table.attachPositions = Positions(2);
  m.table.attachTime = 0;
  m.table.blendMix = {0.5f, 1.0f};
  Counted(m.table);
  m.selectionCount = 2;
  m.selection = {0x80000001u, 2u};
  return m;
}

StoredNames FixtureNames() {
  StoredNames n;
  n.vertex[0] = "Arm";
  n.bone[30] = "Legs";
  n.vertex[5] = std::string(256, 'x');
  n.flag = 7;
  return n;
}

std::vector<NamedFixture> SkinChunkFixtures() {
  LittleEndian unknown;
  unknown.u32(0xDEADBEEF);
  return {
      {"main_v1", MainChunk(MainVersion1())},
      {"main_v4_old_chunk", MainChunk(MainVersion4(), 0x2740)},
      {"main_v7_integer_threshold", MainChunk(MainVersion7())},
      {"entries_v10004", MainChunk(MainVersion10Entries10004())},
      {"entries_v10006_splines",
       Concat({StampChunk(kFixtureStamp), Chunk(0x2760, Bytes(58, 0x11)), TagChunk(), Chunk(0x1234, unknown.bytes()),
               MainChunk(MainVersion11Splines()), NamesChunk(FixtureNames())})},
      {"short_spare_chunks", ShortSpareChunks()},
      {"fail_spline_count_mismatch", SplineMismatch()},
      {"fail_main_version_0", MainWithVersion(0)},
      {"fail_main_version_12", MainWithVersion(12)},
      {"fail_huge_bone_count", HugeBoneCount()},
      {"fail_truncated_entry", TruncatedEntry()},
      {"fail_short_stamp", Chunk(0x2790, Bytes{1, 2, 3, 4})},
      {"fail_short_names", NamesChunk(FixtureNames(), 10)},
  };
}

}  // namespace skinfixture
