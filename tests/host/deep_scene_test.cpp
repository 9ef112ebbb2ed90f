// Deep and wide scenes: every walk over the node tree (listing, enumeration, world transforms,
// telling descendants of a move, saving, loading, taking the scene down) works on a chain a
// million links deep; and the cached world transforms follow every change that moves a node.

#include <utility>
#include <vector>

#include "host/headless/scene_file.h"
#include "host/sdk/interface.h"
#include "scene_fixture.h"

namespace {

TimeValue AtFrame(int frame) { return frame * GetTicksPerFrame(); }

// The world transform from the nodes' tracks alone, root first, without any cache: local ×
// parent, as the host composes it.
Matrix3 PlainNodeTM(SceneNode* node, TimeValue t) {
  std::vector<SceneNode*> chain;
  for (INode* n = node; n && !n->IsRootNode(); n = n->GetParentNode()) chain.push_back(static_cast<SceneNode*>(n));
  Matrix3 world;
  bool first = true;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    Matrix3 local = std::as_const(**it).Track().LocalAt(t);
    if (!first) local = local * world;
    local.ValidateFlags();
    world = local;
    first = false;
  }
  return world;
}

void ExpectSameMatrix(const Matrix3& a, const Matrix3& b) {
  for (int r = 0; r < 4; ++r) EXPECT_EQ(a.GetRow(r), b.GetRow(r)) << "row " << r;
}

class CountingProc : public ITreeEnumProc {
public:
  int callback(INode*) override {
    ++count;
    return TREE_CONTINUE;
  }
  long count = 0;
};

using DeepScene = SceneTest;

TEST_F(DeepScene, MillionDeepChainSurvivesEveryWalk) {
  constexpr int kDepth = 1'000'000;
  std::vector<SceneNode*> chain;
  chain.reserve(kDepth);
  SceneNode* parent = nullptr;
  for (int i = 0; i < kDepth; ++i) {
    parent = host().CreateNode(L"n", nullptr, parent);
    parent->Track().position = Point3(1, 0, 0);
    chain.push_back(parent);
  }
  ASSERT_EQ(host().AllNodes().size(), std::size_t(kDepth));
  CountingProc proc;
  host().EnumTree(&proc);
  EXPECT_EQ(proc.count, kDepth);
  // One unit per link, exact in floats up to 2^24.
  EXPECT_EQ(chain.back()->GetNodeTM(0).GetTrans(), Point3(float(kDepth), 0, 0));
  chain.front()->Track().position = Point3(2, 0, 0);
  chain.front()->TransformChanged();  // tells every descendant
  EXPECT_EQ(chain.back()->GetNodeTM(0).GetTrans(), Point3(float(kDepth + 1), 0, 0));

  std::vector<std::uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(SaveSceneToBytes(bytes, &error)) << error;
  ASSERT_TRUE(LoadSceneFromBytes(bytes, &error)) << error;
  std::vector<SceneNode*> loaded = host().AllNodes();
  ASSERT_EQ(loaded.size(), std::size_t(kDepth));
  EXPECT_EQ(loaded.back()->GetNodeTM(0).GetTrans(), Point3(float(kDepth + 1), 0, 0));
  host().ResetScene();
  EXPECT_TRUE(host().AllNodes().empty());
}

TEST_F(DeepScene, WideSceneComesDownInOrder) {
  constexpr int kWidth = 200'000;
  for (int i = 0; i < kWidth; ++i) host().CreateNode(L"n");
  CountingProc proc;
  host().EnumTree(&proc);
  EXPECT_EQ(proc.count, kWidth);
  host().ResetScene();
  EXPECT_EQ(host().GetRootNode()->NumberOfChildren(), 0);
}

// A scene of three generations with an animated grandparent: base → mid → tip, and a spare
// node beside them. Each case changes something after every transform has been cached, then
// compares each node's world transform with the plain product of the tracks.
struct Generations {
  SceneNode* base;
  SceneNode* mid;
  SceneNode* tip;
  SceneNode* spare;
};

struct ChangeCase {
  const char* name;
  void (*change)(HeadlessHost& host, Generations& g);
  TimeValue at;
};

class CachedWorldTransform : public SceneTest, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(CachedWorldTransform, FollowsTheChange) {
  const ChangeCase& c = GetParam();
  Generations g;
  g.base = host().CreateNode(L"base");
  g.mid = host().CreateNode(L"mid", nullptr, g.base);
  g.tip = host().CreateNode(L"tip", nullptr, g.mid);
  g.spare = host().CreateNode(L"spare");
  g.base->Track().positionKeys = {{AtFrame(0), Point3(0, 0, 0)}, {AtFrame(10), Point3(10, 0, 0)}};
  g.mid->Track().rotation = QFromAngAxis(0.5f, Point3(0, 0, 1));
  g.mid->Track().position = Point3(0, 2, 0);
  g.tip->Track().position = Point3(3, 0, 0);
  g.tip->Track().scale = Point3(2, 2, 2);
  g.spare->Track().position = Point3(0, 0, 7);
  for (SceneNode* n : {g.base, g.mid, g.tip, g.spare}) n->TransformChanged();
  // Cached at frame 5 for every node.
  for (SceneNode* n : {g.base, g.mid, g.tip, g.spare}) ExpectSameMatrix(n->GetNodeTM(AtFrame(5)), PlainNodeTM(n, AtFrame(5)));

  c.change(host(), g);
  for (SceneNode* n : {g.base, g.mid, g.tip, g.spare}) {
    if (!n) continue;
    SCOPED_TRACE(std::string(c.name) + ", node " + std::string(n->GetName(), n->GetName() + std::wcslen(n->GetName())));
    ExpectSameMatrix(n->GetNodeTM(c.at), PlainNodeTM(n, c.at));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CachedWorldTransform,
    ::testing::Values(
        ChangeCase{"NothingChanges", [](HeadlessHost&, Generations&) {}, AtFrame(5)},
        ChangeCase{"AnotherTime", [](HeadlessHost&, Generations&) {}, AtFrame(8)},
        ChangeCase{"ParentTrackEditedInPlace",
                   [](HeadlessHost&, Generations& g) { g.mid->Track().position = Point3(0, -4, 1); }, AtFrame(5)},
        ChangeCase{"GrandparentKeysReplaced",
                   [](HeadlessHost&, Generations& g) {
                     g.base->Track().positionKeys = {{AtFrame(0), Point3(0, 5, 0)}, {AtFrame(10), Point3(0, 9, 0)}};
                   },
                   AtFrame(5)},
        ChangeCase{"ParentSetNodeTM",
                   [](HeadlessHost&, Generations& g) { g.mid->SetNodeTM(AtFrame(5), TransMatrix(Point3(1, 1, 1))); },
                   AtFrame(5)},
        ChangeCase{"TipMovedUnderTheSpare",
                   [](HeadlessHost&, Generations& g) { g.spare->AttachChild(g.tip, 0); }, AtFrame(5)},
        ChangeCase{"TipMovedUnderTheSpareKeepingItsPlace",
                   [](HeadlessHost&, Generations& g) { g.spare->AttachChild(g.tip, 1); }, AtFrame(5)},
        ChangeCase{"MidDeleted",
                   [](HeadlessHost& host, Generations& g) {
                     host.DeleteNode(g.mid);
                     g.mid = nullptr;
                   },
                   AtFrame(5)}),
    [](const auto& info) { return info.param.name; });

TEST_F(DeepScene, CachedTransformKeepsItsValidity) {
  SceneNode* still = host().CreateNode(L"still");
  SceneNode* moving = host().CreateNode(L"moving", nullptr, still);
  still->Track().position = Point3(1, 0, 0);
  moving->Track().positionKeys = {{AtFrame(0), Point3(0, 0, 0)}, {AtFrame(10), Point3(0, 10, 0)}};
  for (int pass = 0; pass < 2; ++pass) {  // the second pass is served from the cache
    Interval stillValid = FOREVER, movingValid = FOREVER;
    still->GetNodeTM(AtFrame(3), &stillValid);
    moving->GetNodeTM(AtFrame(3), &movingValid);
    EXPECT_EQ(stillValid, FOREVER) << "pass " << pass;
    EXPECT_EQ(movingValid, Interval(AtFrame(3), AtFrame(3))) << "pass " << pass;
  }
  // A transform that holds for ever serves every time.
  EXPECT_EQ(still->GetNodeTM(AtFrame(99)).GetTrans(), Point3(1, 0, 0));
}

}  // namespace
