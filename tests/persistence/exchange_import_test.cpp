// The exchange-file import: finding each file bone's node, the data it carries over, listings of
// one node twice, per-vertex tables longer or shorter than the mesh, blend tables, colours, the
// failures that leave the skin untouched, and the file choice.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "deformer/skin_services.h"
#include "deformer/skin_scene.h"
#include "host/headless/chunk_save.h"
#include "host/headless/open_file_service.h"
#include "module/registry/class_ids.h"
#include "module/registry/skin_editor.h"
#include "module/resources/string_table.h"
#include "module/resources/text_conversion.h"
#include "persistence/exchange_file_writer.h"
#include "persistence/import/exchange_import.h"
#include "persistence/skin_chunks/skin_storage.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRings = 3;
constexpr int kSides = 4;
constexpr int kVertices = kRings * kSides;  // the skinned tube's vertex count

constexpr std::uint32_t kRed = 0x000000FF;
constexpr std::uint32_t kDarkBlue = 0x00800000;
constexpr std::uint32_t kDarkGreen = 0x00008000;

// Stands in for an Orbicle: geometry of the Orbicle class.
class FakeOrbicle : public GeomObject {
public:
  Class_ID ClassID() override { return ORBICLE_CLASS_ID; }
  ObjectState Eval(TimeValue) override { return ObjectState(this); }
};

// A file bone with n vertices, every code `code` and every forced weight `forced`.
ExchangeBone FileBone(const std::string& name, ULONG handle, int n, std::uint8_t code = 0x80, float forced = 0.0f) {
  ExchangeBone bone;
  bone.name = name;
  bone.nodeHandle = handle;
  bone.vertexCount = n;
  bone.vertexCodes.assign(n, code);
  bone.forcedWeights.assign(n, forced);
  return bone;
}

ExchangeFixture FileOf(std::int32_t version, std::vector<ExchangeBone> bones, std::vector<float> blend = {}) {
  ExchangeFixture file;
  file.version = version;
  file.boneCount = static_cast<std::int32_t>(bones.size());
  file.bones = std::move(bones);
  if (version == ExchangeFile::kVersionBlend) {
    if (blend.empty()) blend.assign(kVertices, 1.0f);
    file.blendCount = static_cast<std::int32_t>(blend.size());
    file.blendValues = std::move(blend);
  }
  return file;
}

// Everything of a skin that an import may change: the stored state (byte for byte), the
// references, the weight cache and the frames.
struct SkinSnapshot {
  std::vector<std::uint8_t> stored;
  std::vector<ReferenceTarget*> references;
  std::vector<float> weights;
  std::vector<std::int32_t> weightsKey;
  std::vector<std::uint32_t> vertexColors;
  std::vector<float> bindFrames;  // twelve floats per frame

  bool operator==(const SkinSnapshot&) const = default;
};

SkinSnapshot Snapshot(Tessarin& skin) {
  SkinSnapshot s;
  ChunkSave save;
  EXPECT_EQ(SaveSkin(skin, &save), IO_OK);
  s.stored = save.TakeBytes();
  for (int i = 0; i < skin.NumRefs(); ++i) s.references.push_back(skin.GetReference(i));
  s.weights = skin.cache.weights;
  s.weightsKey = skin.cache.weightsKey;
  s.vertexColors = skin.cache.vertexColors;
  for (const AffineFrame& f : skin.table.bindFrames)
    for (const auto& row : f.m) s.bindFrames.insert(s.bindFrames.end(), std::begin(row), std::end(row));
  return s;
}

class ExchangeImportTest : public SkinSceneTest {
protected:
  static void SetUpTestSuite() { SetModuleInstance(reinterpret_cast<HINSTANCE>(1)); }

  void SetUp() override {
    SkinSceneTest::SetUp();
    TheOpenFileService().Reset();
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(name.begin(), name.end(), '/', '.');
    dir_ = fs::temp_directory_path() / ("tessarin-import-" + std::to_string(::getpid()) + "-" + name);
    fs::create_directories(dir_);

    SkinnedNode(Tube(kRings, kSides, 10.0f, 1.0f));
    upper_ = BoxBone(L"Upper", Point3(-2.5f, -1, -1), Point3(2.5f, 1, 1), Point3(2.5f, 0, 0));
    lower_ = BoxBone(L"Lower", Point3(-2.5f, -1, -1), Point3(2.5f, 1, 1), Point3(7.5f, 0, 0));
    upper_->SetWireColor(0x00112233);
    lower_->SetWireColor(0x00445566);
  }
  void TearDown() override {
    TheOpenFileService().Reset();
    fs::remove_all(dir_);
    SkinSceneTest::TearDown();
  }

  std::string Write(const ExchangeFixture& file, const std::string& name = "bones.tsm") {
    std::string path = (dir_ / name).string();
    std::vector<std::uint8_t> bytes = WriteExchangeFile(file);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  bool Import(const ExchangeFixture& file) { return importFromPath(skin(), Write(file)); }

  // An attached skin with both bones (Upper selected), as a user left it before importing again.
  void ImportBothBones() {
    ASSERT_TRUE(Import(FileOf(ExchangeFile::kVersionBlend, {FileBone("Upper", upper_->GetHandle(), kVertices),
                                                             FileBone("Lower", lower_->GetHandle(), kVertices)})));
    skin().table.bones[0]->flags |= kBoneSelectedFlag;
    host().Messages().Clear();
    host().ClearCommands();
  }

  const std::vector<MessageRecord>& Messages() { return host().Messages().Records(); }
  BoneEntry& Bone(int i) { return *skin().table.bones[i]; }

  fs::path dir_;
  SceneNode* upper_ = nullptr;
  SceneNode* lower_ = nullptr;
};

// --- Finding the nodes ---

struct LookupCase {
  const char* name;
  std::int32_t version;
  long handle;           // the handle the file gives the bone; -1 stands for Upper's
  const char* fileName;  // the name the file gives the bone
};
void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.name; }

class ExchangeImportLookupTest : public ExchangeImportTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(ExchangeImportLookupTest, FindsUpperAndAttachesToIt) {
  const LookupCase& c = GetParam();
  const ULONG handle = c.handle < 0 ? upper_->GetHandle() : static_cast<ULONG>(c.handle);
  ASSERT_TRUE(Import(FileOf(c.version, {FileBone(c.fileName, handle, kVertices)})));

  EXPECT_TRUE(Messages().empty());
  ASSERT_EQ(skin().table.boneCount, 1);
  EXPECT_EQ(Bone(0).node, upper_);
  EXPECT_EQ(skin().NumRefs(), 3);
  EXPECT_EQ(skin().GetReference(2), upper_);
  EXPECT_EQ(Bone(0).kind, kBoxBone);
  EXPECT_EQ(Bone(0).color, 0x00112233u);
  EXPECT_TRUE(skin().table.IsAttached());
  EXPECT_EQ(skin().table.vertexCount, kVertices);
  EXPECT_TRUE(skin().cache.Matches(1, kVertices));
  // Once after the attachment, once after the blend shares and colours.
  EXPECT_EQ(std::count(host().Commands().begin(), host().Commands().end(), 71), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExchangeImportLookupTest,
    ::testing::Values(LookupCase{"HandleFindsARenamedNode", ExchangeFile::kVersionBlend, -1, "Renamed"},
                      LookupCase{"StaleHandleFallsBackToTheName", ExchangeFile::kVersionNodeHandles, 9999, "Upper"},
                      // 0 is the root's handle, and the root is never a bone.
                      LookupCase{"HandleZeroFallsBackToTheName", ExchangeFile::kVersionSplines, 0, "Upper"},
                      LookupCase{"FileWithoutHandlesFindsByName", ExchangeFile::kVersionForcedWeights, 0, "Upper"},
                      LookupCase{"OldestFileFindsByName", ExchangeFile::kVersionBase, 0, "Upper"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExchangeImportTest, EachNodeKindBecomesItsBoneKind) {
  auto* shape = new SplineShapeObject();
  shape->curves.push_back({{Point3(0, 0, 0), Point3(10, 0, 0)}, false, false});
  host().CreateNode(L"Curve", shape);
  SceneNode* joint = host().CreateNode(L"Joint", new LegacyBoneObject());
  host().CreateNode(L"Link", new LegacyBoneObject(), joint);

  ASSERT_TRUE(Import(FileOf(ExchangeFile::kVersionBase,
                            {FileBone("Upper", 0, kVertices), FileBone("Curve", 0, kVertices),
                             FileBone("Link", 0, kVertices)})));
  ASSERT_EQ(skin().table.boneCount, 3);
  EXPECT_EQ(Bone(0).kind, kBoxBone);
  EXPECT_EQ(Bone(1).kind, kSplineBone);
  EXPECT_EQ(Bone(2).kind, kLinkBone);
  // The spline bone was bound afresh: one entry per mesh vertex.
  EXPECT_GE(Bone(1).splineCount, kVertices);
  EXPECT_GE(Bone(1).splineParam.size(), std::size_t(kVertices));
}

// --- The data carried over ---

TEST_F(ExchangeImportTest, TakesOverFalloffStrengthCodesAndForcedWeights) {
  ExchangeBone upper = FileBone("Upper", upper_->GetHandle(), kVertices);
  upper.falloff = 2.5f;
  upper.strength = 0.25f;
  upper.vertexCodes[1] = 0x00;
  upper.vertexCodes[2] = 0xFE;
  upper.forcedWeights[2] = 40.0f;
  ASSERT_TRUE(Import(FileOf(ExchangeFile::kVersionSplines, {upper})));
  EXPECT_EQ(Bone(0).falloff, 2.5f);
  EXPECT_EQ(Bone(0).strength, 0.25f);
  EXPECT_EQ(Bone(0).vertexCodes, upper.vertexCodes);
  EXPECT_EQ(Bone(0).forcedWeights, upper.forcedWeights);
}

TEST_F(ExchangeImportTest, OldestFilesUnpackTheWeightFromTheCode) {
  ExchangeBone upper = FileBone("Upper", 0, kVertices);
  upper.vertexCodes[0] = 0x00;  // excluded
  upper.vertexCodes[1] = 0x80;  // computed
  upper.vertexCodes[2] = 0xFE;  // 254, forced 126 %
  upper.vertexCodes[3] = 0xA8;  // 168: 254, forced 40 %
  upper.vertexCodes[4] = 0x81;  // 129: 255 (an odd code stays computed), forced 1 %
  ASSERT_TRUE(Import(FileOf(ExchangeFile::kVersionBase, {upper})));
  const BoneEntry& bone = Bone(0);
  EXPECT_EQ(bone.vertexCodes[0], 0x00);
  EXPECT_EQ(bone.vertexCodes[1], 0x80);
  EXPECT_EQ(bone.vertexCodes[2], 254);
  EXPECT_EQ(bone.forcedWeights[2], 126.0f);
  EXPECT_EQ(bone.vertexCodes[3], 254);
  EXPECT_EQ(bone.forcedWeights[3], 40.0f);
  EXPECT_EQ(bone.vertexCodes[4], 255);
  EXPECT_EQ(bone.forcedWeights[4], 1.0f);
  EXPECT_EQ(bone.forcedWeights[1], 0.0f);
}

struct LengthCase {
  const char* name;
  int fileVertices;
};
void PrintTo(const LengthCase& c, std::ostream* os) { *os << c.name; }

class ExchangeImportLengthTest : public ExchangeImportTest, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(ExchangeImportLengthTest, TablesAreConformedToTheMesh) {
  const int n = GetParam().fileVertices;
  ExchangeBone upper = FileBone("Upper", upper_->GetHandle(), n, 0xFE);
  for (int v = 0; v < n; ++v) upper.forcedWeights[v] = static_cast<float>(v);
  ASSERT_TRUE(Import(FileOf(ExchangeFile::kVersionSplines, {upper})));

  const BoneEntry& bone = Bone(0);
  ASSERT_EQ(bone.vertexCodes.size(), std::size_t(kVertices));
  ASSERT_EQ(bone.forcedWeights.size(), std::size_t(kVertices));
  EXPECT_EQ(bone.vertexCount, kVertices);
  for (int v = 0; v < kVertices; ++v) {
    SCOPED_TRACE(v);
    if (v < n) {
      EXPECT_EQ(bone.vertexCodes[v], 0xFE);
      EXPECT_EQ(bone.forcedWeights[v], static_cast<float>(v));
    } else {
      EXPECT_EQ(bone.vertexCodes[v], 0x80);  // vertices the file does not know are computed
      EXPECT_EQ(bone.forcedWeights[v], 0.0f);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Lengths, ExchangeImportLengthTest,
                         ::testing::Values(LengthCase{"MoreCodesThanVertices", kVertices + 4},
                                           LengthCase{"FewerCodesThanVertices", kVertices - 4},
                                           LengthCase{"NoCodes", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExchangeImportTest, ShortSplineTablesOfASplineBoneAreExtendedBeforeBinding) {
  auto* shape = new SplineShapeObject();
  shape->curves.push_back({{Point3(0, 0, 0), Point3(10, 0, 0)}, false, false});
  host().CreateNode(L"Curve", shape);
  ExchangeBone curve = FileBone("Curve", 0, kVertices);
  curve.splineCount = 2;
  curve.splineParam = {0.25f, 0.5f};
  curve.splineCurve = {0, 0};
  curve.splineOffset = {Point3(1, 2, 3), Point3(4, 5, 6)};
  curve.splineTangent = {Point3(1, 0, 0), Point3(1, 0, 0)};
  ASSERT_TRUE(Import(FileOf(ExchangeFile::kVersionSplines, {curve})));
  const BoneEntry& bone = Bone(0);
  EXPECT_EQ(bone.kind, kSplineBone);
  EXPECT_GE(bone.splineCount, kVertices);
  for (const std::size_t size : {bone.splineParam.size(), bone.splineCurve.size(), bone.splineOffset.size(),
                                 bone.splineTangent.size()})
    EXPECT_EQ(size, static_cast<std::size_t>(bone.splineCount));
}

TEST_F(ExchangeImportTest, NegativeSplineCountMeansNoTables) {
  ExchangeBone upper = FileBone("Upper", 0, kVertices);
  upper.splineCount = -5;
  ASSERT_TRUE(Import(FileOf(ExchangeFile::kVersionSplines, {upper})));
  EXPECT_EQ(Bone(0).splineCount, 0);
  EXPECT_TRUE(Bone(0).splineParam.empty());
}

// --- One node listed twice ---

TEST_F(ExchangeImportTest, ANodeListedTwiceKeepsItsFirstListing) {
  ExchangeBone lowerFirst = FileBone("Lower", lower_->GetHandle(), kVertices, 0x80);
  lowerFirst.falloff = 3.0f;
  ExchangeBone upper = FileBone("Upper", upper_->GetHandle(), kVertices, 0x80);
  upper.falloff = 2.0f;
  ExchangeBone lowerAgain = FileBone("Lower", 0, kVertices, 0x00);  // found by name
  lowerAgain.falloff = 9.0f;
  ASSERT_TRUE(Import(FileOf(ExchangeFile::kVersionBlend, {lowerFirst, upper, lowerAgain})));

  ASSERT_EQ(skin().table.boneCount, 2);
  EXPECT_EQ(skin().NumRefs(), 4);
  EXPECT_EQ(skin().table.frameCount, 2);
  EXPECT_TRUE(skin().cache.Matches(2, kVertices));
  // The bones come in node order (Upper was created first); each carries its node's first data.
  EXPECT_EQ(Bone(0).node, upper_);
  EXPECT_EQ(Bone(1).node, lower_);
  EXPECT_EQ(skin().GetReference(2), upper_);
  EXPECT_EQ(skin().GetReference(3), lower_);
  EXPECT_EQ(Bone(0).falloff, 2.0f);
  EXPECT_EQ(Bone(1).falloff, 3.0f);
  EXPECT_EQ(Bone(1).vertexCodes, std::vector<std::uint8_t>(kVertices, 0x80));
  // Deleting the node lets go of the one bone that holds it.
  host().DeleteNode(lower_);
  EXPECT_EQ(skin().table.boneCount, 1);
  EXPECT_EQ(Bone(0).node, upper_);
}

// --- Blend shares ---

struct BlendCase {
  const char* name;
  std::int32_t version;
  int blendValues;  // in the file (newest version only)
  bool replaced;
};
void PrintTo(const BlendCase& c, std::ostream* os) { *os << c.name; }

class ExchangeImportBlendTest : public ExchangeImportTest, public ::testing::WithParamInterface<BlendCase> {};

TEST_P(ExchangeImportBlendTest, BlendSharesReplaceBlendMixOnlyWhenTheyFit) {
  const BlendCase& c = GetParam();
  std::vector<float> blend;
  for (int v = 0; v < c.blendValues; ++v) blend.push_back(0.05f * static_cast<float>(v));
  ASSERT_TRUE(Import(FileOf(c.version, {FileBone("Upper", upper_->GetHandle(), kVertices)}, blend)));
  ASSERT_EQ(skin().table.blendMix.size(), std::size_t(kVertices));
  if (c.replaced)
    EXPECT_EQ(skin().table.blendMix, blend);
  else
    EXPECT_EQ(skin().table.blendMix, std::vector<float>(kVertices, 1.0f)) << "as the attachment left it";
}

INSTANTIATE_TEST_SUITE_P(Cases, ExchangeImportBlendTest,
                         ::testing::Values(BlendCase{"OneValuePerVertex", ExchangeFile::kVersionBlend, kVertices, true},
                                           BlendCase{"OneValueTooMany", ExchangeFile::kVersionBlend, kVertices + 1, false},
                                           BlendCase{"OneValueShort", ExchangeFile::kVersionBlend, kVertices - 1, false},
                                           BlendCase{"FileWithoutBlendTable", ExchangeFile::kVersionSplines, 0, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Selection and colours ---

TEST_F(ExchangeImportTest, UnselectedBonesInTheSelectionColourGetADarkOne) {
  ImportBothBones();  // bone 0 selected
  upper_->SetWireColor(kRed);
  lower_->SetWireColor(kRed);
  ASSERT_TRUE(Import(FileOf(ExchangeFile::kVersionBlend, {FileBone("Upper", upper_->GetHandle(), kVertices),
                                                           FileBone("Lower", lower_->GetHandle(), kVertices)})));
  EXPECT_EQ(Bone(0).flags & kBoneSelectedFlag, kBoneSelectedFlag) << "bones at the old indices keep their flags";
  EXPECT_EQ(Bone(0).color, kRed);
  EXPECT_EQ(Bone(1).color, kDarkBlue);

  // With dark blue as the selection colour, an unselected dark blue bone turns dark green.
  skin().settings.selectedBoneColor = kDarkBlue;
  upper_->SetWireColor(kDarkBlue);
  lower_->SetWireColor(0x00123456);
  ASSERT_TRUE(Import(FileOf(ExchangeFile::kVersionBlend, {FileBone("Lower", lower_->GetHandle(), kVertices),
                                                           FileBone("Upper", upper_->GetHandle(), kVertices),
                                                           FileBone("Upper", upper_->GetHandle(), kVertices)})));
  ASSERT_EQ(skin().table.boneCount, 2);
  EXPECT_EQ(Bone(0).node, upper_);
  EXPECT_EQ(Bone(0).color, kDarkGreen);
  EXPECT_EQ(Bone(1).color, 0x00123456u);
}

TEST_F(ExchangeImportTest, FewerBonesThanBeforeStartFromNewEntries) {
  ImportBothBones();
  ASSERT_TRUE(Import(FileOf(ExchangeFile::kVersionBlend, {FileBone("Upper", upper_->GetHandle(), kVertices)})));
  ASSERT_EQ(skin().table.boneCount, 1);
  EXPECT_EQ(Bone(0).flags, 0u);
  EXPECT_EQ(skin().NumRefs(), 3);
  EXPECT_EQ(std::count(lower_->Dependents().begin(), lower_->Dependents().end(), &skin()), 0)
      << "the dropped bone's reference is released";
}

// --- Failures ---

struct BadBoneCase {
  const char* name;
  const char* boneName;  // the second file bone; the first one is usable
};
void PrintTo(const BadBoneCase& c, std::ostream* os) { *os << c.name; }

class ExchangeImportBadBoneTest : public ExchangeImportTest, public ::testing::WithParamInterface<BadBoneCase> {};

TEST_P(ExchangeImportBadBoneTest, ShowsWrongOrMissingBoneAndLeavesTheSkinAsItWas) {
  host().CreateNode(L"Empty");
  host().CreateNode(L"Orb", new FakeOrbicle());
  host().CreateNode(L"RootJoint", new LegacyBoneObject());
  host().CreateNode(L"100% %s%n", new FakeOrbicle());
  ImportBothBones();
  const SkinSnapshot before = Snapshot(skin());

  const BadBoneCase& c = GetParam();
  EXPECT_FALSE(Import(FileOf(ExchangeFile::kVersionBlend,
                             {FileBone("Lower", lower_->GetHandle(), kVertices), FileBone(c.boneName, 9999, kVertices)})));

  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].caption, L"Tessarin");
  EXPECT_EQ(Messages()[0].text, L"Wrong or missing bone\n\r" + Utf8ToWide(c.boneName));
  EXPECT_EQ(Messages()[0].type, MB_ICONEXCLAMATION);
  EXPECT_TRUE(Snapshot(skin()) == before);
  EXPECT_TRUE(host().Commands().empty());
  EXPECT_EQ(skin().table.boneCount, 2);
  EXPECT_EQ(Bone(0).flags & kBoneSelectedFlag, kBoneSelectedFlag);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExchangeImportBadBoneTest,
                         ::testing::Values(BadBoneCase{"NoSuchNode", "Ghost"},
                                           BadBoneCase{"NodeWithoutObject", "Empty"},
                                           BadBoneCase{"OrbicleNode", "Orb"},
                                           BadBoneCase{"LegacyBoneUnderTheRoot", "RootJoint"},
                                           BadBoneCase{"PercentSignsInTheName", "100% %s%n"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExchangeImportTest, AnUnreadableFileShowsTheReadersTextWithThePathAsText) {
  ImportBothBones();
  const SkinSnapshot before = Snapshot(skin());
  struct Case {
    const char* name;
    std::string path;
    std::wstring text;
  };
  const std::string missing = (dir_ / "50% %s %n missing.tsm").string();
  std::string unknown = Write(FileOf(ExchangeFile::kVersionBlend + 1, {FileBone("Upper", 0, kVertices)}), "%d.tsm");
  std::string cut = (dir_ / "cut.tsm").string();
  std::ofstream(cut, std::ios::binary) << "abc";
  const Case cases[] = {
      {"missing", missing, L"Can't open file for input\n\r" + Utf8ToWide(missing)},
      {"unknown version", unknown, L"Unknown file version\n\r" + Utf8ToWide(unknown)},
      {"cut short", cut, L"Input Error\n\rReading file\n\r" + Utf8ToWide(cut)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host().Messages().Clear();
    EXPECT_FALSE(importFromPath(skin(), c.path));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].caption, L"Tessarin");
    EXPECT_EQ(Messages()[0].text, c.text);
    EXPECT_EQ(Messages()[0].type, MB_ICONEXCLAMATION);
    EXPECT_TRUE(Snapshot(skin()) == before);
  }
}

TEST_F(ExchangeImportTest, AFailedAttachmentStillCompletesTheImport) {
  // A skin on no node: the attachment finds no mesh and says so.
  struct SkinDeleter {
    void operator()(Tessarin* s) const { s->DeleteMe(); }
  };
  std::unique_ptr<Tessarin, SkinDeleter> loose(new Tessarin());
  EXPECT_TRUE(importFromPath(*loose, Write(FileOf(ExchangeFile::kVersionSplines, {FileBone("Upper", 0, 3)}))));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].text, L"Can't get mesh from node ");
  EXPECT_EQ(loose->table.boneCount, 1);
  EXPECT_EQ(loose->GetReference(2), upper_);
  EXPECT_FALSE(loose->table.IsAttached());
}

// --- The file choice ---

TEST_F(ExchangeImportTest, ACancelledFileChoiceDoesNothingAndShowsNothing) {
  ImportBothBones();
  const SkinSnapshot before = Snapshot(skin());
  for (bool withProvider : {false, true}) {
    SCOPED_TRACE(withProvider ? "provider cancels" : "no provider");
    if (withProvider) TheOpenFileService().SetProvider([](const OpenFileRequest&) { return std::nullopt; });
    EXPECT_FALSE(importExchangeFile(skin()));
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(host().Commands().empty());
    EXPECT_TRUE(Snapshot(skin()) == before);
  }
  ASSERT_EQ(TheOpenFileService().Requests().size(), 2u);
  const OpenFileRequest& request = TheOpenFileService().Requests()[0];
  using Filter = std::pair<std::wstring, std::wstring>;
  EXPECT_EQ(request.filters,
            (std::vector<Filter>{{L"Tessarin MAX files (*.tsm)", L"*.tsm"}, {L"All Files", L"*.*"}}));
  EXPECT_EQ(request.filterIndex, 1u);
  EXPECT_EQ(request.maxFile, 2048u);
  EXPECT_EQ(request.flags, OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
  EXPECT_EQ(request.owner, host().GetMAXHWnd());
  EXPECT_EQ(request.initialFile, L"");
  EXPECT_FALSE(request.hasInitialDir);
  EXPECT_FALSE(request.hasDefaultExt);
  EXPECT_EQ(request.title, L"Select tsm import file");
}

TEST_F(ExchangeImportTest, TheChosenFileIsImportedThroughTheEditingInterface) {
  const std::string path = Write(FileOf(ExchangeFile::kVersionBlend, {FileBone("Lower", 0, kVertices)}), "ä % bones.tsm");
  TheOpenFileService().SetProvider([&](const OpenFileRequest&) { return std::optional(Utf8ToWide(path)); });
  auto* editor = static_cast<ISkinEditor*>(skin().GetInterface(SKIN_EDITOR_INTERFACE_ID));
  ASSERT_NE(editor, nullptr);

  GetSkinServices().importExchangeFile = nullptr;
  EXPECT_FALSE(editor->ImportExchangeFile()) << "no import installed";
  EXPECT_TRUE(TheOpenFileService().Requests().empty());

  InstallExchangeImport();
  EXPECT_TRUE(editor->ImportExchangeFile());
  EXPECT_TRUE(Messages().empty());
  ASSERT_EQ(skin().table.boneCount, 1);
  EXPECT_EQ(Bone(0).node, lower_);
  GetSkinServices().importExchangeFile = nullptr;
}

TEST_F(ExchangeImportTest, APathThatDoesNotFitTheDialogsRoomIsNoChoice) {
  const std::wstring longPath(3000, L'a');
  TheOpenFileService().SetProvider([&](const OpenFileRequest&) { return std::optional(longPath); });
  EXPECT_FALSE(importExchangeFile(skin()));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(skin().table.boneCount, 0);
}

}  // namespace
