#ifndef QUARNEL_PLATFORM_UTF8_H_
#define QUARNEL_PLATFORM_UTF8_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace quarnel {

/// Decodes UTF-8 bytes such as a POSIX path or argument. A byte that is not
/// part of valid UTF-8 becomes the lone surrogate U+DC80 + byte, so that
/// EncodeUtf8 gives the original bytes back and any file name can be opened.
std::u16string DecodeUtf8(std::string_view bytes);

/// The length of the strictly valid UTF-8 sequence at byte `i` of `bytes`
/// (1 to 4), setting `*code_point`; 0 for an overlong form, a surrogate, a
/// code point above U+10FFFF, a stray or bad byte, or a sequence cut off.
size_t Utf8SequenceAt(std::string_view bytes, size_t i, uint32_t* code_point);

/// Encodes UTF-16 as UTF-8, turning the lone surrogates U+DC80..U+DCFF back
/// into their bytes; any other unpaired surrogate becomes U+FFFD.
std::string EncodeUtf8(std::u16string_view text);

/// Encodes UTF-16 as UTF-8 text, such as a page: every unpaired surrogate
/// becomes U+FFFD, so the result is always valid UTF-8.
std::string EncodeUtf8Text(std::u16string_view text);

}  // namespace quarnel

#endif  // QUARNEL_PLATFORM_UTF8_H_
