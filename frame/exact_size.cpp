#include "frame/exact_size.h"

#include <cstdlib>

namespace spectrum_dump {

std::string_view ExactSize::to_decimal(std::span<char, kDecimalCapacity> buffer) const {
  // Long division by 10^9, most significant limb first: each remainder gives nine more digits,
  // written from the end of the buffer backwards. Dividing by 10 would take a pass per digit.
  constexpr std::uint32_t kNineDigits = 1'000'000'000;
  std::size_t first = buffer.size();
  auto rest = limbs_;
  do {
    std::uint64_t remainder = 0;
    for (std::size_t i = kLimbs; i-- > 0;) {
      const std::uint64_t dividend = (remainder << 32) | rest[i];
      rest[i] = static_cast<std::uint32_t>(dividend / kNineDigits);
      remainder = dividend % kNineDigits;
    }
    for (int digit = 0; digit < 9; ++digit) {
      buffer[--first] = static_cast<char>('0' + remainder % 10);
      remainder /= 10;
    }
  } while (rest != decltype(rest){});
  // The top chunk's leading zeros go; a lone zero stays.
  while (first + 1 < buffer.size() && buffer[first] == '0') {
    ++first;
  }
  return {buffer.data() + first, buffer.size() - first};
}

void ExactSize::too_large() { std::abort(); }

}  // namespace spectrum_dump
