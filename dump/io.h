// The stages' input and output, as parameters: the tool passes the open file and the standard
// streams, the tests and the fuzz target pass memory.
#pragma once

#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

namespace spectrum_dump {

// Bytes read front to back.
class Input {
 public:
  // Fills `bytes` as one request, gathering short reads (a pipe may deliver in pieces), and
  // returns how many arrived: fewer only at the end of the input or on a read error. Nothing
  // beyond `bytes` is taken from the input.
  virtual std::size_t read(std::span<std::byte> bytes) = 0;

 protected:
  ~Input() = default;
};

// A number Output has no format for, such as a header field declared signed or double.
template <typename T>
concept UnprintableNumber =
    std::is_arithmetic_v<T> && !std::unsigned_integral<T> && !std::same_as<T, float>;

// Lines of text, each handed on whole. Numbers are formatted here, with std::to_chars, so the
// report needs no locale and is the same on every platform.
class Output {
 public:
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // Writes the parts in order, as one piece: text as it is, unsigned integers in decimal, floats
  // as printf's %g prints them widened to double (six significant digits), with NaN and the
  // infinities spelled here ("nan" or "-nan" by the sign bit, "inf", "-inf"), as C libraries
  // spell them differently.
  template <typename... Parts>
  void print(const Parts&... parts) {
    (append(parts), ...);
    hand_on();
  }

 protected:
  Output() = default;
  ~Output() = default;

 private:
  virtual void emit(std::string_view text) = 0;

  void hand_on();
  void append(std::string_view text);
  void append(std::uint64_t value);
  template <std::unsigned_integral T>
  void append(T value) {
    append(std::uint64_t{value});
  }
  void append(float value);
  // Refused here with a message, rather than as an ambiguous call deep in overload resolution.
  template <UnprintableNumber T>
  void append(T /*value*/) {
    static_assert(sizeof(T) == 0,
                  "the report prints unsigned integers (in decimal), floats (as %g) and text: a "
                  "header field is an unsigned integer of any width or a float");
  }

  // A line: the longest the tool prints, a size warning, has at most 94 characters.
  std::array<char, 128> buffer_{};
  std::size_t size_ = 0;
};

}  // namespace spectrum_dump
