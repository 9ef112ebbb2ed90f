#pragma once
// The influence sources of the built scene (Orbicle objects and Fluxel modifiers) with their
// settings and influence tables, as part of the dump document (docs/dump-json.md), and as text.

#include <nlohmann/json.hpp>

#include <ostream>

#include "host/sdk/maxtypes.h"

// One entry per source, nodes in scene order: the node, the class, the parameters at t and
// each table with the skin it belongs to (none when no skin of the scene has its key).
nlohmann::ordered_json DumpSources(TimeValue t);

// The "sources" array as indented text.
void SourcesText(const nlohmann::ordered_json& sources, std::ostream& out);
