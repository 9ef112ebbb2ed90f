#pragma once
// The state of every skin of the built scene as one JSON document (documented in
// docs/dump-json.md; keys in a fixed order), and its rendering as text for people.

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

struct DumpOptions {
  std::string sceneFile;
  int frameRate = 30;
  double sceneFrame = 0.0;               // the description's current frame (attachment)
  bool weights = false;                  // include the weight matrices
  int top = 0;                           // above 0: include each vertex's `top` largest weights
  std::optional<double> positionsFrame;  // include the deformed world positions at this frame
};

// Reads every skin through its editing interface; evaluates the skinned nodes when positions
// are asked for (the host's time is left at that frame).
nlohmann::ordered_json DumpSkins(const DumpOptions& options);

// The same document as indented text.
std::string DumpText(const nlohmann::ordered_json& dump);
