// Scene storage of the Fluxel: chunk 0x4000 with the influence tables. A block of the one older
// layout is converted after the scene is loaded.

#include <iterator>

#include "host/sdk/ioapi.h"
#include "host/sdk/iparamb2_plcb.h"
#include "module/registry/fluxel_parameters.h"
#include "sources/fluxel.h"

namespace {

// Version 1: three integers, entries in id order: origin, blend, direction.
ParamBlockDescID kVersion1[] = {
    {TYPE_INT, nullptr, FALSE, fluxel_param::origin},
    {TYPE_INT, nullptr, TRUE, fluxel_param::blend},
    {TYPE_INT, nullptr, FALSE, fluxel_param::direction},
};

ParamVersionDesc kVersions[] = {ParamVersionDesc(kVersion1, static_cast<int>(std::size(kVersion1)), 1)};

}  // namespace

IOResult Fluxel::Save(ISave* isave) {
  PurgeStaleInfluenceTables(tables);
  isave->BeginChunk(kFluxelTablesChunk);
  if (IOResult r = SaveInfluenceTables(tables, isave); r != IO_OK) return r;
  isave->EndChunk();
  return IO_OK;
}

IOResult Fluxel::Load(ILoad* iload) {
  firstEvaluationDone = false;
  iload->RegisterPostLoadCallback(new ParamBlock2PLCB(kVersions, static_cast<int>(std::size(kVersions)),
                                                      &fluxelParameters, this, kFluxelParamsRef));
  IOResult r;
  while ((r = iload->OpenChunk()) == IO_OK) {
    IOResult read = IO_OK;
    if (iload->CurChunkID() == kFluxelTablesChunk) read = LoadInfluenceTables(tables, iload);
    const IOResult closed = iload->CloseChunk();
    if (read != IO_OK) return read;
    if (closed != IO_OK) return closed;
  }
  return r == IO_END ? IO_OK : r;
}
