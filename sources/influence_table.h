#pragma once
// Influence tables of an influence source (an Orbicle or a Fluxel): one table per skin modifier
// the source acts on, keyed by the skin's instanceStamp. A table holds one value per vertex of
// that skin's mesh, in the mesh's vertex order: the share of the push-out applied to the vertex,
// 0 none, 1 full. The map is iterated in ascending key order, which is also the stored order.

#include <cstdint>
#include <map>
#include <vector>

#include "host/sdk/maxtypes.h"

class ISave;
class ILoad;

using InfluenceTables = std::map<std::uint64_t, std::vector<float>>;

// The default influence of a vertex that has no painted value.
inline constexpr float kDefaultInfluence = 1.0f;

// The single access rule through which every reader and writer reaches a table (the push-out
// passes, the painter, the published functions): the table under stamp when it holds exactly
// count values; otherwise a new table of count values, all 1.0, replaces whatever was there (or
// is inserted) and is returned. A size mismatch thus resets the whole table. A count below 0 is
// taken as 0. May throw std::bad_alloc.
std::vector<float>& AccessInfluenceTable(InfluenceTables& tables, std::uint64_t stamp, int count);

// Erases every table whose key is not in liveStamps (any order, duplicates allowed).
void PurgeInfluenceTables(InfluenceTables& tables, const std::vector<std::uint64_t>& liveStamps);

// Erases the tables of skin modifiers that no longer exist: every key that is not the
// instanceStamp of a Tessarin modifier in the scene. Sources run it before saving and cloning.
void PurgeStaleInfluenceTables(InfluenceTables& tables);

// Stored form, little-endian, fields back to back: u64 table count; per table in ascending key
// order u64 key, u64 value count n, n × f32. SavedSizeOfInfluenceTables is its byte count.
std::uint64_t SavedSizeOfInfluenceTables(const InfluenceTables& tables);
// Writes the stored form into the current chunk; the first write failure is returned at once.
IOResult SaveInfluenceTables(const InfluenceTables& tables, ISave* isave);
// Reads the stored form from the rest of the current chunk. The collection is emptied first; a
// later key replaces an earlier equal one. A value count whose bytes exceed what the chunk still
// holds fails before anything is allocated for it. On a failure IO_ERROR is returned and the
// tables read completely so far stay.
IOResult LoadInfluenceTables(InfluenceTables& tables, ILoad* iload);
