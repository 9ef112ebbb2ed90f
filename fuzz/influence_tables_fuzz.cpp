// Feeds arbitrary bytes, as the data of an influence-table chunk, to the stored-form reader.
// Beyond the sanitizers' own findings, a result that breaks the reader's promises aborts: what
// it holds after a success or a failure can never need more bytes than the chunk had, and what
// a success read saves and loads back unchanged.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/headless/chunk_load.h"
#include "host/headless/chunk_save.h"
#include "sources/influence_table.h"

namespace {

constexpr std::uint16_t kChunk = 0x5000;

void Require(bool condition) {
  if (!condition) std::abort();
}

// The same keys and the same bits of every value (not-a-number included).
bool SameBits(const InfluenceTables& a, const InfluenceTables& b) {
  if (a.size() != b.size()) return false;
  for (auto ia = a.begin(), ib = b.begin(); ia != a.end(); ++ia, ++ib) {
    if (ia->first != ib->first || ia->second.size() != ib->second.size()) return false;
    if (!ia->second.empty() && std::memcmp(ia->second.data(), ib->second.data(), 4 * ia->second.size()) != 0)
      return false;
  }
  return true;
}

InfluenceTables Read(const std::vector<std::uint8_t>& chunk, IOResult& result) {
  InfluenceTables tables{{0, std::vector<float>(1 << 12, 0.5f)}};  // emptied by every read
  ChunkLoad load(chunk);
  Require(load.OpenChunk() == IO_OK);
  result = LoadInfluenceTables(tables, &load);
  return tables;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 0xFFFFFFFFu - 6) return 0;
  std::vector<std::uint8_t> chunk = {kChunk & 0xFF, kChunk >> 8, static_cast<std::uint8_t>(size),
                                     static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size >> 16),
                                     static_cast<std::uint8_t>(size >> 24)};
  chunk.insert(chunk.end(), data, data + size);

  IOResult result = IO_OK;
  const InfluenceTables tables = Read(chunk, result);
  Require(result == IO_OK || result == IO_ERROR);
  // Every table held was read in full from the chunk.
  std::uint64_t values = 0;
  for (const auto& [key, table] : tables) values += table.size();
  Require(values <= size / 4);
  if (result != IO_OK) return 0;

  // What was read saves to at most the bytes it came from (duplicate keys collapse) and loads
  // back unchanged.
  ChunkSave save;
  save.BeginChunk(kChunk);
  Require(SaveInfluenceTables(tables, &save) == IO_OK);
  save.EndChunk();
  Require(!save.Failed());
  Require(save.Bytes().size() - 6 == SavedSizeOfInfluenceTables(tables));
  Require(SavedSizeOfInfluenceTables(tables) <= size);
  IOResult again = IO_ERROR;
  const InfluenceTables reloaded = Read(save.Bytes(), again);
  Require(again == IO_OK);
  Require(SameBits(tables, reloaded));
  return 0;
}
