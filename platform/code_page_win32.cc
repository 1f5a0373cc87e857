#include <windows.h>

#include <climits>

#include "platform/code_page.h"

namespace quarnel {
namespace {

bool IsSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }

class Win32CodePage final : public CodePage {
 public:
  bool Decode(std::string_view bytes, std::u16string* text) override {
    text->clear();
    if (bytes.empty()) return true;
    if (bytes.size() > INT_MAX) return false;
    // Every character takes one or two bytes and becomes one code unit.
    text->resize(bytes.size());
    int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(),
                                     static_cast<int>(bytes.size()),
                                     reinterpret_cast<wchar_t*>(text->data()),
                                     static_cast<int>(text->size()));
    if (length <= 0) return false;
    text->resize(static_cast<size_t>(length));
    return true;
  }

  std::string Encode(std::u16string_view text) override {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    // The code page converts one code unit at a time, so a surrogate pair
    // would come out as two "?"; it is one character, and one "?".
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
      if (i < text.size() && !IsSurrogate(text[i])) continue;
      AppendRun(text.substr(start, i - start), &bytes);
      if (i == text.size()) break;
      bytes.push_back('?');
      if (text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
          text[i + 1] <= 0xDFFF) {
        ++i;
      }
      start = i + 1;
    }
    return bytes;
  }

 private:
  // Encodes text without surrogates. Without best fit a character the code
  // page lacks becomes "?" instead of a look-alike (U+00A5 is not "\").
  static void AppendRun(std::u16string_view run, std::string* bytes) {
    while (!run.empty()) {
      // Pieces small enough for an int count of bytes.
      size_t piece = run.size() < (1u << 28) ? run.size() : (1u << 28);
      size_t at = bytes->size();
      bytes->resize(at + piece * 2);
      BOOL used_default = FALSE;
      int length = WideCharToMultiByte(
          CP_ACP, WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t*>(run.data()),
          static_cast<int>(piece), bytes->data() + at, static_cast<int>(piece * 2), "?",
          &used_default);
      if (length <= 0) {
        bytes->resize(at);
        bytes->append(piece, '?');
      } else {
        bytes->resize(at + static_cast<size_t>(length));
      }
      run.remove_prefix(piece);
    }
  }
};

}  // namespace

std::unique_ptr<CodePage> MakeSystemCodePage() {
  return std::make_unique<Win32CodePage>();
}

}  // namespace quarnel
