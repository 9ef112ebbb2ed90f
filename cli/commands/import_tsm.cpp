// tessarin import-tsm SCENE --node NAME --file FILE.tsm -o OUT [--json]
//
// Imports an exchange file into the skin on a node the way the skin's "Import TSM File" button
// does: the module's import asks the host's open-file dialog, and the program answers it with
// FILE. Then the scene is saved as a scene file and the skins are printed.

#include <memory>

#include "cli/commands/commands.h"
#include "cli/commands/plugin_message.h"
#include "cli/commands/scene_loading.h"
#include "cli/scene/skin_access.h"
#include "cli/scene/skin_dump.h"
#include "host/headless/headless_host.h"
#include "host/headless/open_file_service.h"
#include "host/headless/utf8_text.h"
#include "host/sdk/inode.h"

namespace {

struct ImportTsmOptions {
  std::string scene;
  SceneLoadOptions load;
  std::string node;
  std::string file;
  std::string out;
  bool json = false;
};

// The node's first skin (the lowest in its stack), or none.
const SkinRef* SkinOn(const std::vector<SkinRef>& skins, const std::string& node) {
  for (const SkinRef& s : skins)
    if (WideToUtf8Text(s.node->GetName()) == node) return &s;
  return nullptr;
}

// Answers the dialog with the given file, for as long as it lives.
class ChosenFile {
public:
  explicit ChosenFile(const std::string& path) {
    std::optional<std::wstring> wide = Utf8TextToWide(path);
    TheOpenFileService().SetProvider([wide](const OpenFileRequest&) { return wide; });
  }
  ~ChosenFile() { TheOpenFileService().Reset(); }
  ChosenFile(const ChosenFile&) = delete;
  ChosenFile& operator=(const ChosenFile&) = delete;
};

int ImportTsm(const ImportTsmOptions& opts, const CommandIo& io) {
  if (!Utf8TextToWide(opts.file)) return ReportFailure(io.err, opts.file + ": the file name is not UTF-8 text");
  LoadedScene scene;
  if (!LoadSceneFile(opts.scene, opts.load, scene, io.err)) return 1;
  std::vector<SkinRef> skins = FindSkins();
  const SkinRef* skin = SkinOn(skins, opts.node);
  if (!skin) return ReportFailure(io.err, opts.scene + ": no Tessarin modifier on a node named \"" + opts.node + "\"");

  // The skin's message boxes, one line each, with the system's reason when the file does not
  // open.
  const std::string reason = OpenFailureReason(opts.file);
  {
    ChosenFile chosen(opts.file);
    TheHost().Messages().SetPrinter([&](const MessageRecord& r) {
      io.err << "tessarin: " << OneLineMessage(WideToUtf8Text(r.caption), WideToUtf8Text(r.text))
             << (reason.empty() ? "" : ": " + reason) << '\n';
    });
    if (!skin->editor->ImportExchangeFile()) {
      if (TheOpenFileService().Requests().empty())
        return ReportFailure(io.err, "the plug-in module offers no exchange-file import");
      return 1;
    }
  }

  if (!SaveCurrentScene(opts.out, io.err)) return 1;

  DumpOptions dump;
  dump.sceneFile = opts.scene;
  dump.frameRate = scene.description.frameRate;
  dump.sceneFrame = scene.description.time;
  WriteDump(dump, opts.json, io.out);
  if (!opts.json) io.out << "\nscene saved to " << opts.out << '\n';
  return 0;
}

}  // namespace

void AddImportTsmCommand(CLI::App& app, CommandAction& chosen) {
  auto opts = std::make_shared<ImportTsmOptions>();
  CLI::App* cmd = app.add_subcommand(
      "import-tsm", "Replace the bones of a node's Tessarin modifier by those of an exchange file, then save the scene");
  cmd->add_option("SCENE", opts->scene, kSceneArgumentHelp)
      ->required()
      ->check(CLI::ExistingFile);
  opts->load.AddTo(*cmd);
  cmd->add_option("--node", opts->node, "the node whose skin takes the file's bones (its lowest Tessarin)")->required();
  cmd->add_option("--file", opts->file, "the exchange file (.tsm)")->required();
  cmd->add_option("-o,--out", opts->out, "the scene file to write")->required();
  cmd->add_flag("--json", opts->json, "print the skins as one JSON document (see docs/dump-json.md)");
  cmd->callback([opts, &chosen] { chosen = [opts](const CommandIo& io) { return ImportTsm(*opts, io); }; });
}
