#pragma once
// Three-float vector and point of the host.

#include <cmath>
#include <type_traits>

class Point3 {
public:
  float x = 0.0f, y = 0.0f, z = 0.0f;

  constexpr Point3() = default;
  constexpr Point3(float ax, float ay, float az) : x(ax), y(ay), z(az) {}
  constexpr Point3(double ax, double ay, double az)
      : x(static_cast<float>(ax)), y(static_cast<float>(ay)), z(static_cast<float>(az)) {}
  constexpr Point3(int ax, int ay, int az)
      : x(static_cast<float>(ax)), y(static_cast<float>(ay)), z(static_cast<float>(az)) {}
  // Mixed arithmetic arguments, e.g. Point3(1, 0.5f, 0), which the overloads above find ambiguous.
  template <typename A, typename B, typename C>
    requires std::is_arithmetic_v<A> && std::is_arithmetic_v<B> && std::is_arithmetic_v<C>
  constexpr Point3(A ax, B ay, C az)
      : x(static_cast<float>(ax)), y(static_cast<float>(ay)), z(static_cast<float>(az)) {}

  static constexpr Point3 Origin() { return {0.0f, 0.0f, 0.0f}; }

  constexpr float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
  constexpr float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

  constexpr Point3 operator-() const { return {-x, -y, -z}; }
  constexpr Point3 operator+(const Point3& p) const { return {x + p.x, y + p.y, z + p.z}; }
  constexpr Point3 operator-(const Point3& p) const { return {x - p.x, y - p.y, z - p.z}; }
  constexpr Point3 operator*(float f) const { return {x * f, y * f, z * f}; }
  constexpr Point3 operator/(float f) const { return {x / f, y / f, z / f}; }
  // Component-wise product.
  constexpr Point3 operator*(const Point3& p) const { return {x * p.x, y * p.y, z * p.z}; }
  // Cross product.
  constexpr Point3 operator^(const Point3& p) const {
    return {y * p.z - z * p.y, z * p.x - x * p.z, x * p.y - y * p.x};
  }
  constexpr Point3& operator+=(const Point3& p) { x += p.x; y += p.y; z += p.z; return *this; }
  constexpr Point3& operator-=(const Point3& p) { x -= p.x; y -= p.y; z -= p.z; return *this; }
  constexpr Point3& operator*=(float f) { x *= f; y *= f; z *= f; return *this; }
  constexpr Point3& operator/=(float f) { x /= f; y /= f; z /= f; return *this; }
  constexpr bool operator==(const Point3&) const = default;

  float Length() const { return std::sqrt(x * x + y * y + z * z); }
  constexpr float LengthSquared() const { return x * x + y * y + z * z; }
  // Unit vector in the same direction; the zero vector stays zero.
  Point3 Normalize() const {
    float l = Length();
    return l == 0.0f ? *this : Point3(x / l, y / l, z / l);
  }
};

constexpr Point3 operator*(float f, const Point3& p) { return p * f; }
constexpr float DotProd(const Point3& a, const Point3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
constexpr Point3 CrossProd(const Point3& a, const Point3& b) { return a ^ b; }
inline float Length(const Point3& p) { return p.Length(); }
inline Point3 Normalize(const Point3& p) { return p.Normalize(); }
inline Point3 FNormalize(const Point3& p) { return p.Normalize(); }
