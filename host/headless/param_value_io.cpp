#include "host/headless/param_value_io.h"

#include <cmath>
#include <limits>
#include <string>

#include "host/headless/stream_values.h"
#include "host/headless/utf8_text.h"
#include "host/sdk/inode.h"

bool IsStorableParamType(int t) {
  switch (t) {
    case TYPE_FLOAT: case TYPE_INT: case TYPE_RGBA: case TYPE_POINT3: case TYPE_BOOL: case TYPE_ANGLE:
    case TYPE_PCNT_FRAC: case TYPE_WORLD: case TYPE_STRING: case TYPE_INODE: case TYPE_TIMEVALUE:
      return true;
    default:
      return false;
  }
}

ParamKind KindOf(ParamType2 t) {
  switch (t) {
    case TYPE_INT: case TYPE_BOOL: case TYPE_TIMEVALUE: return ParamKind::Integer;
    case TYPE_RGBA: case TYPE_POINT3: return ParamKind::Point;
    case TYPE_STRING: return ParamKind::Text;
    case TYPE_INODE: return ParamKind::Node;
    default: return ParamKind::Real;
  }
}

std::uint64_t MinStoredValueBytes(ParamType2 t) { return KindOf(t) == ParamKind::Point ? 12 : 4; }

bool PutParamValue(ISave* isave, ParamType2 type, const PB2Value& v) {
  switch (KindOf(type)) {
    case ParamKind::Integer: return Put(isave, std::int32_t(v.i));
    case ParamKind::Real: return Put(isave, v.f);
    case ParamKind::Point: return Put(isave, v.p);
    case ParamKind::Node: return Put(isave, std::int32_t(v.r ? isave->GetRefID(v.r) : -1));
    case ParamKind::Text: {
      std::string text = WideToUtf8Text(v.s);
      if (text.size() > 0xFFFFFFFFu) return false;
      auto n = static_cast<std::uint32_t>(text.size());
      return Put(isave, n) && isave->Write(text.data(), n, nullptr) == IO_OK;
    }
  }
  return false;
}

bool GetParamValue(ILoad* iload, ParamType2 type, PB2Value& v) {
  v = PB2Value();
  v.type = type;
  switch (KindOf(type)) {
    case ParamKind::Integer: {
      std::int32_t i = 0;
      if (!Get(iload, i)) return false;
      v.i = i;
      return true;
    }
    case ParamKind::Real: return Get(iload, v.f);
    case ParamKind::Point: return Get(iload, v.p);
    case ParamKind::Node: {
      std::int32_t index = -1;
      if (!Get(iload, index)) return false;
      auto* target = static_cast<ReferenceTarget*>(iload->GetAddr(index));
      v.r = target && target->SuperClassID() == BASENODE_CLASS_ID ? target : nullptr;
      return true;
    }
    case ParamKind::Text: {
      std::uint32_t n = 0;
      if (!GetCount(iload, n, 1)) return false;
      std::string text(n, '\0');
      if (n > 0 && iload->Read(text.data(), n, nullptr) != IO_OK) return false;
      std::optional<std::wstring> wide = Utf8TextToWide(text);
      if (!wide) return false;
      v.s = std::move(*wide);
      return true;
    }
  }
  return false;
}

std::optional<PB2Value> ConvertParamValue(const PB2Value& v, ParamType2 to) {
  ParamKind from = KindOf(v.type), kind = KindOf(to);
  PB2Value out = v;
  out.type = to;
  if (from == kind) return out;
  if (from == ParamKind::Integer && kind == ParamKind::Real) {
    out.f = static_cast<float>(v.i);
    return out;
  }
  if (from == ParamKind::Real && kind == ParamKind::Integer) {
    constexpr float kTwo31 = 2147483648.0f;
    out.i = std::isnan(v.f)    ? 0
            : v.f <= -kTwo31 ? std::numeric_limits<int>::min()
            : v.f >= kTwo31  ? std::numeric_limits<int>::max()
                             : static_cast<int>(v.f);
    return out;
  }
  return std::nullopt;
}
