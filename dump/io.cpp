#include "dump/io.h"

#include <charconv>
#include <cmath>

namespace spectrum_dump {

void Output::hand_on() {
  if (size_ != 0) {
    emit({buffer_.data(), size_});
    size_ = 0;
  }
}

void Output::append(std::string_view text) {
  if (text.size() > buffer_.size() - size_) {
    hand_on();
    if (text.size() > buffer_.size()) {
      emit(text);
      return;
    }
  }
  size_ += text.copy(buffer_.data() + size_, text.size());
}

void Output::append(std::uint64_t value) {
  std::array<char, 20> digits{};  // 2^64 - 1 has 20
  const char* end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
  append(std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data())));
}

void Output::append(float value) {
  if (std::isnan(value)) {
    append(std::signbit(value) ? "-nan" : "nan");
  } else if (std::isinf(value)) {
    append(value < 0 ? "-inf" : "inf");
  } else {
    std::array<char, 16> text{};  // the longest, such as -1.17549e-38, has 12
    const char* end = std::to_chars(text.data(), text.data() + text.size(),
                                    static_cast<double>(value), std::chars_format::general, 6)
                          .ptr;
    append(std::string_view(text.data(), static_cast<std::size_t>(end - text.data())));
  }
}

}  // namespace spectrum_dump
