// A skinned arm saved with the whole scene: reloaded here and in a process of its own, it
// resaves the same bytes and deforms the same.

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <cstring>
#include <new>

#include "deformer/skin_scene.h"
#include "host/headless/scene_file.h"
#include "module/registry/class_descs.h"
#include "module/registry/tessarin_parameters.h"
#include "persistence/skin_chunks/skin_storage.h"
#include "support/tolerance.h"

extern char** environ;

namespace {

constexpr const char* kChildVariable = "TESSARIN_SKIN_SCENE_CHILD";

class SkinSceneRoundTrip : public SkinSceneTest {
protected:
  void SetUp() override {
    SkinSceneTest::SetUp();
    InstallSkinStorage();
    GetTessarinDesc()->SetFactory([]() -> void* { return static_cast<Modifier*>(new (std::nothrow) Tessarin()); });
    host().RegisterClass(GetTessarinDesc());
  }
  void TearDown() override {
    SkinSceneTest::TearDown();
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
  }

  // A tube along +X skinned to an upper and a lower box bone and a spline bone along its end,
  // with a selection, set names, a forced weight, a blend share, dual quaternions on, and the
  // lower bone turned after the attachment.
  void BuildArm() {
    SceneNode* arm = SkinnedNode(Tube(6, 4, 10.0f, 1.0f), L"Arm");
    SceneNode* upper = BoxBone(L"Upper", {0, -1, -1}, {5, 1, 1}, {0, 0, 0});
    SceneNode* lower = BoxBone(L"Lower", {0, -1, -1}, {5, 1, 1}, {5, 0, 0}, upper);
    auto* line = new SplineShapeObject();
    line->curves.push_back({{Point3(8, 0, 0), Point3(10, 0.5f, 0), Point3(12, 0, 0)}, false, false});
    host().CreateNode(L"Tail", line);
    AssignBones(skin(), {upper, lower, host().GetINodeByName(L"Tail")});
    ASSERT_TRUE(ReattachSkin(skin(), arm));

    SkinSettings& s = skin().settings;
    s.vertexSetNames[0] = "Elbow";
    s.boneSetNames[4] = "Forearm";
    s.vertexSelection.at(3) |= static_cast<std::int32_t>(0x80000000u);
    s.weightThreshold = 5.0f;
    BoneTable& t = skin().table;
    t.bones[1]->flags = kBoneSelectedFlag | 1u;
    t.bones[0]->vertexCodes.at(2) = kCodeForced;
    t.bones[0]->forcedWeights.at(2) = 30.0f;
    t.blendMix.at(5) = 0.25f;
    skin().cache.Invalidate();
    skin().pblock->SetValue(use_dual_quaternion, 0, 1);
    lower->SetNodeTM(0, RotateZMatrix(0.6f) * TransMatrix(Point3(5, 0, 0)));
  }

  static Tessarin* LoadedSkin() {
    INode* arm = TheHost().GetINodeByName(L"Arm");
    auto* stack = arm ? static_cast<IDerivedObject*>(arm->GetObjectRef()) : nullptr;
    return stack && stack->NumModifiers() == 1 ? dynamic_cast<Tessarin*>(stack->GetModifier(0)) : nullptr;
  }

  static std::vector<std::uint8_t> SaveBytes() {
    std::vector<std::uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(SaveSceneToBytes(bytes, &error)) << error;
    return bytes;
  }

  const std::filesystem::path& Dir() {
    if (dir_.empty()) {
      std::string pattern = (std::filesystem::temp_directory_path() / "skin-scene-XXXXXX").string();
      if (::mkdtemp(pattern.data())) dir_ = pattern;
    }
    return dir_;
  }

private:
  std::filesystem::path dir_;
};

void ExpectSamePoints(const std::vector<Point3>& a, const std::vector<Point3>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) EXPECT_TRUE(ExpectPoint3Near(a[i], b[i], 0.0f)) << "vertex " << i;
}

std::vector<std::uint8_t> FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::filesystem::path& path, const void* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

TEST_F(SkinSceneRoundTrip, ReloadedArmResavesTheSameBytesAndDeformsTheSame) {
  BuildArm();
  const std::vector<Point3> posed = Evaluate(host().GetINodeByName(L"Arm"), 0);
  ASSERT_FALSE(posed.empty());
  const std::uint64_t stamp = skin().instanceStamp;
  const std::vector<std::uint8_t> first = SaveBytes();

  host().ResetScene();
  std::string error;
  ASSERT_TRUE(LoadSceneFromBytes(first, &error)) << error;
  Tessarin* loaded = LoadedSkin();
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->instanceStamp, stamp);
  EXPECT_EQ(loaded->settings.loadedVersion, 11);
  ASSERT_EQ(loaded->table.boneCount, 3);
  EXPECT_EQ(loaded->GetReference(2), host().GetINodeByName(L"Upper"));
  EXPECT_EQ(loaded->GetReference(3), host().GetINodeByName(L"Lower"));
  EXPECT_EQ(loaded->GetReference(4), host().GetINodeByName(L"Tail"));
  EXPECT_NE(loaded->GetReference(1), nullptr) << "the container of chosen sources";
  EXPECT_EQ(loaded->table.bones[1]->flags, kBoneSelectedFlag | 1u);
  EXPECT_EQ(loaded->settings.vertexSetNames[0], "Elbow");
  EXPECT_EQ(loaded->settings.boneSetNames[4], "Forearm");
  EXPECT_TRUE(loaded->table.IsAttached());
  EXPECT_EQ(loaded->ReadSwitch(use_dual_quaternion, 0, -1), 1);

  EXPECT_EQ(SaveBytes(), first);
  ExpectSamePoints(Evaluate(host().GetINodeByName(L"Arm"), 0), posed);
}

// The second half of the test below, run by the parent as a process of its own: loads the
// parent's scene, then writes what it resaves and the arm's deformed points next to it.
TEST_F(SkinSceneRoundTrip, ChildProcessLoadsTheParentsArm) {
  const char* path = std::getenv(kChildVariable);
  if (!path) GTEST_SKIP() << "runs only as the child of LoadsInAFreshProcess";
  std::string error;
  ASSERT_TRUE(LoadScene(path, &error)) << error;
  ASSERT_NE(LoadedSkin(), nullptr);
  const std::vector<std::uint8_t> resaved = SaveBytes();
  WriteFile(std::string(path) + ".resaved", resaved.data(), resaved.size());
  const std::vector<Point3> points = Evaluate(host().GetINodeByName(L"Arm"), 0);
  WriteFile(std::string(path) + ".points", points.data(), points.size() * sizeof(Point3));
}

TEST_F(SkinSceneRoundTrip, LoadsInAFreshProcess) {
  BuildArm();
  const std::vector<Point3> posed = Evaluate(host().GetINodeByName(L"Arm"), 0);
  const std::string path = (Dir() / "arm.tsscene").string();
  std::string error;
  ASSERT_TRUE(SaveScene(path, &error)) << error;

  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  env.push_back(std::string(kChildVariable) + "=" + path);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::string filter = "--gtest_filter=SkinSceneRoundTrip.ChildProcessLoadsTheParentsArm";
  char* argv[] = {self.data(), filter.data(), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, envp.data()), 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;

  EXPECT_EQ(FileBytes(path + ".resaved"), FileBytes(path));
  const std::vector<std::uint8_t> raw = FileBytes(path + ".points");
  std::vector<Point3> points(raw.size() / sizeof(Point3));
  std::memcpy(points.data(), raw.data(), points.size() * sizeof(Point3));
  ExpectSamePoints(points, posed);
}

}  // namespace
