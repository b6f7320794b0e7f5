// The frame body stage: the size check and the sample listing that follow the header report.
#pragma once

#include <cstdint>
#include <iosfwd>

#include "frame/frame_format.h"

namespace spectrum_dump {

inline constexpr std::uint64_t kMaxListedSamples = 16;

// Warns on `err` when frame_size is not the size the header's dimensions imply.
void check_frame_size(const SpectrumFrameHeader& header, std::ostream& err);

// Lists the first samples of the payload, `input` being positioned just past the header.
// Returns false, after naming the sample on `err`, when one cannot be read in full.
bool list_samples(std::istream& input, const SpectrumFrameHeader& header, std::ostream& out,
                  std::ostream& err);

}  // namespace spectrum_dump
