// Weight colours: the gradients, the colours of the selected bones' weights or of blendMix, and
// writing them into the vertex-colour maps of the three mesh kinds.

#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "deformer/weight_colors.h"
#include "hand_built_skin.h"
#include "module/registry/skin_editor.h"
#include "host/sdk/object_wrapper.h"
#include "support/tolerance.h"

namespace {

const SkinSettings kDefaults;
const std::array<std::uint32_t, 6>& kWeightGradient = kDefaults.weightGradient;
const std::array<std::uint32_t, 6>& kMixGradient = kDefaults.mixGradient;
constexpr std::uint32_t kWhite = 0x00FFFFFF;

TEST(GradientColor, MapsNumbersOntoTheTable) {
  struct Case {
    const char* name;
    float v;
    const std::array<std::uint32_t, 6>& table;
    std::uint32_t colour;
  };
  const Case cases[] = {
      {"excluded", -1.0f, kWeightGradient, kWhite},
      {"just below the no-influence limit", -0.5001f, kWeightGradient, kWhite},
      {"the no-influence limit is a weight of nothing", -0.5f, kWeightGradient, 0x00FF0000},
      {"zero", 0.0f, kWeightGradient, 0x00FF0000},
      {"a quarter is the second colour", 0.25f, kWeightGradient, 0x00FFFF00},
      {"0.26 is still the second colour", 0.26f, kWeightGradient, 0x00FFFF00},
      // 17/64: (15 × cyan + green) / 16 per byte; blue (15 × 255) / 16 = 239.
      {"one step past a quarter", 17.0f / 64.0f, kWeightGradient, 0x00EFFF00},
      // 0.3: step 19, (13 × cyan + 3 × green) / 16; blue 13 × 255 / 16 = 207.
      {"0.3", 0.3f, kWeightGradient, 0x00CFFF00},
      {"a half is the third colour", 0.5f, kWeightGradient, 0x0000FF00},
      // 0.999: step 63, (yellow + 15 × orange) / 16; green (255 + 15 × 128) / 16 = 135.
      {"just below full weight", 0.999f, kWeightGradient, 0x000087FF},
      {"full weight has its own colour", 1.0f, kWeightGradient, 0x000000FF},
      {"above full weight", 1.5f, kWeightGradient, 0x000000FF},
      {"not a number", std::numeric_limits<float>::quiet_NaN(), kWeightGradient, kWhite},
      {"full dual-quaternion share", 1.0f, kMixGradient, 0x00CDCDCD},
      {"half share", 0.5f, kMixGradient, 0x00525252},
      // 0.1: step 6, (10 × 0x00 + 6 × 0x29) / 16 = 15 per channel.
      {"a tenth share", 0.1f, kMixGradient, 0x000F0F0F},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(GradientColor(c.v, c.table, kWhite), c.colour);
  }
  EXPECT_EQ(GradientColor(-2.0f, kWeightGradient, 0x00123456), 0x00123456u);
}

class WeightColorsTest : public HandBuiltSkinTest {
protected:
  std::vector<std::uint32_t>& Colours() { return skin().cache.vertexColors; }
};

TEST_F(WeightColorsTest, SelectedBonesShowTheirStrongestWeight) {
  Build(3, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}});
  Bone(0).flags = kBoneSelectedFlag;
  Bone(2).flags = kBoneSelectedFlag | 1u;  // set membership bits do not matter
  const float rows[5][3] = {
      {0.2f, 0.5f, 0.3f},   // bone 1 is strongest but not selected: bone 2's 0.3
      {0.4f, 0.2f, 0.4f},   // a tie: the first selected bone, excluded here
      {0.0f, 1.0f, 0.0f},   // the selected bones hold nothing
      {1.0f, 0.0f, 0.0f},   // full weight
      {0.25f, 0.0f, 0.5f},  // the strongest selected bone is excluded
  };
  for (int v = 0; v < 5; ++v)
    for (int b = 0; b < 3; ++b) Weight(v, b) = rows[v][b];
  Bone(0).SetIncluded(1, false);
  Bone(2).SetIncluded(4, false);

  ComputeVertexColors(skin());
  EXPECT_EQ(Colours(), (std::vector<std::uint32_t>{0x00CFFF00, kWhite, 0x00FF0000, 0x000000FF, kWhite}));
}

TEST_F(WeightColorsTest, WithoutSelectionTheBlendShareIsShown) {
  Build(2, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
  skin().table.blendMix = {1.0f, 0.5f, 0.0f};
  ComputeVertexColors(skin());
  EXPECT_EQ(Colours(), (std::vector<std::uint32_t>{0x00CDCDCD, 0x00525252, 0x00000000}));
}

TEST_F(WeightColorsTest, ANewBlendMixIsShownAtOnce) {
  Build(2, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
  ComputeVertexColors(skin());
  ASSERT_EQ(Colours(), (std::vector<std::uint32_t>(3, 0x00CDCDCD)));
  auto* editor = static_cast<ISkinEditor*>(skin().GetInterface(SKIN_EDITOR_INTERFACE_ID));
  ASSERT_NE(editor, nullptr);
  EXPECT_FALSE(editor->SetBlendMix({0.5f}));  // not one share per vertex: refused
  EXPECT_EQ(Colours(), (std::vector<std::uint32_t>(3, 0x00CDCDCD)));
  ASSERT_TRUE(editor->SetBlendMix({0.5f, 0.1f, 0.0f}));
  EXPECT_EQ(Colours(), (std::vector<std::uint32_t>{0x00525252, 0x000F0F0F, 0x00000000}));
}

TEST_F(WeightColorsTest, NothingIsComputedWithoutWeights) {
  Build(2, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
  Colours().assign(3, 0x00ABCDEF);
  skin().cache.weights.clear();
  ComputeVertexColors(skin());
  EXPECT_EQ(Colours(), (std::vector<std::uint32_t>(3, 0x00ABCDEF)));

  const std::uint32_t painted[3] = {1, 2, 3};
  SetVertexColors(skin(), painted);
  EXPECT_EQ(Colours(), (std::vector<std::uint32_t>(3, 0x00ABCDEF)));
}

TEST_F(WeightColorsTest, PainterColoursReplaceTheComputedOnes) {
  Build(1, {{0, 0, 0}, {1, 0, 0}});
  const std::uint32_t painted[2] = {0x00010203, 0x00A4A4A4};
  SetVertexColors(skin(), painted);
  EXPECT_EQ(Colours(), (std::vector<std::uint32_t>{0x00010203, 0x00A4A4A4}));
}

// --- Writing into meshes ----------------------------------------------------------------

// Four vertices, two faces (triangles, or a quad and a triangle for polygons and patches).
Object* MakeMesh(int kind) {
  const Point3 points[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  if (kind == ObjectWrapper::triObject) {
    TriObject* tri = CreateNewTriObject();
    tri->mesh.verts.assign(points, points + 4);
    tri->mesh.faces.resize(2);
    tri->mesh.faces[0].setVerts(0, 1, 2);
    tri->mesh.faces[1].setVerts(0, 2, 3);
    return tri;
  }
  if (kind == ObjectWrapper::polyObject) {
    PolyObject* poly = CreateEditablePolyObject();
    poly->mm.setNumVerts(4);
    for (int i = 0; i < 4; ++i) poly->mm.P(i) = points[i];
    poly->mm.f.resize(2);
    poly->mm.f[0].vtx = {0, 1, 2, 3};
    poly->mm.f[1].vtx = {3, 2, 0};
    return poly;
  }
  PatchObject* patch = CreatePatchObject();
  patch->patch.setNumVerts(4);
  for (int i = 0; i < 4; ++i) patch->patch.setVert(i, points[i]);
  patch->patch.patches.resize(2);
  patch->patch.patches[0].type = 4;
  patch->patch.patches[1].type = 3;
  for (int i = 0; i < 4; ++i) patch->patch.patches[0].v[i] = i;
  patch->patch.patches[1].v[0] = 0, patch->patch.patches[1].v[1] = 2, patch->patch.patches[1].v[2] = 3;
  return patch;
}

// The colours of map channel 0, one per vertex, whatever the mesh kind.
std::vector<VertColor> MapColours(ObjectWrapper& w) {
  if (Mesh* m = w.GetTriMesh()) return m->vertCol;
  if (MNMesh* m = w.GetPolyMesh()) return m->vertexColors.v;
  return w.GetPatchMesh()->vertexColors;
}

TEST_F(WeightColorsTest, ColoursAreWrittenIntoEveryMeshKind) {
  Build(1, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
  Colours() = {0x000000FF, 0x0000FF00, 0x00FF0000, 0x00804020};
  const std::vector<VertColor> expected = {
      {0.9996f, 0, 0}, {0, 0.9996f, 0}, {0, 0, 0.9996f}, {0x20 * 0.00392f, 0x40 * 0.00392f, 0x80 * 0.00392f}};

  for (int kind : {ObjectWrapper::triObject, ObjectWrapper::polyObject, ObjectWrapper::patchObject}) {
    SCOPED_TRACE(kind);
    Object* obj = MakeMesh(kind);
    host().CreateNode(L"mesh", obj);  // the scene owns the object
    ObjectState os(obj);
    ObjectWrapper w;
    ASSERT_TRUE(w.Init(0, os));
    ASSERT_EQ(w.Type(), kind);
    ASSERT_TRUE(WriteVertexColors(skin(), w));

    const std::vector<VertColor> colours = MapColours(w);
    ASSERT_EQ(colours.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(ExpectPoint3Near(colours[i], expected[i], 1e-6f)) << "vertex " << i;
    // The map's faces follow the geometry's.
    if (Mesh* m = w.GetTriMesh()) {
      ASSERT_EQ(m->vcFace.size(), 2u);
      for (int f = 0; f < 2; ++f)
        for (int k = 0; k < 3; ++k) EXPECT_EQ(m->vcFace[f].t[k], m->faces[f].v[k]);
    }
    if (MNMesh* m = w.GetPolyMesh()) {
      EXPECT_TRUE(m->hasVertexColors);
      ASSERT_EQ(m->vertexColors.f.size(), 2u);
      for (int f = 0; f < 2; ++f) EXPECT_EQ(m->vertexColors.f[f], m->f[f].vtx);
    }
    if (PatchMesh* m = w.GetPatchMesh()) {
      EXPECT_TRUE(m->hasVertexColors);
    }
  }
}

TEST_F(WeightColorsTest, NothingIsWrittenWithoutColours) {
  Build(1, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
  Colours().clear();
  Object* obj = MakeMesh(ObjectWrapper::triObject);
  host().CreateNode(L"mesh", obj);
  ObjectState os(obj);
  ObjectWrapper w;
  ASSERT_TRUE(w.Init(0, os));
  EXPECT_FALSE(WriteVertexColors(skin(), w));
  EXPECT_TRUE(w.GetTriMesh()->vertCol.empty());

  ObjectWrapper nothing;
  Colours() = {1, 2, 3, 4};
  EXPECT_FALSE(WriteVertexColors(skin(), nothing));
}

TEST_F(WeightColorsTest, VerticesPastTheColoursShowNoInfluence) {
  Build(1, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
  Colours() = {0x000000FF, 0x000000FF};
  skin().settings.noInfluenceColor = 0x00FF0000;
  Object* obj = MakeMesh(ObjectWrapper::polyObject);
  host().CreateNode(L"mesh", obj);
  ObjectState os(obj);
  ObjectWrapper w;
  ASSERT_TRUE(w.Init(0, os));
  ASSERT_TRUE(WriteVertexColors(skin(), w));
  const std::vector<VertColor> colours = MapColours(w);
  ASSERT_EQ(colours.size(), 4u);
  EXPECT_TRUE(ExpectPoint3Near(colours[1], VertColor(0.9996f, 0, 0), 1e-6f));
  EXPECT_TRUE(ExpectPoint3Near(colours[3], VertColor(0, 0, 0.9996f), 1e-6f));
}

}  // namespace
