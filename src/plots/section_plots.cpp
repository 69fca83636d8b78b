#include "plots/section_plots.h"

#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "app/progress.h"
#include "base/numbers.h"
#include "cad/preparation.h"
#include "store/statements.h"

namespace velorin::plots {

namespace st = store::statements;
using cad::HorizontalAlignment;
using cad::VerticalAlignment;

namespace {

struct PlotPoint {
    double chainage;   // Slen
    double elevation;  // High
};

// Stands in for a host connector when the program has none: attaching fails, so the
// user gets the same message as with no host running.
struct NoHost : cad::HostConnector {
    cad::Application* Attach() override { return nullptr; }
};

// The points of one section by chainage; the section number goes into the statement as
// an escaped literal, so an apostrophe in it is harmless.
std::vector<PlotPoint> PointsOf(store::WorkingStore& store, const std::string& section) {
    std::vector<PlotPoint> points;
    store::RecordSet& rows =
        store.Reopen(store::WorkingStore::Table::Point, st::PointsOfSection(section));
    for (rows.MoveFirst(); !rows.EndOfFile(); rows.MoveNext())
        points.push_back({rows.Number("Slen"), rows.Number("High")});
    return points;
}

// Section numbers in SIndex order, or nothing when Cross or Point holds no row.
std::vector<std::string> SectionsToDraw(store::WorkingStore& store) {
    store::RecordSet& cross = store.Reopen(store::WorkingStore::Table::Cross, st::kCrossBySIndex);
    store::RecordSet& point =
        store.Reopen(store::WorkingStore::Table::Point, st::kPointByCrossNoSlen);
    std::vector<std::string> sections;
    if (cross.EndOfFile() || point.EndOfFile()) return sections;
    for (cross.MoveFirst(); !cross.EndOfFile(); cross.MoveNext())
        sections.push_back(cross.Text("CrossNo"));
    return sections;
}

// Attaches and prepares a new drawing with the text style "断面"; empty handles when
// no host answered.
cad::HostHandles NewPlotDrawing(app::Context& context, std::string_view title) {
    NoHost none;
    cad::HostConnector& connector = context.host ? *context.host : none;
    cad::Application* app = cad::AttachHost(connector, context.ui, title);
    if (!app) return {};
    cad::HostHandles h =
        cad::PrepareDrawing(connector, *app, cad::DocumentChoice::New, cad::VariableSet::All);
    if (h.doc) cad::SetupTextStyle(*app, *h.doc, context.program.settings, "断面");
    return h;
}

// What both plots start from: the sections to draw, a new prepared drawing, the scales.
struct PlotStart {
    std::vector<std::string> sections;
    cad::HostHandles h;
    double H = 0, V = 0, E = 0;  // horizontal and vertical scale factors, and H / V
};

bool ScalesUsable(app::Context& context, std::string_view title);

// Empty when the store holds nothing to draw, the scales are unusable (the user is told)
// or no drawing could be made.
std::optional<PlotStart> BeginPlot(app::Context& context, std::string_view title) {
    PlotStart start;
    start.sections = SectionsToDraw(*context.program.store);
    if (start.sections.empty()) return std::nullopt;
    if (!ScalesUsable(context, title)) return std::nullopt;
    start.h = NewPlotDrawing(context, title);
    if (!start.h.space) return std::nullopt;
    const app::Settings& settings = context.program.settings;
    start.H = settings.HScale, start.V = settings.VScale, start.E = start.H / start.V;
    return start;
}

cad::Entity* Polyline(cad::ModelSpace& space, double x1, double y1, double x2, double y2) {
    return space.AddLightWeightPolyline({x1, y1, x2, y2});
}

constexpr double kStyleWidth = 0;  // keep the text style's width factor

// A text set with its alignment and, unless `scale` is 0, its width factor (otherwise the
// style's stays); the alignment point is the insertion point, where every aligned plot
// text belongs.
cad::Entity* AlignedText(cad::ModelSpace& space, const std::string& text, double x, double y,
                         double height, double scale, HorizontalAlignment horizontal,
                         VerticalAlignment vertical) {
    cad::Entity* t = space.AddText(text, {x, y, 0}, height);
    if (!t) return nullptr;
    if (scale != 0) t->SetScaleFactor(scale);
    t->SetVerticalAlignment(vertical);
    t->SetHorizontalAlignment(horizontal);
    t->SetTextAlignmentPoint({x, y, 0});
    return t;
}

cad::Entity* PlainText(cad::ModelSpace& space, const std::string& text, double x, double y,
                       double height) {
    cad::Entity* t = space.AddText(text, {x, y, 0}, height);
    if (t) t->SetScaleFactor(1.0);
    return t;
}

// The ground line grown vertex by vertex, each new segment given its width: made at the
// second point, one vertex added per further point. A single point makes no line.
template <typename Position>
void GroundLine(cad::ModelSpace& space, const std::vector<PlotPoint>& points, double width,
                Position at) {
    cad::Entity* line = nullptr;
    for (size_t k = 1; k < points.size(); ++k) {
        auto [x, y] = at(points[k]);
        if (k == 1) {
            auto [x0, y0] = at(points[0]);
            line = Polyline(space, x0, y0, x, y);
            if (!line) return;
            line->SetWidth(0, width, width);
        } else {
            line->AddVertex(static_cast<int>(k), x, y);
            line->SetWidth(static_cast<int>(k) - 1, width, width);
        }
        line->Update();
    }
}

// Whole numbers from `from` to `to`, each taken to its nearest whole number first.
template <typename Each>
void WholeSteps(double from, double to, double step, Each each) {
    double last = RoundHalfEven(to);
    for (double v = RoundHalfEven(from); v <= last; v += step) each(v);
}

// A grid needs a line per metre of elevation (and per 5 m of offset): a slipped key in a
// hand-written file (an elevation of 1e9) would otherwise draw for ever. Far beyond any
// real section.
constexpr double kMaxGridLines = 10000;

bool TooManyLines(double from, double to, double step) {
    return !((to - from) / step < kMaxGridLines);
}

void RefuseSection(app::Context& context, std::string_view title, const std::string& section,
                   const std::string& range) {
    context.ui.MessageBox(app::MessageIcon::Exclamation, title,
                          "断面“" + section + "”的范围过大（" + range + "），网格线将超过" +
                              Format(kMaxGridLines, "#0") + "条，该断面未绘制。");
}

// The scales divide every plotted length: 0 or less would write infinite coordinates.
bool ScalesUsable(app::Context& context, std::string_view title) {
    const app::Settings& settings = context.program.settings;
    for (auto [name, value] : {std::pair{"HScale", settings.HScale}, {"VScale", settings.VScale}}) {
        if (!(value > 0) || !std::isfinite(value)) {
            context.ui.MessageBox(app::MessageIcon::Exclamation, title,
                                  std::string("设置“") + name + "”的值" + PlainNumber(value) +
                                      "无效：绘图比例必须大于0，请在Velorin.ini中改正。");
            return false;
        }
    }
    return true;
}

// Elevation limits shared by both plots: a metre or two of room below and above.
double LowLimit(double low) {
    double v = std::floor(low) - 1;
    return v > 0 ? v - 1 : v;
}
double HighLimit(double high) {
    double v = std::floor(high) + 2;
    return v < 0 ? v + 1 : v;
}

// A section's grid limits: whole 5 m across, whole metres up with room, or the unified axis.
struct GridLimits {
    double left, right, low, high;
};
GridLimits LimitsOf(const std::vector<PlotPoint>& points, bool unified, double axis_a,
                    double axis_b) {
    double left = points[0].chainage, right = left, low = points[0].elevation, high = low;
    for (const auto& p : points) {
        left = std::min(left, p.chainage), right = std::max(right, p.chainage);
        low = std::min(low, p.elevation), high = std::max(high, p.elevation);
    }
    // The grid starts at the centre line or a whole 5 m left of it and ends 5 m past
    // the last whole 5 m.
    left = std::trunc(RoundHalfEven(left) / 5) * 5;
    if (left < 0) left -= 5;
    if (left > 0) left = 0;
    right = std::trunc(RoundHalfEven(right) / 5) * 5 + 5;
    low = LowLimit(low);
    high = HighLimit(high);
    if (unified) low = std::min(axis_a, axis_b), high = std::max(axis_a, axis_b);
    return {left, right, low, high};
}

// A text's width as the plot expects it: a latin character 0.8 of the height, any other
// (Chinese) a full height, times the width factor. Generous, so that room is never short.
double TextWidth(const std::string& text, double height, double factor) {
    double width = 0;
    for (unsigned char c : text) {
        if (c < 0x80)
            width += 0.8 * height;
        else if (c >= 0xC0)
            width += height;
    }
    return width * factor;
}

// Everything one cross-section puts on paper, about its grid, as the column draws it.
SectionRoom RoomOf(const std::string& section, const std::vector<PlotPoint>& points,
                   const GridLimits& g, const app::Settings& settings, double H, double E) {
    SectionRoom r;
    r.section = section;
    r.grid_width = g.right - g.left;
    r.grid_height = (g.high - g.low) * E;
    double label = 0;
    WholeSteps(g.low, g.high, 1, [&](double j) {
        label = std::max(label, TextWidth(Format(j, "#0.0"), 3 * H, 0.8));
    });
    r.left = g.left - 2 * H - label;
    r.right = g.right + 2 * H + label;
    r.top = r.grid_height + 5 * H;
    r.bottom = std::min(0.0, -6.25 * H * E);
    std::string number = section + "～" + section + "'";
    r.right = std::max(r.right, g.left + TextWidth(number, settings.PointTextHeight * H, 1.0));
    for (const auto& p : points) {
        double y = (p.elevation - g.low) * E;
        std::string text = Format(p.elevation, "#0.000");
        double half = std::max(0.5 * H, TextWidth(text, settings.ElevTextHeight * H, 0.8) / 2);
        r.left = std::min(r.left, p.chainage - half),
        r.right = std::max(r.right, p.chainage + half);
        r.bottom = std::min(r.bottom, y - 0.5 * H);
        r.top = std::max(r.top, y + 0.8 * H * E + settings.ElevTextHeight * H / 2);
    }
    return r;
}

cad::Document* DrawCrossSectionsPlaced(app::Context& context, const double& axis_a,
                                       const double& axis_b, const std::string& title,
                                       SectionPlacer* placer) {
    store::WorkingStore& store = *context.program.store;
    // With a placer every section is read and measured before the drawing is made, so
    // that a refused layout leaves nothing drawn.
    std::vector<std::vector<PlotPoint>> kept;
    if (placer) {
        if (!ScalesUsable(context, "横断面图")) return nullptr;
        const app::Settings& s = context.program.settings;
        const bool unified = !(axis_a == 0 && axis_b == 0);
        std::vector<SectionRoom> rooms;
        for (const std::string& section : SectionsToDraw(store)) {
            kept.push_back(PointsOf(store, section));
            if (kept.back().empty()) continue;
            const GridLimits g = LimitsOf(kept.back(), unified, axis_a, axis_b);
            if (TooManyLines(g.left, g.right, 5) || TooManyLines(g.low, g.high, 1)) {
                RefuseSection(context, "横断面图", section,
                              "偏距 " + PlainNumber(g.left) + "～" + PlainNumber(g.right) +
                                  "，高程 " + PlainNumber(g.low) + "～" + PlainNumber(g.high));
                kept.back().clear();  // refused once here; the drawing passes it over
                continue;
            }
            rooms.push_back(RoomOf(section, kept.back(), g, s, s.HScale, s.HScale / s.VScale));
        }
        if (rooms.empty() || !placer->Plan(rooms)) return nullptr;
    }
    auto start = BeginPlot(context, "横断面图");
    if (!start) return nullptr;
    const std::vector<std::string>& sections = start->sections;
    cad::Application& app = *start->h.app;
    cad::Document& doc = *start->h.doc;
    cad::ModelSpace& model = *start->h.space;
    const app::Settings& settings = context.program.settings;
    const double H = start->H, V = start->V, E = start->E;
    const bool unified = !(axis_a == 0 && axis_b == 0);
    double base = 0;

    if (!title.empty() && !placer) {
        cad::ModelSpace& space = model;
        cad::UseLayer(doc, cad::kCrossTitleLayer.name, cad::kCrossTitleLayer.colour);
        std::string line = title + "  水平比例 1：" + Format(H * 1000, "#0") + "，垂直比例 1：" +
                           Format(V * 1000, "#0");
        PlainText(space, line, 0, 12 * H - 5 * E, 10 * H);
    }

    app::ProgressReport progress(context.progress, "横断面图", static_cast<long>(sections.size()));
    long done = 0;
    size_t placed = 0, drawn = 0;
    for (size_t index = 0; index < sections.size(); ++index) {
        const std::string& section = sections[index];
        std::vector<PlotPoint> points = placer ? std::move(kept[index]) : PointsOf(store, section);
        progress.Step(++done);
        if (points.empty()) continue;

        const GridLimits limits = LimitsOf(points, unified, axis_a, axis_b);
        const double left = limits.left, right = limits.right, low = limits.low, high = limits.high;
        if (TooManyLines(left, right, 5) || TooManyLines(low, high, 1)) {
            RefuseSection(context, "横断面图", section,
                          "偏距 " + PlainNumber(left) + "～" + PlainNumber(right) + "，高程 " +
                              PlainNumber(low) + "～" + PlainNumber(high));
            continue;
        }

        ++drawn;
        base -= (high - low + 5) * E;
        cad::ModelSpace& space = placer ? placer->Place(placed++, base, model) : model;
        const double top = base + (high - low) * E;
        auto y = [&](double elevation) { return base + (elevation - low) * E; };

        cad::UseLayer(doc, cad::kCrossGridLayer.name, cad::kCrossGridLayer.colour);
        WholeSteps(left, right, 5, [&](double i) {
            Polyline(space, i, top, i, base);
            if (std::fmod(i, 10) == 0)
                AlignedText(space, Format(i, "#0"), i, top + 2 * H, 3 * H, 0.8,
                            HorizontalAlignment::Center, VerticalAlignment::Bottom);
        });
        WholeSteps(low, high, 1, [&](double j) {
            Polyline(space, left, y(j), right, y(j));
            std::string label = Format(j, "#0.0");
            AlignedText(space, label, left - 2 * H, y(j), 3 * H, 0.8, HorizontalAlignment::Right,
                        VerticalAlignment::Middle);
            AlignedText(space, label, right + 2 * H, y(j), 3 * H, 0.8, HorizontalAlignment::Left,
                        VerticalAlignment::Middle);
        });

        cad::UseLayer(doc, cad::kCrossNumberLayer.name, cad::kCrossNumberLayer.colour);
        PlainText(space, section + "～" + section + "'", left, base - 6.25 * H * E,
                  settings.PointTextHeight * H);

        cad::UseLayer(doc, cad::kCrossLineLayer.name, cad::kCrossLineLayer.colour);
        GroundLine(space, points, 0.3 * H, [&](const PlotPoint& p) {
            return std::pair{p.chainage, y(p.elevation)};
        });

        cad::UseLayer(doc, cad::kCrossPointLayer.name, cad::kCrossPointLayer.colour);
        for (const auto& p : points) space.AddCircle({p.chainage, y(p.elevation), 0}, 0.5 * H);

        cad::UseLayer(doc, cad::kCrossElevationLayer.name, cad::kCrossElevationLayer.colour);
        for (const auto& p : points)
            AlignedText(space, Format(p.elevation, "#0.000"), p.chainage,
                        y(p.elevation) + 0.8 * H * E, settings.ElevTextHeight * H, 0.8,
                        HorizontalAlignment::Center, VerticalAlignment::Middle);

        app.ZoomExtents();
    }
    if (placer) {
        placer->Finish(doc, model);
        app.ZoomExtents();
    }
    doc.Utility().Prompt("已画 " + std::to_string(drawn) + " 个横断面");
    return &doc;
}

}  // namespace

cad::Document* DrawCrossSections(app::Context& context, const double& axis_a, const double& axis_b,
                                 const std::string& title) {
    return DrawCrossSectionsPlaced(context, axis_a, axis_b, title, nullptr);
}

cad::Document* DrawCrossSections(app::Context& context, const double& axis_a, const double& axis_b,
                                 SectionPlacer& placer) {
    return DrawCrossSectionsPlaced(context, axis_a, axis_b, "", &placer);
}

std::string ChainageText(double chainage) {
    double kilometres = std::trunc(chainage / 1000);
    std::string metres = Format(chainage - 1000 * kilometres, "#0.0");
    // Metres that round up to a whole kilometre belong to the next one (1999.97 is 2+0.0,
    // as 2000 is). Negative chainages keep their plain split ("0+-3.0").
    if (metres == "1000.0") {
        kilometres += 1;
        metres = Format(chainage - 1000 * kilometres, "#0.0");
    }
    return Format(kilometres, "#0") + "+" + metres;
}

namespace {

// A profile's frame and elevation limits: the frame on whole 5 m, from 0 when it starts
// within 100 paper millimetres of chainage 0 (or before it).
struct ProfileLimits {
    double start_x, end_x, low, high;
};
ProfileLimits ProfileLimitsOf(const std::vector<PlotPoint>& points, double H) {
    double start_x = points[0].chainage, end_x = start_x, low = points[0].elevation, high = low;
    for (const auto& p : points) {
        start_x = std::min(start_x, p.chainage), end_x = std::max(end_x, p.chainage);
        low = std::min(low, p.elevation), high = std::max(high, p.elevation);
    }
    if (start_x != 0) start_x = std::floor(start_x / 5) * 5 - 5;
    if (100 * H > start_x) start_x = 0;
    end_x = std::floor(end_x / 5) * 5 + 5;
    return {start_x, end_x, LowLimit(low), HighLimit(high)};
}

// The points of a profile with the start chainage added, as the store statement would
// add it, to the millimetre.
std::vector<PlotPoint> ProfilePoints(store::WorkingStore& store, const std::string& section,
                                     double start_chainage) {
    const double shift = ParseNumber(Format(start_chainage, "#0.000")).value_or(0);
    std::vector<PlotPoint> points = PointsOf(store, section);
    for (auto& p : points) p.chainage += shift;
    return points;
}

// The ground line between two chainages: the points there, and where the line crosses
// either end. Chainages ascend, so what lies between is one run.
std::vector<PlotPoint> GroundBetween(const std::vector<PlotPoint>& points, double from, double to) {
    std::vector<PlotPoint> out;
    auto at = [](const PlotPoint& a, const PlotPoint& b, double x) {
        return PlotPoint{x, a.elevation + (b.elevation - a.elevation) * (x - a.chainage) /
                                              (b.chainage - a.chainage)};
    };
    for (size_t k = 0; k < points.size(); ++k) {
        const PlotPoint& p = points[k];
        if (k > 0 && points[k - 1].chainage < from && p.chainage > from)
            out.push_back(at(points[k - 1], p, from));
        if (p.chainage >= from && p.chainage <= to) out.push_back(p);
        if (k > 0 && points[k - 1].chainage < to && p.chainage > to) {
            out.push_back(at(points[k - 1], p, to));
            break;
        }
    }
    return out;
}

// Everything of one profile below its title lines, framed from `start_x` to `end_x`:
// the frame and table, the ruler, the table's data, the ground line, the note marks and
// the point symbols. `points` are those to mark, `ground` the line through them.
void DrawProfileBody(app::Context& context, cad::Application& app, cad::Document& doc,
                     cad::ModelSpace& space, const std::vector<PlotPoint>& points,
                     const std::vector<PlotPoint>& ground, double start_x, double end_x, double low,
                     double high, double offset, double H, double E) {
    const double quarter_turn = 3.1415926535 / 2;
    auto y = [&](double elevation) { return elevation * E + offset; };
    const double bottom = y(low - 1), top = y(high + 1), table_bottom = bottom - 105 * H;

    cad::UseLayer(doc, cad::kProfileTableLayer.name, cad::kProfileTableLayer.colour);
    const double ruler_x = start_x - 15 * H, border_x = start_x - 25 * H;
    Polyline(space, start_x, table_bottom, start_x, top);
    Polyline(space, ruler_x, bottom, ruler_x, top);
    Polyline(space, border_x, table_bottom, border_x, top);
    Polyline(space, end_x, table_bottom, end_x, top);
    Polyline(space, border_x, top, end_x, top);
    Polyline(space, border_x, bottom, end_x, bottom);
    for (int k = 15; k <= 105; k += 15)
        Polyline(space, border_x, bottom - k * H, end_x, bottom - k * H);
    AlignedText(space, "高", start_x - 19.5 * H, y(low + 0.66 * (high - low + 1)), 3 * H,
                kStyleWidth, HorizontalAlignment::Center, VerticalAlignment::Middle);
    AlignedText(space, "程", start_x - 19.5 * H, y(low + 0.33 * (high - low + 1)), 3 * H,
                kStyleWidth, HorizontalAlignment::Center, VerticalAlignment::Middle);
    static const char* const kRowTitles[] = {"坡度及距离", "竖曲线", "设计比实际高", "设计路面高",
                                             "地面高",     "桩号",   "平曲线"};
    for (int r = 1; r <= 7; ++r)
        AlignedText(space, kRowTitles[r - 1], start_x - 12.5 * H, bottom - 15 * r * H + 7.5 * H,
                    3 * H, kStyleWidth, HorizontalAlignment::Center, VerticalAlignment::Middle);

    cad::UseLayer(doc, cad::kProfileScaleLayer.name, cad::kProfileScaleLayer.colour);
    WholeSteps(low, high, 1, [&](double j) {
        Polyline(space, start_x - 2 * H, y(j), start_x, y(j));
        AlignedText(space, Format(j, "#0.0"), start_x - 3 * H, y(j), 3 * H, 0.8,
                    HorizontalAlignment::Right, VerticalAlignment::Middle);
    });

    cad::UseLayer(doc, cad::kProfileDataLayer.name, cad::kProfileDataLayer.colour);
    for (const auto& p : points) {
        if (auto* t =
                AlignedText(space, Format(p.elevation, "#0.000"), p.chainage, bottom - 67.5 * H,
                            2.4 * H, 0.8, HorizontalAlignment::Center, VerticalAlignment::Middle))
            t->SetRotation(quarter_turn);
        if (auto* t =
                AlignedText(space, ChainageText(p.chainage), p.chainage, bottom - 82.5 * H, 2 * H,
                            0.8, HorizontalAlignment::Center, VerticalAlignment::Middle))
            t->SetRotation(quarter_turn);
    }

    cad::UseLayer(doc, cad::kProfileLineLayer.name, cad::kProfileLineLayer.colour);
    GroundLine(space, ground, 0.3 * H, [&](const PlotPoint& p) {
        return std::pair{p.chainage, y(p.elevation)};
    });

    cad::UseLayer(doc, cad::kProfileNoteLayer.name, cad::kProfileNoteLayer.colour);
    for (const auto& p : points)
        AlignedText(space, "注", p.chainage, y(low - 0.5), 3 * H, kStyleWidth,
                    HorizontalAlignment::Center, VerticalAlignment::Middle);

    cad::UseLayer(doc, cad::kProfilePointLayer.name, cad::kProfilePointLayer.colour);
    for (const auto& p : points)
        cad::InsertSymbol(app, space, context.program.ProgramDir, {p.chainage, y(p.elevation), 0},
                          "展点", "展点.Dwg", 2 * H);
}

cad::Document* DrawProfilePlaced(app::Context& context, const double& start_chainage,
                                 ProfilePlacer* placer) {
    store::WorkingStore& store = *context.program.store;
    // With a placer every profile is read and measured before the drawing is made, so
    // that a refused layout leaves nothing drawn.
    std::vector<std::vector<PlotPoint>> kept;
    if (placer) {
        if (!ScalesUsable(context, "纵断面图")) return nullptr;
        const double H = context.program.settings.HScale;
        std::vector<ProfileRoom> rooms;
        for (const std::string& section : SectionsToDraw(store)) {
            kept.push_back(ProfilePoints(store, section, start_chainage));
            if (kept.back().empty()) continue;
            const ProfileLimits l = ProfileLimitsOf(kept.back(), H);
            if (TooManyLines(l.low, l.high, 1)) {
                RefuseSection(context, "纵断面图", section,
                              "高程 " + PlainNumber(l.low) + "～" + PlainNumber(l.high));
                kept.back().clear();  // refused once here; the drawing passes it over
                continue;
            }
            rooms.push_back({section, l.start_x, l.end_x, l.low, l.high, kept.back()[0].chainage});
        }
        if (rooms.empty() || !placer->Plan(rooms)) return nullptr;
    }
    auto start = BeginPlot(context, "纵断面图");
    if (!start) return nullptr;
    const std::vector<std::string>& sections = start->sections;
    cad::Application& app = *start->h.app;
    cad::Document& doc = *start->h.doc;
    cad::ModelSpace& model = *start->h.space;
    const app::Settings& settings = context.program.settings;
    const double H = start->H, V = start->V, E = start->E;
    double offset = 0;
    size_t drawn = 0;

    app::ProgressReport progress(context.progress, "纵断面图", static_cast<long>(sections.size()));
    long done = 0;
    size_t placed = 0, piece = 0;
    for (size_t index = 0; index < sections.size(); ++index) {
        const std::string& section = sections[index];
        std::vector<PlotPoint> points =
            placer ? std::move(kept[index]) : ProfilePoints(store, section, start_chainage);
        progress.Step(++done);
        if (points.empty()) {
            app.ZoomExtents();
            continue;
        }

        const ProfileLimits l = ProfileLimitsOf(points, H);
        const double start_x = l.start_x, end_x = l.end_x, low = l.low, high = l.high;
        if (TooManyLines(low, high, 1)) {
            RefuseSection(context, "纵断面图", section,
                          "高程 " + PlainNumber(low) + "～" + PlainNumber(high));
            continue;
        }

        offset -= (high - low + 2) * E + 200 * H;
        const double top = (high + 1) * E + offset;
        if (!placer) {
            const double middle_x = (start_x + end_x) / 2;
            cad::UseLayer(doc, cad::kProfileTitleLayer.name, cad::kProfileTitleLayer.colour);
            AlignedText(model, settings.PlotTitle, middle_x, top + 30 * H, 10 * H, kStyleWidth,
                        HorizontalAlignment::Center, VerticalAlignment::Middle);
            AlignedText(model,
                        "水平 1：" + Format(H * 1000, "#0") + "  垂直 1：" + Format(V * 1000, "#0"),
                        middle_x, top + 10 * H, 4 * H, kStyleWidth, HorizontalAlignment::Center,
                        VerticalAlignment::Middle);
            DrawProfileBody(context, app, doc, model, points, points, start_x, end_x, low, high,
                            offset, H, E);
        } else {
            // Each piece holds the points on its stretch (one at a cut on both sheets); the
            // first also those before its frame, the last those after.
            const auto& pieces = placer->Pieces();
            for (; piece < pieces.size() && pieces[piece].profile == placed; ++piece) {
                const ProfilePiece& p = pieces[piece];
                const bool first = p.from == start_x, last = p.to == end_x;
                const double from = first ? -INFINITY : p.from, to = last ? INFINITY : p.to;
                std::vector<PlotPoint> on;
                for (const auto& q : points)
                    if (q.chainage >= from && q.chainage <= to) on.push_back(q);
                cad::ModelSpace& space = placer->Place(piece, p.from - 25 * H, top, model);
                DrawProfileBody(context, app, doc, space, on, GroundBetween(points, from, to),
                                p.from, p.to, low, high, offset, H, E);
            }
            ++placed;
        }
        app.ZoomExtents();
        ++drawn;
    }
    if (placer) {
        placer->Finish(doc, model);
        app.ZoomExtents();
    }
    doc.Utility().Prompt("已画纵断面图：" + std::to_string(drawn) + " 个断面");
    return &doc;
}

}  // namespace

cad::Document* DrawProfile(app::Context& context, const double& start_chainage) {
    return DrawProfilePlaced(context, start_chainage, nullptr);
}

cad::Document* DrawProfile(app::Context& context, const double& start_chainage,
                           ProfilePlacer& placer) {
    return DrawProfilePlaced(context, start_chainage, &placer);
}

}  // namespace velorin::plots
