#include <windows.h>

#include <climits>

#include "platform/code_page.h"
#include "platform/utf8.h"
#include "text/code_points.h"

namespace quarnel {
namespace {

// Code page 932 as Linux's iconv has it, where Windows's differs; so the
// Windows program writes the same bytes as the Linux one.
//
// Nine characters that Windows encodes only by best fit (which would also
// turn "é" into "e"), and iconv as these bytes.
struct OneWay {
  char16_t c;
  const char* bytes;
};
constexpr OneWay kOneWay[] = {
    {0x00A2, "\x81\x91"}, {0x00A3, "\x81\x92"}, {0x00A5, "\x5C"},
    {0x00AC, "\x81\xCA"}, {0x2014, "\x81\x5C"}, {0x2016, "\x81\x61"},
    {0x203E, "\x7E"},      {0x2212, "\x81\x7C"}, {0x301C, "\x81\x60"},
};

// The single bytes 80, A0, FD, FE and FF are text only on Windows (as
// U+0080 and U+F8F0 to U+F8F3); elsewhere they are invalid.
bool IsWindowsOnlyByte(unsigned char b) { return b == 0x80 || b == 0xA0 || b >= 0xFD; }
bool IsWindowsOnlyCharacter(char16_t c) { return c == 0x0080 || (c >= 0xF8F0 && c <= 0xF8F3); }
bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The bytes iconv gives a character that Windows encodes only by best fit,
// or null.
const char* OneWayBytes(char16_t c) {
  for (const auto& one_way : kOneWay) {
    if (one_way.c == c) return one_way.bytes;
  }
  return nullptr;
}

// The code page of file contents: the system's ANSI code page, except
// where that is UTF-8 (Windows' "Unicode UTF-8 for worldwide language
// support" option), which leaves no ANSI code page: stage files and
// templates are Shift_JIS there too, and 932 serves them.
UINT FileCodePage() {
  UINT ansi = GetACP();
  return ansi == CP_UTF8 ? 932 : ansi;
}

// The most bytes one UTF-16 code unit takes in `code_page`.
size_t MostBytesPerUnit(UINT code_page) {
  CPINFO info;
  if (!GetCPInfo(code_page, &info) || info.MaxCharSize < 1) return 2;
  return info.MaxCharSize;
}

class Win32CodePage final : public CodePage {
 public:
  bool Decode(std::string_view bytes, std::u16string* text) override {
    text->clear();
    if (bytes.empty()) return true;
    if (bytes.size() > INT_MAX) return false;
    if (is_932_) {
      for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (IsLeadByte(b)) {
          ++i;  // the trail byte is checked by the conversion
        } else if (IsWindowsOnlyByte(b)) {
          return false;
        }
      }
    }
    // Every character takes one or two bytes and becomes one code unit.
    text->resize(bytes.size());
    int length = MultiByteToWideChar(code_page_, MB_ERR_INVALID_CHARS, bytes.data(),
                                     static_cast<int>(bytes.size()),
                                     reinterpret_cast<wchar_t*>(text->data()),
                                     static_cast<int>(text->size()));
    if (length <= 0) return false;
    text->resize(static_cast<size_t>(length));
    return true;
  }

  std::string Encode(std::u16string_view text) override {
    // Every ANSI code page keeps ASCII as it is, and a page is mostly ASCII
    // markup: ASCII runs are copied in blocks. Runs of other characters go
    // to the system's conversion at once; the characters it must not see
    // are handled between the runs.
    ByteGatherer bytes(text.size());
    size_t i = 0;
    for (;;) {
      size_t start = i;
      while (i < text.size() && text[i] >= 0x80 && !NeedsOwnHandling(text[i])) ++i;
      if (i > start) AppendRun(text.substr(start, i - start), bytes.Flushed());
      if (i == text.size()) break;
      char16_t c = text[i];
      if (c < 0x80) {
        i = bytes.CopyAsciiRun(text, i);
        continue;
      }
      if (IsSurrogate(c)) {
        // The code page converts one code unit at a time and has nothing
        // beyond the first plane: a pair is one character, one reference.
        AppendCharacterReferenceAt(text, &i, bytes.Flushed());
      } else if (const char* one_way = OneWayBytes(c)) {
        *bytes.Flushed() += one_way;
      } else {
        AppendCharacterReferenceAt(text, &i, bytes.Flushed());  // a Windows-only character
      }
      ++i;
    }
    return bytes.Take();
  }

 private:
  bool NeedsOwnHandling(char16_t c) const {
    if (IsSurrogate(c)) return true;
    return is_932_ && (IsWindowsOnlyCharacter(c) || OneWayBytes(c) != nullptr);
  }

  // Converts without best fit (U+00A5 is not "\"); false when a character
  // is missing from the code page.
  bool Convert(std::u16string_view run, std::string* bytes) const {
    size_t at = bytes->size();
    bytes->resize(at + run.size() * bytes_per_unit_);
    BOOL used_default = FALSE;
    int length = WideCharToMultiByte(
        code_page_, WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t*>(run.data()),
        static_cast<int>(run.size()), bytes->data() + at,
        static_cast<int>(run.size() * bytes_per_unit_), "?", &used_default);
    if (length <= 0 || used_default) {
      bytes->resize(at);
      return false;
    }
    bytes->resize(at + static_cast<size_t>(length));
    return true;
  }

  // Encodes text without surrogates. A piece that holds a character the
  // code page lacks is done again one character at a time, writing the
  // reference of each missing one.
  void AppendRun(std::u16string_view run, std::string* bytes) const {
    while (!run.empty()) {
      // Pieces small enough for an int count of bytes.
      size_t piece = run.size() < (1u << 28) ? run.size() : (1u << 28);
      if (!Convert(run.substr(0, piece), bytes)) {
        for (size_t i = 0; i < piece; ++i) {
          if (!Convert(run.substr(i, 1), bytes)) AppendCharacterReference(run[i], bytes);
        }
      }
      run.remove_prefix(piece);
    }
  }

  UINT code_page_ = FileCodePage();
  size_t bytes_per_unit_ = MostBytesPerUnit(code_page_);
  bool is_932_ = code_page_ == 932;
};

}  // namespace

std::unique_ptr<CodePage> MakeSystemCodePage() {
  return std::make_unique<Win32CodePage>();
}

}  // namespace quarnel
