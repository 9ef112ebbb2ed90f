#pragma once
// Whole scenes as older versions of the skin modifier left them, kept as binary fixtures next to
// the chunk fixtures (not fuzz seeds: their frame is the host's scene file).

#include <vector>

#include "persistence/skin_chunk_fixtures.h"

namespace skinfixture {

// What entry i of every old-style block in these scenes holds.
inline constexpr int kLegacySwitches[5] = {1, 1, 0, 1, 1};

// One scene per old block layout (versions 3 to 6, named legacy_block_v<version>): a mesh node
// "Arm" whose skin holds the version-10 main chunk with two bones, the fixture names and stamp,
// over bone nodes "Upper" and "Lower"; its switches in an old-style block of that layout; its
// references numbered as version 10 did (0 the block, 1 and 2 the bone nodes). Builds each in
// the headless scene, which is empty afterwards; the skin's class must be registered.
std::vector<NamedFixture> LegacyBlockScenes();

}  // namespace skinfixture
