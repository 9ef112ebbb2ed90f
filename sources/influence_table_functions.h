#pragma once
// The two script functions of the Orbicle and Fluxel interfaces on a source's influence tables.
// Vertex numbers are 1-based. Both first check that tessarin is a Tessarin modifier and that
// 1 <= vertex <= its vertexCount, and reach the table through the access rule with the skin's
// instanceStamp and vertexCount (so a missing or mis-sized table becomes one of all 1.0).

#include "host/sdk/ref.h"
#include "sources/influence_table.h"

// The influence on the vertex; -1.0 for a first argument that is not a skin modifier, a vertex
// out of range, or a standard exception in the lookup.
float GetInfluence(InfluenceTables& tables, ReferenceTarget* tessarin, int vertex);

// Stores value clamped to 0 .. 1 and answers TRUE; FALSE (nothing changed) in the cases where
// GetInfluence answers -1.0, and for a value that is not a number.
BOOL SetInfluence(InfluenceTables& tables, ReferenceTarget* tessarin, int vertex, float value);
