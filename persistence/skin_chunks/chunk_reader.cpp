#include "persistence/skin_chunks/chunk_reader.h"

#include <algorithm>
#include <array>

static_assert(sizeof(Point3) == 12, "points are read as they lie in memory");

namespace {

// The stream's reads take 32-bit byte counts.
constexpr std::uint64_t kMaxReadBytes = 1u << 30;

}  // namespace

bool ChunkReader::Bytes(void* dst, std::uint64_t n) {
  if (!ok_) return false;
  auto* out = static_cast<std::uint8_t*>(dst);
  while (n > 0) {
    const std::uint64_t part = std::min(n, kMaxReadBytes);
    if (iload_->Read(out, static_cast<ULONG>(part), nullptr) != IO_OK) return Failed();
    out += part;
    n -= part;
  }
  return true;
}

bool ChunkReader::Skip(std::uint64_t n) {
  if (!Fits(static_cast<std::int64_t>(std::min<std::uint64_t>(n, INT64_MAX)), 1)) return false;
  std::array<std::uint8_t, 256> scratch;
  while (n > 0) {
    const std::uint64_t part = std::min<std::uint64_t>(n, scratch.size());
    if (!Bytes(scratch.data(), part)) return false;
    n -= part;
  }
  return true;
}

bool ChunkReader::GetMatrix(Matrix3& m) {
  Matrix3 read;
  for (auto& row : read.m)
    for (float& v : row) Get(v);
  std::uint32_t flags = 0;
  if (!Get(flags)) return false;
  read.flags = flags;
  m = read;
  return true;
}

bool ChunkReader::GetShape(BoneShape& s) {
  BoneShape read;
  for (auto& row : read.frame.m)
    for (float& v : row) Get(v);
  for (float& r : read.radius) Get(r);
  if (!ok_) return false;
  s = read;
  return true;
}

bool ChunkReader::Fits(std::int64_t count, std::uint64_t elementBytes) {
  if (!ok_ || count < 0) return Failed();
  const std::uint64_t remaining = iload_->CurChunkRemaining();
  if (elementBytes > 0 && static_cast<std::uint64_t>(count) > remaining / elementBytes) return Failed();
  return true;
}
