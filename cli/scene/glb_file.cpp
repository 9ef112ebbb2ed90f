#include "cli/scene/glb_file.h"

#include <algorithm>

#include "cli/scene/gltf_buffers.h"
#include "cli/scene/gltf_space.h"

namespace {

// The mesh, its node and its animation channel for one track.
void AddTrack(tinygltf::Model& model, const GlbMeshTrack& track, int timesAccessor, const char* interpolation) {
  const std::size_t frames = track.frames.size();
  std::vector<Point3> base(track.frames[0].size());
  std::transform(track.frames[0].begin(), track.frames[0].end(), base.begin(), ToGltfPoint);
  const std::vector<Point3> baseNormals = VertexNormals(base, track.triangles);

  tinygltf::Primitive prim;
  prim.mode = TINYGLTF_MODE_TRIANGLES;
  prim.attributes["POSITION"] = AddVec3Attribute(model, base, true);
  prim.attributes["NORMAL"] = AddVec3Attribute(model, baseNormals, false);
  if (auto uvs = GltfTexCoords(track.surface, base.size()); !uvs.empty())
    prim.attributes["TEXCOORD_0"] = AddVec2Attribute(model, uvs);
  if (track.colors.size() == base.size()) prim.attributes["COLOR_0"] = AddVec3Attribute(model, track.colors, false);
  prim.indices = AddIndices(model, track.triangles);
  prim.material = AddSurfaceMaterial(model, track.surface);
  // Target f moves the base to frame f, positions and normals alike.
  std::vector<Point3> frame(base.size()), offset(base.size());
  for (std::size_t f = 0; f < frames; ++f) {
    std::transform(track.frames[f].begin(), track.frames[f].end(), frame.begin(), ToGltfPoint);
    for (std::size_t v = 0; v < base.size(); ++v) offset[v] = frame[v] - base[v];
    const int positions = AddVec3Attribute(model, offset, true);
    const std::vector<Point3> normals = VertexNormals(frame, track.triangles);
    for (std::size_t v = 0; v < base.size(); ++v) offset[v] = normals[v] - baseNormals[v];
    prim.targets.push_back({{"POSITION", positions}, {"NORMAL", AddVec3Attribute(model, offset, false)}});
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
  int view = AddBufferView(model, weights.data(), weights.size() * sizeof(float), 0);
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

// The bytes AddTrack puts into the buffer for the track (views padded to four bytes), so that the
// buffer is sized once: grown view by view it would pass through twice its final size.
std::size_t TrackBytes(const GlbMeshTrack& track) {
  const std::size_t vertices = track.frames[0].size(), frames = track.frames.size();
  std::size_t bytes = 2 * vertices * sizeof(Point3) + track.triangles.size() * sizeof(std::uint32_t);  // base, normals, indices
  if (track.surface.uvs.size() == vertices) bytes += vertices * 2 * sizeof(float);
  if (track.colors.size() == vertices) bytes += vertices * sizeof(Point3);
  bytes += frames * 2 * vertices * sizeof(Point3);  // each target's positions and normals
  bytes += frames * frames * sizeof(float);         // the weights
  return bytes + 4 * (6 + 2 * frames);              // padding before each view
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

  tinygltf::Model model = NewGlbModel(generator);
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
  std::size_t bytes = times.size() * sizeof(float);
  for (const auto& t : tracks) bytes += TrackBytes(t);
  model.buffers[0].data.reserve(bytes);
  const int timesAccessor = AddTimes(model, times);
  const char* mode = interpolation == GlbInterpolation::Step ? "STEP" : "LINEAR";
  for (const auto& t : tracks) AddTrack(model, t, timesAccessor, mode);
  return WriteGlbModel(model, path, error);
}
