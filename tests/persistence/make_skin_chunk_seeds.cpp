// Writes every stored-skin fixture as <name>.bin into each directory given: the binary fixtures
// of the persistence tests and the seed corpus of the skin-load fuzz target.
//   make_skin_chunk_seeds tests/persistence/skin_fixtures fuzz/corpus/skin_chunks

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "persistence/skin_chunk_fixtures.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DIRECTORY...\n", argv[0]);
    return 1;
  }
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path dir(argv[i]);
    std::filesystem::create_directories(dir);
    for (const skinfixture::NamedFixture& f : skinfixture::SkinChunkFixtures()) {
      std::ofstream out(dir / (f.name + ".bin"), std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(f.bytes.data()), static_cast<std::streamsize>(f.bytes.size()));
      if (!out) {
        std::fprintf(stderr, "cannot write %s\n", (dir / (f.name + ".bin")).string().c_str());
        return 1;
      }
    }
  }
  return 0;
}
