#include "deformer/tessarin_editor.h"

#include <algorithm>

#include "deformer/attachment.h"
#include "deformer/bone_shapes.h"
#include "deformer/skin_services.h"
#include "deformer/tessarin.h"
#include "deformer/weight_colors.h"
#include "deformer/weights.h"
#include "host/sdk/interface.h"

namespace {

constexpr int kFirstBoneRef = 2;

// Copies the given per-vertex data into a bone; the shorter of the two arrays (or an absent
// one) keeps the defaults (code 0x80, forced weight 0) for its missing entries.
void FillVertexData(BoneEntry& bone, const SkinBoneAssignment& from) {
  const std::size_t n = std::max(from.codes.size(), from.forcedWeights.size());
  if (n == 0) return;
  bone.ResizeVertexArrays(static_cast<int>(n));
  std::copy(from.codes.begin(), from.codes.end(), bone.vertexCodes.begin());
  std::copy(from.forcedWeights.begin(), from.forcedWeights.end(), bone.forcedWeights.begin());
}

}  // namespace

int TessarinEditor::AssignBones(const std::vector<SkinBoneAssignment>& bones) {
  BoneTable& table = skin_.table;
  table.Detach();
  for (int i = 0; i < table.boneCount; ++i) skin_.DeleteReference(kFirstBoneRef + i);
  skin_.cache.Invalidate();
  table.ResizeBones(0);
  table.ResizeBones(static_cast<int>(bones.size()));

  const TimeValue t = GetCOREInterface()->GetTime();
  for (std::size_t i = 0; i < bones.size(); ++i) {
    const SkinBoneAssignment& from = bones[i];
    BoneEntry& entry = *table.bones[i];
    const int kind = from.node ? Classify(from.node, t) : 0;
    if (kind == 0) {
      table.ResizeBones(0);
      table.ResizeFrames();
      return static_cast<int>(i);
    }
    entry.kind = kind;
    entry.falloff = from.falloff;
    entry.strength = from.strength;
    entry.color = from.node->GetWireColor();
    FillVertexData(entry, from);
  }
  for (std::size_t i = 0; i < bones.size(); ++i) skin_.SetBoneNode(static_cast<int>(i), bones[i].node);

  // An unselected bone must not look selected: a bone wearing the selection colour gets a dark
  // one instead.
  const std::uint32_t selected = skin_.settings.selectedBoneColor;
  for (auto& bone : table.bones) {
    if ((bone->flags & kBoneSelectedFlag) == 0 && bone->color == selected)
      bone->color = selected == 0x00800000u ? 0x00008000u : 0x00800000u;
  }
  table.ResizeFrames();
  return -1;
}

bool TessarinEditor::Attach(INode* node) { return ReattachSkin(skin_, node); }

bool TessarinEditor::SetBlendMix(const std::vector<float>& blendMix) {
  if (blendMix.size() != skin_.table.blendMix.size()) return false;
  skin_.table.blendMix = blendMix;
  // With no bone selected the colours show the blend mix: keep them in step with it.
  ComputeVertexColors(skin_);
  ForceReevaluation(skin_);
  return true;
}

bool TessarinEditor::SelectBones(const std::vector<bool>& selected) {
  BoneTable& table = skin_.table;
  if (selected.size() != std::size_t(table.boneCount)) return false;
  for (int b = 0; b < table.boneCount; ++b) {
    std::uint32_t& flags = table.bones[b]->flags;
    flags = selected[b] ? (flags | kBoneSelectedFlag) : (flags & ~kBoneSelectedFlag);
  }
  ComputeVertexColors(skin_);
  ForceReevaluation(skin_);
  return true;
}

void TessarinEditor::SetSettings(const SkinSettings& settings) {
  skin_.settings = settings;
  ForceReevaluation(skin_);
}

bool TessarinEditor::ImportExchangeFile() {
  auto import = GetSkinServices().importExchangeFile;
  return import && import(skin_);
}

const SkinSettings& TessarinEditor::Settings() { return skin_.settings; }

const BoneTable& TessarinEditor::Table() { return skin_.table; }

const WeightCache& TessarinEditor::Weights() { return skin_.cache; }

float TessarinEditor::WeightOf(int bone, int vertex) { return ::WeightOf(skin_, bone, vertex); }

bool TessarinEditor::LastEvaluationFailed() { return skin_.lastEvaluationFailed; }
