#pragma once
// The stored form of a skin's bone table and its bone entries, inside the main chunk.

#include "deformer/bone_table.h"
#include "persistence/skin_chunks/chunk_reader.h"
#include "persistence/skin_chunks/chunk_writer.h"

// The current block: version word, bones, vertices, attachment time and transforms, blendMix.
void WriteBoneTable(ChunkWriter& w, const BoneTable& table);
// Reads a block of any stored version into table, replacing all it held: the stored bones in
// default entries, the vertices, the attachment; the bind frames are rebuilt when the table
// comes out valid. False on a failed read or a size mismatch; the caller then resets the table.
bool ReadBoneTable(ChunkReader& r, BoneTable& table);

// The current entry: version word, settings, attachment shape and transform, per-vertex codes
// and forced weights, and for a spline bone its bindings.
void WriteBoneEntry(ChunkWriter& w, const BoneEntry& entry);
// Reads an entry of any stored version into entry (a default entry or one the same load resized).
bool ReadBoneEntry(ChunkReader& r, BoneEntry& entry);
