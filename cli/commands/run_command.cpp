// tessarin run SCENE --frames A:B [--out DIR | -o FILE.glb] [--format obj|glb] [--json]

#include <memory>
#include <optional>

#include <nlohmann/json.hpp>

#include "cli/commands/commands.h"
#include "cli/commands/frame_options.h"
#include "cli/commands/output_options.h"
#include "cli/commands/scene_loading.h"
#include "cli/scene/frame_runner.h"
#include "cli/scene/output_set.h"
#include "cli/scene/skin_access.h"

namespace {

struct RunCommandOptions {
  std::string scene;
  SceneLoadOptions load;
  std::optional<FrameRange> frames;
  OutputTarget target;
  OutputChoice output;
  bool json = false;
};

// The run's summary for programs: see docs/run-json.md.
nlohmann::ordered_json RunSummaryJson(const RunReport& report, const RunOptions& run, int removed) {
  nlohmann::ordered_json files = nlohmann::ordered_json::array();
  for (const auto& f : report.files) files.push_back(f.string());
  auto perFrame = [&](double seconds) { return report.frames > 0 ? seconds / report.frames : 0.0; };
  return {{"format", "tessarin-run"},
          {"version", 1},
          {"frames", report.frames},
          {"firstFrame", run.firstFrame},
          {"lastFrame", run.lastFrame},
          {"meshes", report.nodes},
          {"vertices", report.vertices},
          {"secondsPerFrame", {{"evaluating", perFrame(report.evaluationSeconds)},
                               {"withWriting", perFrame(report.totalSeconds)}}},
          {"files", files},
          {"removedEarlierFrames", removed}};
}

int Run(const RunCommandOptions& opts, const CommandIo& io) {
  LoadedScene scene;
  if (!LoadSceneFile(opts.scene, opts.load, scene, io.err)) return 1;
  RunOptions run;
  const int frameRate = scene.description.frameRate;
  if (opts.frames) {
    if (!FrameRangeUsable(io.err, "--frames", *opts.frames, frameRate)) return kUsageErrorExit;
    run.firstFrame = opts.frames->first;
    run.lastFrame = opts.frames->last;
  } else if (scene.description.frames) {
    std::tie(run.firstFrame, run.lastFrame) = *scene.description.frames;
    std::string why;
    if (!CheckFrameRange({run.firstFrame, run.lastFrame}, frameRate, why))
      return ReportFailure(io.err, opts.scene + ": its frames: " + why + "; give --frames A:B");
  } else {
    return ReportFailure(io.err, opts.scene + ": no frames to run: give --frames A:B (the description has no \"frames\")");
  }
  opts.output.ApplyTo(run);
  opts.target.ApplyTo(run, FileSafeName(std::filesystem::path(opts.scene).stem().string()));
  run.progress = io.progress;
  run.progressStream = &io.err;
  run.generator = "tessarin " + io.version;
  RunReport report;
  std::string why;
  for (const NodeSpec& node : scene.description.nodes)
    if (const MeshSurface* surface = node.object ? node.object->Surface() : nullptr) run.surfaces[node.name] = surface;
  if (!RunFrames(SkinnedNodes(FindSkins()), scene.description.frameRate, run, report, &why))
    return ReportFailure(io.err, why);
  for (const std::string& warning : report.warnings) io.err << "tessarin: warning: " << warning << '\n';
  int removed = 0;
  if (run.format == OutputFormat::Obj && !RemoveEarlierFrames(run.outDir, report.nodes, report.files, &removed, &why))
    return ReportFailure(io.err, why);

  if (opts.json) {
    io.out << RunSummaryJson(report, run, removed).dump() << '\n';
    return 0;
  }
  io.out << "frames      " << report.frames << " (" << run.firstFrame << ".." << run.lastFrame << ")\n";
  io.out << "meshes      ";
  for (std::size_t i = 0; i < report.nodes.size(); ++i) io.out << (i ? ", " : "") << report.nodes[i];
  io.out << " (" << report.vertices << " vertices)\n";
  io.out << "time/frame  " << MillisecondsPerFrame(report.evaluationSeconds, report.frames) << " evaluating, "
         << MillisecondsPerFrame(report.totalSeconds, report.frames) << " with writing\n";
  if (report.files.size() == 1) {
    io.out << "output      " << report.files[0].string() << '\n';
  } else {
    io.out << "output      " << report.files.size() << " files in " << run.outDir.string() << " ("
           << report.files.front().filename().string() << " .. " << report.files.back().filename().string() << ")\n";
  }
  if (removed > 0)
    io.out << "removed     " << removed << " earlier frame" << (removed == 1 ? "" : "s") << " of these meshes\n";
  return 0;
}

}  // namespace

std::string MillisecondsPerFrame(double seconds, int frames) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f ms", frames > 0 ? 1000.0 * seconds / frames : 0.0);
  return text;
}

void AddRunCommand(CLI::App& app, CommandAction& chosen) {
  auto opts = std::make_shared<RunCommandOptions>();
  CLI::App* cmd = app.add_subcommand("run", "Build a scene description and write its skinned meshes, frame by frame");
  cmd->add_option("SCENE", opts->scene, kSceneArgumentHelp)
      ->required()
      ->check(CLI::ExistingFile);
  opts->load.AddTo(*cmd);
  AddFrameRangeOption(*cmd, "--frames", opts->frames,
                      "frames to evaluate, A:B inclusive or a single frame A (default: the description's \"frames\"); "
                      "at most " + std::to_string(kMaxRunFrames) + " frames");
  opts->target.AddTo(*cmd, "tessarin-out");
  opts->output.AddTo(*cmd);
  cmd->add_flag("--json", opts->json,
                "print the summary as one JSON document (frames, vertices, time per frame, files written)");
  cmd->callback([opts, &chosen] {
    opts->target.Check(opts->output);
    chosen = [opts](const CommandIo& io) { return Run(*opts, io); };
  });
}
