// What a terminal or a window may be shown of a text a printer or a file
// gave: controls, bidi overrides and broken UTF-8 become '?', the rest stays.
#include "text/shown_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ShownText, ControlsBidiOverridesAndInvalidUtf8AreQuestionMarksAndTheRestIsKept) {
  // Single-byte: C0, DEL and C1 bytes; Latin-1 letters stay.
  EXPECT_EQ(ShownSingleByte("A\x1b[2J\x07\x7f\x9b" "1m\x9d" "0;x\xa0\xe9\xff"), "A?[2J???1m?0;x\xa0\xe9\xff");

  // UTF-8: C1 as U+0080-U+009F, the overrides and isolates, and each byte
  // of a truncated, overlong or surrogate sequence.
  EXPECT_EQ(ShownUtf8("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x96\xa8"), "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x96\xa8");
  EXPECT_EQ(ShownUtf8("\xc2\x9b" "2J\xc2\x85\xe2\x80\xae" "fdp.exe\xe2\x81\xa6x\xe2\x81\xa9\xe2\x80\xaa"), "?2J??fdp.exe?x??");
  EXPECT_EQ(ShownUtf8("\xc3"), "?");
  EXPECT_EQ(ShownUtf8("\xc0\x9b"), "??");          // overlong CSI
  EXPECT_EQ(ShownUtf8("\xed\xa0\x80" "a"), "???a");  // a surrogate
  EXPECT_EQ(ShownUtf8("\xf4\x90\x80\x80"), "????");  // beyond U+10FFFF
  EXPECT_EQ(ShownUtf8("\xe2\x80"), "??");
  EXPECT_EQ(ShownUtf8(std::string("a\0b", 3)), "a?b");

  // UTF-8 into the program's single-byte texts: Latin-1 kept, the rest '?'.
  EXPECT_EQ(ShownUtf8AsSingleByte("caf\xc3\xa9 \xe2\x82\xac\xc2\x9b\xff"), "caf\xe9 ???");
}

}  // namespace
