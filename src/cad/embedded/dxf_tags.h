// The group-code level of DXF: a scanner over a file's bytes that yields (code, value)
// pairs without copying, the text codec of a drawing (code page up to R2004, UTF-8 from
// R2007, "\U+XXXX" escapes always), and a writer that formats groups the way other CAD
// programs read them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace velorin::cad::embedded::dxf {

struct Tag {
    int code = 0;
    std::string_view value;  // without its line end
    size_t offset = 0;       // where the code line starts in the data
};

// Reads tags from text DXF. A code line that is not a number stops the scan with an error.
class TagScanner {
  public:
    explicit TagScanner(std::string_view data, size_t position = 0) : data_(data), pos_(position) {}
    // The next tag; false at the end of the data or on a fault (see error()).
    bool Next(Tag& tag);
    size_t position() const { return pos_; }
    void Seek(size_t position) { pos_ = position; }
    const std::string& error() const { return error_; }
    // 1-based line of the scanner's position, for messages.
    size_t LineAt(size_t offset) const;

  private:
    bool Line(std::string_view& line);
    std::string_view data_;
    size_t pos_;
    std::string error_;
};

// Handles as DXF writes them (number groups are read by base/numbers.h's ParseNumber).
uint64_t ToHandle(std::string_view value);  // hexadecimal; 0 when empty or malformed
std::string HandleText(uint64_t handle);
// Shortest decimal text that reads back as the same double.
void AppendDouble(std::string& out, double value);

// $ACADVER values as a number that orders the versions: "AC1009" -> 1009.
int VersionNumber(std::string_view acadver);
inline constexpr int kR12 = 1009, kR13 = 1012, kR2000 = 1015, kR2007 = 1021;

// Converts a drawing's stored texts to UTF-8 and back.
class Codec {
  public:
    Codec(int version, std::string_view codepage);
    ~Codec();
    Codec(const Codec&) = delete;
    Codec& operator=(const Codec&) = delete;

    // Stored text -> UTF-8, "\U+XXXX" escapes replaced by their characters.
    std::string Decode(std::string_view stored) const;
    // UTF-8 -> stored text; characters the code page lacks become "\U+XXXX".
    std::string Encode(std::string_view utf8) const;
    // The same, appended to `out`.
    void EncodeInto(std::string& out, std::string_view utf8) const;
    bool utf8() const { return utf8_; }

  private:
    struct Converters;
    bool utf8_;
    std::unique_ptr<Converters> conv_;
};

// Replaces "\U+XXXX" escapes of a UTF-8 text by their characters.
std::string Unescape(std::string_view text);

// Appends groups to a buffer with the drawing's line end.
class TagWriter {
  public:
    explicit TagWriter(std::string& out, std::string_view eol = "\r\n") : out_(out), eol_(eol) {}
    void Text(int code, std::string_view value);
    // A text group from UTF-8, encoded for the drawing.
    void Text(int code, std::string_view utf8, const Codec& codec);
    void Number(int code, double value);
    void Int(int code, long long value);
    void Handle(int code, uint64_t handle);
    void Raw(std::string_view bytes) { out_.append(bytes); }
    // A number written was infinite or not a number (nothing else reads such a file).
    bool non_finite() const { return non_finite_; }
    std::string& out() { return out_; }
    std::string_view eol() const { return eol_; }

    void Code(int code);

  private:
    std::string& out_;
    std::string eol_;
    bool non_finite_ = false;
};

}  // namespace velorin::cad::embedded::dxf
