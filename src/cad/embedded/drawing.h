// One drawing held by the embedded host: entities with handles, layers, text styles,
// block definitions and header variables, read from and saved to DXF.
//
// What the model does not parse stays as the bytes it was read from (an entity's record,
// a table record, a header variable, a whole section) and is written back unchanged, so a
// saved drawing keeps everything it held. A drawing keeps its DXF version and encoding
// when saved; new drawings are R2000 with GBK text.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/status.h"
#include "cad/embedded/geometry.h"
#include "cad/host.h"

namespace velorin::cad::embedded {

class Drawing;
struct Block;
struct EntityType;
namespace dxf {
class Codec;
}

enum class Kind : uint8_t {
    Line,
    Arc,
    Circle,
    LwPolyline,
    Polyline,
    Text,
    MText,
    Point,
    Insert,
    Solid,
    Other  // a type the host's own interface does not know; its EntityType says which
};

// A span of the bytes the drawing was read from; empty for what the host made.
struct Span {
    uint64_t begin = 0, end = 0;
    bool empty() const { return begin == end; }
};

class Layer : public cad::Layer {
  public:
    Drawing* drawing = nullptr;
    std::string name;
    int color = 7;        // negative: layer off
    bool frozen = false;  // flag 1 of group 70

    // What is on a layer that is off or frozen is neither drawn nor picked.
    bool Shown() const { return color >= 0 && !frozen; }
    uint64_t handle = 0;
    Span raw;
    bool changed = false;

    std::string Name() const override { return name; }
    int Color() const override { return color; }
    HResult SetColor(int color_index) override;
};

class TextStyle : public cad::TextStyle {
  public:
    Drawing* drawing = nullptr;
    std::string name, font, big_font;
    double width = 1;
    uint64_t handle = 0;
    Span raw;
    bool changed = false;

    std::string Name() const override { return name; }
    std::string FontFile() const override { return font; }
    std::string BigFontFile() const override { return big_font; }
    double Width() const override { return width; }
    HResult SetFontFile(const std::string& file) override;
    HResult SetBigFontFile(const std::string& file) override;
    HResult SetWidth(double w) override;
};

// Common part of every entity. Geometry is in drawing units; angles in degrees as DXF
// stores them.
class EntityBase : public cad::Entity {
  public:
    EntityBase(Kind k, Drawing* d) : kind(k), drawing(d) {}
    Kind kind;
    bool erased = false;
    bool paper = false;          // paper space: kept, painted no, selected no
    bool layer_changed = false;  // raw record written with its layer replaced
    bool regenerate = false;     // raw record rewritten from the model (geometry changed)
    bool mirrored = false;       // extrusion (0, 0, -1): its object coordinates seen from below
    int16_t color = 256;         // 256 by layer, 0 by block
    int layer = 0;               // index into the drawing's layers
    uint64_t handle = 0;
    uint64_t owner = 0;
    Span raw;
    Drawing* drawing;
    // Its entry in the entity table (entity_type.h); nullptr: the entry of its kind.
    const EntityType* type = nullptr;

    std::string EntityName() const override;
    std::string Handle() const override;
    std::string Layer() const override;
    HResult SetLayer(const std::string& name) override;
    HResult Erase() override;
    // The record must be written from the model rather than copied.
    bool Generated() const { return raw.empty() || regenerate; }

  protected:
    HResult Report(HResult code) override;
};

class LineEntity : public EntityBase {
  public:
    explicit LineEntity(Drawing* d) : EntityBase(Kind::Line, d) {}
    Point3 a, b;
};

class CircleEntity : public EntityBase {
  public:
    CircleEntity(Kind k, Drawing* d) : EntityBase(k, d) {}  // Circle or Arc
    Point3 centre;
    double radius = 0, start_angle = 0, end_angle = 360;
};

struct Vertex {
    double x = 0, y = 0, start_width = 0, end_width = 0, bulge = 0;
};

class PolylineEntity : public EntityBase {
  public:
    PolylineEntity(Kind k, Drawing* d) : EntityBase(k, d) {}  // LwPolyline or Polyline
    std::vector<Vertex> vertices;
    bool closed = false;
    double elevation = 0, constant_width = 0;
    int flags = 0;

    HResult AddVertex(int index, double x, double y) override;
    HResult SetWidth(int segment, double start_width, double end_width) override;
    HResult Update() override { return kOk; }
    HResult SetClosed(bool c) override;
    std::vector<double> Coordinates() const override;
};

class TextEntity : public EntityBase {
  public:
    TextEntity(Kind k, Drawing* d) : EntityBase(k, d) {}  // Text or MText
    std::string text;                                     // UTF-8
    Point3 position, alignment_point;
    double height = 1, rotation = 0, width_factor = 1, oblique = 0;
    double box_width = 0;  // MTEXT reference width
    int style = 0;
    int horizontal = 0, vertical = 0;  // TEXT 72/73; MTEXT attachment in `horizontal` (1..9)

    HResult SetScaleFactor(double factor) override;
    HResult SetRotation(double radians) override;
    HResult SetHorizontalAlignment(HorizontalAlignment alignment) override;
    HResult SetVerticalAlignment(VerticalAlignment alignment) override;
    HResult SetTextAlignmentPoint(Point3 point) override;
    std::string TextString() const override { return text; }
};

class PointEntity : public EntityBase {
  public:
    explicit PointEntity(Drawing* d) : EntityBase(Kind::Point, d) {}
    Point3 position;
};

class SolidEntity : public EntityBase {
  public:
    explicit SolidEntity(Drawing* d) : EntityBase(Kind::Solid, d) {}
    Point2 corners[4];
    int hidden_edges = 0;  // 3DFACE group 70: bit k hides the edge from corner k to the next
};

struct Attribute {
    std::string tag, text;
    Point3 position, alignment_point;
    double height = 1, rotation = 0, width_factor = 1;
    int layer = 0;
    int horizontal = 0, vertical = 0;  // as a TEXT's 72 and 73 (an ATTRIB's 72 and 74)
    bool invisible = false;            // flag 1 of group 70: kept, not drawn
    bool mirrored = false;             // extrusion (0, 0, -1)
};

class InsertEntity : public EntityBase {
  public:
    explicit InsertEntity(Drawing* d) : EntityBase(Kind::Insert, d) {}
    int block = -1;  // index into the drawing's blocks
    Point3 position;
    double x_scale = 1, y_scale = 1, z_scale = 1, rotation = 0;
    std::vector<Attribute> attributes;

    Point3 InsertionPoint() const override { return position; }
    std::string Name() const override;
};

// Records kept as read (splines, leaders, ...), layer readable. Splines remember their
// curve, for pictures.
class OtherEntity : public EntityBase {
  public:
    explicit OtherEntity(Drawing* d) : EntityBase(Kind::Other, d) {}
    std::string type;
    int degree = 3;  // SPLINE
    std::vector<double> knots;
    std::vector<Point2> control, fit;
};

// Points along a spline (fit points when it has no usable control frame).
std::vector<Point2> SplinePoints(const OtherEntity& spline);

using EntityPtr = std::unique_ptr<EntityBase>;

// The outline of a polyline with its bulges as arcs, in its own coordinates.
void PolylinePoints(const PolylineEntity& p, std::vector<Point2>& points);

struct Block {
    std::string name;
    Point3 base;
    uint64_t handle = 0, end_handle = 0, record_handle = 0;
    int flags = 0;
    bool defined = true;  // false: only referenced, the drawing lacks its definition
    Span raw;             // BLOCK .. ENDBLK as read; empty for blocks the host added
    std::vector<EntityPtr> entities;
    // Extents of the block's graphics about its base point, computed when first needed.
    mutable std::optional<Box> extents;
};

// A table of the TABLES section, kept as read except for the records the model knows.
struct TableChunk {
    std::string name;  // "LAYER", "STYLE", "BLOCK_RECORD", ...
    Span head;         // "0 TABLE" up to its first record
    Span tail;         // "0 ENDTAB"
    uint64_t handle = 0;
    std::vector<Span> records;  // records the model does not parse (raw)
};

struct HeaderVariable {
    std::string name;         // "$ACADVER"
    Span raw;                 // "9 $NAME" and its values
    std::string replacement;  // written instead when not empty (already encoded groups)
};

// A section kept whole or structured.
struct Section {
    std::string name;
    Span raw;
    uint64_t close = 0;  // where its "0 ENDSEC" starts
};

class Drawing {
  public:
    Drawing();
    ~Drawing();
    Drawing(const Drawing&) = delete;
    Drawing& operator=(const Drawing&) = delete;

    // A new drawing from the minimal R2000 structure.
    static std::unique_ptr<Drawing> New();
    // Reads a DXF file; the message names the file and the fault.
    static std::unique_ptr<Drawing> Load(const std::string& path, Status* status);
    static std::unique_ptr<Drawing> Parse(std::string bytes, const std::string& name,
                                          Status* status);

    // The DXF text of the drawing.
    std::string Serialize() const;
    // Saves to `path`; over an existing file the old one is kept as ".bak" and the new
    // one replaces it in one step.
    Status Save(const std::string& path) const;

    // Model.
    const std::vector<EntityPtr>& entities() const { return entities_; }
    const std::vector<std::unique_ptr<Layer>>& layers() const { return layers_; }
    const std::vector<std::unique_ptr<TextStyle>>& styles() const { return styles_; }
    const std::vector<std::unique_ptr<Block>>& blocks() const { return blocks_; }
    int version() const { return version_; }
    const std::string& path() const { return path_; }
    void set_path(std::string p) { path_ = std::move(p); }

    Layer* FindLayer(std::string_view name) const;
    int LayerIndex(std::string_view name) const;  // -1 when missing
    Layer* AddLayer(const std::string& name);     // existing or new (colour 7)
    TextStyle* FindStyle(std::string_view name) const;
    TextStyle* AddStyle(const std::string& name);
    int BlockIndex(std::string_view name) const;  // -1 when missing
    // Copies block `name` of another drawing (its definition, or its model space when it
    // has none of that name) into this one; returns its index or -1.
    int ImportBlock(const Drawing& source, const std::string& name);

    // New entities on the current layer and style, in model space.
    PolylineEntity* AddPolyline(const std::vector<Point2>& points);
    TextEntity* AddText(const std::string& text, Point3 at, double height);
    CircleEntity* AddCircle(Point3 centre, double radius);
    InsertEntity* AddInsert(int block, Point3 at, double xs, double ys, double zs,
                            double rotation_deg);
    LineEntity* AddLine(Point3 a, Point3 b);

    int current_layer = 0;
    int current_style = 0;

    // Header variables as the host keeps them ("OSMODE" -> 0), names upper case.
    std::optional<Variable> GetVariable(const std::string& name) const;
    void SetHeaderVariable(const std::string& name, const Variable& value);

    // Geometry of an entity in drawing coordinates (blocks expanded).
    void Primitives(const EntityBase& e, const Affine& t, PrimitiveSink& sink, int depth = 0) const;
    std::optional<Box> Extents(const EntityBase& e) const;
    std::optional<Box> Extents() const;  // of model space
    const Box& BlockExtents(const Block& b) const;

    // Spatial index of model space, built when first asked and kept up to date.
    std::vector<EntityBase*> Candidates(const Box& box) const;
    // An entity's geometry changed: the index and the drawing's extents learn its new
    // extents. Like a CAD host's stored extents they only grow until an erase.
    void Touched(EntityBase* e) const {
        GrowExtents(*e);
        if (index_) IndexEntity(e);
    }
    // An entity was erased: the extents are worked out again when next asked.
    void Removed() const { model_extents_known_ = false; }
    std::string_view source() const { return source_; }
    const dxf::Codec& codec() const { return *codec_; }
    uint64_t NextHandle() { return handle_seed_++; }

    // Where failing calls on the drawing's objects are reported (the host's register).
    void set_errors(ErrorRegister* errors) { errors_ = errors; }
    HResult Fail(HResult code) const { return errors_ ? errors_->Raise(code) : code; }

  private:
    friend class DxfReader;
    friend class DxfWriter;
    void Adopt(EntityBase* e);
    void IndexEntity(EntityBase* e) const;
    void GrowExtents(const EntityBase& e) const;

    std::string source_;
    std::string path_;
    ErrorRegister* errors_ = nullptr;
    std::string eol_ = "\r\n";
    int version_ = 1015;
    std::string codepage_ = "ANSI_936";
    std::unique_ptr<dxf::Codec> codec_;
    uint64_t handle_seed_ = 1;
    uint64_t model_space_record_ = 0;  // owner of model-space entities

    std::vector<Section> sections_;
    Span prologue_;  // comments before the first section, as read
    Span eof_;       // "0 EOF" and whatever follows it, as read
    std::vector<HeaderVariable> header_;
    std::vector<TableChunk> tables_;
    std::vector<EntityPtr> entities_;
    std::vector<std::unique_ptr<Layer>> layers_;
    std::vector<std::unique_ptr<TextStyle>> styles_;
    std::vector<std::unique_ptr<Block>> blocks_;
    std::unordered_map<std::string, int> layer_index_;  // upper-case name
    std::unordered_map<std::string, int> block_index_;  // upper-case name
    std::map<std::string, Variable> variables_;         // set by the host, upper-case names

    struct SpatialIndex;
    mutable std::unique_ptr<SpatialIndex> index_;
    // Model-space extents, kept while entities are only added: a plot zooms to extents
    // after every section, which must not cost a walk over the whole drawing each time.
    mutable std::optional<Box> model_extents_;
    mutable bool model_extents_known_ = false;
};

}  // namespace velorin::cad::embedded
