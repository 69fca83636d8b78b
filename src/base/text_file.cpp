#include "base/text_file.h"

#include <errno.h>
#include <iconv.h>
#include <stdio.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>

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
    // Converts, replacing each unconvertible input sequence by `bad` and skipping
    // `skip(in)` bytes of input.
    template <class Skip>
    std::string Run(std::string_view in, std::string_view bad, Skip skip) {
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

size_t GbkSequenceLength(std::string_view s) {
    unsigned char c = static_cast<unsigned char>(s[0]);
    return (c >= 0x81 && c <= 0xFE && s.size() >= 2) ? 2 : 1;
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    thread_local Converter to_gbk("CP936", "UTF-8");
    return to_gbk.Run(utf8, "?", Utf8SequenceLength);
}

std::string GbkToUtf8(std::string_view gbk) {
    if (IsAscii(gbk)) return std::string(gbk);
    thread_local Converter from_gbk("UTF-8", "CP936");
    return from_gbk.Run(gbk, "\xEF\xBF\xBD", GbkSequenceLength);
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

std::string DecodeText(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return std::string(bytes.substr(3));
    if (IsValidUtf8(bytes)) return std::string(bytes);
    return GbkToUtf8(bytes);
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

std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream buf;
    buf << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(buf).str();
}

TextLines ReadTextLines(const std::string& path) {
    auto bytes = ReadFileBytes(path);
    if (!bytes) return {Status::Error("无法打开文件“" + path + "”：" + std::strerror(errno)), {}};
    return {Status::Ok(), SplitLines(DecodeText(*bytes))};
}

Status WriteFileAtomically(const std::string& path, std::string_view bytes) {
    std::string temp = path + ".tmp~";
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return Status::Error("无法写入文件“" + path + "”：" + std::strerror(errno));
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
    ok = fsync(fileno(f)) == 0 && ok;
    int err = errno;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::remove(temp.c_str());
        return Status::Error("无法写入文件“" + path + "”：" + std::strerror(err));
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        err = errno;
        std::remove(temp.c_str());
        return Status::Error("无法写入文件“" + path + "”：" + std::strerror(err));
    }
    return Status::Ok();
}

Status WriteTextLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) {
        out += Utf8ToGbk(line);
        out += "\r\n";
    }
    return WriteFileAtomically(path, out);
}

}  // namespace velorin
