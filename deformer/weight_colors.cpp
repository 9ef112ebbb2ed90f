#include "deformer/weight_colors.h"

#include <cstddef>
#include <vector>

#include "deformer/tessarin.h"
#include "host/sdk/object_wrapper.h"

namespace {

std::uint32_t Byte(std::uint32_t colour, int shift) { return (colour >> shift) & 0xFFu; }

// 0x00BBGGRR to the host's (r, g, b); 255 gives 0.9996, as the display expects.
VertColor ToVertColor(std::uint32_t colour) {
  return VertColor(static_cast<float>(Byte(colour, 0)) * 0.00392f, static_cast<float>(Byte(colour, 8)) * 0.00392f,
                   static_cast<float>(Byte(colour, 16)) * 0.00392f);
}

bool HasColourSource(const Tessarin& skin) {
  return skin.table.vertexCount > 0 && skin.table.boneCount > 0 && !skin.cache.weights.empty();
}

}  // namespace

std::uint32_t GradientColor(float v, const std::array<std::uint32_t, 6>& table, std::uint32_t noInfluence) {
  if (!(v >= -0.5f)) return noInfluence;  // NaN included: never an index
  if (v <= 0.0f) return table[0];
  if (v >= 1.0f) return table[5];
  const int c = static_cast<int>(v * 64.0f);  // 0 .. 63
  const int i = c / 16;
  const std::uint32_t f = static_cast<std::uint32_t>(c % 16);
  std::uint32_t colour = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const std::uint32_t byte = (Byte(table[i], shift) * (16 - f) + Byte(table[i + 1], shift) * f) / 16;
    colour |= byte << shift;
  }
  return colour;
}

void ComputeVertexColors(Tessarin& skin) {
  if (!HasColourSource(skin)) return;
  const BoneTable& table = skin.table;
  const SkinSettings& settings = skin.settings;
  const int vertices = table.vertexCount;
  const int boneCount = table.boneCount;
  const auto bones = static_cast<std::size_t>(boneCount);
  const std::vector<float>& weights = skin.cache.weights;
  if (weights.size() < bones * static_cast<std::size_t>(vertices) || table.bones.size() < bones) return;

  std::vector<int> selected;
  for (int b = 0; b < boneCount; ++b)
    if (table.bones[b]->flags & kBoneSelectedFlag) selected.push_back(b);

  std::vector<std::uint32_t>& colours = skin.cache.vertexColors;
  colours.resize(static_cast<std::size_t>(vertices));
  for (int j = 0; j < vertices; ++j) {
    if (selected.empty()) {
      const float mix = j < static_cast<int>(table.blendMix.size()) ? table.blendMix[j] : 1.0f;
      colours[j] = GradientColor(mix, settings.mixGradient, settings.noInfluenceColor);
      continue;
    }
    const float* row = weights.data() + static_cast<std::size_t>(j) * bones;
    // The strongest selected bone; on equal weights the first one.
    int strongest = selected.front();
    float best = -10.0f;
    for (int b : selected) {
      if (row[b] > best) {
        best = row[b];
        strongest = b;
      }
    }
    const bool included = table.bones[strongest]->CodeOf(j) & kCodeIncluded;
    colours[j] = GradientColor(included ? best : -1.0f, settings.weightGradient, settings.noInfluenceColor);
  }
}

void SetVertexColors(Tessarin& skin, const std::uint32_t* values) {
  if (!values || !HasColourSource(skin)) return;
  skin.cache.vertexColors.assign(values, values + skin.table.vertexCount);
}

bool WriteVertexColors(Tessarin& skin, ObjectWrapper& wrapper) {
  if (wrapper.Type() == ObjectWrapper::empty) return false;
  const std::vector<std::uint32_t>& colours = skin.cache.vertexColors;
  if (colours.empty()) return false;
  // One map vertex per mesh vertex, map faces mirroring the geometry's faces.
  wrapper.SetupVertexColors();
  const int vertices = wrapper.NumVerts();
  for (int i = 0; i < vertices; ++i) {
    const std::uint32_t colour =
        i < static_cast<int>(colours.size()) ? colours[i] : skin.settings.noInfluenceColor;
    wrapper.SetVertexColor(i, ToVertColor(colour));
  }
  return true;
}
