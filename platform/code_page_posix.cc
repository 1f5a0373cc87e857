#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>

#include "platform/code_page.h"

namespace quarnel {
namespace {

constexpr const char* kNative16 =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
constexpr const char* kCodePage = "CP932";

// Owns one iconv conversion; the code page is stateless, so a reset before
// each call is all a reuse needs.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // Converts as much as it can; returns 0 or the errno that stopped it.
  int Convert(char** in, size_t* in_left, char** out, size_t* out_left) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    return iconv(cd_, in, in_left, out, out_left) == static_cast<size_t>(-1) ? errno : 0;
  }

 private:
  iconv_t cd_;
};

class IconvCodePage final : public CodePage {
 public:
  bool Decode(std::string_view bytes, std::u16string* text) override {
    if (!decoder_.ok()) return false;
    // Every character takes one or two bytes and becomes one code unit.
    text->resize(bytes.size());
    char* in = const_cast<char*>(bytes.data());
    size_t in_left = bytes.size();
    char* out = reinterpret_cast<char*>(text->data());
    size_t out_left = text->size() * sizeof(char16_t);
    if (decoder_.Convert(&in, &in_left, &out, &out_left) != 0 || in_left != 0) {
      return false;
    }
    text->resize(text->size() - out_left / sizeof(char16_t));
    return true;
  }

  std::string Encode(std::u16string_view text) override {
    std::string bytes(text.size() * 2, '\0');
    char* out = bytes.data();
    size_t out_left = bytes.size();
    // The code page keeps ASCII as it is, and a page is mostly ASCII markup:
    // only the runs of other characters go through the converter.
    for (size_t i = 0; i < text.size();) {
      size_t j = i;
      while (j < text.size() && text[j] < 0x80) *out++ = static_cast<char>(text[j++]);
      out_left -= j - i;
      for (i = j; j < text.size() && text[j] >= 0x80;) ++j;
      if (j > i) EncodeRun(text.substr(i, j - i), &out, &out_left);
      i = j;
    }
    bytes.resize(bytes.size() - out_left);
    return bytes;
  }

 private:
  // Encodes characters none of which is ASCII; there are two bytes of room
  // for each code unit.
  void EncodeRun(std::u16string_view text, char** out, size_t* out_left) {
    if (!encoder_.ok()) {
      for (size_t i = 0; i < text.size(); ++i) *(*out)++ = '?';
      *out_left -= text.size();
      return;
    }
    char* in = const_cast<char*>(reinterpret_cast<const char*>(text.data()));
    size_t in_left = text.size() * sizeof(char16_t);
    while (in_left > 0) {
      int error = encoder_.Convert(&in, &in_left, out, out_left);
      if (error == 0) break;
      // A character the code page lacks, or a broken surrogate pair: one "?"
      // for the whole character, and go on after it.
      size_t skip = sizeof(char16_t);
      const char16_t* at = reinterpret_cast<const char16_t*>(in);
      if (in_left >= 2 * sizeof(char16_t) && at[0] >= 0xD800 && at[0] <= 0xDBFF &&
          at[1] >= 0xDC00 && at[1] <= 0xDFFF) {
        skip = 2 * sizeof(char16_t);
      }
      if (error == E2BIG || *out_left == 0) break;  // cannot happen: 2 bytes a unit
      *(*out)++ = '?';
      --*out_left;
      in += std::min(skip, in_left);
      in_left -= std::min(skip, in_left);
    }
  }

  Converter decoder_{kNative16, kCodePage};
  Converter encoder_{kCodePage, kNative16};
};

}  // namespace

std::unique_ptr<CodePage> MakeSystemCodePage() {
  return std::make_unique<IconvCodePage>();
}

}  // namespace quarnel
