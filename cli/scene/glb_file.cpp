#include "cli/scene/glb_file.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "host/headless/atomic_file.h"

namespace {

// glTF is y-up, the host z-up.
Point3 ToGltf(const Point3& p) { return Point3(p.x, p.z, -p.y); }

// Appends raw bytes to the single buffer, 4-byte aligned, as a new buffer view; returns its index.
int AddView(tinygltf::Model& model, const void* data, std::size_t bytes, int target) {
  auto& buffer = model.buffers[0].data;
  buffer.resize((buffer.size() + 3) & ~std::size_t(3));
  tinygltf::BufferView view;
  view.buffer = 0;
  view.byteOffset = buffer.size();
  view.byteLength = bytes;
  view.target = target;
  const auto* begin = static_cast<const unsigned char*>(data);
  buffer.insert(buffer.end(), begin, begin + bytes);
  model.bufferViews.push_back(view);
  return static_cast<int>(model.bufferViews.size()) - 1;
}

int AddAccessor(tinygltf::Model& model, int view, int componentType, int type, std::size_t count,
                std::vector<double> min = {}, std::vector<double> max = {}) {
  tinygltf::Accessor a;
  a.bufferView = view;
  a.componentType = componentType;
  a.type = type;
  a.count = count;
  a.minValues = std::move(min);
  a.maxValues = std::move(max);
  model.accessors.push_back(a);
  return static_cast<int>(model.accessors.size()) - 1;
}

// A VEC3 float accessor over the points (bounds included, as glTF requires for positions).
int AddPoints(tinygltf::Model& model, const std::vector<Point3>& points) {
  std::vector<double> lo(3, std::numeric_limits<double>::max()), hi(3, std::numeric_limits<double>::lowest());
  for (const Point3& p : points) {
    for (int c = 0; c < 3; ++c) {
      lo[c] = std::min(lo[c], double(p[c]));
      hi[c] = std::max(hi[c], double(p[c]));
    }
  }
  if (points.empty()) lo = hi = {0.0, 0.0, 0.0};
  std::vector<float> flat;
  flat.reserve(points.size() * 3);
  for (const Point3& p : points) flat.insert(flat.end(), {p.x, p.y, p.z});
  int view = AddView(model, flat.data(), flat.size() * sizeof(float), TINYGLTF_TARGET_ARRAY_BUFFER);
  return AddAccessor(model, view, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, points.size(), lo, hi);
}

// The mesh, its node and its animation channel for one track.
void AddTrack(tinygltf::Model& model, const GlbMeshTrack& track, int timesAccessor, const char* interpolation) {
  const std::size_t frames = track.frames.size();
  std::vector<Point3> base(track.frames[0].size());
  std::transform(track.frames[0].begin(), track.frames[0].end(), base.begin(), ToGltf);

  tinygltf::Primitive prim;
  prim.mode = TINYGLTF_MODE_TRIANGLES;
  prim.attributes["POSITION"] = AddPoints(model, base);
  if (track.colors.size() == base.size()) {
    std::vector<float> flat;
    for (const Point3& c : track.colors) flat.insert(flat.end(), {c.x, c.y, c.z});
    int view = AddView(model, flat.data(), flat.size() * sizeof(float), TINYGLTF_TARGET_ARRAY_BUFFER);
    prim.attributes["COLOR_0"] =
        AddAccessor(model, view, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, track.colors.size());
  }
  int indexView = AddView(model, track.triangles.data(), track.triangles.size() * sizeof(std::uint32_t),
                          TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
  prim.indices = AddAccessor(model, indexView, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR,
                             track.triangles.size());
  // Target f moves the base to frame f.
  std::vector<Point3> offset(base.size());
  for (std::size_t f = 0; f < frames; ++f) {
    for (std::size_t v = 0; v < base.size(); ++v) offset[v] = ToGltf(track.frames[f][v]) - base[v];
    prim.targets.push_back({{"POSITION", AddPoints(model, offset)}});
  }

  tinygltf::Mesh mesh;
  mesh.name = track.name;
  mesh.primitives.push_back(prim);
  mesh.weights.assign(frames, 0.0);
  mesh.weights[0] = 1.0;
  model.meshes.push_back(mesh);

  tinygltf::Node node;
  node.name = track.name;
  node.mesh = static_cast<int>(model.meshes.size()) - 1;
  model.nodes.push_back(node);
  model.scenes[0].nodes.push_back(static_cast<int>(model.nodes.size()) - 1);

  // Key f: weight 1 on target f, 0 on the others (frames × frames floats).
  std::vector<float> weights(frames * frames, 0.0f);
  for (std::size_t f = 0; f < frames; ++f) weights[f * frames + f] = 1.0f;
  int view = AddView(model, weights.data(), weights.size() * sizeof(float), 0);
  tinygltf::AnimationSampler sampler;
  sampler.input = timesAccessor;
  sampler.output = AddAccessor(model, view, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_SCALAR, weights.size());
  sampler.interpolation = interpolation;
  auto& animation = model.animations[0];
  animation.samplers.push_back(sampler);
  tinygltf::AnimationChannel channel;
  channel.sampler = static_cast<int>(animation.samplers.size()) - 1;
  channel.target_node = static_cast<int>(model.nodes.size()) - 1;
  channel.target_path = "weights";
  animation.channels.push_back(channel);
}

}  // namespace

std::vector<std::uint32_t> Triangulate(const std::vector<std::vector<int>>& faces) {
  std::vector<std::uint32_t> out;
  for (const auto& f : faces)
    for (std::size_t i = 1; i + 1 < f.size(); ++i)
      out.insert(out.end(), {std::uint32_t(f[0]), std::uint32_t(f[i]), std::uint32_t(f[i + 1])});
  return out;
}

bool WriteGlbFile(const std::filesystem::path& path, const std::vector<GlbMeshTrack>& tracks, double framesPerSecond,
                  GlbInterpolation interpolation, const std::string& generator, std::string* error,
                  int firstFrame) {
  auto fail = [&](const std::string& why) {
    if (error) *error = path.string() + ": " + why;
    return false;
  };
  if (tracks.empty()) return fail("nothing to write: no skinned mesh");
  const std::size_t frames = tracks[0].frames.size();
  for (const auto& t : tracks) {
    if (t.frames.empty() || t.frames.size() != frames) return fail("every mesh needs the same number of frames");
    for (const auto& f : t.frames)
      if (f.size() != t.frames[0].size()) return fail("the vertex count of " + t.name + " changes between frames");
  }

  tinygltf::Model model;
  model.asset.version = "2.0";
  model.asset.generator = generator;
  model.buffers.resize(1);
  model.scenes.resize(1);
  model.defaultScene = 0;
  model.animations.resize(1);
  model.animations[0].name = "frames";

  // Key times keep the frame numbers (frame 10 plays at 10 / fps); glTF times cannot be
  // negative, so a range starting before frame 0 starts at 0 s.
  const double first = firstFrame > 0 ? double(firstFrame) : 0.0;
  std::vector<float> times(frames);
  for (std::size_t f = 0; f < frames; ++f) {
    times[f] = float((first + double(f)) / framesPerSecond);
    if (f > 0 && !(times[f] > times[f - 1]))
      return fail("frame " + std::to_string(firstFrame) + " lies too far from 0 s for a .glb to tell its frames apart");
  }
  int timesView = AddView(model, times.data(), times.size() * sizeof(float), 0);
  int timesAccessor = AddAccessor(model, timesView, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_SCALAR, frames,
                                  {double(times.front())}, {double(times.back())});
  const char* mode = interpolation == GlbInterpolation::Step ? "STEP" : "LINEAR";
  for (const auto& t : tracks) AddTrack(model, t, timesAccessor, mode);

  // Written whole or not at all: an older file stays until the new one is complete.
  std::string why;
  const bool written = WriteStreamAtomically(
      path.string(),
      [&](std::ostream& out, std::string& failure) {
        tinygltf::TinyGLTF gltf;
        if (gltf.WriteGltfSceneToStream(&model, out, false, true)) return true;
        failure = "the glTF model could not be serialised";
        return false;
      },
      why);
  if (!written && error) *error = why;  // names the file and the system's reason
  return written;
}
