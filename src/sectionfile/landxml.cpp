#include "sectionfile/landxml.h"

#include <map>
#include <memory>

#include "base/numbers.h"
#include "base/strings.h"
#include "base/text_file.h"

namespace velorin::sectionfile {

namespace {

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// A small well-formedness-checking reader: elements, attributes, text; declarations,
// comments and processing instructions are skipped. Enough for the LandXML we read.
struct Element {
    std::string name;  // without namespace prefix
    std::map<std::string, std::string> attributes;
    std::string text;
    std::vector<std::unique_ptr<Element>> children;
    size_t line = 0;  // index of the line of its start tag

    const std::string* Attribute(const std::string& key) const {
        auto it = attributes.find(key);
        return it == attributes.end() ? nullptr : &it->second;
    }
    std::vector<const Element*> Children(const std::string& wanted) const {
        std::vector<const Element*> found;
        for (const auto& c : children)
            if (c->name == wanted) found.push_back(c.get());
        return found;
    }
};

std::string LocalName(const std::string& name) {
    size_t colon = name.find(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

class XmlReader {
  public:
    explicit XmlReader(const std::string& text) : s_(text) {}

    // The root element, or null with error_ and error_line_ set.
    std::unique_ptr<Element> Parse() {
        std::unique_ptr<Element> root;
        std::vector<Element*> open;
        while (pos_ < s_.size()) {
            size_t lt = s_.find('<', pos_);
            std::string text =
                s_.substr(pos_, lt == std::string::npos ? std::string::npos : lt - pos_);
            if (!open.empty()) {
                std::string decoded;
                if (!Decode(text, decoded)) return nullptr;
                open.back()->text += decoded;
            } else if (!Trim(text).empty()) {
                return Fail("根元素之外有文字。");
            }
            Advance(lt == std::string::npos ? s_.size() : lt);
            if (pos_ >= s_.size()) break;
            if (s_.compare(pos_, 4, "<!--") == 0) {
                if (!Skip("-->")) return Fail("注释没有结束。");
            } else if (s_.compare(pos_, 9, "<![CDATA[") == 0) {
                if (open.empty()) return Fail("根元素之外有 CDATA。");
                size_t end = s_.find("]]>", pos_);
                if (end == std::string::npos) return Fail("CDATA 没有结束。");
                open.back()->text += s_.substr(pos_ + 9, end - pos_ - 9);
                Advance(end + 3);
            } else if (s_.compare(pos_, 2, "<?") == 0) {
                if (!Skip("?>")) return Fail("处理指令没有结束。");
            } else if (s_.compare(pos_, 2, "<!") == 0) {
                if (!Skip(">")) return Fail("声明没有结束。");
            } else if (s_.compare(pos_, 2, "</") == 0) {
                size_t gt = s_.find('>', pos_);
                if (gt == std::string::npos) return Fail("结束标记没有“>”。");
                std::string name = Trim(s_.substr(pos_ + 2, gt - pos_ - 2));
                if (open.empty() || LocalName(name) != open.back()->name)
                    return Fail("结束标记 </" + name + "> 与开始标记不配对。");
                open.pop_back();
                Advance(gt + 1);
            } else {
                auto element = std::make_unique<Element>();
                element->line = line_;
                bool empty = false;
                if (!StartTag(*element, empty)) return nullptr;
                Element* raw = element.get();
                if (open.empty()) {
                    if (root) return Fail("有多个根元素。");
                    root = std::move(element);
                } else {
                    open.back()->children.push_back(std::move(element));
                }
                if (!empty) open.push_back(raw);
            }
        }
        if (!open.empty()) return Fail("元素 <" + open.back()->name + "> 没有结束标记。");
        if (!root) return Fail("文件中没有 XML 元素。");
        return root;
    }

    std::string error_;
    size_t error_line_ = 0;

  private:
    std::unique_ptr<Element> Fail(const std::string& cause) {
        if (error_.empty()) error_ = cause, error_line_ = line_;
        return nullptr;
    }
    void Advance(size_t to) {
        for (; pos_ < to && pos_ < s_.size(); ++pos_)
            if (s_[pos_] == '\n') ++line_;
    }
    bool Skip(const char* end) {
        size_t at = s_.find(end, pos_);
        if (at == std::string::npos) return false;
        Advance(at + std::string(end).size());
        return true;
    }
    bool Decode(const std::string& raw, std::string& out) {
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '<') return Fail("属性值中有“<”。"), false;
            if (raw[i] != '&') {
                out += raw[i];
                continue;
            }
            size_t semi = raw.find(';', i);
            if (semi == std::string::npos) return Fail("“&”后没有“;”。"), false;
            std::string entity = raw.substr(i + 1, semi - i - 1);
            if (entity == "amp")
                out += '&';
            else if (entity == "lt")
                out += '<';
            else if (entity == "gt")
                out += '>';
            else if (entity == "quot")
                out += '"';
            else if (entity == "apos")
                out += '\'';
            else if (entity.size() > 1 && entity[0] == '#') {
                bool hex = entity[1] == 'x';
                std::string digits = entity.substr(hex ? 2 : 1);
                char* end = nullptr;
                unsigned long code = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
                if (digits.empty() || *end || code == 0 || code > 0x10FFFF)
                    return Fail("字符引用“&" + entity + ";”有误。"), false;
                AppendUtf8(out, static_cast<char32_t>(code));
            } else {
                return Fail("未知的实体“&" + entity + ";”。"), false;
            }
            i = semi;
        }
        return true;
    }
    static bool NameChar(char c) {
        return c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '/' && c != '>' &&
               c != '=' && c != '<' && c != '"' && c != '\'';
    }
    void Blanks() {
        while (pos_ < s_.size() &&
               (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r' || s_[pos_] == '\n'))
            Advance(pos_ + 1);
    }
    bool StartTag(Element& element, bool& empty) {
        Advance(pos_ + 1);
        size_t begin = pos_;
        while (pos_ < s_.size() && NameChar(s_[pos_])) ++pos_;
        if (pos_ == begin) return Fail("“<”后没有元素名。"), false;
        element.name = LocalName(s_.substr(begin, pos_ - begin));
        while (true) {
            Blanks();
            if (pos_ >= s_.size()) return Fail("开始标记没有结束。"), false;
            if (s_[pos_] == '>') {
                Advance(pos_ + 1);
                return true;
            }
            if (s_.compare(pos_, 2, "/>") == 0) {
                empty = true;
                Advance(pos_ + 2);
                return true;
            }
            begin = pos_;
            while (pos_ < s_.size() && NameChar(s_[pos_])) ++pos_;
            std::string key = s_.substr(begin, pos_ - begin);
            Blanks();
            if (key.empty() || pos_ >= s_.size() || s_[pos_] != '=')
                return Fail("元素 <" + element.name + "> 的属性写法有误。"), false;
            Advance(pos_ + 1);
            Blanks();
            if (pos_ >= s_.size() || (s_[pos_] != '"' && s_[pos_] != '\''))
                return Fail("属性 " + key + " 的值没有引号。"), false;
            char quote = s_[pos_];
            size_t end = s_.find(quote, pos_ + 1);
            if (end == std::string::npos) return Fail("属性 " + key + " 的值没有结束引号。"), false;
            std::string value;
            if (!Decode(s_.substr(pos_ + 1, end - pos_ - 1), value)) return false;
            if (element.attributes.count(key)) return Fail("属性 " + key + " 重复。"), false;
            element.attributes[key] = value;
            Advance(end + 1);
        }
    }

    const std::string& s_;
    size_t pos_ = 0;
    size_t line_ = 0;
};

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text + " ") {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

}  // namespace

std::string LandXmlText(const std::vector<PlacedSection>& sections, const std::string& alignment,
                        const std::string& date, const std::string& time) {
    long long first = sections.empty() ? 0 : Millimetres(sections.front().chainage);
    long long last = sections.empty() ? 0 : Millimetres(sections.back().chainage);
    std::vector<std::string> lines = {
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
        std::string("<LandXML xmlns=\"") + kLandXmlNamespace + "\" version=\"1.2\" date=\"" + date +
            "\" time=\"" + time + "\">",
        "  <Units>",
        "    <Metric linearUnit=\"meter\" areaUnit=\"squareMeter\" volumeUnit=\"cubicMeter\" "
        "angularUnit=\"decimal degrees\" directionUnit=\"decimal degrees\"/>",
        "  </Units>",
        "  <Application name=\"Velorin\" manufacturer=\"Velorin\"/>",
        "  <Alignments>",
        "    <Alignment name=\"" + Escaped(alignment) + "\" length=\"" +
            Metres(last > first ? last - first : first - last) + "\" staStart=\"" + Metres(first) +
            "\">",
        "      <CrossSects>"};
    for (const auto& s : sections) {
        lines.push_back("        <CrossSect sta=\"" + Metres(Millimetres(s.chainage)) +
                        "\" name=\"" + Escaped(s.section.number) + "\">");
        lines.push_back(std::string("          <CrossSectSurf name=\"") + kGroundSurface + "\">");
        std::string points;
        for (const auto& p : s.section.points) {
            if (!points.empty()) points += ' ';
            points += Metres(Millimetres(p.chainage)) + " " + Metres(Millimetres(p.elevation));
        }
        lines.push_back("            <PntList2D>" + points + "</PntList2D>");
        lines.push_back("          </CrossSectSurf>");
        lines.push_back("        </CrossSect>");
    }
    for (const char* end :
         {"      </CrossSects>", "    </Alignment>", "  </Alignments>", "</LandXML>"})
        lines.push_back(end);
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

SectionsRead ReadLandXml(const std::string& bytes, const std::string& path) {
    SectionsRead read;
    std::string text = bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
    if (!IsValidUtf8(text)) {
        read.status = Status::Error("文件“" + path + "”不是 UTF-8 编码的 XML。");
        return read;
    }
    XmlReader reader(text);
    auto root = reader.Parse();
    if (!root) {
        read.status = LineError(path, reader.error_line_, "XML 格式有误：" + reader.error_);
        return read;
    }
    auto fail = [&](const Element& at, const std::string& cause) {
        read.sections.clear();
        read.status = LineError(path, at.line, cause);
        return read;
    };
    if (root->name != "LandXML")
        return fail(*root, "根元素是 <" + root->name + ">，不是 <LandXML>。");
    for (const Element* units : root->Children("Units"))
        if (!units->Children("Imperial").empty())
            return fail(*units, "文件使用英制单位，只能读取公制（米）。");
    for (const Element* alignments : root->Children("Alignments"))
        for (const Element* alignment : alignments->Children("Alignment"))
            for (const Element* sects : alignment->Children("CrossSects"))
                for (const Element* sect : sects->Children("CrossSect")) {
                    const std::string* sta = sect->Attribute("sta");
                    auto chainage = sta ? ParseNumber(*sta) : std::nullopt;
                    if (!chainage)
                        return fail(*sect, sta ? "CrossSect 的 sta “" + *sta + "”不是数字。"
                                               : std::string("CrossSect 没有 sta（里程）。"));
                    auto surfaces = sect->Children("CrossSectSurf");
                    const Element* ground = nullptr;
                    for (const Element* surface : surfaces) {
                        const std::string* name = surface->Attribute("name");
                        if (name && *name == kGroundSurface) ground = surface;
                    }
                    if (!ground && surfaces.size() == 1) ground = surfaces[0];
                    if (!ground)
                        return fail(*sect, std::string("CrossSect 中没有名为“") + kGroundSurface +
                                               "”的 CrossSectSurf。");
                    const std::string* name = sect->Attribute("name");
                    Section section{
                        name && !Trim(*name).empty() ? Trim(*name) : NameOfChainage(*chainage), {}};
                    for (const Element* list : ground->Children("PntList2D")) {
                        auto words = Words(list->text);
                        if (words.size() % 2 != 0)
                            return fail(*list, "PntList2D 的数字个数为奇数，应为“距离 高程”成对。");
                        for (size_t k = 0; k < words.size(); k += 2) {
                            auto offset = ParseNumber(words[k]),
                                 elevation = ParseNumber(words[k + 1]);
                            if (!offset || !elevation)
                                return fail(*list, "PntList2D 中“" + words[k] + " " + words[k + 1] +
                                                       "”不是数字。");
                            section.points.push_back({*offset, *elevation});
                        }
                    }
                    read.sections.push_back({std::move(section), *chainage});
                }
    return read;
}

}  // namespace velorin::sectionfile
