// Reads text DXF (R12 to R2018) into a Drawing: the header variables the host needs, the
// LAYER, STYLE and BLOCK_RECORD tables, block definitions and entities; every record is
// also remembered as the span of bytes it came from, so the writer can copy it back.
#include <cstring>
#include <set>

#include "base/paths.h"
#include "base/strings.h"
#include "base/text_file.h"
#include "cad/embedded/drawing.h"
#include "cad/embedded/dxf_tags.h"
#include "cad/embedded/entity_type.h"

namespace velorin::cad::embedded {

using dxf::Tag;

class DxfReader : public RecordReader {
  public:
    DxfReader(Drawing& d) : RecordReader(d), d_(d), src_(d.source_), scanner_(src_) {}

    bool Run(std::string* error) {
        if (src_.size() >= 22 && std::memcmp(src_.data(), "AutoCAD Binary DXF", 18) == 0) {
            *error = "二进制 DXF 不能读取";
            return false;
        }
        // The line end of the file, for the groups the writer adds.
        size_t nl = src_.find('\n');
        d_.eol_ = (nl != std::string_view::npos && nl > 0 && src_[nl - 1] == '\r') ? "\r\n" : "\n";
        if (!Advance()) return Fail(error, "文件为空或不是 DXF");
        // Comments ahead of the first section (LibreCAD and dxflib write one): kept as read.
        while (has_next_ && next_.code == 999) Advance();
        d_.prologue_ = {0, Offset()};
        std::set<std::string> seen;
        while (has_next_) {
            if (next_.code != 0)
                return Fail(error, "第 " + Line(next_.offset) + " 行：段外出现组码");
            if (next_.value == "EOF") {
                d_.eof_ = {next_.offset, src_.size()};
                break;
            }
            if (next_.value != "SECTION")
                return Fail(error, "第 " + Line(next_.offset) + " 行：应为 SECTION");
            uint64_t begin = next_.offset;
            if (!Advance() || next_.code != 2)
                return Fail(error, "第 " + Line(begin) + " 行：段缺少名称");
            std::string name(next_.value);
            // A second ENTITIES (or HEADER, TABLES, BLOCKS) section: saving would write the
            // first one's records twice, so such a drawing is refused rather than changed.
            bool structured =
                name == "HEADER" || name == "TABLES" || name == "BLOCKS" || name == "ENTITIES";
            if (structured && !seen.insert(name).second)
                return Fail(error, "第 " + Line(begin) + " 行：第二个 " + name + " 段");
            Advance();
            if (name == "HEADER") {
                ReadHeader();
            } else {
                EnsureCodec();
                if (name == "TABLES")
                    ReadTables();
                else if (name == "BLOCKS")
                    ReadBlocks();
                else if (name == "ENTITIES")
                    ReadEntities();
                else
                    SkipSection();
            }
            if (!scanner_.error().empty()) return Fail(error, scanner_.error());
            if (!not_a_number_.empty()) return Fail(error, not_a_number_);
            if (!has_next_) return Fail(error, "段“" + name + "”没有结束（缺少 ENDSEC）");
            // next_ is "0 ENDSEC"
            uint64_t close = next_.offset;
            Advance();
            d_.sections_.push_back({name, {begin, Offset()}, close});
        }
        if (!scanner_.error().empty()) return Fail(error, scanner_.error());
        EnsureCodec();
        Finish();
        return true;
    }

  private:
    bool Fail(std::string* error, std::string message) {
        *error = std::move(message);
        return false;
    }
    std::string Line(uint64_t offset) { return std::to_string(scanner_.LineAt(offset)); }

    bool Advance() {
        has_next_ = scanner_.Next(next_);
        // Handles of every record count; the header's seed is not one of them.
        if (has_next_ && (next_.code == 5 || next_.code == 105) && !in_header_) {
            uint64_t h = dxf::ToHandle(next_.value);
            if (h > max_handle_) max_handle_ = h;
        }
        return has_next_;
    }
    // Start of the current look-ahead tag (end of data when none).
    uint64_t Offset() const { return has_next_ ? next_.offset : src_.size(); }

    // Reads the record starting at the look-ahead code-0 tag.
    void ReadRecord(Record& r) override {
        if (!has_next_ || next_.code != 0) return;
        r.type = next_.value;
        r.begin = next_.offset;
        r.tags.clear();
        while (Advance() && next_.code != 0) r.tags.push_back(next_);
        r.end = Offset();
    }
    bool NextIs(std::string_view type) const override {
        return has_next_ && next_.code == 0 && next_.value == type;
    }

    void EnsureCodec() {
        if (!d_.codec_) d_.codec_ = std::make_unique<dxf::Codec>(d_.version_, d_.codepage_);
    }
    std::string Decode(std::string_view s) override { return d_.codec_->Decode(s); }

    // Only the first is told: the file's writer has to be looked at in any case.
    void NotANumber(const Tag& t) override {
        if (!not_a_number_.empty()) return;
        std::string value = Decode(t.value);
        if (value.size() > 40) {
            size_t cut = 40;
            while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
            value = value.substr(0, cut) + "…";
        }
        // The value stands on the line after its group code.
        not_a_number_ = "第 " + std::to_string(scanner_.LineAt(t.offset) + 1) + " 行：组码 " +
                        std::to_string(t.code) + " 的值“" + value + "”不是数";
    }

    void ReadHeader() {
        in_header_ = true;
        while (has_next_ && next_.code != 0) {
            if (next_.code != 9) {
                Advance();
                continue;
            }
            HeaderVariable v;
            v.name = std::string(next_.value);
            v.raw.begin = next_.offset;
            std::string_view first;
            bool have_first = false;
            while (Advance() && next_.code != 9 && next_.code != 0)
                if (!have_first) first = next_.value, have_first = true;
            v.raw.end = Offset();
            if (v.name == "$ACADVER")
                d_.version_ = dxf::VersionNumber(Trim(first));
            else if (v.name == "$DWGCODEPAGE")
                d_.codepage_ = Trim(first);
            else if (v.name == "$HANDSEED")
                d_.handle_seed_ = dxf::ToHandle(first);
            d_.header_.push_back(std::move(v));
        }
        in_header_ = false;
        EnsureCodec();
    }

    void SkipSection() {
        while (has_next_ && !(next_.code == 0 && next_.value == "ENDSEC")) Advance();
    }

    // --- Tables ---
    void ReadTables() {
        Record r;
        while (has_next_ && next_.code == 0 && next_.value == "TABLE") {
            TableChunk t;
            ReadRecord(r);
            t.head.begin = r.begin;
            for (const Tag& tag : r.tags) {
                if (tag.code == 2 && t.name.empty()) t.name = std::string(tag.value);
                if (tag.code == 5) t.handle = dxf::ToHandle(tag.value);
            }
            t.head.end = r.end;
            while (has_next_ && next_.code == 0 && next_.value != "ENDTAB" &&
                   next_.value != "ENDSEC") {
                ReadRecord(r);
                if (t.name == "LAYER" && r.type == "LAYER")
                    ReadLayer(r);
                else if (t.name == "STYLE" && r.type == "STYLE")
                    ReadStyle(r);
                else {
                    if (t.name == "BLOCK_RECORD") ReadBlockRecord(r);
                    t.records.push_back({r.begin, r.end});
                }
            }
            if (has_next_ && next_.value == "ENDTAB") {
                ReadRecord(r);
                t.tail = {r.begin, r.end};
            }
            d_.tables_.push_back(std::move(t));
        }
        SkipSection();
    }

    void ReadLayer(const Record& r) {
        auto layer = std::make_unique<Layer>();
        layer->drawing = &d_;
        layer->raw = {r.begin, r.end};
        for (const Tag& t : r.tags) {
            if (t.code == 2)
                layer->name = Decode(t.value);
            else if (t.code == 62)
                layer->color = static_cast<int>(Integer(t));
            else if (t.code == 70)
                layer->frozen = (Integer(t) & 1) != 0;
            else if (t.code == 5)
                layer->handle = dxf::ToHandle(t.value);
        }
        RegisterLayer(std::move(layer));
    }

    int RegisterLayer(std::unique_ptr<Layer> layer) {
        std::string key = UpperCase(layer->name);
        auto it = d_.layer_index_.find(key);
        if (it != d_.layer_index_.end()) {
            // A second record of the same name: keep it verbatim, the first one counts.
            d_.layers_.push_back(std::move(layer));
            return it->second;
        }
        int index = static_cast<int>(d_.layers_.size());
        d_.layer_index_[key] = index;
        d_.layers_.push_back(std::move(layer));
        return index;
    }

    void ReadStyle(const Record& r) {
        auto style = std::make_unique<TextStyle>();
        style->drawing = &d_;
        style->raw = {r.begin, r.end};
        for (const Tag& t : r.tags) {
            if (t.code == 2)
                style->name = Decode(t.value);
            else if (t.code == 3)
                style->font = Decode(t.value);
            else if (t.code == 4)
                style->big_font = Decode(t.value);
            else if (t.code == 41)
                style->width = Real(t);
            else if (t.code == 5)
                style->handle = dxf::ToHandle(t.value);
        }
        d_.styles_.push_back(std::move(style));
    }

    void ReadBlockRecord(const Record& r) {
        std::string name;
        uint64_t handle = 0;
        for (const Tag& t : r.tags) {
            if (t.code == 2)
                name = Decode(t.value);
            else if (t.code == 5)
                handle = dxf::ToHandle(t.value);
        }
        record_handles_[UpperCase(name)] = handle;
        if (EqualsIgnoreCase(name, "*Model_Space")) d_.model_space_record_ = handle;
    }

    // --- Blocks ---
    void ReadBlocks() {
        Record r;
        while (has_next_ && next_.code == 0 && next_.value == "BLOCK") {
            auto block = std::make_unique<Block>();
            ReadRecord(r);
            block->raw.begin = r.begin;
            for (const Tag& t : r.tags) {
                switch (t.code) {
                    case 2:
                        block->name = Decode(t.value);
                        break;
                    case 10:
                        block->base.x = Real(t);
                        break;
                    case 20:
                        block->base.y = Real(t);
                        break;
                    case 30:
                        block->base.z = Real(t);
                        break;
                    case 70:
                        block->flags = static_cast<int>(Integer(t));
                        break;
                    case 5:
                        block->handle = dxf::ToHandle(t.value);
                        break;
                }
            }
            bool model_space = EqualsIgnoreCase(block->name, "*Model_Space");
            while (has_next_ && next_.code == 0 && next_.value != "ENDBLK" &&
                   next_.value != "ENDSEC") {
                EntityPtr e = ReadEntity(r);
                // Some writers put model-space entities into *Model_Space: they are the
                // drawing's entities all the same, written back where they were. They
                // live until the reader ends, as their links to blocks are resolved last.
                if (model_space)
                    unowned_.push_back(std::move(e));
                else
                    block->entities.push_back(std::move(e));
            }
            if (has_next_ && next_.value == "ENDBLK") {
                ReadRecord(r);
                for (const Tag& t : r.tags)
                    if (t.code == 5) block->end_handle = dxf::ToHandle(t.value);
            }
            block->raw.end = Offset();
            auto rec = record_handles_.find(UpperCase(block->name));
            if (rec != record_handles_.end()) block->record_handle = rec->second;
            std::string key = UpperCase(block->name);
            if (!d_.block_index_.count(key))
                d_.block_index_[key] = static_cast<int>(d_.blocks_.size());
            d_.blocks_.push_back(std::move(block));
        }
        SkipSection();
    }

    // --- Entities ---
    void ReadEntities() {
        Record r;
        while (has_next_ && next_.code == 0 && next_.value != "ENDSEC") {
            EntityPtr e = ReadEntity(r);
            if (e) d_.entities_.push_back(std::move(e));
        }
    }

    int LayerOf(std::string_view raw_name) override {
        if (raw_name == last_layer_name_) return last_layer_;
        auto it = raw_layers_.find(std::string(raw_name));
        int index;
        if (it != raw_layers_.end()) {
            index = it->second;
        } else {
            std::string name = Decode(raw_name);
            index = d_.LayerIndex(name);
            if (index < 0) {
                // An entity on a layer the table lacks: the layer is added, as CAD
                // programs do when they open such a drawing.
                auto layer = std::make_unique<Layer>();
                layer->drawing = &d_;
                layer->name = name;
                added_layers_.push_back(layer.get());
                index = RegisterLayer(std::move(layer));
            }
            raw_layers_.emplace(std::string(raw_name), index);
        }
        last_layer_name_ = raw_name;
        last_layer_ = index;
        return index;
    }

    int StyleOf(std::string_view raw_name) override {
        std::string name = Decode(raw_name);
        for (size_t i = 0; i < d_.styles_.size(); ++i)
            if (EqualsIgnoreCase(d_.styles_[i]->name, name)) return static_cast<int>(i);
        return 0;
    }

    // One entity record (with its sub-records), read by its entry in the entity table.
    EntityPtr ReadEntity(Record& r) {
        ReadRecord(r);
        uint64_t begin = r.begin;  // sub-records (VERTEX, ATTRIB, SEQEND) reuse `r`
        const EntityType& type = TypeNamed(r.type);
        EntityPtr out = type.read(*this, r);
        out->type = &type;
        out->raw = {begin, Offset()};
        return out;
    }

    void SkipToSeqend(Record& r) override {
        while (has_next_ && next_.code == 0 && next_.value != "ENDSEC" && next_.value != "ENDBLK") {
            bool end = next_.value == "SEQEND";
            ReadRecord(r);
            if (end) break;
        }
    }

    void LinkBlock(EntityBase&, int* slot, std::string raw_name, bool add_missing) override {
        links_.push_back({slot, std::move(raw_name), add_missing});
    }

    void Finish() {
        for (auto& [slot, raw_name, add_missing] : links_) {
            std::string name = Decode(raw_name);
            int index = d_.BlockIndex(name);
            if (index < 0 && add_missing) {
                // A reference to a block the drawing lacks: remembered by name only.
                auto block = std::make_unique<Block>();
                block->name = name;
                block->defined = false;
                index = static_cast<int>(d_.blocks_.size());
                d_.block_index_[UpperCase(name)] = index;
                d_.blocks_.push_back(std::move(block));
            }
            *slot = index;
        }
        if (d_.styles_.empty()) {
            auto style = std::make_unique<TextStyle>();
            style->drawing = &d_;
            style->name = "Standard";
            style->font = "txt";
            d_.styles_.push_back(std::move(style));
        }
        if (d_.layers_.empty()) d_.AddLayer("0");
        // Handles: above every handle in the file and the file's own seed.
        if (d_.handle_seed_ <= max_handle_) d_.handle_seed_ = max_handle_ + 1;
        for (auto& e : d_.entities_)
            if (!e->handle && d_.version_ >= dxf::kR13) e->handle = d_.NextHandle();
        // Layers added for entities on layers the table lacks: written as records of
        // their own, which need handles from R13 on.
        for (Layer* layer : added_layers_)
            if (d_.version_ >= dxf::kR13) layer->handle = d_.NextHandle();
        d_.current_layer = d_.LayerIndex("0") >= 0 ? d_.LayerIndex("0") : 0;
        for (const auto& v : d_.header_) {
            if (v.name != "$CLAYER") continue;
            dxf::TagScanner s(src_.substr(v.raw.begin, v.raw.end - v.raw.begin));
            Tag t;
            s.Next(t);
            if (s.Next(t)) {
                int index = d_.LayerIndex(Decode(t.value));
                if (index >= 0) d_.current_layer = index;
            }
        }
    }

    Drawing& d_;
    std::string_view src_;
    dxf::TagScanner scanner_;
    Tag next_;
    bool has_next_ = false;
    uint64_t max_handle_ = 0;
    bool in_header_ = false;
    std::unordered_map<std::string, int> raw_layers_;
    std::string_view last_layer_name_ = "\x01";
    int last_layer_ = 0;
    std::unordered_map<std::string, uint64_t> record_handles_;
    struct Link {
        int* slot;
        std::string raw_name;
        bool add_missing;
    };
    std::vector<Link> links_;         // block references, resolved when every block is read
    std::vector<EntityPtr> unowned_;  // read but not part of the model
    std::vector<Layer*> added_layers_;
    std::string not_a_number_;  // the first number group whose value is not a number
};

std::unique_ptr<Drawing> Drawing::Parse(std::string bytes, const std::string& name,
                                        Status* status) {
    auto d = std::make_unique<Drawing>();
    d->source_ = std::move(bytes);
    d->path_ = name;
    DxfReader reader(*d);
    std::string error;
    if (!reader.Run(&error)) {
        if (status) *status = Status::Error("图形文件“" + name + "”无法读取：" + error);
        return nullptr;
    }
    if (status) *status = Status::Ok();
    return d;
}

std::unique_ptr<Drawing> Drawing::Load(const std::string& path, Status* status) {
    int error = 0;
    auto bytes = ReadFileBytes(path, &error);
    if (!bytes) {
        if (status) *status = Status::Error("图形文件“" + path + "”无法打开：" + ErrorText(error));
        return nullptr;
    }
    return Parse(std::move(*bytes), path, status);
}

}  // namespace velorin::cad::embedded
