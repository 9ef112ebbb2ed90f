#pragma once
// Identifiers of the headless host's scene file (docs/scene-file.md): the file header, the
// chunks of the scene's frame, and the chunks of the host classes' own data. Chunk identifiers
// are scoped by their container, so the host classes' ids only have to differ from the other
// chunks inside the same object's data.

#include <cstdint>

namespace scenefile {

// The file starts with these 8 bytes and a u32 format version.
inline constexpr std::uint8_t kMagic[8] = {'T', 'S', 'R', 'S', 'C', 'E', 'N', 'E'};
inline constexpr std::uint32_t kFormatVersion = 1;
inline constexpr std::size_t kFileHeaderSize = 12;

// The scene's frame.
inline constexpr std::uint16_t kSceneChunk = 0x0001;
inline constexpr std::uint16_t kSceneInfoChunk = 0x0010;    // i32 frame rate, i32 time, u32 next handle
inline constexpr std::uint16_t kAnimRangeChunk = 0x0011;    // i32 start, i32 end, in ticks
inline constexpr std::uint16_t kObjectListChunk = 0x0020;
inline constexpr std::uint16_t kObjectChunk = 0x0021;       // one per stored object, index = order
inline constexpr std::uint16_t kObjectClassChunk = 0x0022;  // u32 super class, u32 class a, u32 class b
inline constexpr std::uint16_t kObjectDataChunk = 0x0023;   // what the object's Save wrote
inline constexpr std::uint16_t kObjectRefsChunk = 0x0024;   // u32 count, count × i32 object index
inline constexpr std::uint16_t kNodeTreeChunk = 0x0030;     // u32 count, count × (i32 node, i32 parent)

// Stored object indices with a meaning of their own.
inline constexpr std::int32_t kNoObject = -1;
inline constexpr std::int32_t kSceneRoot = -2;

// Frame rates a scene may have (ticks per frame at least 1).
inline constexpr int kMinFrameRate = 1;
inline constexpr int kMaxFrameRate = 4800;

// Data of the host classes.
inline constexpr std::uint16_t kModifierBaseChunk = 0x0100;  // u32 flags (bit 0: disabled)

inline constexpr std::uint16_t kNodeInfoChunk = 0x0200;
inline constexpr std::uint16_t kNodeNameChunk = 0x0210;
inline constexpr std::uint16_t kNodeTrackChunk = 0x0220;
inline constexpr std::uint16_t kNodeOffsetChunk = 0x0230;

inline constexpr std::uint16_t kMeshVertsChunk = 0x0300;
inline constexpr std::uint16_t kMeshFacesChunk = 0x0310;
inline constexpr std::uint16_t kMeshVertColorsChunk = 0x0320;
inline constexpr std::uint16_t kMeshVertColorFacesChunk = 0x0330;
inline constexpr std::uint16_t kPolyVertsChunk = 0x0340;
inline constexpr std::uint16_t kPolyFacesChunk = 0x0350;
inline constexpr std::uint16_t kPolyVertColorsChunk = 0x0360;
inline constexpr std::uint16_t kPatchVertsChunk = 0x0370;
inline constexpr std::uint16_t kPatchVecsChunk = 0x0380;
inline constexpr std::uint16_t kPatchPatchesChunk = 0x0390;
inline constexpr std::uint16_t kPatchVertColorsChunk = 0x03A0;

inline constexpr std::uint16_t kParamBlockOwnerChunk = 0x0400;
inline constexpr std::uint16_t kParamBlockValuesChunk = 0x0410;
inline constexpr std::uint16_t kLegacyBlockLayoutChunk = 0x0500;
inline constexpr std::uint16_t kLegacyBlockValuesChunk = 0x0510;

inline constexpr std::uint16_t kDerivedStackChunk = 0x0600;

inline constexpr std::uint16_t kDummyBoxChunk = 0x0700;
inline constexpr std::uint16_t kSplineCurvesChunk = 0x0710;
inline constexpr std::uint16_t kBoneSizeChunk = 0x0720;
inline constexpr std::uint16_t kContainerItemsChunk = 0x0730;

}  // namespace scenefile
