#include "io/eei_input.h"

#include <optional>

#include "io/connections.h"

namespace io {
namespace {

// The lines of unit 1, set up at its first line input.
std::optional<CardLines> eei_lines;

}  // namespace

long eei_line_number() {
  return eei_lines ? eei_lines->lines() : 0;
}

void file_line_input(char (&card)[kCardColumns], bool& end_of_file) {
  Connection& c = connection(kEeiUnit);
  BusyMark busy(c);
  if (!eei_lines) eei_lines.emplace(c.descriptor, c.name, kEeiUnit);
  eei_lines->next(card, end_of_file);
}

}  // namespace io
