#pragma once
// Influence sources in a clean headless scene: the Tessarin, Orbicle and Fluxel classes
// registered with the host and creating their objects, skin modifiers on mesh nodes (the scene
// owns them) and free-standing objects (deleted after the test).

#include <functional>
#include <new>
#include <vector>

#include "deformer/tessarin.h"
#include "host/headless/scene_node.h"
#include "host/scene_fixture.h"
#include "host/sdk/triobj.h"
#include "module/registry/class_descs.h"
#include "sources/fluxel.h"
#include "sources/orbicle.h"

// Holds one reference to a target and counts the change messages it hears from it; onChange
// (when set) runs on each.
class ChangeRecorder : public ReferenceMaker {
public:
  explicit ChangeRecorder(ReferenceTarget* target) { ReplaceReference(0, target); }
  ~ChangeRecorder() override { DeleteAllRefs(); }
  SClass_ID SuperClassID() override { return REF_TARGET_CLASS_ID; }
  int NumRefs() override { return 1; }
  RefTargetHandle GetReference(int i) override { return i == 0 ? target_ : nullptr; }

  int changes = 0;
  PartID lastPart = 0;
  std::function<void()> onChange;

protected:
  void SetReference(int i, RefTargetHandle rtarg) override {
    if (i == 0) target_ = rtarg;
  }
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID& partID, RefMessage message, BOOL) override {
    if (message == REFMSG_CHANGE) {
      ++changes;
      lastPart = partID;
      if (onChange) onChange();
    }
    return REF_SUCCEED;
  }

private:
  ReferenceTarget* target_ = nullptr;
};

class InfluenceSourceTest : public SceneTest {
protected:
  void SetUp() override {
    SceneTest::SetUp();
    GetTessarinDesc()->SetFactory([]() -> void* { return static_cast<Modifier*>(new (std::nothrow) Tessarin()); });
    GetOrbicleDesc()->SetFactory([]() -> void* { return static_cast<Object*>(new (std::nothrow) Orbicle()); });
    GetFluxelDesc()->SetFactory([]() -> void* { return static_cast<Modifier*>(new (std::nothrow) Fluxel()); });
    for (ClassDesc* cd : {static_cast<ClassDesc*>(GetTessarinDesc()), static_cast<ClassDesc*>(GetOrbicleDesc()),
                          static_cast<ClassDesc*>(GetFluxelDesc())})
      host().RegisterClass(cd);
  }
  void TearDown() override {
    for (ReferenceTarget* r : loose_) r->DeleteMe();
    loose_.clear();
    SceneTest::TearDown();
  }

  // Takes r over as a free-standing object, deleted after the test.
  template <class T>
  T* Keep(T* r) {
    loose_.push_back(r);
    return r;
  }

  // A skin modifier of n vertices on a mesh node of its own.
  Tessarin* SkinOnNode(const wchar_t* name, int n) {
    TriObject* tri = CreateNewTriObject();
    tri->mesh.setNumVerts(n);
    IDerivedObject* stack = CreateDerivedObject(tri);
    auto* skin = new Tessarin();
    skin->table.vertexCount = n;
    stack->AddModifier(skin);
    host().CreateNode(name, stack);
    return skin;
  }

  // A skin modifier of n vertices in no scene.
  Tessarin* LooseSkin(int n) {
    Tessarin* skin = Keep(new Tessarin());
    skin->table.vertexCount = n;
    return skin;
  }

  // A node carrying obj under parent (the root when null), with the given world-space
  // modifiers, the first one on top.
  SceneNode* NodeWith(const wchar_t* name, Object* obj, std::vector<Modifier*> wsModifiers = {},
                      INode* parent = nullptr) {
    Object* top = obj;
    if (!wsModifiers.empty()) {
      IDerivedObject* ws = CreateWSDerivedObject(obj);
      for (auto it = wsModifiers.rbegin(); it != wsModifiers.rend(); ++it) ws->AddModifier(*it);
      top = ws;
    }
    return host().CreateNode(name, top, parent);
  }

private:
  std::vector<ReferenceTarget*> loose_;
};
