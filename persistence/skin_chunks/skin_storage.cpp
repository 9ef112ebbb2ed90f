#include "persistence/skin_chunks/skin_storage.h"

#include <cstdint>
#include <string_view>

#include "deformer/skin_services.h"
#include "deformer/tessarin.h"
#include "module/resources/version_text.h"
#include "persistence/skin_chunks/chunk_reader.h"
#include "persistence/skin_chunks/chunk_writer.h"
#include "persistence/skin_chunks/main_chunk_io.h"
#include "persistence/skin_chunks/param_block_conversion.h"
#include "persistence/skin_chunks/set_names_io.h"
#include "persistence/skin_chunks/skin_chunk_layout.h"

using namespace skinchunks;

namespace {

// Marks the data as the skin's; nothing reads it back.
constexpr std::string_view kTagText = "Tessarin skin";
static_assert(kTagText.size() <= 13);

void WriteTag(ChunkWriter& w) {
  w.Put(static_cast<std::uint64_t>(kTagText.size()));
  w.Bytes(kTagText.data(), kTagText.size());
  w.Put(static_cast<std::uint32_t>(kTessarinVersionCode));
}

// The handler of one open chunk; false when the load must fail.
bool ReadChunk(Tessarin& skin, ILoad* iload) {
  ChunkReader r(iload);
  switch (iload->CurChunkID()) {
    case kOldMainChunk:
    case kMainChunk: {
      std::int32_t version = 0;
      if (!r.Get(version)) return false;
      skin.settings.loadedVersion = version;
      return ReadMainChunk(r, skin, version);
    }
    case kSetNamesChunk:
      return ReadSetNames(r, skin.settings);
    case kStampChunk:
      return r.Get(skin.instanceStamp);
    case kOldSpareChunk:
    case kTagChunk:
      // Read and discarded, whatever they hold: closing the chunk passes over them.
      return true;
    default:
      return true;
  }
}

// The empty, unattached table of a new modifier.
void ResetBoneTable(Tessarin& skin) {
  skin.table = BoneTable();
  skin.cache.Invalidate();
}

IOResult SaveService(Tessarin& skin, ISave* isave) { return SaveSkin(skin, isave); }
IOResult LoadService(Tessarin& skin, ILoad* iload) { return LoadSkin(skin, iload); }
int RemapService(Tessarin& skin, int iref) { return RemapSkinRefOnLoad(skin, iref); }

}  // namespace

IOResult SaveSkin(Tessarin& skin, ISave* isave) {
  const IOResult base = skin.Modifier::Save(isave);
  if (base != IO_OK) return base;
  ChunkWriter w(isave);
  w.Chunk(kTagChunk, [&] { WriteTag(w); });
  w.Chunk(kMainChunk, [&] { WriteMainChunk(w, skin); });
  w.Chunk(kSetNamesChunk, [&] { WriteSetNames(w, skin.settings); });
  w.Chunk(kStampChunk, [&] { w.Put(skin.instanceStamp); });
  return w.Result();
}

IOResult LoadSkin(Tessarin& skin, ILoad* iload) {
  const IOResult base = skin.Modifier::Load(iload);
  if (base != IO_OK) return base;
  RegisterParamBlockConversion(skin, iload);
  for (;;) {
    const IOResult opened = iload->OpenChunk();
    if (opened == IO_END) return IO_OK;
    if (opened != IO_OK) return opened;
    const bool ok = ReadChunk(skin, iload);
    iload->CloseChunk();
    if (!ok) {
      ResetBoneTable(skin);
      return IO_ERROR;
    }
  }
}

int RemapSkinRefOnLoad(const Tessarin& skin, int iref) {
  if (skin.settings.loadedVersion >= kMainWithCurrentRefs) return iref;
  return iref > 0 ? iref + 1 : iref;
}

void InstallSkinStorage() {
  SkinServices& services = GetSkinServices();
  services.save = &SaveService;
  services.load = &LoadService;
  services.remapRefOnLoad = &RemapService;
}
