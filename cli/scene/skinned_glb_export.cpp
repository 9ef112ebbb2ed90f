#include "cli/scene/skinned_glb_export.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iostream>
#include <map>

#include "cli/scene/glb_file.h"
#include "cli/scene/mesh_snapshot.h"
#include "cli/scene/progress.h"
#include "cli/scene/scene_builder.h"
#include "cli/scene/skin_access.h"
#include "cli/scene/skinned_glb_model.h"
#include "deformer/bone_table.h"
#include "host/headless/headless_host.h"
#include "host/headless/scene_node.h"
#include "host/headless/utf8_text.h"
#include "host/sdk/iparamb2.h"
#include "host/sdk/inode.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string NameOf(INode* node) { return WideToUtf8Text(node->GetName()); }

// A bone joint follows its node when the skin's map and the node's motion differ by less than
// this share of the model's size.
constexpr double kRigidTolerance = 1e-6;

constexpr int kRoot = 0;  // the written scene's root node

struct BoneTrack {
  INode* node = nullptr;
  int hierarchy = -1;      // the bone node's index in the hierarchy, -1 without a node
  Affine bindNode;         // the bone node's transform at attachment (host)
  Affine bindShape;        // the bone's shape frame at attachment (host)
  std::vector<Affine> shapeWorld;  // per frame: the map the skin applies, times bindShape (host)
  double rigidError = 0.0;         // largest distance between the skin's map and the node's motion
};

struct SkinTrack {
  INode* node = nullptr;
  SkinRef skin;
  std::string name;
  double size = 1.0;  // the bind pose's bounding-box diagonal
  std::vector<BoneTrack> bones;
  std::vector<Affine> restWorld;  // per frame: where unbound vertices go (host)
};

// The largest displacement between two maps over the box centre ± size: the linear parts'
// difference scaled by the size, plus the translations' difference.
double MapDistance(const Affine& a, const Affine& b, double size) {
  double worst = 0.0;
  for (int r = 0; r < 3; ++r) {
    double lin = 0.0;
    for (int c = 0; c < 3; ++c) lin += std::fabs(a.m[r][c] - b.m[r][c]);
    worst = std::max(worst, lin * size + std::fabs(a.m[r][3] - b.m[r][3]));
  }
  return worst;
}

bool SwitchOn(Modifier* mod, const wchar_t* name, TimeValue t) {
  IParamBlock2* block = mod->GetParamBlock(0);
  ParamBlockDesc2* desc = block ? block->GetDesc() : nullptr;
  const ParamDef* def = desc ? desc->GetParamDefByName(name) : nullptr;
  int value = 0;
  Interval valid = FOREVER;
  return def && block->GetValue(def->ID, t, value, valid) && value != 0;
}

// The bone nodes and their ancestors, parents first.
class Hierarchy {
public:
  int Add(INode* node) {
    if (auto it = index_.find(node); it != index_.end()) return it->second;
    INode* parent = node->GetParentNode();
    const int p = parent && !parent->IsRootNode() ? Add(parent) : -1;
    nodes.push_back(node);
    parents.push_back(p);
    index_[node] = static_cast<int>(nodes.size()) - 1;
    return index_[node];
  }
  std::vector<INode*> nodes;
  std::vector<int> parents;

private:
  std::map<INode*, int> index_;
};

void Warn(RunReport& report, const std::string& text) {
  if (std::find(report.warnings.begin(), report.warnings.end(), text) == report.warnings.end())
    report.warnings.push_back(text);
}

// What a glTF skin cannot play, said once per skin.
void WarnInexpressible(SkinTrack& s, RunReport& report, TimeValue t) {
  ISkinEditor& editor = *s.skin.editor;
  const BoneTable& table = editor.Table();
  if (SwitchOn(s.skin.modifier, L"use_dual_quaternion", t)) {
    const bool mixed = std::any_of(table.blendMix.begin(), table.blendMix.end(), [](float m) { return m > 0.0f; });
    if (mixed)
      Warn(report, s.name + ": dual-quaternion blending has no glTF form: the skinned file blends linearly "
                            "(--format glb keeps the exact frames)");
  }
  for (int b = 0; b < table.boneCount; ++b) {
    if (table.bones[b]->kind == kSplineBone) {
      Warn(report, s.name + ": spline bones have no glTF form: their vertices follow the bone's frame instead of "
                            "the curve (--format glb keeps the exact frames)");
      break;
    }
  }
  if (SwitchOn(s.skin.modifier, L"use_fluxels", t))
    Warn(report, s.name + ": the push-out of influence sources has no glTF form and is left out "
                          "(--format glb keeps the exact frames)");
  if (SwitchOn(s.skin.modifier, L"use_inertia", t) || SwitchOn(s.skin.modifier, L"use_oscillation", t))
    Warn(report, s.name + ": secondary motion is baked into this animation's joint keys; "
                          "a new animation of the rig does not lag or wobble");
}

// A mesh no skin deforms, carried rigidly on its own node.
struct RigidMesh {
  INode* node = nullptr;
  int hierarchy = -1;  // the node's index in the hierarchy
};

double BindSize(const BoneTable& table) {
  if (table.attachPositions.empty()) return 1.0;
  Point3 lo = table.attachPositions[0], hi = lo;
  for (const Point3& p : table.attachPositions) {
    for (int c = 0; c < 3; ++c) {
      lo[c] = std::min(lo[c], p[c]);
      hi[c] = std::max(hi[c], p[c]);
    }
  }
  const Point3 d = hi - lo;
  const double size = std::sqrt(double(d.x) * d.x + double(d.y) * d.y + double(d.z) * d.z);
  return size > 0.0 ? size : 1.0;
}

}  // namespace

bool RunSkinnedGlb(const std::vector<INode*>& nodes, int frameRate, const RunOptions& options, RunReport& report,
                   std::string* error) {
  const Clock::time_point start = Clock::now();
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  const std::vector<SkinRef> skins = FindSkins();
  std::vector<SkinTrack> tracks;
  Hierarchy hierarchy;
  for (INode* node : nodes) {
    SkinTrack s;
    s.node = node;
    s.name = NameOf(node);
    int count = 0;
    for (const SkinRef& ref : skins) {
      if (ref.node != node) continue;
      s.skin = ref;
      ++count;
    }
    if (count != 1)
      return fail(s.name + ": " + std::to_string(count) +
                  " Tessarin modifiers on one node; a glTF skin plays one (write --format glb instead)");
    const BoneTable& table = s.skin.editor->Table();
    if (!table.IsAttached() || table.boneCount <= 0 || table.vertexCount <= 0)
      return fail(s.name + ": the skin is not attached to bones: nothing to write as a glTF skin");
    s.size = BindSize(table);
    for (int b = 0; b < table.boneCount; ++b) {
      const BoneEntry& entry = *table.bones[b];
      BoneTrack bone;
      bone.node = entry.node;
      if (entry.node) bone.hierarchy = hierarchy.Add(entry.node);
      bone.bindNode = Affine::FromMatrix3(entry.bindNodeTM);
      bone.bindShape = Affine::FromRows(entry.bindShape.frame.m);
      s.bones.push_back(std::move(bone));
    }
    report.nodes.push_back(s.name);
    tracks.push_back(std::move(s));
  }
  if (tracks.empty()) return fail("the scene has no node with a Tessarin modifier");
  // Every other mesh of the scene rides along on its node, as it is at the first frame; added
  // after the bones, so that their hierarchy indices stay as they are.
  std::vector<RigidMesh> rigid;
  {
    const TimeValue first = FrameToTicks(options.firstFrame, frameRate);
    for (SceneNode* node : TheHost().AllNodes()) {
      if (std::find(nodes.begin(), nodes.end(), node) != nodes.end() || !IsSnapshotMesh(node, first)) continue;
      rigid.push_back({node, hierarchy.Add(node)});
    }
  }
  std::error_code ec;
  std::filesystem::create_directories(options.outDir, ec);
  if (ec) return fail(options.outDir.string() + ": cannot create the output folder: " + ec.message());

  SkinnedGlbScene scene;
  scene.animationName = "frames " + std::to_string(options.firstFrame) + ".." + std::to_string(options.lastFrame);
  // One root above everything: glTF wants all joints of a skin under a common root.
  scene.nodes.resize(hierarchy.nodes.size() + 1);
  scene.nodes[kRoot].name = options.baseName;
  for (std::size_t i = 0; i < hierarchy.nodes.size(); ++i) {
    scene.nodes[i + 1].name = NameOf(hierarchy.nodes[i]);
    scene.nodes[i + 1].parent = hierarchy.parents[i] + 1;  // -1 becomes the root
  }
  scene.meshes.resize(tracks.size() + rigid.size());
  std::vector<std::vector<Affine>> hierarchyWorld(hierarchy.nodes.size());  // per node, per frame (glTF)
  const int frames = options.lastFrame - options.firstFrame + 1;
  // Times f / fps keep a range's offset; glTF times cannot be negative, so a range that starts
  // before frame 0 starts at time 0.
  const int timeBase = std::min(options.firstFrame, 0);
  if (timeBase < 0) Warn(report, "glTF animations start at time 0 or later: frame " + std::to_string(timeBase) + " plays at time 0");

  ProgressReporter progress(options.progressStream ? *options.progressStream : std::cerr, options.progress, frames);
  MeshSnapshot snap;
  for (int f = options.firstFrame; f <= options.lastFrame; ++f) {
    const TimeValue t = FrameToTicks(f, frameRate);
    TheHost().SetTime(t);
    scene.times.push_back(float(double(f - timeBase) / frameRate));
    const Clock::time_point evalStart = Clock::now();
    for (std::size_t n = 0; n < tracks.size(); ++n) {
      SkinTrack& s = tracks[n];
      std::string why;
      if (!TakeSnapshot(s.node, t, snap, &why)) return fail(s.name + ": " + why);
      if (const std::string failed = SkinFailureOn(s.node); !failed.empty())
        return fail(s.name + ": " + failed + " at frame " + std::to_string(f));
      const BoneTable& table = s.skin.editor->Table();
      if (snap.VertexCount() != table.vertexCount)
        return fail(s.name + ": the mesh has " + std::to_string(snap.VertexCount()) + " vertices at frame " +
                    std::to_string(f) + ", the skin " + std::to_string(table.vertexCount));
      if (f == options.firstFrame) {
        WarnInexpressible(s, report, t);
        SkinnedGlbMesh& mesh = scene.meshes[n];
        mesh.name = s.name;
        mesh.skeleton = kRoot;
        mesh.triangles = SnapshotTriangles(snap);
        mesh.colors = snap.colors;
        report.vertices += snap.VertexCount();
      }
      if (int(table.currentFrames.size()) < table.boneCount || int(table.bindFrames.size()) < table.boneCount)
        return fail(s.name + ": the skin did not evaluate its bones at frame " + std::to_string(f));
      for (int b = 0; b < table.boneCount; ++b) {
        BoneTrack& bone = s.bones[b];
        const Affine skinMap =
            Affine::FromRows(table.currentFrames[b].m) * Affine::FromRows(table.bindFrames[b].m);
        bone.shapeWorld.push_back(skinMap * bone.bindShape);
        if (bone.node) {
          const Affine nodeMotion = Affine::FromMatrix3(bone.node->GetNodeTM(t)) * bone.bindNode.Inverse();
          bone.rigidError = std::max(bone.rigidError, MapDistance(skinMap, nodeMotion, s.size));
        }
      }
      s.restWorld.push_back(Affine::FromMatrix3(s.node->GetObjTMAfterWSM(t)) *
                            Affine::FromMatrix3(table.attachObjectTM).Inverse());
    }
    for (std::size_t r = 0; r < rigid.size() && f == options.firstFrame; ++r) {
      INode* node = rigid[r].node;
      std::string why;
      if (!TakeSnapshot(node, t, snap, &why)) return fail(NameOf(node) + ": " + why);
      SkinnedGlbMesh& mesh = scene.meshes[tracks.size() + r];
      mesh.name = NameOf(node);
      mesh.node = rigid[r].hierarchy + 1;
      // The snapshot is in world space; the glTF node carries the node's transform.
      const Affine toNode = ToGltfSpace(Affine::FromMatrix3(node->GetNodeTM(t))).Inverse();
      for (const Point3& p : snap.positions) mesh.positions.push_back(toNode.Apply(ToGltfPoint(p)));
      mesh.triangles = SnapshotTriangles(snap);
      if (auto it = options.surfaces.find(mesh.name); it != options.surfaces.end() && it->second)
        mesh.surface = *it->second;
    }
    for (std::size_t i = 0; i < hierarchy.nodes.size(); ++i) {
      const Affine world = ToGltfSpace(Affine::FromMatrix3(hierarchy.nodes[i]->GetNodeTM(t)));
      const int p = hierarchy.parents[i];
      scene.nodes[i + 1].keys.push_back(Decompose(p < 0 ? world : hierarchyWorld[p].back().Inverse() * world));
      hierarchyWorld[i].push_back(world);
    }
    report.evaluationSeconds += Since(evalStart);
    ++report.frames;
    progress.FrameDone();
  }
  progress.Finish();

  for (std::size_t n = 0; n < tracks.size(); ++n) {
    SkinTrack& s = tracks[n];
    SkinnedGlbMesh& mesh = scene.meshes[n];
    ISkinEditor& editor = *s.skin.editor;
    const BoneTable& table = editor.Table();
    for (const Point3& p : table.attachPositions) mesh.positions.push_back(ToGltfPoint(p));
    if (auto it = options.surfaces.find(s.name); it != options.surfaces.end() && it->second) mesh.surface = *it->second;
    for (int b = 0; b < table.boneCount; ++b) {
      BoneTrack& bone = s.bones[b];
      if (bone.node && bone.rigidError <= kRigidTolerance * s.size) {
        mesh.joints.push_back(bone.hierarchy + 1);
        mesh.inverseBind.push_back(ToGltfSpace(bone.bindNode.Inverse()));
        continue;
      }
      // The skin's own motion of this bone, on a joint of its own under the bone node.
      SkinnedGlbNode joint;
      joint.name = (bone.node ? NameOf(bone.node) : "bone" + std::to_string(b)) + " shape";
      joint.parent = bone.hierarchy + 1;  // the root when the bone has no node
      for (std::size_t f = 0; f < bone.shapeWorld.size(); ++f) {
        const Affine world = ToGltfSpace(bone.shapeWorld[f]);
        joint.keys.push_back(Decompose(bone.hierarchy < 0 ? world : hierarchyWorld[bone.hierarchy][f].Inverse() * world));
      }
      scene.nodes.push_back(std::move(joint));
      mesh.joints.push_back(static_cast<int>(scene.nodes.size()) - 1);
      mesh.inverseBind.push_back(ToGltfSpace(bone.bindShape.Inverse()));
    }
    editor.WeightOf(0, 0);  // computes the cache when it is out of date
    const WeightCache& cache = editor.Weights();
    if (!cache.Matches(table.boneCount, table.vertexCount))
      return fail(s.name + ": the skin has no weights for its " + std::to_string(table.vertexCount) + " vertices");
    mesh.influences = LimitInfluences(cache.weights, table.boneCount, table.vertexCount, options.influences,
                                      editor.Settings().BlendThreshold(), table.boneCount);
    if (mesh.influences.unbound > 0) {
      // Vertices no bone holds keep to the mesh's own transform.
      SkinnedGlbNode rest;
      rest.name = s.name + " rest";
      rest.parent = kRoot;
      for (const Affine& world : s.restWorld) rest.keys.push_back(Decompose(ToGltfSpace(world)));
      scene.nodes.push_back(std::move(rest));
      mesh.joints.push_back(static_cast<int>(scene.nodes.size()) - 1);
      mesh.inverseBind.push_back(Affine());
    }
  }

  std::filesystem::path file = options.outDir / (options.baseName + ".glb");
  std::string why;
  if (!WriteSkinnedGlb(file, scene, options.generator, &why)) return fail(why);
  report.files.push_back(file);
  report.totalSeconds = Since(start);
  return true;
}
