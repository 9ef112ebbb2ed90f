#pragma once
// Fields of the host's own chunk data: fixed-size little-endian values written and read whole,
// counts checked against the bytes left in the chunk before anything is sized by them.

#include <bit>
#include <cstdint>
#include <functional>
#include <type_traits>
#include <vector>

#include "host/sdk/box3.h"
#include "host/sdk/ioapi.h"
#include "host/sdk/matrix3.h"
#include "host/sdk/quat.h"

static_assert(std::endian::native == std::endian::little, "the scene file is stored in the machine's byte order");
static_assert(sizeof(Point3) == 12 && sizeof(Quat) == 16, "points and quaternions are stored as they lie in memory");

template <class T>
bool Put(ISave* isave, const T& value) {
  static_assert(std::is_trivially_copyable_v<T>);
  return isave->Write(&value, sizeof value, nullptr) == IO_OK;
}

template <class T>
bool Get(ILoad* iload, T& value) {
  static_assert(std::is_trivially_copyable_v<T>);
  return iload->Read(&value, sizeof value, nullptr) == IO_OK;
}

// A Matrix3 as four rows of three floats and its flags word (52 bytes); a Box3 as its minimum
// and maximum corners (24 bytes).
bool PutMatrix(ISave* isave, const Matrix3& m);
bool GetMatrix(ILoad* iload, Matrix3& m);
bool PutBox(ISave* isave, const Box3& b);
bool GetBox(ILoad* iload, Box3& b);

// Reads a u32 count and checks that count elements of at least minElementBytes each fit in what
// is left of the current chunk.
bool GetCount(ILoad* iload, std::uint32_t& count, std::uint64_t minElementBytes);

// A u32 count followed by the elements as they lie in memory.
template <class T>
bool PutArray(ISave* isave, const std::vector<T>& values) {
  static_assert(std::is_trivially_copyable_v<T>);
  if (values.size() > 0xFFFFFFFFu / sizeof(T)) return false;
  auto n = static_cast<std::uint32_t>(values.size());
  return Put(isave, n) && (n == 0 || isave->Write(values.data(), static_cast<ULONG>(n * sizeof(T)), nullptr) == IO_OK);
}

template <class T>
bool GetArray(ILoad* iload, std::vector<T>& values) {
  static_assert(std::is_trivially_copyable_v<T>);
  std::uint32_t n = 0;
  if (!GetCount(iload, n, sizeof(T))) return false;
  values.resize(n);
  return n == 0 || iload->Read(values.data(), static_cast<ULONG>(n * sizeof(T)), nullptr) == IO_OK;
}

// Opens every chunk of the current level in turn and hands its identifier to handle, which
// reads what it knows (unknown chunks: return true without reading); each chunk is closed
// after it. IO_OK at the end of the level; IO_ERROR when handle fails or a header is damaged.
IOResult ForEachChunk(ILoad* iload, const std::function<bool(USHORT id)>& handle);

// Writes one chunk whose content write produces; false when it fails.
bool PutChunk(ISave* isave, USHORT id, const std::function<bool()>& write);
