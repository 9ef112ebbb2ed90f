#include "cli/scene/gltf_import.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "cli/scene/gltf_accessor.h"
#include "cli/scene/gltf_axes.h"
#include "cli/scene/gltf_animation.h"
#include "cli/scene/gltf_load.h"
#include "cli/scene/gltf_mesh_import.h"
#include "cli/scene/gltf_scene_classes.h"
#include "host/headless/transform_track.h"

namespace {

constexpr double kMaxFrame = 100000.0;  // as in descriptions: every key's tick count fits in 32 bits

class Importer {
public:
  Importer(const tinygltf::Model& model, const std::string& file, const GltfImportOptions& options)
      : model_(model), file_(file), options_(options) {}

  void Run(SceneDescription& out) {
    out.frameRate = options_.framesPerSecond;
    out.time = 0.0;
    CheckBufferViews();
    NameNodes();
    FindParents();
    std::vector<NodeSpec> nodes(model_.nodes.size());
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      nodes[i].name = names_[i];
      nodes[i].pointer = "/nodes/" + std::to_string(i);
      nodes[i].parent = parent_[i] >= 0 ? names_[parent_[i]] : std::string();
      ReadTransform(int(i), nodes[i]);
    }
    const int lastFrame = Animate(nodes);
    out.frames = std::make_pair(0, lastFrame);

    GltfMeshImport meshes(model_, file_, options_);
    for (std::size_t i = 0; i < nodes.size(); ++i) meshes.AddNode(int(i), nodes);
    meshes.AddJoints(nodes);
    out.nodes = std::move(nodes);
    for (NodeSpec& extra : meshes.TakeExtraNodes()) out.nodes.push_back(std::move(extra));
    out.IndexNodes();
  }

private:
  [[noreturn]] void Fail(const std::string& place, const std::string& what) const {
    throw SceneParseError({file_, place, what});
  }

  // Every view inside its buffer, before any accessor is read through one.
  void CheckBufferViews() const {
    for (std::size_t i = 0; i < model_.bufferViews.size(); ++i) {
      const tinygltf::BufferView& v = model_.bufferViews[i];
      const std::string place = "/bufferViews/" + std::to_string(i);
      if (v.buffer < 0 || std::size_t(v.buffer) >= model_.buffers.size())
        Fail(place + "/buffer", "names buffer " + std::to_string(v.buffer) + ", which the file does not have");
      const std::size_t size = model_.buffers[v.buffer].data.size();
      if (v.byteOffset > size || v.byteLength > size - v.byteOffset)
        Fail(place, "needs bytes " + std::to_string(v.byteOffset) + " to " + std::to_string(v.byteOffset + v.byteLength) +
                        " of buffer " + std::to_string(v.buffer) + ", which holds only " + std::to_string(size));
    }
  }

  // An unnamed node is node<index>; a name taken by an earlier node gets ".1", ".2", ... (the
  // first suffix that no node of the file is called).
  void NameNodes() {
    std::set<std::string> given;
    for (std::size_t i = 0; i < model_.nodes.size(); ++i) given.insert(BaseName(i));
    std::set<std::string> used;
    for (std::size_t i = 0; i < model_.nodes.size(); ++i) {
      std::string name = BaseName(i);
      if (used.count(name)) {
        for (int k = 1;; ++k) {
          std::string candidate = name + "." + std::to_string(k);
          if (!used.count(candidate) && !given.count(candidate)) {
            name = candidate;
            break;
          }
        }
      }
      used.insert(name);
      names_.push_back(name);
    }
  }

  std::string BaseName(std::size_t i) const {
    const std::string& n = model_.nodes[i].name;
    return n.empty() ? "node" + std::to_string(i) : n;
  }

  void FindParents() {
    const int count = int(model_.nodes.size());
    parent_.assign(count, -1);
    for (int i = 0; i < count; ++i) {
      for (int child : model_.nodes[i].children) {
        const std::string place = "/nodes/" + std::to_string(i) + "/children";
        if (child < 0 || child >= count) Fail(place, "names node " + std::to_string(child) + ", which the file does not have");
        if (child == i) Fail(place, "node \"" + names_[i] + "\" is its own child");
        if (parent_[child] >= 0)
          Fail(place, "node \"" + names_[child] + "\" is a child of both \"" + names_[parent_[child]] + "\" and \"" +
                          names_[i] + "\"");
        parent_[child] = i;
      }
    }
    for (int i = 0; i < count; ++i) {
      int steps = 0;
      for (int p = parent_[i]; p >= 0; p = parent_[p])
        if (++steps > count) Fail("/nodes/" + std::to_string(i), "the node tree has a cycle through node \"" + names_[i] + "\"");
    }
  }

  void ReadTransform(int index, NodeSpec& node) const {
    const tinygltf::Node& n = model_.nodes[index];
    const std::string place = "/nodes/" + std::to_string(index);
    auto finite = [&](const std::vector<double>& v, const char* what) {
      for (double x : v)
        if (!std::isfinite(x)) Fail(place + "/" + what, "has a value that is not a finite number");
    };
    if (!n.matrix.empty()) {
      if (n.matrix.size() != 16) Fail(place + "/matrix", "must hold 16 numbers");
      finite(n.matrix, "matrix");
      const Matrix3 local = HostMatrix(n.matrix.data());
      if (std::fabs(local.Determinant()) < 1e-30f) Fail(place + "/matrix", "cannot be inverted");
      TransformTrack parts;
      parts.SetLocal(0, local, false);
      node.position = parts.position;
      node.rotation = parts.rotation;
      node.scale = parts.scale;
      return;
    }
    if (!n.translation.empty()) {
      if (n.translation.size() != 3) Fail(place + "/translation", "must hold 3 numbers");
      finite(n.translation, "translation");
      node.position = HostPoint(n.translation[0], n.translation[1], n.translation[2]);
    }
    if (!n.rotation.empty()) {
      if (n.rotation.size() != 4) Fail(place + "/rotation", "must hold 4 numbers");
      finite(n.rotation, "rotation");
      node.rotation = HostQuat(n.rotation[0], n.rotation[1], n.rotation[2], n.rotation[3]);
    }
    if (!n.scale.empty()) {
      if (n.scale.size() != 3) Fail(place + "/scale", "must hold 3 numbers");
      finite(n.scale, "scale");
      node.scale = HostScale(n.scale[0], n.scale[1], n.scale[2]);
    }
  }

  int ChosenAnimation() const {
    const auto& anims = model_.animations;
    if (options_.animation.empty()) return anims.empty() ? -1 : 0;
    std::string list;
    for (std::size_t i = 0; i < anims.size(); ++i)
      list += (i ? ", " : "") + std::to_string(i) + " \"" + anims[i].name + "\"";
    for (std::size_t i = 0; i < anims.size(); ++i)
      if (anims[i].name == options_.animation) return int(i);
    char* end = nullptr;
    const long index = std::strtol(options_.animation.c_str(), &end, 10);
    if (end && *end == '\0' && index >= 0 && std::size_t(index) < anims.size()) return int(index);
    Fail("/animations", "has no animation \"" + options_.animation + "\"" +
                            (anims.empty() ? std::string(" (the file has no animation)") : " (it has " + list + ")"));
  }

  SamplerCurve ReadCurve(const tinygltf::Animation& anim, int sampler, const std::string& place, bool rotation) const {
    if (sampler < 0 || std::size_t(sampler) >= anim.samplers.size())
      Fail(place + "/sampler", "names sampler " + std::to_string(sampler) + ", which the animation does not have");
    const tinygltf::AnimationSampler& s = anim.samplers[sampler];
    const std::string samplerPlace = place.substr(0, place.rfind("/channels/")) + "/samplers/" + std::to_string(sampler);
    SamplerCurve curve;
    curve.rotation = rotation;
    curve.components = rotation ? 4 : 3;
    if (!ParseInterpolation(s.interpolation, curve.interpolation))
      Fail(samplerPlace + "/interpolation", "\"" + s.interpolation + "\" is not LINEAR, STEP or CUBICSPLINE");
    AccessorData input, output;
    std::string why;
    if (!ReadAccessor(model_, s.input, input, why)) Fail(samplerPlace + "/input", why);
    if (!ReadAccessor(model_, s.output, output, why)) Fail(samplerPlace + "/output", why);
    if (input.components != 1) Fail(samplerPlace + "/input", "key times must be scalars");
    if (output.components != curve.components)
      Fail(samplerPlace + "/output", std::string("a ") + (rotation ? "rotation" : "translation or scale") + " needs " +
                                         std::to_string(curve.components) + " numbers per key");
    curve.times = std::move(input.values);
    curve.values = std::move(output.values);
    if (!curve.Check(why)) Fail(samplerPlace, why);
    return curve;
  }

  // Keys on every frame of the chosen animation; the last frame (0 without animation).
  int Animate(std::vector<NodeSpec>& nodes) const {
    const int chosen = ChosenAnimation();
    if (chosen < 0) return 0;
    const tinygltf::Animation& anim = model_.animations[chosen];
    struct Track {
      int node;
      int path;  // 0 translation, 1 rotation, 2 scale
      SamplerCurve curve;
    };
    std::vector<Track> tracks;
    std::set<std::pair<int, int>> seen;
    double length = 0.0;
    for (std::size_t c = 0; c < anim.channels.size(); ++c) {
      const tinygltf::AnimationChannel& ch = anim.channels[c];
      const std::string place = "/animations/" + std::to_string(chosen) + "/channels/" + std::to_string(c);
      int path = -1;
      if (ch.target_path == "translation") path = 0;
      else if (ch.target_path == "rotation") path = 1;
      else if (ch.target_path == "scale") path = 2;
      else continue;  // morph weights and extension paths move no node
      if (ch.target_node < 0 || std::size_t(ch.target_node) >= nodes.size())
        Fail(place + "/target/node", "names node " + std::to_string(ch.target_node) + ", which the file does not have");
      if (!model_.nodes[ch.target_node].matrix.empty())
        Fail(place, "animates node \"" + names_[ch.target_node] + "\", which has a matrix; glTF animates only TRS nodes");
      if (!seen.insert({ch.target_node, path}).second)
        Fail(place, "animates the " + ch.target_path + " of node \"" + names_[ch.target_node] + "\" a second time");
      Track t{ch.target_node, path, ReadCurve(anim, ch.sampler, place, path == 1)};
      length = std::max(length, t.curve.LastTime());
      tracks.push_back(std::move(t));
    }
    const double fps = options_.framesPerSecond;
    const double exact = length * fps;
    const double nearest = std::round(exact);
    const double last = std::fabs(exact - nearest) < 1e-4 ? nearest : std::ceil(exact);
    if (last > kMaxFrame)
      Fail("/animations/" + std::to_string(chosen), "lasts " + std::to_string(length) + " s, more than " +
                                                        std::to_string(int(kMaxFrame)) + " frames at " +
                                                        std::to_string(options_.framesPerSecond) + " fps");
    const int lastFrame = int(last);
    std::map<int, std::vector<TransformKey>> keys;  // node -> one key per frame
    for (const Track& t : tracks) {
      std::vector<TransformKey>& k = keys[t.node];
      if (k.empty()) {
        k.resize(std::size_t(lastFrame) + 1);
        for (int f = 0; f <= lastFrame; ++f) k[f].frame = f;
      }
      for (int f = 0; f <= lastFrame; ++f) {
        const std::vector<double> v = t.curve.At(f / fps);
        if (t.path == 0) k[f].position = HostPoint(v[0], v[1], v[2]);
        else if (t.path == 1) k[f].rotation = HostQuat(v[0], v[1], v[2], v[3]);
        else k[f].scale = HostScale(v[0], v[1], v[2]);
      }
    }
    for (auto& [node, k] : keys) nodes[node].keys = std::move(k);
    return lastFrame;
  }

  const tinygltf::Model& model_;
  std::string file_;
  const GltfImportOptions& options_;
  std::vector<std::string> names_;
  std::vector<int> parent_;
};

}  // namespace

bool ReadGltfBytes(const std::string& bytes, const std::string& fileName, const std::filesystem::path& directory,
                   bool allowExternal, const GltfImportOptions& options, SceneDescription& out, SceneError& error) {
  out = SceneDescription();
  out.file = fileName;
  out.directory = directory;
  tinygltf::Model model;
  std::string why;
  if (!LoadGltfModel(bytes, directory, allowExternal, model, why)) {
    error = {fileName, "", why};
    out = SceneDescription();
    return false;
  }
  try {
    Importer(model, fileName, options).Run(out);
    return true;
  } catch (const SceneParseError& e) {
    error = e.Error();
  } catch (const std::exception& e) {
    error = {fileName, "", e.what()};
  }
  out = SceneDescription();
  return false;
}

bool ReadGltfScene(const std::filesystem::path& path, const GltfImportOptions& options, SceneDescription& out,
                   SceneError& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = {path.string(), "", "cannot open the glTF file"};
    return false;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return ReadGltfBytes(bytes.str(), path.string(), path.parent_path(), true, options, out, error);
}
