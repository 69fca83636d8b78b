// Writes a Drawing back to DXF in its own version and encoding. Records read from the
// file and left alone are copied byte for byte; records the host changed are patched in
// place (a layer name, a colour, a font) or rewritten from the model together with the
// groups the model does not know; records the host made are written from the model.
#include <algorithm>
#include <cerrno>
#include <functional>

#include "base/file_system.h"
#include "base/paths.h"
#include "base/strings.h"
#include "base/text_file.h"
#include "cad/embedded/drawing.h"
#include "cad/embedded/dxf_tags.h"
#include "cad/embedded/entity_type.h"

namespace velorin::cad::embedded {

using dxf::Tag;

class DxfWriter {
  public:
    // Without a sink the whole text collects in memory; with one it goes out in pieces.
    using Sink = std::function<bool(std::string_view)>;
    DxfWriter(const Drawing& d, Sink sink = nullptr)
        : d_(d), src_(d.source_), w_(out_, d.eol_), sink_(std::move(sink)) {
        markers_ = d.version_ >= dxf::kR13;
        for (const auto& layer : d.layers_) layer_names_.push_back(d.codec_->Encode(layer->name));
        for (const auto& style : d.styles_) style_names_.push_back(d.codec_->Encode(style->name));
        for (const auto& block : d.blocks_) block_names_.push_back(d.codec_->Encode(block->name));
        // Tables the file lacks get their handles now, so that the seed written in the
        // header already lies above everything the writer adds.
        seed_ = d.handle_seed_;
        auto has = [&](const char* name) {
            for (const TableChunk& t : d.tables_)
                if (t.name == name) return true;
            return false;
        };
        if (markers_ && !has("LAYER")) layer_table_ = seed_++;
        if (markers_ && !has("STYLE")) style_table_ = seed_++;
    }

    // The whole text (without a sink), or "" after handing everything to the sink; false
    // in `ok` when the sink refused.
    std::string Run(bool* ok = nullptr) {
        if (sink_) {
            out_.reserve(kChunk + 65536);
            RunBody();
            Flush();
            if (ok) *ok = sink_ok_;
            return {};
        }
        if (ok) *ok = true;
        // Room for the copied bytes and about what each new record takes, so the buffer
        // does not grow (and copy) while writing.
        size_t estimate = src_.size() + 4096;
        for (const auto& e : d_.entities_) {
            if (!e->Generated()) continue;
            estimate += 200;
            if (e->kind == Kind::LwPolyline)
                estimate += static_cast<const PolylineEntity&>(*e).vertices.size() * 40;
            if (e->kind == Kind::Text || e->kind == Kind::MText)
                estimate += static_cast<const TextEntity&>(*e).text.size();
        }
        out_.reserve(estimate);
        RunBody();
        return std::move(out_);
    }

  private:
    static constexpr size_t kChunk = 1 << 20;

    void Flush() {
        if (!sink_ || out_.empty()) return;
        if (sink_ok_) sink_ok_ = sink_(out_);
        out_.clear();
    }
    // Hands full chunks to the sink as the text grows.
    void Spill() {
        if (sink_ && out_.size() >= kChunk) Flush();
    }
    // Copied bytes: large spans go to the sink without passing through the buffer.
    void Copy(std::string_view bytes) {
        if (sink_ && bytes.size() >= kChunk) {
            Flush();
            if (sink_ok_) sink_ok_ = sink_(bytes);
            return;
        }
        w_.Raw(bytes);
        Spill();
    }

    void RunBody() {
        w_.Raw(Bytes(d_.prologue_));
        bool tables = false, blocks = false, entities = false;
        for (const Section& s : d_.sections_) {
            if (s.name == "HEADER") {
                WriteHeader(s);
                continue;
            }
            if ((s.name == "BLOCKS" || s.name == "ENTITIES" || s.name == "OBJECTS") && !tables) {
                tables = true;
                if (NeedsTables()) WriteNewTables();
            }
            if ((s.name == "ENTITIES" || s.name == "OBJECTS") && !blocks) {
                blocks = true;
                if (NeedsBlocks()) WriteNewBlocks();
            }
            if (s.name == "OBJECTS" && !entities) {
                entities = true;
                WriteNewEntities();
            }
            if (s.name == "TABLES")
                tables = true, WriteTables(s);
            else if (s.name == "BLOCKS")
                blocks = true, WriteBlocks(s);
            else if (s.name == "ENTITIES")
                entities = true, WriteEntities(s);
            else
                Copy(Bytes(s.raw));
        }
        if (!tables && NeedsTables()) WriteNewTables();
        if (!blocks && NeedsBlocks()) WriteNewBlocks();
        if (!entities) WriteNewEntities();
        if (d_.eof_.empty())
            w_.Text(0, "EOF");
        else
            w_.Raw(Bytes(d_.eof_));
    }

    std::string_view Bytes(Span s) const {
        return std::string_view(src_).substr(s.begin, s.end - s.begin);
    }
    std::string Enc(std::string_view utf8) const { return d_.codec_->Encode(utf8); }

    // --- Header ---
    // The header variables the host changed, as (name, group code, encoded value).
    struct Replacement {
        std::string name;
        int code;
        std::string value;
    };
    std::vector<Replacement> HeaderChanges() const {
        std::vector<Replacement> out;
        auto number = [](const Variable& v) -> long long {
            if (auto* i = std::get_if<int16_t>(&v)) return *i;
            if (auto* f = std::get_if<double>(&v)) return static_cast<long long>(*f);
            return 0;
        };
        static const std::pair<const char*, int> kNumeric[] = {
            {"LUNITS", 70}, {"AUNITS", 70}, {"MEASUREMENT", 70}, {"MIRRTEXT", 70}, {"OSMODE", 70}};
        for (auto [name, code] : kNumeric) {
            auto it = d_.variables_.find(name);
            if (it != d_.variables_.end())
                out.push_back({std::string("$") + name, code, std::to_string(number(it->second))});
        }
        if (auto it = d_.variables_.find("CECOLOR"); it != d_.variables_.end()) {
            std::string v = std::holds_alternative<std::string>(it->second)
                                ? UpperCase(std::get<std::string>(it->second))
                                : "";
            long long c = v == "BYLAYER"   ? 256
                          : v == "BYBLOCK" ? 0
                          : v.empty()      ? number(it->second)
                                           : std::atoll(v.c_str());
            out.push_back({"$CECOLOR", 62, std::to_string(c)});
        }
        if (auto it = d_.variables_.find("CELTYPE");
            it != d_.variables_.end() && std::holds_alternative<std::string>(it->second)) {
            std::string v = std::get<std::string>(it->second);
            std::string u = UpperCase(v);
            out.push_back({"$CELTYPE", 6,
                           u == "BYLAYER"   ? "ByLayer"
                           : u == "BYBLOCK" ? "ByBlock"
                                            : Enc(v)});
        }
        if (d_.variables_.count("CLAYER") && d_.current_layer < static_cast<int>(d_.layers_.size()))
            out.push_back({"$CLAYER", 8, layer_names_[d_.current_layer]});
        if (d_.variables_.count("TEXTSTYLE") &&
            d_.current_style < static_cast<int>(d_.styles_.size()))
            out.push_back({"$TEXTSTYLE", 7, Enc(d_.styles_[d_.current_style]->name)});
        // A drawing that declares no code page is read as code page 1252 by other programs:
        // once the host writes Chinese into it, it says which code page its bytes are in.
        if (d_.version_ < dxf::kR2007 && !Declares("$DWGCODEPAGE") && WritesNonAscii())
            out.push_back({"$DWGCODEPAGE", 3, d_.codepage_});
        return out;
    }

    bool Declares(std::string_view variable) const {
        for (const HeaderVariable& v : d_.header_)
            if (v.name == variable) return true;
        return false;
    }

    static bool NonAscii(std::string_view s) {
        for (char c : s)
            if (static_cast<unsigned char>(c) >= 0x80) return true;
        return false;
    }

    // Text the host writes itself (not copied from the file) holds characters beyond ASCII.
    bool WritesNonAscii() const {
        for (const auto& l : d_.layers_)
            if (l->raw.empty() && NonAscii(l->name)) return true;
        for (const auto& s : d_.styles_)
            if ((s->raw.empty() || s->changed) &&
                (NonAscii(s->name) || NonAscii(s->font) || NonAscii(s->big_font)))
                return true;
        for (const auto& b : d_.blocks_) {
            if (!b->raw.empty() || !b->defined) continue;
            if (NonAscii(b->name)) return true;
            for (const auto& e : b->entities)
                if (GeneratedNonAscii(*e)) return true;
        }
        for (const auto& e : d_.entities_)
            if (GeneratedNonAscii(*e)) return true;
        return false;
    }

    static bool GeneratedNonAscii(const EntityBase& e) {
        if (e.erased || !e.Generated()) return false;
        if (e.kind == Kind::Text || e.kind == Kind::MText)
            return NonAscii(static_cast<const TextEntity&>(e).text);
        return false;
    }

    void WriteHeader(const Section& s) {
        auto changes = HeaderChanges();
        std::vector<bool> done(changes.size());
        bool seed_written = false;
        uint64_t body = s.raw.end;
        // "0 SECTION 2 HEADER" up to the first variable.
        uint64_t first = d_.header_.empty() ? body : d_.header_.front().raw.begin;
        w_.Raw(Bytes({s.raw.begin, first}));
        for (const HeaderVariable& v : d_.header_) {
            if (v.name == "$HANDSEED") {
                WriteSeed();
                seed_written = true;
                continue;
            }
            bool replaced = false;
            for (size_t i = 0; i < changes.size(); ++i) {
                if (changes[i].name != v.name) continue;
                w_.Text(9, v.name);
                w_.Text(changes[i].code, changes[i].value);
                done[i] = replaced = true;
            }
            if (!replaced) w_.Raw(Bytes(v.raw));
        }
        for (size_t i = 0; i < changes.size(); ++i) {
            if (done[i]) continue;
            w_.Text(9, changes[i].name);
            w_.Text(changes[i].code, changes[i].value);
        }
        if (!seed_written && markers_) WriteSeed();
        Close(s);
    }

    void WriteSeed() {
        w_.Text(9, "$HANDSEED");
        w_.Handle(5, seed_);
    }

    // The section's own "0 ENDSEC", as the file spelled it.
    void Close(const Section& s) {
        if (s.close > s.raw.begin)
            w_.Raw(Bytes({s.close, s.raw.end}));
        else
            w_.Text(0, "ENDSEC");
    }

    // --- Tables ---
    bool NeedsTables() const {
        for (const auto& l : d_.layers_)
            if (l->raw.empty()) return true;
        for (const auto& s : d_.styles_)
            if (s->raw.empty() && !s->name.empty() && s->handle) return true;
        return false;
    }

    void WriteTables(const Section& s) {
        uint64_t first = d_.tables_.empty() ? s.raw.end : d_.tables_.front().head.begin;
        // "0 SECTION 2 TABLES" (the section's end is "0 ENDSEC", written below).
        if (d_.tables_.empty()) {
            w_.Text(0, "SECTION");
            w_.Text(2, "TABLES");
        } else {
            w_.Raw(Bytes({s.raw.begin, first}));
        }
        bool layer = false, style = false;
        for (const TableChunk& t : d_.tables_) {
            w_.Raw(Bytes(t.head));
            if (t.name == "LAYER")
                layer = true, WriteLayers(t.handle);
            else if (t.name == "STYLE")
                style = true, WriteStyles(t.handle);
            else
                for (const Span& r : t.records) w_.Raw(Bytes(r));
            if (t.name == "BLOCK_RECORD") WriteNewBlockRecords(t.handle);
            if (t.tail.empty())
                w_.Text(0, "ENDTAB");
            else
                w_.Raw(Bytes(t.tail));
        }
        if (!layer) WriteTable("LAYER", [&](uint64_t h) { WriteLayers(h); });
        if (!style) WriteTable("STYLE", [&](uint64_t h) { WriteStyles(h); });
        Close(s);
    }

    void WriteNewTables() {
        w_.Text(0, "SECTION");
        w_.Text(2, "TABLES");
        WriteTable("LAYER", [&](uint64_t h) { WriteLayers(h); });
        WriteTable("STYLE", [&](uint64_t h) { WriteStyles(h); });
        w_.Text(0, "ENDSEC");
    }

    template <class Body>
    void WriteTable(const char* name, Body body) {
        uint64_t h = std::string_view(name) == "LAYER" ? layer_table_ : style_table_;
        w_.Text(0, "TABLE");
        w_.Text(2, name);
        if (markers_) {
            w_.Handle(5, h);
            w_.Text(330, "0");
            w_.Text(100, "AcDbSymbolTable");
        }
        w_.Int(70, 0);
        body(h);
        w_.Text(0, "ENDTAB");
    }

    void RecordHead(const char* type, uint64_t handle, uint64_t table, const char* subclass) {
        w_.Text(0, type);
        if (!markers_) return;
        w_.Handle(5, handle);
        w_.Handle(330, table);
        w_.Text(100, "AcDbSymbolTableRecord");
        w_.Text(100, subclass);
    }

    void WriteLayers(uint64_t table) {
        for (const auto& l : d_.layers_) {
            if (!l->raw.empty()) {
                if (l->changed)
                    Patch(l->raw, {{62, std::to_string(l->color)}});
                else
                    w_.Raw(Bytes(l->raw));
                continue;
            }
            RecordHead("LAYER", l->handle, table, "AcDbLayerTableRecord");
            w_.Text(2, Enc(l->name));
            w_.Int(70, 0);
            w_.Int(62, l->color);
            w_.Text(6, "Continuous");
            if (d_.version_ >= dxf::kR2000) w_.Int(370, -3);
        }
    }

    void WriteStyles(uint64_t table) {
        for (const auto& s : d_.styles_) {
            if (!s->raw.empty()) {
                if (s->changed) {
                    std::string width;
                    dxf::AppendDouble(width, s->width);
                    Patch(s->raw, {{3, Enc(s->font)}, {4, Enc(s->big_font)}, {41, width}});
                } else {
                    w_.Raw(Bytes(s->raw));
                }
                continue;
            }
            if (!s->handle && markers_) continue;  // the fallback style of a drawing without any
            RecordHead("STYLE", s->handle, table, "AcDbTextStyleTableRecord");
            w_.Text(2, Enc(s->name));
            w_.Int(70, 0);
            w_.Number(40, 0);
            w_.Number(41, s->width);
            w_.Number(50, 0);
            w_.Int(71, 0);
            w_.Number(42, 2.5);
            w_.Text(3, Enc(s->font));
            w_.Text(4, Enc(s->big_font));
        }
    }

    void WriteNewBlockRecords(uint64_t table) {
        for (const auto& b : d_.blocks_) {
            if (!b->raw.empty() || !b->defined) continue;
            RecordHead("BLOCK_RECORD", b->record_handle, table, "AcDbBlockTableRecord");
            w_.Text(2, Enc(b->name));
            w_.Text(340, "0");
        }
    }

    // Copies a table record with some groups' values replaced; groups it lacks are added
    // at the end of the record.
    void Patch(Span span, std::vector<std::pair<int, std::string>> values) {
        std::string_view bytes = Bytes(span);
        dxf::TagScanner s(bytes);
        Tag t;
        std::vector<bool> used(values.size());
        size_t copied = 0;
        bool first = true;
        while (s.Next(t)) {
            if (t.code == 0 && !first) break;
            first = false;
            for (size_t i = 0; i < values.size(); ++i) {
                if (values[i].first != t.code || used[i]) continue;
                // Copy up to this tag's value, write the new value, skip the old one.
                size_t value_at = t.value.data() - bytes.data();
                w_.Raw(bytes.substr(copied, value_at - copied));
                w_.Raw(values[i].second);
                copied = value_at + t.value.size();
                used[i] = true;
            }
        }
        size_t record_end = t.code == 0 && !first ? t.offset : bytes.size();
        w_.Raw(bytes.substr(copied, record_end - copied));
        for (size_t i = 0; i < values.size(); ++i)
            if (!used[i]) w_.Text(values[i].first, values[i].second);
        w_.Raw(bytes.substr(record_end));
    }

    // --- Blocks ---
    bool NeedsBlocks() const {
        for (const auto& b : d_.blocks_)
            if (b->raw.empty() && b->defined) return true;
        return false;
    }

    void WriteBlocks(const Section& s) {
        uint64_t first = s.raw.end;
        for (const auto& b : d_.blocks_)
            if (!b->raw.empty()) {
                first = b->raw.begin;
                break;
            }
        bool any_raw = first != s.raw.end;
        if (any_raw) {
            w_.Raw(Bytes({s.raw.begin, first}));
        } else {
            w_.Text(0, "SECTION");
            w_.Text(2, "BLOCKS");
        }
        for (const auto& b : d_.blocks_) {
            if (!b->raw.empty()) Copy(Bytes(b->raw));
        }
        for (const auto& b : d_.blocks_)
            if (b->raw.empty() && b->defined) WriteBlock(*b);
        Close(s);
    }

    void WriteNewBlocks() {
        w_.Text(0, "SECTION");
        w_.Text(2, "BLOCKS");
        for (const auto& b : d_.blocks_)
            if (b->raw.empty() && b->defined) WriteBlock(*b);
        w_.Text(0, "ENDSEC");
    }

    void WriteBlock(const Block& b) {
        std::string name = Enc(b.name);
        w_.Text(0, "BLOCK");
        if (markers_) {
            w_.Handle(5, b.handle);
            w_.Handle(330, b.record_handle);
            w_.Text(100, "AcDbEntity");
        }
        w_.Text(8, "0");
        if (markers_) w_.Text(100, "AcDbBlockBegin");
        w_.Text(2, name);
        w_.Int(70, b.flags);
        w_.Number(10, b.base.x);
        w_.Number(20, b.base.y);
        w_.Number(30, b.base.z);
        w_.Text(3, name);
        w_.Text(1, "");
        for (const auto& e : b.entities) WriteEntity(*e, b.record_handle);
        w_.Text(0, "ENDBLK");
        if (markers_) {
            w_.Handle(5, b.end_handle);
            w_.Handle(330, b.record_handle);
            w_.Text(100, "AcDbEntity");
        }
        w_.Text(8, "0");
        if (markers_) w_.Text(100, "AcDbBlockEnd");
    }

    // --- Entities ---
    void WriteEntities(const Section& s) {
        uint64_t first = s.raw.end - 0;
        for (const auto& e : d_.entities_)
            if (!e->raw.empty()) {
                first = e->raw.begin;
                break;
            }
        if (first == s.raw.end) {
            w_.Text(0, "SECTION");
            w_.Text(2, "ENTITIES");
        } else {
            w_.Raw(Bytes({s.raw.begin, first}));
        }
        for (const auto& e : d_.entities_) WriteEntity(*e, d_.model_space_record_);
        Close(s);
    }

    void WriteNewEntities() {
        w_.Text(0, "SECTION");
        w_.Text(2, "ENTITIES");
        for (const auto& e : d_.entities_) WriteEntity(*e, d_.model_space_record_);
        w_.Text(0, "ENDSEC");
    }

    void WriteEntity(const EntityBase& e, uint64_t owner) {
        if (e.erased) return;
        Spill();
        if (!e.Generated()) {
            if (e.layer_changed)
                Patch(e.raw, {{8, layer_names_[e.layer]}});
            else
                Copy(Bytes(e.raw));
            return;
        }
        const EntityType& type = TypeOf(e);
        bool clean = w_.non_finite() == false;
        WriteGenerated(e, type, owner);
        if (clean && w_.non_finite()) non_finite_.push_back(e.handle);
    }

    void WriteGenerated(const EntityBase& e, const EntityType& type, uint64_t owner) {
        Extras extras;
        if (!e.raw.empty()) extras = CollectExtras(e, type);
        RecordWriter out{w_, *d_.codec_, markers_, layer_names_, style_names_, block_names_};
        if (type.write_whole && type.write_whole(out, e)) return;
        if (!type.write) return;  // kept only as read
        w_.Text(0, type.name);
        if (markers_) {
            w_.Handle(5, e.handle);
            w_.Raw(extras.head);
            w_.Handle(330, e.owner ? e.owner : owner);
            w_.Text(100, "AcDbEntity");
        } else if (e.handle) {
            w_.Handle(5, e.handle);
        }
        w_.Text(8, layer_names_[e.layer]);
        if (e.color != 256) w_.Int(62, e.color);
        w_.Raw(extras.common);
        type.write(out, e);
        w_.Raw(extras.specific);
        if (type.write_tail) type.write_tail(out, e);
        w_.Raw(extras.xdata);
    }

    // Groups of a read record that the model does not write itself, by where they stand.
    struct Extras {
        std::string head, common, specific, xdata;
    };
    static bool Listed(std::span<const int> codes, int code) {
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    }
    Extras CollectExtras(const EntityBase& e, const EntityType& type) const {
        static constexpr int kCommon[] = {6,   48,  60,  67,  92,  160, 284, 310,
                                          347, 348, 370, 380, 390, 420, 430, 440};
        Extras x;
        std::string_view bytes = Bytes(e.raw);
        dxf::TagScanner s(bytes);
        Tag t;
        bool first = true, in_group = false, owner_seen = false;
        std::string line;
        while (s.Next(t)) {
            if (t.code == 0) {
                if (!first) break;
                first = false;
                continue;
            }
            std::string* into = nullptr;
            if (t.code == 102) {
                into = &x.head;
                in_group = !in_group;
            } else if (in_group) {
                into = &x.head;
            } else if (t.code >= 1000) {
                into = &x.xdata;
            } else if (t.code == 5 || t.code == 8 || t.code == 62 || t.code == 100) {
                continue;
            } else if (t.code == 330 && !owner_seen) {
                owner_seen = true;
                continue;
            } else if (Listed(kCommon, t.code)) {
                into = &x.common;
            } else if (!Listed(type.modelled, t.code)) {
                into = &x.specific;
            }
            if (!into) continue;
            TagWriter(*into, d_.eol_).Text(t.code, t.value);
        }
        return x;
    }
    using TagWriter = dxf::TagWriter;

    const Drawing& d_;
    const std::string& src_;
    std::string out_;
    dxf::TagWriter w_;
    bool markers_;
    std::vector<std::string> layer_names_, style_names_, block_names_;  // encoded once
    uint64_t seed_;
    uint64_t layer_table_ = 0, style_table_ = 0;  // handles of tables the writer adds
    Sink sink_;
    bool sink_ok_ = true;

  public:
    // Handles of entities written with a number that is infinite or not a number.
    std::vector<uint64_t> non_finite_;
};

std::string Drawing::Serialize() const { return DxfWriter(*this).Run(); }

namespace {

// The previous drawing stays as NAME.bak, as CAD programs keep it: a second name for the
// old file where the file system has them, else a copy.
Status KeepBackup(const std::string& path) {
    std::string bak = ReplaceExtension(path, ".bak");
    auto refused = [&](int error) {
        return Status::Error("图形文件“" + path + "”无法备份为“" + bak + "”：" + ErrorText(error));
    };
    FileSystem& files = Files();
    if (int error = files.Remove(bak); error && error != ENOENT) return refused(error);
    if (files.Link(path, bak) == 0) return Status::Ok();
    int error = 0;
    auto old = ReadFileBytes(path, &error);
    if (!old) return refused(error);
    FileReplacement copy(bak);
    if (copy.Write(*old) && copy.Commit()) return Status::Ok();
    return Status::Error("图形文件“" + path + "”无法备份为“" + bak + "”：" + copy.cause());
}

}  // namespace

Status Drawing::Save(const std::string& path) const {
    // The text goes out in pieces rather than being built whole in memory.
    FileReplacement out(path);
    bool ok = true;
    DxfWriter writer(*this, [&](std::string_view bytes) { return out.Write(bytes); });
    writer.Run(&ok);
    if (!writer.non_finite_.empty()) {
        // No other program reads "inf" or "nan" as a coordinate: the old file stays.
        return Status::Error("图形文件“" + path + "”无法保存：图元 " +
                             dxf::HandleText(writer.non_finite_.front()) +
                             " 含有无穷大或非数的数值");
    }
    if (ok && PathExists(path))
        if (Status kept = KeepBackup(path); !kept.ok()) return kept;
    if (!ok || !out.Commit())
        return Status::Error("图形文件“" + path + "”无法保存：" + out.cause());
    return Status::Ok();
}

}  // namespace velorin::cad::embedded
