// Writes the whole table of the system code page backend: how each UTF-16
// code unit outside the surrogates encodes, and how each one- and two-byte
// sequence decodes. The Linux and Windows builds must write the same table.
#include <cstdio>
#include <string>

#include "platform/code_page.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: quarnel_code_page_table OUTPUT\n", stderr);
    return 2;
  }
  auto code_page = quarnel::MakeSystemCodePage();
  std::string out;
  char line[64];
  for (unsigned c = 1; c <= 0xFFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::string bytes = code_page->Encode(std::u16string(1, static_cast<char16_t>(c)));
    std::snprintf(line, sizeof line, "U+%04X ->", c);
    out += line;
    for (unsigned char b : bytes) {
      std::snprintf(line, sizeof line, " %02X", b);
      out += line;
    }
    out += '\n';
  }
  auto decode = [&](const std::string& bytes) {
    for (unsigned char b : bytes) {
      std::snprintf(line, sizeof line, "%02X", b);
      out += line;
    }
    std::u16string text;
    if (!code_page->Decode(bytes, &text)) {
      out += " invalid\n";
      return;
    }
    out += " <-";
    for (char16_t c : text) {
      std::snprintf(line, sizeof line, " U+%04X", static_cast<unsigned>(c));
      out += line;
    }
    out += '\n';
  };
  for (unsigned b = 1; b <= 0xFF; ++b) decode(std::string(1, static_cast<char>(b)));
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      decode(std::string{static_cast<char>(lead), static_cast<char>(trail)});
    }
  }
  FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) return 1;
  bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
  return std::fclose(file) == 0 && ok ? 0 : 1;
}
