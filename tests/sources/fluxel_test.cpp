// The Fluxel modifier: creation values, the refusal of user and script values, evaluation that
// moves nothing, clone independence, scene storage with the older block layout, and its rollout.

#include "host/headless/chunk_load.h"
#include "host/headless/chunk_save.h"
#include "host/headless/command_panel_maps.h"
#include "host/headless/legacy_param_block.h"
#include "host/headless/param_map.h"
#include "host/headless/scene_file.h"
#include "host/headless/scripting.h"
#include "host/queries/scene_queries.h"
#include "host/sdk/custcont.h"
#include "influence_source_fixture.h"
#include "module/registry/class_ids.h"
#include "module/registry/fluxel_parameters.h"
#include "module/resources/resource_directory.h"
#include "module/resources/string_table.h"
#include "source_rollout_recorder.h"
#include "sources/fluxel_dlg_proc.h"

namespace {

using namespace fluxel_param;

class FluxelTest : public InfluenceSourceTest {
protected:
  Fluxel* Loose() { return Keep(new Fluxel()); }
};

TEST_F(FluxelTest, NewFluxelCarriesTheCreationValues) {
  Fluxel* fx = Loose();
  ASSERT_NE(fx->pblock, nullptr);
  EXPECT_EQ(fx->pblock->GetDesc(), &fluxelParameters);
  EXPECT_EQ(fx->pblock->GetOwner(), fx);
  struct Case {
    const wchar_t* name;
    ParamID id;
    int value;
    int flags;
    StringResID localName;
  };
  for (const Case& c : {Case{L"origin", origin, 1, 0x1, 234}, Case{L"blend", blend, 0, 0x21, 235},
                        Case{L"direction", direction, 0, 0x1, 236}, Case{L"disabled", disabled, 0, 0x1, 58},
                        Case{L"real-time", real_time, 1, 0, 59}}) {
    SCOPED_TRACE(c.name);
    std::optional<PB2Value> v = ScriptGetParameter(fx, c.name);
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->i, c.value);
    const ParamDef* d = fluxelParameters.GetParamDefByID(c.id);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->def.i, c.value) << "declared default equals the creation value";
    EXPECT_EQ(d->flags, c.flags);
    EXPECT_EQ(d->local_name, c.localName);
    EXPECT_NE(d->validator, nullptr);
  }
  EXPECT_FALSE(fx->firstEvaluationDone);
  EXPECT_TRUE(fx->tables.empty());
}

TEST_F(FluxelTest, UserAndScriptValuesAreRefused) {
  Fluxel* fx = Loose();
  ParamMap2 map(fx->pblock, nullptr);
  EXPECT_FALSE(map.EnterValue(blend, PB2Value::Int(50), 0));
  EXPECT_FALSE(ScriptSetParameter(fx, L"direction", PB2Value::Int(3)));
  EXPECT_FALSE(ScriptSetParameter(fx, L"origin", PB2Value::Bool(false)));
  EXPECT_EQ(fx->pblock->GetInt(blend), 0);
  EXPECT_EQ(fx->pblock->GetInt(direction), 0);
  EXPECT_EQ(fx->pblock->GetInt(origin), 1);
}

TEST_F(FluxelTest, AnswersTheHostAsAWorldSpaceGeometryModifier) {
  Fluxel* fx = Loose();
  EXPECT_EQ(fx->ClassID(), FLUXEL_CLASS_ID);
  EXPECT_EQ(fx->SuperClassID(), static_cast<SClass_ID>(WSM_CLASS_ID));
  EXPECT_EQ(fx->ChannelsUsed(), GEOM_CHANNEL);
  EXPECT_EQ(fx->ChannelsChanged(), GEOM_CHANNEL);
  EXPECT_EQ(fx->InputType(), triObjectClassID);
  MSTR name;
  fx->GetClassName(name);
  EXPECT_EQ(name, L"Fluxel");
  EXPECT_EQ(MSTR(fx->GetObjectName()), L"Fluxel");
  EXPECT_EQ(fx->NumRefs(), 1);
  EXPECT_EQ(fx->GetReference(0), fx->pblock);
  EXPECT_EQ(fx->SubAnim(0), fx->pblock);
  EXPECT_EQ(fx->SubAnimName(0), MSTR(L"Parameters"));
  EXPECT_EQ(fx->GetParamBlockByID(0), fx->pblock);
  EXPECT_EQ(fx->GetParamBlockByID(1), nullptr);
  EXPECT_EQ(fx->GetInterface(FLUXEL_INTERFACE_ID), static_cast<BaseInterface*>(static_cast<FxPublicInterface*>(fx)));
  PartID part = PART_ALL;
  EXPECT_EQ(fx->SendRefMessage(FOREVER, nullptr, part, REFMSG_CHANGE, TRUE), REF_SUCCEED);
}

TEST_F(FluxelTest, ModifyObjectNarrowsValidityAndSwitchesTheNodeDisplayOnce) {
  Fluxel* fx = Loose();
  SceneNode* node = host().CreateNode(L"muscle");
  node->SetCVertMode(TRUE);
  TriObject* tri = Keep(MeshOf({Point3(1, 2, 3)}));
  ObjectState os(tri);
  ModContext mc;
  fx->ModifyObject(320, mc, &os, node);
  EXPECT_TRUE(fx->firstEvaluationDone);
  EXPECT_FALSE(node->GetCVertMode());
  EXPECT_EQ(tri->ChannelValidity(320, GEOM_CHAN_NUM), Interval(320, 320));
  EXPECT_EQ(tri->mesh.verts[0], Point3(1, 2, 3));

  node->SetCVertMode(TRUE);
  fx->ModifyObject(640, mc, &os, node);
  EXPECT_TRUE(node->GetCVertMode()) << "only the first evaluation switches";

  Fluxel* fresh = Loose();
  ObjectState empty;
  fresh->ModifyObject(320, mc, &empty, node);  // no object: validity alone, the switch still happens
  EXPECT_TRUE(fresh->firstEvaluationDone);
  EXPECT_FALSE(node->GetCVertMode());
}

TEST_F(FluxelTest, NodeGeometryIsLeftWhereItWas) {
  TriObject* tri = MeshOf({Point3(1, 2, 3), Point3(-4, 5, 6)});
  SceneNode* node = NodeWith(L"muscle", tri, {new Fluxel()});
  const ObjectState& os = node->EvalWorldState(160);
  ASSERT_NE(os.obj, nullptr);
  ASSERT_EQ(os.obj->NumPoints(), 2);
  EXPECT_EQ(os.obj->GetPoint(0), Point3(1, 2, 3));
  EXPECT_EQ(os.obj->GetPoint(1), Point3(-4, 5, 6));
  EXPECT_EQ(os.obj->ChannelValidity(160, GEOM_CHAN_NUM), Interval(160, 160));
}

TEST_F(FluxelTest, CloneOwnsItsOwnBlockAndTables) {
  Tessarin* skin = SkinOnNode(L"skin", 2);
  Fluxel* fx = Loose();
  fx->pblock->SetValue(blend, 0, 25);
  fx->pblock->SetValue(real_time, 0, 0);
  fx->tables[skin->instanceStamp] = {0.3f, 0.6f};
  fx->tables[4242] = {1.0f};  // no such skin
  fx->firstEvaluationDone = true;
  RemapDir* remap = NewRemapDir();
  auto* copy = Keep(static_cast<Fluxel*>(remap->CloneRef(fx)));
  remap->DeleteThis();
  ASSERT_NE(copy->pblock, nullptr);
  EXPECT_NE(copy->pblock, fx->pblock);
  EXPECT_EQ(copy->pblock->GetOwner(), copy);
  EXPECT_EQ(copy->pblock->GetInt(blend), 25);
  EXPECT_EQ(copy->pblock->GetInt(real_time), 0);
  EXPECT_FALSE(copy->firstEvaluationDone);
  EXPECT_EQ(fx->tables.size(), 1u) << "purged before copying";
  EXPECT_EQ(copy->tables, fx->tables);
  copy->tables[skin->instanceStamp][1] = 0.0f;
  EXPECT_EQ(fx->tables[skin->instanceStamp][1], 0.6f);
}

// --- Storage ---------------------------------------------------------------------------------

TEST_F(FluxelTest, SaveWritesOnlyTheTablesChunk) {
  Fluxel* fx = Loose();
  ChunkSave save;
  ASSERT_EQ(fx->Save(&save), IO_OK);
  const std::vector<std::uint8_t> expected = {0x00, 0x40, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(save.Bytes(), expected);
}

TEST_F(FluxelTest, LoadReadsTheTablesAndClearsTheFirstEvaluation) {
  Tessarin* skin = SkinOnNode(L"skin", 2);
  Fluxel* fx = Loose();
  fx->tables[skin->instanceStamp] = {0.3f, 0.6f};
  ChunkSave save;
  save.BeginChunk(0x0777);  // a chunk it does not know
  save.EndChunk();
  ASSERT_EQ(fx->Save(&save), IO_OK);
  Fluxel* loaded = Loose();
  loaded->firstEvaluationDone = true;
  loaded->tables[1] = {0.0f};
  ChunkLoad load(save.Bytes());
  EXPECT_EQ(loaded->Load(&load), IO_OK);
  EXPECT_EQ(loaded->tables, fx->tables);
  EXPECT_FALSE(loaded->firstEvaluationDone);

  std::vector<std::uint8_t> cut = save.Bytes();
  cut[6 + 2] = 12;  // the tables chunk claims fewer bytes than its table needs
  Fluxel* failed = Loose();
  ChunkLoad damaged(cut);
  EXPECT_EQ(failed->Load(&damaged), IO_ERROR);
}

TEST_F(FluxelTest, OlderLayoutLoadsThroughTheSceneFile) {
  auto* fx = new Fluxel();
  NodeWith(L"muscle", CreateNewTriObject(), {fx});
  ParamBlockDescID layout[] = {{TYPE_INT, nullptr, FALSE, 0}, {TYPE_INT, nullptr, TRUE, 1}, {TYPE_INT, nullptr, FALSE, 2}};
  auto* old = new LegacyParamBlock(layout, 3, 1);
  EXPECT_TRUE(old->SetValue(0, 0, 0));
  EXPECT_TRUE(old->SetKey(1, 0, PB2Value::Int(20)));
  EXPECT_TRUE(old->SetKey(1, 4800, PB2Value::Int(60)));
  EXPECT_TRUE(old->SetValue(2, 0, 4));
  SceneSaveOptions options;
  options.storedReferences[fx] = {old};
  std::vector<std::uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(SaveSceneToBytes(bytes, &error, &options)) << error;
  old->DeleteThis();

  SceneLoadReport report;
  ASSERT_TRUE(LoadSceneFromBytes(bytes, &error, &report)) << error;
  EXPECT_TRUE(report.warnings.empty());
  auto* loaded = dynamic_cast<Fluxel*>(FindModifierOnNode(host().GetINodeByName(L"muscle"), FLUXEL_CLASS_ID));
  ASSERT_NE(loaded, nullptr);
  ASSERT_NE(loaded->pblock, nullptr);
  EXPECT_EQ(loaded->pblock->GetDesc(), &fluxelParameters);
  EXPECT_EQ(loaded->pblock->GetInt(origin), 0);
  EXPECT_EQ(loaded->pblock->GetInt(blend, 0), 20);
  EXPECT_EQ(loaded->pblock->GetInt(blend, 4800), 60) << "the animated blend keeps its keys";
  EXPECT_EQ(loaded->pblock->GetInt(direction), 4);
  EXPECT_EQ(loaded->pblock->GetInt(disabled), 0) << "absent: the declared default";
  EXPECT_EQ(loaded->pblock->GetInt(real_time), 1);
}

TEST_F(FluxelTest, SceneRoundTripKeepsBlockAndTables) {
  Tessarin* skin = SkinOnNode(L"skin", 2);
  const std::uint64_t stamp = skin->instanceStamp;
  auto* fx = new Fluxel();
  fx->pblock->SetValue(direction, 0, 6);
  fx->pblock->SetValue(disabled, 0, 1);
  fx->tables[stamp] = {0.3f, 0.6f};
  NodeWith(L"muscle", CreateNewTriObject(), {fx}, host().GetINodeByName(L"skin"));
  std::vector<std::uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(SaveSceneToBytes(bytes, &error)) << error;
  ASSERT_TRUE(LoadSceneFromBytes(bytes, &error)) << error;
  auto* loaded = dynamic_cast<Fluxel*>(FindModifierOnNode(host().GetINodeByName(L"muscle"), FLUXEL_CLASS_ID));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->pblock->GetInt(direction), 6);
  EXPECT_EQ(loaded->pblock->GetInt(disabled), 1);
  EXPECT_EQ(loaded->tables, (InfluenceTables{{stamp, {0.3f, 0.6f}}}));
}

// --- Rollout ---------------------------------------------------------------------------------

IObjParam* const kPanel = reinterpret_cast<IObjParam*>(0x1234);
HWND const kDialog = reinterpret_cast<HWND>(0x5030);

class FluxelRolloutTest : public FluxelTest {
protected:
  void SetUp() override {
    FluxelTest::SetUp();
    SetModuleInstance(TessarinResourceHandle());
    recorder_.Install();
  }
  void TearDown() override {
    recorder_.Uninstall();
    SetModuleInstance(nullptr);
    FluxelTest::TearDown();
  }
  static INT_PTR Send(IParamMap2* map, UINT msg, WPARAM wParam = 0) {
    return GetFluxelDlgProc()->DlgProc(0, map, kDialog, msg, wParam, 0);
  }
  SourceRolloutRecorder recorder_;
};

TEST_F(FluxelRolloutTest, EditingOpensTheAutomaticRolloutAndEndingClosesIt) {
  Fluxel* fx = Loose();
  fx->BeginEditParams(kPanel, 0, nullptr);
  EXPECT_EQ(FluxelEditInterface(), kPanel);
  IParamMap2* map = fx->pblock->GetMap(0);
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map->GetUserDlgProc(), GetFluxelDlgProc());
  const CommandPanelRollout* rollout = FindCommandPanelRollout(map);
  ASSERT_NE(rollout, nullptr);
  EXPECT_EQ(rollout->dlgTemplate, 530);
  EXPECT_EQ(rollout->title, L"Parameters");
  ASSERT_EQ(recorder_.taken.size(), 1u);
  EXPECT_EQ(recorder_.taken[0].control, 1166);
  EXPECT_EQ(recorder_.taken[0].caption, L"About");
  EXPECT_EQ(recorder_.taken[0].tooltip, L"About this product");
  ASSERT_EQ(recorder_.checkButtons.size(), 1u);
  EXPECT_EQ(recorder_.checkButtons[0].control, 1314);

  fx->EndEditParams(kPanel, 0, nullptr);  // the remove bit is added
  EXPECT_EQ(fx->pblock->GetMap(0), nullptr);
  EXPECT_EQ(FluxelEditInterface(), nullptr);
  ASSERT_EQ(recorder_.released.size(), 1u);
  EXPECT_EQ(recorder_.released[0], recorder_.button);
}

TEST_F(FluxelRolloutTest, DialogProcedureAnswers) {
  struct Case {
    const char* name;
    UINT msg;
    int control;
    INT_PTR answer;
    int broadcasts;
    bool about, paint, options;
  };
  const Case cases[] = {
      {"Bounding Box Center", WM_COMMAND, 1155, FALSE, 1, false, false, false},
      {"Omni", WM_COMMAND, 1156, FALSE, 1, false, false, false},
      {"Down", WM_COMMAND, 1162, FALSE, 1, false, false, false},
      {"Disabled", WM_COMMAND, 1208, FALSE, 1, false, false, false},
      {"control 1165", WM_COMMAND, 1165, FALSE, 1, false, false, false},
      {"About", WM_COMMAND, 1166, FALSE, 0, true, false, false},
      {"Paint", WM_COMMAND, 1314, FALSE, 0, false, true, false},
      {"Options", WM_COMMAND, 1315, FALSE, 0, false, false, true},
      {"Blend spinner", CC_SPINNER_CHANGE, 1164, TRUE, 1, false, false, false},
      {"another spinner", CC_SPINNER_CHANGE, 1163, TRUE, 0, false, false, false},
      {"a mouse move", 0x0200, 0, FALSE, 0, false, false, false},
  };
  SceneNode* bone = host().CreateNode(L"bone");
  auto* fx = new Fluxel();
  NodeWith(L"muscle", CreateNewTriObject(), {fx}, bone);
  ChangeRecorder onBone(bone);
  ParamMap2 map(fx->pblock, GetFluxelDlgProc());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    recorder_.Clear();
    onBone.changes = 0;
    EXPECT_EQ(Send(&map, c.msg, static_cast<WPARAM>(c.control)), c.answer);
    EXPECT_EQ(onBone.changes, c.broadcasts);
    ASSERT_EQ(recorder_.abouts.size(), c.about ? 1u : 0u);
    if (c.about) {
      EXPECT_EQ(recorder_.abouts[0].owner, kDialog);
      EXPECT_EQ(recorder_.abouts[0].first, 1064);
      EXPECT_EQ(recorder_.abouts[0].second, 1137);
    }
    ASSERT_EQ(recorder_.toggles.size(), c.paint ? 1u : 0u);
    if (c.paint) {
      EXPECT_EQ(recorder_.toggles[0].source, fx);
      EXPECT_EQ(recorder_.toggles[0].tables, &fx->tables);
      EXPECT_EQ(recorder_.toggles[0].button, 1314);
    }
    EXPECT_EQ(recorder_.options.size(), c.options ? 1u : 0u);
  }
}

TEST_F(FluxelRolloutTest, WithoutAnOwnerCommandsDoNothingButPaintStillBecomesACheckButton) {
  ParamMap2 noBlock(nullptr, GetFluxelDlgProc());
  EXPECT_EQ(Send(&noBlock, WM_INITDIALOG), TRUE);
  EXPECT_TRUE(recorder_.taken.empty());
  EXPECT_EQ(recorder_.checkButtons.size(), 1u);
  for (int id : {1155, 1166, 1314, 1315}) EXPECT_EQ(Send(&noBlock, WM_COMMAND, static_cast<WPARAM>(id)), FALSE);
  EXPECT_TRUE(recorder_.abouts.empty());
  EXPECT_TRUE(recorder_.toggles.empty());
  EXPECT_TRUE(recorder_.options.empty());
  EXPECT_EQ(Send(&noBlock, WM_DESTROY), FALSE);
  EXPECT_TRUE(recorder_.released.empty());
}

TEST_F(FluxelRolloutTest, DestroyedFluxelStopsPainting) {
  auto* fx = new Fluxel();
  fx->DeleteThis();
  ASSERT_EQ(recorder_.stops.size(), 1u);
  EXPECT_EQ(recorder_.stops[0], fx);
}

}  // namespace
