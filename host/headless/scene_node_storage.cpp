// Scene storage of a node's own fields. Loading sets them directly: the node is not part of a
// live scene yet, so there is nobody to notify.

#include "host/headless/scene_file_format.h"
#include "host/headless/scene_node.h"
#include "host/headless/stream_values.h"

namespace {

template <class T>
bool PutKeys(ISave* isave, const std::map<TimeValue, T>& keys) {
  if (!Put(isave, std::uint32_t(keys.size()))) return false;
  for (const auto& [t, v] : keys)
    if (!Put(isave, std::int32_t(t)) || !Put(isave, v)) return false;
  return true;
}

template <class T>
bool GetKeys(ILoad* iload, std::map<TimeValue, T>& keys) {
  std::uint32_t n = 0;
  if (!GetCount(iload, n, 4 + sizeof(T))) return false;
  keys.clear();
  for (std::uint32_t k = 0; k < n; ++k) {
    std::int32_t t = 0;
    T v;
    if (!Get(iload, t) || !Get(iload, v)) return false;
    keys[t] = v;
  }
  return true;
}

}  // namespace

IOResult SceneNode::Save(ISave* isave) {
  bool ok = PutChunk(isave, scenefile::kNodeInfoChunk, [&] {
    return Put(isave, std::uint32_t(handle_)) && Put(isave, std::uint32_t(wireColor_)) &&
           Put(isave, std::uint8_t(selected_ ? 1 : 0)) && Put(isave, std::int32_t(vertexColorType_)) &&
           Put(isave, std::int32_t(cvertMode_)) && Put(isave, std::int32_t(shadeCVerts_)) &&
           Put(isave, std::int32_t(vertexColorMapChannel_));
  });
  ok = ok && PutChunk(isave, scenefile::kNodeNameChunk, [&] { return isave->WriteWString(name_.c_str()) == IO_OK; });
  ok = ok && PutChunk(isave, scenefile::kNodeTrackChunk, [&] {
    return Put(isave, track_.position) && Put(isave, track_.rotation) && Put(isave, track_.scale) &&
           PutKeys(isave, track_.positionKeys) && PutKeys(isave, track_.rotationKeys) &&
           PutKeys(isave, track_.scaleKeys);
  });
  ok = ok && PutChunk(isave, scenefile::kNodeOffsetChunk, [&] {
    return Put(isave, offsetPos_) && Put(isave, offsetRot_) && Put(isave, offsetScale_.s) &&
           Put(isave, offsetScale_.q);
  });
  return ok ? IO_OK : IO_ERROR;
}

IOResult SceneNode::Load(ILoad* iload) {
  return ForEachChunk(iload, [&](USHORT id) {
    switch (id) {
      case scenefile::kNodeInfoChunk: {
        std::uint32_t handle = 0, wire = 0;
        std::uint8_t selected = 0;
        std::int32_t colorType = 0, cvert = 0, shade = 0, channel = 0;
        if (!Get(iload, handle) || !Get(iload, wire) || !Get(iload, selected) || !Get(iload, colorType) ||
            !Get(iload, cvert) || !Get(iload, shade) || !Get(iload, channel))
          return false;
        handle_ = handle;
        wireColor_ = wire;
        selected_ = selected != 0;
        vertexColorType_ = colorType;
        cvertMode_ = cvert;
        shadeCVerts_ = shade;
        vertexColorMapChannel_ = channel;
        return true;
      }
      case scenefile::kNodeNameChunk:
        return iload->ReadWStringChunk(name_) == IO_OK;
      case scenefile::kNodeTrackChunk:
        return Get(iload, track_.position) && Get(iload, track_.rotation) && Get(iload, track_.scale) &&
               GetKeys(iload, track_.positionKeys) && GetKeys(iload, track_.rotationKeys) &&
               GetKeys(iload, track_.scaleKeys);
      case scenefile::kNodeOffsetChunk:
        return Get(iload, offsetPos_) && Get(iload, offsetRot_) && Get(iload, offsetScale_.s) &&
               Get(iload, offsetScale_.q);
      default:
        return true;
    }
  });
}
