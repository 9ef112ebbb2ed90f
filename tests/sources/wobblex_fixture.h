#pragma once
// Wobblex modifiers in a clean headless scene: free-standing ones (deleted after the test) and
// ones on the world-space stack of a bone node (the scene owns those).

#include <vector>

#include "host/headless/scene_node.h"
#include "host/scene_fixture.h"
#include "module/registry/wobblex_parameters.h"
#include "sources/wobblex.h"

class WobblexTest : public SceneTest {
protected:
  void TearDown() override {
    for (Wobblex* w : loose_) w->DeleteMe();
    loose_.clear();
    SceneTest::TearDown();
  }

  // A Wobblex in no scene.
  Wobblex* Loose() {
    loose_.push_back(new Wobblex());
    return loose_.back();
  }
  // Takes w over as a free-standing object, deleted after the test.
  Wobblex* Keep(Wobblex* w) {
    loose_.push_back(w);
    return w;
  }

  // A node carrying obj under parent (the root when null), with the given modifiers on its
  // world-space stack, the first one on top (index 0).
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

  // The program's own write of a parameter (not validated), at time 0.
  static void Set(Wobblex* w, ParamID id, int v) { ASSERT_TRUE(w->pblock->SetValue(id, 0, v)); }
  static int Get(Wobblex* w, ParamID id, TimeValue t = 0) { return w->pblock->GetInt(id, t); }

private:
  std::vector<Wobblex*> loose_;
};
