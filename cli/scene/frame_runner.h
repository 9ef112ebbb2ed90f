#pragma once
// Evaluates every skinned node of the built scene frame by frame and writes the deformed
// meshes: one OBJ file per node and frame, or one binary glTF file holding them all.

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "cli/scene/glb_file.h"
#include "cli/scene/mesh_surface.h"

class INode;

// Obj: one OBJ file per node and frame; Glb: one .glb with the frames as morph targets;
// SkinnedGlb: one .glb holding a glTF skin per node and the bones' animation.
enum class OutputFormat { Obj, Glb, SkinnedGlb };

struct RunOptions {
  int firstFrame = 0;
  int lastFrame = 0;
  std::filesystem::path outDir;
  OutputFormat format = OutputFormat::Glb;
  GlbInterpolation interpolation = GlbInterpolation::Linear;
  std::string baseName = "scene";  // the .glb file's name without extension
  bool progress = false;           // draw progress on progressStream
  std::ostream* progressStream = nullptr;
  std::string generator = "tessarin";  // recorded in the .glb
  int influences = 4;                  // skinned .glb: joints per vertex, 4 or 8
  // Texture coordinates and materials of the input meshes, by node name (not owned).
  std::map<std::string, const MeshSurface*> surfaces;
};

struct RunReport {
  int frames = 0;
  int vertices = 0;  // over all skinned nodes
  std::vector<std::string> nodes;
  double evaluationSeconds = 0.0;  // evaluating the scene, without writing files
  double totalSeconds = 0.0;
  std::vector<std::filesystem::path> files;
  std::vector<std::string> warnings;  // what the output could not express
};

// The nodes are evaluated at every frame firstFrame..lastFrame (the host's time follows). False
// with *error set when a node's result is not a mesh, its vertex count changes, a file cannot be
// written, or a .glb would exceed 2000 frames or 20 million vertex positions.
bool RunFrames(const std::vector<INode*>& nodes, int frameRate, const RunOptions& options, RunReport& report,
               std::string* error);

// A node name made safe as part of a file name.
std::string FileSafeName(const std::string& name);
