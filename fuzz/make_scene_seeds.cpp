// Writes the seed corpus of scene_file_fuzz: the scene file tests' fixture scene, an empty
// scene, and scenes as older class versions wrote them. Usage: make_scene_seeds <folder>.

#include <cstdio>
#include <string>

#include "host/headless/legacy_param_block.h"
#include "host/headless/scene_file.h"
#include "tests/host/scene_test_classes.h"

namespace {

bool Write(const std::string& dir, const char* name, const SceneSaveOptions* options = nullptr) {
  std::string error;
  if (SaveScene(dir + "/" + name, &error, options)) return true;
  std::fprintf(stderr, "%s: %s\n", name, error.c_str());
  return false;
}

// A skin node under one TestModifier with a bone node; returns the modifier.
scene_test::TestModifier* SkinScene() {
  HeadlessHost& host = TheHost();
  host.ResetScene();
  SceneNode* bone = host.CreateNode(L"B");
  IDerivedObject* stack = CreateDerivedObject(CreateNewTriObject());
  scene_test::TestModifier* mod = scene_test::NewModifier();
  mod->SetNodes({bone}, {1.0f});
  stack->AddModifier(mod);
  host.CreateNode(L"Skin", stack);
  return mod;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  scene_test::RegisterClasses();
  bool ok = true;

  scene_test::BuildFixtureScene();
  ok &= Write(dir, "fixture.tsscene");

  TheHost().ResetScene();
  ok &= Write(dir, "empty.tsscene");

  // An old-style block of layout version 2 at the modifier's reference 0, with keys.
  for (DWORD version : {2u, 9u}) {
    scene_test::TestModifier* mod = SkinScene();
    IParamBlock* old = CreateParameterBlock(scene_test::kLayoutV2, 3, version);
    old->SetValue(0, 0, 3);
    old->SetKey(1, 0, PB2Value::Float(0.5f));
    old->SetKey(1, 160, PB2Value::Float(1.5f));
    SceneSaveOptions options;
    options.storedReferences[mod] = {old, nullptr, mod->nodes[0]};
    ok &= Write(dir, version == 2 ? "legacy_block.tsscene" : "legacy_block_unknown_version.tsscene", &options);
    old->DeleteThis();
  }

  // Data of version 1, references numbered without the block; a container that holds the root.
  {
    scene_test::TestModifier* mod = SkinScene();
    auto* sources = new RefTargContainer();
    sources->AppendItem(TheHost().GetRootNode());
    SceneSaveOptions options;
    options.storedData[mod] = scene_test::ModifierDataV1(4, {0.5f});
    options.storedReferences[mod] = {sources, mod->nodes[0]};
    ok &= Write(dir, "legacy_references.tsscene", &options);
    sources->DeleteThis();
  }
  TheHost().ResetScene();
  return ok ? 0 : 1;
}
