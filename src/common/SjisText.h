// Shift-JIS text helpers: case folding for comparisons, the full-width space,
// and conversion to and from UTF-8 for the widget boundary and for system texts.
#pragma once

#include <string>
#include <string_view>

namespace novalune {

// Upper-cases ASCII letters only; every other byte stays, and so does a
// Shift-JIS trail byte that happens to be a letter code (0x83 0x61 is ヂ, not
// a lower-case a). This is the fold for nick, room and command comparison.
// A lead byte without a valid trail is a byte of its own (IsSjisPair).
std::string AsciiUpper(std::string_view text);
// True when both sides are equal after AsciiUpper.
bool EqualsNoCase(std::string_view a, std::string_view b);

// The same fold, under the name the address handling uses: ASCII letters
// outside double-byte characters; full-width letters stay as they are.
std::string SjisUpper(std::string_view text);

// True when text[position] starts the full-width space 0x81 0x40.
bool IsZenkakuSpace(std::string_view text, std::size_t position);

// True when the byte leads a Shift-JIS double-byte character.
bool IsSjisLead(unsigned char byte);
bool IsSjisTrail(unsigned char byte);
// True when text[position] starts a double-byte character: a lead byte with a
// valid trail byte. A lead before anything else (a CR, a blank, the end) is a
// single invalid byte, so scans never take the byte after it.
bool IsSjisPair(std::string_view text, std::size_t position);

// Code page 932 <-> UTF-8. Unconvertible characters become '?'.
std::string SjisToUtf8(std::string_view sjis);
std::string Utf8ToSjis(std::string_view utf8);

// A system text written in UTF-8 in the source, converted to Shift-JIS once
// and kept for the life of the process. `utf8` must be a string literal.
const std::string& SysText(const char* utf8);

}  // namespace novalune
