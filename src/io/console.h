// The console: list lines and formatted lines on unit 6 (standard output), typed lines
// from unit 5 (standard input). Every line is one write of its bytes and CR LF.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <span>
#include <string_view>

namespace io {

inline constexpr int kListLineWidth = 80;
inline constexpr int kTypedFieldWidth = 100;

// Receives each finished line of a list line output, CR LF included.
using LineSink = void (*)(const char* line, std::size_t length, void* context);

// Lays out `items` as list lines: each line starts with one blank and holds at most 80
// characters; items stand back to back; an item that is not first on its line and does
// not fit starts a new line; an item longer than the room is cut to fill each line.
void lay_out_list(std::span<const std::string_view> items, LineSink sink, void* context);

// Writes `items` as list lines on unit 6.
void list_line_output(std::initializer_list<std::string_view> items);

// Writes `text` from column 1 and CR LF on unit 6.
void formatted_line_output(std::string_view text);

// Reads the next line of unit 5 into `field`: its first 100 characters, blank-padded;
// the rest of a longer line is read and dropped, and nothing after its LF is taken.
void typed_line_input(char (&field)[kTypedFieldWidth]);

}  // namespace io
