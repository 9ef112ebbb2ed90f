#include "persistence/skin_scene_fixtures.h"

#include <string>

#include "deformer/tessarin.h"
#include "host/headless/builtin_objects.h"
#include "host/headless/headless_host.h"
#include "host/headless/scene_file.h"
#include "host/sdk/iparamb.h"

namespace skinfixture {

std::vector<NamedFixture> LegacyBlockScenes() {
  // Layout version v has v - 1 integer switches, ids 0 upwards.
  ParamBlockDescID layout[5] = {{TYPE_INT, nullptr, FALSE, 0},
                                {TYPE_INT, nullptr, FALSE, 1},
                                {TYPE_INT, nullptr, FALSE, 2},
                                {TYPE_INT, nullptr, FALSE, 3},
                                {TYPE_INT, nullptr, FALSE, 4}};
  const Bytes skinData =
      Concat({MainChunk(MainVersion10Entries10004()), NamesChunk(FixtureNames()), StampChunk(kFixtureStamp)});
  std::vector<NamedFixture> scenes;
  HeadlessHost& host = TheHost();
  for (int version = 3; version <= 6; ++version) {
    host.ResetScene();
    SceneNode* upper = host.CreateNode(L"Upper", new DummyObject());
    SceneNode* lower = host.CreateNode(L"Lower", new DummyObject(), upper);
    TriObject* mesh = CreateNewTriObject();
    mesh->mesh.verts = {Point3(0, 0, 0), Point3(1, 2, -1), Point3(2, 4, -2)};
    IDerivedObject* stack = CreateDerivedObject(mesh);
    auto* skin = new Tessarin();
    stack->AddModifier(skin);
    host.CreateNode(L"Arm", stack);

    const int entries = version - 1;
    IParamBlock* old = CreateParameterBlock(layout, entries, static_cast<DWORD>(version));
    for (int i = 0; i < entries; ++i) old->SetValue(i, 0, kLegacySwitches[i]);
    SceneSaveOptions options;
    options.storedReferences[skin] = {old, upper, lower};
    options.storedData[skin] = skinData;
    NamedFixture scene{"legacy_block_v" + std::to_string(version), {}};
    std::string error;
    if (!SaveSceneToBytes(scene.bytes, &error, &options)) scene.bytes.clear();
    old->DeleteThis();
    scenes.push_back(std::move(scene));
  }
  host.ResetScene();
  return scenes;
}

}  // namespace skinfixture
