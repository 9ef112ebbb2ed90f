// tessarin about: the module's About box.

#include "cli/commands/commands.h"

void AddAboutCommand(CLI::App& app, CommandAction& chosen) {
  CLI::App* command = app.add_subcommand("about", "Show the module's About box");
  command->callback([&chosen] {
    chosen = [](const CommandIo& io) {
      io.err << "tessarin about: not available in this build\n";
      return 1;
    };
  });
}
