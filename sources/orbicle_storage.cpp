// Scene storage of the Orbicle: the host's reference data, then chunk 0x5000 with the influence
// tables. Blocks of the four older layouts are converted after the scene is loaded.

#include <iterator>

#include "host/sdk/ioapi.h"
#include "host/sdk/iparamb2_plcb.h"
#include "module/registry/orbicle_parameters.h"
#include "sources/orbicle.h"

namespace {

// Older layouts of the block, entries in id order: type, user type, animatable, id.
ParamBlockDescID kVersion0[] = {
    {TYPE_FLOAT, nullptr, TRUE, 0}, {TYPE_FLOAT, nullptr, TRUE, 1}, {TYPE_FLOAT, nullptr, TRUE, 2},
    {TYPE_INT, nullptr, TRUE, 3},   {TYPE_INT, nullptr, TRUE, 4},   {TYPE_INT, nullptr, FALSE, 5},
};
ParamBlockDescID kVersion1[] = {
    {TYPE_FLOAT, nullptr, TRUE, 0}, {TYPE_FLOAT, nullptr, TRUE, 1}, {TYPE_FLOAT, nullptr, TRUE, 2},
    {TYPE_INT, nullptr, TRUE, 3},   {TYPE_INT, nullptr, TRUE, 4},   {TYPE_INT, nullptr, FALSE, 5},
    {TYPE_INT, nullptr, FALSE, 6},
};
ParamBlockDescID kVersion2[] = {
    {TYPE_FLOAT, nullptr, TRUE, 0}, {TYPE_FLOAT, nullptr, TRUE, 1}, {TYPE_FLOAT, nullptr, TRUE, 2},
    {TYPE_INT, nullptr, TRUE, 3},   {TYPE_INT, nullptr, TRUE, 4},   {TYPE_INT, nullptr, TRUE, 5},
    {TYPE_BOOL, nullptr, TRUE, 6},
};
ParamBlockDescID kVersion3[] = {
    {TYPE_FLOAT, nullptr, TRUE, 0}, {TYPE_FLOAT, nullptr, TRUE, 1}, {TYPE_FLOAT, nullptr, TRUE, 2},
    {TYPE_INT, nullptr, TRUE, 3},   {TYPE_INT, nullptr, TRUE, 4},   {TYPE_INT, nullptr, TRUE, 5},
    {TYPE_BOOL, nullptr, TRUE, 6},  {TYPE_BOOL, nullptr, FALSE, 7}, {TYPE_BOOL, nullptr, FALSE, 8},
};

template <std::size_t N>
constexpr int CountOf(const ParamBlockDescID (&)[N]) { return static_cast<int>(N); }

ParamVersionDesc kVersions[] = {
    ParamVersionDesc(kVersion0, CountOf(kVersion0), 0),
    ParamVersionDesc(kVersion1, CountOf(kVersion1), 1),
    ParamVersionDesc(kVersion2, CountOf(kVersion2), 2),
    ParamVersionDesc(kVersion3, CountOf(kVersion3), 3),
};

}  // namespace

IOResult Orbicle::Save(ISave* isave) {
  PurgeStaleInfluenceTables(tables);
  if (IOResult r = SimpleObject2::Save(isave); r != IO_OK) return r;
  isave->BeginChunk(kOrbicleTablesChunk);
  // On a failure the chunk stays open: the save as a whole fails.
  if (IOResult r = SaveInfluenceTables(tables, isave); r != IO_OK) return r;
  isave->EndChunk();
  return IO_OK;
}

IOResult Orbicle::Load(ILoad* iload) {
  if (IOResult r = SimpleObject2::Load(iload); r != IO_OK) return r;
  iload->RegisterPostLoadCallback(new ParamBlock2PLCB(kVersions, static_cast<int>(std::size(kVersions)),
                                                      &orbicleParameters, this, kOrbicleParamsRef));
  IOResult r;
  while ((r = iload->OpenChunk()) == IO_OK) {
    IOResult read = IO_OK;
    if (iload->CurChunkID() == kOrbicleTablesChunk) read = LoadInfluenceTables(tables, iload);
    const IOResult closed = iload->CloseChunk();
    if (read != IO_OK) return read;
    if (closed != IO_OK) return closed;
  }
  ivalid.SetEmpty();
  return r == IO_END ? IO_OK : r;
}
