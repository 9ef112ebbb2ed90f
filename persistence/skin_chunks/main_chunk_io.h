#pragma once
// The skin's main chunk: settings, colour tables, kept values, the bone table block and the
// vertex selection.

#include <cstdint>

#include "persistence/skin_chunks/chunk_reader.h"
#include "persistence/skin_chunks/chunk_writer.h"

class Tessarin;

// The current layout, version word first.
void WriteMainChunk(ChunkWriter& w, const Tessarin& skin);
// The rest of a main chunk whose version word, already read, is version. False when the version
// is not one the chunk was ever written with, on a failed read or on a size mismatch; settings
// read before the failure keep their new values.
bool ReadMainChunk(ChunkReader& r, Tessarin& skin, std::int32_t version);
