// The drawing host as the drawing commands see it: application, documents, model space,
// layers, text styles, selection sets and entities, with the members the commands call
// and nothing more. The embedded host (cad/embedded) implements it; a command never
// knows which host it drives.
//
// Errors are suppressed the way the commands expect: a failing call does nothing, returns
// its error code (or an empty object) and leaves that code in the application's error
// register, where it stays until cleared. Callers look at the register only where a
// command's rules say so.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace velorin::cad {

// Host error codes. 0 is success.
using HResult = uint32_t;
inline constexpr HResult kOk = 0;
inline constexpr HResult kLayerNotFound = 0x80210066;    // "CLayer" names a missing layer
inline constexpr HResult kUnexpected = 0x8000FFFF;       // font file not found, bad call
inline constexpr HResult kNotFound = 0x80200033;         // block or drawing file not found
inline constexpr HResult kInvalidArgument = 0x80070057;  // a value the host refuses
inline constexpr HResult kMemberNotFound = 0x80020006;   // the member does not exist on that object

struct Point3 {
    double x = 0, y = 0, z = 0;
};

// A drawing variable's value: whole numbers are sent as 16-bit integers, texts as texts.
using Variable = std::variant<int16_t, double, std::string>;

// A selection filter: group codes with their values, 0 entity type ("INSERT",
// "LWPOLYLINE"), 2 block name, 8 layer name. Every entry must match; a value may list
// alternatives separated by "," and use the wildcards "*" and "?".
struct Filter {
    std::vector<int16_t> types;
    std::vector<std::string> data;
    bool empty() const { return types.empty(); }
};

// The error register ("Err"): the last failure of any call, until cleared.
class ErrorRegister {
  public:
    HResult Number() const { return number_; }
    void Clear() { number_ = kOk; }
    HResult Raise(HResult code) {
        if (code != kOk) number_ = code;
        return code;
    }

  private:
    HResult number_ = kOk;
};

enum class HorizontalAlignment {
    Left = 0,
    Center = 1,
    Right = 2,
    Aligned = 3,
    Middle = 4,
    Fit = 5
};
enum class VerticalAlignment { Baseline = 0, Bottom = 1, Middle = 2, Top = 3 };

// One entity. Members that its kind lacks answer kMemberNotFound, as a late-bound call
// on the wrong object would.
class Entity {
  public:
    virtual ~Entity() = default;
    // DXF type name: "LWPOLYLINE", "TEXT", "CIRCLE", "INSERT", "LINE", ...
    virtual std::string EntityName() const = 0;
    virtual std::string Handle() const = 0;
    virtual std::string Layer() const = 0;
    virtual HResult SetLayer(const std::string& name) = 0;
    virtual HResult Erase() = 0;

    // Polyline.
    virtual HResult AddVertex(int index, double x, double y);
    virtual HResult SetWidth(int segment, double start_width, double end_width);
    virtual HResult Update();
    virtual HResult SetClosed(bool closed);
    virtual std::vector<double> Coordinates() const { return {}; }
    // Text.
    virtual HResult SetScaleFactor(double factor);
    virtual HResult SetRotation(double radians);
    virtual HResult SetHorizontalAlignment(HorizontalAlignment alignment);
    virtual HResult SetVerticalAlignment(VerticalAlignment alignment);
    virtual HResult SetTextAlignmentPoint(Point3 point);
    virtual std::string TextString() const { return {}; }
    // Block reference.
    virtual Point3 InsertionPoint() const { return {}; }
    virtual std::string Name() const { return {}; }

  protected:
    // Every failing call passes its code through here, so that a host can keep it in
    // its error register.
    virtual HResult Report(HResult code) { return code; }
};

class Layer {
  public:
    virtual ~Layer() = default;
    virtual std::string Name() const = 0;
    virtual int Color() const = 0;
    virtual HResult SetColor(int color_index) = 0;
};

class TextStyle {
  public:
    virtual ~TextStyle() = default;
    virtual std::string Name() const = 0;
    virtual std::string FontFile() const = 0;
    virtual std::string BigFontFile() const = 0;
    virtual double Width() const = 0;
    virtual HResult SetFontFile(const std::string& file) = 0;
    virtual HResult SetBigFontFile(const std::string& file) = 0;
    virtual HResult SetWidth(double width) = 0;
};

class SelectionSet {
  public:
    virtual ~SelectionSet() = default;
    virtual std::string Name() const = 0;
    // The user picks in the drawing; only entities passing the filter are taken.
    virtual HResult SelectOnScreen(const Filter& filter) = 0;
    // Mode 7: entities inside or crossing the polygon; mode 2: entities the open line
    // (fence) crosses. Points as x, y, z triples.
    virtual HResult SelectByPolygon(int mode, const std::vector<double>& points,
                                    const Filter& filter) = 0;
    // Mode 5: every entity passing the filter.
    virtual HResult Select(int mode, const Filter& filter) = 0;
    virtual int Count() const = 0;
    virtual Entity* Item(int index) const = 0;
    // Erases the entities of the set from the drawing.
    virtual HResult Erase() = 0;
    // Removes the set itself from the document; the object is gone afterwards.
    virtual HResult Delete() = 0;
};

class ModelSpace {
  public:
    virtual ~ModelSpace() = default;
    virtual Entity* AddLightWeightPolyline(const std::vector<double>& points) = 0;
    virtual Entity* AddText(const std::string& text, Point3 at, double height) = 0;
    virtual Entity* AddCircle(Point3 centre, double radius) = 0;
    // `name` is a block name or a drawing file whose contents become the block.
    virtual Entity* InsertBlock(Point3 at, const std::string& name, double x_scale, double y_scale,
                                double z_scale, double rotation) = 0;
};

class Layers {
  public:
    virtual ~Layers() = default;
    virtual cad::Layer* Add(const std::string& name) = 0;  // the layer, new or existing
};

class TextStyles {
  public:
    virtual ~TextStyles() = default;
    virtual TextStyle* Add(const std::string& name) = 0;  // the style, new or existing
};

class SelectionSets {
  public:
    virtual ~SelectionSets() = default;
    virtual int Count() const = 0;
    virtual SelectionSet* Add(const std::string& name) = 0;  // fails when the name is taken
};

class Utility {
  public:
    virtual ~Utility() = default;
    virtual HResult Prompt(const std::string& text) = 0;
};

class Document {
  public:
    virtual ~Document() = default;
    virtual cad::ModelSpace& ModelSpace() = 0;
    virtual HResult SetVariable(const std::string& name, const Variable& value) = 0;
    virtual cad::Layers& Layers() = 0;
    virtual cad::TextStyles& TextStyles() = 0;
    virtual cad::SelectionSets& SelectionSets() = 0;
    virtual cad::Layer* ActiveLayer() = 0;
    virtual HResult SetActiveLayer(cad::Layer* layer) = 0;
    virtual TextStyle* ActiveTextStyle() = 0;
    virtual HResult SetActiveTextStyle(TextStyle* style) = 0;
    virtual HResult SendCommand(const std::string& text) = 0;
    virtual cad::Utility& Utility() = 0;
};

class Documents {
  public:
    virtual ~Documents() = default;
    virtual Document* Add() = 0;  // a new empty drawing, made the active one
};

class Application {
  public:
    virtual ~Application() = default;
    virtual Document* ActiveDocument() = 0;
    virtual cad::Documents& Documents() = 0;
    virtual HResult SetVisible(bool visible) = 0;
    virtual std::string Caption() const = 0;
    virtual HResult ZoomExtents() = 0;
    virtual HResult ZoomWindow(Point3 corner1, Point3 corner2) = 0;
    virtual HResult ZoomPrevious() = 0;
    virtual ErrorRegister& Err() = 0;
};

// Reaches the running host. The program hands the embedded host out; tests may refuse.
class HostConnector {
  public:
    virtual ~HostConnector() = default;
    // The running host, or nullptr when none can be reached.
    virtual Application* Attach() = 0;
    // Brings the host's window with this caption to the front.
    virtual void ActivateWindow(const std::string& caption) { (void)caption; }
};

}  // namespace velorin::cad
