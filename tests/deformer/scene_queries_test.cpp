// The scene queries: carrier of a modifier, node behind a target, modifiers of a class, carrier
// of a skin by identity, modifier of a class on a node.

#include "deformer/skin_lookup.h"
#include "host/queries/scene_queries.h"
#include "skin_scene.h"

namespace {

// A modifier that changes nothing, of a chosen class.
template <class Base>
class TagModifier : public Base {
public:
  explicit TagModifier(Class_ID id) : id_(id) {}
  Class_ID ClassID() override { return id_; }
  ChannelMask ChannelsUsed() override { return 0; }
  ChannelMask ChannelsChanged() override { return 0; }
  Class_ID InputType() override { return defObjectClassID; }
  void ModifyObject(TimeValue, ModContext&, ObjectState*, INode*) override {}

private:
  Class_ID id_;
};
using Tag = TagModifier<Modifier>;
using WorldTag = TagModifier<WSModifier>;

// A world-space modifier of its own class that is a subclass of another.
class DerivedWorldTag : public WorldTag {
public:
  DerivedWorldTag(Class_ID own, Class_ID base) : WorldTag(own), base_(base) {}
  BOOL IsSubClassOf(Class_ID id) override { return id == base_ || WorldTag::IsSubClassOf(id); }

private:
  Class_ID base_;
};

const Class_ID kWanted(0x51, 0x52);
const Class_ID kOther(0x61, 0x62);

using SceneQueries = SkinSceneTest;

TEST_F(SceneQueries, CarrierOfAModifierOnOneNodeAndOnTwo) {
  auto* mod = new Tag(kWanted);
  IDerivedObject* first = CreateDerivedObject(MeshOf({{0, 0, 0}}));
  first->AddModifier(mod);
  SceneNode* a = host().CreateNode(L"a", first);
  EXPECT_EQ(FindCarrierNode(mod), a);

  // Instanced on a second node: no single carrier.
  IDerivedObject* second = CreateDerivedObject(MeshOf({{0, 0, 0}}));
  second->AddModifier(mod);
  host().CreateNode(L"b", second);
  EXPECT_EQ(FindCarrierNode(mod), nullptr);

  EXPECT_EQ(FindCarrierNode(nullptr), nullptr);
  auto* lone = new Tag(kWanted);
  EXPECT_EQ(FindCarrierNode(lone), nullptr);  // in no scene
  lone->DeleteMe();
}

TEST_F(SceneQueries, FirstNodeBehindATargetThroughAChainOfTwo) {
  TriObject* mesh = MeshOf({{0, 0, 0}});
  IDerivedObject* stack = CreateDerivedObject(mesh);
  SceneNode* node = host().CreateNode(L"n", stack);
  EXPECT_EQ(FindFirstNode(mesh), node);  // mesh → stack → node
  EXPECT_EQ(FindFirstNode(stack), node);
  EXPECT_EQ(FindFirstNode(node), node);
  TriObject* loose = MeshOf({{0, 0, 0}});
  EXPECT_EQ(FindFirstNode(loose), nullptr);
  loose->DeleteMe();
}

TEST_F(SceneQueries, ModifiersOfAClassFromTheTopOfEachStackDownThroughNestedStacks) {
  auto* low = new Tag(kWanted);
  auto* a = new Tag(kWanted);
  auto* b = new Tag(kWanted);
  auto* other = new Tag(kOther);
  IDerivedObject* inner = CreateDerivedObject(MeshOf({{0, 0, 0}}));
  inner->AddModifier(low);
  IDerivedObject* outer = CreateDerivedObject(inner);
  outer->AddModifier(b);         // will be index 1
  outer->AddModifier(other);
  outer->AddModifier(a, nullptr, 0);  // index 0
  ASSERT_EQ(outer->GetModifier(0), a);
  ASSERT_EQ(outer->GetModifier(2), b);
  // A world-space stack on top is not part of the object-space walk.
  IDerivedObject* world = CreateWSDerivedObject(outer);
  world->AddModifier(new WorldTag(kWanted));
  SceneNode* node = host().CreateNode(L"n", world);

  std::vector<ModifierMatch> found = CollectModifiers(kWanted);
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0].modifier, b);  // highest index first
  EXPECT_EQ(found[1].modifier, a);
  EXPECT_EQ(found[2].modifier, low);  // then the stack below
  for (const ModifierMatch& m : found) EXPECT_EQ(m.node, node);
  EXPECT_TRUE(CollectModifiers(Class_ID(0x99, 0x99)).empty());
}

TEST_F(SceneQueries, ModifierOnANodeSearchesOnlyTheOutermostStack) {
  IDerivedObject* objectSpace = CreateDerivedObject(MeshOf({{0, 0, 0}}));
  auto* below = new Tag(kWanted);
  objectSpace->AddModifier(below);
  IDerivedObject* worldSpace = CreateWSDerivedObject(objectSpace);
  auto* first = new WorldTag(kOther);
  auto* wanted = new WorldTag(kWanted);
  worldSpace->AddModifier(wanted);
  worldSpace->AddModifier(first);  // index 0: scanned first, not of the class
  SceneNode* node = host().CreateNode(L"n", worldSpace);
  EXPECT_EQ(FindModifierOnNode(node, kWanted), wanted);

  SceneNode* plain = host().CreateNode(L"p", CreateDerivedObject(MeshOf({{0, 0, 0}})));
  EXPECT_EQ(FindModifierOnNode(plain, kWanted), nullptr);
  // The class is only in the stack below the outermost one: not found.
  IDerivedObject* lower = CreateDerivedObject(MeshOf({{0, 0, 0}}));
  lower->AddModifier(new Tag(kWanted));
  IDerivedObject* upper = CreateWSDerivedObject(lower);
  upper->AddModifier(new WorldTag(kOther));
  EXPECT_EQ(FindModifierOnNode(host().CreateNode(L"nested", upper), kWanted), nullptr);
  // A modifier of a subclass counts as one of the class.
  IDerivedObject* subclassed = CreateWSDerivedObject(MeshOf({{0, 0, 0}}));
  auto* derived = new DerivedWorldTag(Class_ID(0x71, 0x72), kWanted);
  subclassed->AddModifier(derived);
  EXPECT_EQ(FindModifierOnNode(host().CreateNode(L"sub", subclassed), kWanted), derived);
  SceneNode* bare = host().CreateNode(L"bare", MeshOf({{0, 0, 0}}));
  EXPECT_EQ(FindModifierOnNode(bare, kWanted), nullptr);
  EXPECT_EQ(FindModifierOnNode(nullptr, kWanted), nullptr);
  (void)below;
}

TEST_F(SceneQueries, CarrierOfASkinByItsStamp) {
  EXPECT_EQ(FindSkinCarrier(12345), nullptr);  // no skins at all
  SceneNode* first = SkinnedNode(MeshOf({{0, 0, 0}}), L"first");
  const std::uint64_t firstStamp = skin().instanceStamp;
  SceneNode* second = SkinnedNode(MeshOf({{0, 0, 0}}), L"second");
  EXPECT_EQ(FindSkinCarrier(skin().instanceStamp), second);
  EXPECT_EQ(FindSkinCarrier(firstStamp), first);
  EXPECT_EQ(FindSkinCarrier(firstStamp + skin().instanceStamp), nullptr);
}

}  // namespace
