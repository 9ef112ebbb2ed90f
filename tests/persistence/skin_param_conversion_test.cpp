// Old skin scenes keep their switches in an old-style block of one of four layouts: loading
// registers the conversion that replaces it by a current block with the values by parameter id.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>

#include "host/headless/legacy_param_block.h"
#include "host/headless/scene_file.h"
#include "module/registry/class_descs.h"
#include "module/registry/tessarin_parameters.h"
#include "persistence/skin_scene_fixtures.h"
#include "persistence/skin_storage_fixture.h"

namespace {

struct LegacyCase {
  const char* name;
  DWORD version;
  int entries;
};
void PrintTo(const LegacyCase& c, std::ostream* os) { *os << c.name; }

class SkinParamConversionTest : public SkinStorageTest, public ::testing::WithParamInterface<LegacyCase> {};

int Switch(IParamBlock2* block, ParamID id) {
  int v = -1;
  Interval valid = FOREVER;
  EXPECT_TRUE(block->GetValue(id, 0, v, valid)) << "parameter " << id;
  return v;
}

TEST_P(SkinParamConversionTest, CopiesEveryOldEntryToItsParameter) {
  const LegacyCase& c = GetParam();
  // The old switches hold the opposite of each parameter's default, so a copied value shows.
  ParamBlockDescID layout[5] = {{TYPE_INT, nullptr, FALSE, 0},
                                {TYPE_INT, nullptr, FALSE, 1},
                                {TYPE_INT, nullptr, FALSE, 2},
                                {TYPE_INT, nullptr, FALSE, 3},
                                {TYPE_INT, nullptr, FALSE, 4}};
  const int oldValues[5] = {1, 1, 0, 1, 1};
  auto* old = new LegacyParamBlock(layout, c.entries, c.version);
  for (int i = 0; i < c.entries; ++i) ASSERT_TRUE(old->SetValue(i, 0, oldValues[i]));

  SkinPtr skin = NewSkin();
  skin->ReplaceReference(kTessarinParamsRef, old);
  ChunkLoad load(std::span<const std::uint8_t>{});
  ASSERT_EQ(skin->Load(&load), IO_OK);
  ASSERT_EQ(load.PendingCallbacks(), 1u);
  load.RunPostLoadCallbacks();

  IParamBlock2* block = skin->pblock;
  ASSERT_NE(block, nullptr);
  ASSERT_NE(static_cast<ReferenceTarget*>(block), static_cast<ReferenceTarget*>(old));
  EXPECT_EQ(block->SuperClassID(), PARAMETER_BLOCK2_CLASS_ID);
  EXPECT_EQ(block->GetDesc(), &tessarinParameters);
  const int defaults[5] = {0, 0, 1, 0, 0};
  for (int id = 0; id < 5; ++id)
    EXPECT_EQ(Switch(block, id), id < c.entries ? oldValues[id] : defaults[id]) << "parameter " << id;
  EXPECT_EQ(Switch(block, use_dual_quaternion), 0);
  EXPECT_EQ(Switch(block, use_linked), 1);
  EXPECT_TRUE(load.Warnings().empty());
}

INSTANTIATE_TEST_SUITE_P(Layouts, SkinParamConversionTest,
                         ::testing::Values(LegacyCase{"Version3", 3, 2}, LegacyCase{"Version4", 4, 3},
                                           LegacyCase{"Version5", 5, 4}, LegacyCase{"Version6", 6, 5}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SkinStorageTest, ACurrentBlockIsLeftAsItIs) {
  SkinPtr skin = NewSkin();
  IParamBlock2* before = skin->pblock;
  ChunkLoad load(std::span<const std::uint8_t>{});
  ASSERT_EQ(skin->Load(&load), IO_OK);
  load.RunPostLoadCallbacks();
  EXPECT_EQ(skin->pblock, before);
}

}  // namespace

// The kept scenes of each old layout, loaded whole: the block converted once every reference is
// in place, the bone nodes moved up past the container.
namespace {

class LegacySceneTest : public SkinStorageTest, public ::testing::WithParamInterface<LegacyCase> {
protected:
  void SetUp() override {
    SkinStorageTest::SetUp();
    GetTessarinDesc()->SetFactory([]() -> void* { return static_cast<Modifier*>(new (std::nothrow) Tessarin()); });
    host().RegisterClass(GetTessarinDesc());
  }
};

TEST_P(LegacySceneTest, LoadsWithItsBlockConvertedAndItsBonesInPlace) {
  const LegacyCase& c = GetParam();
  const std::filesystem::path path =
      std::filesystem::path(TESSARIN_SKIN_FIXTURE_DIR) / ("legacy_block_v" + std::to_string(c.version) + ".tsscene");
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_FALSE(bytes.empty()) << path;
  std::string error;
  SceneLoadReport report;
  ASSERT_TRUE(LoadSceneFromBytes(bytes, &error, &report)) << error;
  EXPECT_TRUE(report.warnings.empty());

  INode* arm = host().GetINodeByName(L"Arm");
  ASSERT_NE(arm, nullptr);
  auto* skin = dynamic_cast<Tessarin*>(static_cast<IDerivedObject*>(arm->GetObjectRef())->GetModifier(0));
  ASSERT_NE(skin, nullptr);
  EXPECT_EQ(skin->settings.loadedVersion, 10);
  EXPECT_EQ(skin->instanceStamp, skinfixture::kFixtureStamp);
  ASSERT_EQ(skin->NumRefs(), 4);
  EXPECT_EQ(skin->GetReference(2), host().GetINodeByName(L"Upper"));
  EXPECT_EQ(skin->GetReference(3), host().GetINodeByName(L"Lower"));
  EXPECT_NE(skin->GetReference(1), nullptr) << "the constructor's container stays";
  ASSERT_NE(skin->pblock, nullptr);
  EXPECT_EQ(skin->pblock->SuperClassID(), PARAMETER_BLOCK2_CLASS_ID);
  EXPECT_EQ(skin->pblock->GetDesc(), &tessarinParameters);
  const int defaults[5] = {0, 0, 1, 0, 0};
  for (int id = 0; id < 5; ++id)
    EXPECT_EQ(Switch(skin->pblock, id), id < c.entries ? skinfixture::kLegacySwitches[id] : defaults[id])
        << "parameter " << id;
}

INSTANTIATE_TEST_SUITE_P(Layouts, LegacySceneTest,
                         ::testing::Values(LegacyCase{"Version3", 3, 2}, LegacyCase{"Version4", 4, 3},
                                           LegacyCase{"Version5", 5, 4}, LegacyCase{"Version6", 6, 5}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LegacySceneTest, KeptScenesAreWhatTheirGeneratorWrites) {
  for (const skinfixture::NamedFixture& f : skinfixture::LegacyBlockScenes()) {
    std::ifstream in(std::filesystem::path(TESSARIN_SKIN_FIXTURE_DIR) / (f.name + ".tsscene"), std::ios::binary);
    const std::vector<std::uint8_t> kept{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(kept, f.bytes) << f.name << " differs from its generator; rerun make_skin_chunk_seeds";
  }
}

}  // namespace
