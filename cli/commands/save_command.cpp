// tessarin save SCENE -o FILE

#include <memory>

#include "cli/commands/commands.h"
#include "cli/commands/scene_loading.h"
#include "cli/scene/skin_access.h"
#include "host/headless/headless_host.h"

namespace {

struct SaveCommandOptions {
  std::string scene;
  SceneLoadOptions load;
  std::string out;
};

int Save(const SaveCommandOptions& opts, const CommandIo& io) {
  LoadedScene scene;
  if (!LoadSceneFile(opts.scene, opts.load, scene, io.err)) return 1;
  if (!SaveCurrentScene(opts.out, io.err)) return 1;
  const std::size_t nodes = TheHost().AllNodes().size(), skins = FindSkins().size();
  io.out << "saved " << nodes << (nodes == 1 ? " node (" : " nodes (") << skins
         << (skins == 1 ? " Tessarin modifier) to " : " Tessarin modifiers) to ") << opts.out << '\n';
  return 0;
}

}  // namespace

void AddSaveCommand(CLI::App& app, CommandAction& chosen) {
  auto opts = std::make_shared<SaveCommandOptions>();
  CLI::App* cmd = app.add_subcommand(
      "save", "Build a scene description and save it as a scene file, which every command that takes a scene accepts");
  cmd->add_option("SCENE", opts->scene, kSceneArgumentHelp)->required()->check(CLI::ExistingFile);
  opts->load.AddTo(*cmd);
  cmd->add_option("-o,--out", opts->out, "the scene file to write (replaced only once it is complete)")->required();
  cmd->callback([opts, &chosen] { chosen = [opts](const CommandIo& io) { return Save(*opts, io); }; });
}
