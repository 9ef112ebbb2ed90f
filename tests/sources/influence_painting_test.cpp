// Influence painting: the dab arithmetic, starting and stopping painting on the skins that use a
// source, strokes through the headless painter, and one undo step per stroke.

#include <gtest/gtest.h>

#include "host/headless/mesh_painter.h"
#include "host/sdk/hold.h"
#include "push_out_fixture.h"
#include "sources/fx_ob_painter.h"
#include "sources/influence_table_painting.h"

namespace {

struct DabCase {
  const char* name;
  std::vector<float> before;
  float brush;
  bool shift, alt;
  std::vector<float> after;
};

class DabTest : public ::testing::TestWithParam<DabCase> {};

TEST_P(DabTest, ChangesBrushedValues) {
  const DabCase& c = GetParam();
  std::vector<float> s = c.before;
  std::vector<float> brush(s.size(), c.brush);
  brush.push_back(0.0f);
  s.push_back(0.5f);  // outside the brush: never changed
  ApplyDab(s, brush.data(), c.shift, c.alt);
  ASSERT_EQ(s.size(), c.after.size() + 1);
  for (std::size_t k = 0; k < c.after.size(); ++k) EXPECT_NEAR(s[k], c.after[k], 1e-6f) << k;
  EXPECT_EQ(s.back(), 0.5f);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DabTest,
    ::testing::Values(DabCase{"PlainClampsAtOne", {1.0f}, 0.05f, false, false, {1.0f}},
                      DabCase{"PlainAdds", {0.5f}, 0.05f, false, false, {0.55f}},
                      DabCase{"AltSubtracts", {1.0f}, 0.05f, false, true, {0.95f}},
                      DabCase{"AltClampsAtZero", {0.02f}, 0.05f, false, true, {0.0f}},
                      DabCase{"ShiftTowardAverage", {0.2f, 0.4f, 0.9f}, 0.1f, true, false, {0.275f, 0.425f, 0.8f}},
                      DabCase{"ShiftOvershoots", {0.2f, 0.4f, 0.9f}, 1.0f, true, false, {0.95f, 0.65f, 0.0f}},
                      DabCase{"ShiftOnEqualValuesChangesNothing", {0.3f, 0.3f}, 0.1f, true, false, {0.3f, 0.3f}}),
    [](const ::testing::TestParamInfo<DabCase>& info) { return info.param.name; });

class InfluencePaintingTest : public PushOutTest {
protected:
  void SetUp() override {
    PushOutTest::SetUp();
    ThePainter().Reset();
    theHold.Clear();
    InstallInfluencePainting();
    GetPaintButtonControl().setPressed = [](HWND, int, bool pressed) { buttonPressed = pressed; };
    buttonPressed = false;
  }
  void TearDown() override {
    theHold.Clear();
    PushOutTest::TearDown();
    ThePainter().Reset();
    GetPaintButtonControl().setPressed = nullptr;
  }

  // A skin modifier on a node whose mesh has the given points; the node in node.
  Tessarin* SkinAt(const wchar_t* name, std::vector<Point3> points, INode** node = nullptr) {
    TriObject* tri = CreateNewTriObject();
    tri->mesh.verts = points;
    IDerivedObject* stack = CreateDerivedObject(tri);
    auto* skin = new Tessarin();
    skin->table.vertexCount = int(points.size());
    stack->AddModifier(skin);
    SceneNode* n = host().CreateNode(name, stack);
    if (node) *node = n;
    return skin;
  }

  static void PressPaint(Orbicle* ob) { GetInfluenceTablePainting().toggle(ob, ob->tables, HWND(1), 7); }

  static inline bool buttonPressed = false;
};

TEST_F(InfluencePaintingTest, PaintTwiceStartsAndStopsAndRestoresTheDisplay) {
  INode* node = nullptr;
  Tessarin* skin = SkinAt(L"Skin", {{0, 0, 0}, {1, 0, 0}}, &node);
  node->SetCVertMode(FALSE);
  node->SetShadeCVerts(FALSE);
  node->SetVertexColorType(2);
  node->SetVertexColorMapChannel(3);
  SceneNode* source = OrbicleNode(L"Orbicle", {1, 1, 1});
  AddSource(skin, source);
  Orbicle* ob = OrbicleOf(source);

  PressPaint(ob);
  EXPECT_TRUE(ThePainter().InPaintMode());
  EXPECT_TRUE(buttonPressed);
  EXPECT_EQ(ThePainter().Nodes(), std::vector<INode*>{node});
  EXPECT_TRUE(ThePainter().Gathering());
  EXPECT_TRUE(node->GetCVertMode());
  EXPECT_TRUE(node->GetShadeCVerts());
  EXPECT_EQ(node->GetVertexColorType(), 0);
  EXPECT_EQ(node->GetVertexColorMapChannel(), 0);
  EXPECT_TRUE(skin->settings.paintingColors);
  EXPECT_EQ(ob->tables[skin->instanceStamp], std::vector<float>(2, 1.0f));  // made to be shown

  PressPaint(ob);
  EXPECT_FALSE(ThePainter().InPaintMode());
  EXPECT_FALSE(buttonPressed);
  EXPECT_FALSE(node->GetCVertMode());
  EXPECT_FALSE(node->GetShadeCVerts());
  EXPECT_EQ(node->GetVertexColorType(), 2);
  EXPECT_EQ(node->GetVertexColorMapChannel(), 3);
  EXPECT_FALSE(skin->settings.paintingColors);
  EXPECT_FALSE(PainterOfSource(ob)->Painting());
}

TEST_F(InfluencePaintingTest, BrushLimitsAndOptions) {
  Orbicle* ob = OrbicleOf(OrbicleNode(L"Orbicle", {1, 1, 1}));
  GetInfluenceTablePainting().showOptions(ob);
  EXPECT_EQ(ThePainter().OptionRequests(), 1);
  EXPECT_EQ(ThePainter().MinStr(), 0.0f);
  EXPECT_EQ(ThePainter().MaxStr(), 0.1f);
  EXPECT_EQ(ThePainter().MinSize(), 0.0f);
  EXPECT_EQ(ThePainter().MaxSize(), 5.0f);
  EXPECT_FALSE(ThePainter().PressureEnabled());
}

TEST_F(InfluencePaintingTest, StrokesChangeTheTableAndEachIsOneUndoStep) {
  INode* node = nullptr;
  Tessarin* skin = SkinAt(L"Skin", {{0, 0, 0}, {10, 0, 0}, {20, 0, 0}}, &node);
  SceneNode* source = OrbicleNode(L"Orbicle", {1, 1, 1});
  AddSource(skin, source);
  Orbicle* ob = OrbicleOf(source);
  ChangeRecorder recorder(skin);
  PressPaint(ob);

  // At its centre the brush value is the strength (held to at most 0.1).
  PaintSample alt{{10, 0, 0}, 1.0f, 0.05f, 1.0f, false, false, true};
  ASSERT_TRUE(ThePainter().Stroke({alt}));
  const std::vector<float> afterFirst = {1.0f, 0.95f, 1.0f};
  EXPECT_EQ(ob->tables[skin->instanceStamp], afterFirst);
  EXPECT_EQ(recorder.lastPart, PART_GEOM);
  EXPECT_EQ(theHold.UndoCount(), 1);
  EXPECT_EQ(theHold.UndoLabel(), L"Tessarin Fluxel/Orbicle Influence Paint");

  PaintSample strong{{0, 0, 0}, 1.0f, 0.5f, 1.0f, false, false, true};
  ASSERT_TRUE(ThePainter().Stroke({strong, alt}));
  EXPECT_NEAR(ob->tables[skin->instanceStamp][0], 0.9f, 1e-6f);
  EXPECT_NEAR(ob->tables[skin->instanceStamp][1], 0.9f, 1e-6f);
  EXPECT_EQ(theHold.UndoCount(), 2);

  ASSERT_TRUE(theHold.Undo());
  EXPECT_EQ(ob->tables[skin->instanceStamp], afterFirst);
  ASSERT_TRUE(theHold.Undo());
  EXPECT_EQ(ob->tables[skin->instanceStamp], std::vector<float>(3, 1.0f));
  ASSERT_TRUE(theHold.Redo());
  EXPECT_EQ(ob->tables[skin->instanceStamp], afterFirst);
}

TEST_F(InfluencePaintingTest, UndoRestoresEveryTableOfTheSource) {
  INode* node = nullptr;
  Tessarin* skin = SkinAt(L"Skin", {{0, 0, 0}, {10, 0, 0}}, &node);
  Tessarin* other = SkinOnNode(L"Other", 4);
  SceneNode* source = OrbicleNode(L"Orbicle", {1, 1, 1});
  AddSource(skin, source);
  Orbicle* ob = OrbicleOf(source);
  ob->tables[skin->instanceStamp] = {0.5f, 0.5f, 0.5f};  // of an old vertex count
  ob->tables[other->instanceStamp] = {0.25f, 0.25f, 0.25f, 0.25f};
  const InfluenceTables before = ob->tables;
  PressPaint(ob);  // showing the table resets it to the skin's count
  theHold.Clear();
  const InfluenceTables atStroke = ob->tables;

  ASSERT_TRUE(ThePainter().Stroke({PaintSample{{0, 0, 0}, 1.0f, 0.05f, 1.0f, false, false, true}}));
  EXPECT_NE(ob->tables, atStroke);
  ob->tables[other->instanceStamp] = {};  // a change between the stroke's copies is undone too
  ASSERT_TRUE(theHold.Undo());
  EXPECT_EQ(ob->tables, atStroke);
  EXPECT_NE(before, atStroke);
}

TEST_F(InfluencePaintingTest, DestroyedSourceStopsPaintingAndItsUndoStepDoesNothing) {
  INode* node = nullptr;
  Tessarin* skin = SkinAt(L"Skin", {{0, 0, 0}}, &node);
  SceneNode* source = OrbicleNode(L"Orbicle", {1, 1, 1});
  AddSource(skin, source);
  PressPaint(OrbicleOf(source));
  ASSERT_TRUE(ThePainter().Stroke({PaintSample{{0, 0, 0}, 1.0f, 0.05f, 1.0f, false, false, true}}));
  host().DeleteNode(source);
  EXPECT_FALSE(ThePainter().InPaintMode());
  EXPECT_TRUE(ExpectPoint3Near({float(node->GetCVertMode()), 0, 0}, {0, 0, 0}, 0));
  EXPECT_TRUE(theHold.Undo());  // nothing left to restore; no crash
}

}  // namespace
