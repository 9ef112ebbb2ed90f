#pragma once
// Reads the raw values of one open chunk of the scene stream. One failure flag: the first short
// read, or a count that claims more than the chunk still holds, fails the reader, and every read
// after that fails without touching the stream.

#include <bit>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "deformer/affine_frame.h"
#include "host/sdk/ioapi.h"
#include "host/sdk/matrix3.h"

static_assert(std::endian::native == std::endian::little, "chunk values are read as they lie in memory");

class ChunkReader {
public:
  explicit ChunkReader(ILoad* iload) : iload_(iload) {}

  bool Ok() const { return ok_; }
  void Fail() { ok_ = false; }

  // n raw bytes into dst (n bytes of room).
  bool Bytes(void* dst, std::uint64_t n);
  // Passes over n bytes.
  bool Skip(std::uint64_t n);

  // A value is assigned only when it was read whole.
  template <class T>
  bool Get(T& value) {
    static_assert(std::is_trivially_copyable_v<T> && std::is_arithmetic_v<T>);
    T read{};
    if (!Bytes(&read, sizeof read)) return false;
    value = read;
    return true;
  }
  // Four rows of three floats, then the flags word (52 bytes).
  bool GetMatrix(Matrix3& m);
  // The frame's three rows of four floats, then the three radii (60 bytes).
  bool GetShape(BoneShape& s);

  // Whether count elements of elementBytes each fit in what the chunk still holds; a negative
  // count or one that does not fit fails the reader. Callers ask before they size anything.
  bool Fits(std::int64_t count, std::uint64_t elementBytes);

  // count elements into values, which already holds at least count elements.
  template <class T>
  bool GetInto(std::vector<T>& values, std::int64_t count) {
    static_assert(std::is_trivially_copyable_v<T>);
    if (!ok_ || count < 0 || static_cast<std::uint64_t>(count) > values.size()) return Failed();
    return Bytes(values.data(), static_cast<std::uint64_t>(count) * sizeof(T));
  }

private:
  bool Failed() {
    ok_ = false;
    return false;
  }

  ILoad* iload_;
  bool ok_ = true;
};
