#pragma once
// Identifiers, versions and fixed sizes of the skin modifier's scene chunks.

#include <cstdint>

namespace skinchunks {

inline constexpr std::uint16_t kOldMainChunk = 0x2740;  // older scenes; read like kMainChunk
inline constexpr std::uint16_t kMainChunk = 0x2750;     // settings, bone table, vertex selection
inline constexpr std::uint16_t kOldSpareChunk = 0x2760;  // older scenes; read and discarded
inline constexpr std::uint16_t kTagChunk = 0x2770;       // written first, never read back
inline constexpr std::uint16_t kSetNamesChunk = 0x2780;  // names of the named selection sets
inline constexpr std::uint16_t kStampChunk = 0x2790;     // instanceStamp

inline constexpr std::int32_t kMainVersion = 11;
inline constexpr std::int32_t kOldestMainVersion = 1;
// Main-chunk versions from which on a field is present.
inline constexpr std::int32_t kMainWithColors = 2;         // reserved word, colours, minRadius, threshold
inline constexpr std::int32_t kMainWithSelection = 3;      // vertex selection
inline constexpr std::int32_t kMainWithFrameOption1 = 5;
inline constexpr std::int32_t kMainWithFrameOption3 = 6;
inline constexpr std::int32_t kMainWithSpares = 7;
inline constexpr std::int32_t kMainWithFloatThreshold = 8;  // before: an integer percent
inline constexpr std::int32_t kMainWithCurrentRefs = 11;   // before: references from 1 on one lower

// A bone-table block starts with its version word from kTableWithMatrices on; a smaller first
// word is the bone count of a block without one.
inline constexpr std::int32_t kTableWithMatrices = 100001;  // attachObjectTM, attachNodeTM
inline constexpr std::int32_t kTableWithBlendMix = 100002;
inline constexpr std::int32_t kTableVersion = kTableWithBlendMix;

// A bone entry starts with its version word from kEntryWithNodeTM on; a smaller first word is
// the flags word of an entry without one.
inline constexpr std::int32_t kEntryWithNodeTM = 10001;
inline constexpr std::int32_t kEntryWithWeightArray = 10005;  // before: weights packed in the codes
inline constexpr std::int32_t kEntryWithSplines = 10006;
inline constexpr std::int32_t kEntryVersion = kEntryWithSplines;

inline constexpr int kStoredSetNames = 31;
inline constexpr int kSetNameField = 256;          // bytes of one stored name
inline constexpr std::int32_t kSetNamePresent = 256;  // flag written before a stored name
inline constexpr int kMainReservedPairs = 31;     // trailing (i32, i32) pairs of zeros

inline constexpr std::uint32_t kMatrixBytes = 52;
inline constexpr std::uint32_t kShapeBytes = 60;
// The smallest bone entry: no version word, no node transform, no per-vertex data.
inline constexpr std::uint32_t kMinEntryBytes = 4 + 4 + 4 + 3 * 4 + kShapeBytes + 4;
// One bound vertex of a spline bone: parameter, curve index, offset, tangent.
inline constexpr std::uint32_t kSplineVertexBytes = 4 + 4 + 12 + 12;

inline constexpr int kOldSpareFirstBytes = 26;
inline constexpr int kOldSpareSecondBytes = 32;

}  // namespace skinchunks
