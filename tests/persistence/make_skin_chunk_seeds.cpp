// Writes the stored-skin fixtures: every chunk fixture as <name>.bin into both directories (the
// persistence tests' fixtures and the skin-load fuzz target's seeds), and the whole-scene
// fixtures as <name>.tsscene into the first only.
//   make_skin_chunk_seeds tests/persistence/skin_fixtures fuzz/corpus/skin_chunks

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/headless/headless_host.h"
#include "module/registry/class_descs.h"
#include "persistence/skin_chunk_fixtures.h"
#include "persistence/skin_scene_fixtures.h"

namespace {

bool WriteAll(const std::filesystem::path& dir, const std::vector<skinfixture::NamedFixture>& fixtures,
              const char* extension) {
  std::filesystem::create_directories(dir);
  for (const skinfixture::NamedFixture& f : fixtures) {
    const std::filesystem::path path = dir / (f.name + extension);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(f.bytes.data()), static_cast<std::streamsize>(f.bytes.size()));
    if (!out || f.bytes.empty()) {
      std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s FIXTURE_DIRECTORY SEED_DIRECTORY\n", argv[0]);
    return 1;
  }
  TheHost().RegisterClass(GetTessarinDesc());
  const auto chunks = skinfixture::SkinChunkFixtures();
  const bool ok = WriteAll(argv[1], chunks, ".bin") && WriteAll(argv[2], chunks, ".bin") &&
                  WriteAll(argv[1], skinfixture::LegacyBlockScenes(), ".tsscene");
  return ok ? 0 : 1;
}
