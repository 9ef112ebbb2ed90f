// Scene storage of the host's helper, spline, bone and container classes.

#include "host/headless/builtin_objects.h"
#include "host/headless/scene_file_format.h"
#include "host/headless/stream_values.h"

IOResult DummyObject::Save(ISave* isave) {
  return PutChunk(isave, scenefile::kDummyBoxChunk, [&] { return PutBox(isave, box); }) ? IO_OK : IO_ERROR;
}

IOResult DummyObject::Load(ILoad* iload) {
  return ForEachChunk(iload, [&](USHORT id) { return id != scenefile::kDummyBoxChunk || GetBox(iload, box); });
}

// Curves as a u32 count, then per curve: u8 closed, u8 smooth, the knots as a point array.
IOResult SplineShapeObject::Save(ISave* isave) {
  bool ok = PutChunk(isave, scenefile::kSplineCurvesChunk, [&] {
    if (!Put(isave, std::uint32_t(curves.size()))) return false;
    for (const SplineCurve& c : curves)
      if (!Put(isave, std::uint8_t(c.closed ? 1 : 0)) || !Put(isave, std::uint8_t(c.smooth ? 1 : 0)) ||
          !PutArray(isave, c.knots))
        return false;
    return true;
  });
  return ok ? IO_OK : IO_ERROR;
}

IOResult SplineShapeObject::Load(ILoad* iload) {
  return ForEachChunk(iload, [&](USHORT id) {
    if (id != scenefile::kSplineCurvesChunk) return true;
    std::uint32_t n = 0;
    if (!GetCount(iload, n, 1 + 1 + 4)) return false;
    curves.assign(n, SplineCurve());
    for (SplineCurve& c : curves) {
      std::uint8_t closed = 0, smooth = 0;
      if (!Get(iload, closed) || !Get(iload, smooth) || !GetArray(iload, c.knots)) return false;
      c.closed = closed != 0;
      c.smooth = smooth != 0;
    }
    return true;
  });
}

IOResult BoneGeometryObject::Save(ISave* isave) {
  bool ok = PutChunk(isave, scenefile::kBoneSizeChunk,
                     [&] { return Put(isave, length) && Put(isave, width) && Put(isave, height); });
  return ok ? IO_OK : IO_ERROR;
}

IOResult BoneGeometryObject::Load(ILoad* iload) {
  return ForEachChunk(iload, [&](USHORT id) {
    return id != scenefile::kBoneSizeChunk || (Get(iload, length) && Get(iload, width) && Get(iload, height));
  });
}

// The items are references; the data says how many slots there are, one byte each (1 when the
// slot held an item), so that the count is bounded by the bytes that carry it.
IOResult RefTargContainer::Save(ISave* isave) {
  bool ok = PutChunk(isave, scenefile::kContainerItemsChunk, [&] {
    if (!Put(isave, std::uint32_t(items_.size()))) return false;
    for (ReferenceTarget* item : items_)
      if (!Put(isave, std::uint8_t(item ? 1 : 0))) return false;
    return true;
  });
  return ok ? IO_OK : IO_ERROR;
}

IOResult RefTargContainer::Load(ILoad* iload) {
  return ForEachChunk(iload, [&](USHORT id) {
    if (id != scenefile::kContainerItemsChunk) return true;
    std::uint32_t n = 0;
    if (!GetCount(iload, n, 1)) return false;
    DeleteAllRefs();
    items_.assign(n, nullptr);
    return true;
  });
}
