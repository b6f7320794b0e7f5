// The dump after the input is open: header read, header report, size check and sample listing.
#pragma once

#include <iosfwd>

namespace spectrum_dump {

// Reads the frame at the start of `input`, writes the report to `out` and the messages to `err`.
// Returns true when the header and every listed sample were read.
bool dump_frame(std::istream& input, std::ostream& out, std::ostream& err);

}  // namespace spectrum_dump
