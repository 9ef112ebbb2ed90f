#pragma once
// The headless host's scene file: the whole scene (frame rate, time, node handles, the node tree
// and every object the nodes reach through references) in one binary file, every object stored
// by its class identifiers through its own Save and Load. Format: docs/scene-file.md.

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

class ReferenceTarget;

// How tests write scenes as older versions of a class wrote them.
struct SceneSaveOptions {
  // The stored reference list of an object, instead of its NumRefs() current references: an
  // old-style parameter block in place of the current one, or an older reference numbering.
  // Targets given here are stored (and reached) like any other.
  std::map<ReferenceTarget*, std::vector<ReferenceTarget*>> storedReferences;
  // The raw content of an object's data chunk, instead of what its Save writes.
  std::map<ReferenceTarget*, std::vector<std::uint8_t>> storedData;
};

struct SceneLoadReport {
  // Things that loaded, but not in full (an old parameter block no layout describes, say).
  std::vector<std::string> warnings;
};

// The current scene as the bytes of a scene file. False with *error (may be null) set when an
// object cannot be stored: its class is not registered, its Save fails, its chunks do not balance.
bool SaveSceneToBytes(std::vector<std::uint8_t>& bytes, std::string* error, const SceneSaveOptions* options = nullptr);

// Replaces the current scene by the one in bytes. A damaged file is refused before the current
// scene is touched whenever the damage shows in the file's frame; a failure found later (an
// object's Load fails, a reference it cannot take) leaves an empty scene. False with *error set.
bool LoadSceneFromBytes(std::span<const std::uint8_t> bytes, std::string* error, SceneLoadReport* report = nullptr);

// The same with files. A save writes a temporary file next to path and renames it over path
// once it is complete, so a failed save leaves the old file as it was.
bool SaveScene(const std::string& path, std::string* error, const SceneSaveOptions* options = nullptr);
bool LoadScene(const std::string& path, std::string* error, SceneLoadReport* report = nullptr);
