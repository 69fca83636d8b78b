// Text files as the users' programs write them: GBK (code page 936) with CR LF.
// Inside the program every text is UTF-8; conversion happens here and nowhere else.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

namespace velorin {

// UTF-8 -> GBK. Characters GBK lacks become '?', so a file is always written whole.
std::string Utf8ToGbk(std::string_view utf8);
// GBK -> UTF-8. Bytes that are not GBK become U+FFFD rather than stopping a reader.
std::string GbkToUtf8(std::string_view gbk);
// True when the bytes are valid UTF-8 (ASCII included).
bool IsValidUtf8(std::string_view bytes);
// Decodes a file's bytes: UTF-8 when it has a BOM or is valid UTF-8 with non-ASCII
// characters, GBK otherwise.
std::string DecodeText(std::string_view bytes);

// The lines of a text file, decoded to UTF-8, line ends (CR LF, LF or CR) removed.
// A last line without line end counts; an empty file has no lines.
struct TextLines {
    Status status;
    std::vector<std::string> lines;
};
TextLines ReadTextLines(const std::string& path);
std::vector<std::string> SplitLines(std::string_view text);

// Writes the lines in GBK, each ended by CR LF, replacing any earlier file atomically.
Status WriteTextLines(const std::string& path, const std::vector<std::string>& lines);

// Whole-file helpers.
std::optional<std::string> ReadFileBytes(const std::string& path);
// Writes beside the target and renames over it, so a failed write leaves the old file.
Status WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace velorin
