// The drawing window on Qt's offscreen platform, driven as a user drives it: scripted
// clicks, drags and keys during a command's pick, polylines drawn by clicks, the
// question before unsaved changes are lost, the host's alerts and prompts, zooms and
// the progress bar.
#include "qt/drawing/drawing_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>

#include "base/numbers.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "cad/preparation.h"
#include "plots/section_plots.h"
#include "sectionfile/section_file.h"
#include "support/qt_answer.h"
#include "support/testing.h"
#include "support/window_fixture.h"

namespace velorin {
namespace {

using cad::embedded::Box;
using cad::embedded::EntityBase;
using cad::embedded::HostDocument;
using testing::Answer;
using testing::AnswerNextBox;

// A known drawing: two section lines and a circle on "断_断面线", a line on layer 0, a
// point block and a text.
//   S1 (0,0)-(10,10)   S2 (20,0)-(30,0)   C circle (25,15) r 2   L0 (0,20)-(10,20)
//   P block "纯坐标展点" (a circle of radius 0.5) at (35,10)   T text "断1" at (35,20), height 2
struct Known {
    EntityBase *s1, *s2, *circle, *l0, *point, *text;
};

Known Draw(HostDocument& doc) {
    auto& d = doc.drawing();
    d.AddLayer("断_断面线")->SetColor(1);
    d.current_layer = d.LayerIndex("断_断面线");
    Known k;
    k.s1 = d.AddPolyline({{0, 0}, {10, 10}});
    k.s2 = d.AddPolyline({{20, 0}, {30, 0}});
    k.circle = d.AddCircle({25, 15, 0}, 2);
    d.current_layer = d.LayerIndex("0");
    k.l0 = d.AddPolyline({{0, 20}, {10, 20}});
    auto symbol = cad::embedded::Drawing::New();
    symbol->AddCircle({0, 0, 0}, 0.5);
    k.point = d.AddInsert(d.ImportBlock(*symbol, "纯坐标展点"), {35, 10, 31.5}, 1, 1, 1, 0);
    k.text = d.AddText("断1", {35, 20, 0}, 2);
    doc.views().push_back(Box{-5, -5, 45, 35});
    return k;
}

struct Window {
    Window() : host(testing::SourceDir() + "support", &alerts), window(host) {
        alerts.window = &window;
        window.resize(1000, 700);
        window.show();
        QApplication::processEvents();
    }
    HostDocument* Fresh() {
        auto* doc = window.NewDrawing();
        known = Draw(*doc);
        doc->session().Clear();  // the drawing as the test gives it, nothing to undo
        window.Refresh();
        QApplication::processEvents();
        return doc;
    }
    QPoint At(Point2 p) const { return window.view()->DeviceOf(p).toPoint(); }
    QAction* Action(const QString& text) {
        for (QAction* menu : window.menuBar()->actions())
            for (QAction* a : menu->menu()->actions())
                if (a->text() == text) return a;
        return nullptr;
    }

    qt::DrawingAlerts alerts;
    cad::embedded::Host host;
    qt::DrawingWindow window;
    Known known{};
};

// Runs `script` once the event loop (a nested one too) is running; a script that does
// not end the pick is ended by Esc after a while, so a fault cannot hang the tests.
void Later(std::function<void()> script) { QTimer::singleShot(0, std::move(script)); }

// Answers the next modal message box by the button with `button` as its text, keeping
// its text and title. Polls, since the box appears inside a call that does not return.
// --- Picking for a command ---

struct Gesture {
    enum { Click, Drag } kind;
    Point2 a, b;
};
Gesture Click(Point2 p) { return {Gesture::Click, p, p}; }
Gesture Drag(Point2 from, Point2 to) { return {Gesture::Drag, from, to}; }
enum class End { Enter, RightClick, Escape };

struct PickCase {
    const char* name;
    std::vector<Gesture> gestures;
    End end;
    cad::Filter filter;
    std::vector<EntityBase * Known::*> expected;
};

cad::Filter SectionLines() { return {{0, 8}, {"LWPOLYLINE", "断_断面线"}}; }
cad::Filter OnSectionLayer() { return {{8}, {"断_断面线"}}; }

TEST(DrawingWindowPick, ClicksAndDragsTakeWhatTheFilterAllows) {
    const PickCase cases[] = {
        {"a click takes the line under the cursor",
         {Click({5, 5})},
         End::Enter,
         SectionLines(),
         {&Known::s1}},
        {"a click near the line within the aperture",
         {Click({5.1, 4.9})},
         End::Enter,
         SectionLines(),
         {&Known::s1}},
        {"a second click lets the line go",
         {Click({5, 5}), Click({5, 5})},
         End::Enter,
         SectionLines(),
         {}},
        {"a click on a line the filter refuses takes nothing",
         {Click({5, 20})},
         End::Enter,
         SectionLines(),
         {}},
        {"a click on empty paper takes nothing", {Click({15, 30})}, End::Enter, SectionLines(), {}},
        {"a window left to right takes what lies wholly inside",
         {Drag({-1, -1}, {26, 12})},
         End::Enter,
         SectionLines(),
         {&Known::s1}},
        {"a crossing right to left takes what it touches",
         {Drag({26, 12}, {-1, -1})},
         End::Enter,
         SectionLines(),
         {&Known::s1, &Known::s2}},
        {"a crossing takes circles when the filter allows them",
         {Drag({26, 16}, {24, -1})},
         End::Enter,
         OnSectionLayer(),
         {&Known::s2, &Known::circle}},
        {"a crossing skips circles when the filter asks for polylines",
         {Drag({26, 16}, {24, -1})},
         End::Enter,
         SectionLines(),
         {&Known::s2}},
        {"a window over everything with no filter",
         {Drag({-2, -2}, {44, 30})},
         End::Enter,
         cad::Filter{},
         {&Known::s1, &Known::s2, &Known::circle, &Known::l0, &Known::point, &Known::text}},
        {"a click on a point block's symbol takes the block",
         {Click({35.5, 10})},
         End::Enter,
         cad::Filter{{0}, {"INSERT"}},
         {&Known::point}},
        {"a block is taken by its name",
         {Drag({33, 8}, {37, 12})},
         End::Enter,
         cad::Filter{{0, 2}, {"INSERT", "纯坐标展点"}},
         {&Known::point}},
        {"a block of another name is not",
         {Click({35.5, 10})},
         End::Enter,
         cad::Filter{{2}, {"展点"}},
         {}},
        {"a click inside a text's box takes the text",
         {Click({35.6, 21})},
         End::Enter,
         cad::Filter{},
         {&Known::text}},
        {"a right click ends like Enter",
         {Click({25, 0})},
         End::RightClick,
         SectionLines(),
         {&Known::s2}},
        {"Esc ends with nothing picked",
         {Click({5, 5}), Drag({26, 12}, {-1, -1})},
         End::Escape,
         SectionLines(),
         {}},
    };
    Window w;
    for (const PickCase& c : cases) {
        SCOPED_TRACE(c.name);
        HostDocument* doc = w.Fresh();
        cad::SelectionSet* set = doc->SelectionSets().Add("Velorin1");
        ASSERT_NE(set, nullptr);
        doc->Utility().Prompt("请选择断面线……");
        QString prompt;
        std::vector<EntityBase*> highlighted;
        bool tabs_enabled = true;
        Later([&] {
            auto* view = w.window.view();
            for (const Gesture& g : c.gestures) {
                if (g.kind == Gesture::Click) {
                    QTest::mouseClick(view, Qt::LeftButton, {}, w.At(g.a));
                } else {
                    QTest::mousePress(view, Qt::LeftButton, {}, w.At(g.a));
                    QTest::mouseMove(view, w.At(g.b));
                    QTest::mouseRelease(view, Qt::LeftButton, {}, w.At(g.b));
                }
            }
            prompt = w.window.prompt()->text();
            highlighted = view->selection();
            tabs_enabled = w.window.tabs()->isEnabled() || w.window.layer_box()->isEnabled();
            if (c.end == End::Enter)
                QTest::keyClick(view, Qt::Key_Return);
            else if (c.end == End::Escape)
                QTest::keyClick(view, Qt::Key_Escape);
            else
                QTest::mouseClick(view, Qt::RightButton, {}, w.At({40, 30}));
        });
        QTimer::singleShot(5000, [&] { w.window.close(); });  // a fault must not hang
        EXPECT_EQ(set->SelectOnScreen(c.filter), cad::kOk);

        std::vector<std::string> taken, wanted;
        for (int i = 0; i < set->Count(); ++i) taken.push_back(set->Item(i)->Handle());
        for (auto member : c.expected) wanted.push_back((w.known.*member)->Handle());
        std::sort(taken.begin(), taken.end());
        std::sort(wanted.begin(), wanted.end());
        EXPECT_EQ(taken, wanted);
        // While picking, the user saw the command's prompt and what was taken.
        EXPECT_EQ(prompt.toStdString(), "请选择断面线……（回车或右键结束，Esc 取消）");
        EXPECT_EQ(w.window.prompt()->text().toStdString(), "");  // cleared when it ends
        EXPECT_FALSE(tabs_enabled);
        if (c.end != End::Escape) {
            EXPECT_EQ(highlighted.size(), wanted.size());
        }
        EXPECT_FALSE(w.window.picking());
        EXPECT_TRUE(w.window.tabs()->isEnabled());
        EXPECT_TRUE(w.window.layer_box()->isEnabled());
        EXPECT_TRUE(w.window.view()->selection().empty());
        set->Delete();
    }
}

// The commands' own path: attach through the connector, pick, and see the window come
// forward with the drawing the command works on.
TEST(DrawingWindowPick, ACommandThroughTheConnectorPicksInTheActiveDrawing) {
    Window w;
    HostDocument* first = w.Fresh();
    Known first_known = w.known;
    w.Fresh();  // a second drawing is shown now
    w.host.Activate(first);
    qt::DrawingConnector connector(w.window);
    w.window.hide();
    cad::Application* app = connector.Attach();
    ASSERT_EQ(app, &w.host);
    connector.ActivateWindow(app->Caption());
    EXPECT_TRUE(w.window.isVisible());
    EXPECT_EQ(w.window.view()->document(), first);
    cad::SelectionSet* set = cad::NewSelectionSet(*app->ActiveDocument());
    Later([&] {
        QTest::mouseClick(w.window.view(), Qt::LeftButton, {}, w.At({25, 0}));
        QTest::keyClick(w.window.view(), Qt::Key_Return);
    });
    set->SelectOnScreen(SectionLines());
    ASSERT_EQ(set->Count(), 1);
    EXPECT_EQ(set->Item(0), first_known.s2);
}

// What a newcomer does: open a drawing, draw a section line on "断_断面线", and pick it
// when a command asks (line reversal of page 6, which turns the lines it is given).
TEST(DrawingWindowPick, ASectionLineDrawnByHandIsPickedForTheCommand) {
    testing::WindowFixture f;
    std::string path = f.dir.File("路.dxf");
    {
        auto d = cad::embedded::Drawing::New();
        d->AddPolyline({{0, 0}, {100, 0}});  // a centre line on layer 0
        ASSERT_TRUE(d->Save(path).ok());
    }
    Window w;
    qt::DrawingConnector connector(w.window);
    f.context.host = &connector;
    f.context.progress = &w.window;
    window::Form1& form = f.Load();
    HostDocument* doc = w.window.OpenDrawing(path);
    ASSERT_NE(doc, nullptr);
    w.host.ZoomWindow({-10, -30, 0}, {110, 30, 0});
    w.window.Refresh();
    w.window.AddLayer("断_断面线", 1);
    w.Action("多段线(&P)")->trigger();
    auto* view = w.window.view();
    QTest::mouseClick(view, Qt::LeftButton, {}, w.At({50, -20}));
    QTest::mouseClick(view, Qt::LeftButton, {}, w.At({50, 20}));
    QTest::keyClick(view, Qt::Key_Return);
    EntityBase* line = doc->drawing().entities().back().get();
    ASSERT_EQ(line->Layer(), "断_断面线");
    std::vector<double> drawn = line->Coordinates();

    bool aside_while_picking = false;
    QString prompt;
    Later([&] {
        aside_while_picking = f.ui.aside;
        prompt = w.window.prompt()->text();
        QTest::mouseClick(view, Qt::LeftButton, {}, w.At({50, 5}));  // the section line
        QTest::mouseClick(view, Qt::LeftButton, {}, w.At({80, 0}));  // the centre line: refused
        QTest::mouseClick(view, Qt::RightButton, {}, w.At({0, 25}));
    });
    form.Strip1_Click(6);
    form.page6.Command18.on_click();

    EXPECT_TRUE(aside_while_picking);
    EXPECT_EQ(f.ui.moves, (std::vector<bool>{true, false}));
    EXPECT_EQ(prompt.toStdString(), "选择对象：（回车或右键结束，Esc 取消）");
    EXPECT_TRUE(line->erased);  // replaced by the turned line
    const EntityBase& turned = *doc->drawing().entities().back();
    EXPECT_EQ(turned.Layer(), "断_断面线");
    EXPECT_EQ(turned.Coordinates(), (std::vector<double>{drawn[2], drawn[3], drawn[0], drawn[1]}));
    EXPECT_EQ(doc->drawing().entities().front()->Coordinates(),
              (std::vector<double>{0, 0, 100, 0}));
    QApplication::processEvents();  // the window shows what the command changed
    EXPECT_EQ(w.window.tabs()->tabText(0).toStdString(), "路.dxf *");
}

// --- Editing ---

struct PolylineCase {
    const char* name;
    std::vector<Point2> clicks;
    End end;
    bool drawn;
};

TEST(DrawingWindowEdit, APolylineDrawnByClicksLandsOnTheCurrentLayer) {
    const PolylineCase cases[] = {
        {"three vertices ended by Enter", {{0, 30}, {15, 25}, {40, 30}}, End::Enter, true},
        {"two vertices ended by a right click", {{2, -3}, {38, -3}}, End::RightClick, true},
        {"Esc cancels the polyline", {{0, 30}, {15, 25}}, End::Escape, false},
        {"one vertex is no polyline", {{0, 30}}, End::Enter, false},
    };
    Window w;
    for (const PolylineCase& c : cases) {
        SCOPED_TRACE(c.name);
        HostDocument* doc = w.Fresh();
        // The user picks the section-line layer in the layer box.
        QComboBox* box = w.window.layer_box();
        int item = box->findText("断_断面线");
        ASSERT_GE(item, 0);
        box->setCurrentIndex(item);
        emit box->activated(item);
        EXPECT_EQ(doc->ActiveLayer()->Name(), "断_断面线");

        size_t before = doc->drawing().entities().size();
        w.Action("多段线(&P)")->trigger();
        auto* view = w.window.view();
        std::vector<Point2> expected;
        for (Point2 p : c.clicks) {
            QTest::mouseClick(view, Qt::LeftButton, {}, w.At(p));
            expected.push_back(view->DrawingAt(w.At(p)));
        }
        if (c.end == End::Enter)
            QTest::keyClick(view, Qt::Key_Return);
        else if (c.end == End::Escape)
            QTest::keyClick(view, Qt::Key_Escape);
        else
            QTest::mouseClick(view, Qt::RightButton, {}, w.At({1, 1}));

        const auto& entities = doc->drawing().entities();
        ASSERT_EQ(entities.size(), before + (c.drawn ? 1 : 0));
        if (!c.drawn) continue;
        const EntityBase& e = *entities.back();
        EXPECT_EQ(e.EntityName(), "LWPOLYLINE");
        EXPECT_EQ(e.Layer(), "断_断面线");
        std::vector<double> xy = e.Coordinates();
        ASSERT_EQ(xy.size(), 2 * expected.size());
        double pixel =
            1 / (view->DeviceOf({1, 0}).x() - view->DeviceOf({0, 0}).x());  // drawing units
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_DOUBLE_EQ(xy[2 * i], expected[i].x);
            EXPECT_DOUBLE_EQ(xy[2 * i + 1], expected[i].y);
            // The vertex is where the user clicked, to the pixel.
            EXPECT_NEAR(xy[2 * i], c.clicks[i].x, pixel);
            EXPECT_NEAR(xy[2 * i + 1], c.clicks[i].y, pixel);
        }
        EXPECT_TRUE(w.window.Modified(doc));
    }
}

TEST(DrawingWindowEdit, EraseAndUndoAndNewLayers) {
    Window w;
    HostDocument* doc = w.Fresh();
    auto* view = w.window.view();
    // Picked entities are erased with the Delete key; undo brings them back.
    QTest::mouseClick(view, Qt::LeftButton, {}, w.At({5, 5}));
    QTest::mouseClick(view, Qt::LeftButton, {}, w.At({5, 20}));
    ASSERT_EQ(view->selection().size(), 2u);
    // Undo puts the drawing back as it was: the same entities, found by their handles.
    auto drawn = [doc](const std::string& handle) {
        for (const auto& e : doc->drawing().entities())
            if (e->Handle() == handle) return !e->erased;
        return false;
    };
    const std::string s1 = w.known.s1->Handle(), l0 = w.known.l0->Handle(),
                      s2 = w.known.s2->Handle();
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_FALSE(drawn(s1));
    EXPECT_FALSE(drawn(l0));
    EXPECT_TRUE(drawn(s2));
    // An erased line can no longer be picked.
    QTest::mouseClick(view, Qt::LeftButton, {}, w.At({5, 5}));
    EXPECT_TRUE(view->selection().empty());
    EXPECT_TRUE(w.window.Undo());
    EXPECT_TRUE(drawn(s1));
    EXPECT_TRUE(drawn(l0));
    // Back in the spatial index: a click takes it again.
    QTest::mouseClick(view, Qt::LeftButton, {}, w.At({5, 5}));
    EXPECT_EQ(view->selection().size(), 1u);
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_TRUE(view->selection().empty());
    EXPECT_FALSE(w.window.Undo());  // nothing left to undo

    // A new layer gets its colour and becomes current; an existing one keeps its colour.
    w.window.AddLayer("断_新线", 3);
    EXPECT_EQ(doc->ActiveLayer()->Name(), "断_新线");
    EXPECT_EQ(doc->ActiveLayer()->Color(), 3);
    EXPECT_EQ(w.window.layer_box()->currentText().toStdString(), "断_新线");
    w.window.AddLayer("断_断面线", 5);
    EXPECT_EQ(doc->ActiveLayer()->Name(), "断_断面线");
    EXPECT_EQ(doc->ActiveLayer()->Color(), 1);

    // Undo of a drawn polyline takes it away again.
    w.Action("多段线(&P)")->trigger();
    QTest::mouseClick(view, Qt::LeftButton, {}, w.At({0, 30}));
    QTest::mouseClick(view, Qt::LeftButton, {}, w.At({10, 30}));
    QTest::keyClick(view, Qt::Key_Return);
    const std::string line = doc->drawing().entities().back()->Handle();
    EXPECT_TRUE(drawn(line));
    w.Action("撤销(&U)")->trigger();
    EXPECT_FALSE(drawn(line));
    EXPECT_EQ(w.window.prompt()->text().toStdString(), "已撤销：多段线");
    w.Action("重做(&R)")->trigger();
    EXPECT_TRUE(drawn(line));
}

// --- Files ---

struct CloseCase {
    const char* name;
    bool change;
    const char* answer;  // button the user presses; nullptr: no question expected
    bool closed, file_has_line, bak;
};

TEST(DrawingWindowFiles, ClosingAskFirstWhenChangesAreUnsaved) {
    const CloseCase cases[] = {
        {"unchanged closes without a question", false, nullptr, true, false, false},
        {"保存 saves, keeping the old file as .bak", true, "保存", true, true, true},
        {"不保存 closes and leaves the file as it was", true, "不保存", true, false, false},
        {"取消 keeps the drawing open", true, "取消", false, false, false},
    };
    for (const CloseCase& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        std::string path = dir.File("图.dxf");
        {
            auto d = cad::embedded::Drawing::New();
            d->AddPolyline({{0, 0}, {1, 1}});
            ASSERT_TRUE(d->Save(path).ok());
        }
        std::string original = testing::ReadBytes(path);
        Window w;
        HostDocument* doc = w.window.OpenDrawing(path);
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(w.window.tabs()->tabText(w.window.tabs()->currentIndex()).toStdString(),
                  "图.dxf");
        EXPECT_FALSE(w.window.Modified(doc));
        if (c.change) doc->drawing().AddLayer("断_断面线");
        if (c.change) doc->drawing().AddPolyline({{5, 5}, {9, 9}});
        Answer answer;
        if (c.answer) AnswerNextBox(QString::fromUtf8(c.answer), &answer);
        bool closed = w.window.CloseDrawing(doc);
        EXPECT_EQ(closed, c.closed);
        EXPECT_EQ(answer.seen, c.answer != nullptr);
        if (c.answer) {
            EXPECT_EQ(answer.text.toStdString(), "图形“图.dxf”已修改，是否保存？");
        }
        EXPECT_EQ(w.host.documents().size(), closed ? 0u : 1u);
        EXPECT_EQ(w.window.tabs()->count(), closed ? 0 : 1);
        auto saved = cad::embedded::Drawing::Load(path, nullptr);
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->entities().size(), c.file_has_line ? 2u : 1u);
        EXPECT_EQ(PathExists(dir.File("图.bak")), c.bak);
        if (c.bak) {
            EXPECT_EQ(testing::ReadBytes(dir.File("图.bak")), original);
        }
        if (!closed) {  // the program's end asks again; this time the changes go
            Answer again;
            AnswerNextBox("不保存", &again);
            EXPECT_TRUE(w.window.CloseAllDrawings());
            EXPECT_TRUE(again.seen);
            EXPECT_TRUE(w.host.documents().empty());
        }
    }
}

// A plot made through the window's connector opens showing all of it: the host's zoom
// after each section applies to the new drawing, whatever the window showed before.
TEST(DrawingWindowView, APlotOpensShowingAllOfIt) {
    struct Case {
        const char* name;
        bool profile;
    } cases[] = {{"cross-sections", false}, {"profile", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing::WindowFixture f;
        app::Program& program = f.program;
        Status opened;
        program.store = store::WorkingStore::Open(testing::CopyStoreInto(f.dir.path()), &opened);
        ASSERT_TRUE(opened.ok()) << opened.message();
        program.store->OpenStandingRecordSets();
        std::vector<std::string> lines =
            ReadTextLines(testing::SourceDir() + "examples/section_data/hand.dm").lines;
        ASSERT_TRUE(sectionfile::ReadSectionFile(lines, *program.store));

        Window w;
        w.Fresh();  // the user looks at a drawing of their own first
        qt::DrawingConnector connector(w.window);
        app::Context context{program, f.ui, f.clock, &connector};
        cad::Document* plot = c.profile ? plots::DrawProfile(context, 0)
                                        : plots::DrawCrossSections(context, 0, 0, "测试");
        ASSERT_NE(plot, nullptr);
        QApplication::processEvents();
        auto* doc = static_cast<HostDocument*>(plot);
        EXPECT_EQ(w.window.view()->document(), doc);
        auto extents = doc->drawing().Extents();
        ASSERT_TRUE(extents);
        qt::DrawingView* view = w.window.view();
        Box visible;
        visible.Add(view->DrawingAt(QPointF(0, view->height())));
        visible.Add(view->DrawingAt(QPointF(view->width(), 0)));
        EXPECT_LE(visible.min_x, extents->min_x);
        EXPECT_LE(visible.min_y, extents->min_y);
        EXPECT_GE(visible.max_x, extents->max_x);
        EXPECT_GE(visible.max_y, extents->max_y);
        // ... and fills the window one way at least: not a speck in a view of the user's drawing.
        double across = (extents->max_x - extents->min_x) / (visible.max_x - visible.min_x);
        double up = (extents->max_y - extents->min_y) / (visible.max_y - visible.min_y);
        EXPECT_GT(std::max(across, up), 0.8) << across << " " << up;
    }
}

TEST(DrawingWindowFiles, NewDrawingsAreNamedAndSavedAsDxf) {
    testing::TempDir dir;
    Window w;
    // A plot makes a new drawing and draws into it; the window shows it as Drawing1.
    qt::DrawingConnector connector(w.window);
    cad::Application* app = connector.Attach();
    cad::Document* plot = app->Documents().Add();
    plot->ModelSpace().AddCircle({1, 1, 0}, 1);
    QApplication::processEvents();
    ASSERT_EQ(w.window.tabs()->count(), 1);
    EXPECT_EQ(w.window.tabs()->tabText(0).toStdString(), "Drawing1 *");
    auto* doc = static_cast<HostDocument*>(plot);
    EXPECT_TRUE(doc->drawing().path().empty());
    // A new empty drawing is not "changed".
    HostDocument* empty = w.window.NewDrawing();
    EXPECT_EQ(w.window.tabs()->tabText(1).toStdString(), "Drawing2");
    EXPECT_FALSE(w.window.Modified(empty));
    EXPECT_TRUE(w.window.SaveDrawingAs(doc, dir.File("断面图")));
    EXPECT_EQ(doc->drawing().path(), dir.File("断面图.dxf"));
    EXPECT_EQ(w.window.tabs()->tabText(0).toStdString(), "断面图.dxf");
    auto back = cad::embedded::Drawing::Load(dir.File("断面图.dxf"), nullptr);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->entities().size(), 1u);
    EXPECT_EQ(back->entities()[0]->EntityName(), "CIRCLE");
    // Saving into a folder that does not exist tells the user and keeps the drawing.
    Answer answer;
    AnswerNextBox("确定", &answer);
    EXPECT_FALSE(w.window.SaveDrawingAs(empty, dir.File("没有/图.dxf")));
    EXPECT_TRUE(answer.seen);
    EXPECT_NE(answer.text.toStdString().find("没有/图.dxf"), std::string::npos);
    EXPECT_EQ(w.host.documents().size(), 2u);
}

TEST(DrawingWindowFiles, ADrawingChangedOnDiskIsReloaded) {
    testing::TempDir dir;
    std::string path = dir.File("a.dxf");
    auto d = cad::embedded::Drawing::New();
    d->AddPolyline({{0, 0}, {1, 1}});
    ASSERT_TRUE(d->Save(path).ok());
    Window w;
    HostDocument* doc = w.window.OpenDrawing(path);
    ASSERT_NE(doc, nullptr);
    EXPECT_FALSE(w.window.ChangedOnDisk(doc));
    // Another CAD program adds a line and saves.
    d->AddPolyline({{2, 2}, {3, 3}});
    QTest::qWait(20);  // a later file time
    ASSERT_TRUE(d->Save(path).ok());
    EXPECT_TRUE(w.window.ChangedOnDisk(doc));
    HostDocument* fresh = w.window.ReloadDrawing(doc);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->drawing().entities().size(), 2u);
    EXPECT_EQ(w.window.tabs()->count(), 1);
    EXPECT_EQ(w.window.view()->document(), fresh);
    EXPECT_FALSE(w.window.ChangedOnDisk(fresh));
    EXPECT_FALSE(w.window.Modified(fresh));
    // A file that no longer reads leaves the open drawing as it was, with a message.
    testing::WriteBytes(path, "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nLINE\r\n10\r\nabc\r\n");
    Answer answer;
    AnswerNextBox("确定", &answer);
    EXPECT_EQ(w.window.ReloadDrawing(fresh, false), nullptr);
    EXPECT_TRUE(answer.seen);
    EXPECT_EQ(w.host.documents().size(), 1u);
    EXPECT_EQ(w.host.documents()[0].get(), fresh);
}

// --- DWG drawings ---

std::string Converter() { return testing::AppDir() + "dwg"; }

// CI installs the converter and sets CI; elsewhere a missing one is said, not failed.
#define REQUIRE_CONVERTER()                                                                    \
    do {                                                                                       \
        if (!PathExists(Converter() + "/node_modules/@mlightcad/libredwg-web/package.json")) { \
            if (std::getenv("CI")) FAIL() << "the DWG converter is not installed in CI";       \
            GTEST_SKIP() << "the DWG converter is not installed: run scripts/setup, rebuild";  \
        }                                                                                      \
    } while (0)

std::map<std::string, int> LayerColours(const cad::embedded::Drawing& d) {
    std::map<std::string, int> out;
    for (const auto& l : d.layers()) out[l->name] = l->color;
    return out;
}

TEST(DrawingWindowFiles, ADwgOpensAsAnUnsavedDxfBesideItAndSavingAsksFirst) {
    REQUIRE_CONVERTER();
    setenv("VELORIN_DWG_CONVERTER", Converter().c_str(), 1);
    testing::TempDir dir;
    std::string dwg = dir.File("example_2013.dwg"), dxf = dir.File("example_2013.dxf");
    std::string dwg_bytes = testing::ReadBytes(testing::SamplesDir() + "dwg/example_2013.dwg");
    testing::WriteBytes(dwg, dwg_bytes);
    std::string older = cad::embedded::Drawing::New()->Serialize();
    testing::WriteBytes(dxf, older);  // a DXF of that name from before
    auto twin =
        cad::embedded::Drawing::Load(testing::SamplesDir() + "dwg/example_2013.dxf", nullptr);
    ASSERT_TRUE(twin);

    Window w;
    // The progress bar shows while the converter runs.
    bool bar_seen = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout,
                     [&] { bar_seen = bar_seen || w.window.progress_bar()->isVisible(); });
    watch.start(10);
    // The sample converts whole (its table too): no message.
    Answer told;
    QTimer* unanswered = AnswerNextBox("确定", &told);
    HostDocument* doc = w.window.OpenDrawing(dwg);
    watch.stop();
    EXPECT_FALSE(told.seen) << told.text.toStdString();
    if (!told.seen) delete unanswered;
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(bar_seen);
    EXPECT_FALSE(w.window.progress_bar()->isVisible());
    EXPECT_EQ(doc->drawing().path(), dxf);
    EXPECT_EQ(w.window.tabs()->tabText(0).toStdString(), "example_2013.dxf *");
    EXPECT_TRUE(w.window.Modified(doc));
    EXPECT_FALSE(w.window.ChangedOnDisk(doc));
    EXPECT_EQ(LayerColours(doc->drawing()), LayerColours(*twin));
    size_t texts = 0;
    for (const auto& e : doc->drawing().entities()) texts += e->EntityName() == "TEXT";
    EXPECT_EQ(texts, 2u);

    // Opening it again shows the same drawing.
    EXPECT_EQ(w.window.OpenDrawing(dwg), doc);
    // The first save asks before it replaces the older DXF; "否" keeps it.
    Answer no;
    AnswerNextBox("否", &no);
    EXPECT_FALSE(w.window.SaveDrawing(doc));
    EXPECT_TRUE(no.seen);
    EXPECT_NE(no.text.toStdString().find("已存在"), std::string::npos);
    EXPECT_EQ(testing::ReadBytes(dxf), older);
    Answer yes;
    AnswerNextBox("是", &yes);
    EXPECT_TRUE(w.window.SaveDrawing(doc));
    EXPECT_TRUE(yes.seen);
    EXPECT_EQ(w.window.tabs()->tabText(0).toStdString(), "example_2013.dxf");
    auto saved = cad::embedded::Drawing::Load(dxf, nullptr);
    ASSERT_TRUE(saved);
    EXPECT_EQ(LayerColours(*saved), LayerColours(*twin));
    EXPECT_EQ(testing::ReadBytes(dwg), dwg_bytes);  // the DWG is never written
    unsetenv("VELORIN_DWG_CONVERTER");
}

TEST(DrawingWindowFiles, OpeningADwgWithoutTheConverterSaysWhatToInstall) {
    testing::TempDir empty;
    setenv("VELORIN_DWG_CONVERTER", empty.path().c_str(), 1);
    Window w;
    Answer answer;
    AnswerNextBox("确定", &answer);
    EXPECT_EQ(w.window.OpenDrawing(testing::SamplesDir() + "dwg/example_2000.dwg"), nullptr);
    EXPECT_TRUE(answer.seen);
    for (const char* part : {"example_2000.dwg", "nodejs", "npm", "@mlightcad/libredwg-web"})
        EXPECT_NE(answer.text.toStdString().find(part), std::string::npos) << part;
    EXPECT_TRUE(w.host.documents().empty());
    EXPECT_FALSE(w.window.progress_bar()->isVisible());
    unsetenv("VELORIN_DWG_CONVERTER");
}

TEST(DrawingWindowFiles, WhatTheDwgConverterCouldNotConvertIsToldAfterOpening) {
    if (std::system("node --version >/dev/null 2>&1")) {
        if (std::getenv("CI")) FAIL() << "Node.js is not installed in CI";
        GTEST_SKIP() << "Node.js is not installed";
    }
    // A converter that writes a drawing and warns, as the real one does for an entity
    // LibreDWG cannot write.
    testing::TempDir dir;
    std::string folder = dir.File("conv"), drawing = dir.File("drawn.dxf");
    ASSERT_TRUE(MakeFolder(folder + "/node_modules/@mlightcad/libredwg-web").ok());
    testing::WriteBytes(folder + "/node_modules/@mlightcad/libredwg-web/package.json", "{}");
    auto d = cad::embedded::Drawing::New();
    d->AddLine({0, 0, 0}, {10, 10, 0});
    ASSERT_TRUE(d->Save(drawing).ok());
    testing::WriteBytes(folder + "/dwg2dxf.mjs",
                        "import fs from 'node:fs';\n"
                        "process.stderr.write('warning: 未能转换的实体：ACAD_TABLE 1 个\\n');\n"
                        "fs.copyFileSync('" +
                            drawing + "', process.argv[3]);\n");
    std::string dwg = dir.File("图.dwg");
    testing::WriteBytes(dwg, "AC1032");
    setenv("VELORIN_DWG_CONVERTER", folder.c_str(), 1);
    Window w;
    Answer told;
    AnswerNextBox("确定", &told);
    HostDocument* doc = w.window.OpenDrawing(dwg);
    unsetenv("VELORIN_DWG_CONVERTER");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->drawing().entities().size(), 1u);
    EXPECT_TRUE(told.seen);
    EXPECT_EQ(told.text.toStdString(), dwg + "：\n未能转换的实体：ACAD_TABLE 1 个");
}

// --- Messages, prompts, zooms, progress ---

TEST(DrawingWindowHost, AlertsPromptsAndZooms) {
    Window w;
    HostDocument* doc = w.Fresh();
    Answer answer;
    AnswerNextBox("确定", &answer);
    doc->SendCommand(cad::AlertCommand("展点完成！"));
    EXPECT_TRUE(answer.seen);
    EXPECT_EQ(answer.text.toStdString(), "展点完成！");
    EXPECT_EQ(answer.parent, &w.window);  // a message box of the drawing window

    doc->Utility().Prompt("标注“有效范围”：请选择一条穿越线……");
    w.window.Refresh();
    EXPECT_EQ(w.window.prompt()->text().toStdString(), "标注“有效范围”：请选择一条穿越线……");

    // The host's zooms move the view: the window's corners land inside the widget, and
    // ZoomPrevious goes back.
    auto* view = w.window.view();
    QPointF before = view->DeviceOf({0, 0});
    w.host.ZoomWindow({20, 0, 0}, {30, 10, 0});
    w.window.Refresh();
    QPointF a = view->DeviceOf({20, 0}), b = view->DeviceOf({30, 10});
    QRectF inside(0, 0, view->width(), view->height());
    EXPECT_TRUE(inside.contains(a) && inside.contains(b));
    EXPECT_NEAR((a.x() + b.x()) / 2, view->width() / 2.0, 1);
    EXPECT_NEAR((a.y() + b.y()) / 2, view->height() / 2.0, 1);
    w.host.ZoomPrevious();
    w.window.Refresh();
    EXPECT_NEAR(view->DeviceOf({0, 0}).x(), before.x(), 1e-6);
    // The wheel zooms about the cursor: the point under it stays there.
    QPoint cursor = w.At({10, 10});
    double ten_before = view->DeviceOf({10, 0}).x() - view->DeviceOf({0, 0}).x();
    Point2 under = view->DrawingAt(cursor);
    QWheelEvent wheel(cursor, view->mapToGlobal(cursor), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    Point2 after = view->DrawingAt(cursor);
    EXPECT_NEAR(after.x, under.x, 1e-9);
    EXPECT_NEAR(after.y, under.y, 1e-9);
    // One step forward magnifies by 1.25.
    EXPECT_NEAR((view->DeviceOf({10, 0}).x() - view->DeviceOf({0, 0}).x()) / ten_before, 1.25,
                1e-9);
    // Panning drags the drawing along: the point under the press ends under the release.
    w.Action("平移(&A)")->trigger();
    QPoint from = w.At({5, 5}), to = from + QPoint(120, -40);
    Point2 grabbed = view->DrawingAt(from);
    QTest::mousePress(view, Qt::LeftButton, {}, from);
    QTest::mouseMove(view, to);
    QTest::mouseRelease(view, Qt::LeftButton, {}, to);
    EXPECT_NEAR(view->DrawingAt(to).x, grabbed.x, 1e-9);
    EXPECT_NEAR(view->DrawingAt(to).y, grabbed.y, 1e-9);
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(view->tool(), qt::DrawingView::Tool::Select);

    w.host.ZoomExtents();
    w.window.Refresh();
    for (Point2 corner : {Point2{0, 0}, Point2{30, 20}})  // the drawing's extents are on screen
        EXPECT_TRUE(inside.contains(view->DeviceOf(corner)));
}

// Drawings whose extents are a line or a point still show and zoom.
// A pick shows its own prompt with how to finish and cancel, never an earlier command's
// text; it is cleared when the pick ends, and the command's result shows when it is done.
TEST(DrawingWindowHost, PromptsDuringAPickAndTheResultAfter) {
    Window w;
    HostDocument* doc = w.Fresh();
    qt::DrawingConnector connector(w.window);
    cad::Application* app = connector.Attach();
    // An earlier command's result is on screen.
    doc->Utility().Prompt("展点完成！");
    w.window.Refresh();
    ASSERT_EQ(w.window.prompt()->text().toStdString(), "展点完成！");
    auto pick = [&](const std::function<void()>& before) {
        cad::SelectionSet* set = cad::NewSelectionSet(*app->ActiveDocument());
        QString during;
        Later([&] {
            during = w.window.prompt()->text();
            QTest::mouseClick(w.window.view(), Qt::LeftButton, {}, w.At({25, 0}));
            QTest::keyClick(w.window.view(), Qt::Key_Return);
        });
        QTimer::singleShot(5000, [&] { QTest::keyClick(w.window.view(), Qt::Key_Escape); });
        before();
        set->SelectOnScreen(SectionLines());
        EXPECT_EQ(set->Count(), 1);
        return during.toStdString();
    };
    // A command that asks without a prompt of its own: the generic one, not the stale text.
    EXPECT_EQ(pick([] {}), "选择对象：（回车或右键结束，Esc 取消）");
    EXPECT_EQ(w.window.prompt()->text().toStdString(), "");
    // A command with its prompt: that one, with the same hint.
    EXPECT_EQ(pick([&] { doc->Utility().Prompt("设中心点：请选择中线……"); }),
              "设中心点：请选择中线……（回车或右键结束，Esc 取消）");
    EXPECT_EQ(w.window.prompt()->text().toStdString(), "");
    // The command ends printing its result: the status line shows it.
    doc->Utility().Prompt("已设 1 个中心点");
    QApplication::processEvents();
    w.window.Refresh();
    EXPECT_EQ(w.window.prompt()->text().toStdString(), "已设 1 个中心点");
    // The next pick without a prompt again gets the generic one, not that result.
    EXPECT_EQ(pick([] {}), "选择对象：（回车或右键结束，Esc 取消）");
}

TEST(DrawingWindowHost, FlatAndSinglePointDrawingsZoom) {
    const struct {
        const char* name;
        std::vector<Point2> points;
    } cases[] = {
        {"one horizontal line", {{0, 5}, {100, 5}}},
        {"one vertical line", {{7, 0}, {7, 40}}},
        {"a polyline of one point", {{3, 3}, {3, 3}}},
    };
    Window w;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HostDocument* doc = w.window.NewDrawing();
        doc->drawing().AddPolyline(c.points);
        w.window.view()->ZoomExtents();
        w.window.Refresh();
        auto* view = w.window.view();
        QPointF a = view->DeviceOf(c.points.front()), b = view->DeviceOf(c.points.back());
        QRectF inside(0, 0, view->width(), view->height());
        EXPECT_TRUE(inside.contains(a) && inside.contains(b));
        double unit = view->DeviceOf({1, 0}).x() - view->DeviceOf({0, 0}).x();
        EXPECT_TRUE(std::isfinite(unit) && unit > 0);
        QPoint cursor = a.toPoint();
        QWheelEvent wheel(cursor, view->mapToGlobal(cursor), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view, &wheel);
        double after = view->DeviceOf({1, 0}).x() - view->DeviceOf({0, 0}).x();
        EXPECT_NEAR(unit / after, 1.25, 1e-9);  // one step back shows more
    }
}

TEST(DrawingWindowHost, ProgressShowsInTheStatusLine) {
    Window w;
    QProgressBar* bar = w.window.progress_bar();
    EXPECT_FALSE(bar->isVisible());
    {
        app::ProgressReport sections(&w.window, "横断面图", 12);
        EXPECT_TRUE(bar->isVisible());
        EXPECT_EQ(bar->maximum(), 12);
        sections.Step(5);
        EXPECT_EQ(bar->value(), 5);
        {
            app::ProgressReport points(&w.window, "展点", 0);  // of unknown length: busy
            EXPECT_EQ(bar->maximum(), 0);
        }
        EXPECT_EQ(bar->maximum(), 12);  // the outer work shows again
        sections.Step(40);
        EXPECT_EQ(bar->value(), 12);
    }
    EXPECT_FALSE(bar->isVisible());
}

// --- Recent files ---

// XDG_CONFIG_HOME points at a scratch folder while the object lives.
struct ScratchConfig {
    ScratchConfig() : old(qgetenv("XDG_CONFIG_HOME")) {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir.path()));
    }
    ~ScratchConfig() { qputenv("XDG_CONFIG_HOME", old); }
    testing::TempDir dir;
    QByteArray old;
};

std::vector<std::string> MenuPaths(QMenu* menu) {
    std::vector<std::string> paths;
    for (QAction* a : menu->actions())
        if (a->isEnabled() && !a->data().toString().isEmpty())
            paths.push_back(a->data().toString().toStdString());
    return paths;
}

TEST(DrawingWindowFiles, RecentFilesAreKeptBetweenRunsAndMissingOnesRemoved) {
    ScratchConfig config;
    testing::TempDir dir;
    const std::string list = config.dir.File("velorin/recent.txt");
    EXPECT_EQ(qt::DrawingWindow::RecentFilesPath(), list);
    // Ten drawings saved; the newest eight are listed, newest first.
    std::vector<std::string> files;
    {
        Window w;
        for (int i = 0; i < 10; ++i) {
            HostDocument* d = w.window.NewDrawing();
            d->drawing().AddCircle({1, 1, 0}, 1 + i);
            files.push_back(dir.File("图" + std::to_string(i) + ".dxf"));
            ASSERT_TRUE(w.window.SaveDrawingAs(d, files.back()));
        }
        std::vector<std::string> newest(files.rbegin(), files.rbegin() + 8);
        EXPECT_EQ(w.window.RecentFiles(), newest);
        EXPECT_EQ(MenuPaths(w.window.recent_menu()), newest);
        ASSERT_TRUE(w.window.recent_menu()->menuAction()->text().startsWith("最近打开的文件"));
    }
    ASSERT_TRUE(PathExists(list));
    // The next run: the list is back; opening an older drawing puts it first.
    Window w;
    ASSERT_EQ(w.window.RecentFiles().size(), 8u);
    EXPECT_EQ(w.window.RecentFiles()[0], files[9]);
    std::string text = testing::ReadBytes(list);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 8);
    EXPECT_EQ(text.substr(0, text.find('\n')), files[9]);
    QMenu* menu = w.window.recent_menu();
    emit menu->aboutToShow();
    QAction* fifth = nullptr;
    for (QAction* a : menu->actions())
        if (a->data().toString().toStdString() == files[5]) fifth = a;
    ASSERT_NE(fifth, nullptr);
    fifth->trigger();
    ASSERT_NE(w.host.active(), nullptr);
    EXPECT_EQ(w.host.active()->drawing().path(), files[5]);
    EXPECT_EQ(w.window.tabs()->tabText(0).toStdString(), "图5.dxf");
    EXPECT_EQ(w.window.RecentFiles()[0], files[5]);
    EXPECT_EQ(w.window.RecentFiles().size(), 8u);
    // A drawing deleted since is told and leaves the list.
    std::remove(files[8].c_str());
    Answer answer;
    AnswerNextBox("确定", &answer);
    EXPECT_EQ(w.window.OpenRecent(files[8]), nullptr);
    EXPECT_TRUE(answer.seen);
    EXPECT_NE(answer.text.toStdString().find("图8.dxf"), std::string::npos);
    EXPECT_NE(answer.text.toStdString().find("已不存在"), std::string::npos);
    auto left = w.window.RecentFiles();
    EXPECT_EQ(left.size(), 7u);
    EXPECT_EQ(std::count(left.begin(), left.end(), files[8]), 0);
    EXPECT_EQ(MenuPaths(w.window.recent_menu()), left);
    EXPECT_EQ(w.host.documents().size(), 1u);
}

// --- Query ---

TEST(DrawingWindowQuery, PointsDistanceAndAzimuthInTheStatusLine) {
    EXPECT_EQ(qt::DrawingWindow::Dms(45), "45°00′00″");
    EXPECT_EQ(qt::DrawingWindow::Dms(359.99999), "0°00′00″");
    Window w;
    HostDocument* doc = w.Fresh();
    // Two more plotted points: from P (35,10) one at (38,6) and one at (31,13).
    auto& d = doc->drawing();
    auto symbol = cad::embedded::Drawing::New();
    symbol->AddCircle({0, 0, 0}, 0.5);
    int block = d.ImportBlock(*symbol, "点号");
    d.AddInsert(block, {38, 6, 30.25}, 1, 1, 1, 0);
    d.AddInsert(block, {31, 13, 32}, 1, 1, 1, 0);
    w.window.Refresh();
    QAction* query = w.Action("查询(&Q)");
    ASSERT_NE(query, nullptr);
    auto* view = w.window.view();
    auto prompt = [&] { return w.window.prompt()->text().toStdString(); };
    // Clicks a pixel or two off the points take them exactly.
    auto near = [&](Point2 p) { return w.At(p) + QPoint(2, -1); };

    query->trigger();
    EXPECT_EQ(prompt(), "查询：指定点（回车或右键结束，Esc 取消）");
    QTest::mouseClick(view, Qt::LeftButton, {}, near({35, 10}));
    EXPECT_EQ(
        prompt(),
        "X=35.000  Y=10.000  Z=31.500；查距离和方位角请指定第二点（回车或右键结束，Esc 取消）");
    QTest::mouseClick(view, Qt::LeftButton, {}, near({38, 6}));
    // dx 3, dy -4: south-east, 180° - atan(3/4) = 143.1301024°.
    EXPECT_EQ(prompt(), "距离=5.000  方位角=143°07′48″  ΔX=3.000  ΔY=-4.000");
    EXPECT_FALSE(w.window.querying());
    EXPECT_EQ(view->tool(), qt::DrawingView::Tool::Select);

    query->trigger();
    QTest::mouseClick(view, Qt::LeftButton, {}, near({35, 10}));
    QTest::mouseClick(view, Qt::LeftButton, {}, near({31, 13}));
    // dx -4, dy 3: north-west, 360° - atan(4/3) = 306.8698976°.
    EXPECT_EQ(prompt(), "距离=5.000  方位角=306°52′12″  ΔX=-4.000  ΔY=3.000");

    // One point, ended by Enter: its coordinates stay; away from a block there is no Z.
    query->trigger();
    QTest::mouseClick(view, Qt::LeftButton, {}, w.At({20, 30}));
    QTest::keyClick(view, Qt::Key_Return);
    std::string one = prompt();
    EXPECT_EQ(one.rfind("X=", 0), 0u) << one;
    EXPECT_EQ(one.find("Z="), std::string::npos) << one;
    EXPECT_EQ(one.find("回车"), std::string::npos) << one;
    Point2 clicked = view->DrawingAt(w.At({20, 30}));
    EXPECT_NE(one.find("X=" + Format(clicked.x, "#0.000") + "  Y=" + Format(clicked.y, "#0.000")),
              std::string::npos)
        << one;
    // Esc cancels: nothing is left in the status line, the drawing is unchanged.
    size_t entities = d.entities().size();
    query->trigger();
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(prompt(), "");
    EXPECT_FALSE(w.window.querying());
    EXPECT_EQ(d.entities().size(), entities);
}

// --- Object snap ---

TEST(DrawingWindowSnap, ClicksNearAPointBlockOrAnEndpointTakeItExactly) {
    Window w;
    HostDocument* doc = w.Fresh();
    auto* view = w.window.view();
    QAction* snap = w.window.snap_action();
    ASSERT_NE(snap, nullptr);
    EXPECT_EQ(snap->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_TRUE(snap->isChecked());
    auto off = [&](Point2 p) { return w.At(p) + QPoint(3, 2); };
    auto draw = [&] {
        w.Action("多段线(&P)")->trigger();
        // Near the point block P (35,10), near L0's end (10,20), near the middle of S2.
        QTest::mouseMove(view, off({35, 10}));
        EXPECT_TRUE(view->snap_mark().has_value() == snap->isChecked());
        if (view->snap_mark()) {
            EXPECT_EQ(view->snap_mark()->kind, qt::Snap::Kind::Insertion);
            EXPECT_EQ(view->snap_mark()->at.x, 35);
            EXPECT_EQ(view->snap_mark()->z, 31.5);
        }
        QTest::mouseClick(view, Qt::LeftButton, {}, off({35, 10}));
        QTest::mouseClick(view, Qt::LeftButton, {}, off({10, 20}));
        QTest::mouseClick(view, Qt::LeftButton, {}, off({25, 0}));
        QTest::keyClick(view, Qt::Key_Return);
        return doc->drawing().entities().back()->Coordinates();
    };
    std::vector<double> snapped = draw();
    ASSERT_EQ(snapped.size(), 6u);
    EXPECT_EQ(snapped[0], 35);
    EXPECT_EQ(snapped[1], 10);
    EXPECT_EQ(snapped[2], 10);
    EXPECT_EQ(snapped[3], 20);
    EXPECT_NEAR(snapped[4], view->DrawingAt(off({25, 0})).x, 1e-9);  // nearest on S2
    EXPECT_EQ(snapped[5], 0);

    // F3 turns it off: the clicks land where they are.
    snap->trigger();
    EXPECT_FALSE(view->snap());
    std::vector<double> free = draw();
    ASSERT_EQ(free.size(), 6u);
    EXPECT_NE(free[0], 35);
    EXPECT_NEAR(free[0], view->DrawingAt(off({35, 10})).x, 1e-9);
    EXPECT_NE(free[3], 20);
    snap->trigger();
    EXPECT_TRUE(view->snap());

    // Picking points snaps too: the query takes S1's end exactly.
    w.Action("查询(&Q)")->trigger();
    QTest::mouseClick(view, Qt::LeftButton, {}, off({0, 0}));
    EXPECT_EQ(w.window.prompt()->text().toStdString().rfind("X=0.000  Y=0.000；", 0), 0u)
        << w.window.prompt()->text().toStdString();
    QTest::keyClick(view, Qt::Key_Escape);
}

// --- Printing ---

// Page 1 of a PDF as pdftoppm renders it at `dpi`.
QImage FirstPage(const std::string& pdf, const std::string& png_base, int dpi) {
    std::string command = "pdftoppm -r " + std::to_string(dpi) + " -f 1 -l 1 -singlefile -png '" +
                          pdf + "' '" + png_base + "'";
    if (std::system(command.c_str()) != 0) return {};
    return QImage(QString::fromStdString(png_base + ".png"));
}

long DarkPixels(const QImage& image) {
    long dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 200) ++dark;
    return dark;
}

TEST(DrawingWindowPrint, TheDrawingPrintsToAPdfAtTheChosenPaperAndScale) {
    // The sheet: 1:500 on A4 landscape is 148.5 x 105 m around the area's centre; fitted,
    // the area fills the paper less 10 mm all round on its tighter side.
    qt::DrawingWindow::PrintOptions o;
    o.scale = 500;
    Box sheet = qt::DrawingWindow::PrintSheet(Box{0, 0, 100, 50}, o);
    EXPECT_DOUBLE_EQ(sheet.min_x, 50 - 74.25);
    EXPECT_DOUBLE_EQ(sheet.max_x, 50 + 74.25);
    EXPECT_DOUBLE_EQ(sheet.min_y, 25 - 52.5);
    EXPECT_DOUBLE_EQ(sheet.max_y, 25 + 52.5);
    o.scale = 0;
    sheet = qt::DrawingWindow::PrintSheet(Box{0, 0, 100, 50}, o);
    EXPECT_DOUBLE_EQ(sheet.max_x - sheet.min_x, 297 * 100 / 277.0);
    EXPECT_DOUBLE_EQ(sheet.max_y - sheet.min_y, 210 * 100 / 277.0);

    Window w;
    w.Fresh();
    ASSERT_NE(w.Action("打印(&P)…"), nullptr);
    testing::TempDir dir;
    // The extents, fitted on A4 landscape.
    qt::DrawingWindow::PrintOptions extents;
    extents.extents = true;
    ASSERT_TRUE(w.window.PrintToPdf(extents, dir.File("范围.pdf")));
    EXPECT_EQ(w.window.prompt()->text().toStdString(), "已打印到 " + dir.File("范围.pdf"));
    QImage page = FirstPage(dir.File("范围.pdf"), dir.File("范围"), 40);
    ASSERT_FALSE(page.isNull());
    EXPECT_NEAR(page.width(), 297 / 25.4 * 40, 2);  // A4 landscape
    EXPECT_NEAR(page.height(), 210 / 25.4 * 40, 2);
    long drawn = DarkPixels(page);
    EXPECT_GT(drawn, 100);
    // The current view on A3 portrait: a taller page, the drawing on it too.
    qt::DrawingWindow::PrintOptions view;
    view.a3 = true;
    view.landscape = false;
    ASSERT_TRUE(w.window.PrintToPdf(view, dir.File("视图.pdf")));
    page = FirstPage(dir.File("视图.pdf"), dir.File("视图"), 40);
    ASSERT_FALSE(page.isNull());
    EXPECT_NEAR(page.width(), 297 / 25.4 * 40, 2);
    EXPECT_NEAR(page.height(), 420 / 25.4 * 40, 2);
    long view_ink = DarkPixels(page);
    EXPECT_GT(view_ink, 100);
    // The printer's path paints the same page: here a printer writing a PDF.
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(dir.File("打印机.pdf")));
        ASSERT_TRUE(w.window.PrintTo(printer, view));
    }
    page = FirstPage(dir.File("打印机.pdf"), dir.File("打印机"), 40);
    ASSERT_FALSE(page.isNull());
    EXPECT_NEAR(page.width(), 297 / 25.4 * 40, 2);  // A3 portrait
    EXPECT_NEAR(page.height(), 420 / 25.4 * 40, 2);
    EXPECT_NEAR(DarkPixels(page), view_ink, view_ink / 4);  // the same drawing, as large
    // At 1:100000 the drawing (50 m across) is a speck: far less ink than fitted.
    extents.scale = 100000;
    ASSERT_TRUE(w.window.PrintToPdf(extents, dir.File("小.pdf")));
    page = FirstPage(dir.File("小.pdf"), dir.File("小"), 40);
    ASSERT_FALSE(page.isNull());
    EXPECT_LT(DarkPixels(page), drawn / 4);
}

// --- Help ---

TEST(DrawingWindowHelp, TheHelpMenuOpensTheGuideAndTheAboutBoxNamesTheConverter) {
    Window w;
    QAction* guide = w.Action("用户指南(&G)");
    QAction* about = w.Action("关于 Velorin(&A)");
    ASSERT_NE(guide, nullptr);
    ASSERT_NE(about, nullptr);
    bool in_help = false;
    for (QAction* menu : w.window.menuBar()->actions())
        if (menu->text() == "帮助(&H)") in_help = menu->menu()->actions().contains(guide);
    EXPECT_TRUE(in_help);
    // The guide of this source tree is found and handed to the system's viewer.
    std::vector<QUrl> opened;
    w.window.open_url = [&](const QUrl& url) {
        opened.push_back(url);
        return true;
    };
    guide->trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened[0].isLocalFile());
    EXPECT_TRUE(opened[0].toLocalFile().endsWith("/用户指南.md"));
    EXPECT_TRUE(PathExists(opened[0].toLocalFile().toStdString()));
    // Nowhere to be found: the user is told where it was looked for.
    Answer missing;
    AnswerNextBox("确定", &missing);
    EXPECT_FALSE(w.window.OpenUserGuide({"/没有/用户指南.md"}));
    EXPECT_TRUE(missing.seen);
    EXPECT_NE(missing.text.toStdString().find("未找到用户指南"), std::string::npos);
    EXPECT_NE(missing.text.toStdString().find("/没有/用户指南.md"), std::string::npos);
    EXPECT_EQ(opened.size(), 1u);
    // The about box: the program, the converter package, its version and licence.
    std::string package = testing::ReadBytes(testing::SourceDir() + "support/dwg/package.json");
    auto at = package.find("\"@mlightcad/libredwg-web\": \"");
    ASSERT_NE(at, std::string::npos);
    at += std::string("\"@mlightcad/libredwg-web\": \"").size();
    std::string version = package.substr(at, package.find('"', at) - at);
    Answer box;
    AnswerNextBox("确定", &box);
    about->trigger();
    ASSERT_TRUE(box.seen);
    EXPECT_EQ(box.title.toStdString(), "关于 Velorin");
    std::string text = box.text.toStdString();
    EXPECT_NE(text.find("Velorin"), std::string::npos);
    EXPECT_NE(text.find("测量"), std::string::npos);
    EXPECT_NE(text.find("@mlightcad/libredwg-web " + version), std::string::npos);
    EXPECT_NE(text.find("GPL-3.0"), std::string::npos);
    EXPECT_NE(text.find("https://www.npmjs.com/package/@mlightcad/libredwg-web"),
              std::string::npos);
    EXPECT_NE(text.find("独立程序"), std::string::npos);
}

}  // namespace
}  // namespace velorin

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Opening and saving record recent files in the user's config folder: a scratch one.
    velorin::testing::TempDir config;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.path()));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
