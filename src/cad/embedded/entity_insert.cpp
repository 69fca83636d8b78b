// INSERT: a block reference, with the ATTRIB records that follow it.
#include "cad/embedded/entity_type.h"

namespace velorin::cad::embedded {

namespace {

Attribute ReadAttribute(RecordReader& reader, const Record& r) {
    Attribute a;
    bool aligned = false;
    for (const dxf::Tag& t : r.tags) {
        // R2018 multi-line attributes end in an embedded text whose groups reuse these codes.
        if (t.code == 101) break;
        switch (t.code) {
            case 1:
                a.text = reader.Decode(t.value);
                break;
            case 2:
                a.tag = reader.Decode(t.value);
                break;
            case 8:
                a.layer = reader.LayerOf(t.value);
                break;
            case 10:
                a.position.x = reader.Real(t);
                break;
            case 20:
                a.position.y = reader.Real(t);
                break;
            case 30:
                a.position.z = reader.Real(t);
                break;
            case 40:
                a.height = reader.Real(t);
                break;
            case 50:
                a.rotation = reader.Real(t);
                break;
            case 11:
                a.alignment_point.x = reader.Real(t);
                aligned = true;
                break;
            case 21:
                a.alignment_point.y = reader.Real(t);
                break;
            case 41:
                a.width_factor = reader.Real(t);
                break;
            case 70:
                a.invisible = (reader.Integer(t) & 1) != 0;
                break;
            case 72:
                a.horizontal = static_cast<int>(reader.Integer(t));
                break;
            case 74:
                a.vertical = static_cast<int>(reader.Integer(t));
                break;
            case 230:
                a.mirrored = reader.Real(t) < 0;
                break;
        }
    }
    if (!aligned) a.alignment_point = a.position;
    return a;
}

// The groups of the INSERT record itself; the block's name in `name`, and whether
// attributes follow.
bool ReadInsertGroup(RecordReader& reader, InsertEntity& e, const dxf::Tag& t,
                     std::string_view& name) {
    switch (t.code) {
        case 2:
            name = t.value;
            break;
        case 10:
            e.position.x = reader.Real(t);
            break;
        case 20:
            e.position.y = reader.Real(t);
            break;
        case 30:
            e.position.z = reader.Real(t);
            break;
        case 41:
            e.x_scale = reader.Real(t);
            break;
        case 42:
            e.y_scale = reader.Real(t);
            break;
        case 43:
            e.z_scale = reader.Real(t);
            break;
        case 50:
            e.rotation = reader.Real(t);
            break;
        case 66:
            return reader.Integer(t) == 1;
    }
    return false;
}

EntityPtr ReadInsert(RecordReader& reader, Record& r) {
    auto e = std::make_unique<InsertEntity>(&reader.drawing);
    bool attributes = false;
    std::string_view name;
    for (const dxf::Tag& t : r.tags) {
        if (reader.Common(*e, t)) continue;
        bool follows = ReadInsertGroup(reader, *e, t, name);
        if (t.code == 66) attributes = follows;
    }
    reader.LinkBlock(*e, &e->block, std::string(name), true);
    if (!attributes) return e;
    while (reader.NextIs("ATTRIB")) {
        reader.ReadRecord(r);
        e->attributes.push_back(ReadAttribute(reader, r));
    }
    if (reader.NextIs("SEQEND")) reader.ReadRecord(r);
    return e;
}

void WriteInsert(const RecordWriter& out, const EntityBase& e) {
    const auto& i = static_cast<const InsertEntity&>(e);
    dxf::TagWriter& w = out.w;
    if (out.markers) w.Text(100, "AcDbBlockReference");
    w.Text(2, out.block_names[i.block]);
    out.P3(10, i.position);
    if (i.x_scale != 1) w.Number(41, i.x_scale);
    if (i.y_scale != 1) w.Number(42, i.y_scale);
    if (i.z_scale != 1) w.Number(43, i.z_scale);
    if (i.rotation != 0) w.Number(50, i.rotation);
}

// The block comes along; attributes do not (the target's block has none).
EntityPtr CopyInsert(const EntityBase& e, Drawing& target, const Drawing& source) {
    auto i = std::make_unique<InsertEntity>(static_cast<const InsertEntity&>(e));
    if (i->block < 0) return nullptr;
    i->block = target.ImportBlock(source, source.blocks()[i->block]->name);
    i->attributes.clear();
    if (i->block < 0) return nullptr;
    return i;
}

bool ExpandInsert(const Drawing& d, const EntityBase& e, Expansion& out) {
    const auto& i = static_cast<const InsertEntity&>(e);
    out.attributes = &i.attributes;
    if (i.block < 0) return false;
    const Block& b = *d.blocks()[i.block];
    out.block = &b;
    out.inner = Affine::Insert({i.position.x, i.position.y}, i.x_scale, i.y_scale, i.rotation,
                               {b.base.x, b.base.y});
    return true;
}

constexpr int kInsertGroups[] = {2, 10, 20, 30, 41, 42, 43, 50};

}  // namespace

extern const EntityType kInsertType{.name = "INSERT",
                                    .kind = Kind::Insert,
                                    .read = ReadInsert,
                                    .modelled = kInsertGroups,
                                    .write = WriteInsert,
                                    .copy = CopyInsert,
                                    .expand = ExpandInsert,
                                    .ocs = true};

}  // namespace velorin::cad::embedded
