#include "host/headless/stream_values.h"

bool PutMatrix(ISave* isave, const Matrix3& m) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c)
      if (!Put(isave, m.m[r][c])) return false;
  return Put(isave, m.flags);
}

bool GetMatrix(ILoad* iload, Matrix3& m) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c)
      if (!Get(iload, m.m[r][c])) return false;
  return Get(iload, m.flags);
}

bool PutBox(ISave* isave, const Box3& b) { return Put(isave, b.pmin) && Put(isave, b.pmax); }

bool GetBox(ILoad* iload, Box3& b) { return Get(iload, b.pmin) && Get(iload, b.pmax); }

bool GetCount(ILoad* iload, std::uint32_t& count, std::uint64_t minElementBytes) {
  if (!Get(iload, count)) return false;
  return std::uint64_t(count) * minElementBytes <= iload->CurChunkRemaining();
}

IOResult ForEachChunk(ILoad* iload, const std::function<bool(USHORT id)>& handle) {
  IOResult res;
  while ((res = iload->OpenChunk()) == IO_OK) {
    bool ok = handle(iload->CurChunkID());
    if (iload->CloseChunk() != IO_OK || !ok) return IO_ERROR;
  }
  return res == IO_END ? IO_OK : IO_ERROR;
}

bool PutChunk(ISave* isave, USHORT id, const std::function<bool()>& write) {
  isave->BeginChunk(id);
  bool ok = write();
  isave->EndChunk();
  return ok;
}
