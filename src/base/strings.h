// Small text helpers shared by every reader: trimming, upper case, splitting.
// Texts are UTF-8 inside the program; only ASCII letters change case, as in the
// users' files where point names and keywords are ASCII.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velorin {

std::string Trim(std::string_view s);
std::string UpperCase(std::string_view s);
bool StartsWith(std::string_view s, std::string_view prefix);
bool EndsWith(std::string_view s, std::string_view suffix);
std::vector<std::string> Split(std::string_view s, char separator);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
std::string ReplaceAll(std::string s, std::string_view from, std::string_view to);
// Number of characters (code points) in a UTF-8 text.
size_t CharCount(std::string_view utf8);
// Appends one character (code point) in UTF-8.
void AppendUtf8(std::string& out, char32_t code_point);
// The first n characters (code points) of a UTF-8 text.
std::string LeftChars(std::string_view utf8, size_t n);

}  // namespace velorin
