#include "sources/influence_table.h"

#include <algorithm>

#include "deformer/tessarin.h"
#include "host/queries/scene_queries.h"
#include "host/sdk/ioapi.h"
#include "module/registry/class_ids.h"

static_assert(sizeof(float) == 4, "the stored form holds 32-bit floats");

std::vector<float>& AccessInfluenceTable(InfluenceTables& tables, std::uint64_t stamp, int count) {
  const std::size_t n = count > 0 ? static_cast<std::size_t>(count) : 0;
  std::vector<float>& table = tables[stamp];
  if (table.size() != n) table.assign(n, kDefaultInfluence);
  return table;
}

void PurgeInfluenceTables(InfluenceTables& tables, const std::vector<std::uint64_t>& liveStamps) {
  std::erase_if(tables, [&](const auto& entry) {
    return std::find(liveStamps.begin(), liveStamps.end(), entry.first) == liveStamps.end();
  });
}

void PurgeStaleInfluenceTables(InfluenceTables& tables) {
  if (tables.empty()) return;
  std::vector<std::uint64_t> live;
  for (const ModifierMatch& m : CollectModifiers(TESSARIN_CLASS_ID))
    if (auto* skin = dynamic_cast<Tessarin*>(m.modifier)) live.push_back(skin->instanceStamp);
  PurgeInfluenceTables(tables, live);
}

std::uint64_t SavedSizeOfInfluenceTables(const InfluenceTables& tables) {
  std::uint64_t size = 8;
  for (const auto& [key, values] : tables) size += 16 + 4 * static_cast<std::uint64_t>(values.size());
  return size;
}

namespace {

// The platform is little-endian (as the stored form); a value is written as its bytes.
IOResult WriteU64(ISave* isave, std::uint64_t v) {
  ULONG written = 0;
  return isave->Write(&v, sizeof v, &written);
}

IOResult ReadU64(ILoad* iload, std::uint64_t& v) {
  ULONG read = 0;
  return iload->Read(&v, sizeof v, &read) == IO_OK && read == sizeof v ? IO_OK : IO_ERROR;
}

}  // namespace

IOResult SaveInfluenceTables(const InfluenceTables& tables, ISave* isave) {
  if (IOResult r = WriteU64(isave, tables.size()); r != IO_OK) return r;
  for (const auto& [key, values] : tables) {
    if (IOResult r = WriteU64(isave, key); r != IO_OK) return r;
    if (IOResult r = WriteU64(isave, values.size()); r != IO_OK) return r;
    if (values.empty()) continue;
    // A chunk holds at most 4 GiB, so a table too long for one write fails the save.
    const std::uint64_t bytes = 4 * static_cast<std::uint64_t>(values.size());
    if (bytes > 0xFFFFFFFFu) return IO_ERROR;
    ULONG written = 0;
    if (IOResult r = isave->Write(values.data(), static_cast<ULONG>(bytes), &written); r != IO_OK) return r;
  }
  return IO_OK;
}

IOResult LoadInfluenceTables(InfluenceTables& tables, ILoad* iload) {
  tables.clear();
  std::uint64_t count = 0;
  if (ReadU64(iload, count) != IO_OK) return IO_ERROR;
  for (std::uint64_t i = 0; i < count; ++i) {
    std::uint64_t key = 0;
    std::uint64_t n = 0;
    if (ReadU64(iload, key) != IO_OK || ReadU64(iload, n) != IO_OK) return IO_ERROR;
    // Checked before the array exists: a count can never ask for more than the chunk holds, and
    // n × 4 then fits the reader's 32-bit byte count.
    if (n > iload->CurChunkRemaining() / 4) return IO_ERROR;
    std::vector<float> values(static_cast<std::size_t>(n), 0.0f);
    const ULONG bytes = static_cast<ULONG>(n * 4);
    ULONG read = 0;
    if (bytes > 0 && (iload->Read(values.data(), bytes, &read) != IO_OK || read != bytes)) return IO_ERROR;
    tables[key] = std::move(values);
  }
  return IO_OK;
}
