#include "cad/embedded/dxf_tags.h"

#include <errno.h>
#include <iconv.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/strings.h"

namespace velorin::cad::embedded::dxf {

bool TagScanner::Line(std::string_view& line) {
    if (pos_ >= data_.size()) return false;
    const char* begin = data_.data() + pos_;
    const void* nl = std::memchr(begin, '\n', data_.size() - pos_);
    size_t len = nl ? static_cast<const char*>(nl) - begin : data_.size() - pos_;
    pos_ += len + (nl ? 1 : 0);
    if (len > 0 && begin[len - 1] == '\r') --len;
    line = std::string_view(begin, len);
    return true;
}

bool TagScanner::Next(Tag& tag) {
    if (!error_.empty()) return false;
    size_t start = pos_;
    std::string_view code_line;
    if (!Line(code_line)) return false;
    size_t i = 0;
    while (i < code_line.size() && code_line[i] == ' ') ++i;
    size_t j = code_line.size();
    while (j > i && (code_line[j - 1] == ' ' || code_line[j - 1] == '\t')) --j;
    int code = 0;
    auto [p, ec] = std::from_chars(code_line.data() + i, code_line.data() + j, code);
    if (ec != std::errc() || p != code_line.data() + j || i == j) {
        if (code_line.empty() && pos_ >= data_.size()) return false;  // blank last line
        error_ = "第 " + std::to_string(LineAt(start)) + " 行不是组码";
        return false;
    }
    std::string_view value;
    if (!Line(value)) {
        error_ = "第 " + std::to_string(LineAt(start)) + " 行的组码缺少值";
        return false;
    }
    tag.code = code;
    tag.value = value;
    tag.offset = start;
    return true;
}

size_t TagScanner::LineAt(size_t offset) const {
    size_t n = 1;
    for (size_t k = 0; k < offset && k < data_.size(); ++k)
        if (data_[k] == '\n') ++n;
    return n;
}

uint64_t ToHandle(std::string_view v) {
    size_t i = 0;
    while (i < v.size() && v[i] == ' ') ++i;
    uint64_t h = 0;
    auto [p, ec] = std::from_chars(v.data() + i, v.data() + v.size(), h, 16);
    return ec == std::errc() ? h : 0;
}

std::string HandleText(uint64_t handle) {
    char buf[20];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, handle, 16);
    std::string s(buf, p);
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

void AppendDouble(std::string& out, double value) {
    if (value == 0) value = 0;  // no "-0"
    char buf[32];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, value);
    std::string_view s(buf, p - buf);
    out.append(s);
    // Readers that expect a decimal point in real groups get one.
    if (s.find_first_of(".eEn") == std::string_view::npos) out.append(".0");
}

int VersionNumber(std::string_view acadver) {
    if (acadver.size() >= 6 && acadver.substr(0, 2) == "AC") {
        int n = 0;
        std::from_chars(acadver.data() + 2, acadver.data() + acadver.size(), n);
        return n;
    }
    return kR12;
}

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

// Decodes one UTF-8 sequence; returns its length (1 for a bad byte, read as U+FFFD).
size_t NextCodePoint(std::string_view s, size_t i, uint32_t& cp) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > s.size()) {
        cp = 0xFFFD;
        return 1;
    }
    cp = n == 1 ? c : n == 2 ? c & 0x1F : n == 3 ? c & 0x0F : c & 0x07;
    for (size_t k = 1; k < n; ++k) {
        unsigned char d = static_cast<unsigned char>(s[i + k]);
        if ((d & 0xC0) != 0x80) {
            cp = 0xFFFD;
            return 1;
        }
        cp = (cp << 6) | (d & 0x3F);
    }
    return n;
}

// The iconv name of a DXF code page ("ANSI_936" -> "CP936").
std::string IconvName(std::string_view codepage) {
    std::string upper;
    for (char c : codepage) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper.rfind("ANSI_", 0) == 0) {
        std::string n = upper.substr(5);
        if (n == "936") return "GBK";
        return "CP" + n;
    }
    if (upper.rfind("DOS", 0) == 0) return "CP" + upper.substr(3);
    if (upper == "UTF8" || upper == "UTF-8") return "UTF-8";
    return "GBK";  // our users' drawings: Chinese unless the file says otherwise
}

}  // namespace

std::string Unescape(std::string_view s) {
    if (s.find("\\U+") == std::string_view::npos && s.find("\\u+") == std::string_view::npos)
        return std::string(s);
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        if (s[i] == '\\' && i + 7 <= s.size() && (s[i + 1] == 'U' || s[i + 1] == 'u') &&
            s[i + 2] == '+') {
            uint32_t cp = 0;
            bool ok = true;
            for (size_t k = 3; k < 7; ++k) {
                int h = HexValue(s[i + k]);
                if (h < 0) ok = false;
                cp = cp * 16 + (h < 0 ? 0 : h);
            }
            if (ok) {
                AppendUtf8(out, cp);
                i += 7;
                continue;
            }
        }
        out += s[i++];
    }
    return out;
}

struct Codec::Converters {
    iconv_t to_utf8 = reinterpret_cast<iconv_t>(-1);
    iconv_t from_utf8 = reinterpret_cast<iconv_t>(-1);
    ~Converters() {
        if (to_utf8 != reinterpret_cast<iconv_t>(-1)) iconv_close(to_utf8);
        if (from_utf8 != reinterpret_cast<iconv_t>(-1)) iconv_close(from_utf8);
    }
};

Codec::Codec(int version, std::string_view codepage)
    : utf8_(version >= kR2007), conv_(std::make_unique<Converters>()) {
    std::string name = IconvName(codepage);
    if (name == "UTF-8") utf8_ = true;
    if (!utf8_) {
        conv_->to_utf8 = iconv_open("UTF-8", name.c_str());
        conv_->from_utf8 = iconv_open(name.c_str(), "UTF-8");
        if (conv_->to_utf8 == reinterpret_cast<iconv_t>(-1))
            conv_->to_utf8 = iconv_open("UTF-8", "GBK");
        if (conv_->from_utf8 == reinterpret_cast<iconv_t>(-1))
            conv_->from_utf8 = iconv_open("GBK", "UTF-8");
    }
}

Codec::~Codec() = default;

std::string Codec::Decode(std::string_view stored) const {
    if (utf8_ || IsAscii(stored)) return Unescape(stored);
    std::string out(stored.size() * 3 + 4, '\0');
    char* src = const_cast<char*>(stored.data());
    size_t left = stored.size();
    char* dst = out.data();
    size_t room = out.size();
    iconv(conv_->to_utf8, nullptr, nullptr, nullptr, nullptr);
    while (left > 0) {
        if (iconv(conv_->to_utf8, &src, &left, &dst, &room) != static_cast<size_t>(-1)) break;
        // A byte the code page lacks: keep going with a replacement character.
        ++src;
        --left;
        if (room < 4) break;
        std::memcpy(dst, "\xEF\xBF\xBD", 3);
        dst += 3;
        room -= 3;
    }
    out.resize(dst - out.data());
    return Unescape(out);
}

std::string Codec::Encode(std::string_view utf8) const {
    std::string out;
    EncodeInto(out, utf8);
    return out;
}

void Codec::EncodeInto(std::string& out, std::string_view utf8) const {
    if (utf8_ || IsAscii(utf8)) {
        out.append(utf8);
        return;
    }
    // Most texts convert whole; only a text with characters the code page lacks goes
    // character by character.
    size_t start = out.size();
    out.resize(start + utf8.size() * 2 + 4);
    char* src = const_cast<char*>(utf8.data());
    size_t left = utf8.size();
    char* dst = out.data() + start;
    size_t room = out.size() - start;
    iconv(conv_->from_utf8, nullptr, nullptr, nullptr, nullptr);
    if (iconv(conv_->from_utf8, &src, &left, &dst, &room) != static_cast<size_t>(-1) && left == 0) {
        out.resize(dst - out.data());
        return;
    }
    out.resize(start);
    char buf[16];
    for (size_t i = 0; i < utf8.size();) {
        uint32_t cp;
        size_t n = NextCodePoint(utf8, i, cp);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else {
            char* from = const_cast<char*>(utf8.data() + i);
            size_t from_left = n;
            char* to = buf;
            size_t to_room = sizeof buf;
            iconv(conv_->from_utf8, nullptr, nullptr, nullptr, nullptr);
            if (cp != 0xFFFD && iconv(conv_->from_utf8, &from, &from_left, &to, &to_room) !=
                                    static_cast<size_t>(-1)) {
                out.append(buf, to - buf);
            } else {
                char esc[12];
                std::snprintf(esc, sizeof esc, "\\U+%04X", cp > 0xFFFF ? 0xFFFD : cp);
                out += esc;
            }
        }
        i += n;
    }
}

namespace {
// "  0" .. "1071": group codes right-aligned to three places, made once.
const std::vector<std::string>& CodeTexts() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> t(1072);
        char buf[16];
        for (int c = 0; c < 1072; ++c) t[c].assign(buf, std::snprintf(buf, sizeof buf, "%3d", c));
        return t;
    }();
    return texts;
}
}  // namespace

void TagWriter::Code(int code) {
    static const std::vector<std::string>& texts = CodeTexts();
    if (code >= 0 && code < static_cast<int>(texts.size())) {
        out_.append(texts[code]);
    } else {
        char buf[16];
        out_.append(buf, std::snprintf(buf, sizeof buf, "%3d", code));
    }
    out_.append(eol_);
}

void TagWriter::Text(int code, std::string_view value) {
    Code(code);
    out_.append(value);
    out_.append(eol_);
}

void TagWriter::Text(int code, std::string_view utf8, const Codec& codec) {
    Code(code);
    codec.EncodeInto(out_, utf8);
    out_.append(eol_);
}

void TagWriter::Number(int code, double value) {
    non_finite_ = non_finite_ || !std::isfinite(value);
    Code(code);
    AppendDouble(out_, value);
    out_.append(eol_);
}

void TagWriter::Int(int code, long long value) {
    Code(code);
    char buf[24];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, value);
    out_.append(buf, p);
    out_.append(eol_);
}

void TagWriter::Handle(int code, uint64_t handle) {
    Code(code);
    char buf[20];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, handle, 16);
    for (char* c = buf; c < p; ++c)
        if (*c >= 'a') *c = static_cast<char>(*c - 'a' + 'A');
    out_.append(buf, p);
    out_.append(eol_);
}

}  // namespace velorin::cad::embedded::dxf
