// tessarin demo [--frames N] [--out DIR | -o FILE.glb]

#include <memory>

#include "cli/commands/commands.h"
#include "cli/commands/frame_options.h"
#include "cli/commands/output_options.h"
#include "cli/commands/scene_loading.h"
#include "cli/scene/demo_scene.h"
#include "cli/scene/frame_runner.h"
#include "cli/scene/output_set.h"
#include "cli/scene/skin_access.h"
#include "host/headless/atomic_file.h"
#include "host/sdk/iparamb2.h"
#include "host/sdk/object.h"
#include "module/registry/tessarin_parameters.h"

namespace {

struct DemoOptions {
  int frames = 48;
  OutputTarget target;
  std::string sceneOut;
  std::string save;  // the built scene, as a scene file
  OutputChoice output;
};

const char* KindText(int kind) {
  switch (kind) {
    case 1: return "box";
    case 2: return "link";
    case 3: return "bone object";
    case 4: return "spline";
    default: return "unclassified";
  }
}

int Demo(const DemoOptions& opts, const CommandIo& io) {
  const nlohmann::json description = DemoScene(opts.frames);
  if (!opts.sceneOut.empty()) {
    const std::string text = description.dump(2) + '\n';
    std::string why;
    if (!WriteFileAtomically(opts.sceneOut, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                             why))
      return ReportFailure(io.err, why);
  }
  LoadedScene scene;
  if (!LoadSceneJson(description, "demo scene", scene, io.err)) return 1;
  // Before the frames run: the file keeps the scene at its attachment frame.
  if (!opts.save.empty() && !SaveCurrentScene(opts.save, io.err)) return 1;

  std::vector<SkinRef> skins = FindSkins();
  RunOptions run;
  run.firstFrame = 0;
  run.lastFrame = opts.frames - 1;
  if (!FrameRangeUsable(io.err, "--frames", {run.firstFrame, run.lastFrame}, scene.description.frameRate))
    return kUsageErrorExit;
  opts.output.ApplyTo(run);
  opts.target.ApplyTo(run, "demo");
  run.progress = io.progress;
  run.progressStream = &io.err;
  run.generator = "tessarin " + io.version;
  RunReport report;
  std::string why;
  if (!RunFrames(SkinnedNodes(skins), scene.description.frameRate, run, report, &why))
    return ReportFailure(io.err, why);
  int removed = 0;
  if (run.format == OutputFormat::Obj && !RemoveEarlierFrames(run.outDir, report.nodes, report.files, &removed, &why))
    return ReportFailure(io.err, why);

  std::string bones;
  int boneCount = 0;
  bool dualQuaternion = false;
  for (const SkinRef& s : skins) {
    const BoneTable& table = s.editor->Table();
    boneCount += table.boneCount;
    for (int i = 0; i < table.boneCount; ++i) bones += std::string(bones.empty() ? "" : ", ") + KindText(table.bones[i]->kind);
    IParamBlock2* block = s.modifier->GetParamBlock(0);
    dualQuaternion = dualQuaternion || (block && block->GetInt(use_dual_quaternion, 0) != 0);
  }
  std::ostream& out = io.out;
  out << "Tessarin demo: a tube skinned to a chain of animated link bones"
      << (dualQuaternion ? ", dual-quaternion blending" : "") << "\n\n";
  out << "  vertices    " << report.vertices << '\n';
  out << "  bones       " << boneCount << " (" << bones << ")\n";
  out << "  frames      " << report.frames << " (0.." << run.lastFrame << " at " << scene.description.frameRate
      << " fps)\n";
  out << "  time/frame  " << MillisecondsPerFrame(report.evaluationSeconds, report.frames) << " evaluating, "
      << MillisecondsPerFrame(report.totalSeconds, report.frames) << " with writing\n";
  if (report.files.size() == 1) {
    out << "  output      " << report.files[0].string() << '\n';
    out << "\nOpen " << report.files[0].string() << " in any glTF viewer and play its animation.\n";
  } else {
    out << "  output      " << report.files.size() << " OBJ files in " << run.outDir.string() << " ("
        << report.files.front().filename().string() << " .. " << report.files.back().filename().string() << ")\n";
  }
  if (removed > 0)
    out << "  removed     " << removed << " earlier frame" << (removed == 1 ? "" : "s") << " of this mesh\n";
  if (!opts.save.empty()) out << "  saved       " << opts.save << " (run it with: tessarin run " << opts.save << ")\n";
  if (!opts.sceneOut.empty()) out << "  scene       " << opts.sceneOut << " (run it with: tessarin run " << opts.sceneOut << ")\n";
  return 0;
}

}  // namespace

void AddDemoCommand(CLI::App& app, CommandAction& chosen) {
  auto opts = std::make_shared<DemoOptions>();
  CLI::App* cmd = app.add_subcommand(
      "demo", "Skin and animate the built-in scene (a 20,608-vertex tube and three link bones) and write it out");
  cmd->add_option("--frames", opts->frames, "how many frames to write, from frame 0 (a count, not a range)")
      ->type_name("COUNT")
      ->check(CLI::Range(1, 500))
      ->capture_default_str();
  opts->target.AddTo(*cmd, "tessarin-demo");
  opts->output.AddTo(*cmd);
  cmd->add_option("--scene-out", opts->sceneOut,
                  "also write the demo's scene description to this file, as a starting point for your own");
  cmd->add_option("--save", opts->save, "also save the built demo scene as a scene file");
  cmd->callback([opts, &chosen] {
    opts->target.Check(opts->output);
    chosen = [opts](const CommandIo& io) { return Demo(*opts, io); };
  });
}
