// Scene storage of a node's own fields. Loading sets them directly: the node is not part of a
// live scene yet, so there is nobody to notify.

#include <cmath>
#include <string>

#include "host/headless/chunk_load.h"
#include "host/headless/scene_file_format.h"
#include "host/headless/scene_node.h"
#include "host/headless/stream_values.h"
#include "host/headless/utf8_text.h"

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

bool Finite(const Point3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }
bool Finite(const Quat& q) { return std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) && std::isfinite(q.w); }

// Where a track holds a value that is not a finite number ("the position key at tick 160"), or
// empty. Such a value would turn every point the node carries into not-a-number.
template <class T>
std::string BadKey(const char* part, const std::map<TimeValue, T>& keys) {
  for (const auto& [t, v] : keys)
    if (!Finite(v)) return std::string("the ") + part + " key at tick " + std::to_string(t);
  return {};
}

std::string BadTrackValue(const TransformTrack& track) {
  if (!Finite(track.position)) return "the position";
  if (!Finite(track.rotation)) return "the rotation";
  if (!Finite(track.scale)) return "the scale";
  for (std::string bad : {BadKey("position", track.positionKeys), BadKey("rotation", track.rotationKeys),
                          BadKey("scale", track.scaleKeys)})
    if (!bad.empty()) return bad;
  return {};
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
  nodeTMValid_ = NEVER;  // the track is about to change under the cache
  auto Named = [this](const std::string& what) { return "node \"" + WideToUtf8Text(name_) + "\": " + what; };
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
      case scenefile::kNodeTrackChunk: {
        if (!Get(iload, track_.position) || !Get(iload, track_.rotation) || !Get(iload, track_.scale) ||
            !GetKeys(iload, track_.positionKeys) || !GetKeys(iload, track_.rotationKeys) ||
            !GetKeys(iload, track_.scaleKeys))
          return false;
        const std::string bad = BadTrackValue(track_);
        if (!bad.empty()) NoteLoadProblem(iload, Named(bad + " of its transform is not a finite number"));
        return bad.empty();
      }
      case scenefile::kNodeOffsetChunk: {
        if (!Get(iload, offsetPos_) || !Get(iload, offsetRot_) || !Get(iload, offsetScale_.s) ||
            !Get(iload, offsetScale_.q))
          return false;
        const bool finite = Finite(offsetPos_) && Finite(offsetRot_) && Finite(offsetScale_.s) && Finite(offsetScale_.q);
        if (!finite) NoteLoadProblem(iload, Named("its object offset is not made of finite numbers"));
        return finite;
      }
      default:
        return true;
    }
  });
}
