#pragma once
// Options shared by the commands that write frames: the output format and the .glb animation's
// interpolation, as CLI11 options and as frame-runner settings.

#include <CLI/CLI.hpp>

#include <string>

#include "cli/scene/frame_runner.h"

struct OutputChoice {
  std::string format = "glb";
  std::string interpolation = "linear";

  void AddTo(CLI::App& cmd) {
    cmd.add_option("--format", format, "obj: one OBJ file per frame (with vertex colours where the skin writes them); "
                                       "glb: one binary glTF file with the frames as morph targets")
        ->check(CLI::IsMember({"obj", "glb"}))
        ->capture_default_str();
    cmd.add_option("--interpolation", interpolation,
                   "how a glTF viewer plays between frames: linear (smooth) or step (frame by frame)")
        ->check(CLI::IsMember({"linear", "step"}))
        ->capture_default_str();
  }
  void ApplyTo(RunOptions& run) const {
    run.format = format == "obj" ? OutputFormat::Obj : OutputFormat::Glb;
    run.interpolation = interpolation == "step" ? GlbInterpolation::Step : GlbInterpolation::Linear;
  }
};

// "12.3 ms" style text of seconds per frame.
std::string MillisecondsPerFrame(double seconds, int frames);
