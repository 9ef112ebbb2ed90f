// The Wobblex modifier: creation values, the refusal of user and script values, clone, scene
// storage with the conversion of older block layouts, evaluation, and the rollout.

#include <array>

#include "host/headless/builtin_objects.h"
#include "host/headless/chunk_load.h"
#include "host/headless/chunk_save.h"
#include "host/headless/legacy_param_block.h"
#include "host/headless/param_map.h"
#include "host/headless/scripting.h"
#include "host/sdk/triobj.h"
#include "module/registry/class_ids.h"
#include "sources/wobblex_fixture.h"

namespace {

using namespace wobblex_param;

struct NamedValue {
  const wchar_t* name;
  ParamID id;
  int value;  // at 30 frames per second: 10 frames = 1600 ticks
};

const NamedValue kCreationValues[] = {
    {L"delay", delay, 0},           {L"skid", skid, 0},
    {L"amplitude_x", amplitude_x, 0}, {L"period_x", period_x, 1600},
    {L"shift_x", shift_x, 0},       {L"lock_x", lock_x, 0},
    {L"lock_y", lock_y, 100},       {L"lock_z", lock_z, 100},
    {L"throbbing_x", throbbing_x, 0}, {L"amplitude_y", amplitude_y, 0},
    {L"period_y", period_y, 1600},  {L"shift_y", shift_y, 0},
    {L"throbbing_y", throbbing_y, 0}, {L"amplitude_z", amplitude_z, 0},
    {L"period_z", period_z, 1600},  {L"shift_z", shift_z, 0},
    {L"throbbing_z", throbbing_z, 0},
};

TEST_F(WobblexTest, NewModifierCarriesTheCreationValuesUnderTheirScriptNames) {
  Wobblex* w = Loose();
  ASSERT_NE(w->pblock, nullptr);
  EXPECT_EQ(w->pblock->NumParams(), kCount);
  for (const NamedValue& e : kCreationValues) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(Get(w, e.id), e.value);
    std::optional<PB2Value> scripted = ScriptGetParameter(w, e.name);
    ASSERT_TRUE(scripted.has_value());
    EXPECT_EQ(scripted->i, e.value);
  }
}

TEST_F(WobblexTest, PeriodsAreTicksOfTheFrameRateAtCreation) {
  Wobblex* at30 = Loose();
  host().SetFrameRate(25);
  Wobblex* at25 = Loose();
  for (ParamID id : kPeriod) {
    EXPECT_EQ(Get(at30, id), 1600) << "an existing object keeps its ticks";
    EXPECT_EQ(Get(at25, id), 1920);
  }
}

TEST_F(WobblexTest, DeclaredDefaultsAreZeroSoResetAndConversionStartFromZero) {
  for (const ParamDef& d : wobblexParameters.paramdefs) {
    SCOPED_TRACE(d.int_name);
    EXPECT_EQ(d.type, TYPE_INT);
    EXPECT_EQ(d.def.i, 0);
  }
}

// Every value offered through the rollout or a script is refused and the old value stays.
TEST_F(WobblexTest, UserAndScriptValuesAreRefused) {
  Wobblex* w = Loose();
  ParamMap2 map(w->pblock, nullptr);
  for (const NamedValue& e : kCreationValues) {
    SCOPED_TRACE(e.name);
    EXPECT_FALSE(map.EnterValue(e.id, PB2Value::Int(7), 0));
    EXPECT_FALSE(ScriptSetParameter(w, e.name, PB2Value::Int(7)));
    EXPECT_EQ(Get(w, e.id), e.value);
  }
}

TEST_F(WobblexTest, CloneKeepsEveryValueIncludingTheLocks) {
  Wobblex* w = Loose();
  for (int id = 0; id < kCount; ++id) Set(w, static_cast<ParamID>(id), 1000 + id);
  RemapDir* remap = NewRemapDir();
  auto* copy = static_cast<Wobblex*>(remap->CloneRef(w));
  remap->DeleteThis();
  ASSERT_NE(copy, nullptr);
  Keep(copy);
  ASSERT_NE(copy->pblock, nullptr);
  EXPECT_NE(copy->pblock, w->pblock);
  EXPECT_EQ(copy->pblock->GetOwner(), copy);
  for (int id = 0; id < kCount; ++id) EXPECT_EQ(Get(copy, static_cast<ParamID>(id)), 1000 + id) << id;
}

TEST_F(WobblexTest, SaveWritesNothingOfItsOwn) {
  Wobblex* w = Loose();
  ChunkSave save;
  EXPECT_EQ(w->Save(&save), IO_OK);
  EXPECT_TRUE(save.Bytes().empty());
}

// --- Older block layouts ---------------------------------------------------------------------

// How the older versions laid out their blocks: entry i is the parameter with id i.
ParamBlockDescID kVersion1[] = {
    {TYPE_INT, nullptr, TRUE, 0},  {TYPE_INT, nullptr, FALSE, 1}, {TYPE_INT, nullptr, TRUE, 2},
    {TYPE_INT, nullptr, TRUE, 3},  {TYPE_INT, nullptr, TRUE, 4},  {TYPE_INT, nullptr, FALSE, 5},
    {TYPE_INT, nullptr, FALSE, 6}, {TYPE_INT, nullptr, FALSE, 7},
};
ParamBlockDescID kVersion2[] = {
    {TYPE_INT, nullptr, TRUE, 0}, {TYPE_INT, nullptr, TRUE, 1}, {TYPE_INT, nullptr, TRUE, 2},
    {TYPE_INT, nullptr, TRUE, 3}, {TYPE_INT, nullptr, TRUE, 4}, {TYPE_INT, nullptr, TRUE, 5},
    {TYPE_INT, nullptr, TRUE, 6}, {TYPE_INT, nullptr, TRUE, 7}, {TYPE_INT, nullptr, TRUE, 8},
};

class WobblexLoadTest : public WobblexTest {
protected:
  // A Wobblex whose reference 0 holds an old block of `count` entries (entry i = 10 + i), as a
  // scene of that version left it before the post-load work; then that work is run.
  Wobblex* LoadOld(ParamBlockDescID* layout, int count, DWORD version) {
    Wobblex* w = Loose();
    auto* old = new LegacyParamBlock(layout, count, version);
    for (int i = 0; i < count; ++i) EXPECT_TRUE(old->SetValue(i, 0, 10 + i));
    if (version == 2) {
      EXPECT_TRUE(old->SetKey(0, 4800, PB2Value::Int(99)));  // an animated delay
    }
    w->ReplaceReference(0, old);
    EXPECT_EQ(w->pblock, nullptr) << "an old block is not a current one";
    EXPECT_EQ(w->GetReference(0), old);
    ChunkLoad load({});
    EXPECT_EQ(w->Load(&load), IO_OK);
    EXPECT_EQ(load.PendingCallbacks(), 1u);
    load.RunPostLoadCallbacks();
    return w;
  }
};

TEST_F(WobblexLoadTest, Version1KeepsItsEightValuesAndTheRestStartsFromTheDeclaredZero) {
  Wobblex* w = LoadOld(kVersion1, 8, 1);
  ASSERT_NE(w->pblock, nullptr);
  EXPECT_EQ(w->pblock->GetDesc(), &wobblexParameters);
  EXPECT_EQ(w->GetReference(0), w->pblock);
  for (int id = 0; id < 8; ++id) EXPECT_EQ(Get(w, static_cast<ParamID>(id)), 10 + id) << id;
  for (int id = 8; id < kCount; ++id) EXPECT_EQ(Get(w, static_cast<ParamID>(id)), 0) << id << ", periods included";
}

TEST_F(WobblexLoadTest, Version2AddsThrobbingXAndCarriesKeys) {
  Wobblex* w = LoadOld(kVersion2, 9, 2);
  ASSERT_NE(w->pblock, nullptr);
  for (int id = 1; id < 9; ++id) EXPECT_EQ(Get(w, static_cast<ParamID>(id)), 10 + id) << id;
  EXPECT_EQ(Get(w, delay, 4800), 99);
  EXPECT_EQ(Get(w, period_y), 0);
  EXPECT_EQ(Get(w, period_z), 0);
}

TEST_F(WobblexLoadTest, CurrentBlockIsLeftAsLoaded) {
  Wobblex* w = Loose();
  Set(w, amplitude_z, 77);
  IParamBlock2* block = w->pblock;
  ChunkLoad load({});
  EXPECT_EQ(w->Load(&load), IO_OK);
  load.RunPostLoadCallbacks();
  EXPECT_EQ(w->pblock, block);
  EXPECT_EQ(Get(w, amplitude_z), 77);
  EXPECT_EQ(Get(w, period_x), 1600);
}

// --- Evaluation ------------------------------------------------------------------------------

TEST_F(WobblexTest, ModifyObjectNarrowsGeometryValidityToTheInstantAndMovesNothing) {
  Wobblex* w = Loose();
  TriObject* tri = MeshOf({Point3(1, 2, 3), Point3(4, 5, 6)});
  tri->SetChannelValidity(GEOM_CHAN_NUM, FOREVER);
  ObjectState os(tri);
  ModContext mc;
  w->ModifyObject(320, mc, &os, nullptr);
  EXPECT_EQ(tri->ChannelValidity(320, GEOM_CHAN_NUM), Interval(320, 320));
  EXPECT_EQ(tri->mesh.verts[0], Point3(1, 2, 3));
  EXPECT_EQ(tri->mesh.verts[1], Point3(4, 5, 6));
  ObjectState empty;
  w->ModifyObject(320, mc, &empty, nullptr);
  w->ModifyObject(320, mc, nullptr, nullptr);
  tri->DeleteThis();
}

TEST_F(WobblexTest, BoneNodeIsEvaluatedAgainAtEveryTime) {
  SceneNode* bone = NodeWith(L"bone", MeshOf({Point3(0, 0, 0), Point3(1, 0, 0), Point3(0, 1, 0)}), {new Wobblex()});
  const ObjectState& os = bone->EvalWorldState(160);
  ASSERT_NE(os.obj, nullptr);
  EXPECT_EQ(os.obj->ChannelValidity(160, GEOM_CHAN_NUM), Interval(160, 160));
}

TEST_F(WobblexTest, AnswersTheHostAsAWorldSpaceGeometryModifier) {
  Wobblex* w = Loose();
  EXPECT_EQ(w->ClassID(), WOBBLEX_CLASS_ID);
  EXPECT_EQ(w->SuperClassID(), static_cast<SClass_ID>(WSM_CLASS_ID));
  EXPECT_EQ(w->ChannelsUsed(), GEOM_CHANNEL);
  EXPECT_EQ(w->ChannelsChanged(), GEOM_CHANNEL);
  EXPECT_EQ(w->InputType(), triObjectClassID);
  EXPECT_EQ(w->SubAnim(0), w->pblock);
  EXPECT_EQ(w->SubAnimName(0), MSTR(L"Parameters"));
  EXPECT_EQ(w->GetParamBlockByID(0), w->pblock);
  EXPECT_EQ(w->GetParamBlockByID(1), nullptr);
  EXPECT_EQ(w->GetParamBlock(1), nullptr);
}

}  // namespace
