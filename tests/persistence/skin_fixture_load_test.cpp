// The kept binary fixtures of older and damaged skin data: each is what its generator writes,
// and each loads (or fails) as the stored layouts say.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>

#include "persistence/allocation_probe.h"
#include "persistence/skin_chunk_fixtures.h"
#include "persistence/skin_storage_fixture.h"
#include "support/tolerance.h"

namespace {

using namespace skinfixture;

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::map<std::string, Bytes> Generated() {
  std::map<std::string, Bytes> all;
  for (NamedFixture& f : SkinChunkFixtures()) all[f.name] = std::move(f.bytes);
  return all;
}

void ExpectFixtureBone(const BoneEntry& b) {
  EXPECT_EQ(b.color, 0x00112233u);
  EXPECT_FLOAT_EQ(b.falloff, 2.0f);
  EXPECT_FLOAT_EQ(b.falloffDistance, 3.0f);
  EXPECT_FLOAT_EQ(b.strength, 0.5f);
  EXPECT_TRUE(ExpectPoint3Near(GetOrigin(b.bindShape.frame), Point3(1, 2, 3), 0.0f));
  EXPECT_FLOAT_EQ(b.bindShape.radius[2], 4.0f);
  EXPECT_EQ(b.node, nullptr);
}

void ExpectSettingsDefaultBeyondVersion1(const SkinSettings& s) {
  const SkinSettings defaults;
  EXPECT_EQ(s.noInfluenceColor, defaults.noInfluenceColor);
  EXPECT_EQ(s.weightGradient, defaults.weightGradient);
  EXPECT_FLOAT_EQ(s.minRadius, defaults.minRadius);
  EXPECT_FLOAT_EQ(s.weightThreshold, 0.0f);
  EXPECT_EQ(s.frameOptionKind1, defaults.frameOptionKind1);
  EXPECT_EQ(s.spareInt, defaults.spareInt);
}

struct FixtureCase {
  const char* name;
  IOResult result;
  std::function<void(Tessarin&)> check;
};
void PrintTo(const FixtureCase& c, std::ostream* os) { *os << c.name; }

const FixtureCase kCases[] = {
    {"main_v1", IO_OK,
     [](Tessarin& skin) {
       EXPECT_EQ(skin.settings.loadedVersion, 1);
       EXPECT_EQ(skin.settings.selectedBoneColor, 0x0000FF00u);
       ExpectSettingsDefaultBeyondVersion1(skin.settings);
       EXPECT_TRUE(skin.settings.vertexSelection.empty());
       EXPECT_EQ(skin.settings.vertexSelectionCount, 0);
       const BoneTable& t = skin.table;
       ASSERT_EQ(t.boneCount, 1);
       const BoneEntry& b = *t.bones[0];
       ExpectFixtureBone(b);
       EXPECT_EQ(b.flags, 0x80000001u);
       EXPECT_EQ(b.kind, kBoxBone);
       EXPECT_TRUE(b.bindNodeTM.IsIdentity()) << "an entry without a version word keeps the identity";
       EXPECT_EQ(b.vertexCodes, (std::vector<std::uint8_t>{0x80, 0x00, 0xFF}));
       EXPECT_EQ(b.forcedWeights, (std::vector<float>{0, 0, 5}));
       EXPECT_EQ(t.vertexCount, 3);
       EXPECT_TRUE(ExpectPoint3Near(t.attachPositions[2], Point3(2, 4, -2), 0.0f));
       EXPECT_EQ(t.currentPositions.size(), 3u);
       EXPECT_EQ(t.blendMix, (std::vector<float>{1, 1, 1}));
       EXPECT_EQ(t.attachTime, 0);
       EXPECT_TRUE(t.attachObjectTM.IsIdentity());
       // Attached and valid: bind frames map the attachment ellipsoid onto the unit sphere.
       ASSERT_EQ(t.frameCount, 1);
       EXPECT_TRUE(ExpectPoint3Near(Transform(t.bindFrames[0], Point3(1, 4, 3)), Point3(0, 1, 0), 1e-6f));
       EXPECT_TRUE(ExpectPoint3Near(Transform(t.bindFrames[0], Point3(1, 2, 7)), Point3(0, 0, 1), 1e-6f));
       EXPECT_EQ(skin.RemapRefOnLoad(0), 0);
       EXPECT_EQ(skin.RemapRefOnLoad(1), 2);
       EXPECT_EQ(skin.RemapRefOnLoad(2), 3);
     }},
    {"main_v4_old_chunk", IO_OK,
     [](Tessarin& skin) {
       const SkinSettings& s = skin.settings;
       EXPECT_EQ(s.loadedVersion, 4);
       EXPECT_EQ(s.selectedBoneColor, 0x00FF00FFu);
       EXPECT_EQ(s.noInfluenceColor, 0x00808080u);
       EXPECT_EQ(s.weightGradient[5], 0x00060606u);
       EXPECT_FLOAT_EQ(s.minRadius, 0.01f);
       EXPECT_FLOAT_EQ(s.weightThreshold, 10.0f);
       EXPECT_EQ(s.frameOptionKind1, 0) << "absent before version 5";
       EXPECT_EQ(s.frameOptionKind3, 1);
       EXPECT_EQ(s.vertexSelection, (std::vector<std::int32_t>{static_cast<std::int32_t>(0x80000000u), 1}));
       EXPECT_EQ(s.vertexSelectionCount, 2);
       const BoneTable& t = skin.table;
       ASSERT_EQ(t.boneCount, 1);
       const BoneEntry& b = *t.bones[0];
       ExpectFixtureBone(b);
       EXPECT_EQ(b.kind, kLinkBone);
       EXPECT_EQ(b.flags, 1u);
       EXPECT_TRUE(ExpectPoint3Near(b.bindNodeTM.GetTrans(), Point3(5, 0, 0), 0.0f));
       EXPECT_EQ(b.vertexCodes, (std::vector<std::uint8_t>{0xFF, 0x00}));
       EXPECT_EQ(b.forcedWeights, (std::vector<float>{1, 0}));
       EXPECT_EQ(t.attachTime, 160);
       EXPECT_TRUE(ExpectPoint3Near(t.attachObjectTM.GetTrans(), Point3(1, 0, 0), 0.0f)) << "object transform first";
       EXPECT_TRUE(ExpectPoint3Near(t.attachNodeTM.GetTrans(), Point3(0, 2, 0), 0.0f));
       EXPECT_EQ(t.blendMix, (std::vector<float>{1, 1})) << "no blendMix before block 100002";
     }},
    {"main_v7_integer_threshold", IO_OK,
     [](Tessarin& skin) {
       const SkinSettings& s = skin.settings;
       EXPECT_FLOAT_EQ(s.weightThreshold, 25.0f);
       EXPECT_EQ(s.frameOptionKind1, 2);
       EXPECT_EQ(s.frameOptionKind3, 4);
       EXPECT_FLOAT_EQ(s.spareFloat1, 0.25f);
       EXPECT_FLOAT_EQ(s.spareFloat2, 0.75f);
       EXPECT_EQ(s.spareInt, 9);
       EXPECT_TRUE(TableIsEmptyAndDetached(skin.table));
       EXPECT_EQ(skin.table.frameCount, 0) << "nothing to rebuild";
     }},
    {"entries_v10004", IO_OK,
     [](Tessarin& skin) {
       EXPECT_FLOAT_EQ(skin.settings.weightThreshold, 12.5f);
       ASSERT_EQ(skin.table.boneCount, 2);
       for (const auto& b : skin.table.bones) {
         EXPECT_EQ(b->vertexCodes, (std::vector<std::uint8_t>{255, 254, 0x80}));
         EXPECT_EQ(b->forcedWeights, (std::vector<float>{1, 2, 0}));
         EXPECT_TRUE(ExpectPoint3Near(b->bindNodeTM.GetTrans(), Point3(5, 0, 0), 0.0f));
       }
       EXPECT_EQ(skin.table.blendMix, (std::vector<float>{0.5f, 0.25f, 1.0f}));
       // Version 10: the bone nodes stored as references 1 and 2 are references 2 and 3 now.
       EXPECT_EQ(skin.RemapRefOnLoad(1), 2);
       EXPECT_EQ(skin.RemapRefOnLoad(2), 3);
     }},
    {"entries_v10006_splines", IO_OK,
     [](Tessarin& skin) {
       EXPECT_EQ(skin.settings.loadedVersion, 11);
       EXPECT_EQ(skin.RemapRefOnLoad(1), 1);
       EXPECT_EQ(skin.RemapRefOnLoad(3), 3);
       EXPECT_EQ(skin.instanceStamp, kFixtureStamp);
       const BoneTable& t = skin.table;
       ASSERT_EQ(t.boneCount, 3);
       const BoneEntry& bound = *t.bones[0];
       EXPECT_EQ(bound.vertexCodes, (std::vector<std::uint8_t>{0xFE, 0x80}));
       EXPECT_EQ(bound.forcedWeights, (std::vector<float>{40, 0}));
       EXPECT_EQ(bound.splineCount, 2);
       EXPECT_EQ(bound.splineParam, (std::vector<float>{0.25f, 0.75f}));
       EXPECT_EQ(bound.splineCurve, (std::vector<std::int32_t>{0, 1}));
       EXPECT_TRUE(ExpectPoint3Near(bound.splineOffset[1], Point3(0, 0, 1), 0.0f));
       EXPECT_TRUE(ExpectPoint3Near(bound.splineTangent[1], Point3(0, 1, 0), 0.0f));
       const BoneEntry& unbound = *t.bones[1];
       EXPECT_EQ(unbound.splineCount, 2) << "zero-filled bindings, one per vertex";
       EXPECT_EQ(unbound.splineParam, (std::vector<float>{0, 0}));
       EXPECT_EQ(unbound.splineOffset.size(), 2u);
       const BoneEntry& box = *t.bones[2];
       EXPECT_EQ(box.kind, kBoxBone);
       EXPECT_EQ(box.color, 0x00445566u);
       EXPECT_EQ(box.splineCount, 0) << "a box bone's stored bindings are dropped";
       EXPECT_TRUE(box.splineParam.empty());
       EXPECT_EQ(box.vertexCodes, (std::vector<std::uint8_t>{0xFE, 0x80}));
       EXPECT_EQ(t.blendMix, (std::vector<float>{0.5f, 1.0f})) << "what follows the dropped bindings is intact";
       EXPECT_EQ(skin.settings.vertexSelectionCount, 2);
       EXPECT_EQ(skin.settings.vertexSetNames[0], "Arm");
       EXPECT_EQ(skin.settings.boneSetNames[30], "Legs");
       EXPECT_EQ(skin.settings.vertexSetNames[5], std::string(256, 'x')) << "a field without a zero is all text";
       EXPECT_TRUE(skin.settings.vertexSetNames[1].empty());
     }},
    {"short_spare_chunks", IO_OK,
     [](Tessarin& skin) { EXPECT_FLOAT_EQ(skin.settings.weightThreshold, 25.0f) << "the main chunk after them loads"; }},
    {"fail_spline_count_mismatch", IO_ERROR,
     [](Tessarin& skin) {
       EXPECT_TRUE(TableIsEmptyAndDetached(skin.table));
       EXPECT_EQ(skin.settings.selectedBoneColor, 0x00ABCDEFu) << "settings read before the failure stay";
     }},
    {"fail_main_version_0", IO_ERROR,
     [](Tessarin& skin) {
       EXPECT_EQ(skin.settings.loadedVersion, 0);
       EXPECT_FLOAT_EQ(skin.settings.weightThreshold, 0.0f);
     }},
    {"fail_main_version_12", IO_ERROR,
     [](Tessarin& skin) {
       EXPECT_EQ(skin.settings.loadedVersion, 12);
       EXPECT_FLOAT_EQ(skin.settings.spareFloat1, 1.0f) << "nothing past the version word is read";
     }},
    {"fail_huge_bone_count", IO_ERROR, [](Tessarin& skin) { EXPECT_TRUE(TableIsEmptyAndDetached(skin.table)); }},
    {"fail_truncated_entry", IO_ERROR, [](Tessarin& skin) { EXPECT_TRUE(TableIsEmptyAndDetached(skin.table)); }},
    {"fail_short_stamp", IO_ERROR, [](Tessarin&) {}},
    {"fail_short_names", IO_ERROR, [](Tessarin&) {}},
};

class SkinFixtureTest : public SkinStorageTest, public ::testing::WithParamInterface<FixtureCase> {};

TEST_P(SkinFixtureTest, LoadsAsItsLayoutSays) {
  const FixtureCase& c = GetParam();
  const Bytes bytes = ReadFile(std::filesystem::path(TESSARIN_SKIN_FIXTURE_DIR) / (std::string(c.name) + ".bin"));
  ASSERT_FALSE(bytes.empty()) << c.name;
  ResetLargestAllocation();
  Loaded loaded = Load(bytes);
  // No count from the data sizes an allocation beyond what the fixture could hold.
  EXPECT_LT(LargestAllocation(), 64u * 1024u);
  EXPECT_EQ(loaded.result, c.result);
  c.check(*loaded.skin);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SkinFixtureTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SkinFixtureFiles, EveryFixtureAndSeedIsWhatItsGeneratorWrites) {
  const auto generated = Generated();
  EXPECT_EQ(generated.size(), std::size(kCases)) << "every fixture has a case";
  for (const auto& [name, bytes] : generated) {
    const std::string file = name + ".bin";
    EXPECT_EQ(ReadFile(std::filesystem::path(TESSARIN_SKIN_FIXTURE_DIR) / file), bytes)
        << file << " differs from its generator; rerun make_skin_chunk_seeds";
    EXPECT_EQ(ReadFile(std::filesystem::path(TESSARIN_SKIN_SEED_DIR) / file), bytes) << "seed " << file;
  }
}

TEST_F(SkinStorageTest, OldMainChunkLoadsLikeTheCurrentOne) {
  Loaded old = Load(MainChunk(MainVersion4(), 0x2740));
  Loaded current = Load(MainChunk(MainVersion4(), 0x2750));
  ASSERT_EQ(old.result, IO_OK);
  ASSERT_EQ(current.result, IO_OK);
  old.skin->instanceStamp = current.skin->instanceStamp;
  EXPECT_EQ(Saved(*old.skin), Saved(*current.skin));
  EXPECT_EQ(old.skin->settings.loadedVersion, current.skin->settings.loadedVersion);
}

}  // namespace
