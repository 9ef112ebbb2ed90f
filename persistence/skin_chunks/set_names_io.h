#pragma once
// The names of the named vertex and bone selection sets: slots 0 to 30 of each level, each
// stored in a field of 256 bytes behind a presence flag.

#include <string>
#include <string_view>

#include "deformer/skin_settings.h"
#include "persistence/skin_chunks/chunk_reader.h"
#include "persistence/skin_chunks/chunk_writer.h"

void WriteSetNames(ChunkWriter& w, const SkinSettings& s);
// Every slot 0 to 30 of both levels is set (a slot stored without a name becomes empty). False on
// a failed read.
bool ReadSetNames(ChunkReader& r, SkinSettings& s);

// The part of a UTF-8 name that fits a field with its terminating zero: at most 255 bytes, cut
// before a character rather than inside one.
std::string_view StoredSetName(std::string_view name);
