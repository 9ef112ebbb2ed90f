// Scenes as older class versions wrote them: old-style parameter blocks converted after loading,
// and references numbered the old way moved by RemapRefOnLoad once the object has read its data.

#include "host/headless/legacy_param_block.h"
#include "scene_file_fixture.h"

namespace {

using scene_test::TestModifier;

// A node "Skin" carrying a TestModifier over a triangle mesh, and a bone node "B".
struct LegacyScene {
  TestModifier* mod;
  SceneNode* bone;
};

LegacyScene MakeScene() {
  SceneNode* bone = TheHost().CreateNode(L"B");
  IDerivedObject* stack = CreateDerivedObject(CreateNewTriObject());
  TestModifier* mod = scene_test::NewModifier();
  mod->tag = 5;
  mod->SetNodes({bone}, {1.0f});
  stack->AddModifier(mod);
  TheHost().CreateNode(L"Skin", stack);
  return {mod, bone};
}

TestModifier* LoadedModifier() {
  INode* skin = TheHost().GetINodeByName(L"Skin");
  auto* stack = skin ? static_cast<IDerivedObject*>(skin->GetObjectRef()) : nullptr;
  return stack ? static_cast<TestModifier*>(stack->GetModifier(0)) : nullptr;
}

}  // namespace

using SceneFileLegacy = SceneFileTest;

TEST_F(SceneFileLegacy, OldStyleBlocksBecomeCurrentBlocksByParameterId) {
  const TimeValue f = GetTicksPerFrame();
  struct Case {
    const char* name;
    int layout;      // index into kLayouts: the entries the old block has
    DWORD version;   // the version the old block says it has
    int count;       // expected after conversion
    bool amountKeyed;
    int enabledAt0;
    bool warned;
  };
  const Case cases[] = {
      // Version 1 has no "enabled": the declared default (on) stays.
      {"version 1", 0, 1, 42, true, 1, false},
      {"version 2", 1, 2, 42, true, 0, false},
      // Nothing says what the entries mean: the block holds its defaults, and the load says so.
      {"unknown version", 1, 9, 7, false, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host().ResetScene();
    LegacyScene scene = MakeScene();
    ParamVersionDesc& layout = scene_test::kLayouts[c.layout];
    IParamBlock* old = CreateParameterBlock(layout.desc, layout.count, c.version);
    ASSERT_TRUE(old);
    old->SetValue(0, 0, 42);
    old->SetKey(1, 0, PB2Value::Float(2.0f));
    old->SetKey(1, 20 * f, PB2Value::Float(4.0f));
    if (layout.count > 2) old->SetValue(2, 0, 0);
    SceneSaveOptions options;
    options.storedReferences[scene.mod] = {old, nullptr, scene.bone};
    std::vector<std::uint8_t> bytes = SaveBytes(&options);
    old->DeleteThis();

    SceneLoadReport report;
    ASSERT_TRUE(Loads(bytes, &report));
    TestModifier* mod = LoadedModifier();
    ASSERT_TRUE(mod);
    ASSERT_TRUE(mod->pblock);
    EXPECT_EQ(mod->pblock->ClassID(), paramBlock2ClassID);
    EXPECT_EQ(mod->pblock->GetOwner(), mod);
    EXPECT_EQ(mod->pblock->GetInt(scene_test::kCount), c.count);
    EXPECT_EQ(mod->pblock->GetInt(scene_test::kEnabled, 0), c.enabledAt0);
    if (c.amountKeyed) {
      ASSERT_EQ(mod->pblock->NumKeys(scene_test::kAmount), 2);
      EXPECT_EQ(mod->pblock->GetFloat(scene_test::kAmount, 10 * f), 3.0f);
    } else {
      EXPECT_EQ(mod->pblock->NumKeys(scene_test::kAmount), 0);
      EXPECT_EQ(mod->pblock->GetFloat(scene_test::kAmount), 0.5f);
    }
    EXPECT_EQ(report.warnings.size(), c.warned ? 1u : 0u);
    EXPECT_EQ(mod->nodes, (std::vector<INode*>{host().GetINodeByName(L"B")}));
  }
}

TEST_F(SceneFileLegacy, AKeyedEntryOfAParameterThatCannotBeKeyedConvertsToItsValueAtTimeZero) {
  // Version 3 kept "count" as a keyed float; the current "count" is a constant integer.
  LegacyScene scene = MakeScene();
  IParamBlock* old = CreateParameterBlock(scene_test::kLayoutV3, 1, 3);
  old->SetKey(0, -10, PB2Value::Float(1.0f));
  old->SetKey(0, 10, PB2Value::Float(5.9f));
  SceneSaveOptions options;
  options.storedReferences[scene.mod] = {old, nullptr, scene.bone};
  std::vector<std::uint8_t> bytes = SaveBytes(&options);
  old->DeleteThis();
  ASSERT_TRUE(Loads(bytes));
  TestModifier* mod = LoadedModifier();
  ASSERT_TRUE(mod);
  EXPECT_EQ(mod->pblock->NumKeys(scene_test::kCount), 0);
  EXPECT_EQ(mod->pblock->GetInt(scene_test::kCount), 3);  // 3.45 at time 0, truncated
}

TEST_F(SceneFileLegacy, OldReferenceNumbersAreMovedOnceTheObjectKnowsItsVersion) {
  LegacyScene scene = MakeScene();
  SceneNode* second = host().CreateNode(L"C");
  auto* sources = new RefTargContainer();
  sources->AppendItem(second);
  // Version 1 stored no block reference: 0 the container, 1 and 2 the nodes.
  SceneSaveOptions options;
  options.storedData[scene.mod] = scene_test::ModifierDataV1(8, {0.5f, 0.25f});
  options.storedReferences[scene.mod] = {sources, scene.bone, second};
  std::vector<std::uint8_t> bytes = SaveBytes(&options);
  sources->DeleteThis();  // only the file held it
  ASSERT_TRUE(Loads(bytes));

  TestModifier* mod = LoadedModifier();
  ASSERT_TRUE(mod);
  EXPECT_EQ(mod->loadedVersion, 1);
  EXPECT_EQ(mod->tag, 8);
  EXPECT_EQ(mod->scale, 1.0f);  // not in version 1: the constructor's value
  ASSERT_EQ(mod->NumRefs(), 4);
  ASSERT_TRUE(mod->container);
  EXPECT_EQ(mod->container->GetItem(0), host().GetINodeByName(L"C"));
  EXPECT_EQ(mod->nodes, (std::vector<INode*>{host().GetINodeByName(L"B"), host().GetINodeByName(L"C")}));
  EXPECT_EQ(mod->weights, (std::vector<float>{0.5f, 0.25f}));
  // Reference 0 was not stored: the block the constructor made stays, owned by the modifier.
  ASSERT_TRUE(mod->pblock);
  EXPECT_EQ(mod->pblock->GetOwner(), mod);
  EXPECT_EQ(mod->pblock->GetInt(scene_test::kCount), 7);
}

TEST_F(SceneFileLegacy, OldStyleBlocksRoundTripAsTheyAre) {
  // A block no conversion replaces (its holder registers none) keeps its entries and keys.
  SceneNode* node = host().CreateNode(L"Holder", new PointHelperObject());
  IParamBlock* old = CreateParameterBlock(scene_test::kLayoutV2, 3, 2);
  old->SetValue(0, 0, -3);
  old->SetKey(1, 160, PB2Value::Float(0.125f));
  auto* box = new RefTargContainer();
  box->AppendItem(old);
  IDerivedObject* stack = CreateWSDerivedObject(node->GetObjectRef());
  node->SetObjectRef(stack);
  TestModifier* mod = scene_test::NewModifier();
  mod->ReplaceReference(1, box);
  stack->AddModifier(mod);
  std::vector<std::uint8_t> first = SaveBytes();
  ASSERT_TRUE(Loads(first));
  EXPECT_EQ(SaveBytes(), first);

  auto* loadedStack = static_cast<IDerivedObject*>(host().GetINodeByName(L"Holder")->GetObjOrWSMRef());
  auto* loaded = static_cast<TestModifier*>(loadedStack->GetModifier(0));
  auto* block = dynamic_cast<IParamBlock*>(loaded->container->GetItem(0));
  ASSERT_TRUE(block);
  EXPECT_EQ(block->GetVersion(), 2u);
  ASSERT_EQ(block->NumParams(), 3);
  EXPECT_EQ(block->GetParameterType(1), TYPE_FLOAT);
  EXPECT_FALSE(block->IsAnimatable(0));
  EXPECT_EQ(block->GetConstant(0).i, -3);
  ASSERT_EQ(block->NumKeys(1), 1);
  EXPECT_FALSE(block->SetKey(0, 0, PB2Value::Int(1)));  // not animatable
}
