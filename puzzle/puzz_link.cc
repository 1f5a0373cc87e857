#include "puzzle/puzz_link.h"

#include <algorithm>
#include <array>
#include <vector>

namespace quarnel {
namespace {

// The sites whose editors read the loop puzzle's address, and the pages
// that take it after "?".
constexpr std::array<std::u16string_view, 4> kSites = {u"puzz.link", u"pzv.jp",
                                                       u"pzplus.tck.mn", u"pzprxs.vercel.app"};
constexpr std::array<std::u16string_view, 2> kPages = {u"/p?", u"/p.html?"};
constexpr std::array<std::u16string_view, 2> kSchemes = {u"https://", u"http://"};
constexpr std::array<std::u16string_view, 2> kTypes = {u"slitherlink", u"slither"};

constexpr int kLongestRun = 20;

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

// Whether `text` starts with `start`, letter case aside.
bool StartsWithFolded(std::u16string_view text, std::u16string_view start) {
  return text.size() >= start.size() &&
         std::equal(start.begin(), start.end(), text.begin(),
                    [](char16_t a, char16_t b) { return Lower(a) == Lower(b); });
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// Reads the address piece by piece, each error naming where it lies.
class AddressReader {
 public:
  explicit AddressReader(std::u16string_view text) : text_(text) {}

  AddressReading Run() {
    for (size_t i = 0; i < text_.size(); ++i) {
      if (text_[i] >= 0x80) return Fail(AddressProblem::NonAscii, i);
    }
    SkipFront();
    if (reading_.problem != AddressProblem::None) return reading_;
    // The type, with its "/".
    size_t type_end = text_.find(u'/', at_);
    std::u16string_view type =
        text_.substr(at_, type_end == std::u16string_view::npos ? text_.npos : type_end - at_);
    if (std::find(kTypes.begin(), kTypes.end(), type) == kTypes.end()) {
      return Fail(AddressProblem::NotLoopPuzzle, at_);
    }
    if (type_end == std::u16string_view::npos) return Fail(AddressProblem::MissingPart, text_.size());
    at_ = type_end + 1;
    // One flag part of letters before the size.
    if (at_ < text_.size() && IsLetter(text_[at_])) {
      size_t end = at_;
      while (end < text_.size() && IsLetter(text_[end])) ++end;
      if (end >= text_.size() || text_[end] != u'/') {
        return Fail(end >= text_.size() ? AddressProblem::MissingPart : AddressProblem::BadSize,
                    end);
      }
      at_ = end + 1;
    }
    long long columns = 0, rows = 0;
    size_t columns_at = at_;
    if (!ReadSize(&columns) || !ReadSize(&rows)) return reading_;
    if (columns * rows > kMaxAddressCells) return Fail(AddressProblem::TooLarge, columns_at);
    if (at_ >= text_.size()) return Fail(AddressProblem::EmptyBody, at_);
    reading_.board = Board::Empty(static_cast<int>(columns), static_cast<int>(rows));
    ReadBody();
    return reading_;
  }

 private:
  AddressReading Fail(AddressProblem problem, size_t index) {
    reading_.problem = problem;
    reading_.column = index + 1;
    reading_.board = Board{};
    return reading_;
  }

  // Past any scheme, site and page: at the type.
  void SkipFront() {
    for (std::u16string_view scheme : kSchemes) {
      if (StartsWithFolded(text_.substr(at_), scheme)) {
        at_ += scheme.size();
        break;
      }
    }
    const bool scheme = at_ > 0;
    for (std::u16string_view site : kSites) {
      std::u16string_view rest = text_.substr(at_);
      if (!StartsWithFolded(rest, site) ||
          (rest.size() > site.size() && rest[site.size()] != u'/')) {
        continue;
      }
      at_ += site.size();
      for (std::u16string_view page : kPages) {
        if (text_.substr(at_).starts_with(page)) {
          at_ += page.size();
          return;
        }
      }
      Fail(AddressProblem::NotAnAddress, at_);
      return;
    }
    if (scheme) Fail(AddressProblem::NotAnAddress, at_);
  }

  // A size from 1 and its "/".
  bool ReadSize(long long* size) {
    size_t start = at_;
    while (at_ < text_.size() && IsDigit(text_[at_])) {
      if (*size > kMaxAddressCells) {
        Fail(AddressProblem::TooLarge, start);
        return false;
      }
      *size = *size * 10 + (text_[at_++] - u'0');
    }
    if (at_ == start && at_ < text_.size() && text_[at_] != u'/') {
      Fail(AddressProblem::BadSize, at_);
      return false;
    }
    if (at_ >= text_.size()) {
      Fail(AddressProblem::MissingPart, at_);
      return false;
    }
    if (text_[at_] != u'/') {
      Fail(AddressProblem::BadSize, at_);
      return false;
    }
    if (*size == 0) {
      Fail(AddressProblem::BadSize, start);
      return false;
    }
    if (*size > kMaxAddressCells) {
      Fail(AddressProblem::TooLarge, start);
      return false;
    }
    ++at_;
    return true;
  }

  void ReadBody() {
    std::vector<signed char>& clues = reading_.board.clues;
    const size_t cells = clues.size();
    size_t cell = 0;
    for (size_t i = at_; i < text_.size(); ++i) {
      const char16_t c = text_[i];
      if (cell >= cells) {
        Fail(AddressProblem::BodyTooLong, i);
        return;
      }
      int clue = -1, blanks = 0;
      if (c >= u'0' && c <= u'3') {
        clue = c - u'0';
      } else if (c >= u'5' && c <= u'8') {
        clue = c - u'5';
        blanks = 1;
      } else if (c >= u'a' && c <= u'd') {
        clue = c - u'a';
        blanks = 2;
      } else if (c >= u'g' && c <= u'z') {
        blanks = c - u'f';
      } else {
        Fail(c == u'4' || c == u'9' || c == u'e' ? AddressProblem::ClueFour
             : c == u'.'                          ? AddressProblem::UnknownClue
                                                  : AddressProblem::BadCharacter,
             i);
        return;
      }
      if (clue >= 0) clues[cell++] = static_cast<signed char>(clue);
      // Blanks past the last cell are dropped.
      cell = std::min(cells, cell + static_cast<size_t>(blanks));
    }
  }

  std::u16string_view text_;
  size_t at_ = 0;
  AddressReading reading_;
};

char Base36(int digit) { return static_cast<char>(digit < 10 ? '0' + digit : 'a' + digit - 10); }

std::u16string_view Trimmed(std::u16string_view line) {
  while (!line.empty() && (line.back() == u' ' || line.back() == u'\t')) line.remove_suffix(1);
  while (!line.empty() && (line.front() == u' ' || line.front() == u'\t')) line.remove_prefix(1);
  return line;
}

}  // namespace

std::string AddressOfBoard(const Board& board) {
  if (board.width <= 0 || board.height <= 0) return {};
  std::string address(kAddressStart);
  address += std::to_string(board.width) + '/' + std::to_string(board.height) + '/';
  const std::vector<signed char>& clues = board.clues;
  const size_t cells = clues.size();
  // As the editors write it, a clue on the last cells is followed by
  // blanks past the end: "b" for a last 1, not "1".
  auto blank = [&](size_t i) { return i >= cells || clues[i] == Board::kNoClue; };
  for (size_t i = 0; i < cells;) {
    if (clues[i] == Board::kNoClue) {
      int run = 0;
      while (run < kLongestRun && i < cells && blank(i)) {
        ++run;
        ++i;
      }
      address += Base36(run + 15);
    } else {
      const int clue = clues[i];
      if (blank(i + 1) && blank(i + 2)) {
        address += Base36(10 + clue);
        i += 3;
      } else if (blank(i + 1)) {
        address += Base36(5 + clue);
        i += 2;
      } else {
        address += Base36(clue);
        i += 1;
      }
    }
  }
  return address;
}

AddressReading ReadAddress(std::u16string_view address) { return AddressReader(address).Run(); }

bool LooksLikeAddress(std::u16string_view line) {
  line = Trimmed(line);
  if (line.find(u"://") != std::u16string_view::npos) return true;
  for (std::u16string_view site : kSites) {
    if (StartsWithFolded(line, site)) return true;
  }
  for (std::u16string_view type : kTypes) {
    if (line.starts_with(type) && line.size() > type.size() && line[type.size()] == u'/') {
      return true;
    }
  }
  return false;
}

bool IsPzprv3(std::span<const std::u16string_view> lines) {
  if (lines.empty()) return false;
  std::u16string_view first = Trimmed(lines[0]);
  // A byte order mark read as a character stays out of the comparison.
  if (!first.empty() && first.front() == u'\xFEFF') first.remove_prefix(1);
  return first == u"pzprv3" || first == u"pzprv3.1";
}

AddressReading ReadPzprv3(std::span<const std::u16string_view> lines) {
  AddressReading reading;
  auto fail = [&](AddressProblem problem, size_t line, size_t column) {
    reading.problem = problem;
    reading.line = line + 1;
    reading.column = column + 1;
    reading.board = Board{};
    return reading;
  };
  // A file that ends too early is named at its last line.
  const size_t last = lines.empty() ? 0 : lines.size() - 1;
  if (lines.size() < 2) return fail(AddressProblem::MissingPart, last, 0);
  if (Trimmed(lines[1]) != u"slither") return fail(AddressProblem::NotLoopPuzzle, 1, 0);
  long long sizes[2] = {0, 0};  // rows, then columns
  for (size_t k = 0; k < 2; ++k) {
    const size_t index = 2 + k;
    if (index >= lines.size()) return fail(AddressProblem::MissingPart, last, 0);
    std::u16string_view line = lines[index];
    size_t start = 0;
    while (start < line.size() && line[start] == u' ') ++start;
    size_t end = start;
    while (end < line.size() && IsDigit(line[end])) {
      sizes[k] = std::min(sizes[k] * 10 + (line[end] - u'0'), kMaxAddressCells + 1);
      ++end;
    }
    if (end == start || Trimmed(line.substr(end)).size() != 0 || sizes[k] == 0) {
      return fail(AddressProblem::BadSize, index, start);
    }
    if (sizes[k] > kMaxAddressCells) return fail(AddressProblem::TooLarge, index, start);
  }
  const long long rows = sizes[0], columns = sizes[1];
  if (rows * columns > kMaxAddressCells) return fail(AddressProblem::TooLarge, 2, 0);
  Board board = Board::Empty(static_cast<int>(columns), static_cast<int>(rows));
  for (int row = 0; row < board.height; ++row) {
    const size_t index = 4 + static_cast<size_t>(row);
    if (index >= lines.size()) return fail(AddressProblem::MissingRows, last, 0);
    std::u16string_view line = lines[index];
    size_t i = 0;
    for (int column = 0; column < board.width; ++column) {
      while (i < line.size() && line[i] == u' ') ++i;
      if (i >= line.size()) return fail(AddressProblem::RowTooShort, index, i);
      const size_t start = i;
      while (i < line.size() && line[i] != u' ') ++i;
      std::u16string_view cell = line.substr(start, i - start);
      if (cell.size() == 1 && cell[0] >= u'0' && cell[0] <= u'3') {
        board.clues[static_cast<size_t>(row) * board.width + column] =
            static_cast<signed char>(cell[0] - u'0');
      } else if (cell == u"4") {
        return fail(AddressProblem::ClueFour, index, start);
      } else if (cell == u"-") {
        return fail(AddressProblem::UnknownClue, index, start);
      } else if (cell != u".") {
        return fail(AddressProblem::BadCharacter, index, start);
      }
    }
  }
  reading.board = std::move(board);
  return reading;
}

}  // namespace quarnel
