// The scene file round trip: everything of the fixture scene comes back, in this process and in
// another one, and saving what was loaded gives the same bytes.

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "host/headless/derived_object.h"
#include "scene_file_fixture.h"

extern char** environ;

namespace {

using scene_test::TestModifier;

constexpr const char* kChildVariable = "TESSARIN_SCENE_FILE_CHILD";

TestModifier* ModifierAt(IDerivedObject* stack, int i) {
  Modifier* mod = stack ? stack->GetModifier(i) : nullptr;
  return mod && mod->ClassID() == scene_test::kModifierClassID ? static_cast<TestModifier*>(mod) : nullptr;
}

// Everything BuildFixtureScene made, as the loaded scene must hold it.
void ExpectFixtureScene() {
  HeadlessHost& host = TheHost();
  EXPECT_EQ(host.GetFrameRate(), 25);
  EXPECT_EQ(host.GetTime(), 37);
  EXPECT_EQ(host.NextHandle(), 100u);
  const TimeValue frame = GetTicksPerFrame();

  // Names, handles (in creation order) and the tree, children in order.
  const std::vector<std::pair<std::wstring, std::wstring>> tree = {
      {L"Hips", L""}, {L"Spine", L"Hips"}, {L"Arm \u00e9\u4e2d", L"Spine"}, {L"Body", L""}, {L"Bag", L""},
      {L"Shapes", L""}, {L"Poly", L"Shapes"}, {L"Patch", L"Shapes"}, {L"Bone", L"Shapes"}, {L"OldBone", L"Shapes"}};
  std::vector<SceneNode*> nodes = host.AllNodes();
  ASSERT_EQ(nodes.size(), tree.size());
  for (std::size_t i = 0; i < tree.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "node " << i);
    EXPECT_EQ(nodes[i]->GetName(), tree[i].first);
    EXPECT_EQ(nodes[i]->GetHandle(), i + 1);
    INode* parent = nodes[i]->GetParentNode();
    EXPECT_EQ(parent->IsRootNode() ? std::wstring() : std::wstring(parent->GetName()), tree[i].second);
  }

  auto* hips = static_cast<SceneNode*>(host.GetINodeByName(L"Hips"));
  auto* spine = static_cast<SceneNode*>(host.GetINodeByName(L"Spine"));
  auto* arm = static_cast<SceneNode*>(host.GetINodeByName(L"Arm \u00e9\u4e2d"));
  ASSERT_TRUE(hips && spine && arm);
  EXPECT_EQ(hips->Track().positionKeys,
            (std::map<TimeValue, Point3>{{0, {0, 0, 0}}, {10 * frame, {4, 0, 1}}, {20 * frame, {4, 3, 1}}}));
  EXPECT_EQ(hips->Track().rotationKeys,
            (std::map<TimeValue, Quat>{{0, Quat()}, {10 * frame, QFromAngAxis(0.5f, Point3(0, 0, 1))}}));
  EXPECT_TRUE(hips->Track().scaleKeys.empty());
  EXPECT_EQ(hips->GetObjOffsetPos(), Point3(0.25f, 0, 0));
  EXPECT_EQ(hips->GetObjOffsetRot(), QFromAngAxis(0.3f, Point3(1, 0, 0)));
  EXPECT_EQ(hips->GetObjOffsetScale().s, Point3(1, 2, 1));
  EXPECT_EQ(hips->GetObjOffsetScale().q, QFromAngAxis(0.2f, Point3(0, 1, 0)));
  EXPECT_EQ(hips->GetWireColor(), 0x00336699u);
  EXPECT_EQ(host.GetSelNodeCount(), 1);
  EXPECT_EQ(host.GetSelNode(0), hips);
  EXPECT_EQ(spine->Track().position, Point3(0, 0, 5));
  EXPECT_EQ(spine->Track().scaleKeys, (std::map<TimeValue, Point3>{{0, {1, 1, 1}}, {5 * frame, {1, 1, 1.5f}}}));
  EXPECT_EQ(arm->Track().position, Point3(2, 0, 0));

  ASSERT_EQ(hips->GetObjectRef()->ClassID(), pointHelperClassID);
  ASSERT_EQ(spine->GetObjectRef()->ClassID(), boneObjectClassID);
  auto* box = dynamic_cast<DummyObject*>(arm->GetObjectRef());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->box.pmin, Point3(-1, -2, -3));
  EXPECT_EQ(box->box.pmax, Point3(1, 2, 3));

  // The skinned mesh under two modifiers.
  INode* body = host.GetINodeByName(L"Body");
  auto* stack = dynamic_cast<DerivedObject*>(body->GetObjectRef());
  ASSERT_TRUE(stack);
  EXPECT_FALSE(stack->IsWorldSpace());
  ASSERT_EQ(stack->NumModifiers(), 2);
  TestModifier* upper = ModifierAt(stack, 0);
  TestModifier* lower = ModifierAt(stack, 1);
  ASSERT_TRUE(upper && lower);
  EXPECT_EQ(upper->tag, 2);
  EXPECT_EQ(upper->scale, 2.5f);
  EXPECT_TRUE(upper->IsEnabled());
  EXPECT_EQ(upper->nodes, (std::vector<INode*>{arm, spine}));
  EXPECT_EQ(upper->weights, (std::vector<float>{0.25f, -1.5f}));
  EXPECT_EQ(lower->tag, 1);
  EXPECT_FALSE(lower->IsEnabled());
  EXPECT_EQ(lower->nodes, (std::vector<INode*>{hips}));
  EXPECT_EQ(lower->container, nullptr);
  EXPECT_EQ(stack->GetModContext(0)->tm, nullptr);
  ASSERT_NE(stack->GetModContext(1)->tm, nullptr);
  EXPECT_EQ(stack->GetModContext(1)->tm->GetTrans(), Point3(1, 2, 3));

  IRefTargContainer* bag = upper->container;
  ASSERT_TRUE(bag);
  ASSERT_EQ(bag->GetNumItems(), 3);
  EXPECT_EQ(bag->GetItem(0), hips);
  EXPECT_EQ(bag->GetItem(1), nullptr);
  EXPECT_EQ(bag->GetItem(2), arm);

  auto* tri = dynamic_cast<TriObject*>(stack->GetObjRef());
  ASSERT_TRUE(tri);
  EXPECT_EQ(tri->mesh.verts, (std::vector<Point3>{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}));
  ASSERT_EQ(tri->mesh.getNumFaces(), 2);
  EXPECT_EQ(tri->mesh.faces[1].v[2], 3u);
  EXPECT_EQ(tri->mesh.faces[0].smGroup, 3u);
  EXPECT_EQ(tri->mesh.faces[1].flags, EDGE_A | EDGE_C);
  EXPECT_EQ(tri->mesh.vertCol, (std::vector<Point3>{{1, 0, 0}, {0, 1, 0}}));
  ASSERT_EQ(tri->mesh.vcFace.size(), 2u);
  EXPECT_EQ(tri->mesh.vcFace[1].t[1], 1u);
  // The loaded stack evaluates.
  EXPECT_EQ(body->EvalWorldState(0).obj->NumPoints(), 4);

  // The top modifier's block: constants, keys, text and a node, owned by the modifier.
  IParamBlock2* block = upper->pblock;
  ASSERT_TRUE(block);
  EXPECT_EQ(block->GetOwner(), upper);
  EXPECT_EQ(block->GetInt(scene_test::kCount), 11);
  ASSERT_EQ(block->NumKeys(scene_test::kAmount), 2);
  EXPECT_EQ(block->GetFloat(scene_test::kAmount, 5 * frame), 0.5f);
  EXPECT_EQ(block->GetInt(scene_test::kEnabled, 6 * frame), 0);
  EXPECT_EQ(block->GetConstant(scene_test::kLabel).s, L"left \u00fc");
  EXPECT_EQ(block->GetConstant(scene_test::kTarget).r, arm);
  EXPECT_EQ(lower->pblock->GetInt(scene_test::kCount), 7);
  EXPECT_EQ(lower->pblock->GetOwner(), lower);

  auto* ws = dynamic_cast<DerivedObject*>(host.GetINodeByName(L"Bag")->GetObjOrWSMRef());
  ASSERT_TRUE(ws);
  EXPECT_TRUE(ws->IsWorldSpace());
  ASSERT_TRUE(ModifierAt(ws, 0));
  EXPECT_EQ(ModifierAt(ws, 0)->tag, 3);
  EXPECT_EQ(ws->GetObjRef()->ClassID(), pointHelperClassID);

  auto* spline = dynamic_cast<SplineShapeObject*>(host.GetINodeByName(L"Shapes")->GetObjectRef());
  ASSERT_TRUE(spline);
  ASSERT_EQ(spline->curves.size(), 2u);
  EXPECT_EQ(spline->curves[0].knots, (std::vector<Point3>{{0, 0, 0}, {1, 1, 0}, {2, 0, 0}}));
  EXPECT_TRUE(spline->curves[1].closed);
  EXPECT_FALSE(spline->curves[1].smooth);
  auto* poly = dynamic_cast<PolyObject*>(host.GetINodeByName(L"Poly")->GetObjectRef());
  ASSERT_TRUE(poly);
  ASSERT_EQ(poly->mm.VNum(), 4);
  EXPECT_EQ(poly->mm.numv, 4);
  EXPECT_EQ(poly->mm.P(3), Point3(3, 9, 0));
  ASSERT_EQ(poly->mm.FNum(), 1);
  EXPECT_EQ(poly->mm.f[0].vtx, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_TRUE(poly->mm.hasVertexColors);
  EXPECT_EQ(poly->mm.vertexColors.f, (std::vector<std::vector<int>>{{0, 1, 2, 3}}));
  auto* patch = dynamic_cast<PatchObject*>(host.GetINodeByName(L"Patch")->GetObjectRef());
  ASSERT_TRUE(patch);
  ASSERT_EQ(patch->patch.getNumPatches(), 1);
  EXPECT_EQ(patch->patch.patches[0].type, 3);
  EXPECT_EQ(patch->patch.patches[0].v[2], 2);
  EXPECT_EQ(patch->patch.getVert(1), Point3(1, 0, 0));
  EXPECT_EQ(patch->patch.vecs, (std::vector<Point3>{{0.5f, 0, 0}}));
  EXPECT_TRUE(patch->patch.hasVertexColors);
  EXPECT_EQ(host.GetINodeByName(L"Bone")->GetObjectRef()->ClassID(), boneObjectClassID);
  EXPECT_EQ(host.GetINodeByName(L"OldBone")->GetObjectRef()->ClassID(), legacyBoneClassID);
}

}  // namespace

using SceneFileRoundTrip = SceneFileTest;

TEST_F(SceneFileRoundTrip, KeepsEveryPartOfTheScene) {
  scene_test::BuildFixtureScene();
  std::vector<std::uint8_t> bytes = SaveBytes();
  host().ResetScene();
  ASSERT_TRUE(Loads(bytes));
  ExpectFixtureScene();
}

TEST_F(SceneFileRoundTrip, SavingWhatWasLoadedGivesTheSameBytes) {
  scene_test::BuildFixtureScene();
  std::vector<std::uint8_t> first = SaveBytes();
  ASSERT_TRUE(Loads(first));
  std::vector<std::uint8_t> second = SaveBytes();
  EXPECT_EQ(first, second);
}

TEST_F(SceneFileRoundTrip, LoadingReplacesTheCurrentScene) {
  scene_test::BuildFixtureScene();
  std::vector<std::uint8_t> bytes = SaveBytes();
  host().ResetScene();
  host().CreateNode(L"Leftover");
  host().SetFrameRate(60);
  ASSERT_TRUE(Loads(bytes));
  EXPECT_EQ(host().GetINodeByName(L"Leftover"), nullptr);
  EXPECT_EQ(host().GetFrameRate(), 25);
  // Handles go on from the stored next handle.
  EXPECT_EQ(host().CreateNode(L"New")->GetHandle(), 100u);
}

TEST_F(SceneFileRoundTrip, AnEmptySceneRoundTrips) {
  host().SetTime(-160);
  std::vector<std::uint8_t> bytes = SaveBytes();
  host().CreateNode(L"Leftover");
  ASSERT_TRUE(Loads(bytes));
  EXPECT_TRUE(host().AllNodes().empty());
  EXPECT_EQ(host().GetTime(), -160);
}

TEST_F(SceneFileRoundTrip, KeepsTheAnimationRangeAndOlderFilesGetTheDefault) {
  host().SetAnimRange(Interval(-10 * 160, 50 * 160));
  std::vector<std::uint8_t> bytes = SaveBytes();
  host().ResetScene();
  ASSERT_TRUE(Loads(bytes));
  EXPECT_EQ(host().AnimRange().Start(), -10 * 160);
  EXPECT_EQ(host().AnimRange().End(), 50 * 160);

  // Files written before the range was stored: the scene chunk without the range chunk.
  const std::uint8_t rangeChunk[] = {0x11, 0x00, 8, 0, 0, 0};
  auto at = std::search(bytes.begin(), bytes.end(), std::begin(rangeChunk), std::end(rangeChunk));
  ASSERT_NE(at, bytes.end());
  bytes.erase(at, at + 6 + 8);
  std::uint32_t sceneLength = 0;
  std::memcpy(&sceneLength, &bytes[14], 4);
  sceneLength -= 6 + 8;
  std::memcpy(&bytes[14], &sceneLength, 4);
  ASSERT_TRUE(Loads(bytes));
  EXPECT_EQ(host().AnimRange().Start(), kDefaultAnimRange.Start());
  EXPECT_EQ(host().AnimRange().End(), kDefaultAnimRange.End());
}

TEST_F(SceneFileRoundTrip, SaveRefusesAnObjectOfAnUnregisteredClass) {
  scene_test::BuildFixtureScene();
  host().UnregisterClass(scene_test::ModifierClassDesc());
  std::vector<std::uint8_t> bytes;
  std::string error;
  EXPECT_FALSE(SaveSceneToBytes(bytes, &error));
  EXPECT_NE(error.find("TestModifier (super class 0x810, class 0x5CE7E570:0x1)"), std::string::npos) << error;
  EXPECT_NE(error.find("not registered"), std::string::npos) << error;
  scene_test::RegisterClasses();
}

// The second half of the test below: run by the parent as a process of its own.
TEST_F(SceneFileRoundTrip, ChildProcessLoadsTheParentsFile) {
  const char* path = std::getenv(kChildVariable);
  if (!path) GTEST_SKIP() << "runs only as the child of LoadsInAnotherProcess";
  std::string error;
  ASSERT_TRUE(LoadScene(path, &error)) << error;
  ExpectFixtureScene();
  if (!HasFailure()) std::ofstream(std::string(path) + ".loaded") << "ok";
}

TEST_F(SceneFileRoundTrip, LoadsInAnotherProcess) {
  scene_test::BuildFixtureScene();
  const std::string path = (Dir() / "fixture.tsscene").string();
  std::string error;
  ASSERT_TRUE(SaveScene(path, &error)) << error;

  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  env.push_back(std::string(kChildVariable) + "=" + path);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::string filter = "--gtest_filter=SceneFileRoundTrip.ChildProcessLoadsTheParentsFile";
  char* argv[] = {self.data(), filter.data(), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, envp.data()), 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
  EXPECT_TRUE(std::filesystem::exists(path + ".loaded")) << "the child did not load the scene";
}
