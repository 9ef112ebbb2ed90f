// The Orbicle rollout: the module's one parameter map opened from template 501 while an orbicle
// is edited, reused for the next one, and the dialog procedure's answers.

#include "host/headless/command_panel_maps.h"
#include "host/headless/param_map.h"
#include "host/sdk/custcont.h"
#include "influence_source_fixture.h"
#include "module/registry/orbicle_parameters.h"
#include "module/resources/resource_directory.h"
#include "module/resources/string_table.h"
#include "source_rollout_recorder.h"
#include "sources/orbicle_dlg_proc.h"

namespace {

using namespace orbicle_param;

IObjParam* const kPanel = reinterpret_cast<IObjParam*>(0x1234);
HWND const kDialog = reinterpret_cast<HWND>(0x5010);

WPARAM Command(int id) { return static_cast<WPARAM>(id); }

class OrbicleRolloutTest : public InfluenceSourceTest {
protected:
  void SetUp() override {
    InfluenceSourceTest::SetUp();
    SetModuleInstance(TessarinResourceHandle());
    recorder_.Install();
  }
  void TearDown() override {
    if (OrbicleParamMap()) DestroyCPParamMap2(OrbicleParamMap());
    recorder_.Uninstall();
    SetModuleInstance(nullptr);
    InfluenceSourceTest::TearDown();
  }
  static INT_PTR Send(IParamMap2* map, UINT msg, WPARAM wParam = 0) {
    return GetOrbicleDlgProc()->DlgProc(0, map, kDialog, msg, wParam, 0);
  }

  SourceRolloutRecorder recorder_;
};

TEST_F(OrbicleRolloutTest, EditingOpensTheRolloutAndTheNextOrbicleReusesIt) {
  Orbicle* first = Keep(new Orbicle());
  first->BeginEditParams(kPanel, BEGIN_EDIT_CREATE, nullptr);
  EXPECT_EQ(OrbicleEditInterface(), kPanel);
  EXPECT_EQ(SimpleObjectBase::editOb, first);
  IParamMap2* map = OrbicleParamMap();
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map->GetParamBlock(), first->pblock2);
  EXPECT_EQ(map->GetUserDlgProc(), GetOrbicleDlgProc());
  const CommandPanelRollout* rollout = FindCommandPanelRollout(map);
  ASSERT_NE(rollout, nullptr);
  EXPECT_EQ(rollout->dlgTemplate, 501);
  EXPECT_EQ(rollout->title, L"Orbicle Parameters");
  EXPECT_EQ(rollout->category, 4000);
  ASSERT_EQ(recorder_.checkButtons.size(), 1u) << "the dialog was initialised";
  EXPECT_EQ(recorder_.checkButtons[0].control, 1317);

  first->EndEditParams(kPanel, 0, nullptr);
  EXPECT_EQ(OrbicleEditInterface(), nullptr);
  EXPECT_EQ(SimpleObjectBase::editOb, nullptr);
  EXPECT_EQ(OrbicleParamMap(), map) << "kept without the remove bit";

  Orbicle* second = Keep(new Orbicle());
  second->BeginEditParams(kPanel, 0, nullptr);
  EXPECT_EQ(OrbicleParamMap(), map);
  EXPECT_EQ(map->GetParamBlock(), second->pblock2);
  EXPECT_EQ(CommandPanelRollouts().size(), 1u);

  second->EndEditParams(kPanel, END_EDIT_REMOVEUI, nullptr);
  EXPECT_EQ(OrbicleParamMap(), nullptr);
  EXPECT_TRUE(CommandPanelRollouts().empty());
}

TEST_F(OrbicleRolloutTest, ChangesOfTheEditedOrbicleRefreshTheRollout) {
  Orbicle* ob = Keep(new Orbicle());
  ob->BeginEditParams(kPanel, 0, nullptr);
  auto* map = dynamic_cast<ParamMap2*>(OrbicleParamMap());
  ASSERT_NE(map, nullptr);
  const int before = map->Invalidations();
  ob->pblock2->SetValue(blend, 0, 50);
  EXPECT_EQ(map->Invalidations(), before + 1);
  Orbicle* other = Keep(new Orbicle());
  other->pblock2->SetValue(blend, 0, 50);
  EXPECT_EQ(map->Invalidations(), before + 1) << "another orbicle is not shown";
  ob->EndEditParams(kPanel, END_EDIT_REMOVEUI, nullptr);
}

// What each message does, for a block with an owner.
TEST_F(OrbicleRolloutTest, DialogProcedureAnswers) {
  struct Case {
    const char* name;
    UINT msg;
    int control;
    INT_PTR answer;
    int broadcasts;
    bool about, paint, options;
  };
  const Case cases[] = {
      {"Disabled", WM_COMMAND, 1167, FALSE, 1, false, false, false},
      {"Omni", WM_COMMAND, 1148, FALSE, 1, false, false, false},
      {"Down", WM_COMMAND, 1154, FALSE, 1, false, false, false},
      {"control 1140", WM_COMMAND, 1140, FALSE, 1, false, false, false},
      {"Renderable", WM_COMMAND, 1168, FALSE, 0, false, false, false},
      {"About", WM_COMMAND, 1147, FALSE, 0, true, false, false},
      {"Paint", WM_COMMAND, 1317, FALSE, 0, false, true, false},
      {"Options", WM_COMMAND, 1316, FALSE, 0, false, false, true},
      {"Blend spinner", CC_SPINNER_CHANGE, 1008, TRUE, 1, false, false, false},
      {"Length spinner", CC_SPINNER_CHANGE, 1142, TRUE, 1, false, false, false},
      {"Width spinner", CC_SPINNER_CHANGE, 1144, TRUE, 1, false, false, false},
      {"Height spinner", CC_SPINNER_CHANGE, 1146, TRUE, 1, false, false, false},
      {"Segments spinner", CC_SPINNER_CHANGE, 1006, TRUE, 0, false, false, false},
      {"destroy", WM_DESTROY, 0, FALSE, 0, false, false, false},
  };
  SceneNode* bone = host().CreateNode(L"bone");
  auto* ob = new Orbicle();
  host().CreateNode(L"orb", ob, bone);
  ChangeRecorder onBone(bone);
  ParamMap2 map(ob->pblock2, GetOrbicleDlgProc());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    recorder_.Clear();
    onBone.changes = 0;
    EXPECT_EQ(Send(&map, c.msg, Command(c.control)), c.answer);
    EXPECT_EQ(onBone.changes, c.broadcasts);
    EXPECT_EQ(recorder_.abouts.size(), c.about ? 1u : 0u);
    if (c.about) {
      EXPECT_EQ(recorder_.abouts[0].owner, kDialog);
      EXPECT_EQ(recorder_.abouts[0].first, 1064);
      EXPECT_EQ(recorder_.abouts[0].second, 1137);
    }
    ASSERT_EQ(recorder_.toggles.size(), c.paint ? 1u : 0u);
    if (c.paint) {
      EXPECT_EQ(recorder_.toggles[0].source, ob);
      EXPECT_EQ(recorder_.toggles[0].tables, &ob->tables);
      EXPECT_EQ(recorder_.toggles[0].dialog, kDialog);
      EXPECT_EQ(recorder_.toggles[0].button, 1317);
    }
    EXPECT_EQ(recorder_.options.size(), c.options ? 1u : 0u);
  }
  EXPECT_EQ(Send(&map, WM_INITDIALOG), FALSE);
  EXPECT_EQ(recorder_.checkButtons.size(), 1u);
}

TEST_F(OrbicleRolloutTest, WithoutAnOwnerOnlyTheAboutBoxOpens) {
  SceneNode* bone = host().CreateNode(L"bone");
  auto* ob = new Orbicle();
  host().CreateNode(L"orb", ob, bone);
  ChangeRecorder onBone(bone);
  ParamMap2 noBlock(nullptr, GetOrbicleDlgProc());
  for (int id : {1167, 1150, 1317, 1316}) Send(&noBlock, WM_COMMAND, Command(id));
  EXPECT_EQ(Send(&noBlock, CC_SPINNER_CHANGE, Command(1142)), TRUE);
  Send(&noBlock, WM_COMMAND, Command(1147));
  EXPECT_EQ(onBone.changes, 0);
  EXPECT_TRUE(recorder_.toggles.empty());
  EXPECT_TRUE(recorder_.options.empty());
  EXPECT_EQ(recorder_.abouts.size(), 1u);
}

TEST_F(OrbicleRolloutTest, DestroyedOrbicleStopsPainting) {
  auto* ob = new Orbicle();
  ob->DeleteThis();
  ASSERT_EQ(recorder_.stops.size(), 1u);
  EXPECT_EQ(recorder_.stops[0], ob);
}

}  // namespace
