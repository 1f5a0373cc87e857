#include "puzzle/one_piece.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace quarnel {
namespace {

// A board drawn row by row: '#' the wall's colour, '.' open, and the digits
// 1-4 cells of the wall's colour taken in that order.
struct Drawn {
  int width = 0, height = 0;
  std::vector<int8_t> colour;
  std::vector<int> taken;
};

Drawn Draw(const std::vector<std::string>& rows, int8_t wall) {
  Drawn d;
  d.height = static_cast<int>(rows.size());
  d.width = static_cast<int>(rows[0].size());
  std::vector<int> order(10, -1);
  for (int r = 0; r < d.height; ++r) {
    for (int c = 0; c < d.width; ++c) {
      const char ch = rows[static_cast<size_t>(r)][static_cast<size_t>(c)];
      d.colour.push_back(ch == '.' ? static_cast<int8_t>(-1) : wall);
      if (ch >= '1' && ch <= '9') order[static_cast<size_t>(ch - '0')] = r * d.width + c;
    }
  }
  for (const int cell : order) {
    if (cell >= 0) d.taken.push_back(cell);
  }
  return d;
}

// Boards where the answer is known: whether the watch can tell, from the
// cells round those taken, that the side is one piece still.
TEST(OnePieceWatch, TellsFromTheCellsRoundThoseTaken) {
  struct Case {
    const char* what;
    int8_t wall;  // 0: the inside's side, 1: the outside's
    std::vector<std::string> rows;
    bool told;
  };
  const Case cases[] = {
      {"a cell in the open", 0, {".....", "..1..", "....."}, true},
      {"a corridor cut", 0, {"#####", "..1..", "#####"}, false},
      {"a corridor cut by two cells, one after the other", 0, {"######", ".12...", "######"}, false},
      {"cells beside it joined round the corner", 0, {".......", "...#...", "..#1...", "......."}, true},
      {"cells beside it joined the long way round small walls", 0, {".......", "..#....", "..#1#..", "......."},
       true},
      {"a wall from frame to frame: the inside's side cut", 0, {"..#..", "..1..", "..#.."}, false},
      {"the same wall: the outside's side reaches the frame on both sides", 1,
       {"..#..", "..1..", "..#.."}, true},
      {"a ring closed: the outside's side cut off inside it", 1, {".....", ".###.", ".#.1.", ".###.", "....."},
       false},
      {"a ring closed round nothing open", 1, {"....", ".##.", ".#1.", "...."}, true},
      {"a cell on the frame, the outside's side", 1, {"..1..", "....."}, true},
      {"walls from the frame on both sides: the inside's side cut", 0,
       {"..........", "#########.", "....1.....", "#########.", ".........."}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Drawn d = Draw(c.rows, c.wall);
    OnePieceWatch watch(d.width, d.height);
    EXPECT_EQ(watch.Stays(d.colour.data(), c.wall, d.taken), c.told);
  }
}

// Against a pass over the whole board, on random boards: whenever the
// watch says one piece, it is one piece; and it says so in most of the
// cases where it is, which is what it is for.
TEST(OnePieceWatch, NeverSaysOnePieceWhenItIsNot) {
  std::mt19937 random(7);
  int told = 0, truly = 0, tried = 0;
  for (int round = 0; round < 60000; ++round) {
    const int width = 1 + static_cast<int>(random() % 7), height = 1 + static_cast<int>(random() % 7);
    const size_t cells = static_cast<size_t>(width * height);
    const int8_t wall = static_cast<int8_t>(random() % 2);
    // Walls at a random density, the rest open (inside, outside or not
    // known, all the same to the side).
    const unsigned density = 1 + random() % 5;
    std::vector<int8_t> before(cells);
    for (int8_t& v : before) v = random() % 8 < density ? wall : static_cast<int8_t>(random() % 2 ? -1 : 1 - wall);
    if (!IsOnePiece(width, height, before.data(), wall)) continue;
    // One to four open cells taken, in a random order.
    std::vector<int> open;
    for (size_t i = 0; i < cells; ++i) {
      if (before[i] != wall) open.push_back(static_cast<int>(i));
    }
    if (open.empty()) continue;
    std::shuffle(open.begin(), open.end(), random);
    open.resize(std::min<size_t>(open.size(), 1 + random() % 4));
    std::vector<int8_t> after = before;
    for (const int cell : open) after[static_cast<size_t>(cell)] = wall;
    ++tried;
    OnePieceWatch watch(width, height);
    const bool says = watch.Stays(after.data(), wall, open);
    const bool is = IsOnePiece(width, height, after.data(), wall);
    if (says) {
      ASSERT_TRUE(is) << width << " x " << height << ", round " << round;
    }
    told += says ? 1 : 0;
    truly += is ? 1 : 0;
  }
  EXPECT_GT(tried, 20000);
  EXPECT_GT(told, truly * 8 / 10);
}

}  // namespace
}  // namespace quarnel
