#include "cli/scene/output_set.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <system_error>

#include "cli/scene/frame_runner.h"

namespace {

// Whether name is prefix + [-]digits + ".obj".
bool IsFrameOf(const std::string& name, const std::string& prefix) {
  const std::string suffix = ".obj";
  if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
    return false;
  std::size_t i = prefix.size();
  const std::size_t end = name.size() - suffix.size();
  if (name[i] == '-') ++i;
  if (i == end) return false;
  for (; i < end; ++i)
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
  return true;
}

}  // namespace

bool RemoveEarlierFrames(const std::filesystem::path& dir, const std::vector<std::string>& nodeNames,
                         const std::vector<std::filesystem::path>& written, int* removed, std::string* error) {
  namespace fs = std::filesystem;
  if (removed) *removed = 0;
  std::set<std::string> keep;
  for (const fs::path& p : written) keep.insert(p.filename().string());
  std::vector<std::string> prefixes;
  for (const std::string& n : nodeNames) prefixes.push_back(FileSafeName(n) + "_");

  std::error_code ec;
  std::vector<fs::path> stale;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (keep.count(name) || !it->is_regular_file()) continue;
    if (std::any_of(prefixes.begin(), prefixes.end(), [&](const std::string& p) { return IsFrameOf(name, p); }))
      stale.push_back(it->path());
  }
  if (ec) {
    if (error) *error = "cannot list '" + dir.string() + "': " + ec.message();
    return false;
  }
  for (const fs::path& p : stale) {
    if (!fs::remove(p, ec) && ec) {
      if (error) *error = "cannot remove the earlier frame '" + p.string() + "': " + ec.message();
      return false;
    }
    if (removed) ++*removed;
  }
  return true;
}
