#include "frame/frame_format.h"

#include <algorithm>
#include <bit>
#include <concepts>

namespace spectrum_dump {
namespace {

// An unsigned integer assembled from little-endian bytes by shifts, so the result does not
// depend on the host's byte order; a float is the binary32 value of those bits.
template <typename T>
T load_le(std::span<const std::byte, sizeof(T)> bytes) {
  if constexpr (std::same_as<T, float>) {
    return std::bit_cast<float>(load_le<std::uint32_t>(bytes));
  } else {
    static_assert(std::unsigned_integral<T>,
                  "a header field is an unsigned integer of any width or a float: decoding takes "
                  "those, and the report prints those");
    T value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
      value |= static_cast<T>(std::to_integer<T>(bytes[i]) << (8 * i));
    }
    return value;
  }
}

// Each field lies inside the header and after the one before it.
static_assert([] {
  SpectrumFrameHeader header;
  std::size_t end = 0;
  bool in_order = true;
  for_each_header_field(header, [&](std::string_view, std::size_t offset, const auto& field) {
    in_order = in_order && offset >= end;
    end = offset + sizeof(field);
  });
  return in_order && end <= kFrameHeaderSize;
}());

}  // namespace

SpectrumFrameHeader decode_frame_header(std::span<const std::byte, kFrameHeaderSize> bytes) {
  SpectrumFrameHeader header;
  for_each_header_field(header, [&]<typename T>(std::string_view, std::size_t offset, T& field) {
    field = load_le<T>(bytes.subspan(offset).template first<sizeof(T)>());
  });
  return header;
}

SpectrumSample decode_sample(std::span<const std::byte, kSampleSize> bytes) {
  return load_le<SpectrumSample>(bytes);
}

std::uint64_t sample_count_up_to(const SpectrumFrameHeader& header, std::uint64_t limit) {
  return std::min(sample_count(header).to_u64().value_or(limit), limit);
}

}  // namespace spectrum_dump
