// Feeds arbitrary bytes to the skin modifier's Load as the modifier's data in the scene stream.
// Beyond the sanitizers' own findings, a result that breaks the storage's promises aborts:
// - whatever the result, the bone table's arrays agree with its counts;
// - what a successful load saves loads again and saves the same bytes once more;
// - a table that loaded attached and valid evaluates on a mesh of its vertex count.

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "deformer/tessarin.h"
#include "host/headless/chunk_load.h"
#include "host/headless/chunk_save.h"
#include "host/headless/headless_host.h"
#include "host/sdk/triobj.h"
#include "persistence/skin_chunks/skin_storage.h"

namespace {

// Evaluation is tried on tables up to this many weights (bones × vertices).
constexpr std::int64_t kMaxEvaluatedWeights = 1 << 18;

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckConsistent(const Tessarin& skin) {
  const BoneTable& t = skin.table;
  Require(t.boneCount >= 0 && static_cast<std::size_t>(t.boneCount) == t.bones.size());
  Require(t.frameCount >= 0 && static_cast<std::size_t>(t.frameCount) == t.bindFrames.size() &&
          t.bindFrames.size() == t.currentFrames.size());
  const std::size_t m = t.vertexCount > 0 ? static_cast<std::size_t>(t.vertexCount) : 0;
  Require(t.attachPositions.size() == m && t.currentPositions.size() == m && t.blendMix.size() == m);
  for (const auto& bone : t.bones) {
    Require(bone != nullptr && bone->node == nullptr);
    Require(bone->vertexCodes.size() == bone->forcedWeights.size());
    const std::size_t s = bone->splineCount > 0 ? static_cast<std::size_t>(bone->splineCount) : 0;
    Require(bone->kind == kSplineBone || s == 0);
    Require(bone->splineParam.size() == s && bone->splineCurve.size() == s && bone->splineOffset.size() == s &&
            bone->splineTangent.size() == s);
  }
  const SkinSettings& set = skin.settings;
  Require(set.vertexSelectionCount >= 0 &&
          static_cast<std::size_t>(set.vertexSelectionCount) == set.vertexSelection.size());
  for (int j = 0; j < kNamedSetSlots; ++j)
    Require(set.vertexSetNames[j].size() <= 256 && set.boneSetNames[j].size() <= 256);
}

std::vector<std::uint8_t> Save(Tessarin& skin) {
  ChunkSave save;
  Require(skin.Save(&save) == IO_OK && !save.Failed());
  return save.TakeBytes();
}

// Loads bytes into a new skin; the caller deletes it.
Tessarin* Load(std::span<const std::uint8_t> bytes, IOResult& result) {
  auto* skin = new Tessarin();
  ChunkLoad load(bytes);
  result = skin->Load(&load);
  load.RunPostLoadCallbacks();
  CheckConsistent(*skin);
  return skin;
}

// Puts the skin on a mesh of its vertex count and evaluates it once; the scene owns the skin.
void Evaluate(Tessarin* skin) {
  TriObject* mesh = CreateNewTriObject();
  mesh->mesh.verts = skin->table.attachPositions;
  IDerivedObject* stack = CreateDerivedObject(mesh);
  stack->AddModifier(skin);
  INode* node = TheHost().CreateNode(L"Skinned", stack);
  node->EvalWorldState(0);
  TheHost().ResetScene();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool installed = [] {
    InstallSkinStorage();
    return true;
  }();
  (void)installed;

  IOResult result = IO_OK;
  Tessarin* skin = Load({data, size}, result);
  if (result == IO_OK) {
    const std::vector<std::uint8_t> first = Save(*skin);
    IOResult again = IO_ERROR;
    Tessarin* reloaded = Load(first, again);
    Require(again == IO_OK);
    Require(Save(*reloaded) == first);
    reloaded->DeleteMe();
    const BoneTable& t = skin->table;
    if (t.IsValidFor(0, 0) && static_cast<std::int64_t>(t.boneCount) * t.vertexCount <= kMaxEvaluatedWeights) {
      Evaluate(skin);
      return 0;
    }
  }
  skin->DeleteMe();
  return 0;
}
