#pragma once
// Builds exchange files byte by byte for the reader's tests: every field of a version in file
// order, little-endian, with whatever counts and tables the caller gives, so that malformed files
// are as easy to make as valid ones.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "persistence/exchange/exchange_bone.h"
#include "persistence/exchange/exchange_file.h"

class LittleEndianWriter {
public:
  void u8(std::uint8_t v) { bytes_.push_back(v); }
  void u32(std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<std::uint8_t>(v >> shift));
  }
  void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
  void f32(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    u32(bits);
  }
  void point(const Point3& p) { f32(p.x); f32(p.y); f32(p.z); }
  // A 256-byte name field: the text, then zero bytes; a text of 256 bytes or more fills it.
  void nameField(const std::string& name) {
    for (std::size_t i = 0; i < ExchangeFile::kNameFieldSize; ++i)
      u8(i < name.size() ? static_cast<std::uint8_t>(name[i]) : 0);
  }
  std::vector<std::uint8_t>& bytes() { return bytes_; }

private:
  std::vector<std::uint8_t> bytes_;
};

// The whole content of a file. Counts are written as given, tables as they hold, so the two
// may disagree on purpose.
struct ExchangeFixture {
  std::int32_t version = ExchangeFile::kVersionBlend;
  std::int32_t boneCount = 1;
  std::vector<ExchangeBone> bones;
  std::int32_t blendCount = 0;
  std::vector<float> blendValues;  // written after blendCount in the newest version
};

inline void WriteBoneBlock(LittleEndianWriter& out, std::int32_t version, const ExchangeBone& bone) {
  out.nameField(bone.name);
  if (version >= ExchangeFile::kVersionNodeHandles) out.u32(bone.nodeHandle);
  out.f32(bone.falloff);
  out.f32(bone.strength);
  out.i32(bone.vertexCount);
  for (std::uint8_t c : bone.vertexCodes) out.u8(c);
  if (version >= ExchangeFile::kVersionForcedWeights)
    for (float w : bone.forcedWeights) out.f32(w);
  if (version >= ExchangeFile::kVersionSplines) {
    out.i32(bone.splineCount);
    for (float p : bone.splineParam) out.f32(p);
    for (std::int32_t c : bone.splineCurve) out.i32(c);
    for (const Point3& p : bone.splineOffset) out.point(p);
    for (const Point3& p : bone.splineTangent) out.point(p);
  }
}

inline std::vector<std::uint8_t> WriteExchangeFile(const ExchangeFixture& file) {
  LittleEndianWriter out;
  out.i32(file.version);
  out.i32(file.boneCount);
  for (const ExchangeBone& bone : file.bones) WriteBoneBlock(out, file.version, bone);
  if (file.version == ExchangeFile::kVersionBlend) {
    out.i32(file.blendCount);
    for (float v : file.blendValues) out.f32(v);
  }
  return std::move(out.bytes());
}

// The worked example: one bone "Spine", falloff and strength 1, codes 0x80 0x00 0xFE; forced
// weights, a handle and an empty spline table where the version has them; in the newest version
// one blend value per vertex.
inline ExchangeFixture SpineFixture(std::int32_t version) {
  ExchangeFixture file;
  file.version = version;
  ExchangeBone spine;
  spine.name = "Spine";
  spine.nodeHandle = version >= ExchangeFile::kVersionNodeHandles ? 4711u : 0u;
  spine.vertexCount = 3;
  spine.vertexCodes = {0x80, 0x00, 0xFE};
  if (version >= ExchangeFile::kVersionForcedWeights) spine.forcedWeights = {0.0f, 0.0f, 40.0f};
  file.bones.push_back(spine);
  if (version == ExchangeFile::kVersionBlend) {
    file.blendCount = 3;
    file.blendValues = {1.0f, 0.5f, 0.0f};
  }
  return file;
}
