#pragma once
// Options shared by the commands that write frames: the output format and the .glb animation's
// interpolation, as CLI11 options and as frame-runner settings.

#include <CLI/CLI.hpp>

#include <filesystem>
#include <string>

#include "cli/scene/frame_runner.h"

struct OutputChoice {
  std::string format = "glb";
  std::string interpolation = "linear";
  int influences = 4;

  void AddTo(CLI::App& cmd) {
    cmd.add_option("--format", format, "obj: one OBJ file per frame (with vertex colours where the skin writes them); "
                                       "glb: one binary glTF file with the frames as morph targets; "
                                       "skinned-glb: one binary glTF file with a skin per mesh and the bones' animation "
                                       "(see docs/gltf.md)")
        ->check(CLI::IsMember({"obj", "glb", "skinned-glb"}))
        ->capture_default_str();
    cmd.add_option("--interpolation", interpolation,
                   "how a glTF viewer plays between frames: linear (smooth) or step (frame by frame)")
        ->check(CLI::IsMember({"linear", "step"}))
        ->capture_default_str();
    cmd.add_option("--influences", influences,
                   "skinned-glb: the strongest bones kept per vertex, 4 (JOINTS_0) or 8 (JOINTS_0 and JOINTS_1)")
        ->check(CLI::IsMember({4, 8}))
        ->capture_default_str();
  }
  void ApplyTo(RunOptions& run) const {
    run.format = format == "obj"           ? OutputFormat::Obj
                 : format == "skinned-glb" ? OutputFormat::SkinnedGlb
                                           : OutputFormat::Glb;
    run.influences = influences;
    run.interpolation = interpolation == "step" ? GlbInterpolation::Step : GlbInterpolation::Linear;
  }
};

// Where a command that writes frames puts them: "-o FILE.glb" names the .glb file, "--out DIR"
// the folder of OBJ frames (or of the .glb, named after the scene).
struct OutputTarget {
  std::string dir;
  std::string file;  // "-o", empty for none

  // Declares -o and --out (defaultDir when neither is given).
  void AddTo(CLI::App& cmd, const std::string& defaultDir) {
    dir = defaultDir;
    CLI::Option* out = cmd.add_option("--out", dir,
                                      "output folder, created when missing: OBJ frames NODE_0012.obj, or the .glb "
                                      "file named after the scene; earlier OBJ frames of the same nodes there are "
                                      "removed, so that it holds this run's frames")
                           ->type_name("DIR")
                           ->capture_default_str();
    cmd.add_option("-o,--output", file, "the .glb file to write (instead of one in the --out folder)")
        ->check(CLI::Validator(
            [](std::string& s) {
              const std::string ext = ".glb";
              const bool glb = s.size() > ext.size() && s.compare(s.size() - ext.size(), ext.size(), ext) == 0;
              return glb ? std::string() : "-o names a .glb file, got " + s + " (OBJ frames go to a folder: --out DIR)";
            },
            ""))
        ->type_name("FILE.glb")
        ->excludes(out);
  }
  // Called from the command's callback, while parsing: a usage error there exits with 2.
  void Check(const OutputChoice& output) const {
    if (!file.empty() && output.format == "obj")
      throw CLI::ValidationError("-o", "OBJ frames are one file per frame: give a folder with --out DIR");
  }
  // The folder and the .glb file's base name for the run.
  void ApplyTo(RunOptions& run, const std::string& defaultBase) const {
    if (file.empty()) {
      run.outDir = dir;
      run.baseName = defaultBase;
      return;
    }
    const std::filesystem::path path(file);
    run.outDir = path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
    run.baseName = path.stem().string();
  }
};

// "12.3 ms" style text of seconds per frame.
std::string MillisecondsPerFrame(double seconds, int frames);
