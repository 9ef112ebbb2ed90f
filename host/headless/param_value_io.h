#pragma once
// Stored form of parameter values, shared by the current and the old-style parameter blocks:
// integers, booleans and times as i32; floats, angles, fractions and distances as f32; points
// and colours as three f32; strings as u32 byte count and UTF-8; nodes as i32 object index.

#include <cstdint>
#include <optional>

#include "host/sdk/ioapi.h"
#include "host/sdk/iparamb2.h"

// Whether values of type t can be stored.
bool IsStorableParamType(int t);
// The fewest bytes a stored value of type t takes.
std::uint64_t MinStoredValueBytes(ParamType2 t);

bool PutParamValue(ISave* isave, ParamType2 type, const PB2Value& v);
// Reads a value of type into v (v.type = type). A node index is resolved through GetAddr; an
// index that names no node reads as none.
bool GetParamValue(ILoad* iload, ParamType2 type, PB2Value& v);

// The kind a value belongs to: values convert freely within a kind.
enum class ParamKind { Integer, Real, Point, Text, Node };
ParamKind KindOf(ParamType2 t);
// v as a value of type `to`: within a kind unchanged, integers and reals across (reals
// truncated toward zero, clamped to the i32 range, NaN as 0); nothing across other kinds.
std::optional<PB2Value> ConvertParamValue(const PB2Value& v, ParamType2 to);
