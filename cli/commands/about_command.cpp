// tessarin about --png FILE [--click X,Y] [--open]
//
// Opens the module's About box the way the skin's page does: a Tessarin modifier is edited, its
// page's "About Tessarin Proxy" button is pressed, and the box runs in the headless window model,
// driven message by message: initialised, painted (its picture written to FILE), optionally
// clicked at a client position, and closed with OK. Addresses the box asks the shell to open are
// printed; with --open they go on to the desktop's opener.

#include <cctype>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "cli/commands/commands.h"
#include "cli/commands/scene_loading.h"
#include "cli/scene/plugin_session.h"
#include "host/headless/headless_host.h"
#include "host/headless/rollup_pages.h"
#include "host/headless/shell_service.h"
#include "host/headless/utf8_text.h"
#include "host/headless/window_model.h"
#include "host/headless/window_surface.h"
#include "host/sdk/object.h"
#include "module/registry/class_ids.h"

namespace {

constexpr int kAboutButton = 1200;

struct AboutOptions {
  std::string png;
  std::string click;  // "X,Y", empty for none
  bool open = false;
};

std::optional<POINT> ParsePoint(const std::string& text) {
  const std::size_t comma = text.find(',');
  if (comma == std::string::npos) return std::nullopt;
  try {
    std::size_t used = 0;
    const int x = std::stoi(text.substr(0, comma), &used);
    if (used != comma) return std::nullopt;
    const std::string rest = text.substr(comma + 1);
    const int y = std::stoi(rest, &used);
    if (used != rest.size() || x < -32768 || x > 32767 || y < -32768 || y > 32767) return std::nullopt;
    return POINT{x, y};
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// The services the run sets up, put back as they were at its end.
class AboutRun {
public:
  AboutRun() = default;
  ~AboutRun() {
    TheModalDialogs().Reset();
    TheShellService().Reset();
  }
  AboutRun(const AboutRun&) = delete;
  AboutRun& operator=(const AboutRun&) = delete;
};

// The page the modifier opened: the last page of the command panel.
HWND PageWindow() {
  const std::vector<RollupPageRecord>& pages = RollupPages();
  return pages.empty() ? nullptr : pages.back().window;
}

constexpr int kUsageError = 2;

int About(const AboutOptions& opts, const CommandIo& io) {
  std::optional<POINT> click;
  if (!opts.click.empty()) click = ParsePoint(opts.click);  // checked while parsing the command line

  std::string why;
  std::unique_ptr<PluginSession> plugin = PluginSession::Open(io.err, &why);
  if (!plugin) return ReportFailure(io.err, why);

  AboutRun run;
  TheShellService().SetOpener([&](const ShellRequest& r) {
    io.out << "open " << WideToUtf8Text(r.file) << '\n';
    return opts.open ? OpenWithDesktop(r) : true;
  });
  bool written = false;
  bool outside = false;
  std::string writeError;
  int width = 0, height = 0;
  TheModalDialogs().SetDriver([&](HWND box) {
    SendMessageW(box, WM_PAINT, 0, 0);
    RECT client;
    GetClientRect(box, &client);
    width = client.right;
    height = client.bottom;
    outside = click && (click->x < 0 || click->y < 0 || click->x >= width || click->y >= height);
    if (outside) {  // refused before anything is written
      SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      return;
    }
    written = SaveWindowPicture(box, opts.png, &writeError);
    if (click) {
      const LPARAM at = MAKELPARAM(static_cast<WORD>(click->x), static_cast<WORD>(click->y));
      SendMessageW(box, WM_MOUSEMOVE, 0, at);
      SendMessageW(box, WM_LBUTTONDOWN, 0, at);
    }
    SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });

  auto* skin = static_cast<Modifier*>(TheHost().CreateInstance(OSM_CLASS_ID, TESSARIN_CLASS_ID));
  if (!skin) return ReportFailure(io.err, "the plug-in module creates no Tessarin modifier");
  skin->BeginEditParams(&TheHost(), BEGIN_EDIT_CREATE, nullptr);
  HWND page = PageWindow();
  if (page) SendMessageW(page, WM_COMMAND, MAKEWPARAM(kAboutButton, BN_CLICKED), 0);
  skin->EndEditParams(&TheHost(), END_EDIT_REMOVEUI, nullptr);
  skin->DeleteMe();

  if (!page) return ReportFailure(io.err, "the plug-in module shows no command-panel page for its skin");
  if (TheModalDialogs().Dialogs().empty()) return ReportFailure(io.err, "the plug-in module opened no About box");
  if (outside) {
    io.err << "tessarin: --click " << opts.click << " lies outside the About box (its client area is " << width
           << " x " << height << " pixels, from 0,0)\n";
    return kUsageError;
  }
  if (!written) return ReportFailure(io.err, writeError);  // names the file
  io.out << "About box (" << width << " x " << height << " pixels) written to " << opts.png << '\n';
  return 0;
}

}  // namespace

void AddAboutCommand(CLI::App& app, CommandAction& chosen) {
  auto opts = std::make_shared<AboutOptions>();
  CLI::App* command = app.add_subcommand("about", "Open the module's About box and write what it shows as a PNG");
  command->add_option("--png", opts->png, "The picture file to write (a PNG, named .png)")
      ->required()
      ->check(CLI::Validator(
          [](std::string& name) {
            std::string ext = std::filesystem::path(name).extension().string();
            for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            return ext == ".png" ? std::string() : "the picture is written as PNG: name it .png, got " + name;
          },
          "FILE.png"));
  command->add_option("--click", opts->click,
                      "Press the mouse at X,Y (client pixels, inside the box) before closing the box")
      ->check(CLI::Validator(
          [](std::string& text) {
            return ParsePoint(text) ? std::string() : "--click takes X,Y in client pixels, for example 100,50";
          },
          "X,Y"));
  command->add_flag("--open", opts->open, "Hand the addresses the box opens to the desktop's opener (xdg-open)");
  command->callback([opts, &chosen] {
    chosen = [opts](const CommandIo& io) { return About(*opts, io); };
  });
}
