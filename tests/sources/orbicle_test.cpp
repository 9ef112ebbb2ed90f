// The Orbicle object: its block, mesh building through the block, display and renderability
// answers, clone independence, the refresh after message 0x108, and scene storage with the
// four older block layouts.

#include "host/headless/chunk_load.h"
#include "host/headless/chunk_save.h"
#include "host/headless/legacy_param_block.h"
#include "host/headless/param_map.h"
#include "host/headless/scene_file.h"
#include "host/headless/scripting.h"
#include "influence_source_fixture.h"
#include "module/registry/class_ids.h"
#include "module/registry/orbicle_parameters.h"
#include "support/tolerance.h"

namespace {

using namespace orbicle_param;

class OrbicleTest : public InfluenceSourceTest {
protected:
  Orbicle* Loose() { return Keep(new Orbicle()); }
};

TEST_F(OrbicleTest, NewOrbicleHasTheDeclaredDefaults) {
  Orbicle* ob = Loose();
  ASSERT_NE(ob->pblock2, nullptr);
  EXPECT_EQ(ob->pblock2->GetDesc(), &orbicleParameters);
  EXPECT_EQ(ob->pblock2->GetOwner(), ob);
  EXPECT_EQ(ob->GetReference(0), ob->pblock2);
  struct Case {
    const wchar_t* name;
    float value;
  };
  for (const Case& c : {Case{L"length", 10}, Case{L"width", 10}, Case{L"height", 10}, Case{L"segments", 16},
                        Case{L"blend", 10}, Case{L"direction", 0}, Case{L"disabled", 0}, Case{L"renderable", 0},
                        Case{L"realtime", 0}}) {
    SCOPED_TRACE(c.name);
    std::optional<PB2Value> v = ScriptGetParameter(ob, c.name);
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->type == TYPE_FLOAT ? v->f : static_cast<float>(v->i), c.value);
  }
  EXPECT_TRUE(ob->TestAFlag(kOrbicleOrientationMarker));
  EXPECT_TRUE(ob->tables.empty());
}

TEST_F(OrbicleTest, BlockDeclaresRangesFlagsAndTheValidator) {
  struct Case {
    ParamID id;
    int flags;
  };
  for (const Case& c : {Case{length, 0x21}, Case{width, 0x21}, Case{height, 0x21}, Case{segments, 0x21},
                        Case{blend, 0x21}, Case{direction, 0x1}, Case{disabled, 0x1}, Case{renderable, 0x1},
                        Case{realtime, 0x1}}) {
    SCOPED_TRACE(c.id);
    const ParamDef* d = orbicleParameters.GetParamDefByID(c.id);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->flags, c.flags);
    EXPECT_NE(d->validator, nullptr);
    EXPECT_EQ(d->local_name, 31 + c.id);
  }
  EXPECT_EQ(orbicleParameters.GetParamDefByID(length)->range_low.f, 0.0001f);
  EXPECT_EQ(orbicleParameters.GetParamDefByID(segments)->range_low.i, 4);
  EXPECT_EQ(orbicleParameters.GetParamDefByID(segments)->range_high.i, 200);
  EXPECT_EQ(orbicleParameters.flags, P_AUTO_CONSTRUCT | P_AUTO_UI);
  EXPECT_EQ(orbicleParameters.ui.dlg_template, 501);
}

TEST_F(OrbicleTest, UserAndScriptValuesAreRefused) {
  Orbicle* ob = Loose();
  ParamMap2 map(ob->pblock2, nullptr);
  EXPECT_FALSE(map.EnterValue(length, PB2Value::Float(3.0f), 0));
  EXPECT_FALSE(ScriptSetParameter(ob, L"segments", PB2Value::Int(8)));
  EXPECT_FALSE(ScriptSetParameter(ob, L"disabled", PB2Value::Bool(true)));
  EXPECT_EQ(ob->pblock2->GetFloat(length), 10.0f);
  EXPECT_EQ(ob->pblock2->GetInt(segments), 16);
  EXPECT_EQ(ob->pblock2->GetInt(disabled), 0);
}

TEST_F(OrbicleTest, AnswersTheHostAsAProceduralGeometricObject) {
  Orbicle* ob = Loose();
  EXPECT_EQ(ob->ClassID(), ORBICLE_CLASS_ID);
  EXPECT_EQ(ob->SuperClassID(), GEOMOBJECT_CLASS_ID);
  MSTR name;
  ob->GetClassName(name);
  EXPECT_EQ(name, L"Orbicle");
  EXPECT_EQ(MSTR(ob->GetObjectName()), L"Orbicle");
  MSTR nodeName;
  ob->InitNodeName(nodeName);
  EXPECT_EQ(nodeName, L"Orbicle");
  EXPECT_TRUE(ob->IsParamSurface());
  BOOL uClosed = FALSE, vClosed = FALSE;
  ob->SurfaceClosed(0, 0, uClosed, vClosed);
  EXPECT_TRUE(uClosed);
  EXPECT_TRUE(vClosed);
  Interval iv = FOREVER;
  EXPECT_TRUE(ExpectPoint3Near(ob->GetSurfacePoint(0, 0.0f, 0.5f, iv), Point3(5, 0, 0), 1e-5f));
  EXPECT_EQ(ob->GetSurfacePoint(0, 0, 0.0f, 0.5f, iv), Point3());
  EXPECT_EQ(ob->GetInterface(ORBICLE_INTERFACE_ID), static_cast<BaseInterface*>(static_cast<ObPublicInterface*>(ob)));
}

TEST_F(OrbicleTest, DisplayNeedsALength) {
  struct Case {
    const char* name;
    ParamID id;
    float value;
    BOOL ok;
  };
  const Case cases[] = {{"default", length, 10, TRUE}, {"length 0", length, 0, FALSE},
                        {"negative length", length, -1, FALSE}, {"width 0", width, 0, TRUE},
                        {"height 0", height, 0, TRUE}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Orbicle* ob = Loose();
    ASSERT_TRUE(ob->pblock2->SetValue(c.id, 0, c.value));
    EXPECT_EQ(ob->OKtoDisplay(0), c.ok);
  }
}

TEST_F(OrbicleTest, RenderableIsTheSwitchAtTimeZero) {
  Orbicle* ob = Loose();
  EXPECT_FALSE(ob->IsRenderable());
  ob->pblock2->SetKey(renderable, 0, PB2Value::Bool(true));
  ob->pblock2->SetKey(renderable, 4800, PB2Value::Bool(false));
  host().SetTime(4800);
  EXPECT_TRUE(ob->IsRenderable());
}

TEST_F(OrbicleTest, MeshFollowsTheBlockAndItsValidity) {
  Orbicle* ob = Loose();
  ob->pblock2->SetValue(segments, 0, 3);  // clamped to 4 when built
  ob->pblock2->SetValue(direction, 0, kDirectionUp);
  ob->pblock2->SetKey(height, 0, PB2Value::Float(10.0f));
  ob->pblock2->SetKey(height, 4800, PB2Value::Float(20.0f));
  ObjectState os = ob->Eval(4800);
  EXPECT_EQ(os.obj, ob);
  EXPECT_EQ(ob->mesh.getNumVerts(), 6);
  EXPECT_EQ(ob->mesh.getVert(0).z, 10.0f);
  EXPECT_EQ(ob->mesh.getVert(5).z, 0.0f) << "Up flattens the bottom pole";
  EXPECT_TRUE(ob->ivalid.InInterval(4800));
  EXPECT_FALSE(ob->ivalid.InInterval(2400)) << "the animated height narrows the mesh's validity";
  ob->Eval(2400);
  EXPECT_EQ(ob->mesh.getVert(0).z, 7.5f);
}

TEST_F(OrbicleTest, ChangingABlockValueRebuildsTheMesh) {
  Orbicle* ob = Loose();
  ob->Eval(0);
  EXPECT_EQ(ob->mesh.getNumVerts(), 114);
  ob->pblock2->SetValue(segments, 0, 5);
  EXPECT_TRUE(ob->ivalid.Empty());
  ob->Eval(0);
  EXPECT_EQ(ob->mesh.getNumVerts(), 7);
}

TEST_F(OrbicleTest, StackAboveWorksOnATriangleMeshCopy) {
  auto* ob = new Orbicle();
  SceneNode* node = NodeWith(L"orb", ob, {new Fluxel()});
  const ObjectState& os = node->EvalWorldState(0);
  ASSERT_NE(os.obj, nullptr);
  EXPECT_NE(os.obj, ob);
  EXPECT_EQ(os.obj->ClassID(), triObjectClassID);
  EXPECT_EQ(os.obj->NumPoints(), 114);
}

TEST_F(OrbicleTest, CloneOwnsItsOwnBlockAndTables) {
  Tessarin* skin = SkinOnNode(L"skin", 3);
  Tessarin* gone = SkinOnNode(L"gone", 3);
  Orbicle* ob = Loose();
  ob->pblock2->SetValue(blend, 0, 40);
  ob->pblock2->SetValue(realtime, 0, 1);
  ob->tables[skin->instanceStamp] = {0.1f, 0.2f, 0.3f};
  ob->tables[gone->instanceStamp] = {0.5f, 0.5f, 0.5f};
  host().DeleteNode(host().GetINodeByName(L"gone"));

  RemapDir* remap = NewRemapDir();
  auto* copy = Keep(static_cast<Orbicle*>(remap->CloneRef(ob)));
  remap->DeleteThis();
  ASSERT_NE(copy->pblock2, nullptr);
  EXPECT_NE(copy->pblock2, ob->pblock2);
  EXPECT_EQ(copy->pblock2->GetOwner(), copy);
  EXPECT_EQ(copy->pblock2->GetInt(blend), 40);
  EXPECT_EQ(copy->pblock2->GetInt(realtime), 1);
  EXPECT_TRUE(copy->ivalid.Empty());
  EXPECT_TRUE(copy->TestAFlag(kOrbicleOrientationMarker));
  EXPECT_EQ(ob->tables.size(), 1u) << "the original was purged of the deleted skin's table";
  EXPECT_EQ(copy->tables, ob->tables);

  copy->tables[skin->instanceStamp][0] = 0.9f;
  copy->pblock2->SetValue(blend, 0, 5);
  EXPECT_EQ(ob->tables[skin->instanceStamp][0], 0.1f);
  EXPECT_EQ(ob->pblock2->GetInt(blend), 40);
}

// --- Storage ---------------------------------------------------------------------------------

TEST_F(OrbicleTest, SaveWritesTheTablesChunkAfterPurging) {
  Tessarin* skin = SkinOnNode(L"skin", 2);
  Orbicle* ob = Loose();
  ob->tables[skin->instanceStamp] = {0.25f, 0.75f};
  ob->tables[12345] = {1.0f};  // no such skin
  ChunkSave save;
  ASSERT_EQ(ob->Save(&save), IO_OK);
  EXPECT_FALSE(save.Failed());
  const std::vector<std::uint8_t>& bytes = save.Bytes();
  ASSERT_EQ(bytes.size(), 6u + 8 + 16 + 8);
  EXPECT_EQ(bytes[0] | (bytes[1] << 8), 0x5000);

  Orbicle* loaded = Loose();
  loaded->tables[7] = {0.5f};
  ChunkLoad load(bytes);
  EXPECT_EQ(loaded->Load(&load), IO_OK);
  EXPECT_EQ(loaded->tables, (InfluenceTables{{skin->instanceStamp, {0.25f, 0.75f}}}));
  load.RunPostLoadCallbacks();
  EXPECT_NE(loaded->pblock2, nullptr) << "a current block stays as it is";
}

TEST_F(OrbicleTest, FailedWriteFailsTheSave) {
  Tessarin* skin = SkinOnNode(L"skin", 100);
  Orbicle* ob = Loose();
  ob->tables[skin->instanceStamp] = std::vector<float>(100, 0.5f);
  ChunkSave save;
  save.SetWriteLimit(40);
  EXPECT_EQ(ob->Save(&save), IO_ERROR);
}

TEST_F(OrbicleTest, LoadSkipsOtherChunksAndFailsOnDamagedTables) {
  ChunkSave save;
  save.BeginChunk(0x1234);
  ULONG n = 0;
  const std::uint32_t junk = 0xDEADBEEF;
  save.Write(&junk, 4, &n);
  save.EndChunk();
  save.BeginChunk(kOrbicleTablesChunk);
  ASSERT_EQ(SaveInfluenceTables({{3, {0.5f}}}, &save), IO_OK);
  save.EndChunk();
  std::vector<std::uint8_t> bytes = save.Bytes();
  {
    Orbicle* ob = Loose();
    ChunkLoad load(bytes);
    EXPECT_EQ(ob->Load(&load), IO_OK);
    EXPECT_EQ(ob->tables, (InfluenceTables{{3, {0.5f}}}));
  }
  bytes[10 + 6 + 16] = 9;  // the value count of the table: 9 values in a chunk holding one
  Orbicle* ob = Loose();
  ChunkLoad load(bytes);
  EXPECT_EQ(ob->Load(&load), IO_ERROR);
  EXPECT_TRUE(ob->tables.empty());
}

// How the older versions laid out their blocks: entry i is the parameter with id i.
struct Layout {
  const char* name;
  DWORD version;
  std::vector<ParamBlockDescID> entries;
};

std::vector<ParamBlockDescID> Entries(std::initializer_list<std::pair<ParamType2, BOOL>> list) {
  std::vector<ParamBlockDescID> v;
  DWORD id = 0;
  for (auto [type, animatable] : list) v.push_back({type, nullptr, animatable, id++});
  return v;
}

const Layout kLayouts[] = {
    {"version 0", 0,
     Entries({{TYPE_FLOAT, TRUE}, {TYPE_FLOAT, TRUE}, {TYPE_FLOAT, TRUE}, {TYPE_INT, TRUE}, {TYPE_INT, TRUE},
              {TYPE_INT, FALSE}})},
    {"version 1", 1,
     Entries({{TYPE_FLOAT, TRUE}, {TYPE_FLOAT, TRUE}, {TYPE_FLOAT, TRUE}, {TYPE_INT, TRUE}, {TYPE_INT, TRUE},
              {TYPE_INT, FALSE}, {TYPE_INT, FALSE}})},
    {"version 2", 2,
     Entries({{TYPE_FLOAT, TRUE}, {TYPE_FLOAT, TRUE}, {TYPE_FLOAT, TRUE}, {TYPE_INT, TRUE}, {TYPE_INT, TRUE},
              {TYPE_INT, TRUE}, {TYPE_BOOL, TRUE}})},
    {"version 3", 3,
     Entries({{TYPE_FLOAT, TRUE}, {TYPE_FLOAT, TRUE}, {TYPE_FLOAT, TRUE}, {TYPE_INT, TRUE}, {TYPE_INT, TRUE},
              {TYPE_INT, TRUE}, {TYPE_BOOL, TRUE}, {TYPE_BOOL, FALSE}, {TYPE_BOOL, FALSE}})},
};

// Old blocks hold: sizes 2, 3, 4; segments 8; blend 30; direction 5; then every switch on.
void FillOld(LegacyParamBlock* old, const Layout& layout) {
  const float sizes[] = {2, 3, 4};
  const int ints[] = {8, 30, 5};
  for (int i = 0; i < static_cast<int>(layout.entries.size()); ++i) {
    if (i < 3)
      EXPECT_TRUE(old->SetValue(i, 0, sizes[i]));
    else if (i < 6)
      EXPECT_TRUE(old->SetValue(i, 0, ints[i - 3]));
    else
      EXPECT_TRUE(old->SetValue(i, 0, 1));
  }
}

// A scene holding an orbicle whose reference 0 is an old block, as that version saved it, with
// a table; loaded back, the block is converted and the tables are there.
TEST_F(OrbicleTest, EveryOlderLayoutLoadsThroughTheSceneFile) {
  for (const Layout& layout : kLayouts) {
    SCOPED_TRACE(layout.name);
    host().ResetScene();
    auto* ob = new Orbicle();
    ob->tables[99] = {0.5f};  // no skin in the scene: purged on save
    SceneNode* node = host().CreateNode(L"orb", ob);
    auto* old = new LegacyParamBlock(layout.entries.data(), static_cast<int>(layout.entries.size()), layout.version);
    FillOld(old, layout);
    old->SetKey(0, 0, PB2Value::Float(2.0f));
    old->SetKey(0, 4800, PB2Value::Float(6.0f));  // an animated length
    SceneSaveOptions options;
    options.storedReferences[ob] = {old};
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(SaveSceneToBytes(bytes, &error, &options)) << error;
    old->DeleteThis();
    (void)node;

    SceneLoadReport report;
    ASSERT_TRUE(LoadSceneFromBytes(bytes, &error, &report)) << error;
    EXPECT_TRUE(report.warnings.empty());
    auto* loaded = dynamic_cast<Orbicle*>(host().GetINodeByName(L"orb")->GetObjectRef());
    ASSERT_NE(loaded, nullptr);
    ASSERT_NE(loaded->pblock2, nullptr);
    IParamBlock2* pb = loaded->pblock2;
    EXPECT_EQ(pb->GetDesc(), &orbicleParameters);
    EXPECT_EQ(pb->GetFloat(length, 2400), 4.0f) << "keys of an animatable entry come along";
    EXPECT_EQ(pb->GetFloat(width), 3.0f);
    EXPECT_EQ(pb->GetFloat(height), 4.0f);
    EXPECT_EQ(pb->GetInt(segments), 8);
    EXPECT_EQ(pb->GetInt(blend), 30);
    EXPECT_EQ(pb->GetInt(direction), 5);
    const std::size_t n = layout.entries.size();
    EXPECT_EQ(pb->GetInt(disabled), n > 6 ? 1 : 0);
    EXPECT_EQ(pb->GetInt(renderable), n > 7 ? 1 : 0);
    EXPECT_EQ(pb->GetInt(realtime), n > 8 ? 1 : 0);
    EXPECT_TRUE(loaded->tables.empty());
    loaded->Eval(0);
    EXPECT_EQ(loaded->mesh.getNumVerts(), 8 * 3 + 2);
  }
}

TEST_F(OrbicleTest, SceneRoundTripKeepsBlockAndTables) {
  Tessarin* skin = SkinOnNode(L"skin", 3);
  const std::uint64_t stamp = skin->instanceStamp;
  auto* ob = new Orbicle();
  ob->pblock2->SetValue(length, 0, 7.0f);
  ob->pblock2->SetValue(direction, 0, 2);
  ob->pblock2->SetValue(renderable, 0, 1);
  ob->tables[stamp] = {0.0f, 0.5f, 1.0f};
  host().CreateNode(L"orb", ob, host().GetINodeByName(L"skin"));
  std::vector<std::uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(SaveSceneToBytes(bytes, &error)) << error;
  ASSERT_TRUE(LoadSceneFromBytes(bytes, &error)) << error;
  auto* loaded = dynamic_cast<Orbicle*>(host().GetINodeByName(L"orb")->GetObjectRef());
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->pblock2->GetFloat(length), 7.0f);
  EXPECT_EQ(loaded->pblock2->GetInt(direction), 2);
  EXPECT_TRUE(loaded->IsRenderable());
  EXPECT_EQ(loaded->tables, (InfluenceTables{{stamp, {0.0f, 0.5f, 1.0f}}}));
}

}  // namespace
