// Influence painting: the dab arithmetic, starting and stopping painting on the skins that use a
// source, strokes through the headless painter, and one undo step per stroke.

#include <gtest/gtest.h>

#include <map>
#include <memory>

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
    GetPaintButtonControl().setPressed = [](HWND, int control, bool pressed) {
      buttonPressed = pressed;
      buttonsPressed[control] = pressed;
    };
    buttonPressed = false;
    buttonsPressed.clear();
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

  static void PressPaint(Orbicle* ob, int control = 7) {
    GetInfluenceTablePainting().toggle(ob, ob->tables, HWND(1), control);
  }

  static inline bool buttonPressed = false;
  static inline std::map<int, bool> buttonsPressed;  // by the button's control id
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

// A brush on where a vertex is shown now paints it; a brush where it was at time 0 does not.
TEST_F(InfluencePaintingTest, TheBrushMeetsTheMeshWhereItIsAtTheCurrentTime) {
  INode* node = nullptr;
  Tessarin* skin = SkinAt(L"Skin", {{0, 0, 0}, {3, 0, 0}}, &node);
  auto* moving = static_cast<SceneNode*>(node);
  moving->Track().positionKeys[0] = Point3(0, 0, 0);
  moving->Track().positionKeys[1600] = Point3(0, 10, 0);
  SceneNode* source = OrbicleNode(L"Orbicle", {1, 1, 1});
  AddSource(skin, source);
  Orbicle* ob = OrbicleOf(source);
  host().SetTime(1600);
  PressPaint(ob);

  ASSERT_TRUE(ThePainter().Stroke({PaintSample{{0, 0, 0}, 1.0f, 0.05f, 1.0f, false, false, true}}));
  EXPECT_EQ(ob->tables[skin->instanceStamp], std::vector<float>(2, 1.0f)) << "nothing is there now";
  ASSERT_TRUE(ThePainter().Stroke({PaintSample{{3, 10, 0}, 1.0f, 0.05f, 1.0f, false, false, true}}));
  EXPECT_EQ(ob->tables[skin->instanceStamp], (std::vector<float>{1.0f, 0.95f}));
}

// However the stroke ends, each sample dabs with its own brush values; only a stroke that ends
// is an undo step, and a stroke given at its end shows its table once.
TEST_F(InfluencePaintingTest, StrokeEndings) {
  struct Case {
    const char* name;
    StrokeEnd end;
    int undoSteps;
    int colourChanges;  // notifications of the skin's dependents: colours, then geometry, per show
  };
  const Case cases[] = {
      {"plain", StrokeEnd::Plain, 1, 4},
      {"with the samples at its end", StrokeEnd::WithSamples, 1, 2},
      {"cancelled", StrokeEnd::Cancelled, 0, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    theHold.Clear();
    INode* node = nullptr;
    Tessarin* skin = SkinAt(L"Skin", {{0, 0, 0}, {10, 0, 0}, {20, 0, 0}}, &node);
    SceneNode* source = OrbicleNode(L"Orbicle", {1, 1, 1});
    AddSource(skin, source);
    Orbicle* ob = OrbicleOf(source);
    PressPaint(ob);
    auto recorder = std::make_unique<ChangeRecorder>(skin);
    const PaintSample missing{{50, 0, 0}, 1.0f, 0.1f, 1.0f, false, false, true};
    const PaintSample weak{{10, 0, 0}, 1.0f, 0.05f, 1.0f, false, false, true};
    const PaintSample strong{{0, 0, 0}, 1.0f, 0.1f, 1.0f, false, false, true};
    ASSERT_TRUE(ThePainter().Stroke({weak, missing, strong}, c.end));
    const std::vector<float>& table = ob->tables[skin->instanceStamp];
    ASSERT_EQ(table.size(), 3u);
    EXPECT_NEAR(table[0], 0.9f, 1e-6f);
    EXPECT_NEAR(table[1], 0.95f, 1e-6f);
    EXPECT_EQ(table[2], 1.0f);
    EXPECT_EQ(recorder->changes, c.colourChanges);
    recorder.reset();
    EXPECT_EQ(theHold.UndoCount(), c.undoSteps);
    EXPECT_EQ(theHold.Holding(), c.undoSteps == 0) << "a cancelled stroke leaves its hold open";
    if (c.undoSteps > 0) {
      ASSERT_TRUE(theHold.Undo());
      EXPECT_EQ(ob->tables[skin->instanceStamp], std::vector<float>(3, 1.0f));
    }
    PressPaint(ob);
    theHold.Clear();
    host().DeleteNode(source);
    host().DeleteNode(node);
  }
}

TEST_F(InfluencePaintingTest, TheHostEndingPaintModeStopsPainting) {
  INode* node = nullptr;
  Tessarin* skin = SkinAt(L"Skin", {{0, 0, 0}, {1, 0, 0}}, &node);
  node->SetVertexColorType(2);
  SceneNode* source = OrbicleNode(L"Orbicle", {1, 1, 1});
  AddSource(skin, source);
  Orbicle* ob = OrbicleOf(source);
  PressPaint(ob);
  ASSERT_TRUE(PainterOfSource(ob)->Painting());

  ThePainter().SystemEnd();
  EXPECT_FALSE(ThePainter().InPaintMode());
  EXPECT_FALSE(PainterOfSource(ob)->Painting());
  EXPECT_TRUE(PainterOfSource(ob)->paintedSkins.empty());
  EXPECT_FALSE(buttonPressed);
  EXPECT_FALSE(skin->settings.paintingColors);
  EXPECT_EQ(node->GetVertexColorType(), 2);
  EXPECT_FALSE(ThePainter().Stroke({PaintSample{{0, 0, 0}, 1.0f, 0.05f, 1.0f, false, false, true}}));
  EXPECT_EQ(ob->tables[skin->instanceStamp], std::vector<float>(2, 1.0f));
  // Paint starts anew afterwards.
  PressPaint(ob);
  EXPECT_TRUE(ThePainter().InPaintMode());
  EXPECT_TRUE(buttonPressed);
}

// The host painter is shared: Paint of a second source while the first paints ends painting (the
// first source's skins get their display back) instead of starting; pressed again it starts
// with the second source's skins and tables.
TEST_F(InfluencePaintingTest, OnePainterHandedFromOneSourceToAnother) {
  INode* node = nullptr;
  Tessarin* skin = SkinAt(L"Skin", {{0, 0, 0}, {10, 0, 0}}, &node);
  node->SetCVertMode(FALSE);
  node->SetVertexColorType(2);
  node->SetVertexColorMapChannel(3);
  INode* otherNode = nullptr;
  Tessarin* other = SkinAt(L"Other", {{0, 0, 5}}, &otherNode);
  SceneNode* first = OrbicleNode(L"First", {1, 1, 1});
  SceneNode* second = OrbicleNode(L"Second", {1, 1, 1});
  AddSource(skin, first);
  AddSource(skin, second);
  AddSource(other, second);
  Orbicle* a = OrbicleOf(first);
  Orbicle* b = OrbicleOf(second);
  const int kFirstButton = 7, kSecondButton = 8;

  PressPaint(a, kFirstButton);
  ASSERT_TRUE(PainterOfSource(a)->Painting());
  PressPaint(b, kSecondButton);
  EXPECT_FALSE(ThePainter().InPaintMode());
  EXPECT_FALSE(PainterOfSource(a)->Painting());
  EXPECT_FALSE(PainterOfSource(b)->Painting());
  EXPECT_FALSE(buttonsPressed[kFirstButton]);
  EXPECT_FALSE(buttonsPressed[kSecondButton]);
  EXPECT_FALSE(skin->settings.paintingColors);
  EXPECT_FALSE(node->GetCVertMode());
  EXPECT_EQ(node->GetVertexColorType(), 2);

  PressPaint(b, kSecondButton);
  ASSERT_TRUE(ThePainter().InPaintMode());
  EXPECT_TRUE(buttonsPressed[kSecondButton]);
  EXPECT_FALSE(buttonsPressed[kFirstButton]);
  EXPECT_EQ(ThePainter().Canvas(), PainterOfSource(b));
  EXPECT_EQ(ThePainter().Nodes().size(), 2u);
  const InfluenceTables firstTables = a->tables;
  ASSERT_TRUE(ThePainter().Stroke({PaintSample{{10, 0, 0}, 1.0f, 0.05f, 1.0f, false, false, true},
                                   PaintSample{{0, 0, 5}, 1.0f, 0.05f, 1.0f, false, false, true}},
                                  StrokeEnd::WithSamples));
  EXPECT_EQ(b->tables[skin->instanceStamp], (std::vector<float>{1.0f, 0.95f}));
  EXPECT_EQ(b->tables[other->instanceStamp], (std::vector<float>{0.95f}));
  EXPECT_EQ(a->tables, firstTables);

  PressPaint(b, kSecondButton);
  EXPECT_FALSE(ThePainter().InPaintMode());
  EXPECT_FALSE(node->GetCVertMode());
  EXPECT_EQ(node->GetVertexColorType(), 2);
  EXPECT_EQ(node->GetVertexColorMapChannel(), 3);
  EXPECT_FALSE(other->settings.paintingColors);
}

}  // namespace
