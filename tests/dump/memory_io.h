// The stages' input and output in memory, for the unit tests and the fuzz target.
#pragma once

#include <algorithm>
#include <span>
#include <string>

#include "dump/io.h"

namespace spectrum_dump {

class MemoryInput final : public Input {
 public:
  explicit MemoryInput(std::span<const std::byte> bytes) : rest_(bytes) {}
  std::size_t read(std::span<std::byte> bytes) override {
    const std::size_t count = std::min(bytes.size(), rest_.size());
    std::copy_n(rest_.begin(), count, bytes.begin());
    rest_ = rest_.subspan(count);
    return count;
  }

 private:
  std::span<const std::byte> rest_;
};

// Appends each piece it is handed to `text`.
class StringOutput final : public Output {
 public:
  explicit StringOutput(std::string& text) : text_(text) {}

 private:
  void emit(std::string_view text) override { text_.append(text); }
  std::string& text_;
};

}  // namespace spectrum_dump
