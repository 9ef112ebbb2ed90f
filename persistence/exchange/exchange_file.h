#pragma once
// Reader of the "tsm" exchange file: bones with their per-vertex tables and, in the newest
// version, a per-vertex blend table. Touches no scene object; the import applies the result.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "persistence/exchange/exchange_bone.h"

class ExchangeByteSource;

class ExchangeFile {
public:
  // Version codes, oldest first; each adds fields to the one before.
  static constexpr std::int32_t kVersionBase = 19980624;
  static constexpr std::int32_t kVersionForcedWeights = 20091202;
  static constexpr std::int32_t kVersionNodeHandles = 20100225;
  static constexpr std::int32_t kVersionSplines = 20100407;
  static constexpr std::int32_t kVersionBlend = 20140929;

  static constexpr std::size_t kNameFieldSize = 256;

  // String-table entries of the failure messages; each template has one "%s" for the path.
  static constexpr int kMessageInputError = 42;
  static constexpr int kMessageCannotOpen = 150;
  static constexpr int kMessageUnknownVersion = 151;

  static bool IsKnownVersion(std::int32_t version);

  // Reads the file at path (UTF-8 text). True when the whole file was read and is valid; on
  // false errorText() holds the message and no bones or blend values are kept.
  bool read(const std::string& path);

  // Reads an exchange file held in memory; sourceName takes the place of the path in messages.
  bool readBytes(std::span<const std::uint8_t> bytes, const std::string& sourceName);

  // The file's version code; kVersionBlend before any read.
  std::int32_t version() const { return version_; }
  std::int32_t boneCount() const { return boneCount_; }
  // Node handle of bone i; 0 when i is not a bone index.
  std::uint32_t boneHandle(int i) const;
  // Name of bone i; empty when i is not a bone index.
  std::string boneName(int i) const;
  // Bone i; an empty bone when i is not a bone index.
  const ExchangeBone& bone(int i) const;
  // One per bone, in file order.
  const std::vector<ExchangeBone>& bones() const { return bones_; }
  // One per vertex: the share of dual-quaternion blending; empty before version 20140929.
  std::vector<float> blendValues() const { return blendValues_; }
  std::size_t blendCount() const { return blendValues_.size(); }
  // The message of the last failure: caption, "|", body; empty before any failure.
  std::string errorText() const { return errorText_; }

private:
  void reset();
  bool parse(ExchangeByteSource& source, const std::string& path);
  bool fail(int messageId, const std::string& path);

  std::int32_t version_ = kVersionBlend;
  std::int32_t boneCount_ = 0;
  std::vector<ExchangeBone> bones_;
  std::vector<float> blendValues_;
  std::string errorText_;
};
