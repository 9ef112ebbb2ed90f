// tessarin paint SCENE --source NAME --stroke x,y,z[,radius,strength][;...] [--alt|--shift] -o OUT
//
// Paints an influence source's tables as a user does: opens the source's rollout, presses its
// Paint button (painting starts on every skin the source acts on), paints each stroke with the
// host's painter as one undo step, presses Paint again (the skins' display is restored) and
// saves the scene.

#include <charconv>
#include <cmath>
#include <memory>
#include <sstream>

#include "cli/commands/commands.h"
#include "cli/commands/scene_loading.h"
#include "cli/scene/source_dump.h"
#include "host/headless/command_panel_maps.h"
#include "host/headless/headless_host.h"
#include "host/headless/mesh_painter.h"
#include "host/headless/utf8_text.h"
#include "host/queries/scene_queries.h"
#include "host/sdk/hold.h"
#include "host/sdk/iparamb2.h"
#include "host/sdk/iparamm2.h"
#include "host/sdk/object.h"
#include "module/registry/class_ids.h"
#include "module/resources/resource_ids.h"

namespace {

// What a sample leaves out: a brush of one unit at the painter's strongest setting.
constexpr float kDefaultRadius = 1.0f;
constexpr float kDefaultStrength = 0.1f;

struct PaintCommandOptions {
  std::string scene;
  SceneLoadOptions load;
  std::string source;
  std::vector<std::string> strokes;
  bool alt = false;
  bool shift = false;
  std::string out;
  bool json = false;
};

// "x,y,z[,radius,strength][;...]": the samples of one stroke; false on any other text.
bool ParseStroke(const std::string& text, std::vector<PaintSample>& samples, std::string& why) {
  samples.clear();
  std::stringstream items(text);
  std::string item;
  while (std::getline(items, item, ';')) {
    std::vector<float> numbers;
    std::stringstream fields(item);
    std::string field;
    while (std::getline(fields, field, ',')) {
      float v = 0.0f;
      const char* begin = field.data();
      const char* end = begin + field.size();
      while (begin < end && *begin == ' ') ++begin;
      auto [stop, ec] = std::from_chars(begin, end, v);
      if (ec != std::errc() || stop != end || !std::isfinite(v)) {
        why = "\"" + field + "\" in sample \"" + item + "\" is not a number";
        return false;
      }
      numbers.push_back(v);
    }
    if (numbers.size() != 3 && numbers.size() != 5) {
      why = "sample \"" + item + "\" has " + std::to_string(numbers.size()) +
            " numbers; expected x,y,z or x,y,z,radius,strength";
      return false;
    }
    PaintSample s;
    s.world = Point3(numbers[0], numbers[1], numbers[2]);
    s.radius = numbers.size() == 5 ? numbers[3] : kDefaultRadius;
    s.strength = numbers.size() == 5 ? numbers[4] : kDefaultStrength;
    if (s.radius <= 0.0f) {
      why = "sample \"" + item + "\" has a radius that is not above 0";
      return false;
    }
    samples.push_back(s);
  }
  if (samples.empty()) {
    why = "the stroke has no samples";
    return false;
  }
  return true;
}

// The source on node: its Orbicle object or its Fluxel modifier, with its Paint button.
struct PaintedSource {
  Animatable* object = nullptr;
  int paintButton = 0;
};

PaintedSource SourceOn(INode* node) {
  Object* object = node->GetObjectRef();
  if (object && object->ClassID() == ORBICLE_CLASS_ID) return {object, IDC_ORBICLE_PAINT};
  if (Modifier* fluxel = FindModifierOnNode(node, FLUXEL_CLASS_ID)) return {fluxel, IDC_FLUXEL_PAINT};
  return {};
}

// The command-panel rollout the source opened, and a press of one of its buttons.
class OpenRollout {
public:
  explicit OpenRollout(Animatable* source) : source_(source) {
    const std::size_t before = CommandPanelRollouts().size();
    source_->BeginEditParams(&TheHost(), 0, nullptr);
    if (CommandPanelRollouts().size() > before) map_ = CommandPanelRollouts().back().map;
  }
  ~OpenRollout() { source_->EndEditParams(&TheHost(), END_EDIT_REMOVEUI, nullptr); }
  OpenRollout(const OpenRollout&) = delete;
  OpenRollout& operator=(const OpenRollout&) = delete;

  bool Press(int button) {
    ParamMap2UserDlgProc* proc = map_ ? map_->GetUserDlgProc() : nullptr;
    if (!proc) return false;
    proc->DlgProc(TheHost().GetTime(), map_, map_->GetHWnd(), WM_COMMAND, WPARAM(button), 0);
    return true;
  }

private:
  Animatable* source_;
  IParamMap2* map_ = nullptr;
};

int Paint(const PaintCommandOptions& opts, const CommandIo& io) {
  std::vector<std::vector<PaintSample>> strokes;
  for (const std::string& text : opts.strokes) {
    std::string why;
    strokes.emplace_back();
    if (!ParseStroke(text, strokes.back(), why)) return ReportFailure(io.err, "--stroke " + text + ": " + why);
    for (PaintSample& s : strokes.back()) {
      s.alt = opts.alt;
      s.shift = opts.shift;
    }
  }
  const std::optional<std::wstring> name = Utf8TextToWide(opts.source);
  if (!name) return ReportFailure(io.err, "--source: the name is not UTF-8 text");

  LoadedScene scene;
  if (!LoadSceneFile(opts.scene, opts.load, scene, io.err)) return 1;
  INode* node = TheHost().GetINodeByName(name->c_str());
  if (!node) return ReportFailure(io.err, opts.scene + ": no node named \"" + opts.source + "\"");
  const PaintedSource source = SourceOn(node);
  if (!source.object)
    return ReportFailure(io.err, opts.scene + ": node \"" + opts.source +
                                     "\" is no influence source: it has no Orbicle object and no Fluxel modifier");

  HeadlessPainter& painter = ThePainter();
  int painted = 0;
  {
    OpenRollout rollout(source.object);
    if (!rollout.Press(source.paintButton))
      return ReportFailure(io.err, "the plug-in module opened no rollout for \"" + opts.source + "\"");
    if (!painter.InPaintMode())
      return ReportFailure(io.err, "the plug-in module did not start painting \"" + opts.source + "\"");
    const std::size_t skinNodes = painter.Nodes().size();
    if (skinNodes == 0) {
      rollout.Press(source.paintButton);
      return ReportFailure(io.err, opts.scene + ": \"" + opts.source +
                                       "\" acts on no skin: list it in a skin's \"sources\", or make it a direct "
                                       "child of a bone of a skin with use_linked on");
    }
    for (const auto& samples : strokes) {
      // The painter's stroke is one undo step, as when the user lifts the pen.
      theHold.Begin();
      painter.Stroke(samples);
      if (theHold.Holding()) theHold.Accept(L"Paint");
      ++painted;
    }
    rollout.Press(source.paintButton);  // stops painting: the skins show what they showed before
  }
  if (!SaveCurrentScene(opts.out, io.err)) return 1;

  nlohmann::ordered_json sources = DumpSources(TheHost().GetTime());
  nlohmann::ordered_json mine = nlohmann::ordered_json::array();
  for (const auto& s : sources)
    if (s["node"] == opts.source) mine.push_back(s);
  if (opts.json) {
    nlohmann::ordered_json doc;
    doc["strokes"] = painted;
    doc["undoSteps"] = theHold.UndoCount();
    doc["scene"] = opts.out;
    doc["sources"] = mine;
    io.out << doc.dump() << '\n';
  } else {
    io.out << "painted " << painted << (painted == 1 ? " stroke" : " strokes") << " on \"" << opts.source << "\" ("
           << theHold.UndoCount() << (theHold.UndoCount() == 1 ? " undo step)\n" : " undo steps)\n");
    SourcesText(mine, io.out);
    io.out << "\nscene saved to " << opts.out << '\n';
  }
  return 0;
}

}  // namespace

void AddPaintCommand(CLI::App& app, CommandAction& chosen) {
  auto opts = std::make_shared<PaintCommandOptions>();
  CLI::App* cmd = app.add_subcommand(
      "paint", "Paint an influence source's influence on every skin it acts on, and save the scene");
  cmd->add_option("SCENE", opts->scene, kSceneArgumentHelp)->required()->check(CLI::ExistingFile);
  opts->load.AddTo(*cmd);
  cmd->add_option("--source", opts->source, "the node of the Orbicle or Fluxel to paint")->required();
  cmd->add_option("--stroke", opts->strokes,
                  "one stroke: samples x,y,z[,radius,strength] in world units, separated by ';' (radius 1 and "
                  "strength 0.1 when left out; the brush holds strength to 0..0.1 and radius to 0..5); repeat for "
                  "more strokes")
      ->required()
      ->allow_extra_args(false)
      // A stroke that does not parse is a usage error (exit 2), told before anything is loaded.
      ->check(CLI::Validator(
          [](std::string& text) {
            std::vector<PaintSample> samples;
            std::string why;
            return ParseStroke(text, samples, why) ? std::string() : why;
          },
          "STROKE"));
  auto* alt = cmd->add_flag("--alt", opts->alt, "take the brush away instead of adding it");
  auto* shift = cmd->add_flag("--shift", opts->shift, "smooth: move the brushed values toward their average");
  alt->excludes(shift);
  cmd->add_option("-o,--out", opts->out, "the scene file to write")->required();
  cmd->add_flag("--json", opts->json, "print the painted source as one JSON document");
  cmd->callback([opts, &chosen] { chosen = [opts](const CommandIo& io) { return Paint(*opts, io); }; });
}
