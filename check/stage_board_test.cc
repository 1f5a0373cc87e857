#include "check/stage_board.h"

#include <gtest/gtest.h>

#include <string>

namespace quarnel {
namespace {

struct StageCase {
  const char* name;
  std::u16string record;
  int width;
  int height;
  std::string clues;  // BoardText
};

TEST(BoardFromStage, ReadsCellsAsThePageDrawsThem) {
  const StageCase cases[] = {
      {"half and full width digits", std::u16string(u"t\0", 2) + u"0123\r\n\xFF10\xFF11\xFF12\xFF13", 4, 2,
       "0123\n0123\n"},
      {"others are blank cells", std::u16string(u"t\0", 2) + u"4a 9\r\n\xFF14\x3000-x", 4, 2,
       "....\n....\n"},
      {"ragged rows lack clues past their end", std::u16string(u"t\0", 2) + u"1\r\n\r\n22 3", 4, 3,
       "1...\n....\n22.3\n"},
      {"a grid ends at a second U+0000", std::u16string(u"t\0", 2) + u"12" + std::u16string(1, u'\0') + u"3",
       2, 1, "12\n"},
      {"no grid", std::u16string(u"title\0", 6), 0, 0, ""},
      {"only empty lines", std::u16string(u"t\0", 2) + u"\r\n", 0, 0, ""},
      {"no U+0000", u"title", 0, 0, ""},
  };
  for (const StageCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Board board = BoardFromStage(c.record);
    EXPECT_EQ(board.width, c.width);
    EXPECT_EQ(board.height, c.height);
    EXPECT_EQ(BoardText(board), c.clues);
  }
}

}  // namespace
}  // namespace quarnel
