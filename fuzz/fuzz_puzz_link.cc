// Any bytes as an address (each byte one character, and as UTF-8 where it
// decodes) and as the lines of a pzprv3 file: the readers never fail
// unsafely, and every board they accept is written as an address that
// reads back as the same board.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "input/text_encoding.h"
#include "platform/utf8.h"
#include "puzzle/puzz_link.h"

namespace quarnel {
namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckRoundTrip(const AddressReading& reading) {
  if (!reading.ok()) {
    Check(reading.column >= 1 && reading.board.clues.empty());
    return;
  }
  const Board& board = reading.board;
  Check(board.width > 0 && board.height > 0 &&
        board.clues.size() == static_cast<size_t>(board.width) * board.height);
  const std::string address = AddressOfBoard(board);
  AddressReading again = ReadAddress(std::u16string(address.begin(), address.end()));
  Check(again.ok() && again.board.width == board.width && again.board.height == board.height &&
        again.board.clues == board.clues);
}

}  // namespace
}  // namespace quarnel

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarnel;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::u16string text(bytes.begin(), bytes.end());
  for (char16_t& c : text) c = static_cast<unsigned char>(c);
  AddressReading reading = ReadAddress(text);
  Check(reading.ok() || reading.column <= text.size() + 1);
  CheckRoundTrip(reading);
  if (IsStrictUtf8(bytes)) CheckRoundTrip(ReadAddress(DecodeUtf8(bytes)));
  // The same bytes as the lines of a file.
  std::vector<std::u16string_view> lines;
  std::u16string_view rest(text);
  for (size_t lf = rest.find(u'\n'); lf != std::u16string_view::npos; lf = rest.find(u'\n')) {
    lines.push_back(rest.substr(0, lf));
    rest.remove_prefix(lf + 1);
  }
  lines.push_back(rest);
  if (IsPzprv3(lines)) CheckRoundTrip(ReadPzprv3(lines));
  return 0;
}
