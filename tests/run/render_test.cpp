// Integer fields of a report line: right-justified, blank-filled, asterisks when too long.
#include "run/render.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

struct Rendered {
  int width;
  std::int64_t value;
  const char* text;
};

const Rendered kRendered[] = {
    // Width 2: month, day, year and hour.
    {2, 0, " 0"},
    {2, 1, " 1"},
    {2, 5, " 5"},
    {2, 24, "24"},
    {2, 99, "99"},
    {2, -1, "-1"},
    {2, -9, "-9"},
    {2, 100, "**"},
    {2, -10, "**"},
    // Width 5: the hourly value.
    {5, 0, "    0"},
    {5, 7, "    7"},
    {5, 123, "  123"},
    {5, -1, "   -1"},
    {5, -45, "  -45"},
    {5, -9999, "-9999"},
    {5, 99999, "99999"},
    {5, 100000, "*****"},
    {5, 123456, "*****"},
    {5, -10000, "*****"},
    {5, -12345, "*****"},
    {5, std::numeric_limits<std::int64_t>::max(), "*****"},
    {5, std::numeric_limits<std::int64_t>::min(), "*****"},
};

TEST(RenderField, Table) {
  for (const Rendered& row : kRendered) {
    SCOPED_TRACE(testing::Message() << "value " << row.value << ", width " << row.width);
    // The field sits between guard bytes that must stay untouched.
    std::string out = "<" + std::string(static_cast<std::size_t>(row.width), '?') + ">";
    run::render_field(out.data() + 1, row.width, row.value);
    EXPECT_EQ(out, std::string("<") + row.text + ">");
  }
}

}  // namespace
