// corvane-cli's progress line on a terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "cli/terminal_observer.h"

namespace corvane {
namespace {

TEST(ProgressLine, ANameCannotActOnTheTerminal) {
  // A colour escape, a line break and a DEL in a drawing's name; the accented letter is the
  // name's own and stays as it is.
  const std::string line =
      ProgressLineText(0.5, 1, 3, 12.5, "Processing /tmp/\x1b[31mred\nplan\x7f-\xc3\xa9.dxf");
  EXPECT_EQ(line.substr(line.find("Processing")), "Processing /tmp/?[31mred?plan?-\xc3\xa9.dxf");
  // The line's own clearing sequence is the only escape in it.
  EXPECT_EQ(line.rfind("\r\x1b[K", 0), 0u);
  EXPECT_EQ(std::count(line.begin(), line.end(), '\x1b'), 1);
  EXPECT_NE(line.find(" 50%  1/3 files  12.5 MB/s  "), std::string::npos) << line;
}

}  // namespace
}  // namespace corvane
