#include "plots/sheets.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <memory>

#include "base/numbers.h"
#include "cad/preparation.h"

namespace velorin::plots {

using cad::HorizontalAlignment;
using cad::VerticalAlignment;

namespace {

constexpr const char* kFrameLayer = "图_图框";
constexpr const char* kTitleBlockLayer = "图_标题栏";
constexpr int kWhite = 7;

std::string PaperName(const app::SheetSettings& s) {
    return s.paper + (s.landscape ? " 横向" : " 竖向");
}

std::string Millimetres(double v) { return Format(std::ceil(v), "#0"); }

// A section's entity seen through the shift: coordinates given later move the same way.
class ShiftedEntity : public cad::Entity {
  public:
    ShiftedEntity(cad::Entity* e, double dx, double dy) : e_(e), dx_(dx), dy_(dy) {}
    std::string EntityName() const override { return e_->EntityName(); }
    std::string Handle() const override { return e_->Handle(); }
    std::string Layer() const override { return e_->Layer(); }
    cad::HResult SetLayer(const std::string& name) override { return e_->SetLayer(name); }
    cad::HResult Erase() override { return e_->Erase(); }
    cad::HResult AddVertex(int index, double x, double y) override {
        return e_->AddVertex(index, x + dx_, y + dy_);
    }
    cad::HResult SetWidth(int segment, double a, double b) override {
        return e_->SetWidth(segment, a, b);
    }
    cad::HResult Update() override { return e_->Update(); }
    cad::HResult SetClosed(bool closed) override { return e_->SetClosed(closed); }
    std::vector<double> Coordinates() const override { return e_->Coordinates(); }
    cad::HResult SetScaleFactor(double f) override { return e_->SetScaleFactor(f); }
    cad::HResult SetRotation(double r) override { return e_->SetRotation(r); }
    cad::HResult SetHorizontalAlignment(HorizontalAlignment a) override {
        return e_->SetHorizontalAlignment(a);
    }
    cad::HResult SetVerticalAlignment(VerticalAlignment a) override {
        return e_->SetVerticalAlignment(a);
    }
    cad::HResult SetTextAlignmentPoint(cad::Point3 p) override {
        return e_->SetTextAlignmentPoint({p.x + dx_, p.y + dy_, p.z});
    }
    std::string TextString() const override { return e_->TextString(); }
    cad::Point3 InsertionPoint() const override { return e_->InsertionPoint(); }
    std::string Name() const override { return e_->Name(); }

  private:
    cad::Entity* e_;
    double dx_, dy_;
};

// The model space as one section sees it: everything it adds lands shifted.
class ShiftedSpace : public cad::ModelSpace {
  public:
    void Aim(cad::ModelSpace& space, double dx, double dy) {
        space_ = &space, dx_ = dx, dy_ = dy;
        handed_.clear();
    }
    cad::Entity* AddLightWeightPolyline(const std::vector<double>& points) override {
        std::vector<double> moved = points;
        for (size_t k = 0; k + 1 < moved.size(); k += 2) moved[k] += dx_, moved[k + 1] += dy_;
        return Hand(space_->AddLightWeightPolyline(moved));
    }
    cad::Entity* AddText(const std::string& text, cad::Point3 at, double height) override {
        return Hand(space_->AddText(text, {at.x + dx_, at.y + dy_, at.z}, height));
    }
    cad::Entity* AddCircle(cad::Point3 centre, double radius) override {
        return Hand(space_->AddCircle({centre.x + dx_, centre.y + dy_, centre.z}, radius));
    }
    cad::Entity* InsertBlock(cad::Point3 at, const std::string& name, double xs, double ys,
                             double zs, double rotation) override {
        return Hand(
            space_->InsertBlock({at.x + dx_, at.y + dy_, at.z}, name, xs, ys, zs, rotation));
    }

  private:
    cad::Entity* Hand(cad::Entity* e) {
        if (!e) return nullptr;
        handed_.emplace_back(e, dx_, dy_);
        return &handed_.back();
    }
    cad::ModelSpace* space_ = nullptr;
    double dx_ = 0, dy_ = 0;
    std::deque<ShiftedEntity> handed_;  // live while the section is drawn
};

cad::Entity* Text(cad::ModelSpace& space, const std::string& text, double x, double y,
                  double height, HorizontalAlignment horizontal) {
    cad::Entity* t = space.AddText(text, {x, y, 0}, height);
    if (!t) return nullptr;
    t->SetScaleFactor(1.0);
    t->SetVerticalAlignment(VerticalAlignment::Middle);
    t->SetHorizontalAlignment(horizontal);
    t->SetTextAlignmentPoint({x, y, 0});
    return t;
}

void Rectangle(cad::ModelSpace& space, double x0, double y0, double x1, double y1, double width) {
    cad::Entity* r = space.AddLightWeightPolyline({x0, y0, x1, y0, x1, y1, x0, y1});
    if (!r) return;
    r->SetClosed(true);
    if (width > 0)
        for (int k = 0; k < 4; ++k) r->SetWidth(k, width, width);
    r->Update();
}

double SheetLeft(const SheetPaper& paper, int k) { return k * (paper.width + kSheetSpacing); }

// Each sheet's trim line, inner border and title block (title, scales, date, "第 N 张 共
// M 张"), drawn after what the sheets hold.
void DrawFrames(app::Context& context, cad::Document& doc, cad::ModelSpace& space,
                const SheetPaper& paper, int sheets, const std::string& title) {
    const app::Settings& s = context.program.settings;
    const double H = s.HScale;
    std::string date = context.clock.Now();
    date = date.substr(0, date.find(' '));
    std::string scales =
        "水平比例 1：" + Format(H * 1000, "#0") + "  垂直比例 1：" + Format(s.VScale * 1000, "#0");
    for (int k = 0; k < sheets; ++k) {
        const double o = SheetLeft(paper, k);
        auto X = [&](double mm) { return (o + mm) * H; };
        auto Y = [&](double mm) { return mm * H; };
        cad::UseLayer(doc, kFrameLayer, kWhite);
        Rectangle(space, X(0), Y(0), X(paper.width), Y(paper.height), 0);
        const PaperBox& b = paper.border;
        Rectangle(space, X(b.left), Y(b.bottom), X(b.right), Y(b.top), 0.7 * H);

        cad::UseLayer(doc, kTitleBlockLayer, kWhite);
        const PaperBox& t = paper.title;
        Rectangle(space, X(t.left), Y(t.bottom), X(t.right), Y(t.top), 0.35 * H);
        for (int row = 1; row < 3; ++row)
            space.AddLightWeightPolyline({X(t.left), Y(t.bottom + row * kTitleRow), X(t.right),
                                          Y(t.bottom + row * kTitleRow)});
        const double middle = (t.left + t.right) / 2;
        Text(space, title, X(middle), Y(t.bottom + 2.5 * kTitleRow), 5 * H,
             HorizontalAlignment::Center);
        Text(space, scales, X(middle), Y(t.bottom + 1.5 * kTitleRow), 3.5 * H,
             HorizontalAlignment::Center);
        Text(space, "日期：" + date, X(t.left + 3), Y(t.bottom + 0.5 * kTitleRow), 3.5 * H,
             HorizontalAlignment::Left);
        Text(space, "第 " + std::to_string(k + 1) + " 张 共 " + std::to_string(sheets) + " 张",
             X(t.right - 3), Y(t.bottom + 0.5 * kTitleRow), 3.5 * H, HorizontalAlignment::Right);
    }
}

// The plot handed to the printers: each sheet's paper edge in drawing units.
SheetPlot PlotOf(cad::Document* doc, const SheetPaper& paper, int sheets, double H) {
    SheetPlot plot;
    plot.doc = doc;
    if (!doc) return plot;
    plot.paper_width = paper.width, plot.paper_height = paper.height;
    for (int k = 0; k < sheets; ++k) {
        double left = SheetLeft(paper, k);
        plot.sheets.push_back({left * H, 0, (left + paper.width) * H, paper.height * H});
    }
    return plot;
}

class SheetPlacer : public SectionPlacer {
  public:
    SheetPlacer(app::Context& context, const app::SheetSettings& settings, std::string title)
        : context_(context), settings_(settings), title_(std::move(title)) {
        const app::Settings& s = context.program.settings;
        H_ = s.HScale, V_ = s.VScale;
    }
    bool Plan(const std::vector<SectionRoom>& rooms) override {
        layout_ = LayOutSheets(rooms, settings_, H_, V_);
        if (!layout_.refusal.empty()) {
            context_.ui.MessageBox(app::MessageIcon::Exclamation, "横断面图", layout_.refusal);
            return false;
        }
        return true;
    }
    cad::ModelSpace& Place(size_t index, double base, cad::ModelSpace& space) override {
        const SheetPlace& p = layout_.places[index];
        double x = SheetLeft(layout_.paper, p.sheet) + p.x;
        shifted_.Aim(space, x * H_, p.y * H_ - base);
        return shifted_;
    }
    void Finish(cad::Document& doc, cad::ModelSpace& space) override {
        DrawFrames(context_, doc, space, layout_.paper, layout_.sheets, title_);
    }
    const SheetLayout& layout() const { return layout_; }

  private:
    app::Context& context_;
    app::SheetSettings settings_;
    std::string title_;
    double H_ = 0, V_ = 0;
    SheetLayout layout_;
    ShiftedSpace shifted_;
};

class ProfileSheetPlacer : public ProfilePlacer {
  public:
    ProfileSheetPlacer(app::Context& context, const app::SheetSettings& settings, std::string title)
        : context_(context), settings_(settings), title_(std::move(title)) {
        const app::Settings& s = context.program.settings;
        H_ = s.HScale, V_ = s.VScale;
    }
    bool Plan(const std::vector<ProfileRoom>& rooms) override {
        layout_ = LayOutProfileSheets(rooms, settings_, H_, V_);
        if (!layout_.refusal.empty()) {
            context_.ui.MessageBox(app::MessageIcon::Exclamation, "纵断面图", layout_.refusal);
            return false;
        }
        return true;
    }
    const std::vector<ProfilePiece>& Pieces() const override { return layout_.pieces; }
    cad::ModelSpace& Place(size_t piece, double x, double y, cad::ModelSpace& space) override {
        const SheetPlace& p = layout_.places[piece];
        shifted_.Aim(space, (SheetLeft(layout_.paper, p.sheet) + p.x) * H_ - x, p.y * H_ - y);
        return shifted_;
    }
    void Finish(cad::Document& doc, cad::ModelSpace& space) override {
        DrawFrames(context_, doc, space, layout_.paper, layout_.sheets, title_);
    }
    const ProfileSheetLayout& layout() const { return layout_; }

  private:
    app::Context& context_;
    app::SheetSettings settings_;
    std::string title_;
    double H_ = 0, V_ = 0;
    ProfileSheetLayout layout_;
    ShiftedSpace shifted_;
};

}  // namespace

SheetPaper PaperOf(const app::SheetSettings& s) {
    SheetPaper p;
    auto sides = app::PaperSides(s.paper).value_or(std::pair{297.0, 420.0});
    p.width = s.landscape ? sides.second : sides.first;
    p.height = s.landscape ? sides.first : sides.second;
    p.border = {s.left, s.bottom, p.width - s.right, p.height - s.top};
    p.title = {std::max(p.border.left, p.border.right - kTitleWidth), p.border.bottom,
               p.border.right, p.border.bottom + kTitleHeight};
    p.area = {p.border.left + kBorderPadding, p.title.top + kBorderPadding,
              p.border.right - kBorderPadding, p.border.top - kBorderPadding};
    return p;
}

double UsualScaleAtLeast(double n) {
    for (double power = 1; power < 1e9; power *= 10)
        for (double m : {1.0, 2.0, 2.5, 5.0})
            if (m * power >= n - 1e-9) return m * power;
    return n;
}

SheetLayout LayOutSheets(const std::vector<SectionRoom>& rooms, const app::SheetSettings& settings,
                         double H, double V) {
    SheetLayout layout;
    layout.paper = PaperOf(settings);
    const PaperBox& area = layout.paper.area;
    // Refuse before placing anything: a section that cannot fit draws nothing at all.
    for (const SectionRoom& r : rooms) {
        double w = (r.right - r.left) / H, h = (r.top - r.bottom) / H;
        if (w <= area.width() && h <= area.height()) continue;
        // The grid shrinks with the scale, the texts keep their paper size.
        double grid_w = r.grid_width / H, grid_h = r.grid_height / H;
        std::string advice;
        auto scale_for = [&](double grid, double rest, double room, double factor) {
            if (room - rest <= 0) return std::string();
            return Format(UsualScaleAtLeast(factor * 1000 * grid / (room - rest)), "#0");
        };
        if (w > area.width()) {
            std::string n = scale_for(grid_w, w - grid_w, area.width(), H);
            advice += n.empty() ? "文字太宽，改比例也放不下" : "水平比例改为 1：" + n;
        }
        if (h > area.height()) {
            std::string n = scale_for(grid_h, h - grid_h, area.height(), V);
            if (!advice.empty()) advice += "，";
            advice += n.empty() ? "文字太高，改比例也放不下" : "垂直比例改为 1：" + n;
        }
        layout.refusal = "断面“" + r.section + "”在 " + PaperName(settings) +
                         "图纸上放不下：按现在的比例要 " + Millimetres(w) + " × " + Millimetres(h) +
                         " 毫米，图框内只有 " + Millimetres(area.width()) + " × " +
                         Millimetres(area.height()) + " 毫米；" + advice + "可放下。未生成图形。";
        return layout;
    }
    if (rooms.empty()) return layout;
    int sheet = 0;
    double column_left = area.left, column_width = 0, cursor = area.top;
    bool column_empty = true;
    for (const SectionRoom& r : rooms) {
        double w = (r.right - r.left) / H, h = (r.top - r.bottom) / H;
        if (!column_empty && cursor - h < area.bottom) {
            column_left += column_width + kSectionGap;
            column_width = 0, cursor = area.top, column_empty = true;
        }
        if (column_left + w > area.right) {
            ++sheet;
            column_left = area.left, column_width = 0, cursor = area.top, column_empty = true;
        }
        layout.places.push_back({sheet, column_left - r.left / H, cursor - r.top / H});
        cursor -= h + kSectionGap;
        column_width = std::max(column_width, w);
        column_empty = false;
    }
    layout.sheets = sheet + 1;
    return layout;
}

SheetPlot DrawCrossSectionSheets(app::Context& context, const double& axis_a, const double& axis_b,
                                 const std::string& title, const app::SheetSettings& settings) {
    if (std::string fault = app::SheetSettingsFault(settings); !fault.empty()) {
        context.ui.MessageBox(app::MessageIcon::Exclamation, "横断面图", fault);
        return {};
    }
    SheetPlacer placer(context, settings, title);
    cad::Document* doc = DrawCrossSections(context, axis_a, axis_b, placer);
    return PlotOf(doc, placer.layout().paper, placer.layout().sheets,
                  context.program.settings.HScale);
}

// The width a profile's first piece needs left of its frame: the caption column, or the
// points before the frame with room for their marks, whichever is wider.
constexpr double kCaptionColumn = 25;  // ruler and row titles, left of the frame
constexpr double kMarkRoom = 2;        // half a note mark or a symbol, beyond a point
constexpr double kShortestPiece = 5;   // metres of chainage; cuts fall on whole 5 m

ProfileSheetLayout LayOutProfileSheets(const std::vector<ProfileRoom>& rooms,
                                       const app::SheetSettings& settings, double H, double V) {
    ProfileSheetLayout layout;
    layout.paper = PaperOf(settings);
    const PaperBox& area = layout.paper.area;
    auto refuse = [&](const ProfileRoom& r, const std::string& need, const std::string& advice) {
        layout.pieces.clear(), layout.places.clear();
        layout.refusal = "纵断面“" + r.section + "”在 " + PaperName(settings) + "图纸上放不下：" +
                         need + "；" + advice + "。未生成图形。";
    };
    // Paper millimetres of whole 5 m in `mm` at the horizontal scale, as metres.
    auto stretch = [&](double mm) {
        return std::floor(mm * H / kShortestPiece + 1e-9) * kShortestPiece;
    };
    for (size_t index = 0; index < rooms.size(); ++index) {
        const ProfileRoom& r = rooms[index];
        // Frame, a metre above and below the limits, and the 105 mm of the table.
        const double grid = (r.high - r.low + 2) / V, table = 105;
        if (grid + table > area.height()) {
            double room = area.height() - table;
            refuse(r,
                   "按现在的比例高 " + Millimetres(grid + table) + " 毫米，图框内只有 " +
                       Millimetres(area.height()) + " 毫米",
                   room <= 0
                       ? "表格太高，改比例也放不下"
                       : "垂直比例改为 1：" +
                             Format(UsualScaleAtLeast(1000 * (r.high - r.low + 2) / room), "#0") +
                             " 可放下");
            return layout;
        }
        const double before = std::max(0.0, r.start_x - r.first);  // metres before the frame
        const double left = std::max(kCaptionColumn, before / H + kMarkRoom);
        const double first = stretch(area.width() - left),
                     rest = stretch(area.width() - kCaptionColumn);
        if (first < kShortestPiece) {
            double factor = std::max(kShortestPiece / (area.width() - kCaptionColumn),
                                     (before + kShortestPiece) / (area.width() - kMarkRoom));
            refuse(r,
                   "起点前的点和表头要 " + Millimetres(left) +
                       " 毫米宽，再加 5 米纵断面，图框内只有 " + Millimetres(area.width()) +
                       " 毫米",
                   "水平比例改为 1：" + Format(UsualScaleAtLeast(1000 * factor), "#0") + " 可放下");
            return layout;
        }
        // The first piece's frame starts right of the caption column or the points before it.
        double from = r.start_x, indent = left - kCaptionColumn;
        do {
            double to = std::min(r.end_x, from + (from == r.start_x ? first : rest));
            layout.pieces.push_back({index, from, to});
            layout.places.push_back(
                {static_cast<int>(layout.places.size()), area.left + indent, area.top});
            from = to, indent = 0;
        } while (from < r.end_x);
    }
    layout.sheets = static_cast<int>(layout.pieces.size());
    return layout;
}

SheetPlot DrawProfileSheets(app::Context& context, const double& start_chainage,
                            const std::string& title, const app::SheetSettings& settings) {
    if (std::string fault = app::SheetSettingsFault(settings); !fault.empty()) {
        context.ui.MessageBox(app::MessageIcon::Exclamation, "纵断面图", fault);
        return {};
    }
    ProfileSheetPlacer placer(context, settings, title);
    cad::Document* doc = DrawProfile(context, start_chainage, placer);
    return PlotOf(doc, placer.layout().paper, placer.layout().sheets,
                  context.program.settings.HScale);
}

}  // namespace velorin::plots
