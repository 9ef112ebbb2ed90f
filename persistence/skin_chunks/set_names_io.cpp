#include "persistence/skin_chunks/set_names_io.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "persistence/skin_chunks/skin_chunk_layout.h"

using namespace skinchunks;

static_assert(kStoredSetNames <= kNamedSetSlots, "stored slots are slots the modifier holds");

std::string_view StoredSetName(std::string_view name) {
  std::size_t n = std::min<std::size_t>(name.size(), kSetNameField - 1);
  if (n < name.size())
    while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
  return name.substr(0, n);
}

namespace {

void WriteName(ChunkWriter& w, const std::string& name) {
  if (name.empty()) {
    w.Put(std::int32_t{0});
    return;
  }
  std::array<char, kSetNameField> field{};
  const std::string_view kept = StoredSetName(name);
  std::memcpy(field.data(), kept.data(), kept.size());
  w.Put(kSetNamePresent);
  w.Bytes(field.data(), field.size());
}

bool ReadName(ChunkReader& r, std::string& name) {
  std::int32_t flag = 0;
  if (!r.Get(flag)) return false;
  if (flag <= 0) {
    name.clear();
    return true;
  }
  // Always one field, whatever positive value the flag holds; the text ends at the first zero.
  std::array<char, kSetNameField> field{};
  if (!r.Bytes(field.data(), field.size())) return false;
  const void* end = std::memchr(field.data(), 0, field.size());
  const std::size_t length = end ? static_cast<const char*>(end) - field.data() : field.size();
  name.assign(field.data(), length);
  return true;
}

}  // namespace

void WriteSetNames(ChunkWriter& w, const SkinSettings& s) {
  for (int j = 0; j < kStoredSetNames; ++j) {
    WriteName(w, s.vertexSetNames[j]);
    WriteName(w, s.boneSetNames[j]);
  }
}

bool ReadSetNames(ChunkReader& r, SkinSettings& s) {
  for (int j = 0; j < kStoredSetNames; ++j)
    if (!ReadName(r, s.vertexSetNames[j]) || !ReadName(r, s.boneSetNames[j])) return false;
  return true;
}
