#pragma once

#include <istream>
#include <span>

namespace spectrum_dump {

// Requests all of `bytes` from `input` as one read and tells whether every byte arrived. The
// stream gathers a request across short reads, so a pipe that delivers in pieces is not taken
// for a short file.
inline bool read_exactly(std::istream& input, std::span<char> bytes) {
  const auto wanted = static_cast<std::streamsize>(bytes.size());
  return input.read(bytes.data(), wanted).gcount() == wanted;
}

}  // namespace spectrum_dump
