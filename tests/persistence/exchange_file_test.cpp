// The exchange reader: every version's layout, the three failure messages, and counts that
// must never size a table.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <ostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "module/resources/string_table.h"
#include "persistence/allocation_probe.h"
#include "persistence/exchange/exchange_file.h"
#include "persistence/exchange_file_writer.h"

namespace {

namespace fs = std::filesystem;

const std::string kInputError = "Tessarin|Input Error\n\rReading file\n\r";
const std::string kCannotOpen = "Tessarin|Can't open file for input\n\r";
const std::string kUnknownVersion = "Tessarin|Unknown file version\n\r";

constexpr std::int32_t kAllVersions[] = {
    ExchangeFile::kVersionBase, ExchangeFile::kVersionForcedWeights, ExchangeFile::kVersionNodeHandles,
    ExchangeFile::kVersionSplines, ExchangeFile::kVersionBlend};

class ExchangeFileTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { SetModuleInstance(reinterpret_cast<HINSTANCE>(1)); }

  void SetUp() override {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // Parameterised tests carry a "/" in their names; one flat folder per test.
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(name.begin(), name.end(), '/', '.');
    dir_ = fs::temp_directory_path() / ("tessarin-exchange-" + std::to_string(::getpid()) + "-" + name);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::string path = (dir_ / name).string();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  std::string write(const std::string& name, const ExchangeFixture& file) {
    return write(name, WriteExchangeFile(file));
  }

  fs::path dir_;
};

struct VersionExample {
  const char* name;
  std::int32_t version;
  std::uintmax_t size;
};
void PrintTo(const VersionExample& c, std::ostream* os) { *os << c.name; }


class ExchangeFileVersionTest : public ExchangeFileTest,
                                public ::testing::WithParamInterface<VersionExample> {};

TEST_P(ExchangeFileVersionTest, ReadsTheSpineExampleWithEveryFieldAsStored) {
  const VersionExample& example = GetParam();
  std::string path = write("spine.tsm", SpineFixture(example.version));
  ASSERT_EQ(fs::file_size(path), example.size);

  ExchangeFile file;
  ASSERT_TRUE(file.read(path)) << file.errorText();
  EXPECT_EQ(file.errorText(), "");
  EXPECT_EQ(file.version(), example.version);
  ASSERT_EQ(file.boneCount(), 1);
  ASSERT_EQ(file.bones().size(), 1u);

  const ExchangeBone& bone = file.bone(0);
  EXPECT_EQ(bone.name, "Spine");
  EXPECT_EQ(file.boneName(0), "Spine");
  bool hasHandles = example.version >= ExchangeFile::kVersionNodeHandles;
  EXPECT_EQ(file.boneHandle(0), hasHandles ? 4711u : 0u);
  EXPECT_EQ(bone.falloff, 1.0f);
  EXPECT_EQ(bone.strength, 1.0f);
  EXPECT_EQ(bone.vertexCount, 3);
  // Kept as stored: in the oldest version 0xFE still packs its weight; the import unpacks it.
  EXPECT_EQ(bone.vertexCodes, (std::vector<std::uint8_t>{0x80, 0x00, 0xFE}));
  if (example.version >= ExchangeFile::kVersionForcedWeights)
    EXPECT_EQ(bone.forcedWeights, (std::vector<float>{0.0f, 0.0f, 40.0f}));
  else
    EXPECT_TRUE(bone.forcedWeights.empty());
  EXPECT_EQ(bone.splineCount, 0);
  EXPECT_TRUE(bone.splineParam.empty());
  EXPECT_TRUE(bone.splineTangent.empty());
  if (example.version == ExchangeFile::kVersionBlend)
    EXPECT_EQ(file.blendValues(), (std::vector<float>{1.0f, 0.5f, 0.0f}));
  else
    EXPECT_TRUE(file.blendValues().empty());
}

INSTANTIATE_TEST_SUITE_P(
    AllVersions, ExchangeFileVersionTest,
    ::testing::Values(VersionExample{"Base", ExchangeFile::kVersionBase, 279},
                      VersionExample{"ForcedWeights", ExchangeFile::kVersionForcedWeights, 291},
                      VersionExample{"NodeHandles", ExchangeFile::kVersionNodeHandles, 295},
                      VersionExample{"Splines", ExchangeFile::kVersionSplines, 299},
                      // Blend count and three values: 299 + 4 + 12.
                      VersionExample{"Blend", ExchangeFile::kVersionBlend, 315}),
    [](const auto& info) { return std::string(info.param.name); });

// Each case starts from the valid newest-version Spine file unless it builds its own bytes.
struct MalformedCase {
  const char* name;
  std::vector<std::uint8_t> (*bytes)();
  const std::string* message;
};
void PrintTo(const MalformedCase& c, std::ostream* os) { *os << c.name; }


std::vector<std::uint8_t> SpineBytes(std::int32_t version = ExchangeFile::kVersionBlend) {
  return WriteExchangeFile(SpineFixture(version));
}
std::vector<std::uint8_t> Cut(std::vector<std::uint8_t> bytes, std::size_t drop) {
  bytes.resize(bytes.size() - drop);
  return bytes;
}
ExchangeFixture SplineFixture(std::int32_t splineCount, std::size_t entries) {
  ExchangeFixture file = SpineFixture(ExchangeFile::kVersionSplines);
  ExchangeBone& bone = file.bones[0];
  bone.splineCount = splineCount;
  bone.splineParam.assign(entries, 0.25f);
  bone.splineCurve.assign(entries, 1);
  bone.splineOffset.assign(entries, Point3(1, 2, 3));
  bone.splineTangent.assign(entries, Point3(0, 0, 1));
  return file;
}

const MalformedCase kMalformed[] = {
    {"EmptyFileIsInputErrorNotUnknownVersion", [] { return std::vector<std::uint8_t>{}; }, &kInputError},
    {"ShortVersionCode", [] { return std::vector<std::uint8_t>{0x81, 0x53, 0x33}; }, &kInputError},
    {"VersionWithoutBoneCount", [] { return Cut(SpineBytes(), SpineBytes().size() - 4); }, &kInputError},
    {"UnknownVersionOneAboveNewest",
     [] {
       ExchangeFixture f = SpineFixture(ExchangeFile::kVersionBlend);
       f.version = ExchangeFile::kVersionBlend + 1;
       return WriteExchangeFile(f);
     },
     &kUnknownVersion},
    {"UnknownVersionAlone", [] { return std::vector<std::uint8_t>{1, 0, 0, 0}; }, &kUnknownVersion},
    {"BoneCountZero",
     [] {
       ExchangeFixture f = SpineFixture(ExchangeFile::kVersionBlend);
       f.boneCount = 0;
       f.bones.clear();
       return WriteExchangeFile(f);
     },
     &kInputError},
    {"BoneCountNegative",
     [] {
       ExchangeFixture f = SpineFixture(ExchangeFile::kVersionSplines);
       f.boneCount = -1;
       return WriteExchangeFile(f);
     },
     &kInputError},
    {"BoneCountAboveBonesPresent",
     [] {
       ExchangeFixture f = SpineFixture(ExchangeFile::kVersionSplines);
       f.boneCount = 2;
       return WriteExchangeFile(f);
     },
     &kInputError},
    {"NegativeVertexCount",
     [] {
       ExchangeFixture f = SpineFixture(ExchangeFile::kVersionBase);
       f.bones[0].vertexCount = -1;
       f.bones[0].vertexCodes.clear();
       return WriteExchangeFile(f);
     },
     &kInputError},
    {"NameFieldCut", [] { return Cut(SpineBytes(ExchangeFile::kVersionBase), 279 - 100); }, &kInputError},
    {"CodesCutInTheMiddle", [] { return Cut(SpineBytes(ExchangeFile::kVersionBase), 1); }, &kInputError},
    {"ForcedWeightsCut", [] { return Cut(SpineBytes(ExchangeFile::kVersionForcedWeights), 2); }, &kInputError},
    {"SplineCountMissing", [] { return Cut(SpineBytes(ExchangeFile::kVersionSplines), 4); }, &kInputError},
    {"SplineTangentsCut", [] { return Cut(WriteExchangeFile(SplineFixture(2, 2)), 5); }, &kInputError},
    {"BlendCountZero",
     [] {
       ExchangeFixture f = SpineFixture(ExchangeFile::kVersionBlend);
       f.blendCount = 0;
       f.blendValues.clear();
       return WriteExchangeFile(f);
     },
     &kInputError},
    {"BlendCountMissing", [] { return Cut(SpineBytes(), 16); }, &kInputError},
    {"BlendValuesCut", [] { return Cut(SpineBytes(), 3); }, &kInputError},
    // Values that would make every vertex they reach not-a-number.
    {"BlendValueNotANumber",
     [] {
       ExchangeFixture f = SpineFixture(ExchangeFile::kVersionBlend);
       f.blendValues[1] = std::numeric_limits<float>::quiet_NaN();
       return WriteExchangeFile(f);
     },
     &kInputError},
    {"BlendValueInfinite",
     [] {
       ExchangeFixture f = SpineFixture(ExchangeFile::kVersionBlend);
       f.blendValues.back() = -std::numeric_limits<float>::infinity();
       return WriteExchangeFile(f);
     },
     &kInputError},
    {"FalloffNotANumber",
     [] {
       ExchangeFixture f = SpineFixture(ExchangeFile::kVersionBase);
       f.bones[0].falloff = std::numeric_limits<float>::quiet_NaN();
       return WriteExchangeFile(f);
     },
     &kInputError},
    {"StrengthInfinite",
     [] {
       ExchangeFixture f = SpineFixture(ExchangeFile::kVersionSplines);
       f.bones[0].strength = std::numeric_limits<float>::infinity();
       return WriteExchangeFile(f);
     },
     &kInputError},
    {"ForcedWeightNotANumber",
     [] {
       ExchangeFixture f = SpineFixture(ExchangeFile::kVersionForcedWeights);
       f.bones[0].forcedWeights[2] = std::numeric_limits<float>::quiet_NaN();
       return WriteExchangeFile(f);
     },
     &kInputError},
};

class ExchangeFileMalformedTest : public ExchangeFileTest,
                                  public ::testing::WithParamInterface<MalformedCase> {};

TEST_P(ExchangeFileMalformedTest, FailsWithTheMessageEndingInThePath) {
  std::string path = write("bad.tsm", GetParam().bytes());
  ExchangeFile file;
  EXPECT_FALSE(file.read(path));
  EXPECT_EQ(file.errorText(), *GetParam().message + path);
  EXPECT_EQ(file.boneCount(), 0);
  EXPECT_TRUE(file.bones().empty());
  EXPECT_TRUE(file.blendValues().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, ExchangeFileMalformedTest, ::testing::ValuesIn(kMalformed),
                         [](const auto& info) { return std::string(info.param.name); });

// A count claiming more than the rest of the file is refused before anything is sized by it,
// so a tiny file cannot make the reader ask for gigabytes.
struct OversizedCountCase {
  const char* name;
  std::int32_t version;
  void (*inflate)(ExchangeFixture&);
};
void PrintTo(const OversizedCountCase& c, std::ostream* os) { *os << c.name; }


const OversizedCountCase kOversized[] = {
    {"BoneCount", ExchangeFile::kVersionSplines,
     [](ExchangeFixture& f) { f.boneCount = std::numeric_limits<std::int32_t>::max(); }},
    {"VertexCount", ExchangeFile::kVersionForcedWeights,
     [](ExchangeFixture& f) { f.bones[0].vertexCount = std::numeric_limits<std::int32_t>::max(); }},
    // The codes would still fit; their forced weights would not.
    {"VertexCountOfForcedWeights", ExchangeFile::kVersionForcedWeights,
     [](ExchangeFixture& f) { f.bones[0].vertexCount = 10; }},
    {"SplineCount", ExchangeFile::kVersionSplines,
     [](ExchangeFixture& f) { f.bones[0].splineCount = 0x7FFFFFF0; }},
    {"BlendCount", ExchangeFile::kVersionBlend,
     [](ExchangeFixture& f) { f.blendCount = std::numeric_limits<std::int32_t>::max(); }},
};

class ExchangeFileOversizedTest : public ExchangeFileTest,
                                  public ::testing::WithParamInterface<OversizedCountCase> {};

TEST_P(ExchangeFileOversizedTest, FailsAsInputErrorWithoutSizingATable) {
  ExchangeFixture fixture = SpineFixture(GetParam().version);
  GetParam().inflate(fixture);
  std::vector<std::uint8_t> bytes = WriteExchangeFile(fixture);
  ASSERT_LT(bytes.size(), 400u);
  ExchangeFile file;
  ResetLargestAllocation();
  EXPECT_FALSE(file.readBytes(bytes, "memory.tsm"));
  EXPECT_LT(LargestAllocation(), 4096u);
  EXPECT_EQ(file.errorText(), kInputError + "memory.tsm");
}

INSTANTIATE_TEST_SUITE_P(Counts, ExchangeFileOversizedTest, ::testing::ValuesIn(kOversized),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExchangeFileTest, MissingFileAndDirectoryCannotBeOpened) {
  ExchangeFile file;
  std::string missing = (dir_ / "missing.tsm").string();
  EXPECT_FALSE(file.read(missing));
  EXPECT_EQ(file.errorText(), kCannotOpen + missing);

  EXPECT_FALSE(file.read(dir_.string()));
  EXPECT_EQ(file.errorText(), kCannotOpen + dir_.string());
}

TEST_F(ExchangeFileTest, PercentSignsInThePathAreText) {
  fs::path odd = dir_ / "100% %s %d %1% %%";
  fs::create_directories(odd);
  std::string missing = (odd / "x%s.tsm").string();
  ExchangeFile file;
  EXPECT_FALSE(file.read(missing));
  EXPECT_EQ(file.errorText(), kCannotOpen + missing);

  std::string empty = write("100% %s %d %1% %%/e%.tsm", std::vector<std::uint8_t>{});
  EXPECT_FALSE(file.read(empty));
  EXPECT_EQ(file.errorText(), kInputError + empty);
}

TEST_F(ExchangeFileTest, BeforeAnyReadTheVersionIsTheNewestAndNothingFailed) {
  ExchangeFile file;
  EXPECT_EQ(file.version(), ExchangeFile::kVersionBlend);
  EXPECT_EQ(file.boneCount(), 0);
  EXPECT_EQ(file.errorText(), "");
}

TEST_F(ExchangeFileTest, AccessorsOutsideTheBonesGiveEmptyValues) {
  ExchangeFile file;
  ASSERT_TRUE(file.readBytes(SpineBytes(), "spine.tsm"));
  for (int i : {-1, 1, 1000}) {
    EXPECT_EQ(file.boneHandle(i), 0u) << i;
    EXPECT_EQ(file.boneName(i), "") << i;
    EXPECT_EQ(file.bone(i).vertexCount, 0) << i;
    EXPECT_TRUE(file.bone(i).vertexCodes.empty()) << i;
  }
}

TEST_F(ExchangeFileTest, AFailedReadDiscardsWhatAnEarlierReadHeld) {
  ExchangeFile file;
  ASSERT_TRUE(file.readBytes(SpineBytes(), "good.tsm"));
  EXPECT_FALSE(file.readBytes(Cut(SpineBytes(), 3), "bad.tsm"));
  EXPECT_EQ(file.boneCount(), 0);
  EXPECT_EQ(file.boneName(0), "");
  EXPECT_TRUE(file.blendValues().empty());
  // And a good read after a failure clears the message.
  ASSERT_TRUE(file.readBytes(SpineBytes(ExchangeFile::kVersionBase), "good.tsm"));
  EXPECT_EQ(file.errorText(), "");
  EXPECT_EQ(file.version(), ExchangeFile::kVersionBase);
}

TEST_F(ExchangeFileTest, ReadsSeveralBonesInFileOrderAndIgnoresTrailingBytes) {
  ExchangeFixture fixture = SplineFixture(2, 2);
  ExchangeBone second;
  second.name = "Arm.L";
  second.nodeHandle = 99;
  second.falloff = 0.5f;
  second.strength = 2.5f;
  second.vertexCount = 2;
  second.vertexCodes = {0x81, 0x7F};
  second.forcedWeights = {12.5f, -3.0f};
  second.splineCount = 1;
  second.splineParam = {0.75f};
  second.splineCurve = {-4};
  second.splineOffset = {Point3(-1.5f, 0.0f, 1e30f)};
  second.splineTangent = {Point3(0, 1, 0)};
  fixture.bones.push_back(second);
  fixture.boneCount = 2;
  std::vector<std::uint8_t> bytes = WriteExchangeFile(fixture);
  bytes.insert(bytes.end(), {0xDE, 0xAD, 0xBE, 0xEF, 0x01});

  ExchangeFile file;
  ASSERT_TRUE(file.read(write("two.tsm", bytes))) << file.errorText();
  ASSERT_EQ(file.boneCount(), 2);
  const ExchangeBone& first = file.bone(0);
  EXPECT_EQ(first.name, "Spine");
  EXPECT_EQ(first.splineCount, 2);
  EXPECT_EQ(first.splineParam, (std::vector<float>{0.25f, 0.25f}));
  EXPECT_EQ(first.splineCurve, (std::vector<std::int32_t>{1, 1}));
  EXPECT_EQ(first.splineOffset, (std::vector<Point3>{Point3(1, 2, 3), Point3(1, 2, 3)}));
  EXPECT_EQ(first.splineTangent, (std::vector<Point3>{Point3(0, 0, 1), Point3(0, 0, 1)}));

  const ExchangeBone& read = file.bone(1);
  EXPECT_EQ(read.name, "Arm.L");
  EXPECT_EQ(file.boneHandle(1), 99u);
  EXPECT_EQ(read.falloff, 0.5f);
  EXPECT_EQ(read.strength, 2.5f);
  EXPECT_EQ(read.vertexCodes, second.vertexCodes);
  EXPECT_EQ(read.forcedWeights, second.forcedWeights);
  EXPECT_EQ(read.splineCurve, second.splineCurve);
  EXPECT_EQ(read.splineOffset, second.splineOffset);
}

TEST_F(ExchangeFileTest, VertexCountZeroReadsNoTablesButStillItsSplineCount) {
  ExchangeFixture fixture = SplineFixture(1, 1);
  ExchangeBone& bone = fixture.bones[0];
  bone.vertexCount = 0;
  bone.vertexCodes.clear();
  bone.forcedWeights.clear();
  ExchangeFile file;
  ASSERT_TRUE(file.readBytes(WriteExchangeFile(fixture), "zero.tsm")) << file.errorText();
  EXPECT_EQ(file.bone(0).vertexCount, 0);
  EXPECT_TRUE(file.bone(0).vertexCodes.empty());
  EXPECT_TRUE(file.bone(0).forcedWeights.empty());
  EXPECT_EQ(file.bone(0).splineCount, 1);
  EXPECT_EQ(file.bone(0).splineTangent, (std::vector<Point3>{Point3(0, 0, 1)}));
}

TEST_F(ExchangeFileTest, NegativeSplineCountReadsNoTablesAndSucceeds) {
  ExchangeFixture fixture = SplineFixture(-5, 0);
  ExchangeBone next = fixture.bones[0];
  next.name = "Next";
  fixture.bones.push_back(next);
  fixture.boneCount = 2;
  ExchangeFile file;
  ASSERT_TRUE(file.readBytes(WriteExchangeFile(fixture), "neg.tsm")) << file.errorText();
  EXPECT_EQ(file.bone(0).splineCount, -5);
  EXPECT_TRUE(file.bone(0).splineParam.empty());
  EXPECT_EQ(file.boneName(1), "Next");
}

TEST_F(ExchangeFileTest, NameIsTheTextBeforeTheFirstZeroOrAllOfTheField) {
  ExchangeFixture fixture = SpineFixture(ExchangeFile::kVersionBase);
  fixture.bones[0].name = std::string(256, 'x');
  ExchangeFile file;
  ASSERT_TRUE(file.readBytes(WriteExchangeFile(fixture), "long.tsm"));
  EXPECT_EQ(file.boneName(0), std::string(256, 'x'));

  fixture.bones[0].name = std::string("Hip\0garbage after the end", 25) + "\xC3\xA9";
  ASSERT_TRUE(file.readBytes(WriteExchangeFile(fixture), "short.tsm"));
  EXPECT_EQ(file.boneName(0), "Hip");
}

TEST_F(ExchangeFileTest, UtfEightNamesArriveUnchanged) {
  ExchangeFixture fixture = SpineFixture(ExchangeFile::kVersionNodeHandles);
  fixture.bones[0].name = "Schulter_\xC3\xA9\xE2\x82\xAC";
  ExchangeFile file;
  ASSERT_TRUE(file.readBytes(WriteExchangeFile(fixture), "utf8.tsm"));
  EXPECT_EQ(file.boneName(0), "Schulter_\xC3\xA9\xE2\x82\xAC");
}

// The fuzzer's seeds double as one valid file per version kept in the tree.
TEST_F(ExchangeFileTest, SeedCorpusHoldsOneValidFilePerVersion) {
  std::vector<std::int32_t> versions;
  for (const fs::directory_entry& entry : fs::directory_iterator(TESSARIN_EXCHANGE_SEED_DIR)) {
    ExchangeFile file;
    EXPECT_TRUE(file.read(entry.path().string())) << file.errorText();
    versions.push_back(file.version());
  }
  std::sort(versions.begin(), versions.end());
  EXPECT_EQ(versions, std::vector<std::int32_t>(std::begin(kAllVersions), std::end(kAllVersions)));
}

}  // namespace
