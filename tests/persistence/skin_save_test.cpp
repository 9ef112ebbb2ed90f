// What a skin modifier writes, byte for byte, and that what it writes loads back whole.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "persistence/skin_chunk_fixtures.h"
#include "persistence/skin_storage_fixture.h"
#include "support/tolerance.h"

namespace {

using namespace skinfixture;

std::vector<std::uint16_t> Ids(const std::vector<StoredChunk>& chunks) {
  std::vector<std::uint16_t> ids;
  for (const StoredChunk& c : chunks) ids.push_back(c.id);
  return ids;
}

// The skin's own chunks, whatever the base modifier writes before them.
std::vector<StoredChunk> OwnChunks(const std::vector<StoredChunk>& all) {
  std::vector<StoredChunk> own;
  for (const StoredChunk& c : all)
    if (c.id >= 0x2740 && c.id <= 0x2790) own.push_back(c);
  return own;
}

TEST_F(SkinStorageTest, ANewModifierWritesItsDefaults) {
  SkinPtr skin = NewSkin();
  const std::vector<StoredChunk> own = OwnChunks(TopChunks(Saved(*skin)));
  ASSERT_EQ(Ids(own), (std::vector<std::uint16_t>{0x2770, 0x2750, 0x2780, 0x2790}));

  LittleEndian tag;
  tag.u64(13).text("Tessarin skin").u32(48500);
  EXPECT_EQ(own[0].data, tag.bytes());
  // Version 11, the default settings, an empty unattached table with identity transforms, no
  // selection, the reserved zeros.
  EXPECT_EQ(own[1].data, MainData(StoredMain()));
  EXPECT_EQ(own[1].data.size(), 68u + 4 + 4 + 4 + 4 + 52 + 52 + 4 + 248);
  EXPECT_EQ(own[2].data, Bytes(248, 0)) << "31 items of two zero flags";
  LittleEndian stamp;
  stamp.u64(skin->instanceStamp);
  EXPECT_EQ(own[3].data, stamp.bytes());
}

TEST_F(SkinStorageTest, BonesWithoutVerticesWriteNoPerVertexArraysAndNoBlendShares) {
  SkinPtr skin = NewSkin();
  skin->table.ResizeBones(1);
  StoredMain expected;
  StoredEntry bone;
  bone.kind = kUnclassifiedBone;
  expected.table.bones = {Counted(bone)};
  Counted(expected.table);
  EXPECT_EQ(ChunkData(Saved(*skin), 0x2750), MainData(expected));
}

// A populated skin and the stored form it must write.
struct Populated {
  SkinPtr skin;
  StoredMain expected;
};

Populated MakePopulated() {
  Populated p{SkinPtr(new Tessarin()), StoredMain()};
  Tessarin& skin = *p.skin;
  SkinSettings& s = skin.settings;
  s.selectedBoneColor = 0x00102030;
  s.noInfluenceColor = 0x00405060;
  s.weightGradient[3] = 0x00708090;
  s.minRadius = 0.02f;
  s.weightThreshold = 33.5f;
  s.frameOptionKind1 = 5;
  s.frameOptionKind3 = 6;
  s.spareFloat1 = 0.5f;
  s.spareFloat2 = 1.5f;
  s.spareInt = 8;
  s.vertexSelection = {static_cast<std::int32_t>(0x80000002u), 0};
  s.vertexSelectionCount = 2;
  s.vertexSetNames[0] = "Hand";
  s.boneSetNames[2] = "Spine";
  skin.instanceStamp = 0xFEDCBA9876543210ull;

  BoneTable& t = skin.table;
  t.ResizeBones(2);
  t.bones[1]->kind = kSplineBone;
  t.ResizeVertexArrays(2);
  t.attachPositions = {Point3(1, 2, 3), Point3(4, 5, 6)};
  t.blendMix = {0.25f, 0.75f};
  t.attachTime = 480;
  t.attachObjectTM.SetTrans(Point3(1, 1, 1));
  t.attachNodeTM.SetTrans(Point3(2, 2, 2));
  BoneEntry& box = *t.bones[0];
  box.kind = kBoxBone;
  box.flags = 0x80000003u;
  box.color = 0x00ABCDEF;
  box.falloff = 1.5f;
  box.falloffDistance = 6.0f;
  box.strength = 0.75f;
  box.bindShape = FixtureShape();
  box.bindNodeTM.SetTrans(Point3(0, 0, 4));
  box.vertexCodes = {0xFE, 0x00};
  box.forcedWeights = {55.0f, 0.0f};
  BoneEntry& spline = *t.bones[1];
  spline.bindShape = FixtureShape();
  spline.splineParam = {0.5f, 1.0f};
  spline.splineCurve = {0, 2};
  spline.splineOffset = {Point3(0, 1, 0), Point3(1, 0, 0)};
  spline.splineTangent = {Point3(0, 0, 1), Point3(0, 1, 0)};
  t.RebuildBindFrames();

  StoredMain& m = p.expected;
  m.selectedBoneColor = s.selectedBoneColor;
  m.noInfluenceColor = s.noInfluenceColor;
  m.weightGradient[3] = 0x00708090;
  m.minRadius = s.minRadius;
  m.weightThreshold = s.weightThreshold;
  m.frameOptionKind1 = 5;
  m.frameOptionKind3 = 6;
  m.spareFloat1 = 0.5f;
  m.spareFloat2 = 1.5f;
  m.spareInt = 8;
  m.selectionCount = 2;
  m.selection = {0x80000002u, 0};
  StoredEntry e0;
  e0.flags = box.flags;
  e0.kind = kBoxBone;
  e0.color = box.color;
  e0.falloff = 1.5f;
  e0.falloffDistance = 6.0f;
  e0.strength = 0.75f;
  e0.bindShape = box.bindShape;
  e0.bindNodeTM = box.bindNodeTM;
  e0.codes = box.vertexCodes;
  e0.forcedWeights = box.forcedWeights;
  StoredEntry e1;
  e1.kind = kSplineBone;
  e1.bindShape = spline.bindShape;
  e1.codes = {0x80, 0x80};
  e1.forcedWeights = {0, 0};
  e1.splineParam = spline.splineParam;
  e1.splineCurve = spline.splineCurve;
  e1.splineOffset = spline.splineOffset;
  e1.splineTangent = spline.splineTangent;
  m.table.bones = {Counted(e0), Counted(e1)};
  m.table.attachPositions = t.attachPositions;
  m.table.attachTime = 480;
  m.table.attachObjectTM = t.attachObjectTM;
  m.table.attachNodeTM = t.attachNodeTM;
  m.table.blendMix = t.blendMix;
  Counted(m.table);
  return p;
}

TEST_F(SkinStorageTest, APopulatedModifierWritesEveryFieldInItsPlace) {
  Populated p = MakePopulated();
  const std::vector<std::uint8_t> bytes = Saved(*p.skin);
  EXPECT_EQ(ChunkData(bytes, 0x2750), MainData(p.expected));
  StoredNames names;
  names.vertex[0] = "Hand";
  names.bone[2] = "Spine";
  EXPECT_EQ(ChunkData(bytes, 0x2780), [&] {
    Bytes chunk = NamesChunk(names);
    return Bytes(chunk.begin() + 6, chunk.end());
  }());
}

TEST_F(SkinStorageTest, WhatIsSavedLoadsWholeAndSavesTheSameBytes) {
  Populated p = MakePopulated();
  const std::vector<std::uint8_t> first = Saved(*p.skin);
  Loaded loaded = Load(first);
  ASSERT_EQ(loaded.result, IO_OK);
  Tessarin& back = *loaded.skin;

  EXPECT_EQ(back.instanceStamp, 0xFEDCBA9876543210ull) << "bit for bit";
  EXPECT_EQ(back.settings.loadedVersion, 11);
  EXPECT_FLOAT_EQ(back.settings.weightThreshold, 33.5f);
  EXPECT_EQ(back.settings.vertexSelection, p.skin->settings.vertexSelection);
  EXPECT_EQ(back.settings.vertexSetNames, p.skin->settings.vertexSetNames);
  EXPECT_EQ(back.settings.boneSetNames, p.skin->settings.boneSetNames);
  const BoneTable& t = back.table;
  ASSERT_EQ(t.boneCount, 2);
  EXPECT_EQ(t.attachTime, 480);
  EXPECT_EQ(t.blendMix, p.skin->table.blendMix);
  EXPECT_EQ(t.bones[0]->vertexCodes, p.skin->table.bones[0]->vertexCodes);
  EXPECT_EQ(t.bones[0]->forcedWeights, p.skin->table.bones[0]->forcedWeights);
  EXPECT_EQ(t.bones[1]->splineCurve, p.skin->table.bones[1]->splineCurve);
  ASSERT_EQ(t.frameCount, 2);
  for (int i = 0; i < 2; ++i)
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 4; ++c) EXPECT_EQ(t.bindFrames[i].m[r][c], p.skin->table.bindFrames[i].m[r][c]);

  EXPECT_EQ(Saved(back), first);
}

TEST_F(SkinStorageTest, ASplineBoneWhoseBindingsDriftedFromItsVerticesStillSavesLoadably) {
  Populated p = MakePopulated();
  BoneEntry& spline = *p.skin->table.bones[1];
  spline.splineParam.resize(1);
  spline.splineCurve.resize(1);
  spline.splineOffset.resize(1);
  spline.splineTangent.resize(1);
  spline.splineCount = 1;
  Loaded loaded = Load(Saved(*p.skin));
  ASSERT_EQ(loaded.result, IO_OK);
  const BoneEntry& back = *loaded.skin->table.bones[1];
  EXPECT_EQ(back.splineCount, 2) << "one binding per stored vertex";
  EXPECT_EQ(back.splineParam, (std::vector<float>{0.5f, 0.0f}));
}

TEST_F(SkinStorageTest, ABoneOfAnotherKindStoresNoBindings) {
  Populated p = MakePopulated();
  BoneEntry& box = *p.skin->table.bones[0];
  box.EnsureSplineCapacity(2);
  EXPECT_EQ(ChunkData(Saved(*p.skin), 0x2750), MainData(p.expected));
}

// An ISave that fails its n-th write and counts every write asked of it after that.
class FailingSave : public ChunkSave {
public:
  explicit FailingSave(int failAt) : failAt_(failAt) {}
  IOResult Write(const void* buf, ULONG nbytes, ULONG* nwrit) override {
    ++writes_;
    if (writes_ > failAt_) ++afterFailure_;
    if (writes_ >= failAt_) return IO_ERROR;
    return ChunkSave::Write(buf, nbytes, nwrit);
  }
  int Writes() const { return writes_; }
  int WritesAfterFailure() const { return afterFailure_; }

private:
  int failAt_;
  int writes_ = 0;
  int afterFailure_ = 0;
};

TEST_F(SkinStorageTest, AFailedWriteStopsTheSaveAtOnce) {
  Populated p = MakePopulated();
  FailingSave counting(INT32_MAX);
  ASSERT_EQ(p.skin->Save(&counting), IO_OK);
  const int total = counting.Writes();
  ASSERT_GT(total, 4);
  for (int n = 1; n <= total; ++n) {
    FailingSave failing(n);
    EXPECT_EQ(p.skin->Save(&failing), IO_ERROR) << "write " << n;
    EXPECT_EQ(failing.WritesAfterFailure(), 0) << "write " << n;
    EXPECT_EQ(failing.CurChunkDepth(), 0) << "every chunk opened is closed, write " << n;
  }
}

struct NameCase {
  const char* name;
  std::string text;
  std::string stored;
};
void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

class SetNameTest : public SkinStorageTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(SetNameTest, IsStoredWithItsTerminatingZero) {
  const NameCase& c = GetParam();
  SkinPtr skin = NewSkin();
  skin->settings.boneSetNames[30] = c.text;
  const std::vector<std::uint8_t> bytes = Saved(*skin);
  Loaded loaded = Load(bytes);
  ASSERT_EQ(loaded.result, IO_OK);
  EXPECT_EQ(loaded.skin->settings.boneSetNames[30], c.stored);
  const auto names = ChunkData(bytes, 0x2780);
  ASSERT_TRUE(names);
  EXPECT_EQ(names->size(), 30u * 8 + 4 + 4 + 256);
  EXPECT_EQ(names->back(), 0) << "the field ends in a zero";
}

INSTANTIATE_TEST_SUITE_P(
    Names, SetNameTest,
    ::testing::Values(NameCase{"Short", "Fingers", "Fingers"},
                      NameCase{"Exactly255", std::string(255, 'a'), std::string(255, 'a')},
                      NameCase{"Longer", std::string(300, 'b'), std::string(255, 'b')},
                      // "é" is two bytes at 254 and 255: it is dropped whole.
                      NameCase{"CutBeforeACharacter", std::string(254, 'c') + "\xC3\xA9", std::string(254, 'c')},
                      NameCase{"ThreeByteCharacterAtTheEnd", std::string(253, 'd') + "\xE2\x82\xAC" + "x",
                               std::string(253, 'd')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SkinStorageTest, ChunksLoadInAnyOrderAndUnknownOnesAreSkipped) {
  SkinPtr skin = NewSkin();
  skin->settings.vertexSetNames[3] = "Toe";
  std::vector<StoredChunk> chunks = OwnChunks(TopChunks(Saved(*skin)));
  Bytes reordered;
  for (auto it = chunks.rbegin(); it != chunks.rend(); ++it) {
    Bytes c = Chunk(it->id, it->data);
    reordered.insert(reordered.end(), c.begin(), c.end());
    Bytes other = Chunk(0x3000, Bytes{9, 9, 9});
    reordered.insert(reordered.end(), other.begin(), other.end());
  }
  Loaded loaded = Load(reordered);
  ASSERT_EQ(loaded.result, IO_OK);
  EXPECT_EQ(loaded.skin->instanceStamp, skin->instanceStamp);
  EXPECT_EQ(loaded.skin->settings.vertexSetNames[3], "Toe");
  EXPECT_EQ(loaded.skin->settings.loadedVersion, 11);
}

TEST_F(SkinStorageTest, ADamagedChunkHeaderEndsTheLoadWithThatResult) {
  Bytes bytes = MainChunk(MainVersion7());
  bytes.push_back(0x50);  // a header cut short after the first chunk
  EXPECT_EQ(Load(bytes).result, IO_ERROR);
}

}  // namespace
