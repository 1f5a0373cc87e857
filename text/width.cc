#include "text/width.h"

#include "text/code_points.h"

#include <array>
#include <cstdint>

namespace quarnel {
namespace {

// Full-width forms of the half-width katakana block U+FF61..U+FF9F, in
// order. The two sound marks take their spacing forms (U+309B, U+309C), which
// the Japanese code page can store; the combining ones cannot be written.
constexpr std::array<char16_t, 0x3F> kFullKana = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3,  // FF61
    0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC,  // FF69
    0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF,  // FF71
    0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF,  // FF79
    0x30C1, 0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD,  // FF81
    0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF,  // FF89
    0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9, 0x30EA,  // FF91
    0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C,          // FF99
};

constexpr char16_t kVoicedMark = 0xFF9E;
constexpr char16_t kSemiVoicedMark = 0xFF9F;

// Half-width form of one full-width katakana (U+3000..U+30FF): the base
// letter in the low 16 bits and an optional sound mark in the high 16 bits;
// 0 where there is no half-width form.
struct KanaTable {
  std::array<uint32_t, 0x100> half{};

  constexpr KanaTable() {
    for (size_t i = 0; i < kFullKana.size(); ++i) {
      half[kFullKana[i] - 0x3000] = 0xFF61 + static_cast<uint32_t>(i);
    }
    // The combining sound marks fold to the same half-width marks.
    half[0x3099 - 0x3000] = kVoicedMark;
    half[0x309A - 0x3000] = kSemiVoicedMark;
    // Voiced letters are the unvoiced letter's code point plus one, and the
    // semi-voiced ones plus two, in the rows of ka/sa/ta (ha for both).
    constexpr char16_t kVoiceable[] = {
        0x30AB, 0x30AD, 0x30AF, 0x30B1, 0x30B3,  // ka ki ku ke ko
        0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD,  // sa shi su se so
        0x30BF, 0x30C1, 0x30C4, 0x30C6, 0x30C8,  // ta chi tsu te to
    };
    for (char16_t base : kVoiceable) {
      half[base + 1 - 0x3000] = half[base - 0x3000] | (uint32_t{kVoicedMark} << 16);
    }
    constexpr char16_t kHaRow[] = {0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB};
    for (char16_t base : kHaRow) {
      half[base + 1 - 0x3000] = half[base - 0x3000] | (uint32_t{kVoicedMark} << 16);
      half[base + 2 - 0x3000] =
          half[base - 0x3000] | (uint32_t{kSemiVoicedMark} << 16);
    }
    // vu, and va and vo, which Unicode spells as wa and wo with the mark.
    half[0x30F4 - 0x3000] = half[0x30A6 - 0x3000] | (uint32_t{kVoicedMark} << 16);
    half[0x30F7 - 0x3000] = half[0x30EF - 0x3000] | (uint32_t{kVoicedMark} << 16);
    half[0x30FA - 0x3000] = half[0x30F2 - 0x3000] | (uint32_t{kVoicedMark} << 16);
    // The ideographic space is handled on its own, not as a kana.
    half[0] = 0;
  }
};

constexpr KanaTable kKana;

}  // namespace

std::u16string ToHalfWidth(std::u16string_view s) {
  std::u16string result;
  result.reserve(s.size());
  AppendHalfWidth(s, &result);
  return result;
}

void AppendHalfWidth(std::u16string_view s, std::u16string* out) {
  std::u16string& result = *out;
  for (size_t i = 0; i < s.size();) {
    // Runs below U+3000, ASCII among them, stay as they are.
    size_t run = i;
    while (run < s.size() && s[run] < 0x3000) ++run;
    result.append(s.substr(i, run - i));
    if (run == s.size()) break;
    i = run + 1;
    const char16_t c = s[run];
    if (c >= 0xFF01 && c <= 0xFF5E) {
      result.push_back(static_cast<char16_t>(c - 0xFF01 + 0x21));
    } else if (c == 0x3000) {
      result.push_back(u' ');
    } else if (c > 0x3000 && c <= 0x30FF && kKana.half[c - 0x3000] != 0) {
      uint32_t half = kKana.half[c - 0x3000];
      result.push_back(static_cast<char16_t>(half & 0xFFFF));
      if (half >> 16) result.push_back(static_cast<char16_t>(half >> 16));
    } else {
      result.push_back(c);
    }
  }
}

void AppendGridCells(std::u16string_view s, std::u16string* out) {
  size_t start = out->size();
  AppendHalfWidth(s, out);
  // Folding keeps surrogates as they are, so the pairs are joined afterwards.
  std::u16string& cells = *out;
  size_t kept = start;
  for (size_t i = start; i < cells.size(); ++i) {
    size_t first = i;
    CodePointAt(cells, &i);
    cells[kept++] = i > first ? u'\uFFFD' : cells[i];
  }
  cells.resize(kept);
}

std::u16string ToFullWidth(std::u16string_view s) {
  std::u16string result;
  result.reserve(s.size());
  for (char16_t c : s) {
    if (c >= 0x21 && c <= 0x7E) {
      result.push_back(static_cast<char16_t>(c - 0x21 + 0xFF01));
    } else if (c == u' ') {
      result.push_back(0x3000);
    } else if (c >= 0xFF61 && c <= 0xFF9F) {
      result.push_back(kFullKana[c - 0xFF61]);
    } else {
      result.push_back(c);
    }
  }
  return result;
}

}  // namespace quarnel
