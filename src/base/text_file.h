// Text files as the users' programs write them: GBK (code page 936) with CR LF.
// Inside the program every text is UTF-8; conversion happens here and nowhere else.
//
// Reading. A file is GBK unless one of these holds, and then it is UTF-8:
//   - it starts with the UTF-8 byte-order mark EF BB BF;
//   - its bytes are not valid GB18030 (which includes GBK) but are valid UTF-8;
//   - its bytes are valid UTF-8 with non-ASCII characters, and that reading is plainly
//     Chinese text: at least one CJK ideograph, CJK punctuation or full-width form, and
//     such characters at least as many as all other non-ASCII characters together
//     (so "°" or "±" among Chinese text stays UTF-8).
// Many GBK characters also form valid UTF-8 (水 CB AE, 桩 D7 AE, 路 C2 B7), but their
// UTF-8 reading is a string of Latin, IPA or Hebrew letters, never Chinese, so valid
// UTF-8 alone decides nothing.
//
// Writing. Files are written in GB18030: every character GBK has gets its GBK bytes, so
// the files stay byte for byte what older programs write, and any other character is
// kept in its four-byte GB18030 form instead of being lost.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"
#include "base/status.h"

namespace velorin {

// UTF-8 -> GB18030: GBK bytes for every character GBK has, four-byte GB18030 codes for
// the others. When `outside` is given it is set to whether any character lacked a GBK
// code.
std::string Utf8ToGbk(std::string_view utf8, bool* outside = nullptr);
// GB18030 (so GBK too) -> UTF-8. Bytes that are not GB18030 become U+FFFD rather than
// stopping a reader.
std::string GbkToUtf8(std::string_view gbk);
// True when the bytes are valid UTF-8 (ASCII included).
bool IsValidUtf8(std::string_view bytes);
// True when the bytes are valid GB18030 (ASCII and GBK included).
bool IsValidGb18030(std::string_view bytes);
// Decodes a file's bytes by the rule above.
std::string DecodeText(std::string_view bytes);

// Older programs may not show a character that GBK lacks, so the user is told once per
// file written that holds one: `texts` are the comma-separated fields holding them. The
// desktop program shows a message, velorin-batch a warning line. Without a notice set
// nothing is said.
using OutsideGbkNotice =
    std::function<void(const std::string& path, const std::vector<std::string>& texts)>;
void SetOutsideGbkNotice(OutsideGbkNotice notice);
// The message both front ends show.
std::string OutsideGbkMessage(const std::string& path, const std::vector<std::string>& texts);

// The lines of a text file, decoded to UTF-8, line ends (CR LF, LF or CR) removed.
// A last line without line end counts; an empty file has no lines.
struct TextLines {
    Status status;
    std::vector<std::string> lines;
};
TextLines ReadTextLines(const std::string& path);
std::vector<std::string> SplitLines(std::string_view text);

// Writes the lines in GB18030 (GBK bytes wherever GBK suffices), each ended by CR LF, replacing any
// earlier file atomically.
Status WriteTextLines(const std::string& path, const std::vector<std::string>& lines);

}  // namespace velorin
