#include "persistence/skin_chunks/chunk_writer.h"

#include <algorithm>
#include <array>

namespace {

// The stream's writes take 32-bit byte counts.
constexpr std::uint64_t kMaxWriteBytes = 1u << 30;

}  // namespace

void ChunkWriter::Bytes(const void* src, std::uint64_t n) {
  const auto* in = static_cast<const std::uint8_t*>(src);
  while (Ok() && n > 0) {
    const std::uint64_t part = std::min(n, kMaxWriteBytes);
    const IOResult r = isave_->Write(in, static_cast<ULONG>(part), nullptr);
    if (r != IO_OK) result_ = r;
    in += part;
    n -= part;
  }
}

void ChunkWriter::Zeros(std::uint64_t n) {
  static constexpr std::array<std::uint8_t, 256> kZeros{};
  while (Ok() && n > 0) {
    const std::uint64_t part = std::min<std::uint64_t>(n, kZeros.size());
    Bytes(kZeros.data(), part);
    n -= part;
  }
}

void ChunkWriter::PutMatrix(const Matrix3& m) {
  for (const auto& row : m.m)
    for (float v : row) Put(v);
  Put(static_cast<std::uint32_t>(m.flags));
}

void ChunkWriter::PutShape(const BoneShape& s) {
  for (const auto& row : s.frame.m)
    for (float v : row) Put(v);
  for (float r : s.radius) Put(r);
}
