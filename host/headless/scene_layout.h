#pragma once
// The frame of a scene file, read and checked before anything of the current scene changes:
// header, scene information, one record per object (class, where its data is, its stored
// references) and the node tree. The objects' own data is located here, not read.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/sdk/interval.h"
#include "host/sdk/maxtypes.h"

struct StoredObject {
  SClass_ID superClass = 0;
  Class_ID classId;
  std::size_t dataOffset = 0;  // of the data chunk's header, in the scene body
  std::vector<std::int32_t> refs;  // one per stored reference: an object index, kNoObject or kSceneRoot
};

struct StoredNode {
  std::int32_t object = 0;  // index of the node's object record
  std::int32_t parent = 0;  // index of the parent's object record, or kNoObject for the scene root
};

struct SceneLayout {
  int frameRate = 30;
  TimeValue time = 0;
  std::optional<Interval> animRange;  // absent from files written before the range was stored
  ULONG nextHandle = 1;
  std::vector<StoredObject> objects;
  std::vector<StoredNode> nodes;  // parents before their children, children in order
};

// The bytes after the file header (the offsets of the layout count from there).
std::span<const std::uint8_t> SceneBody(std::span<const std::uint8_t> file);

// Reads the frame of file into layout. False with error set when the file is not a scene file,
// is of another format version, is cut short or damaged (a length that does not fit, an index
// out of range, a node tree that is no tree), or names a class this host cannot make.
bool ReadSceneLayout(std::span<const std::uint8_t> file, SceneLayout& layout, std::string& error);
