#include "cad/point_plot.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "base/numbers.h"
#include "base/paths.h"
#include "base/strings.h"
#include "base/text_file.h"
#include "cad/preparation.h"
#include "store/statements.h"

namespace velorin::cad {

namespace {

const char* const kTitle = "地形展点";

// A block of symbols drawn about their insertion points, one drawing file each.
const char* const kTerrainSymbol = "纯坐标展点";
const char* const kElevationSymbol = "高程点";

}  // namespace

bool PointFileTypeOf(const std::string& entry, PointFileType* type) {
    std::string kind = LeftChars(entry, 3);
    if (kind == "坐标点") {
        *type = PointFileType::Coordinates;
        return true;
    }
    if (kind == "控制点") {
        *type = PointFileType::Control;
        return true;
    }
    return false;
}

Status LoadPointFiles(store::WorkingStore& store, const std::vector<std::string>& paths,
                      PointFileType type, long* rows) {
    if (rows) *rows = 0;
    // Every file is read and checked before the table is emptied, so a refused file
    // leaves the points of the last plot as they were.
    struct Row {
        std::string name, file;
        size_t fields;
        std::optional<double> second, third, h;
    };
    std::vector<Row> loaded;
    Status unreadable;
    for (const std::string& path : paths) {
        TextLines file = ReadTextLines(path);
        if (!file.status.ok()) {
            // The files before it are loaded, as the user sees them in the list.
            unreadable = Status::Error("无法读取文件“" + path + "”：" + file.status.message());
            break;
        }
        const std::string name = FileName(path);
        for (size_t i = 0; i < file.lines.size(); ++i) {
            std::string line = Trim(file.lines[i]);
            if (line.empty() || line[0] == ';') continue;
            std::vector<std::string> fields = Split(line, ',');
            Row row{fields[0], name, fields.size(), std::nullopt, std::nullopt, std::nullopt};
            std::optional<double>* targets[] = {&row.second, &row.third, &row.h};
            for (size_t k = 1; k < fields.size() && k <= 3; ++k) {
                // A coordinate file leaves the elevation field empty for a point computed
                // without one, so an empty field is no value rather than 0.
                if (Trim(fields[k]).empty()) continue;
                *targets[k - 1] = ParseNumber(fields[k]);
                if (!*targets[k - 1])
                    return Status::Error("文件“" + path + "”第" + std::to_string(i + 1) + "行的第" +
                                         std::to_string(k + 1) + "个字段“" + fields[k] +
                                         "”不是数字，文件未载入：" + line);
            }
            loaded.push_back(std::move(row));
        }
    }
    // a failed write is kept by the store and reported by the command's commit
    (void)store.Execute(store::statements::kDeleteCtl);
    store::RecordSet& ctl =
        store.Reopen(store::WorkingStore::Table::Ctl, store::statements::kCtlByNameCtlNo);
    // Easting goes to X1 (drawing x) whichever order the file keeps.
    const char* const second = type == PointFileType::Coordinates ? "X1" : "Y1";
    const char* const third = type == PointFileType::Coordinates ? "Y1" : "X1";
    for (const Row& row : loaded) {
        ctl.AddNew();
        ctl.SetField("ctlNo", row.name);
        ctl.SetField("Name", row.file);
        if (row.fields > 1) ctl.SetField(second, row.second.value_or(0));
        if (row.fields > 2) ctl.SetField(third, row.third.value_or(0));
        if (row.h) ctl.SetField("H1", *row.h);
        // a failed write is kept by the store and reported by the command's commit
        (void)ctl.Update();
    }
    if (Status s = store.Commit(); !s.ok()) return s;
    if (rows) *rows = static_cast<long>(loaded.size());
    return unreadable;
}

bool HasElevation(const store::FieldValue& h1, PointFileType type) {
    if (h1.IsNull()) return false;
    double h = h1.AsDouble();
    if (h == kNoElevation) return false;
    return !(type == PointFileType::Control && h == 0);
}

namespace {

struct LoadedPoint {
    std::string name, file;
    double x = 0, y = 0, h = 0;
    bool has_elevation = false;
};

// Draws the points into one document; the per-file layers are made current through the
// host as each point asks for them.
class PointDrawer {
  public:
    PointDrawer(Application& app, Document& doc, ModelSpace& space, const PointPlotOptions& options)
        : app_(app), doc_(doc), space_(space), o_(options), s_(options.scale) {}

    void Draw(const LoadedPoint& p) {
        if (o_.type == PointFileType::Coordinates)
            DrawTerrainPoint(p);
        else
            DrawControlPoint(p);
    }

  private:
    void Layer(const std::string& name, int colour) { MakeLayerCurrent(app_, doc_, name, colour); }

    Entity* Symbol(Point3 at, const std::string& block) {
        return InsertSymbol(app_, space_, o_.program_dir, at, block, block + ".Dwg", s_);
    }

    // A text of the point plot: the style's narrow width is set on every label.
    Entity* Text(const std::string& text, Point3 at, double paper_height) {
        Entity* e = space_.AddText(text, at, paper_height * s_);
        if (e) e->SetScaleFactor(0.8);
        return e;
    }

    void DrawTerrainPoint(const LoadedPoint& p) {
        Point3 at{p.x, p.y, p.has_elevation ? p.h : 0};
        if (o_.terrain_points) {
            Layer(kPointLayerPrefix.name + p.file, kPointLayerPrefix.colour);
            Symbol(at, kTerrainSymbol);
            Layer(kNameLayerPrefix.name + p.file, kNameLayerPrefix.colour);
            Text(p.name, {p.x + 0.4 * s_, p.y, at.z}, o_.point_text_height);
        }
        if (o_.elevation_points && p.has_elevation) {
            Layer(kElevationNoteLayer.name, kElevationNoteLayer.colour);
            Symbol({p.x, p.y, p.h}, kElevationSymbol);
            Text(Format(p.h, "#0.00"), {p.x + 0.4 * s_, p.y, p.h}, o_.elev_text_height);
        }
    }

    void DrawControlPoint(const LoadedPoint& p) {
        Layer(kControlPointLayer.name, kControlPointLayer.colour);
        Symbol({p.x, p.y, p.has_elevation ? p.h : 0}, o_.control_class);
        Layer(kControlNameLayer.name, kControlNameLayer.colour);
        if (!o_.control_with_elevation || !p.has_elevation) {
            Point3 at{p.x + 2.3 * s_, p.y, 0};
            if (Entity* e = Text(p.name, at, o_.point_text_height)) {
                e->SetVerticalAlignment(VerticalAlignment::Middle);
                e->SetTextAlignmentPoint(at);
            }
            return;
        }
        Point3 name_at{p.x + 6.34 * s_, p.y + 0.84 * s_, 0};
        if (Entity* e = Text(p.name, name_at, o_.point_text_height)) {
            e->SetHorizontalAlignment(HorizontalAlignment::Center);
            e->SetTextAlignmentPoint(name_at);
        }
        Point3 elevation_at{p.x + 6.34 * s_, p.y - 2.91 * s_, 0};
        if (Entity* e = Text(Format(p.h, "#0.000"), elevation_at, o_.point_text_height)) {
            e->SetHorizontalAlignment(HorizontalAlignment::Center);
            e->SetTextAlignmentPoint(elevation_at);
        }
        space_.AddLightWeightPolyline({p.x + 2.34 * s_, p.y, p.x + 10.34 * s_, p.y});
    }

    Application& app_;
    Document& doc_;
    ModelSpace& space_;
    const PointPlotOptions& o_;
    double s_;
};

// The host shows `message` with the main window out of its way.
void HostAlert(HostConnector& connector, app::Ui& ui, Application& app, Document& doc,
               const std::string& message) {
    ui.Activate();
    WindowAside(ui, true);
    doc.SendCommand(AlertCommand(message));
    WindowAside(ui, false);
    connector.ActivateWindow(app.Caption());
}

}  // namespace

PlotOutcome PlotPoints(HostConnector& connector, app::Ui& ui, const app::Settings& settings,
                       store::RecordSet& ctl, const PointPlotOptions& options,
                       app::Progress* progress) {
    Application* app = AttachHost(connector, ui, kTitle);
    if (!app) return PlotOutcome::NoHost;
    // From here on host failures are skipped; a code an earlier command left behind must
    // not read as this command's failure.
    app->Err().Clear();
    HostHandles h = PrepareDrawing(connector, *app, DocumentChoice::Current, VariableSet::All);
    if (!h.doc || !h.space) return PlotOutcome::NoHost;

    app->Err().Clear();
    const std::string style_name = options.type == PointFileType::Coordinates ? "地形" : "控制";
    TextStyle* style = SetupTextStyle(*app, *h.doc, settings, style_name);
    HResult code = app->Err().Number();
    // A style that did not take the font files has no font to write with, whether or not
    // the host raised the error.
    bool missing = code == kUnexpected || code == kNotFound || !style ||
                   style->FontFile() != settings.TextFont ||
                   style->BigFontFile() != settings.TextBigFont;
    if (missing) {
        HostAlert(connector, ui, *app, *h.doc, "系统没有找到你要的字库！");
        return PlotOutcome::MissingFont;
    }

    // The points are read once: the zoom needs their extent before anything is drawn.
    std::vector<LoadedPoint> points;
    points.reserve(static_cast<size_t>(std::max(0L, ctl.RecordCount())));
    for (ctl.MoveFirst(); !ctl.EndOfFile(); ctl.MoveNext()) {
        LoadedPoint p;
        p.name = ctl.Text("CtlNo");
        p.file = ctl.Text("Name");
        p.x = ctl.Number("X1");
        p.y = ctl.Number("Y1");
        store::FieldValue h1 = ctl.Field("H1");
        p.has_elevation = HasElevation(h1, options.type);
        p.h = h1.AsDouble();
        points.push_back(std::move(p));
    }
    if (!points.empty()) {
        double min_x = std::numeric_limits<double>::infinity(), min_y = min_x;
        double max_x = -min_x, max_y = -min_x;
        for (const LoadedPoint& p : points) {
            min_x = std::min(min_x, p.x), max_x = std::max(max_x, p.x);
            min_y = std::min(min_y, p.y), max_y = std::max(max_y, p.y);
        }
        app->ZoomWindow({min_x, min_y, 0}, {max_x, max_y, 0});
    }

    PointDrawer drawer(*app, *h.doc, *h.space, options);
    app::ProgressReport report(progress, "展点", static_cast<long>(points.size()));
    long done = 0;
    for (const LoadedPoint& p : points) {
        drawer.Draw(p);
        if (++done % 1000 == 0) report.Step(done);
    }
    report.Step(done);

    HostAlert(connector, ui, *app, *h.doc, "展点完成！");
    h.doc->Utility().Prompt("已展 " + std::to_string(points.size()) + " 个点");
    return PlotOutcome::Plotted;
}

}  // namespace velorin::cad
