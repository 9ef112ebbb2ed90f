#pragma once
// The stored objects' references as a graph. The host does not allow a reference cycle (the
// objects on it would keep each other alive for ever), so a scene holding one is neither
// written nor read.

#include <cstdint>
#include <vector>

// An object that lies on a cycle of references, or -1. refs[i] lists the objects object i
// refers to; entries outside 0 .. refs.size() - 1 (none, the scene root) are no edges.
int FindReferenceCycle(const std::vector<std::vector<std::int32_t>>& refs);
