#pragma once
// Texts the module keeps out of plain sight in its file: scrambled at compile time (each byte
// XOR-ed with a rolling key), unscrambled on first use.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

template <std::size_t N>
struct ScrambledText {
  std::array<std::uint8_t, N> bytes{};
};

inline constexpr std::uint8_t ScrambleKey(std::size_t i) { return static_cast<std::uint8_t>(0xA7u + 31u * i); }

// text: a string literal of N - 1 characters (its terminating zero is not kept).
template <std::size_t N>
consteval ScrambledText<N - 1> Scramble(const char (&text)[N]) {
  ScrambledText<N - 1> s;
  for (std::size_t i = 0; i + 1 < N; ++i) s.bytes[i] = static_cast<std::uint8_t>(text[i]) ^ ScrambleKey(i);
  return s;
}

template <std::size_t N>
std::string Unscramble(const ScrambledText<N>& s) {
  std::string text(N, '\0');
  for (std::size_t i = 0; i < N; ++i) text[i] = static_cast<char>(s.bytes[i] ^ ScrambleKey(i));
  return text;
}
