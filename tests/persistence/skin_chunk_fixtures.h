#pragma once
// The stored skin data kept as binary fixtures (tests/persistence/skin_fixtures/) and as fuzz
// seeds (fuzz/corpus/skin_chunks/): older layouts that must still load, the current layout, and
// damaged data that must fail. Each fixture is the data of one modifier: a run of chunks.

#include <string>
#include <vector>

#include "persistence/skin_chunk_writer.h"

namespace skinfixture {

// The bone shape every fixture bone has: axes along the world's, centre (1, 2, 3), radii
// (1, 2, 4).
BoneShape FixtureShape();

// Main chunk of version 1: selectedBoneColor 0x0000FF00 and a block without a version word with
// one unversioned box bone (flags 0x80000001, codes 0x80, 0x00, 0x85) over three vertices,
// attached at 0.
StoredMain MainVersion1();
// Main chunk of version 4 (stored under 0x2740 by its fixture): colours, minRadius 0.01, the
// threshold as the integer 10, a block of version 100001 with one link bone of entry version
// 10003 (codes 0x81, 0x00) over two vertices attached at 160, and a selection of two words.
StoredMain MainVersion4();
// Main chunk of version 7: the threshold as the integer 25, kept values 2, 4, 0.25, 0.75, 9, and
// an empty, unattached table.
StoredMain MainVersion7();
// Main chunk of version 10 with two box bones of entry version 10004, each with codes 0x81, 0x82,
// 0x80 over three vertices, blendMix 0.5, 0.25, 1.
StoredMain MainVersion10Entries10004();
// Main chunk of version 11 with three bones of entry version 10006 over two vertices: a bound
// spline bone, a spline bone with no bindings stored, and a box bone that carries bindings.
StoredMain MainVersion11Splines();
// Names stored with the spline fixture: vertex set 0 "Arm", bone set 30 "Legs", vertex set 5 a
// 256-byte text without terminator behind the flag 7 (the field still holds 256 bytes).
StoredNames FixtureNames();
inline constexpr std::uint64_t kFixtureStamp = 0x0123456789ABCDEFull;

struct NamedFixture {
  std::string name;  // file name without extension
  Bytes bytes;
};

// Every fixture, in a fixed order.
std::vector<NamedFixture> SkinChunkFixtures();

}  // namespace skinfixture
