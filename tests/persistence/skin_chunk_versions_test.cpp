// Every stored version of the main chunk, the bone-table block and the bone entry: which fields
// a version holds, and that the absent ones keep the constructor's defaults.

#include <gtest/gtest.h>

#include <functional>

#include "persistence/allocation_probe.h"
#include "persistence/skin_chunk_fixtures.h"
#include "persistence/skin_storage_fixture.h"
#include "support/tolerance.h"

namespace {

using namespace skinfixture;

// A main chunk of the given version whose every field differs from its default.
StoredMain DistinctMain(std::int32_t version) {
  StoredMain m;
  m.version = version;
  m.selectedBoneColor = 0x00010203;
  m.noInfluenceColor = 0x00040506;
  m.weightGradient[0] = 0x00070809;
  m.minRadius = 0.5f;
  m.weightThreshold = 30.0f;
  m.frameOptionKind1 = 11;
  m.frameOptionKind3 = 13;
  m.spareFloat1 = 2.5f;
  m.spareFloat2 = 3.5f;
  m.spareInt = 17;
  m.selectionCount = 2;
  m.selection = {0x80000000u, 3u};
  m.reservedTail = version == 11;
  return m;
}

class MainVersionTest : public SkinStorageTest, public ::testing::WithParamInterface<int> {};

TEST_P(MainVersionTest, ReadsTheFieldsOfItsVersionAndKeepsDefaultsForTheRest) {
  const int v = GetParam();
  Loaded loaded = Load(MainChunk(DistinctMain(v)));
  ASSERT_EQ(loaded.result, IO_OK);
  const SkinSettings& s = loaded.skin->settings;
  const SkinSettings d;
  EXPECT_EQ(s.loadedVersion, v);
  EXPECT_EQ(s.selectedBoneColor, 0x00010203u);
  EXPECT_EQ(s.noInfluenceColor, v >= 2 ? 0x00040506u : d.noInfluenceColor);
  EXPECT_EQ(s.weightGradient[0], v >= 2 ? 0x00070809u : d.weightGradient[0]);
  EXPECT_FLOAT_EQ(s.minRadius, v >= 2 ? 0.5f : d.minRadius);
  EXPECT_FLOAT_EQ(s.weightThreshold, v >= 2 ? 30.0f : d.weightThreshold);
  EXPECT_EQ(s.frameOptionKind1, v >= 5 ? 11 : d.frameOptionKind1);
  EXPECT_EQ(s.frameOptionKind3, v >= 6 ? 13 : d.frameOptionKind3);
  EXPECT_FLOAT_EQ(s.spareFloat1, v >= 7 ? 2.5f : d.spareFloat1);
  EXPECT_FLOAT_EQ(s.spareFloat2, v >= 7 ? 3.5f : d.spareFloat2);
  EXPECT_EQ(s.spareInt, v >= 7 ? 17 : d.spareInt);
  EXPECT_EQ(s.vertexSelectionCount, v >= 3 ? 2 : 0);
  EXPECT_EQ(s.vertexSelection.size(), v >= 3 ? 2u : 0u);
  EXPECT_EQ(loaded.skin->RemapRefOnLoad(0), 0);
  EXPECT_EQ(loaded.skin->RemapRefOnLoad(1), v >= 11 ? 1 : 2);
}

INSTANTIATE_TEST_SUITE_P(Versions1To11, MainVersionTest, ::testing::Range(1, 12));

TEST_F(SkinStorageTest, AFractionalThresholdSurvivesOnlyFromVersion8) {
  StoredMain m = DistinctMain(8);
  m.weightThreshold = 12.75f;
  Loaded loaded = Load(MainChunk(m));
  ASSERT_EQ(loaded.result, IO_OK);
  EXPECT_FLOAT_EQ(loaded.skin->settings.weightThreshold, 12.75f);
}

// One box bone over two vertices in a block of the given version.
StoredMain WithBlock(std::int32_t blockVersion) {
  StoredMain m = DistinctMain(11);
  StoredEntry e;
  e.bindShape = FixtureShape();
  e.codes = {0x80, 0x80};
  e.forcedWeights = {0, 0};
  m.table.version = blockVersion;
  m.table.bones = {Counted(e)};
  m.table.attachPositions = {Point3(0, 0, 0), Point3(1, 1, 1)};
  m.table.attachTime = 320;
  m.table.attachObjectTM.SetTrans(Point3(7, 0, 0));
  m.table.attachNodeTM.SetTrans(Point3(0, 8, 0));
  m.table.blendMix = {0.125f, 0.25f};
  Counted(m.table);
  return m;
}

struct BlockCase {
  const char* name;
  std::int32_t version;
  bool matrices;
  bool blendMix;
};
void PrintTo(const BlockCase& c, std::ostream* os) { *os << c.name; }

class BlockVersionTest : public SkinStorageTest, public ::testing::WithParamInterface<BlockCase> {};

TEST_P(BlockVersionTest, ReadsTheFieldsOfItsVersion) {
  const BlockCase& c = GetParam();
  Loaded loaded = Load(MainChunk(WithBlock(c.version)));
  ASSERT_EQ(loaded.result, IO_OK);
  const BoneTable& t = loaded.skin->table;
  ASSERT_EQ(t.boneCount, 1);
  EXPECT_EQ(t.vertexCount, 2);
  EXPECT_EQ(t.attachTime, 320);
  EXPECT_TRUE(ExpectPoint3Near(t.attachObjectTM.GetTrans(), c.matrices ? Point3(7, 0, 0) : Point3(), 0.0f));
  EXPECT_TRUE(ExpectPoint3Near(t.attachNodeTM.GetTrans(), c.matrices ? Point3(0, 8, 0) : Point3(), 0.0f));
  EXPECT_EQ(t.blendMix, c.blendMix ? (std::vector<float>{0.125f, 0.25f}) : (std::vector<float>{1, 1}));
  EXPECT_EQ(t.frameCount, 1) << "bind frames rebuilt for an attached table";
  EXPECT_EQ(loaded.skin->settings.vertexSelectionCount, 2) << "the selection after the block is in place";
}

INSTANTIATE_TEST_SUITE_P(Blocks, BlockVersionTest,
                         ::testing::Values(BlockCase{"NoVersionWord", 0, false, false},
                                           BlockCase{"V100001", 100001, true, false},
                                           BlockCase{"V100002", 100002, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A spline bone over three vertices in an entry of the given version: codes 0x80, 0x85, 0xFE.
StoredMain WithEntry(std::int32_t entryVersion) {
  StoredMain m = DistinctMain(11);
  StoredEntry e;
  e.version = entryVersion;
  e.flags = 0x00000004;
  e.kind = 4;
  e.bindShape = FixtureShape();
  e.bindNodeTM.SetTrans(Point3(0, 0, 9));
  e.codes = {0x80, 0x85, 0xFE};
  e.forcedWeights = {0, 50, 60};
  e.splineParam = {0.1f, 0.2f, 0.3f};
  e.splineCurve = {0, 0, 1};
  e.splineOffset.assign(3, Point3(1, 0, 0));
  e.splineTangent.assign(3, Point3(0, 0, 1));
  m.table.bones = {Counted(e)};
  m.table.attachPositions.assign(3, Point3());
  m.table.blendMix.assign(3, 1.0f);
  Counted(m.table);
  return m;
}

struct EntryCase {
  const char* name;
  std::int32_t version;
  bool nodeTM;
  bool weightArray;
  bool splines;
};
void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.name; }

class EntryVersionTest : public SkinStorageTest, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(EntryVersionTest, ReadsTheFieldsOfItsVersion) {
  const EntryCase& c = GetParam();
  Loaded loaded = Load(MainChunk(WithEntry(c.version)));
  ASSERT_EQ(loaded.result, IO_OK);
  ASSERT_EQ(loaded.skin->table.boneCount, 1);
  const BoneEntry& b = *loaded.skin->table.bones[0];
  EXPECT_EQ(b.flags, 4u);
  EXPECT_EQ(b.kind, kSplineBone);
  EXPECT_TRUE(ExpectPoint3Near(b.bindNodeTM.GetTrans(), c.nodeTM ? Point3(0, 0, 9) : Point3(), 0.0f));
  if (c.weightArray) {
    EXPECT_EQ(b.vertexCodes, (std::vector<std::uint8_t>{0x80, 0x85, 0xFE}));
    EXPECT_EQ(b.forcedWeights, (std::vector<float>{0, 50, 60}));
  } else {
    // Packed: the weight is the code above 128; odd codes become 255, even ones 254.
    EXPECT_EQ(b.vertexCodes, (std::vector<std::uint8_t>{0x80, 0xFF, 0xFE}));
    EXPECT_EQ(b.forcedWeights, (std::vector<float>{0, 5, 126}));
  }
  EXPECT_EQ(b.splineCount, 3);
  EXPECT_EQ(b.splineParam, c.splines ? (std::vector<float>{0.1f, 0.2f, 0.3f}) : (std::vector<float>{0, 0, 0}));
  EXPECT_EQ(loaded.skin->settings.vertexSelectionCount, 2) << "the entry was read to its end";
}

INSTANTIATE_TEST_SUITE_P(Entries, EntryVersionTest,
                         ::testing::Values(EntryCase{"NoVersionWord", 0, false, false, false},
                                           EntryCase{"V10001", 10001, true, false, false},
                                           EntryCase{"V10002", 10002, true, false, false},
                                           EntryCase{"V10003", 10003, true, false, false},
                                           EntryCase{"V10004", 10004, true, false, false},
                                           EntryCase{"V10005", 10005, true, true, false},
                                           EntryCase{"V10006", 10006, true, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SkinStorageTest, ASplineBoneWithoutStoredBindingsKeepsZeroFilledOnes) {
  StoredMain m = WithEntry(10006);
  StoredEntry& e = m.table.bones[0];
  e.splineParam.clear();
  e.splineCurve.clear();
  e.splineOffset.clear();
  e.splineTangent.clear();
  Counted(e);
  Loaded loaded = Load(MainChunk(m));
  ASSERT_EQ(loaded.result, IO_OK);
  const BoneEntry& b = *loaded.skin->table.bones[0];
  EXPECT_EQ(b.splineCount, 3);
  EXPECT_EQ(b.splineCurve, (std::vector<std::int32_t>{0, 0, 0}));
  EXPECT_EQ(b.splineTangent.size(), 3u);
}

TEST_F(SkinStorageTest, AnUnattachedTableWithoutVerticesLoadsWithEmptyArrays) {
  StoredMain m = DistinctMain(11);
  StoredEntry e;
  m.table.bones = {Counted(e)};
  Counted(m.table);
  Loaded loaded = Load(MainChunk(m));
  ASSERT_EQ(loaded.result, IO_OK);
  const BoneTable& t = loaded.skin->table;
  EXPECT_EQ(t.boneCount, 1);
  EXPECT_EQ(t.vertexCount, 0);
  EXPECT_TRUE(t.attachPositions.empty());
  EXPECT_TRUE(t.blendMix.empty());
  EXPECT_TRUE(t.bones[0]->vertexCodes.empty());
  EXPECT_EQ(t.frameCount, 0) << "nothing rebuilt";
}

// Damage inside the main chunk: each fails the load and leaves the table empty and detached.
struct DamageCase {
  const char* name;
  std::function<Bytes()> make;
};
void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.name; }

const DamageCase kDamage[] = {
    {"NegativeEntryVertexCount",
     [] {
       StoredMain m = WithEntry(10004);
       m.table.bones[0].vertexCount = -1;
       return MainChunk(m);
     }},
    {"EntryVertexCountBeyondChunk",
     [] {
       StoredMain m = WithEntry(10006);
       m.table.bones[0].vertexCount = 0x40000000;
       return MainChunk(m);
     }},
    {"TableVertexCountBeyondChunk",
     [] {
       StoredMain m = WithBlock(100002);
       m.table.vertexCount = 0x7FFFFFFF;
       return MainChunk(m);
     }},
    {"SelectionCountBeyondChunk",
     [] {
       StoredMain m = WithBlock(100002);
       m.selectionCount = 0x20000000;
       return MainChunk(m);
     }},
    {"SplineCountBeyondChunkOnABoxBone",
     [] {
       StoredMain m = WithEntry(10006);
       m.table.bones[0].kind = 1;
       m.table.bones[0].splineCount = 0x10000000;
       return MainChunk(m);
     }},
    {"ChunkEndsInsideTheAttachmentTransforms",
     [] {
       StoredMain m = WithBlock(100001);
       m.reservedTail = false;
       Bytes data = MainData(m);  // ends with the transforms, then 12 bytes of selection
       data.resize(data.size() - 60);
       return Chunk(0x2750, data);
     }},
    {"SplineBoneWithBindingsButNoVertices",
     [] {
       StoredMain m = WithEntry(10006);
       m.table.bones[0].codes.clear();
       m.table.bones[0].forcedWeights.clear();
       m.table.bones[0].vertexCount = 0;
       return MainChunk(m);
     }},
};

class MainDamageTest : public SkinStorageTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(MainDamageTest, FailsTheLoadAndResetsTheTable) {
  ResetLargestAllocation();
  Loaded loaded = Load(GetParam().make());
  EXPECT_EQ(loaded.result, IO_ERROR);
  EXPECT_TRUE(TableIsEmptyAndDetached(loaded.skin->table));
  EXPECT_LT(LargestAllocation(), 64u * 1024u) << "no count was trusted before it was checked";
}

INSTANTIATE_TEST_SUITE_P(Damage, MainDamageTest, ::testing::ValuesIn(kDamage),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SkinStorageTest, ASecondMainChunkReplacesTheTableOfTheFirst) {
  Bytes twice = Concat({MainChunk(MainVersion11Splines()), MainChunk(MainVersion1())});
  Loaded loaded = Load(twice);
  ASSERT_EQ(loaded.result, IO_OK);
  ASSERT_EQ(loaded.skin->table.boneCount, 1);
  EXPECT_EQ(loaded.skin->table.bones[0]->kind, kBoxBone);
  EXPECT_EQ(loaded.skin->table.vertexCount, 3);
  EXPECT_EQ(loaded.skin->settings.loadedVersion, 1);
}

}  // namespace
