// Writing the scene file: every object the nodes reach is numbered (depth first, nodes in scene
// order), checked for being loadable, and written with its class, its data and its references.

#include <map>
#include <string>
#include <vector>

#include "host/headless/chunk_save.h"
#include "host/headless/headless_host.h"
#include "host/headless/param_block.h"
#include "host/headless/param_value_io.h"
#include "host/headless/reference_graph.h"
#include "host/headless/scene_classes.h"
#include "host/headless/scene_file.h"
#include "host/headless/scene_file_format.h"
#include "host/headless/stream_values.h"

namespace {

class SceneWriter {
public:
  explicit SceneWriter(const SceneSaveOptions* options) : options_(options) {}

  bool Write(std::vector<std::uint8_t>& bytes, std::string& error);

private:
  std::vector<ReferenceTarget*> StoredRefs(ReferenceTarget* object);
  void Collect();
  int IndexOf(ReferenceTarget* target) const;
  bool CheckStorable(std::string& error);
  bool WriteObject(int index, std::string& error);

  const SceneSaveOptions* options_;
  HeadlessHost& host_ = TheHost();
  std::vector<SceneNode*> nodes_;
  std::vector<ReferenceTarget*> objects_;  // index order
  std::map<ReferenceTarget*, int> index_;
  ChunkSave save_;
};

std::vector<ReferenceTarget*> SceneWriter::StoredRefs(ReferenceTarget* object) {
  if (options_) {
    auto it = options_->storedReferences.find(object);
    if (it != options_->storedReferences.end()) return it->second;
  }
  std::vector<ReferenceTarget*> refs(object->NumRefs() > 0 ? object->NumRefs() : 0);
  for (std::size_t i = 0; i < refs.size(); ++i) refs[i] = object->GetReference(static_cast<int>(i));
  return refs;
}

void SceneWriter::Collect() {
  // Depth first without recursion: reference chains may be long.
  struct Frame {
    std::vector<ReferenceTarget*> refs;
    std::size_t next = 0;
  };
  INode* root = host_.GetRootNode();
  nodes_ = host_.AllNodes();
  for (SceneNode* start : nodes_) {
    if (index_.count(start)) continue;
    std::vector<Frame> stack;
    auto visit = [&](ReferenceTarget* t) {
      if (!t || t == root || index_.count(t)) return;
      index_[t] = static_cast<int>(objects_.size());
      objects_.push_back(t);
      stack.push_back({StoredRefs(t), 0});
    };
    visit(start);
    while (!stack.empty()) {
      Frame& top = stack.back();
      if (top.next == top.refs.size()) {
        stack.pop_back();
        continue;
      }
      visit(top.refs[top.next++]);
    }
  }
}

int SceneWriter::IndexOf(ReferenceTarget* target) const {
  if (!target) return scenefile::kNoObject;
  if (target == host_.GetRootNode()) return scenefile::kSceneRoot;
  auto it = index_.find(target);
  return it == index_.end() ? scenefile::kNoObject : it->second;
}

bool SceneWriter::CheckStorable(std::string& error) {
  int fps = host_.GetFrameRate();
  if (fps < scenefile::kMinFrameRate || fps > scenefile::kMaxFrameRate) {
    error = "the frame rate " + std::to_string(fps) + " cannot be stored";
    return false;
  }
  std::vector<std::vector<std::int32_t>> refs(objects_.size());
  for (std::size_t i = 0; i < objects_.size(); ++i)
    for (ReferenceTarget* t : StoredRefs(objects_[i])) refs[i].push_back(IndexOf(t));
  if (int on = FindReferenceCycle(refs); on >= 0) {
    error = "the references of " + DescribeObject(objects_[on]) + " lead back to it";
    return false;
  }
  for (std::size_t i = 0; i < objects_.size(); ++i) {
    ReferenceTarget* object = objects_[i];
    const std::string what = "object #" + std::to_string(i) + " " + DescribeObject(object);
    switch (KindOfClass(object->SuperClassID(), object->ClassID())) {
      case StoredKind::Node:
        if (!dynamic_cast<SceneNode*>(object)) {
          error = what + " is a node of another kind than the scene's";
          return false;
        }
        break;
      case StoredKind::ParamBlock2: {
        auto* block = dynamic_cast<ParamBlock2*>(object);
        ParamBlockDesc2* desc = block ? block->GetDesc() : nullptr;
        if (!desc || !desc->cd || host_.FindClass(desc->cd->SuperClassID(), desc->cd->ClassID()) != desc->cd) {
          error = what + ": its descriptor's class is not registered, so the block could not be loaded";
          return false;
        }
        for (const ParamDef& def : desc->paramdefs)
          if (!IsStorableParamType(def.type)) {
            error = what + ": parameter " + std::to_string(def.ID) + " is of type " + std::to_string(def.type) +
                    ", which the scene file does not hold";
            return false;
          }
        break;
      }
      case StoredKind::Registered:
        if (!host_.FindClass(object->SuperClassID(), object->ClassID())) {
          error = what + ": the class is not registered, so the object could not be loaded";
          return false;
        }
        break;
      default:
        break;
    }
  }
  return true;
}

bool SceneWriter::WriteObject(int index, std::string& error) {
  ReferenceTarget* object = objects_[index];
  const std::string what = "object #" + std::to_string(index) + " " + DescribeObject(object);
  save_.BeginChunk(scenefile::kObjectChunk);
  PutChunk(&save_, scenefile::kObjectClassChunk, [&] {
    return Put(&save_, std::uint32_t(object->SuperClassID())) && Put(&save_, std::uint32_t(object->ClassID().PartA())) &&
           Put(&save_, std::uint32_t(object->ClassID().PartB()));
  });

  save_.BeginChunk(scenefile::kObjectDataChunk);
  const int depth = save_.CurChunkDepth();
  const int oldFloor = save_.SetFloor(depth);
  IOResult result = IO_OK;
  const std::vector<std::uint8_t>* raw = nullptr;
  if (options_) {
    auto it = options_->storedData.find(object);
    if (it != options_->storedData.end()) raw = &it->second;
  }
  if (raw) {
    result = raw->empty() ? IO_OK : save_.Write(raw->data(), static_cast<ULONG>(raw->size()), nullptr);
  } else {
    result = object->Save(&save_);
  }
  save_.SetFloor(oldFloor);
  if (result != IO_OK && !save_.Failed()) {
    error = what + ": its Save failed";
    return false;
  }
  if (save_.CurChunkDepth() != depth) {
    error = what + ": its Save left " + std::to_string(save_.CurChunkDepth() - depth) + " chunk(s) open";
    return false;
  }
  if (save_.Failed()) {
    error = what + ": " + save_.Error();
    return false;
  }
  save_.EndChunk();

  PutChunk(&save_, scenefile::kObjectRefsChunk, [&] {
    std::vector<ReferenceTarget*> refs = StoredRefs(object);
    if (!Put(&save_, std::uint32_t(refs.size()))) return false;
    for (ReferenceTarget* t : refs)
      if (!Put(&save_, std::int32_t(IndexOf(t)))) return false;
    return true;
  });
  save_.EndChunk();
  return true;
}

bool SceneWriter::Write(std::vector<std::uint8_t>& bytes, std::string& error) {
  Collect();
  if (!CheckStorable(error)) return false;
  for (std::size_t i = 0; i < objects_.size(); ++i) save_.SetRefID(objects_[i], static_cast<int>(i));

  save_.Write(scenefile::kMagic, sizeof scenefile::kMagic, nullptr);
  Put(&save_, scenefile::kFormatVersion);
  save_.BeginChunk(scenefile::kSceneChunk);
  PutChunk(&save_, scenefile::kSceneInfoChunk, [&] {
    return Put(&save_, std::int32_t(host_.GetFrameRate())) && Put(&save_, std::int32_t(host_.GetTime())) &&
           Put(&save_, std::uint32_t(host_.NextHandle()));
  });
  PutChunk(&save_, scenefile::kAnimRangeChunk, [&] {
    return Put(&save_, std::int32_t(host_.AnimRange().Start())) && Put(&save_, std::int32_t(host_.AnimRange().End()));
  });
  save_.BeginChunk(scenefile::kObjectListChunk);
  for (std::size_t i = 0; i < objects_.size(); ++i)
    if (!WriteObject(static_cast<int>(i), error)) return false;
  save_.EndChunk();
  PutChunk(&save_, scenefile::kNodeTreeChunk, [&] {
    if (!Put(&save_, std::uint32_t(nodes_.size()))) return false;
    for (SceneNode* node : nodes_) {
      INode* parent = node->GetParentNode();
      if (!Put(&save_, std::int32_t(IndexOf(node))) ||
          !Put(&save_, std::int32_t(parent && !parent->IsRootNode() ? IndexOf(parent) : scenefile::kNoObject)))
        return false;
    }
    return true;
  });
  save_.EndChunk();
  if (save_.Failed()) {
    error = save_.Error();
    return false;
  }
  bytes = save_.TakeBytes();
  return true;
}

}  // namespace

bool SaveSceneToBytes(std::vector<std::uint8_t>& bytes, std::string* error, const SceneSaveOptions* options) {
  std::string why;
  SceneWriter writer(options);
  if (writer.Write(bytes, why)) return true;
  if (error) *error = "the scene cannot be saved: " + why;
  return false;
}
