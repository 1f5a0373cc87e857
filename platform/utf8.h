#ifndef QUARNEL_PLATFORM_UTF8_H_
#define QUARNEL_PLATFORM_UTF8_H_

#include <string>
#include <string_view>

namespace quarnel {

/// Decodes UTF-8 bytes such as a POSIX path or argument. A byte that is not
/// part of valid UTF-8 becomes the lone surrogate U+DC80 + byte, so that
/// EncodeUtf8 gives the original bytes back and any file name can be opened.
std::u16string DecodeUtf8(std::string_view bytes);

/// Encodes UTF-16 as UTF-8, turning the lone surrogates U+DC80..U+DCFF back
/// into their bytes; any other unpaired surrogate becomes U+FFFD.
std::string EncodeUtf8(std::u16string_view text);

}  // namespace quarnel

#endif  // QUARNEL_PLATFORM_UTF8_H_
