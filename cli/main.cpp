// tessarin: builds, evaluates and inspects skinned scenes with the headless host.

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>
#include <string>

#include "cli/commands/commands.h"
#include "cli/commands/usage_hint.h"
#include "cli/scene/plugin_session.h"
#include "cli/scene/progress.h"

namespace {

// 48500 → "4.85.0": major = code / 10000, minor = (code / 100) % 100, patch = code % 100.
std::string VersionText(int code) {
  return std::to_string(code / 10000) + "." + std::to_string((code / 100) % 100) + "." + std::to_string(code % 100);
}

constexpr int kUsageError = 2;

}  // namespace

int main(int argc, char** argv) {
  // The plug-in's parallel loops are short and run several times per frame. Workers that spin
  // while they wait take the core from the main thread's serial work whenever the machine is
  // busy, so that two threads end up slower than one; sleeping workers only cost a wake-up per
  // loop. Set before the plug-in module (and with it the OpenMP runtime) is loaded; a policy
  // given in the environment is kept.
  setenv("OMP_WAIT_POLICY", "PASSIVE", 0);
  const std::string version = VersionText(TESSARIN_VERSION_CODE);
  CLI::App app{"tessarin: character skinning with the headless host.\n"
               "Builds a rigged scene (a JSON description, or the built-in demo), evaluates its Tessarin skins and\n"
               "writes the deformed meshes frame by frame, or prints the skins' state."};
  app.set_version_flag("--version", version);
  app.require_subcommand(0, 1);
  std::string modulePath;
  app.add_option("--module", modulePath,
                 "the plug-in module to load (default: " + std::string(PluginModuleFileName()) +
                     " next to the program, or in its installed module folder)")
      ->check(CLI::ExistingFile);
  app.fallthrough();  // --module may also follow the command
  app.footer("Run 'tessarin COMMAND --help' for a command's options. Scene format: docs/scene-format.md");
  CommandAction chosen;
  AddDemoCommand(app, chosen);
  AddRunCommand(app, chosen);
  AddDumpCommand(app, chosen);
  AddTsmInfoCommand(app, chosen);
  AddImportTsmCommand(app, chosen);
  AddSaveCommand(app, chosen);
  AddPaintCommand(app, chosen);
  AddAboutCommand(app, chosen);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);  // --help, --version
    std::cerr << UsageErrorText(app, e, argc, argv);
    return kUsageError;
  }
  SetPluginModulePath(modulePath);
  if (!chosen) {
    std::cout << app.help();
    return 0;
  }
  try {
    return chosen(CommandIo{std::cout, std::cerr, StderrIsTerminal(), version});
  } catch (const std::exception& e) {
    // The commands report their own failures; this is the last guard against a crash.
    std::cerr << "tessarin: " << e.what() << '\n';
    return 1;
  }
}
