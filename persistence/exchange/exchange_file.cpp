#include "persistence/exchange/exchange_file.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <new>
#include <stdexcept>
#include <type_traits>

#include "persistence/exchange/exchange_byte_source.h"
#include "persistence/exchange/exchange_message.h"

namespace {

static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559);
static_assert(sizeof(Point3) == 12 && std::is_trivially_copyable_v<Point3>,
              "spline points are read as three packed floats");

[[maybe_unused]] constexpr std::uint32_t SwapBytes(std::uint32_t w) {
  return w >> 24 | (w >> 8 & 0xFF00u) | (w << 8 & 0xFF0000u) | w << 24;
}

// Reads little-endian fields and tables, keeping one failure flag: once a read came short or a
// count was refused, every later read does nothing.
class FieldReader {
public:
  explicit FieldReader(ExchangeByteSource& source) : source_(source) {}

  bool failed() const { return failed_; }
  void setFailed() { failed_ = true; }
  std::uint64_t remaining() const { return source_.remaining(); }

  // A 4-byte field; value is left untouched on a short read.
  template <class T>
  void scalar(T& value) {
    static_assert(sizeof(T) == 4 && std::is_trivially_copyable_v<T>);
    if (failed_) return;
    std::array<std::uint8_t, 4> b;
    if (!source_.read(b.data(), b.size())) {
      failed_ = true;
      return;
    }
    std::uint32_t bits = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 |
                         std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
    value = std::bit_cast<T>(bits);
  }

  // size raw bytes into out (size bytes long).
  void bytes(void* out, std::size_t size) {
    if (failed_) return;
    if (!source_.read(out, size)) failed_ = true;
  }

  // count elements read in one piece into table. A count claiming more bytes than are left is
  // refused before the table is sized, so a short file never makes the reader allocate more
  // than the file holds.
  template <class T>
  void table(std::vector<T>& table, std::int32_t count) {
    static_assert(std::is_trivially_copyable_v<T> && (sizeof(T) == 1 || sizeof(T) % 4 == 0));
    if (failed_) return;
    if (count < 0 || static_cast<std::uint64_t>(count) * sizeof(T) > source_.remaining()) {
      failed_ = true;
      return;
    }
    table.resize(static_cast<std::size_t>(count));
    bytes(table.data(), table.size() * sizeof(T));
    if constexpr (sizeof(T) > 1 && std::endian::native == std::endian::big) {
      auto* words = reinterpret_cast<std::uint32_t*>(table.data());
      for (std::size_t i = 0; i < table.size() * sizeof(T) / 4; ++i) words[i] = SwapBytes(words[i]);
    }
  }

private:
  ExchangeByteSource& source_;
  bool failed_ = false;
};

// Fewest bytes a bone block of version can take: name, falloff, strength, vertex count, and the
// handle and spline count where the version has them.
std::uint64_t MinimumBoneBlockSize(std::int32_t version) {
  std::uint64_t size = ExchangeFile::kNameFieldSize + 12;
  if (version >= ExchangeFile::kVersionNodeHandles) size += 4;
  if (version >= ExchangeFile::kVersionSplines) size += 4;
  return size;
}

bool AllFinite(const std::vector<float>& values) {
  return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

// The values that weigh and blend vertices must be numbers: a not-a-number or infinite one
// would turn every vertex it reaches into not-a-number. Such a file counts as malformed.
bool BlendingValuesFinite(const ExchangeBone& bone) {
  return std::isfinite(bone.falloff) && std::isfinite(bone.strength) && AllFinite(bone.forcedWeights);
}

void ReadBone(FieldReader& in, std::int32_t version, ExchangeBone& bone) {
  std::array<char, ExchangeFile::kNameFieldSize> name;
  in.bytes(name.data(), name.size());
  if (in.failed()) return;
  bone.name.assign(name.data(), std::find(name.begin(), name.end(), '\0'));

  if (version >= ExchangeFile::kVersionNodeHandles) in.scalar(bone.nodeHandle);
  in.scalar(bone.falloff);
  in.scalar(bone.strength);
  in.scalar(bone.vertexCount);
  if (in.failed()) return;
  if (bone.vertexCount < 0) {
    in.setFailed();
    return;
  }
  if (bone.vertexCount > 0) {
    in.table(bone.vertexCodes, bone.vertexCount);
    if (version >= ExchangeFile::kVersionForcedWeights) in.table(bone.forcedWeights, bone.vertexCount);
  }
  if (!in.failed() && !BlendingValuesFinite(bone)) {
    in.setFailed();
    return;
  }

  if (version >= ExchangeFile::kVersionSplines) {
    in.scalar(bone.splineCount);
    if (in.failed() || bone.splineCount <= 0) return;
    // Four tables of 4 + 4 + 12 + 12 bytes per entry: refuse the count at once if they cannot all fit.
    if (static_cast<std::uint64_t>(bone.splineCount) * 32 > in.remaining()) {
      in.setFailed();
      return;
    }
    in.table(bone.splineParam, bone.splineCount);
    in.table(bone.splineCurve, bone.splineCount);
    in.table(bone.splineOffset, bone.splineCount);
    in.table(bone.splineTangent, bone.splineCount);
  }
}

}  // namespace

bool ExchangeFile::IsKnownVersion(std::int32_t version) {
  return version == kVersionBase || version == kVersionForcedWeights ||
         version == kVersionNodeHandles || version == kVersionSplines || version == kVersionBlend;
}

bool ExchangeFile::read(const std::string& path) {
  reset();
  ExchangeFileSource source(path);
  if (!source.isOpen()) return fail(kMessageCannotOpen, path);
  return parse(source, path);
}

bool ExchangeFile::readBytes(std::span<const std::uint8_t> bytes, const std::string& sourceName) {
  reset();
  ExchangeMemorySource source(bytes);
  return parse(source, sourceName);
}

std::uint32_t ExchangeFile::boneHandle(int i) const {
  return i >= 0 && static_cast<std::size_t>(i) < bones_.size() ? bones_[i].nodeHandle : 0;
}

std::string ExchangeFile::boneName(int i) const {
  return i >= 0 && static_cast<std::size_t>(i) < bones_.size() ? bones_[i].name : std::string();
}

const ExchangeBone& ExchangeFile::bone(int i) const {
  static const ExchangeBone none;
  return i >= 0 && static_cast<std::size_t>(i) < bones_.size() ? bones_[i] : none;
}

void ExchangeFile::reset() {
  version_ = kVersionBlend;
  boneCount_ = 0;
  bones_.clear();
  blendValues_.clear();
  errorText_.clear();
}

bool ExchangeFile::parse(ExchangeByteSource& source, const std::string& path) {
  FieldReader in(source);
  try {
    // A short version read leaves the initial code, which is known, so an empty file fails
    // below as malformed rather than as of an unknown version.
    in.scalar(version_);
    if (!IsKnownVersion(version_)) return fail(kMessageUnknownVersion, path);

    std::int32_t count = 0;
    in.scalar(count);
    std::uint64_t trailer = version_ == kVersionBlend ? 8 : 0;  // blend count and one value
    if (!in.failed() &&
        (count < 1 || static_cast<std::uint64_t>(count) * MinimumBoneBlockSize(version_) + trailer >
                          in.remaining())) {
      in.setFailed();
    }
    if (!in.failed()) {
      bones_.reserve(static_cast<std::size_t>(count));
      for (std::int32_t i = 0; i < count && !in.failed(); ++i) ReadBone(in, version_, bones_.emplace_back());
    }

    if (version_ == kVersionBlend) {
      std::int32_t blendCount = 0;
      in.scalar(blendCount);
      if (!in.failed() && blendCount < 1) in.setFailed();
      in.table(blendValues_, blendCount);
      if (!in.failed() && !AllFinite(blendValues_)) in.setFailed();
    }

    if (in.failed()) return fail(kMessageInputError, path);
    boneCount_ = count;
    return true;
  } catch (const std::bad_alloc&) {
    // Tables are bounded by the file's size, but a huge file may still not fit in memory.
    return fail(kMessageInputError, path);
  } catch (const std::length_error&) {
    return fail(kMessageInputError, path);
  }
}

bool ExchangeFile::fail(int messageId, const std::string& path) {
  boneCount_ = 0;
  bones_.clear();
  bones_.shrink_to_fit();
  blendValues_.clear();
  blendValues_.shrink_to_fit();
  errorText_ = ComposeExchangeMessage(messageId, path);
  return false;
}
