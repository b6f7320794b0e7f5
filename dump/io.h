// The stages' input and output, as parameters: the tool passes the open file and the standard
// streams, the tests and the fuzz target pass memory.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace spectrum_dump {

// Bytes read front to back.
class Input {
 public:
  // Fills `bytes` as one request, gathering short reads (a pipe may deliver in pieces), and
  // returns how many arrived: fewer only at the end of the input or on a read error.
  virtual std::size_t read(std::span<std::byte> bytes) = 0;

 protected:
  ~Input() = default;
};

// Text gathered in a buffer and handed on in whole pieces. Numbers are formatted here, with
// std::to_chars, so the report needs no locale and is the same on every platform.
class Output {
 public:
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // Writes the parts in order: text as it is, unsigned integers in decimal, floats as printf's
  // %g prints them widened to double (six significant digits), with NaN and the infinities spelled
  // here ("nan" or "-nan" by the sign bit, "inf", "-inf"), as C libraries spell them differently.
  template <typename... Parts>
  void print(const Parts&... parts) {
    if (tied_ != nullptr) {
      tied_->flush();
    }
    (append(parts), ...);
    if (tied_ != nullptr) {
      flush();
    }
  }

  // Hands on what the buffer holds.
  void flush();

 protected:
  // An output tied to another flushes that one before each print and hands on each print at
  // once, as standard error is tied to standard output: in one pipe, lines keep program order.
  explicit Output(Output* tied = nullptr) : tied_(tied) {}
  ~Output() = default;

 private:
  virtual void emit(std::string_view text) = 0;

  void append(std::string_view text);
  void append(std::uint64_t value);
  void append(float value);

  Output* tied_;
  std::array<char, 1024> buffer_{};  // a whole report, so a run hands it on once
  std::size_t size_ = 0;
};

}  // namespace spectrum_dump
