// Mesh files: OBJ frames written and read back, and the binary glTF file loaded back by
// tinygltf with its vertices, morph targets and animation.

#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include "cli/scene/glb_file.h"
#include "cli/scene/obj_file.h"
#include "cli/scene/scene_error.h"
#include "cli_support.h"
#include "support/tolerance.h"

namespace {

using cli_test::TempDir;

std::vector<std::vector<int>> FacesOf(const PolyMesh& m) {
  std::vector<std::vector<int>> out;
  for (int f = 0; f < m.FaceCount(); ++f) out.emplace_back(m.Face(f).begin(), m.Face(f).end());
  return out;
}

MeshSnapshot Quad() {
  MeshSnapshot m;
  m.positions = {Point3(0, 0, 0), Point3(1, 0, 0), Point3(1, 1, 0), Point3(0, 1, 0)};
  m.AddFace(std::vector<int>{0, 1, 2, 3});
  return m;
}

TEST(ObjFile, WritesAndReadsBackPositionsFacesAndColours) {
  TempDir dir;
  MeshSnapshot m = Quad();
  m.colors = {Point3(1, 0, 0), Point3(0, 1, 0), Point3(0, 0, 1), Point3(1, 1, 1)};
  std::string error;
  ASSERT_TRUE(WriteObjFile(dir.Path() / "q.obj", m, &error)) << error;
  const std::string text = cli_test::ReadText(dir.Path() / "q.obj");
  EXPECT_NE(text.find("v 1 0 0 0 1 0\n"), std::string::npos) << "colour after the position:\n" << text;
  PolyMesh back = ReadObjFile(dir.Path() / "q.obj");
  ASSERT_EQ(back.VertexCount(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(ExpectPoint3Near(back.vertices[i], m.positions[i], 0.0f));
  EXPECT_EQ(FacesOf(back), (std::vector<std::vector<int>>{{0, 1, 2, 3}}));
}

TEST(ObjFile, ReadsCornerFormsAndRelativeIndices) {
  TempDir dir;
  dir.Write("f.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvn 0 0 1\nf 1/1/1 2//1 -2 -1/3\ng part\nf 1 2 3\n");
  PolyMesh m = ReadObjFile(dir.Path() / "f.obj");
  EXPECT_EQ(FacesOf(m), (std::vector<std::vector<int>>{{0, 1, 2, 3}, {0, 1, 2}}));
}

TEST(ObjFile, RefusesFacesOfTooFewCorners) {
  TempDir dir;
  dir.Write("bad.obj", "v 0 0 0\nv 1 0 0\nf 1 2\n");
  try {
    ReadObjFile(dir.Path() / "bad.obj");
    FAIL() << "no error";
  } catch (const SceneParseError& e) {
    EXPECT_EQ(e.Error().place, "line 3");
  }
}

// Every refusal names the file and, for a bad record, its line.
struct BadObjCase {
  const char* name;
  const char* text;
  const char* place;
  const char* says;
};

const BadObjCase kBadObjs[] = {
    {"ShortVertex", "v 0 0 0\nv 1 0\nv 1 1 0\nf 1 2 3\n", "line 2", "three numbers"},
    {"TwoCornerFace", "v 0 0 0\nv 1 0 0\nv 1 1 0\n# a comment\nf 1 2\n", "line 5", "three corners"},
    {"CornerPastTheVertices", "v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 3\ng second\nf 1 2 9\n", "line 6", "names no vertex"},
    {"RelativeCornerBeforeTheFirst", "v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 3\nf -1 -2 -4\n", "line 5", "names no vertex"},
    {"NoVertices", "# nothing\n", "", "no vertices"},
    {"ZeroCorner", "v 0 0 0\nv 1 0 0\nv 1 1 0\nf 0 1 2\n", "line 4", "\"0\" has an index of 0"},
    {"ZeroTexCoord", "v 0 0 0\nv 1 0 0\nv 1 1 0\nvt 0 0\nf 1/1 2/0 3/1\n", "line 5", "\"2/0\" has an index of 0"},
    {"ZeroNormal", "v 0 0 0\nv 1 0 0\nv 1 1 0\nvn 0 0 1\nf 1//1 2//1 3//0\n", "line 5", "\"3//0\" has an index of 0"},
    {"ZeroInALine", "v 0 0 0\nv 1 0 0\nl 1 0\n", "line 3", "of an \"l\" record has an index of 0"},
};

class BadObj : public ::testing::TestWithParam<BadObjCase> {};

TEST_P(BadObj, IsRefusedWithFileAndLine) {
  const BadObjCase& c = GetParam();
  TempDir dir;
  dir.Write("bad.obj", c.text);
  try {
    ReadObjFile(dir.Path() / "bad.obj");
    FAIL() << "no error";
  } catch (const SceneParseError& e) {
    EXPECT_EQ(e.Error().place, c.place);
    EXPECT_NE(e.Error().Text().find((dir.Path() / "bad.obj").string()), std::string::npos) << e.Error().Text();
    EXPECT_NE(e.Error().Text().find(c.says), std::string::npos) << e.Error().Text();
  }
}

INSTANTIATE_TEST_SUITE_P(ObjFile, BadObj, ::testing::ValuesIn(kBadObjs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ObjFile, TexCoordsOfEachVertexsFirstCornerAndTheFirstMaterial) {
  TempDir dir;
  dir.Write("m.mtl", "newmtl Skin\nKd 0.8 0.5 0.25\nd 1\n");
  dir.Write("q.obj",
            "mtllib m.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvt 0.5 0.5\n"
            "usemtl Skin\nf 1/1 2/2 3/3\nf 1/5 3/5 4/4\n");
  ObjMesh m = ReadObjMesh(dir.Path() / "q.obj");
  ASSERT_EQ(m.mesh.VertexCount(), 4);
  ASSERT_EQ(m.surface.uvs.size(), 4u);
  const std::array<std::array<float, 2>, 4> want = {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}};
  for (int v = 0; v < 4; ++v) EXPECT_EQ(m.surface.uvs[v], want[v]) << "vertex " << v;
  ASSERT_TRUE(m.surface.material);
  EXPECT_EQ(m.surface.material->name, "Skin");
  EXPECT_FLOAT_EQ(m.surface.material->baseColor[1], 0.5f);
  EXPECT_EQ(FacesOf(m.mesh), (std::vector<std::vector<int>>{{0, 1, 2}, {0, 2, 3}}));
}

// Files read as they are meant: corners naming vertices given later, texture coordinates counted
// back, and the first face's material however the records around it are laid out.
struct GoodObjCase {
  const char* name;
  const char* text;
  const char* mtl;  // written as m.mtl beside the file; null for none
  std::vector<std::vector<int>> faces;
  std::vector<std::array<float, 2>> uvs;  // empty when the mesh should carry none
  const char* material;                   // "" when it should have none
};

const GoodObjCase kGoodObjs[] = {
    {"CornersBeforeTheirVertices", "f 1 2 3\nv 0 0 0\nv 1 0 0\nv 0 1 0\n", nullptr, {{0, 1, 2}}, {}, ""},
    {"TexCoordsCountedBack", "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nf 1/-3 2/-2 3/-1\n",
     nullptr, {{0, 1, 2}}, {{0, 0}, {1, 0}, {1, 1}, {0, 0}}, ""},
    {"MaterialOfALaterFace", "mtllib m.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nusemtl Skin\nf 3 2 1\n",
     "newmtl Skin\nKd 1 0 0\n", {{0, 1, 2}, {2, 1, 0}}, {}, "Skin"},
    {"MaterialNameBeforeSpaces", "mtllib m.mtl\nusemtl Skin  \nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n",
     "newmtl Skin\nKd 1 0 0\n", {{0, 1, 2}}, {}, "Skin"},
    {"UnknownMaterial", "mtllib m.mtl\nusemtl Bone\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "newmtl Skin\n",
     {{0, 1, 2}}, {}, ""},
};

class GoodObj : public ::testing::TestWithParam<GoodObjCase> {};

TEST_P(GoodObj, IsReadAsWritten) {
  const GoodObjCase& c = GetParam();
  TempDir dir;
  if (c.mtl) dir.Write("m.mtl", c.mtl);
  dir.Write("g.obj", c.text);
  const ObjMesh m = ReadObjMesh(dir.Path() / "g.obj");
  EXPECT_EQ(FacesOf(m.mesh), c.faces);
  EXPECT_EQ(m.surface.uvs, c.uvs);
  EXPECT_EQ(m.surface.material ? m.surface.material->name : std::string(), c.material);
}

INSTANTIATE_TEST_SUITE_P(ObjFile, GoodObj, ::testing::ValuesIn(kGoodObjs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GlbFile, LoadsBackWithVerticesTargetsAndAnimation) {
  TempDir dir;
  GlbMeshTrack track;
  track.name = "Quad";
  track.triangles = SnapshotTriangles(Quad());
  track.frames = {Quad().positions, Quad().positions, Quad().positions};
  track.frames[2][2] = Point3(1, 1, 5);  // host z-up: vertex 2 rises by 5 at the last frame
  std::string error;
  const auto file = dir.Path() / "q.glb";
  ASSERT_TRUE(WriteGlbFile(file, {track}, 24.0, GlbInterpolation::Step, "test", &error)) << error;

  tinygltf::Model model;
  tinygltf::TinyGLTF loader;
  std::string err, warn;
  ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &err, &warn, file.string())) << err;
  ASSERT_EQ(model.meshes.size(), 1u);
  const tinygltf::Primitive& prim = model.meshes[0].primitives[0];
  EXPECT_EQ(model.accessors[prim.attributes.at("POSITION")].count, 4u);
  EXPECT_EQ(model.accessors[prim.indices].count, 6u) << "a quad is two triangles";
  ASSERT_EQ(prim.targets.size(), 3u) << "one morph target per frame";
  ASSERT_EQ(model.animations.size(), 1u);
  const tinygltf::AnimationSampler& sampler = model.animations[0].samplers[0];
  EXPECT_EQ(sampler.interpolation, "STEP");
  const tinygltf::Accessor& times = model.accessors[sampler.input];
  EXPECT_EQ(times.count, 3u);
  EXPECT_FLOAT_EQ(float(times.maxValues[0]), 2.0f / 24.0f);
  EXPECT_EQ(model.accessors[sampler.output].count, 9u) << "frames × targets weights";
  EXPECT_EQ(model.animations[0].channels[0].target_path, "weights");

  // The last target moves vertex 2 by +5 along glTF's y (the host's z).
  const tinygltf::Accessor& last = model.accessors[prim.targets[2].at("POSITION")];
  const tinygltf::BufferView& view = model.bufferViews[last.bufferView];
  const float* offsets = reinterpret_cast<const float*>(model.buffers[view.buffer].data.data() + view.byteOffset +
                                                        last.byteOffset);
  EXPECT_TRUE(ExpectPoint3Near(Point3(offsets[6], offsets[7], offsets[8]), Point3(0, 5, 0), 0.0f));
  EXPECT_DOUBLE_EQ(last.maxValues[1], 5.0);
}

TEST(GlbFile, RefusesFramesOfDifferentSizes) {
  TempDir dir;
  GlbMeshTrack track;
  track.name = "Quad";
  track.frames = {Quad().positions, {Point3()}};
  std::string error;
  EXPECT_FALSE(WriteGlbFile(dir.Path() / "q.glb", {track}, 30.0, GlbInterpolation::Linear, "test", &error));
  EXPECT_NE(error.find("vertex count"), std::string::npos) << error;
}

}  // namespace
