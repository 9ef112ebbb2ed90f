// tessarin dump SCENE [--time FRAME] [--weights] [--top N] [--json]

#include <memory>
#include <new>
#include <optional>

#include "cli/commands/commands.h"
#include "cli/commands/frame_options.h"
#include "cli/commands/scene_loading.h"
#include "cli/scene/skin_dump.h"

namespace {

struct DumpCommandOptions {
  std::string scene;
  SceneLoadOptions load;
  std::optional<double> time;
  bool weights = false;
  int top = 0;
  bool json = false;
};

int Dump(const DumpCommandOptions& opts, const CommandIo& io) {
  LoadedScene scene;
  if (!LoadSceneFile(opts.scene, opts.load, scene, io.err)) return 1;
  if (opts.time && !FrameTimeUsable(io.err, "--time", *opts.time, scene.description.frameRate)) return kUsageErrorExit;
  DumpOptions dump;
  dump.sceneFile = opts.scene;
  dump.frameRate = scene.description.frameRate;
  dump.sceneFrame = scene.description.time;
  dump.weights = opts.weights;
  dump.top = opts.top;
  dump.positionsFrame = opts.time;
  try {
    WriteDump(dump, opts.json, io.out);
  } catch (const std::bad_alloc&) {
    io.out.flush();
    return ReportFailure(io.err, opts.scene + ": out of memory while evaluating the scene's skins (the output is incomplete)");
  }
  if (!io.out) return ReportFailure(io.err, "the dump could not be written to the standard output");
  return 0;
}

}  // namespace

void AddDumpCommand(CLI::App& app, CommandAction& chosen) {
  auto opts = std::make_shared<DumpCommandOptions>();
  CLI::App* cmd = app.add_subcommand("dump", "Build a scene description and print the state of every Tessarin modifier");
  cmd->add_option("SCENE", opts->scene, kSceneArgumentHelp)
      ->required()
      ->check(CLI::ExistingFile);
  opts->load.AddTo(*cmd);
  AddFrameTimeOption(*cmd, "--time", opts->time, "also print the deformed world positions at this frame");
  cmd->add_flag("--weights", opts->weights, "also print each skin's weights: one row per vertex, one value per bone");
  cmd->add_option("--top", opts->top,
                  "also list each vertex's N largest weights, strongest first, with the bones' names")
      ->check(CLI::Range(1, 1000));
  cmd->add_flag("--json", opts->json, "print one JSON document (see docs/dump-json.md) instead of text");
  cmd->callback([opts, &chosen] { chosen = [opts](const CommandIo& io) { return Dump(*opts, io); }; });
}
