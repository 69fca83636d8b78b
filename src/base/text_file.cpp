#include "base/text_file.h"

#include <errno.h>
#include <iconv.h>

#include <cstring>

namespace velorin {
namespace {

bool IsAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

// One converter per direction and thread: opening iconv is costly and drawings convert
// hundreds of thousands of strings.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    // Converts, replacing each unconvertible input sequence of `skip(in)` bytes by
    // `bad(sequence)`.
    template <class Skip, class Bad>
    std::string Run(std::string_view in, Bad bad_of, Skip skip) {
        std::string out;
        out.resize(in.size() * 2 + 8);
        char* src = const_cast<char*>(in.data());
        size_t src_left = in.size();
        char* dst = out.data();
        size_t dst_left = out.size();
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        while (src_left > 0) {
            size_t r = iconv(cd_, &src, &src_left, &dst, &dst_left);
            if (r != static_cast<size_t>(-1)) break;
            if (errno == E2BIG) {
                size_t used = dst - out.data();
                out.resize(out.size() * 2);
                dst = out.data() + used;
                dst_left = out.size() - used;
                continue;
            }
            // EILSEQ or EINVAL: a sequence the target lacks, or a truncated one.
            size_t n = std::min(src_left, skip(std::string_view(src, src_left)));
            std::string bad = bad_of(std::string_view(src, n));
            src += n;
            src_left -= n;
            if (dst_left < bad.size() + 8) {
                size_t used = dst - out.data();
                out.resize(out.size() * 2 + bad.size() + 8);
                dst = out.data() + used;
                dst_left = out.size() - used;
            }
            std::memcpy(dst, bad.data(), bad.size());
            dst += bad.size();
            dst_left -= bad.size();
        }
        out.resize(dst - out.data());
        return out;
    }

  private:
    iconv_t cd_;
};

size_t Utf8SequenceLength(std::string_view s) {
    unsigned char c = static_cast<unsigned char>(s[0]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
    for (size_t i = 1; i < n; ++i)
        if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return i;
    return n;
}

bool InRange(char c, unsigned lo, unsigned hi) {
    unsigned char u = static_cast<unsigned char>(c);
    return u >= lo && u <= hi;
}

// Length of the GB18030 sequence at the start of s: 1 (ASCII), 2 (GBK), 4 (the
// four-byte codes); 0 when s does not start with a valid sequence.
size_t Gb18030Length(std::string_view s) {
    if (InRange(s[0], 0x00, 0x7F)) return 1;
    if (!InRange(s[0], 0x81, 0xFE) || s.size() < 2) return 0;
    if (InRange(s[1], 0x40, 0x7E) || InRange(s[1], 0x80, 0xFE)) return 2;
    if (InRange(s[1], 0x30, 0x39) && s.size() >= 4 && InRange(s[2], 0x81, 0xFE) &&
        InRange(s[3], 0x30, 0x39))
        return 4;
    return 0;
}

size_t GbkSequenceLength(std::string_view s) {
    size_t n = Gb18030Length(s);
    if (n == 4) return 4;
    unsigned char c = static_cast<unsigned char>(s[0]);
    return (c >= 0x81 && c <= 0xFE && s.size() >= 2) ? 2 : 1;
}

// Decodes one UTF-8 sequence of valid text.
char32_t CodePoint(std::string_view s, size_t n) {
    unsigned char c = static_cast<unsigned char>(s[0]);
    char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
    for (size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[k]) & 0x3F);
    return cp;
}

// CJK ideographs (with extensions and compatibility forms), CJK punctuation and the
// full-width forms: what Chinese text holds beyond ASCII.
bool IsChineseCharacter(char32_t cp) {
    return (cp >= 0x3000 && cp <= 0x303F) || (cp >= 0x3400 && cp <= 0x4DBF) ||
           (cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0xF900 && cp <= 0xFAFF) ||
           (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFFEF) ||
           (cp >= 0x20000 && cp <= 0x3FFFF);
}

// Valid UTF-8 whose non-ASCII characters are plainly Chinese text.
bool IsChineseUtf8(std::string_view s) {
    size_t chinese = 0, other = 0;
    for (size_t i = 0; i < s.size();) {
        size_t n = Utf8SequenceLength(s.substr(i));
        if (n > 1) (IsChineseCharacter(CodePoint(s.substr(i), n)) ? chinese : other) += 1;
        i += n;
    }
    return chinese > 0 && chinese >= other;
}

OutsideGbkNotice& Notice() {
    static OutsideGbkNotice notice;
    return notice;
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8, bool* outside) {
    if (outside) *outside = false;
    if (IsAscii(utf8)) return std::string(utf8);
    // Code page 936 first, so every GBK character keeps exactly its GBK bytes (GB18030
    // differs for a few, e.g. the euro sign); GB18030 only for what 936 lacks.
    thread_local Converter to_gbk("CP936", "UTF-8");
    thread_local Converter to_gb18030("GB18030", "UTF-8");
    return to_gbk.Run(
        utf8,
        [&](std::string_view seq) {
            if (outside) *outside = true;
            std::string out = to_gb18030.Run(
                seq, [](std::string_view) { return std::string("\x84\x31\xA4\x37"); },
                [](std::string_view s) { return s.size(); });
            return out.empty() ? std::string("\x84\x31\xA4\x37") : out;  // U+FFFD
        },
        Utf8SequenceLength);
}

std::string GbkToUtf8(std::string_view gbk) {
    if (IsAscii(gbk)) return std::string(gbk);
    thread_local Converter from_gbk("UTF-8", "CP936");
    thread_local Converter from_gb18030("UTF-8", "GB18030");
    return from_gbk.Run(
        gbk,
        [&](std::string_view seq) {
            // A four-byte GB18030 code: a character GBK lacks, written by this program.
            if (seq.size() == 4) {
                std::string out = from_gb18030.Run(
                    seq, [](std::string_view) { return std::string("\xEF\xBF\xBD"); },
                    [](std::string_view s) { return s.size(); });
                if (!out.empty()) return out;
            }
            return std::string("\xEF\xBF\xBD");
        },
        GbkSequenceLength);
}

bool IsValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t n = (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

bool IsValidGb18030(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        size_t n = Gb18030Length(s.substr(i));
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string DecodeText(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return std::string(bytes.substr(3));
    if (IsAscii(bytes)) return std::string(bytes);
    if (IsValidUtf8(bytes) && (!IsValidGb18030(bytes) || IsChineseUtf8(bytes)))
        return std::string(bytes);
    return GbkToUtf8(bytes);
}

void SetOutsideGbkNotice(OutsideGbkNotice notice) { Notice() = std::move(notice); }

std::string OutsideGbkMessage(const std::string& path, const std::vector<std::string>& texts) {
    std::string list;
    for (const auto& t : texts) list += (list.empty() ? "“" : "、“") + t + "”";
    return "文件“" + path + "”中的" + list +
           "含有GBK以外的字符，已按GB18030保存，旧版程序可能无法正确显示。";
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            lines.emplace_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

TextLines ReadTextLines(const std::string& path) {
    int error = 0;
    auto bytes = ReadFileBytes(path, &error);
    if (!bytes) return {Status::Error("无法打开文件“" + path + "”：" + ErrorText(error)), {}};
    return {Status::Ok(), SplitLines(DecodeText(*bytes))};
}

Status WriteTextLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string out;
    std::vector<std::string> outside_texts;
    for (const auto& line : lines) {
        bool outside = false;
        out += Utf8ToGbk(line, &outside);
        out += "\r\n";
        if (outside) {
            // Name the field that holds the character rather than the whole line.
            size_t start = 0;
            while (start <= line.size()) {
                size_t end = line.find(',', start);
                if (end == std::string::npos) end = line.size();
                std::string field = line.substr(start, end - start);
                bool field_outside = false;
                Utf8ToGbk(field, &field_outside);
                if (field_outside) outside_texts.push_back(field);
                start = end + 1;
            }
        }
    }
    Status s = WriteFileAtomically(path, out);
    if (s.ok() && !outside_texts.empty() && Notice()) Notice()(path, outside_texts);
    return s;
}

}  // namespace velorin
