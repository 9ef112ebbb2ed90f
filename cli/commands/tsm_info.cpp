// tessarin tsm-info FILE [--json]
//
// Reads an exchange file with the plug-in's reader, linked into the program: the reader is plain
// data code that touches no host object, so the command needs no module and no scene.

#include <nlohmann/json.hpp>

#include <charconv>
#include <cstdlib>
#include <memory>

#include "cli/commands/commands.h"
#include "cli/commands/plugin_message.h"
#include "module/resources/resource_directory.h"
#include "module/resources/string_table.h"
#include "persistence/exchange/exchange_file.h"

namespace {

using json = nlohmann::ordered_json;

struct TsmInfoOptions {
  std::string file;
  bool json = false;
};

// The shortest decimal that reads back as the same float.
double Shortest(float v) {
  char text[32];
  auto [end, ec] = std::to_chars(text, text + sizeof text - 1, v);
  if (ec != std::errc()) return double(v);
  *end = '\0';
  return std::strtod(text, nullptr);
}

json InfoJson(const ExchangeFile& file, const std::string& path) {
  json bones = json::array();
  for (const ExchangeBone& b : file.bones())
    bones.push_back({{"name", b.name},
                     {"handle", b.nodeHandle},
                     {"falloff", Shortest(b.falloff)},
                     {"strength", Shortest(b.strength)},
                     {"vertexCount", b.vertexCount},
                     {"splineCount", b.splineCount}});
  return {{"file", path},
          {"version", file.version()},
          {"boneCount", file.boneCount()},
          {"bones", bones},
          {"blendCount", file.blendCount()}};
}

void InfoText(const json& info, std::ostream& out) {
  out << "file      " << info["file"].get<std::string>() << '\n';
  out << "version   " << info["version"] << '\n';
  out << "bones     " << info["boneCount"] << '\n';
  for (const json& b : info["bones"])
    out << "  \"" << b["name"].get<std::string>() << "\"  handle " << b["handle"] << "  falloff " << b["falloff"]
        << "  strength " << b["strength"] << "  vertices " << b["vertexCount"] << "  splines " << b["splineCount"]
        << '\n';
  out << "blend     " << info["blendCount"] << '\n';
}

// A message text (caption, "|", body with "\n\r" line breaks) as one line for a terminal.
std::string MessageLine(const std::string& text) {
  const std::size_t bar = text.find('|');
  return bar == std::string::npos ? OneLineMessage("", text) : OneLineMessage(text.substr(0, bar), text.substr(bar + 1));
}

int TsmInfo(const TsmInfoOptions& opts, const CommandIo& io) {
  // The reader's messages come from the module's string table, compiled in with the reader.
  SetModuleInstance(TessarinResourceHandle());
  ExchangeFile file;
  if (!file.read(opts.file)) {
    const std::string reason = OpenFailureReason(opts.file);
    io.err << "tessarin: " << MessageLine(file.errorText()) << (reason.empty() ? "" : ": " + reason) << '\n';
    return 1;
  }
  json info = InfoJson(file, opts.file);
  if (opts.json) io.out << info.dump() << '\n';
  else InfoText(info, io.out);
  return 0;
}

}  // namespace

void AddTsmInfoCommand(CLI::App& app, CommandAction& chosen) {
  auto opts = std::make_shared<TsmInfoOptions>();
  CLI::App* cmd = app.add_subcommand("tsm-info", "Print what an exchange file (.tsm) holds: its bones and blend table");
  cmd->add_option("FILE", opts->file, "the exchange file")->required();
  cmd->add_flag("--json", opts->json, "print one JSON document instead of text");
  cmd->callback([opts, &chosen] { chosen = [opts](const CommandIo& io) { return TsmInfo(*opts, io); }; });
}
