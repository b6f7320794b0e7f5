// The field tables of README.md and the man page against for_each_header_field, the one list of
// the fields: a name, offset or size changed in either table, or a field missing, fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "frame/frame_format.h"

namespace spectrum_dump {
namespace {

// Offset, size and name of each row; the padding's name is empty.
using Row = std::tuple<std::size_t, std::size_t, std::string>;

std::vector<Row> rows_of_the_header() {
  std::vector<Row> rows;
  std::size_t end = 0;
  const auto pad_to = [&](std::size_t offset) {
    if (offset > end) {
      rows.emplace_back(end, offset - end, "");
    }
  };
  SpectrumFrameHeader header;
  for_each_header_field(header, [&](std::string_view name, std::size_t offset, const auto& field) {
    pad_to(offset);
    rows.emplace_back(offset, sizeof(field), name);
    end = offset + sizeof(field);
  });
  pad_to(kFrameHeaderSize);
  return rows;
}

std::vector<std::string> lines_of(const std::string& path) {
  std::vector<std::string> lines(1);
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    for (int c = 0; (c = std::fgetc(file)) != EOF;) {
      if (c == '\n') {
        lines.emplace_back();
      } else {
        lines.back().push_back(static_cast<char>(c));
      }
    }
    static_cast<void>(std::fclose(file));  // read only: nothing to lose
  }
  return lines;
}

std::vector<std::string> cells_of(std::string_view line, char separator) {
  std::vector<std::string> cells;
  for (std::size_t start = 0; start <= line.size();) {
    const std::size_t end = std::min(line.find(separator, start), line.size());
    std::string_view cell = line.substr(start, end - start);
    cell.remove_prefix(std::min(cell.find_first_not_of(" `"), cell.size()));
    cell.remove_suffix(cell.size() - std::min(cell.find_last_not_of(" `") + 1, cell.size()));
    cells.emplace_back(cell);
    start = end + 1;
  }
  return cells;
}

// Where a table lies in the source tree and how its rows are written.
struct Table {
  std::string_view file;
  std::string_view heading;  // the line above the rows, or above the heading's underline
  std::size_t underlines;    // lines between the heading and the rows
  char separator;
  std::size_t first;         // the cell of the offset; the size and the name follow it
  std::string_view padding;  // the name of a padding row
};

// The rows under the heading, up to a line with fewer cells.
std::vector<Row> rows_of(const Table& table) {
  const auto lines =
      lines_of(std::string{SPECTRUM_DUMP_SOURCE_DIR} + "/" + std::string{table.file});
  std::vector<Row> rows;
  auto line = std::find(lines.begin(), lines.end(), table.heading);
  if (line != lines.end()) {
    line += 1 + static_cast<std::ptrdiff_t>(table.underlines);
  }
  for (; line != lines.end(); ++line) {
    const auto cells = cells_of(*line, table.separator);
    if (cells.size() < table.first + 3) {
      break;
    }
    const std::string& name = cells[table.first + 2];
    rows.emplace_back(std::stoul(cells[table.first]), std::stoul(cells[table.first + 1]),
                      name == table.padding ? "" : name);
  }
  return rows;
}

TEST(FieldTables, ShowEachFieldWithItsOffsetAndSizeAndThePadding) {
  for (const Table& table : {
           Table{.file = "README.md",
          .heading = "| Offset | Size | Field | Meaning |",
          .underlines = 1,
          .separator = '|',
          .first = 1,
          .padding = ""},
           Table{.file = "dump/spectrum_dump.1.in",
           .heading = "Offset\tSize\tField\tMeaning",
           .underlines = 0,
           .separator = '\t',
           .first = 0,
           .padding = "\\(em"},
       }) {
    EXPECT_EQ(rows_of(table), rows_of_the_header()) << table.file;
  }
}

}  // namespace
}  // namespace spectrum_dump
