#pragma once
// A registered modifier class for scene file tests and the fuzz seeds, shaped like a plug-in's:
// reference 0 is its parameter block, 1 a container, 2 .. n + 1 its nodes (n read from its own
// chunk); older data versions number the references without the block, and its Load converts
// old-style blocks. Also the scene the tests and seeds are built from. No test framework here.

#include <cstdint>
#include <vector>

#include "host/headless/builtin_objects.h"
#include "host/headless/chunk_save.h"
#include "host/headless/derived_object.h"
#include "host/headless/headless_host.h"
#include "host/headless/param_block.h"
#include "host/sdk/iparamb2_plcb.h"
#include "host/sdk/triobj.h"

namespace scene_test {

inline constexpr Class_ID kModifierClassID{0x5CE7E570, 0x00000001};
inline constexpr USHORT kModifierChunk = 0x0A10;
inline constexpr int kModifierVersion = 2;  // version 1: no scale, references without the block

// Parameters of the modifier's block.
enum : ParamID { kCount = 0, kAmount = 1, kEnabled = 2, kLabel = 3, kTarget = 4 };

ClassDesc2* ModifierClassDesc();
ParamBlockDesc2* ModifierBlockDesc();

// The older layouts of the block: version 1 (count, amount), version 2 (adds enabled as an
// integer), both with count not animatable and amount and enabled animatable; version 3 kept
// count alone, as an animatable float.
inline ParamBlockDescID kLayoutV1[] = {{TYPE_INT, nullptr, FALSE, kCount}, {TYPE_FLOAT, nullptr, TRUE, kAmount}};
inline ParamBlockDescID kLayoutV2[] = {
    {TYPE_INT, nullptr, FALSE, kCount}, {TYPE_FLOAT, nullptr, TRUE, kAmount}, {TYPE_INT, nullptr, TRUE, kEnabled}};
inline ParamBlockDescID kLayoutV3[] = {{TYPE_FLOAT, nullptr, TRUE, kCount}};
inline ParamVersionDesc kLayouts[] = {ParamVersionDesc(kLayoutV1, 2, 1), ParamVersionDesc(kLayoutV2, 3, 2),
                                      ParamVersionDesc(kLayoutV3, 1, 3)};

class TestModifier : public Modifier {
public:
  TestModifier() { ModifierClassDesc()->MakeAutoParamBlocks(this); }
  ~TestModifier() override { DeleteAllRefs(); }

  Class_ID ClassID() override { return kModifierClassID; }
  void GetClassName(MSTR& s, bool localized = true) const override { (void)localized; s = L"TestModifier"; }
  ChannelMask ChannelsUsed() override { return GEOM_CHANNEL; }
  ChannelMask ChannelsChanged() override { return GEOM_CHANNEL; }
  Class_ID InputType() override { return defObjectClassID; }
  void ModifyObject(TimeValue, ModContext&, ObjectState*, INode*) override {}

  int NumRefs() override { return static_cast<int>(refs_.size()); }
  RefTargetHandle GetReference(int i) override { return i >= 0 && i < NumRefs() ? refs_[i] : nullptr; }
  int NumParamBlocks() override { return 1; }
  IParamBlock2* GetParamBlock(int i) override { return i == 0 ? pblock : nullptr; }

  // Chunk kModifierChunk: i32 version, i32 tag, f32 scale (version 2 on), i32 node count, one f32
  // weight per node.
  IOResult Save(ISave* isave) override {
    isave->BeginChunk(kModifierChunk);
    std::int32_t version = kModifierVersion, count = static_cast<std::int32_t>(nodes.size());
    ULONG n = 0;
    IOResult r = isave->Write(&version, 4, &n);
    if (r == IO_OK) r = isave->Write(&tag, 4, &n);
    if (r == IO_OK) r = isave->Write(&scale, 4, &n);
    if (r == IO_OK) r = isave->Write(&count, 4, &n);
    if (r == IO_OK && count > 0) r = isave->Write(weights.data(), static_cast<ULONG>(4 * count), &n);
    isave->EndChunk();
    return r;
  }

  IOResult Load(ILoad* iload) override {
    iload->RegisterPostLoadCallback(new ParamBlock2PLCB(kLayouts, 3, ModifierBlockDesc(), this, 0));
    IOResult r;
    while ((r = iload->OpenChunk()) == IO_OK) {
      if (iload->CurChunkID() == kModifierChunk && !LoadData(iload)) {
        iload->CloseChunk();
        return IO_ERROR;
      }
      iload->CloseChunk();
    }
    return r == IO_END ? IO_OK : r;
  }

  int RemapRefOnLoad(int iref) override { return loadedVersion >= 2 ? iref : iref + 1; }

  // Makes the nodes references 2 .. n + 1, with a weight each.
  void SetNodes(const std::vector<INode*>& list, const std::vector<float>& w) {
    Resize(list.size());
    weights = w;
    weights.resize(list.size(), 1.0f);
    for (std::size_t i = 0; i < list.size(); ++i) ReplaceReference(static_cast<int>(i) + 2, list[i]);
  }

  // The references as typed views. A scene file may put an object of any class into any
  // reference (an old-style block into reference 0 until it is converted, or anything at all
  // when it is damaged): each view is set only when the target is of its class.
  IParamBlock2* pblock = nullptr;
  IRefTargContainer* container = nullptr;
  std::vector<INode*> nodes;
  std::vector<float> weights;  // one per node
  std::int32_t tag = 0;
  float scale = 1.0f;
  int loadedVersion = 0;

protected:
  void SetReference(int i, RefTargetHandle rtarg) override {
    if (i < 0 || i >= NumRefs()) return;
    refs_[i] = rtarg;
    auto is = [rtarg](SClass_ID s, Class_ID c) { return rtarg && rtarg->SuperClassID() == s && rtarg->ClassID() == c; };
    if (i == 0)
      pblock = is(PARAMETER_BLOCK2_CLASS_ID, paramBlock2ClassID) ? static_cast<IParamBlock2*>(rtarg) : nullptr;
    else if (i == 1)
      container = is(REF_TARGET_CLASS_ID, refTargContainerClassID) ? static_cast<IRefTargContainer*>(rtarg) : nullptr;
    else
      nodes[i - 2] = rtarg && rtarg->SuperClassID() == BASENODE_CLASS_ID ? static_cast<INode*>(rtarg) : nullptr;
  }

private:
  // Room for n node references (released ones beyond n).
  void Resize(std::size_t n) {
    for (int i = NumRefs() - 1; i >= 2; --i) ReplaceReference(i, nullptr);
    refs_.resize(2 + n, nullptr);
    nodes.assign(n, nullptr);
  }

  bool LoadData(ILoad* iload) {
    std::int32_t version = 0, count = 0;
    if (iload->Read(&version, 4, nullptr) != IO_OK || version < 1 || version > kModifierVersion) return false;
    if (iload->Read(&tag, 4, nullptr) != IO_OK) return false;
    if (version >= 2 && iload->Read(&scale, 4, nullptr) != IO_OK) return false;
    if (iload->Read(&count, 4, nullptr) != IO_OK || count < 0) return false;
    if (std::uint64_t(count) * 4 > iload->CurChunkRemaining()) return false;
    Resize(count);
    weights.assign(count, 0.0f);
    if (count > 0 && iload->Read(weights.data(), static_cast<ULONG>(4 * count), nullptr) != IO_OK) return false;
    loadedVersion = version;
    return true;
  }

  std::vector<ReferenceTarget*> refs_ = {nullptr, nullptr};  // block, container, nodes
};

class TestModifierClassDesc : public ClassDesc2 {
public:
  int IsPublic() override { return TRUE; }
  void* Create(BOOL) override { return new TestModifier(); }
  const MCHAR* ClassName() override { return L"TestModifier"; }
  SClass_ID SuperClassID() override { return OSM_CLASS_ID; }
  Class_ID ClassID() override { return kModifierClassID; }
  const MCHAR* Category() override { return L"Tests"; }
};

inline ClassDesc2* ModifierClassDesc() {
  static TestModifierClassDesc desc;
  return &desc;
}

inline ParamBlockDesc2* ModifierBlockDesc() {
  static ParamBlockDesc2 desc = [] {
    auto def = [](ParamID id, const MCHAR* name, ParamType2 type, int flags, PB2Value value) {
      ParamDef d;
      d.ID = id;
      d.int_name = name;
      d.type = type;
      d.flags = flags;
      d.def = value;
      return d;
    };
    PB2Value label;
    label.type = TYPE_STRING;
    PB2Value target;
    target.type = TYPE_INODE;
    return ParamBlockDesc2(0, L"testParameters", 0, ModifierClassDesc(), P_AUTO_CONSTRUCT, 3, 0, {},
                           {def(kCount, L"count", TYPE_INT, 0, PB2Value::Int(7)),
                            def(kAmount, L"amount", TYPE_FLOAT, P_ANIMATABLE, PB2Value::Float(0.5f)),
                            def(kEnabled, L"enabled", TYPE_BOOL, P_ANIMATABLE, PB2Value::Bool(true)),
                            def(kLabel, L"label", TYPE_STRING, 0, label),
                            def(kTarget, L"target", TYPE_INODE, 0, target)});
  }();
  return &desc;
}

inline void RegisterClasses() {
  ModifierBlockDesc();  // registers the block with the class first
  TheHost().RegisterClass(ModifierClassDesc());
}

inline TestModifier* NewModifier() { return static_cast<TestModifier*>(TheHost().CreateInstance(OSM_CLASS_ID, kModifierClassID)); }

// The scene the round-trip tests and the fuzz seeds start from (the current scene is replaced):
//   Hips (animated position and rotation, object offset, wire colour, selected)
//     Spine (scale keys) - Arm (dummy)
//   Body: a triangle mesh with vertex colours under two TestModifiers (the lower one disabled,
//     with a mod-context transform), the top one referencing Arm and Spine and a container of
//     Hips, nothing, Arm, the lower one Hips; the top one's block has keys, a string and a node
//   Bag: a point helper under a world-space stack of one TestModifier
//   Shapes: a spline; Poly and Patch meshes; Bone and LegacyBone objects
// Frame rate 25, time 37, next handle 100. Returns the container.
inline RefTargContainer* BuildFixtureScene() {
  HeadlessHost& host = TheHost();
  host.ResetScene();
  host.SetFrameRate(25);
  const TimeValue frame = GetTicksPerFrame();

  SceneNode* hips = host.CreateNode(L"Hips");
  hips->Track().positionKeys = {{0, Point3(0, 0, 0)}, {10 * frame, Point3(4, 0, 1)}, {20 * frame, Point3(4, 3, 1)}};
  hips->Track().rotationKeys = {{0, Quat()}, {10 * frame, QFromAngAxis(0.5f, Point3(0, 0, 1))}};
  hips->SetObjOffsetPos(Point3(0.25f, 0, 0));
  hips->SetObjOffsetRot(QFromAngAxis(0.3f, Point3(1, 0, 0)));
  hips->SetObjOffsetScale(ScaleValue(Point3(1, 2, 1), QFromAngAxis(0.2f, Point3(0, 1, 0))));
  hips->SetWireColor(0x00336699);
  hips->SetObjectRef(new PointHelperObject());
  host.SelectNode(hips);
  SceneNode* spine = host.CreateNode(L"Spine", new BoneGeometryObject(), hips);
  spine->Track().position = Point3(0, 0, 5);
  spine->Track().scaleKeys = {{0, Point3(1, 1, 1)}, {5 * frame, Point3(1, 1, 1.5f)}};
  auto* box = new DummyObject();
  box->box = Box3(Point3(-1, -2, -3), Point3(1, 2, 3));
  SceneNode* arm = host.CreateNode(L"Arm \u00e9\u4e2d", box, spine);
  arm->Track().position = Point3(2, 0, 0);

  TriObject* tri = CreateNewTriObject();
  tri->mesh.verts = {Point3(0, 0, 0), Point3(1, 0, 0), Point3(0, 1, 0), Point3(0, 0, 1)};
  tri->mesh.setNumFaces(2);
  tri->mesh.faces[0].setVerts(0, 1, 2);
  tri->mesh.faces[0].setSmGroup(3);
  tri->mesh.faces[1].setVerts(0, 2, 3);
  tri->mesh.faces[1].setEdgeVisFlags(1, 0, 1);
  tri->mesh.vertCol = {Point3(1, 0, 0), Point3(0, 1, 0)};
  tri->mesh.vcFace.resize(2);
  tri->mesh.vcFace[1].setTVerts(1, 1, 0);
  IDerivedObject* stack = CreateDerivedObject(tri);
  TestModifier* lower = NewModifier();
  lower->tag = 1;
  lower->SetNodes({hips}, {0.75f});
  auto* mc = new ModContext();
  mc->tm = new Matrix3(Point3(1, 0, 0), Point3(0, 1, 0), Point3(0, 0, 1), Point3(1, 2, 3));
  stack->AddModifier(lower, mc);
  lower->DisableMod();
  TestModifier* upper = NewModifier();
  upper->tag = 2;
  upper->scale = 2.5f;
  upper->SetNodes({arm, spine}, {0.25f, -1.5f});
  stack->AddModifier(upper);
  IParamBlock2* block = upper->pblock;
  block->SetValue(kCount, 0, 11);
  block->SetKey(kAmount, 0, PB2Value::Float(0.0f));
  block->SetKey(kAmount, 10 * frame, PB2Value::Float(1.0f));
  block->SetKey(kEnabled, 5 * frame, PB2Value::Bool(false));
  PB2Value label;
  label.type = TYPE_STRING;
  label.s = L"left \u00fc";
  block->SetConstant(kLabel, label);
  PB2Value target;
  target.type = TYPE_INODE;
  target.r = arm;
  block->SetConstant(kTarget, target);
  SceneNode* body = host.CreateNode(L"Body", stack);
  body->SetWireColor(0x000000FF);

  auto* bag = new RefTargContainer();
  bag->AppendItem(hips);
  bag->AppendItem(nullptr);
  bag->AppendItem(arm);
  upper->ReplaceReference(1, bag);
  IDerivedObject* ws = CreateWSDerivedObject(new PointHelperObject());
  TestModifier* holder = NewModifier();
  holder->tag = 3;
  ws->AddModifier(holder);
  host.CreateNode(L"Bag", ws);

  SceneNode* shapes = host.CreateNode(L"Shapes");
  auto* spline = new SplineShapeObject();
  spline->curves = {{{Point3(0, 0, 0), Point3(1, 1, 0), Point3(2, 0, 0)}, false, true},
                    {{Point3(0, 0, 1), Point3(1, 0, 1)}, true, false}};
  shapes->SetObjectRef(spline);
  PolyObject* poly = CreateEditablePolyObject();
  poly->mm.setNumVerts(4);
  for (int i = 0; i < 4; ++i) poly->mm.P(i) = Point3(float(i), float(i * i), 0.0f);
  poly->mm.f.resize(1);
  poly->mm.f[0].vtx = {0, 1, 2, 3};
  poly->mm.InitMap(0);
  host.CreateNode(L"Poly", poly, shapes);
  PatchObject* patch = CreatePatchObject();
  patch->patch.setNumVerts(3);
  patch->patch.setVert(1, Point3(1, 0, 0));
  patch->patch.setVert(2, Point3(0, 1, 0));
  patch->patch.vecs = {Point3(0.5f, 0, 0)};
  patch->patch.patches.resize(1);
  patch->patch.patches[0].type = 3;
  patch->patch.patches[0].v[1] = 1;
  patch->patch.patches[0].v[2] = 2;
  patch->patch.setMapSupport(0, true);
  host.CreateNode(L"Patch", patch, shapes);
  host.CreateNode(L"Bone", new BoneGeometryObject(), shapes);
  host.CreateNode(L"OldBone", new LegacyBoneObject(), shapes);

  host.SetTime(37);
  host.SetNextHandle(100);
  return bag;
}

// The data chunk of a TestModifier as version 1 wrote it (no scale): tag, then one weight per
// node. Stored with references numbered without the block: 0 the container, 1 .. n the nodes.
inline std::vector<std::uint8_t> ModifierDataV1(std::int32_t tag, const std::vector<float>& weights) {
  ChunkSave save;
  save.BeginChunk(kModifierChunk);
  std::int32_t version = 1, count = static_cast<std::int32_t>(weights.size());
  save.Write(&version, 4, nullptr);
  save.Write(&tag, 4, nullptr);
  save.Write(&count, 4, nullptr);
  if (count > 0) save.Write(weights.data(), static_cast<ULONG>(4 * count), nullptr);
  save.EndChunk();
  return save.TakeBytes();
}

}  // namespace scene_test
