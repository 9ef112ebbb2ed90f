// Feeds arbitrary bytes to the exchange reader. Beyond the sanitizers' own findings, a result
// that breaks the reader's promises aborts: a success must hold tables that match their counts,
// a failure one of the three messages and nothing else.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "module/resources/string_table.h"
#include "persistence/exchange/exchange_file.h"

namespace {

const std::string kName = "fuzz.tsm";

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckSuccess(const ExchangeFile& file, std::size_t inputSize) {
  const std::int32_t v = file.version();
  Require(ExchangeFile::IsKnownVersion(v));
  Require(file.errorText().empty());
  Require(file.boneCount() >= 1 && static_cast<std::size_t>(file.boneCount()) == file.bones().size());
  std::uint64_t tableBytes = 0;
  for (const ExchangeBone& bone : file.bones()) {
    Require(bone.name.size() <= ExchangeFile::kNameFieldSize && bone.name.find('\0') == std::string::npos);
    if (v < ExchangeFile::kVersionNodeHandles) Require(bone.nodeHandle == 0);
    Require(bone.vertexCount >= 0);
    const std::size_t n = static_cast<std::size_t>(bone.vertexCount);
    Require(bone.vertexCodes.size() == n);
    Require(bone.forcedWeights.size() == (v >= ExchangeFile::kVersionForcedWeights ? n : 0));
    if (v < ExchangeFile::kVersionSplines) Require(bone.splineCount == 0);
    const std::size_t m = bone.splineCount > 0 ? static_cast<std::size_t>(bone.splineCount) : 0;
    Require(bone.splineParam.size() == m && bone.splineCurve.size() == m);
    Require(bone.splineOffset.size() == m && bone.splineTangent.size() == m);
    tableBytes += n * (v >= ExchangeFile::kVersionForcedWeights ? 1 + 4 : 1) + m * 32;
  }
  const std::size_t k = file.blendValues().size();
  Require(v == ExchangeFile::kVersionBlend ? k >= 1 : k == 0);
  tableBytes += 4 * k;
  // Everything held was read from the input.
  Require(tableBytes <= inputSize);
}

void CheckFailure(const ExchangeFile& file) {
  const std::string text = file.errorText();
  Require(text == "Tessarin|Input Error\n\rReading file\n\r" + kName ||
          text == "Tessarin|Unknown file version\n\r" + kName);
  Require(file.boneCount() == 0 && file.bones().empty() && file.blendValues().empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool initialised = [] {
    SetModuleInstance(reinterpret_cast<HINSTANCE>(1));
    return true;
  }();
  (void)initialised;

  ExchangeFile file;
  if (file.readBytes({data, size}, kName))
    CheckSuccess(file, size);
  else
    CheckFailure(file);
  return 0;
}
