// Byte-text helpers shared by the reader and the style rules. Text is
// single-byte: letter case is ASCII case, other bytes are left alone.
#pragma once

#include <string>
#include <string_view>

inline char HtmlLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string HtmlLowerCopy(std::string_view text);
bool HtmlSameText(std::string_view a, std::string_view b); // ASCII case ignored
// `text` without blanks (space, tab, CR, LF, form feed) at either end.
std::string HtmlTrim(std::string_view text);

// Replaces character references ("&amp;", "&#233;", "&#xE9;") by their
// Windows-1252 bytes; a character that code page lacks becomes '?', and an
// ampersand that starts no known reference stays as written.
std::string DecodeHtmlReferences(std::string_view text);
