// A skin modifier created through the loaded module's descriptor, as a script and the host see
// it: its switches, its published interface and its sub-object answers.

#include <functional>

#include "host/headless/scripting.h"
#include "loaded_module.h"
#include "module/registry/class_ids.h"

namespace {

class SkinObject : public ModuleTest {
protected:
  void SetUp() override {
    ModuleTest::SetUp();
    skin_.reset(CreateThrough(Desc(0)));
    ASSERT_NE(skin_, nullptr);
  }
  void TearDown() override {
    skin_.reset();
    ModuleTest::TearDown();
  }

  BaseObject& Base() { return *static_cast<Modifier*>(skin_.get()); }
  bool Switch(const wchar_t* name) {
    std::optional<PB2Value> v = ScriptGetParameter(skin_.get(), name);
    EXPECT_TRUE(v.has_value()) << name;
    return v && v->i != 0;
  }

  ObjectPtr skin_;
};

TEST_F(SkinObject, NewModifierHasStackAndLinkedOnAndTheRestOff) {
  const std::pair<const wchar_t*, bool> expected[] = {
      {L"use_inertia", false}, {L"use_oscillation", false}, {L"use_stack", true},   {L"use_orbicles", false},
      {L"use_fluxels", false}, {L"use_dual_quaternion", false}, {L"use_linked", true},
  };
  for (const auto& [name, on] : expected) EXPECT_EQ(Switch(name), on) << std::wstring(name);
}

TEST_F(SkinObject, ScriptWritesToItsUnvalidatedSwitchesAreStored) {
  EXPECT_TRUE(ScriptSetParameter(skin_.get(), L"use_fluxels", PB2Value::Bool(true)));
  EXPECT_TRUE(Switch(L"use_fluxels"));
  EXPECT_TRUE(ScriptSetParameter(skin_.get(), L"use_stack", PB2Value::Int(0)));
  EXPECT_FALSE(Switch(L"use_stack"));
}

TEST_F(SkinObject, UnknownParameterNamesAreNotFound) {
  EXPECT_FALSE(ScriptSetParameter(skin_.get(), L"use_everything", PB2Value::Bool(true)));
  EXPECT_FALSE(ScriptGetParameter(skin_.get(), L"use_everything").has_value());
}

TEST_F(SkinObject, AnswersItsInterfaceIdWithItsMixin) {
  BaseInterface* bi = ScriptGetInterface(skin_.get(), TESSARIN_INTERFACE_ID);
  auto* fpi = dynamic_cast<FPInterface*>(bi);
  ASSERT_NE(fpi, nullptr);
  EXPECT_EQ(fpi->GetID(), TESSARIN_INTERFACE_ID);
  EXPECT_EQ(fpi->GetFlags(), FP_MIXIN);
  // The mixin is part of the modifier itself.
  EXPECT_EQ(dynamic_cast<Modifier*>(fpi), static_cast<Modifier*>(skin_.get()));
  ASSERT_NE(fpi->GetDesc(), nullptr);
  EXPECT_EQ(fpi->GetDesc()->NumFunctions(), 0);
}

TEST_F(SkinObject, SendsOtherInterfaceIdsToTheStandardLookup) {
  // The skin's class publishes no interface besides its mixin, so the lookup finds none.
  EXPECT_EQ(ScriptGetInterface(skin_.get(), ORBICLE_INTERFACE_ID), nullptr);
  EXPECT_EQ(ScriptGetInterface(skin_.get(), Interface_ID(0x1, 0x2)), nullptr);
}

TEST_F(SkinObject, ItsInterfacePublishesNoFunction) {
  ScriptCallResult byName = ScriptCallFunction(skin_.get(), TESSARIN_INTERFACE_ID, L"get_influence");
  EXPECT_EQ(byName.status, FPS_NO_SUCH_FUNCTION);
  auto* fpi = dynamic_cast<FPInterface*>(ScriptGetInterface(skin_.get(), TESSARIN_INTERFACE_ID));
  ASSERT_NE(fpi, nullptr);
  FPValue result;
  for (FunctionID fid : {FunctionID(0), FunctionID(1), FunctionID(-1)})
    EXPECT_EQ(fpi->Invoke(fid, result), FPS_NO_SUCH_FUNCTION) << fid;
}

TEST_F(SkinObject, AnnouncesBoneAndVertexLevels) {
  BaseObject& b = Base();
  ASSERT_EQ(b.NumSubObjTypes(), 2);
  ASSERT_NE(b.GetSubObjType(0), nullptr);
  ASSERT_NE(b.GetSubObjType(1), nullptr);
  EXPECT_EQ(std::wstring(b.GetSubObjType(0)->GetName()), L"Bone");
  EXPECT_EQ(std::wstring(b.GetSubObjType(1)->GetName()), L"Vertex");
  EXPECT_EQ(b.GetSubObjType(0)->GetIcon(), nullptr);
  EXPECT_EQ(b.GetSubObjType(1)->GetIcon(), nullptr);
  EXPECT_EQ(b.GetSubObjType(-1), nullptr);
  EXPECT_EQ(b.GetSubObjType(2), nullptr);
}

TEST_F(SkinObject, ChoosingALevelLeavesItAtObjectLevel) {
  BaseObject& b = Base();
  XFormModes modes;
  for (int level : {1, 2, 0, 5}) {
    b.ActivateSubobjSel(level, modes);
    EXPECT_EQ(b.GetSubObjectLevel(), 0) << level;
  }
}

// Every selection operation answers as the object level does; none changes what the host reads.
struct SelectionOperation {
  const char* name;
  std::function<void(BaseObject&)> run;
};

class RecordingAxisCallback : public SubObjAxisCallback {
public:
  void Center(const Point3&, int) override { ++calls; }
  void TM(const Matrix3&, int) override { ++calls; }
  int calls = 0;
};

TEST_F(SkinObject, SelectionOperationsAnswerAsTheObjectLevel) {
  BaseObject& b = Base();
  EXPECT_EQ(b.SupportsNamedSubSels(), TRUE);
  EXPECT_EQ(b.NumNamedSelSets(), 0);
  EXPECT_EQ(b.GetNamedSelSetName(0), MSTR());
  EXPECT_EQ(b.GetNamedSelSetName(3), MSTR());
  IPoint2 point{10, 10};
  EXPECT_EQ(b.HitTest(0, nullptr, 1, 0, 0, &point, nullptr, nullptr), 0);
  EXPECT_EQ(b.SubObjectIndex(nullptr), 0);
  Box3 box(Point3(-1, -1, -1), Point3(1, 1, 1));
  b.GetWorldBoundBox(0, nullptr, nullptr, box, nullptr);
  EXPECT_TRUE(box.IsEmpty());

  RecordingAxisCallback axis;
  MSTR name = L"Set 1";
  Tab<int> sets{0, 1};
  const SelectionOperation operations[] = {
      {"SelectSubComponent", [](BaseObject& o) { o.SelectSubComponent(nullptr, TRUE, TRUE, FALSE); }},
      {"ClearSelection", [](BaseObject& o) { o.ClearSelection(1); }},
      {"SelectAll", [](BaseObject& o) { o.SelectAll(2); }},
      {"InvertSelection", [](BaseObject& o) { o.InvertSelection(1); }},
      {"ActivateSubSelSet", [&](BaseObject& o) { o.ActivateSubSelSet(name); }},
      {"NewSetFromCurSel", [&](BaseObject& o) { o.NewSetFromCurSel(name); }},
      {"RemoveSubSelSet", [&](BaseObject& o) { o.RemoveSubSelSet(name); }},
      {"SetNamedSelSetName", [&](BaseObject& o) { o.SetNamedSelSetName(0, name); }},
      {"NewSetByOperator", [&](BaseObject& o) { o.NewSetByOperator(name, sets, 0); }},
      {"SetupNamedSelDropDown", [](BaseObject& o) { o.SetupNamedSelDropDown(); }},
      {"GetSubObjectCenters", [&](BaseObject& o) { o.GetSubObjectCenters(&axis, 0, nullptr, nullptr); }},
      {"GetSubObjectTMs", [&](BaseObject& o) { o.GetSubObjectTMs(&axis, 0, nullptr, nullptr); }},
  };
  for (const SelectionOperation& op : operations) {
    SCOPED_TRACE(op.name);
    op.run(b);
    EXPECT_EQ(b.GetSubObjectLevel(), 0);
    EXPECT_EQ(b.NumNamedSelSets(), 0);
    EXPECT_EQ(b.GetNamedSelSetName(0), MSTR());
    EXPECT_EQ(axis.calls, 0);
  }
  EXPECT_EQ(name, L"Set 1");
}

}  // namespace
