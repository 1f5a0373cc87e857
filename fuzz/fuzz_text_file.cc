// Any bytes as an input file: the encoding decision and the line reader
// together, through the real code page. Checks that the decision follows its
// rule, that a file read as UTF-8 comes back byte for byte, that lines hold
// no line end of their kind, and that the page encoder never writes a "?"
// the text does not have.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "input/text_file.h"
#include "platform/utf8.h"
#include "testing/fake_platform.h"

namespace quarnel {
namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool HasLongSequenceLead(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0xE0; });
}

}  // namespace
}  // namespace quarnel

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarnel;
  static std::unique_ptr<CodePage> code_page = MakeSystemCodePage();
  std::string bytes(reinterpret_cast<const char*>(data), size);
  TextEncoding encoding = DecideTextEncoding(bytes);
  switch (encoding) {
    case TextEncoding::Utf8WithBom:
      Check(bytes.starts_with(kUtf8ByteOrderMark));
      break;
    case TextEncoding::Utf8:
      // In strict UTF-8 a byte from E0 up only leads a long sequence.
      Check(IsStrictUtf8(bytes) && HasLongSequenceLead(bytes));
      break;
    case TextEncoding::CodePage:
      Check(!bytes.starts_with(kUtf8ByteOrderMark));
      Check(!IsStrictUtf8(bytes) || !HasLongSequenceLead(bytes));
      break;
  }
  std::string_view text_bytes = TextBytes(bytes, encoding);

  FakeFileSystem files;
  files.files[u"f.dat"] = bytes;
  TextFile file;
  FileError error;
  bool ok = ReadTextFile(files, *code_page, u"f.dat", &file, &error);
  Check(file.encoding == encoding);
  Check(file.line_ends == DecideLineEnds(text_bytes));
  size_t line_count = LineNumberAt(text_bytes, text_bytes.size(), file.line_ends);
  if (!ok) {
    Check(error.kind == FileError::Kind::InvalidText ||
          error.kind == FileError::Kind::NulCharacter);
    Check(encoding != TextEncoding::Utf8 || error.kind == FileError::Kind::NulCharacter);
    Check(error.line >= 1 && error.line <= line_count);
    return 0;
  }
  if (encoding != TextEncoding::CodePage) Check(EncodeUtf8Text(file.text) == text_bytes);
  // Lines hold no end of their kind, and there are as many as the bytes say.
  char16_t end_mark = file.line_ends == LineEnds::Lf ? u'\n' : u'\r';
  for (std::u16string_view line : file.lines) {
    Check(line.find(end_mark) == std::u16string_view::npos);
  }
  Check(file.lines.size() <= line_count);
  Check(file.lines.size() + 1 >= line_count);
  // A page of this text in the code page keeps every "?" and adds none.
  std::string page = code_page->Encode(file.text);
  Check(std::count(page.begin(), page.end(), '?') ==
        std::count(file.text.begin(), file.text.end(), u'?'));
  return 0;
}
