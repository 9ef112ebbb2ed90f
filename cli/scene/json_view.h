#pragma once
// Typed reading of a JSON value with its place in the document: every failure names the file
// and the JSON pointer of the offending value, and throws SceneParseError.

#include <nlohmann/json.hpp>

#include <initializer_list>
#include <optional>
#include <string>

#include "cli/scene/scene_error.h"
#include "host/sdk/point3.h"

class JsonView {
public:
  JsonView(const nlohmann::json& value, std::string pointer, const std::string& file)
      : value_(&value), pointer_(std::move(pointer)), file_(&file) {}

  const nlohmann::json& Value() const { return *value_; }
  const std::string& Pointer() const { return pointer_; }
  const std::string& File() const { return *file_; }

  [[noreturn]] void Fail(const std::string& what) const;
  // A SceneError for this place (for callers that collect rather than throw).
  SceneError ErrorHere(const std::string& what) const { return {*file_, pointer_, what}; }

  // The value must be an object / an array.
  const JsonView& RequireObject() const;
  const JsonView& RequireArray() const;
  // Every key must be one of these (catches typos such as "postion").
  void AllowOnly(std::initializer_list<const char*> keys) const;

  bool Has(const char* key) const;
  JsonView operator[](const char* key) const;  // the member, which must exist
  JsonView operator[](int index) const;  // int, so that literal 0 is not taken for a key
  std::size_t Size() const { return value_->size(); }

  // The value itself, checked for type (and range where given).
  double AsNumber() const;
  double AsNumber(double min, double max) const;
  // A number that stays finite as a float (checked after narrowing: 1e39 is a finite double).
  float AsFloat() const;
  // An integer: a number without fraction within [min, max].
  long long AsInteger(long long min, long long max) const;
  bool AsBool() const;
  std::string AsString() const;
  // Three numbers [x, y, z], each as AsFloat.
  Point3 AsPoint3() const;
  // A colour "#RRGGBB" or [r, g, b] in 0..255, as the host's 0x00BBGGRR.
  unsigned AsColor() const;

  // Members that may be absent: the fallback then.
  double Number(const char* key, double fallback) const;
  double Number(const char* key, double fallback, double min, double max) const;
  long long Integer(const char* key, long long fallback, long long min, long long max) const;
  bool Bool(const char* key, bool fallback) const;
  std::string String(const char* key, const std::string& fallback) const;
  Point3 Point(const char* key, const Point3& fallback) const;

private:
  const nlohmann::json* value_;
  std::string pointer_;
  const std::string* file_;
};

// The JSON type name of a value, for messages ("a string", "an array", ...).
std::string JsonTypeName(const nlohmann::json& value);
