#pragma once
// Writes raw values into the scene stream. The first failed write sticks: nothing is written
// after it and Result() answers it.

#include <bit>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "deformer/affine_frame.h"
#include "host/sdk/ioapi.h"
#include "host/sdk/matrix3.h"

static_assert(std::endian::native == std::endian::little, "chunk values are written as they lie in memory");

class ChunkWriter {
public:
  explicit ChunkWriter(ISave* isave) : isave_(isave) {}

  IOResult Result() const { return result_; }
  bool Ok() const { return result_ == IO_OK; }

  // Opens chunk id, runs write, closes the chunk (also after a failure, so that the nesting
  // stays balanced for the host).
  template <class F>
  void Chunk(USHORT id, F&& write) {
    if (!Ok()) return;
    isave_->BeginChunk(id);
    write();
    isave_->EndChunk();
  }

  void Bytes(const void* src, std::uint64_t n);
  void Zeros(std::uint64_t n);

  template <class T>
  void Put(const T& value) {
    static_assert(std::is_trivially_copyable_v<T> && std::is_arithmetic_v<T>);
    Bytes(&value, sizeof value);
  }
  void PutMatrix(const Matrix3& m);
  void PutShape(const BoneShape& s);

  // Exactly count elements: those of values, then fill where values is shorter. A count below 1
  // writes nothing.
  template <class T>
  void PutArray(const std::vector<T>& values, std::int64_t count, const T& fill) {
    static_assert(std::is_trivially_copyable_v<T>);
    if (count <= 0) return;
    const std::uint64_t n = static_cast<std::uint64_t>(count);
    const std::uint64_t have = std::min<std::uint64_t>(n, values.size());
    Bytes(values.data(), have * sizeof(T));
    for (std::uint64_t i = have; i < n && Ok(); ++i) Bytes(&fill, sizeof(T));
  }

private:
  ISave* isave_;
  IOResult result_ = IO_OK;
};
