#pragma once
// Binary glTF 2.0 output: every skinned node becomes a mesh whose first frame is the base shape
// and whose frames are morph targets; one animation plays them by switching the targets'
// weights, one key per frame. Positions are converted from the host's z-up space to glTF's
// y-up space: (x, y, z) becomes (x, z, -y). The base mesh and every target carry normals
// computed from the frame's shape, so viewers shade each frame smoothly.

#include <filesystem>
#include <string>
#include <vector>

#include "cli/scene/mesh_surface.h"
#include "host/sdk/point3.h"

struct GlbMeshTrack {
  std::string name;
  std::vector<std::uint32_t> triangles;    // three vertex indices per triangle
  std::vector<std::vector<Point3>> frames;  // one position array per frame, each one per vertex (host space)
  std::vector<Point3> colors;               // empty, or one r, g, b per vertex (of the first frame)
  MeshSurface surface;                      // texture coordinates (one per vertex) and material, if any
};

enum class GlbInterpolation { Linear, Step };

// Fans each polygon into triangles for GlbMeshTrack::triangles.
std::vector<std::uint32_t> Triangulate(const std::vector<std::vector<int>>& faces);

// Writes the tracks (each with at least one frame, all frames of a track of equal size) played
// at framesPerSecond, the first frame being frame firstFrame (its key at firstFrame / fps
// seconds; a negative first frame plays from 0 s). False with *error set when the model cannot be built or written.
bool WriteGlbFile(const std::filesystem::path& path, const std::vector<GlbMeshTrack>& tracks, double framesPerSecond,
                  GlbInterpolation interpolation, const std::string& generator, std::string* error,
                  int firstFrame = 0);
