#pragma once
// The state of every skin of the built scene as one JSON document (documented in
// docs/dump-json.md; keys in a fixed order), or as text for people.

#include <optional>
#include <ostream>
#include <string>

struct DumpOptions {
  std::string sceneFile;
  int frameRate = 30;
  double sceneFrame = 0.0;               // the description's current frame (attachment)
  bool weights = false;                  // include the weight matrices
  int top = 0;                           // above 0: include each vertex's `top` largest weights
  std::optional<double> positionsFrame;  // include the deformed world positions at this frame
};

// Writes the document to out, on one line ending in a newline, or as indented text. Reads every
// skin through its editing interface; evaluates the skinned nodes when positions are asked for
// (the host's time is left at that frame). The per-vertex sections are written as they are read,
// so that no copy of them of the mesh's size is held; a failure part way (std::bad_alloc) leaves
// what was written so far.
void WriteDump(const DumpOptions& options, bool asJson, std::ostream& out);
