#ifndef QUARNEL_PUZZLE_PUZZ_LINK_H_
#define QUARNEL_PUZZLE_PUZZ_LINK_H_

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "puzzle/board.h"

namespace quarnel {

/// The start of every address AddressOfBoard makes.
inline constexpr std::string_view kAddressStart = "https://puzz.link/p?slither/";

/// The most cells a board read from an address or a pzprv3 file may have:
/// an address of a few bytes may claim any size, and the board is held whole.
inline constexpr long long kMaxAddressCells = 4'000'000;

/// The address of a loop puzzle on the web's puzzle editors:
/// "https://puzz.link/p?slither/<columns>/<rows>/<body>". The body lists
/// the cells row by row from the top left: a clue q is "q" when the next
/// cell has a clue, the digit 5+q when one blank follows, the letter a+q
/// when two follow; a run of k blank cells (1-20) is the base-36 digit
/// k+15 ("g" = 1 ... "z" = 20), a longer run several. Every cell is
/// written, trailing blanks too, and a clue on the last two cells counts
/// the cells past the end as blanks, as the editors write it ("c7b" for
/// a row " 2 1" that ends the board). A board without cells has no
/// address: "".
std::string AddressOfBoard(const Board& board);

/// Why an address or a pzprv3 file could not be read.
enum class AddressProblem {
  None,
  NotAnAddress,   // no known site, or not "p?" / "p.html?" after it
  NotLoopPuzzle,  // the puzzle type is not "slither" / "slitherlink"
  MissingPart,    // the address ends, or a "/" is missing, before the body
  BadSize,        // a size that is no number from 1
  TooLarge,       // more than kMaxAddressCells cells
  EmptyBody,      // nothing after the size
  ClueFour,       // a clue 4, which a stage file cannot hold
  UnknownClue,    // a clue of unknown value ("." / "-")
  BadCharacter,   // a character the body does not use
  NonAscii,       // a character outside ASCII
  BodyTooLong,    // characters past the board's last cell
  RowTooShort,    // pzprv3: a row with fewer cells than the board's columns
  MissingRows,    // pzprv3: the file ends before the board's last row
};

/// A board read from an address, or why not: `column` is the 1-based
/// position in the text (counting characters) where the problem lies.
struct AddressReading {
  Board board;
  AddressProblem problem = AddressProblem::None;
  size_t line = 0;  // pzprv3 only: the line from 1
  size_t column = 0;
  bool ok() const { return problem == AddressProblem::None; }
};

/// Reads an address in any form the web's editors give, letter case of the
/// scheme and site aside: "https://puzz.link/p?...", "http://pzv.jp/p.html?...",
/// "https://pzplus.tck.mn/p.html?...", "https://pzprxs.vercel.app/p?...",
/// the same without "http(s)://", or just the part after "?". The part is
/// "slither" or "slitherlink", one optional flag part of letters, the
/// columns, the rows and the body, as AddressOfBoard writes it; the body
/// may stop before trailing blanks, and the blanks a clue's letter or a
/// run adds past the last cell are dropped. A clue 4 or ".", and anything
/// past the last cell, are errors.
AddressReading ReadAddress(std::u16string_view address);

/// Whether a line is meant as an address (a known site, a scheme, or the
/// loop puzzle's type and a "/" at its start), so that a line that is none
/// can be a title.
bool LooksLikeAddress(std::u16string_view line);

/// Whether the lines of a text file are a pzprv3 file: its first line
/// "pzprv3" or "pzprv3.1".
bool IsPzprv3(std::span<const std::u16string_view> lines);

/// The puzzle of a pzprv3 file of a loop puzzle: lines "pzprv3" (or
/// "pzprv3.1"), the type "slither", the rows, the columns, then one line of
/// cells per row separated by blanks, "." for none, a digit for a clue;
/// what follows (the answer's lines) is not read. Errors name the line
/// and the column.
AddressReading ReadPzprv3(std::span<const std::u16string_view> lines);

}  // namespace quarnel

#endif  // QUARNEL_PUZZLE_PUZZ_LINK_H_
