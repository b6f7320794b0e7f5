// The field tables of README.md and the man page against for_each_header_field, the one list of
// the fields: a name, offset or size changed in either table, or a row missing, fails here.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "frame/frame_format.h"

namespace spectrum_dump {
namespace {

// How each row of the table begins, as `row(offset, size, name)` writes it; padding is named
// `padding`.
template <typename Row>
std::vector<std::string> expected_rows(std::string_view padding, Row row) {
  std::vector<std::string> rows;
  std::size_t end = 0;
  const SpectrumFrameHeader header;
  for_each_header_field(header, [&](std::string_view name, std::size_t offset, const auto& field) {
    if (offset > end) {
      rows.push_back(row(end, offset - end, padding));
    }
    rows.push_back(row(offset, sizeof(field), name));
    end = offset + sizeof(field);
  });
  if (end < kFrameHeaderSize) {
    rows.push_back(row(end, kFrameHeaderSize - end, padding));
  }
  return rows;
}

// The rows of the table under the line `heading` in `file` of the source tree, after `skip`
// lines more: every line up to a blank one or a roff request.
std::vector<std::string> table_rows(std::string_view file, std::string_view heading, int skip) {
  std::string text;
  std::string path = SPECTRUM_DUMP_SOURCE_DIR;
  path.append("/").append(file);
  if (std::FILE* stream = std::fopen(path.c_str(), "rb")) {
    for (int c = 0; (c = std::fgetc(stream)) != EOF;) {
      text.push_back(static_cast<char>(c));
    }
    static_cast<void>(std::fclose(stream));  // read only: nothing to lose
  }
  std::vector<std::string> rows;
  std::string marker = "\n";
  std::size_t start = text.find(marker.append(heading).append("\n"));
  for (int line = -1 - skip; start != std::string::npos && start + 1 < text.size(); ++line) {
    const std::size_t end = text.find('\n', start + 1);
    const std::string row = text.substr(start + 1, end - start - 1);
    if (line >= 0 && (row.empty() || row.front() == '.')) {
      break;
    }
    if (line >= 0) {
      rows.push_back(row);
    }
    start = end;
  }
  return rows;
}

void expect_rows(const std::vector<std::string>& rows, const std::vector<std::string>& expected) {
  ASSERT_EQ(rows.size(), expected.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].substr(0, expected[i].size()), expected[i]);
  }
}

TEST(FieldTables, ShowEachFieldWithItsOffsetAndSizeAndThePadding) {
  // "| 0 | 8 | `frame_size` | ", and the padding's name cell empty: "| 20 | 4 | | ".
  expect_rows(table_rows("README.md", "| Offset | Size | Field | Meaning |", 1),
              expected_rows("", [](std::size_t offset, std::size_t size, std::string_view name) {
                std::string row = "| ";
                row.append(std::to_string(offset)).append(" | ").append(std::to_string(size));
                row.append(" | ");
                if (!name.empty()) {
                  row.append("`").append(name).append("` ");
                }
                return row.append("| ");
              }));
  // "0\t8\tframe_size\t", the padding named by an em dash.
  expect_rows(
      table_rows("dump/spectrum_dump.1.in", "Offset\tSize\tField\tMeaning", 0),
      expected_rows("\\(em", [](std::size_t offset, std::size_t size, std::string_view name) {
        std::string row = std::to_string(offset);
        row.append("\t").append(std::to_string(size)).append("\t").append(name);
        return row.append("\t");
      }));
}

}  // namespace
}  // namespace spectrum_dump
