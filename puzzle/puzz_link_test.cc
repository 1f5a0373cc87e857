#include "puzzle/puzz_link.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "check/stage_board.h"

namespace quarnel {
namespace {

std::u16string Wide(std::string_view s) { return std::u16string(s.begin(), s.end()); }

// The published example's rows: "3   ", "3   ", " 22 ", " 2 1".
constexpr char kExampleRows[] = "3...\n3...\n.22.\n.2.1\n";

struct AddressCase {
  const char* address;
  const char* rows;  // BoardText; null: an error
  AddressProblem problem = AddressProblem::None;
  size_t column = 0;
};

TEST(ReadAddress, GivesTheBoardOrTheColumnAndWhy) {
  using P = AddressProblem;
  const AddressCase cases[] = {
      // The forms of the web's editors.
      {"https://puzz.link/p?slither/4/4/dgdh2c71", kExampleRows},
      {"http://pzv.jp/p.html?slither/4/4/dgdh2c7b", kExampleRows},
      {"https://pzplus.tck.mn/p.html?slither/4/4/dgdh2c71", kExampleRows},
      {"https://pzprxs.vercel.app/p?slither/4/4/dgdh2c71", kExampleRows},
      {"puzz.link/p?slither/4/4/dgdh2c71", kExampleRows},
      {"HTTPS://Puzz.Link/p?slither/4/4/dgdh2c71", kExampleRows},
      {"slither/4/4/dgdh2c71", kExampleRows},
      {"https://puzz.link/p?slither/f/4/4/dgdh2c71", kExampleRows},
      {"https://puzz.link/p?slitherlink/4/4/dgdh2c71", kExampleRows},
      // Runs of blanks: 20 in one letter, 21 in two.
      {"slither/21/1/z0", "....................0\n"},
      {"slither/22/1/zg0", ".....................0\n"},
      {"slither/3/2/z", "...\n...\n"},
      // A clue before one and two blanks at a row's end and the board's end.
      {"slither/3/2/g51g", ".0.\n1..\n"},
      {"slither/3/2/a2h", "0..\n2..\n"},
      {"slither/2/2/g1g6", ".1\n.1\n"},
      {"slither/2/2/1gb", "1.\n1.\n"},
      {"slither/2/2/1g3", "1.\n3.\n"},
      // Trailing blanks left out.
      {"slither/3/3/2", "2..\n...\n...\n"},
      {"slither/3/1/3", "3..\n"},
      // Bad ones, each naming its column.
      {"slither/4/4/dgdh2c41", nullptr, P::ClueFour, 19},
      {"slither/4/4/9", nullptr, P::ClueFour, 13},
      {"slither/4/4/ge", nullptr, P::ClueFour, 14},
      {"slither/4/4/dgd.", nullptr, P::UnknownClue, 16},
      {"slither/4/3/dgdh2c71", nullptr, P::BodyTooLong, 19},
      {"slither/1/1/0g", nullptr, P::BodyTooLong, 14},
      {"slither/4/4/dgdh\xEF\xBC\x92" "c71", nullptr, P::NonAscii, 17},
      {"slither/4/4/", nullptr, P::EmptyBody, 13},
      {"slither/4/4", nullptr, P::MissingPart, 12},
      {"slither", nullptr, P::MissingPart, 8},
      {"slither/0/4/g", nullptr, P::BadSize, 9},
      {"slither//4/g", nullptr, P::BadSize, 9},
      {"slither/4x/4/g", nullptr, P::BadSize, 10},
      {"slither/f4/4/g", nullptr, P::BadSize, 10},
      {"slither/2001/2001/g", nullptr, P::TooLarge, 9},
      {"slither/99999999999999999999/1/g", nullptr, P::TooLarge, 9},
      {"slither/4/4/dgdh2c7A", nullptr, P::BadCharacter, 20},
      {"slither/4/4/dg/", nullptr, P::BadCharacter, 15},
      {"https://example.com/p?slither/4/4/g", nullptr, P::NotAnAddress, 9},
      {"https://puzz.link/q?slither/4/4/g", nullptr, P::NotAnAddress, 18},
      {"https://puzz.link/p?masyu/4/4/g", nullptr, P::NotLoopPuzzle, 21},
      {"", nullptr, P::NotLoopPuzzle, 1},
  };
  for (const AddressCase& c : cases) {
    SCOPED_TRACE(c.address);
    // The test's addresses are UTF-8; the reader gets UTF-16.
    std::u16string address;
    for (size_t i = 0; c.address[i] != '\0'; ++i) {
      unsigned char b = static_cast<unsigned char>(c.address[i]);
      if (b == 0xEF) {  // the one three-byte character of the table, U+FF12
        address.push_back(u'\xFF12');
        i += 2;
      } else {
        address.push_back(b);
      }
    }
    AddressReading reading = ReadAddress(address);
    if (c.rows != nullptr) {
      ASSERT_TRUE(reading.ok()) << static_cast<int>(reading.problem) << " at " << reading.column;
      EXPECT_EQ(BoardText(reading.board), c.rows);
    } else {
      EXPECT_EQ(reading.problem, c.problem);
      EXPECT_EQ(reading.column, c.column);
      EXPECT_EQ(reading.board.clues.size(), 0u);
    }
  }
}

TEST(ReadAddress, ReadsPublishedAddressesAsTheyAreWritten) {
  // Addresses as puzzle pages publish them: each reads, and what it reads
  // is written back as the editor writes it.
  const char* published[] = {
      "http://pzv.jp/p.html?slither/10/10/8638168bjbh716616cn3811162cn827738dhcj8616388b",
      "http://pzv.jp/p.html?slither/5/5/cbcbcddad",
      "http://pzv.jp/p.html?slither/25/15/i5di5di6bg3ad13dc13bd3cg5bi7ci7dhai6bi6ci7b02bd33cc23d"
      "8ci8ai6cibh6di6bi7dg1ca31ab10dc3dg6bi6ai6chai7ci7ci8d33dc33cc20d8bi7di7cidh8di5ci6cg3dd03cb02"
      "ad3dg6bi7ci6bg",
  };
  for (const char* address : published) {
    SCOPED_TRACE(address);
    AddressReading reading = ReadAddress(Wide(address));
    ASSERT_TRUE(reading.ok());
    std::string_view body(address);
    body = body.substr(body.find("slither/"));
    EXPECT_EQ(AddressOfBoard(reading.board), std::string(kAddressStart) + std::string(body.substr(8)));
  }
  // The editors write a clue on the last cells as if blanks followed it.
  EXPECT_EQ(AddressOfBoard(ReadAddress(u"slither/4/4/dgdh2c71").board),
            "https://puzz.link/p?slither/4/4/dgdh2c7b");
}

TEST(AddressOfBoard, IsReadBackAsTheSameBoard) {
  std::mt19937 random(36);
  std::vector<Board> boards;
  for (int width : {1, 2, 3, 7, 21, 45}) {
    for (int height : {1, 2, 5, 22}) {
      // Boards from all clues to nearly no clues: runs of every length.
      for (int percent : {0, 3, 30, 70, 100}) {
        Board board = Board::Empty(width, height);
        for (signed char& clue : board.clues) {
          if (static_cast<int>(random() % 100) < percent) clue = static_cast<signed char>(random() % 4);
        }
        boards.push_back(board);
      }
    }
  }
  // A ragged stage, padded with blank cells as the page pads it.
  boards.push_back(BoardFromStage(std::u16string(u"t\0", 2) + u"3\r\n\r\n 2 1 0"));
  for (const Board& board : boards) {
    SCOPED_TRACE(BoardText(board));
    const std::string address = AddressOfBoard(board);
    ASSERT_TRUE(address.starts_with(kAddressStart));
    AddressReading reading = ReadAddress(Wide(address));
    ASSERT_TRUE(reading.ok()) << address;
    EXPECT_EQ(reading.board.width, board.width);
    EXPECT_EQ(reading.board.height, board.height);
    EXPECT_EQ(reading.board.clues, board.clues);
  }
  EXPECT_EQ(AddressOfBoard(Board{}), "");
}

TEST(LooksLikeAddress, TellsAddressesFromTitles) {
  EXPECT_TRUE(LooksLikeAddress(u"  https://puzz.link/p?slither/1/1/0"));
  EXPECT_TRUE(LooksLikeAddress(u"http://example.com/"));
  EXPECT_TRUE(LooksLikeAddress(u"pzv.jp/p.html?slither/1/1/0"));
  EXPECT_TRUE(LooksLikeAddress(u"slither/1/1/0"));
  EXPECT_TRUE(LooksLikeAddress(u"slitherlink/1/1/0"));
  EXPECT_FALSE(LooksLikeAddress(u"Stage 1: slither"));
  EXPECT_FALSE(LooksLikeAddress(u"ステージ 1"));
  EXPECT_FALSE(LooksLikeAddress(u"slithering"));
}

struct Pzprv3Case {
  const char* name;
  std::vector<std::u16string_view> lines;
  const char* rows;  // BoardText; null: an error
  AddressProblem problem = AddressProblem::None;
  size_t line = 0;
  size_t column = 0;
};

TEST(ReadPzprv3, ReadsTheCluesOfALoopPuzzleFile) {
  using P = AddressProblem;
  const Pzprv3Case cases[] = {
      // Rows first, then columns; the answer's lines after the cells are not read.
      {"two rows of three", {u"pzprv3", u"slither", u"2", u"3", u"2 . 0 ", u". 3 . ", u"1 0 0 0 /"},
       "2.0\n.3.\n"},
      {"version 3.1", {u"pzprv3.1", u"slither", u"1", u"1", u"1 "}, "1\n"},
      {"a clue 4", {u"pzprv3", u"slither", u"1", u"2", u". 4 "}, nullptr, P::ClueFour, 5, 3},
      {"an unknown clue", {u"pzprv3", u"slither", u"1", u"2", u"- . "}, nullptr, P::UnknownClue, 5, 1},
      {"another cell", {u"pzprv3", u"slither", u"1", u"2", u". # "}, nullptr, P::BadCharacter, 5, 3},
      {"a short row", {u"pzprv3", u"slither", u"1", u"3", u". . "}, nullptr, P::RowTooShort, 5, 5},
      {"rows missing", {u"pzprv3", u"slither", u"2", u"1", u". "}, nullptr, P::MissingRows, 5, 1},
      {"another puzzle", {u"pzprv3", u"masyu", u"1", u"1", u". "}, nullptr, P::NotLoopPuzzle, 2, 1},
      {"no size", {u"pzprv3", u"slither", u"x", u"1", u". "}, nullptr, P::BadSize, 3, 1},
      {"a size of 0", {u"pzprv3", u"slither", u"1", u"0"}, nullptr, P::BadSize, 4, 1},
      {"too large", {u"pzprv3", u"slither", u"3000", u"3000"}, nullptr, P::TooLarge, 3, 1},
      {"cut short", {u"pzprv3", u"slither", u"1"}, nullptr, P::MissingPart, 3, 1},
  };
  for (const Pzprv3Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(IsPzprv3(c.lines));
    AddressReading reading = ReadPzprv3(c.lines);
    if (c.rows != nullptr) {
      ASSERT_TRUE(reading.ok()) << static_cast<int>(reading.problem);
      EXPECT_EQ(BoardText(reading.board), c.rows);
    } else {
      EXPECT_EQ(reading.problem, c.problem);
      EXPECT_EQ(reading.line, c.line);
      EXPECT_EQ(reading.column, c.column);
    }
  }
  const std::vector<std::u16string_view> other = {u"https://puzz.link/p?slither/1/1/0"};
  EXPECT_FALSE(IsPzprv3(other));
}

}  // namespace
}  // namespace quarnel
