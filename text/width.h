#ifndef QUARNEL_TEXT_WIDTH_H_
#define QUARNEL_TEXT_WIDTH_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace quarnel {

/// The half-width form of `s`, code unit by code unit: full-width ASCII forms
/// (U+FF01..U+FF5E) become ASCII, the ideographic space becomes a blank, and
/// katakana with a half-width form take it; a voiced or semi-voiced katakana
/// becomes two code units. Everything else is kept. The same on every system.
std::u16string ToHalfWidth(std::u16string_view s);

/// Appends the half-width form of `s` to `out`, as ToHalfWidth gives it.
void AppendHalfWidth(std::u16string_view s, std::u16string* out);

/// Appends the cells of grid line `s` to `out`, one code unit per cell:
/// its half-width form, with a character beyond U+FFFF (a surrogate pair)
/// as one U+FFFD, since a cell is read only for its value and such a
/// character makes one cell, as it is one character on the screen.
void AppendGridCells(std::u16string_view s, std::u16string* out);

/// The full-width form of `s`: ASCII U+0021..U+007E become U+FF01..U+FF5E, a
/// blank becomes the ideographic space and half-width katakana become their
/// full-width forms. Everything else is kept.
std::u16string ToFullWidth(std::u16string_view s);

}  // namespace quarnel

#endif  // QUARNEL_TEXT_WIDTH_H_
