// tessarin paint SCENE --source NAME --stroke x,y,z[,radius,strength][;...] [--alt|--shift]
//                [--time FRAME] -o OUT
//
// Paints an influence source's tables as a user does: opens the source's rollout, presses its
// Paint button (painting starts on every skin the source acts on), paints each stroke with the
// host's painter as one undo step on the meshes where they are at the painting frame, presses
// Paint again (the skins' display is restored) and saves the scene.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <optional>
#include <sstream>

#include "cli/commands/commands.h"
#include "cli/commands/frame_options.h"
#include "cli/commands/scene_loading.h"
#include "cli/scene/scene_builder.h"
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
#include "sources/influence_table_editor.h"

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
  std::optional<double> time;
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

using Tables = std::map<std::uint64_t, std::vector<float>>;

// The influence of a vertex whose skin has no table of its vertex count.
constexpr float kUnpaintedInfluence = 1.0f;

Tables TablesOf(Animatable* source) {
  BaseInterface* found = source->GetInterface(INFLUENCE_TABLE_EDITOR_INTERFACE_ID);
  if (!found || found->GetID() != INFLUENCE_TABLE_EDITOR_INTERFACE_ID) return {};
  return static_cast<IInfluenceTableEditor*>(found)->Tables();
}

// How many skin vertices' values differ between two states of a source's tables. A table that
// is absent or of another length before counts as the default everywhere, as the push-out
// reads it.
int ChangedVertices(const Tables& before, const Tables& after) {
  int changed = 0;
  for (const auto& [stamp, values] : after) {
    auto it = before.find(stamp);
    const std::vector<float>* old = it != before.end() && it->second.size() == values.size() ? &it->second : nullptr;
    for (std::size_t k = 0; k < values.size(); ++k)
      changed += values[k] != (old ? (*old)[k] : kUnpaintedInfluence) ? 1 : 0;
  }
  return changed;
}

std::string Plural(int n, const char* one, const char* many) {
  return std::to_string(n) + ' ' + (n == 1 ? one : many);
}

// The frame as text without needless digits: 10, 2.5.
std::string FrameText(double frame) {
  std::ostringstream text;
  text << frame;
  return text.str();
}

// One line per table of the painted source: its skin, count and range of values.
void TablesSummary(const nlohmann::ordered_json& source, std::ostream& out) {
  const std::string& node = source["node"].get_ref<const std::string&>();
  if (source["tables"].empty()) out << source["type"].get<std::string>() << " \"" << node << "\": no influence table\n";
  for (const auto& table : source["tables"]) {
    out << source["type"].get<std::string>() << " \"" << node << "\" on ";
    if (table["skin"].is_null()) out << "no skin of the scene (" << table["stamp"].get<std::string>() << ")";
    else
      out << "the skin on \"" << table["skin"]["node"].get<std::string>() << "\" (stack index "
          << table["skin"]["stackIndex"] << ")";
    const auto& values = table["values"];
    out << ": " << Plural(int(values.size()), "vertex", "vertices");
    if (!values.empty()) {
      double lo = values[0].get<double>(), hi = lo, sum = 0.0;
      int below = 0;
      for (const auto& v : values) {
        const double x = v.get<double>();
        lo = std::min(lo, x);
        hi = std::max(hi, x);
        sum += x;
        below += x < kUnpaintedInfluence ? 1 : 0;
      }
      out << ", influence " << lo << " to " << hi << ", mean " << sum / double(values.size()) << ", "
          << below << " below " << kUnpaintedInfluence;
    }
    out << '\n';
  }
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

  // Painting happens at a frame, on the meshes as they are then; the scene keeps its own
  // current frame.
  const TimeValue sceneTime = TheHost().GetTime();
  const int frameRate = scene.description.frameRate;
  const double frame = opts.time.value_or(TicksToFrame(sceneTime, frameRate));
  // Asking for an impossible frame is a usage error, as a stroke that does not parse is.
  if (!FrameTimeUsable(io.err, "--time", frame, frameRate)) return kUsageErrorExit;
  TheHost().SetTime(FrameToTicks(frame, frameRate), FALSE);

  HeadlessPainter& painter = ThePainter();
  int painted = 0;
  std::vector<int> changed;
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
      const Tables before = TablesOf(source.object);
      // The painter's stroke is one undo step, as when the user lifts the pen.
      theHold.Begin();
      painter.Stroke(samples);
      if (theHold.Holding()) theHold.Accept(L"Paint");
      ++painted;
      changed.push_back(ChangedVertices(before, TablesOf(source.object)));
      if (changed.back() > 0) continue;
      const std::string which = "stroke " + std::to_string(painted);
      if (painter.LastStrokeHits() == 0)
        io.err << "tessarin: warning: " << which << " changed nothing: no sample reaches a vertex of the skins \""
               << opts.source << "\" acts on at frame " << FrameText(frame) << '\n';
      else
        io.err << "tessarin: warning: " << which
               << " changed nothing: every value it reached was already at its limit\n";
    }
    rollout.Press(source.paintButton);  // stops painting: the skins show what they showed before
  }
  TheHost().SetTime(sceneTime, FALSE);
  if (!SaveCurrentScene(opts.out, io.err)) return 1;

  nlohmann::ordered_json sources = DumpSources(TheHost().GetTime());
  nlohmann::ordered_json mine = nlohmann::ordered_json::array();
  for (const auto& s : sources)
    if (s["node"] == opts.source) mine.push_back(s);
  if (opts.json) {
    nlohmann::ordered_json doc;
    doc["strokes"] = painted;
    doc["frame"] = frame;
    doc["changedVertices"] = changed;
    doc["undoSteps"] = theHold.UndoCount();
    doc["scene"] = opts.out;
    doc["sources"] = mine;
    io.out << doc.dump() << '\n';
  } else {
    io.out << "painted " << Plural(painted, "stroke", "strokes") << " on \"" << opts.source << "\" at frame "
           << FrameText(frame) << " (" << Plural(theHold.UndoCount(), "undo step", "undo steps") << ")\n";
    for (std::size_t i = 0; i < changed.size(); ++i)
      io.out << "stroke " << i + 1 << ": " << Plural(changed[i], "vertex", "vertices") << " changed\n";
    for (const auto& s : mine) TablesSummary(s, io.out);
    io.out << "scene saved to " << opts.out << '\n';
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
  AddFrameTimeOption(*cmd, "--time", opts->time,
                     "the frame to paint at: the brush meets the meshes where they are then "
                     "(default: the scene's current frame)");
  cmd->add_option("-o,--out", opts->out, "the scene file to write")->required();
  cmd->add_flag("--json", opts->json,
                "print one JSON document: the values each stroke changed and the painted source with its tables");
  cmd->callback([opts, &chosen] { chosen = [opts](const CommandIo& io) { return Paint(*opts, io); }; });
}
