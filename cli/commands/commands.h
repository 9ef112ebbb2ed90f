#pragma once
// The subcommands of tessarin. Each Add function declares a subcommand with its options; when
// the command line chooses it, parsing leaves the action to run in `chosen`.

#include <CLI/CLI.hpp>

#include <functional>
#include <ostream>
#include <string>

struct CommandIo {
  std::ostream& out;
  std::ostream& err;
  bool progress = false;      // stderr is a terminal: long runs may draw progress there
  std::string version;        // "4.85.0"
};

// 0 success, 1 failure (the message is on err already).
using CommandAction = std::function<int(const CommandIo&)>;

void AddDemoCommand(CLI::App& app, CommandAction& chosen);
void AddRunCommand(CLI::App& app, CommandAction& chosen);
void AddDumpCommand(CLI::App& app, CommandAction& chosen);
void AddTsmInfoCommand(CLI::App& app, CommandAction& chosen);
void AddImportTsmCommand(CLI::App& app, CommandAction& chosen);
void AddSaveCommand(CLI::App& app, CommandAction& chosen);
void AddPaintCommand(CLI::App& app, CommandAction& chosen);
void AddAboutCommand(CLI::App& app, CommandAction& chosen);
