#include "host/headless/reference_graph.h"

#include <utility>

int FindReferenceCycle(const std::vector<std::vector<std::int32_t>>& refs) {
  enum : std::uint8_t { kNew, kOnPath, kDone };
  const auto n = static_cast<std::int64_t>(refs.size());
  std::vector<std::uint8_t> state(refs.size(), kNew);
  // Depth first without recursion: (object, next reference to follow).
  std::vector<std::pair<std::int32_t, std::size_t>> path;
  for (std::int32_t start = 0; start < n; ++start) {
    if (state[start] != kNew) continue;
    state[start] = kOnPath;
    path.emplace_back(start, 0);
    while (!path.empty()) {
      auto& [object, next] = path.back();
      if (next == refs[object].size()) {
        state[object] = kDone;
        path.pop_back();
        continue;
      }
      const std::int32_t to = refs[object][next++];
      if (to < 0 || to >= n || state[to] == kDone) continue;
      if (state[to] == kOnPath) return to;
      state[to] = kOnPath;
      path.emplace_back(to, 0);
    }
  }
  return -1;
}
