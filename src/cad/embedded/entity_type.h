// The entity table: for every DXF entity type the host knows, how it is read, written,
// named, copied into another drawing, walked as primitives and painted. Each family of
// types lives in a file of its own (entity_line.cpp, entity_text.cpp, ...) and is listed
// once in entity_table.cpp; the reader, the writer, the geometry and the painter look
// types up there and know no type themselves.
#pragma once

#include <climits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/numbers.h"
#include "cad/embedded/drawing.h"
#include "cad/embedded/dxf_tags.h"
#include "cad/embedded/paint.h"

namespace velorin::cad::embedded {

// One record of a file: the tags from a code-0 tag up to the next one.
struct Record {
    std::string_view type;
    uint64_t begin = 0, end = 0;
    std::vector<dxf::Tag> tags;  // without the code-0 tag
};

// What the reader offers an entity type while it reads one record.
class RecordReader {
  public:
    virtual ~RecordReader() = default;
    Drawing& drawing;
    explicit RecordReader(Drawing& d) : drawing(d) {}

    virtual int LayerOf(std::string_view raw_name) = 0;
    virtual int StyleOf(std::string_view raw_name) = 0;
    virtual std::string Decode(std::string_view stored) = 0;
    // The look-ahead record is a code-0 record of this type.
    virtual bool NextIs(std::string_view type) const = 0;
    // The look-ahead record, read into `r` (sub-records: VERTEX, ATTRIB, SEQEND).
    virtual void ReadRecord(Record& r) = 0;
    // Skips sub-records up to and including SEQEND.
    virtual void SkipToSeqend(Record& r) = 0;
    // `*slot` is set to the index of block `raw_name` once every block is read; a missing
    // block is added as a reference-only entry when `add_missing`, else the slot stays -1.
    virtual void LinkBlock(EntityBase& owner, int* slot, std::string raw_name,
                           bool add_missing) = 0;

    // The value of a number group the host reads. One that is not a number refuses the
    // drawing (the reader names the first such group once the section is read); groups
    // the host does not read are never parsed, so they stay as the file wrote them.
    double Real(const dxf::Tag& t) {
        std::optional<double> v = ParseNumber(t.value);
        if (!v) NotANumber(t);
        return v.value_or(0);
    }
    long long Integer(const dxf::Tag& t) {
        double v = Real(t);
        return v >= 9e18 ? LLONG_MAX : v <= -9e18 ? LLONG_MIN : static_cast<long long>(v);
    }
    virtual void NotANumber(const dxf::Tag& t) = 0;

    // Groups every entity has; false when the tag is not one of them.
    bool Common(EntityBase& e, const dxf::Tag& t) {
        switch (t.code) {
            case 5:
                e.handle = dxf::ToHandle(t.value);
                return true;
            case 8:
                e.layer = LayerOf(t.value);
                return true;
            case 62:
                e.color = static_cast<int16_t>(Integer(t));
                return true;
            case 67:
                e.paper = Integer(t) == 1;
                return true;
            case 330:
                if (!e.owner) e.owner = dxf::ToHandle(t.value);
                return true;
            case 230:  // read by types that know their extrusion too
                e.mirrored = Real(t) < 0;
                return false;
        }
        return false;
    }
};

// What the writer offers an entity type that writes its record from the model.
struct RecordWriter {
    dxf::TagWriter& w;
    const dxf::Codec& codec;
    bool markers;  // R13 and later: handles, owners and subclass markers
    const std::vector<std::string>& layer_names;
    const std::vector<std::string>& style_names;
    const std::vector<std::string>& block_names;

    void P3(int code, Point3 p) const {
        w.Number(code, p.x);
        w.Number(code + 10, p.y);
        w.Number(code + 20, p.z);
    }
    std::string_view StyleName(int index) const {
        return index >= 0 && index < static_cast<int>(style_names.size())
                   ? std::string_view(style_names[index])
                   : std::string_view("Standard");
    }
};

// A block an entity draws in place (a block reference, a dimension's picture).
struct Expansion {
    const Block* block = nullptr;
    Affine inner;                                        // block coordinates -> drawing
    const std::vector<Attribute>* attributes = nullptr;  // drawn with the outer transform
};

struct EntityType {
    // The DXF record type; nullptr for the fallback, which keeps the record's own name.
    const char* name;
    Kind kind;
    // Reads the record `r` (the reader has taken it already).
    EntityPtr (*read)(RecordReader& reader, Record& r);
    // Groups the model writes itself; the writer keeps the others of a record it
    // rewrites.
    std::span<const int> modelled;
    // Writes the groups after the common ones; nullptr: the record is only ever copied.
    void (*write)(const RecordWriter& out, const EntityBase& e) = nullptr;
    // Written after the groups the model does not know (subclass data that must close
    // the record); may be nullptr.
    void (*write_tail)(const RecordWriter& out, const EntityBase& e) = nullptr;
    // Writes the whole record itself when the drawing's version needs another form;
    // false: the ordinary record.
    bool (*write_whole)(const RecordWriter& out, const EntityBase& e) = nullptr;
    // A copy for a block of drawing `target` (layer, handle and owner are set by the
    // caller); nullptr: not carried over.
    EntityPtr (*copy)(const EntityBase& e, Drawing& target, const Drawing& source) = nullptr;
    // The entity's own primitives (a block it draws comes through `expand`).
    void (*primitives)(const EntityBase& e, const Affine& t, PrimitiveSink& sink) = nullptr;
    // Paints the entity; `full` maps its coordinates to the device.
    void (*paint)(const EntityBase& e, const Affine& full, Rgb colour, PaintBackend& out) = nullptr;
    // The block it draws in place; false when the block is missing, and then the entity
    // is walked as one that draws itself (through `primitives` and `paint`, if it has them).
    bool (*expand)(const Drawing& d, const EntityBase& e, Expansion& out) = nullptr;
    // Its coordinates are object coordinates: an extrusion of (0, 0, -1) mirrors them.
    bool ocs = false;
};

// What object coordinates seen from below (extrusion 0, 0, -1) are in the drawing.
inline constexpr Affine kMirrorX{-1, 0, 0, 0, 1, 0};
// The transform of an entity's own coordinates under `t`.
inline Affine Placed(const EntityBase& e, const EntityType& type, const Affine& t) {
    return e.mirrored && type.ocs ? t * kMirrorX : t;
}

// The transform of an attribute's own coordinates when its reference draws under `t`.
inline Affine Placed(const Attribute& a, const Affine& t) { return a.mirrored ? t * kMirrorX : t; }

// The table.
std::span<const EntityType* const> EntityTypes();
// The entry for a record type; the fallback entry when the host does not model it.
const EntityType& TypeNamed(std::string_view name);
// The entry the host uses for entities of `kind` it makes itself.
const EntityType& TypeOfKind(Kind kind);
inline const EntityType& TypeOf(const EntityBase& e) {
    return e.type ? *e.type : TypeOfKind(e.kind);
}

// Shared pieces of the families.

// Corners of a text's box as selection and painting see it.
void TextBox(const TextEntity& t, const Affine& tr, PrimitiveSink& sink);
// A text standing for an attribute of a block reference.
TextEntity AttributeText(const Attribute& a);
// Paints a text (used for attributes too).
void PaintText(const TextEntity& t, const Affine& full, Rgb colour, PaintBackend& out);
// Segments through `pts`, mapped by `t`.
void PathSegments(const std::vector<Point2>& pts, const Affine& t, PrimitiveSink& sink);
void MapPoints(const Affine& t, std::vector<Point2>& pts);

}  // namespace velorin::cad::embedded
