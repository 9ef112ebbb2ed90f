#include "persistence/import/exchange_import.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <new>
#include <vector>

#include "deformer/attachment.h"
#include "deformer/bone_shapes.h"
#include "deformer/message_routine.h"
#include "deformer/tessarin.h"
#include "host/sdk/interface.h"
#include "module/resources/text_conversion.h"
#include "persistence/exchange/exchange_file.h"
#include "persistence/exchange/exchange_message.h"

namespace {

constexpr int kFirstBoneRef = 2;
constexpr int kMessageWrongBone = 152;
constexpr int kAttachedCommand = 71;
constexpr const char* kNoMemoryText = "Tessarin|Can't allocate memory";

// Colours an unselected bone takes instead of the selection colour (0x00BBGGRR).
constexpr std::uint32_t kUnselectedColor = 0x00800000u;
constexpr std::uint32_t kUnselectedColorOnBlue = 0x00008000u;

// Texts are arguments of the message routine, never its format: paths and names may hold "%".
void ShowImportMessage(Tessarin& skin, UINT flags, const std::string& text) {
  ShowSkinMessage(&skin, flags, "%s", text.c_str());
}

struct ResolvedBone {
  INode* node = nullptr;
  int kind = kUnclassifiedBone;
};

// The node of a file bone: by its handle where the file has handles, else (or when the handle
// is gone) by its name. Handle 0 is the scene's root, which can never be a bone: a file that
// gives 0 (no handle known) is looked up by name as well.
INode* FindBoneNode(Interface& ip, std::int32_t version, const ExchangeBone& bone) {
  INode* node = nullptr;
  if (version >= ExchangeFile::kVersionNodeHandles) node = ip.GetINodeByHandle(bone.nodeHandle);
  if (node && node == ip.GetRootNode()) node = nullptr;
  if (!node) node = ip.GetINodeByName(Utf8ToWide(bone.name).c_str());
  return node;
}

// One node and kind per file bone, in file order; false after showing "Wrong or missing bone"
// for the first bone whose node is missing or cannot serve as a bone.
bool ResolveBones(Tessarin& skin, Interface& ip, const ExchangeFile& file, TimeValue t,
                  std::vector<ResolvedBone>& resolved) {
  resolved.clear();
  for (const ExchangeBone& bone : file.bones()) {
    ResolvedBone r;
    r.node = FindBoneNode(ip, file.version(), bone);
    r.kind = r.node ? Classify(r.node, t) : kUnclassifiedBone;
    if (r.kind == kUnclassifiedBone) {
      ShowImportMessage(skin, MB_ICONEXCLAMATION, ComposeExchangeMessage(kMessageWrongBone, bone.name));
      return false;
    }
    resolved.push_back(r);
  }
  return true;
}

// Takes over a file bone's settings and tables. The tables are copied as stored; the attachment
// conforms them to the mesh's vertex count afterwards.
void CopyFileBone(BoneEntry& entry, const ExchangeBone& bone, std::int32_t version) {
  entry.falloff = bone.falloff;
  entry.strength = bone.strength;
  entry.ResizeVertexArrays(bone.vertexCount);
  const std::size_t n = entry.vertexCodes.size();
  std::copy_n(bone.vertexCodes.begin(), std::min(n, bone.vertexCodes.size()), entry.vertexCodes.begin());
  if (version >= ExchangeFile::kVersionForcedWeights) {
    std::copy_n(bone.forcedWeights.begin(), std::min(n, bone.forcedWeights.size()), entry.forcedWeights.begin());
  } else {
    // The oldest files pack the forced weight into the code: c above 128 is c | 0x7E with weight
    // c - 128 percent.
    for (std::size_t v = 0; v < n; ++v) {
      const std::uint8_t c = entry.vertexCodes[v];
      if (c <= 128) continue;
      entry.vertexCodes[v] = static_cast<std::uint8_t>(c | 0x7E);
      entry.forcedWeights[v] = static_cast<float>(c - 128);
    }
  }
  // A count of 0 or below means no tables; a spline bone is bound afresh by the attachment.
  if (version >= ExchangeFile::kVersionSplines && bone.splineCount > 0) {
    entry.splineCount = bone.splineCount;
    entry.splineParam = bone.splineParam;
    entry.splineCurve = bone.splineCurve;
    entry.splineOffset = bone.splineOffset;
    entry.splineTangent = bone.splineTangent;
    // The four tables hold splineCount entries each, whatever the file held.
    entry.EnsureSplineCapacity(entry.splineCount);
  } else {
    entry.splineCount = 0;
    entry.splineParam.clear();
    entry.splineCurve.clear();
    entry.splineOffset.clear();
    entry.splineTangent.clear();
  }
}

// Nodes in a fixed order: by persistent handle (unique in a scene), then by identity.
struct NodeOrder {
  bool operator()(INode* a, INode* b) const {
    const ULONG ha = a->GetHandle();
    const ULONG hb = b->GetHandle();
    return ha != hb ? ha < hb : std::less<INode*>()(a, b);
  }
};

// When a node is listed more than once, the table keeps one bone per node: the first listing's
// data, the bones in node order. nodes holds one node per bone (boneCount entries) and is
// rewritten to match.
void KeepFirstListing(BoneTable& table, std::vector<INode*>& nodes) {
  std::map<INode*, int, NodeOrder> firstListing;
  for (int i = 0; i < static_cast<int>(nodes.size()); ++i) firstListing.emplace(nodes[i], i);
  if (firstListing.size() == nodes.size()) return;

  std::vector<BoneEntry> copies;
  std::vector<INode*> distinct;
  copies.reserve(firstListing.size());
  distinct.reserve(firstListing.size());
  for (const auto& [node, index] : firstListing) {
    copies.push_back(table.bones[index]->CopyData());
    distinct.push_back(node);
  }
  table.ResizeBones(static_cast<int>(copies.size()));
  for (std::size_t j = 0; j < copies.size(); ++j) *table.bones[j] = std::move(copies[j]);
  nodes = std::move(distinct);
}

// An unselected bone must not look selected: one wearing the selection colour gets a dark one.
void ReconcileBoneColors(Tessarin& skin) {
  const std::uint32_t selected = skin.settings.selectedBoneColor;
  const std::uint32_t replacement = selected == kUnselectedColor ? kUnselectedColorOnBlue : kUnselectedColor;
  for (auto& bone : skin.table.bones)
    if ((bone->flags & kBoneSelectedFlag) == 0 && bone->color == selected) bone->color = replacement;
}

// Leaves the skin without bones and detached; what is left after running out of memory midway.
void ClearBones(Tessarin& skin) {
  BoneTable& table = skin.table;
  table.Detach();
  for (int i = 0; i < table.boneCount; ++i) skin.DeleteReference(kFirstBoneRef + i);
  skin.cache.Invalidate();
  table.ResizeBones(0);
  table.ResizeFrames();
}

bool ApplyResolved(Tessarin& skin, Interface& ip, const ExchangeFile& file, const std::vector<ResolvedBone>& resolved) {
  BoneTable& table = skin.table;
  table.Detach();
  for (int i = 0; i < table.boneCount; ++i) skin.DeleteReference(kFirstBoneRef + i);
  skin.cache.Invalidate();
  // Growing keeps the entries at the old indices (their selection flags with them); shrinking
  // starts from default entries.
  table.ResizeBones(static_cast<int>(resolved.size()));

  std::vector<INode*> nodes;
  nodes.reserve(resolved.size());
  for (std::size_t i = 0; i < resolved.size(); ++i) {
    BoneEntry& entry = *table.bones[i];
    CopyFileBone(entry, file.bones()[i], file.version());
    entry.kind = resolved[i].kind;
    entry.color = resolved[i].node->GetWireColor();
    nodes.push_back(resolved[i].node);
  }
  KeepFirstListing(table, nodes);
  for (int j = 0; j < static_cast<int>(nodes.size()); ++j) skin.SetBoneNode(j, nodes[j]);
  table.ResizeFrames();

  // The attachment reports its own failures; the import goes on regardless.
  ReattachSkin(skin, nullptr);
  if (file.blendCount() == table.blendMix.size()) table.blendMix = file.blendValues();
  ForceReevaluation(skin);
  ReconcileBoneColors(skin);
  ip.ExecuteMAXCommand(kAttachedCommand);
  return true;
}

}  // namespace

bool applyExchangeFile(Tessarin& skin, const ExchangeFile& file) {
  Interface* ip = GetCOREInterface();
  if (!ip) return false;
  std::vector<ResolvedBone> resolved;
  try {
    if (!ResolveBones(skin, *ip, file, ip->GetTime(), resolved)) return false;
  } catch (const std::bad_alloc&) {
    ShowImportMessage(skin, MB_ICONERROR, kNoMemoryText);  // nothing changed yet
    return false;
  }
  if (resolved.empty()) return false;  // a file that was read has at least one bone
  try {
    return ApplyResolved(skin, *ip, file, resolved);
  } catch (const std::bad_alloc&) {
    ClearBones(skin);
    ShowImportMessage(skin, MB_ICONERROR, kNoMemoryText);
    return false;
  }
}

bool importFromPath(Tessarin& skin, const std::string& path) {
  try {
    ExchangeFile file;
    if (!file.read(path)) {
      // The reader's text is complete (the path is in it) and is shown as it is.
      ShowImportMessage(skin, MB_ICONEXCLAMATION, file.errorText());
      return false;
    }
    return applyExchangeFile(skin, file);
  } catch (const std::bad_alloc&) {
    ShowImportMessage(skin, MB_ICONERROR, kNoMemoryText);
    return false;
  }
}
