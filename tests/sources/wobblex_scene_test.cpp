// Wobblex modifiers through whole scene files: a current block comes back as it was saved, and a
// block of an older layout is converted once the scene is loaded.

#include <new>

#include "host/headless/builtin_objects.h"
#include "host/headless/legacy_param_block.h"
#include "host/headless/scene_file.h"
#include "host/queries/scene_queries.h"
#include "module/registry/class_descs.h"
#include "module/registry/class_ids.h"
#include "sources/wobblex_fixture.h"

namespace {

using namespace wobblex_param;

class WobblexScene : public WobblexTest {
protected:
  void SetUp() override {
    WobblexTest::SetUp();
    GetWobblexDesc()->SetFactory([]() -> void* { return static_cast<Modifier*>(new (std::nothrow) Wobblex()); });
    host().RegisterClass(GetWobblexDesc());
  }

  // Saves the scene (with the given stored references instead of current ones) and loads it.
  void SaveAndLoad(const SceneSaveOptions* options = nullptr) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(SaveSceneToBytes(bytes, &error, options)) << error;
    SceneLoadReport report;
    ASSERT_TRUE(LoadSceneFromBytes(bytes, &error, &report)) << error;
    EXPECT_TRUE(report.warnings.empty());
  }

  Wobblex* LoadedWobblex() {
    auto* w = dynamic_cast<Wobblex*>(FindModifierOnNode(host().GetINodeByName(L"bone"), WOBBLEX_CLASS_ID));
    EXPECT_NE(w, nullptr);
    return w;
  }
};

TEST_F(WobblexScene, CurrentBlockComesBackAsSaved) {
  auto* w = new Wobblex();
  for (int id = 0; id < kCount; ++id) Set(w, static_cast<ParamID>(id), 500 + id);
  w->pblock->SetKey(amplitude_y, 0, PB2Value::Int(1));
  w->pblock->SetKey(amplitude_y, 4800, PB2Value::Int(9));
  NodeWith(L"bone", new DummyObject(), {w});
  SaveAndLoad();
  Wobblex* loaded = LoadedWobblex();
  ASSERT_NE(loaded, nullptr);
  ASSERT_NE(loaded->pblock, nullptr);
  EXPECT_EQ(loaded->pblock->GetDesc(), &wobblexParameters);
  for (int id = 0; id < kCount; ++id)
    if (id != amplitude_y) {
      EXPECT_EQ(Get(loaded, static_cast<ParamID>(id)), 500 + id) << id;
    }
  EXPECT_EQ(Get(loaded, amplitude_y, 4800), 9);
}

struct OldLayout {
  const char* name;
  DWORD version;
  int entries;
};

class WobblexOldScene : public WobblexScene, public ::testing::WithParamInterface<OldLayout> {};

// The layouts as the older versions wrote them: integers, entry i for parameter id i.
ParamBlockDescID kOldEntries[9] = {
    {TYPE_INT, nullptr, TRUE, 0}, {TYPE_INT, nullptr, TRUE, 1}, {TYPE_INT, nullptr, TRUE, 2},
    {TYPE_INT, nullptr, TRUE, 3}, {TYPE_INT, nullptr, TRUE, 4}, {TYPE_INT, nullptr, TRUE, 5},
    {TYPE_INT, nullptr, TRUE, 6}, {TYPE_INT, nullptr, TRUE, 7}, {TYPE_INT, nullptr, TRUE, 8},
};

TEST_P(WobblexOldScene, LoadsWithTheBlockConvertedByParameterId) {
  const OldLayout& layout = GetParam();
  auto* w = new Wobblex();
  NodeWith(L"bone", new DummyObject(), {w});
  auto* old = new LegacyParamBlock(kOldEntries, layout.entries, layout.version);
  for (int i = 0; i < layout.entries; ++i) ASSERT_TRUE(old->SetValue(i, 0, 20 + i));
  SceneSaveOptions options;
  options.storedReferences[w] = {old};
  SaveAndLoad(&options);
  old->DeleteMe();

  Wobblex* loaded = LoadedWobblex();
  ASSERT_NE(loaded, nullptr);
  ASSERT_NE(loaded->pblock, nullptr);
  EXPECT_EQ(loaded->GetReference(0), loaded->pblock);
  for (int id = 0; id < kCount; ++id)
    EXPECT_EQ(Get(loaded, static_cast<ParamID>(id)), id < layout.entries ? 20 + id : 0) << id;
}

INSTANTIATE_TEST_SUITE_P(Layouts, WobblexOldScene,
                         ::testing::Values(OldLayout{"Version1", 1, 8}, OldLayout{"Version2", 2, 9}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
