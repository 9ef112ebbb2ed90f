#pragma once
// `run --format skinned-glb`: samples the built scene frame by frame into a skinned glTF
// character. The bone nodes (with their ancestors) become the node hierarchy and the skins'
// joints; a bone whose motion as the skin measures it is not its node's motion (link bones,
// secondary motion) gets a joint of its own under its node that carries the measured motion.

#include <string>
#include <vector>

#include "cli/scene/frame_runner.h"

class INode;

// nodes: the skinned nodes to write, each with exactly one Tessarin modifier. Writes
// options.outDir / (options.baseName + ".glb"). What the file cannot express goes into
// report.warnings. False with *error set when a node cannot be written.
bool RunSkinnedGlb(const std::vector<INode*>& nodes, int frameRate, const RunOptions& options, RunReport& report,
                   std::string* error);
