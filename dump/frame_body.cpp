#include "dump/frame_body.h"

#include <array>
#include <span>

namespace spectrum_dump {

void check_frame_size(const SpectrumFrameHeader& header, Output& err) {
  const ExactSize expected = expected_frame_size(header);
  if (ExactSize{header.frame_size} != expected) {
    std::array<char, ExactSize::kDecimalCapacity> digits{};
    err.print("Warning: frame_size ", header.frame_size, " != expected ",
              expected.to_decimal(digits), "\n");
  }
}

bool list_samples(Input& input, const SpectrumFrameHeader& header, Output& out, Output& err) {
  const auto listed = static_cast<std::size_t>(sample_count_up_to(header, kMaxListedSamples));
  out.print("First ", listed, " spectrum samples:\n");
  // The listed samples in one request, and not a byte more: what follows them in a pipe stays
  // for its next reader.
  std::array<std::byte, kMaxListedSamples * kSampleSize> payload{};
  const std::size_t read = input.read(std::span(payload).first(listed * kSampleSize));
  const std::size_t whole = read / kSampleSize;
  for (std::size_t index = 0; index < whole; ++index) {
    out.print("  [", index, "] = ",
              decode_sample(std::span(payload).subspan(index * kSampleSize).first<kSampleSize>()),
              "\n");
  }
  if (whole < listed) {
    err.print("Cannot read ", whole, "\n");
    return false;
  }
  return true;
}

}  // namespace spectrum_dump
