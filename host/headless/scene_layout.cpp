#include "host/headless/scene_layout.h"

#include <cstring>

#include "host/headless/chunk_load.h"
#include "host/headless/chunk_save.h"
#include "host/headless/reference_graph.h"
#include "host/headless/scene_classes.h"
#include "host/headless/scene_file_format.h"
#include "host/headless/stream_values.h"

namespace {

class LayoutReader {
public:
  LayoutReader(std::span<const std::uint8_t> body, SceneLayout& layout, std::string& error)
      : body_(body), in_(body), layout_(layout), error_(error) {}

  bool Read();

private:
  bool Fail(const std::string& why) {
    if (error_.empty()) error_ = why + " (at byte " + std::to_string(in_.Position() + scenefile::kFileHeaderSize) + ")";
    return false;
  }
  // What is wrong with the chunk header at the read position (OpenChunk refused it).
  std::string HeaderDamage();
  // Opens every chunk of the current level in turn; handle reads it. Damage fails.
  template <class Handle>
  bool EachChunk(const char* where, Handle handle);
  bool ReadInfo();
  bool ReadAnimRange();
  bool ReadObjects();
  bool ReadObject();
  bool ReadNodeTree();
  bool CheckIndices();

  std::span<const std::uint8_t> body_;
  ChunkLoad in_;
  SceneLayout& layout_;
  std::string& error_;
};

std::string LayoutReader::HeaderDamage() {
  const std::size_t left = in_.CurChunkRemaining();
  if (left < ChunkSave::kHeaderSize)
    return "a chunk header is cut short: " + std::to_string(left) + " of its 6 bytes are there";
  std::uint32_t length = 0;
  std::memcpy(&length, body_.data() + in_.Position() + 2, 4);
  return "a chunk is cut short or damaged: it claims " + std::to_string(length) + " bytes where " +
         std::to_string(left - ChunkSave::kHeaderSize) + " remain";
}

template <class Handle>
bool LayoutReader::EachChunk(const char* where, Handle handle) {
  IOResult r;
  while ((r = in_.OpenChunk()) == IO_OK) {
    if (!handle(in_.CurChunkID())) return false;
    in_.CloseChunk();
  }
  return r == IO_END || Fail(std::string("in ") + where + ", " + HeaderDamage());
}

bool LayoutReader::ReadInfo() {
  std::int32_t fps = 0, time = 0;
  std::uint32_t next = 0;
  if (!Get(&in_, fps) || !Get(&in_, time) || !Get(&in_, next)) return Fail("the scene information is cut short");
  if (fps < scenefile::kMinFrameRate || fps > scenefile::kMaxFrameRate)
    return Fail("the frame rate " + std::to_string(fps) + " is out of range");
  layout_.frameRate = fps;
  layout_.time = time;
  layout_.nextHandle = next;
  return true;
}

bool LayoutReader::ReadAnimRange() {
  std::int32_t start = 0, end = 0;
  if (!Get(&in_, start) || !Get(&in_, end)) return Fail("the animation range is cut short");
  if (start > end) return Fail("the animation range ends before it starts");
  layout_.animRange = Interval(start, end);
  return true;
}

bool LayoutReader::ReadObject() {
  StoredObject object;
  bool haveClass = false, haveData = false, haveRefs = false;
  const std::string which = "object #" + std::to_string(layout_.objects.size());
  bool ok = EachChunk(which.c_str(), [&](USHORT id) {
    if (id == scenefile::kObjectClassChunk) {
      std::uint32_t super = 0, a = 0, b = 0;
      if (!Get(&in_, super) || !Get(&in_, a) || !Get(&in_, b)) return Fail(which + ": its class record is cut short");
      object.superClass = super;
      object.classId = Class_ID(a, b);
      haveClass = true;
    } else if (id == scenefile::kObjectDataChunk) {
      object.dataOffset = in_.Position() - ChunkSave::kHeaderSize;
      haveData = true;
    } else if (id == scenefile::kObjectRefsChunk) {
      std::uint32_t n = 0;
      if (!GetCount(&in_, n, 4)) return Fail(which + ": its reference list does not fit its chunk");
      object.refs.resize(n);
      if (n > 0 && in_.Read(object.refs.data(), n * 4, nullptr) != IO_OK)
        return Fail(which + ": its reference list is cut short");
      haveRefs = true;
    }
    return true;
  });
  if (!ok) return false;
  if (!haveClass || !haveData || !haveRefs) return Fail(which + " lacks its class, data or reference record");
  if (!CanCreateStored(object.superClass, object.classId))
    return Fail(which + " is of an unknown class " + DescribeClassIds(object.superClass, object.classId));
  layout_.objects.push_back(std::move(object));
  return true;
}

bool LayoutReader::ReadObjects() {
  return EachChunk("the object list", [&](USHORT id) { return id != scenefile::kObjectChunk || ReadObject(); });
}

bool LayoutReader::ReadNodeTree() {
  std::uint32_t n = 0;
  if (!GetCount(&in_, n, 8)) return Fail("the node tree does not fit its chunk");
  layout_.nodes.resize(n);
  for (StoredNode& node : layout_.nodes)
    if (!Get(&in_, node.object) || !Get(&in_, node.parent)) return Fail("the node tree is cut short");
  return true;
}

bool LayoutReader::CheckIndices() {
  const auto count = static_cast<std::int64_t>(layout_.objects.size());
  for (std::size_t i = 0; i < layout_.objects.size(); ++i)
    for (std::int32_t r : layout_.objects[i].refs)
      if (r < scenefile::kSceneRoot || r >= count)
        return Fail("object #" + std::to_string(i) + " refers to object #" + std::to_string(r) + ", which is not stored");
  std::vector<std::vector<std::int32_t>> refs(layout_.objects.size());
  for (std::size_t i = 0; i < refs.size(); ++i) refs[i] = layout_.objects[i].refs;
  if (int on = FindReferenceCycle(refs); on >= 0)
    return Fail("the references of object #" + std::to_string(on) + " lead back to it");
  // Every node record is in the tree once, after its parent.
  std::vector<int> treePosition(layout_.objects.size(), -1);
  for (std::size_t k = 0; k < layout_.nodes.size(); ++k) {
    const StoredNode& node = layout_.nodes[k];
    if (node.object < 0 || node.object >= count ||
        KindOfClass(layout_.objects[node.object].superClass, layout_.objects[node.object].classId) != StoredKind::Node)
      return Fail("node tree entry " + std::to_string(k) + " is not a stored node");
    if (treePosition[node.object] >= 0) return Fail("node tree entry " + std::to_string(k) + " repeats a node");
    if (node.parent != scenefile::kNoObject &&
        (node.parent < 0 || node.parent >= count || treePosition[node.parent] < 0))
      return Fail("node tree entry " + std::to_string(k) + " has a parent that is not an earlier node");
    treePosition[node.object] = static_cast<int>(k);
  }
  for (std::size_t i = 0; i < layout_.objects.size(); ++i)
    if (KindOfClass(layout_.objects[i].superClass, layout_.objects[i].classId) == StoredKind::Node &&
        treePosition[i] < 0)
      return Fail("node object #" + std::to_string(i) + " is not in the node tree");
  return true;
}

bool LayoutReader::Read() {
  IOResult opened = in_.OpenChunk();
  if (opened == IO_END) return Fail("the file holds no scene");
  if (opened != IO_OK) return Fail("in the scene, " + HeaderDamage());
  if (in_.CurChunkID() != scenefile::kSceneChunk) return Fail("the file does not start with a scene chunk");
  bool haveInfo = false, haveRange = false, haveObjects = false, haveTree = false;
  bool ok = EachChunk("the scene", [&](USHORT id) {
    switch (id) {
      case scenefile::kSceneInfoChunk:
        if (haveInfo) return Fail("a second scene information chunk");
        haveInfo = true;
        return ReadInfo();
      case scenefile::kAnimRangeChunk:
        if (haveRange) return Fail("a second animation range");
        haveRange = true;
        return ReadAnimRange();
      case scenefile::kObjectListChunk:
        if (haveObjects) return Fail("a second object list");
        haveObjects = true;
        return ReadObjects();
      case scenefile::kNodeTreeChunk:
        if (haveTree) return Fail("a second node tree");
        haveTree = true;
        return ReadNodeTree();
      default:
        return true;
    }
  });
  if (!ok) return false;
  if (!haveInfo || !haveObjects || !haveTree) return Fail("the scene lacks its information, object list or node tree");
  in_.CloseChunk();
  if (in_.OpenChunk() != IO_END) return Fail("bytes follow the scene chunk");
  return CheckIndices();
}

}  // namespace

std::span<const std::uint8_t> SceneBody(std::span<const std::uint8_t> file) {
  return file.size() < scenefile::kFileHeaderSize ? std::span<const std::uint8_t>() : file.subspan(scenefile::kFileHeaderSize);
}

bool ReadSceneLayout(std::span<const std::uint8_t> file, SceneLayout& layout, std::string& error) {
  layout = SceneLayout();
  error.clear();
  if (file.size() < scenefile::kFileHeaderSize) {
    error = "the file is too short to be a scene file (" + std::to_string(file.size()) + " bytes)";
    return false;
  }
  if (std::memcmp(file.data(), scenefile::kMagic, sizeof scenefile::kMagic) != 0) {
    error = "the file is not a scene file";
    return false;
  }
  std::uint32_t version = 0;
  std::memcpy(&version, file.data() + sizeof scenefile::kMagic, sizeof version);
  if (version != scenefile::kFormatVersion) {
    error = "the scene file has format version " + std::to_string(version) + "; this host reads version " +
            std::to_string(scenefile::kFormatVersion);
    return false;
  }
  LayoutReader reader(SceneBody(file), layout, error);
  return reader.Read();
}
