#include "cli/scene/json_view.h"

#include <cctype>
#include <cmath>
#include <sstream>

namespace {

// A reference token of a JSON pointer: "~" and "/" escaped.
std::string EscapeToken(const std::string& key) {
  std::string out;
  for (char c : key) {
    if (c == '~') out += "~0";
    else if (c == '/') out += "~1";
    else out += c;
  }
  return out;
}

std::string Shown(double v) {
  std::ostringstream s;
  s << v;
  return s.str();
}

}  // namespace

std::string JsonTypeName(const nlohmann::json& value) {
  switch (value.type()) {
    case nlohmann::json::value_t::null: return "null";
    case nlohmann::json::value_t::object: return "an object";
    case nlohmann::json::value_t::array: return "an array";
    case nlohmann::json::value_t::string: return "a string";
    case nlohmann::json::value_t::boolean: return "a boolean";
    case nlohmann::json::value_t::number_integer:
    case nlohmann::json::value_t::number_unsigned:
    case nlohmann::json::value_t::number_float: return "a number";
    default: return "an unsupported value";
  }
}

void JsonView::Fail(const std::string& what) const { throw SceneParseError(ErrorHere(what)); }

const JsonView& JsonView::RequireObject() const {
  if (!value_->is_object()) Fail("must be an object, got " + JsonTypeName(*value_));
  return *this;
}

const JsonView& JsonView::RequireArray() const {
  if (!value_->is_array()) Fail("must be an array, got " + JsonTypeName(*value_));
  return *this;
}

void JsonView::AllowOnly(std::initializer_list<const char*> keys) const {
  RequireObject();
  for (const auto& [key, member] : value_->items()) {
    (void)member;
    bool known = false;
    for (const char* k : keys) known = known || key == k;
    if (!known) {
      std::string list;
      for (const char* k : keys) list += (list.empty() ? "" : ", ") + std::string(k);
      JsonView((*value_)[key], pointer_ + "/" + EscapeToken(key), *file_)
          .Fail("unknown key \"" + key + "\" (expected one of: " + list + ")");
    }
  }
}

bool JsonView::Has(const char* key) const { return value_->is_object() && value_->contains(key); }

JsonView JsonView::operator[](const char* key) const {
  RequireObject();
  auto it = value_->find(key);
  if (it == value_->end()) Fail(std::string("missing required key \"") + key + "\"");
  return JsonView(*it, pointer_ + "/" + EscapeToken(key), *file_);
}

JsonView JsonView::operator[](int index) const {
  RequireArray();
  if (index < 0 || std::size_t(index) >= value_->size()) Fail("has no element " + std::to_string(index));
  return JsonView((*value_)[index], pointer_ + "/" + std::to_string(index), *file_);
}

double JsonView::AsNumber() const {
  if (!value_->is_number()) Fail("must be a number, got " + JsonTypeName(*value_));
  double v = value_->get<double>();
  if (!std::isfinite(v)) Fail("must be a finite number");
  return v;
}

double JsonView::AsNumber(double min, double max) const {
  double v = AsNumber();
  if (v < min) Fail("must be at least " + Shown(min) + ", got " + Shown(v));
  if (v > max) Fail("must be at most " + Shown(max) + ", got " + Shown(v));
  return v;
}

float JsonView::AsFloat() const {
  const double v = AsNumber();
  const float f = static_cast<float>(v);
  if (!std::isfinite(f)) Fail("must be a number a float holds (at most about 3.4e38 in size), got " + Shown(v));
  return f;
}

long long JsonView::AsInteger(long long min, long long max) const {
  double v = AsNumber();
  if (std::floor(v) != v) Fail("must be a whole number, got " + Shown(v));
  if (v < double(min)) Fail("must be at least " + std::to_string(min) + ", got " + Shown(v));
  if (v > double(max)) Fail("must be at most " + std::to_string(max) + ", got " + Shown(v));
  return static_cast<long long>(v);
}

bool JsonView::AsBool() const {
  if (!value_->is_boolean()) Fail("must be true or false, got " + JsonTypeName(*value_));
  return value_->get<bool>();
}

std::string JsonView::AsString() const {
  if (!value_->is_string()) Fail("must be a string, got " + JsonTypeName(*value_));
  return value_->get<std::string>();
}

Point3 JsonView::AsPoint3() const {
  if (!value_->is_array() || value_->size() != 3) Fail("must be an array of three numbers [x, y, z]");
  const JsonView& self = *this;
  return Point3(self[0].AsFloat(), self[1].AsFloat(), self[2].AsFloat());
}

unsigned JsonView::AsColor() const {
  if (value_->is_string()) {
    std::string s = value_->get<std::string>();
    bool ok = s.size() == 7 && s[0] == '#';
    for (std::size_t i = 1; ok && i < s.size(); ++i) ok = std::isxdigit(static_cast<unsigned char>(s[i])) != 0;
    if (!ok) Fail("must be a colour \"#RRGGBB\", got \"" + s + "\"");
    unsigned rgb = static_cast<unsigned>(std::stoul(s.substr(1), nullptr, 16));
    unsigned r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return r | (g << 8) | (b << 16);
  }
  if (value_->is_array() && value_->size() == 3) {
    const JsonView& self = *this;
    unsigned r = unsigned(self[0].AsInteger(0, 255)), g = unsigned(self[1].AsInteger(0, 255)),
             b = unsigned(self[2].AsInteger(0, 255));
    return r | (g << 8) | (b << 16);
  }
  Fail("must be a colour \"#RRGGBB\" or [r, g, b] with 0..255, got " + JsonTypeName(*value_));
}

double JsonView::Number(const char* key, double fallback) const {
  return Has(key) ? (*this)[key].AsNumber() : fallback;
}

double JsonView::Number(const char* key, double fallback, double min, double max) const {
  return Has(key) ? (*this)[key].AsNumber(min, max) : fallback;
}

long long JsonView::Integer(const char* key, long long fallback, long long min, long long max) const {
  return Has(key) ? (*this)[key].AsInteger(min, max) : fallback;
}

bool JsonView::Bool(const char* key, bool fallback) const { return Has(key) ? (*this)[key].AsBool() : fallback; }

std::string JsonView::String(const char* key, const std::string& fallback) const {
  return Has(key) ? (*this)[key].AsString() : fallback;
}

Point3 JsonView::Point(const char* key, const Point3& fallback) const {
  return Has(key) ? (*this)[key].AsPoint3() : fallback;
}
