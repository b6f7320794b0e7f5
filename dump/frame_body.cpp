#include "dump/frame_body.h"

#include <algorithm>
#include <array>
#include <ostream>
#include <span>

#include "dump/read_exactly.h"

namespace spectrum_dump {

void check_frame_size(const SpectrumFrameHeader& header, std::ostream& err) {
  const ExactSize expected = expected_frame_size(header);
  if (ExactSize{header.frame_size} != expected) {
    err << "Warning: frame_size " << header.frame_size << " != expected " << expected.to_decimal()
        << '\n';
  }
}

bool list_samples(std::istream& input, const SpectrumFrameHeader& header, std::ostream& out,
                  std::ostream& err) {
  // Bounded before the loop: a header may promise far more samples than any file holds. The
  // capped count always fits in 64 bits.
  const std::uint64_t listed =
      *std::min(sample_count(header), ExactSize{kMaxListedSamples}).to_u64();
  out << "First " << listed << " spectrum samples:\n";
  for (std::uint64_t index = 0; index < listed; ++index) {
    std::array<char, kSampleSize> bytes{};
    if (!read_exactly(input, bytes)) {
      err << "Cannot read " << index << '\n';
      return false;
    }
    out << "  [" << index << "] = " << decode_sample(std::as_bytes(std::span{bytes})) << '\n';
  }
  return true;
}

}  // namespace spectrum_dump
