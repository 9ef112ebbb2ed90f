// Reading scene descriptions: malformed input gives the file, the place and the problem; valid
// input gives the nodes, transforms, keys and class entries it describes.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "cli/scene/scene_reader.h"
#include "cli_support.h"
#include "support/tolerance.h"

namespace {

using cli_test::TempDir;

// One node carrying `object` (JSON text) and, optionally, a modifier list.
std::string OneNode(const std::string& object, const std::string& modifiers = "") {
  return R"({"nodes": [{"name": "Arm", "object": )" + object +
         (modifiers.empty() ? "" : R"(, "modifiers": )" + modifiers) + "}]}";
}

const std::string kMeshOfThree = R"({"type": "mesh", "vertices": [[0,0,0],[1,0,0],[0,1,0]]})";

struct Malformed {
  const char* name;
  std::string text;
  std::vector<std::string> fragments;  // all must appear in the error text
};

class MalformedScene : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedScene, NamesFilePlaceAndProblem) {
  const Malformed& c = GetParam();
  SceneDescription scene;
  SceneError error;
  ASSERT_FALSE(ReadSceneText(c.text, "scene.json", ".", scene, error));
  const std::string text = error.Text();
  EXPECT_EQ(text.rfind("scene.json: ", 0), 0u) << text;
  for (const std::string& f : c.fragments) EXPECT_NE(text.find(f), std::string::npos) << "'" << f << "' in: " << text;
  EXPECT_TRUE(scene.nodes.empty()) << "a failed read leaves no half-read scene";
}

INSTANTIATE_TEST_SUITE_P(
    Table, MalformedScene,
    ::testing::Values(
        Malformed{"BadJson", "{\"nodes\": [\n  {\"name\": \"Arm\",,}\n]}", {"line 2, column", "syntax error"}},
        Malformed{"NotAnObject", "[1, 2]", {"must be an object, got an array"}},
        Malformed{"MissingNodes", "{\"frameRate\": 30}", {"missing required key \"nodes\""}},
        Malformed{"WrongType", "{\"frameRate\": \"fast\", \"nodes\": []}", {"/frameRate", "must be a number, got a string"}},
        Malformed{"TypoKey", R"({"nodes": [{"name": "Arm", "postion": [0, 0, 0]}]})",
                  {"/nodes/0/postion", "unknown key \"postion\""}},
        Malformed{"UnknownParent", R"({"nodes": [{"name": "Arm", "parent": "Torso"}]})",
                  {"/nodes/0/parent", "unknown node \"Torso\""}},
        Malformed{"DuplicateName", R"({"nodes": [{"name": "Arm"}, {"name": "Arm"}]})",
                  {"/nodes/1/name", "already described at /nodes/0"}},
        Malformed{"ParentLoop", R"({"nodes": [{"name": "A", "parent": "B"}, {"name": "B", "parent": "A"}]})",
                  {"/parent", "loops"}},
        Malformed{"UnknownObjectType", OneNode(R"({"type": "teapot"})"),
                  {"/nodes/0/object/type", "unknown object type \"teapot\"", "cylinder"}},
        Malformed{"NegativeSegments", OneNode(R"({"type": "box", "segments": -3})"),
                  {"/nodes/0/object/segments", "must be at least 1, got -3"}},
        Malformed{"NegativeSides", OneNode(R"({"type": "tube", "sides": -1})"), {"/nodes/0/object/sides", "at least 3"}},
        Malformed{"FractionalSegments", OneNode(R"({"type": "sphere", "segments": 8.5})"),
                  {"/nodes/0/object/segments", "whole number"}},
        Malformed{"TooManyVertices", OneNode(R"({"type": "box", "segments": 100000})"), {"more than the limit"}},
        Malformed{"FaceIndexOutOfRange",
                  OneNode(R"({"type": "mesh", "vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0, 1, 3]]})"),
                  {"/nodes/0/object/faces/0/2", "at most 2, got 3"}},
        Malformed{"UnknownModifierType", OneNode(kMeshOfThree, R"([{"type": "Bend"}])"),
                  {"/nodes/0/modifiers/0/type", "unknown modifier type \"Bend\"", "Tessarin"}},
        Malformed{"BoneNamingNoNode", OneNode(kMeshOfThree, R"([{"type": "Tessarin", "bones": [{"node": "Ghost"}]}])"),
                  {"/nodes/0/modifiers/0/bones/0/node", "unknown node \"Ghost\""}},
        Malformed{"BoneTwice",
                  R"({"nodes": [{"name": "B"}, {"name": "Arm", "object": )" + kMeshOfThree +
                      R"(, "modifiers": [{"type": "Tessarin", "bones": [{"node": "B"}, {"node": "B"}]}]}]})",
                  {"/nodes/1/modifiers/0/bones/1/node", "already bone 0"}},
        Malformed{"SkinOnItsOwnNode", OneNode(kMeshOfThree, R"([{"type": "Tessarin", "bones": [{"node": "Arm"}]}])"),
                  {"/bones/0/node", "own node"}},
        Malformed{"UnknownSwitch", OneNode(kMeshOfThree, R"([{"type": "Tessarin", "switches": {"use_magic": true}}])"),
                  {"/switches/use_magic", "unknown switch"}},
        Malformed{"CodesOfWrongLength",
                  R"({"nodes": [{"name": "B"}, {"name": "Arm", "object": )" + kMeshOfThree +
                      R"(, "modifiers": [{"type": "Tessarin", "bones": [{"node": "B", "codes": [128, 128]}]}]}]})",
                  {"/bones/0/codes", "has 2 values, the mesh 3 vertices"}},
        Malformed{"ForcedVertexOutOfRange",
                  R"({"nodes": [{"name": "B"}, {"name": "Arm", "object": )" + kMeshOfThree +
                      R"(, "modifiers": [{"type": "Tessarin", "bones": [{"node": "B", "forced": {"7": 50}}]}]}]})",
                  {"/bones/0/forced/7", "not a vertex index"}},
        Malformed{"SkinWithoutMesh", R"({"nodes": [{"name": "Arm", "object": {"type": "point"},
                   "modifiers": [{"type": "Tessarin"}]}]})",
                  {"/nodes/0/modifiers/0", "needs a mesh object"}},
        Malformed{"ModifiersWithoutObject", R"({"nodes": [{"name": "Arm", "modifiers": [{"type": "Tessarin"}]}]})",
                  {"/nodes/0/modifiers", "need an object"}},
        Malformed{"BadColour", R"({"nodes": [{"name": "Arm", "wireColor": "red"}]})", {"/nodes/0/wireColor", "#RRGGBB"}},
        Malformed{"ZeroRotationAxis", R"({"nodes": [{"name": "Arm", "rotation": {"axis": [0, 0, 0], "angle": 9}}]})",
                  {"/nodes/0/rotation/axis", "must not be zero"}},
        Malformed{"KeyTwice",
                  R"({"nodes": [{"name": "Arm", "keys": [{"frame": 2, "position": [0,0,0]}, {"frame": 2, "position": [1,0,0]}]}]})",
                  {"/nodes/0/keys/1/frame", "keys the position twice"}},
        Malformed{"MissingObjFile", OneNode(R"({"type": "mesh", "file": "nowhere.obj"})"),
                  {"/nodes/0/object/file", "cannot open the OBJ file", "nowhere.obj"}}),
    [](const ::testing::TestParamInfo<Malformed>& info) { return info.param.name; });

TEST(SceneReader, ObjErrorNamesTheObjFileAndLine) {
  TempDir dir;
  dir.Write("limb.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\n");
  SceneDescription scene;
  SceneError error;
  ASSERT_FALSE(ReadSceneText(OneNode(R"({"type": "mesh", "file": "limb.obj"})"), "scene.json", dir.Path(), scene, error));
  EXPECT_EQ(error.file, (dir.Path() / "limb.obj").string());
  EXPECT_EQ(error.place, "line 4");
  EXPECT_NE(error.what.find("\"9\""), std::string::npos) << error.what;
}

TEST(SceneReader, ReadsNodesTransformsKeysAndObjects) {
  TempDir dir;
  dir.Write("tri.obj", "# a triangle\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/1 2/1 -1/1\n");
  const std::string text = R"({
    // comments are allowed
    "frameRate": 24, "time": 3, "frames": [2, 9],
    "nodes": [
      {"name": "Child", "parent": "Root", "position": [1, 2, 3], "scale": 2,
       "rotation": {"axis": [0, 0, 1], "angle": 90},
       "keys": [{"frame": 8, "position": [0, 0, 8]}, {"frame": 0, "rotation": [0, 0, 45], "scale": [1, 2, 3]}],
       "objectOffset": {"position": [0, 0, 1]}, "wireColor": "#102030",
       "object": {"type": "mesh", "file": "tri.obj", "as": "poly"}},
      {"name": "Root", "object": {"type": "spline", "curves": [{"knots": [[0,0,0],[0,0,10]], "smooth": false}]}}
    ]})";
  SceneDescription scene;
  SceneError error;
  ASSERT_TRUE(ReadSceneText(text, "scene.json", dir.Path(), scene, error)) << error.Text();
  EXPECT_EQ(scene.frameRate, 24);
  EXPECT_EQ(scene.time, 3.0);
  EXPECT_EQ(scene.frames, std::make_pair(2, 9));
  ASSERT_EQ(scene.nodes.size(), 2u);
  const NodeSpec& child = scene.nodes[0];
  EXPECT_EQ(child.parent, "Root");
  EXPECT_TRUE(ExpectPoint3Near(child.scale, Point3(2, 2, 2), 0.0f));
  EXPECT_TRUE(ExpectQuatNear(child.rotation, QFromAngAxis(std::numbers::pi_v<float> / 2, Point3(0, 0, 1)), 1e-6f));
  ASSERT_EQ(child.keys.size(), 2u);
  EXPECT_EQ(child.keys[0].frame, 0.0) << "keys come out in frame order";
  EXPECT_FALSE(child.keys[0].position.has_value());
  EXPECT_TRUE(child.keys[1].position.has_value());
  ASSERT_TRUE(child.offset.has_value());
  EXPECT_EQ(child.wireColor, 0x00302010u) << "the host keeps red in the low byte";
  ASSERT_TRUE(child.object);
  EXPECT_EQ(child.object->VertexCount(), 3);
  EXPECT_FALSE(scene.nodes[1].object->VertexCount().has_value()) << "a spline is not a mesh";
}

TEST(SceneReader, EulerRotationTurnsAboutXThenYThenZ) {
  const std::string text = R"({"nodes": [{"name": "A", "rotation": [90, 0, 90]}]})";
  SceneDescription scene;
  SceneError error;
  ASSERT_TRUE(ReadSceneText(text, "scene.json", ".", scene, error)) << error.Text();
  Matrix3 m;
  scene.nodes[0].rotation.MakeMatrix(m);
  // y → z by the x turn, then z stays under the z turn.
  EXPECT_TRUE(ExpectPoint3Near(Point3(0, 1, 0) * m, Point3(0, 0, 1), 1e-6f));
  // x stays under the x turn, then → y by the z turn.
  EXPECT_TRUE(ExpectPoint3Near(Point3(1, 0, 0) * m, Point3(0, 1, 0), 1e-6f));
}

}  // namespace
