// The real window on Qt's offscreen platform: the tabs switch the pages, typing in a
// field reaches the setting, and the close box writes the settings file.
#include "qt/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <map>

#include "app/clock.h"
#include "app/settings.h"
#include "base/paths.h"
#include "cad/embedded/host.h"
#include "cad/preparation.h"
#include "qt/drawing/drawing_window.h"
#include "qt/qt_ui.h"
#include "support/qt_answer.h"
#include "support/testing.h"
#include "support/window_fixture.h"

namespace velorin {
namespace {

using testing::WindowFixture;

struct QtWindow {
    QtWindow() {
        form = std::make_unique<window::Form1>(w.context);
        form->page5.Sheets.settings_path = w.dir.File("sheets.ini");
        form->page6.Sheets.settings_path = w.dir.File("sheets.ini");
        form->page7.Sheets.settings_path = w.dir.File("sheets.ini");
        window = std::make_unique<qt::MainWindow>(*form);
        form->Form_Load();
        window->Refresh();
        window->PlaceHome();
        window->show();
        QApplication::processEvents();
    }
    QLineEdit* Editor(const window::TextBox& field) { return window->binder().EditorOf(&field); }

    WindowFixture w;
    std::unique_ptr<window::Form1> form;
    std::unique_ptr<qt::MainWindow> window;
};

TEST(QtWindow, TabsShowTheSevenPagesWithTheirCaptions) {
    QtWindow q;
    EXPECT_EQ(q.window->windowTitle().toStdString(), "Velorin——用于道路、堤坝、水利等断面测量工程");
    EXPECT_TRUE(q.window->windowFlags() & Qt::WindowStaysOnTopHint);
    QTabWidget* tabs = q.window->tabs();
    ASSERT_EQ(tabs->count(), 7);
    const char* captions[] = {"系统与设置", "测量文件格式", "坐标计算程序", "地形展点程序",
                              "单断面生成", "批量生成断面", "数据生成断面"};
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(captions[i]);
        EXPECT_EQ(tabs->tabText(i).toStdString(), captions[i]);
        EXPECT_FALSE(tabs->tabIcon(i).isNull());
    }
    // The user clicks through the tabs; each click sets up its page in the model.
    q.form->page3.List1.Clear();
    for (int i : {2, 3, 4, 5, 6, 1, 0}) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        EXPECT_EQ(q.form->Strip1.selected, i + 1);
        for (int n = 1; n <= 7; ++n) EXPECT_EQ(q.form->PageAt(n).visible, n == i + 1);
        if (i == 2) {
            EXPECT_EQ(q.form->page3.List1.items.size(), 3u);
        }
    }
    // A page chosen in the model shows in the view.
    q.form->Strip1_Click(6);
    q.window->Refresh();
    EXPECT_EQ(tabs->currentIndex(), 5);
}

TEST(QtWindow, PageOneBringsTheDrawingWindowBack) {
    QtWindow q;
    auto find = [&] {
        for (auto* b : q.window->findChildren<QPushButton*>())
            if (b->text().toStdString() == "图形窗口") return b;
        return static_cast<QPushButton*>(nullptr);
    };
    ASSERT_NE(find(), nullptr);
    EXPECT_FALSE(find()->isVisibleTo(q.window.get()));  // no drawing window: no button
    int shown = 0;
    q.window->SetShowDrawingWindow([&] { ++shown; });
    EXPECT_TRUE(find()->isVisibleTo(q.window.get()));
    QTest::mouseClick(find(), Qt::LeftButton);
    QTest::keyClick(q.window.get(), Qt::Key_F2);
    EXPECT_EQ(shown, 2);
}

TEST(QtWindow, PagesFiveToSevenOfferSheetsAndPdf) {
    QtWindow q;
    std::map<std::string, int> buttons;
    for (auto* b : q.window->findChildren<QPushButton*>()) ++buttons[b->text().toStdString()];
    EXPECT_EQ(buttons["输出PDF"], 2);    // pages 6 and 7
    EXPECT_EQ(buttons["纵断面PDF"], 2);  // pages 5 and 7
    // The view hands its PDF printer to the three pages.
    EXPECT_NE(q.form->page5.Sheets.printer, nullptr);
    EXPECT_NE(q.form->page6.Sheets.printer, nullptr);
    EXPECT_NE(q.form->page7.Sheets.printer, nullptr);
    EXPECT_EQ(q.form->page7.Sheets.combo.items.size(), 9u);  // 单列 and four papers, two ways
}

TEST(QtWindow, TypingInAFieldSetsTheSetting) {
    QtWindow q;
    q.window->tabs()->setCurrentIndex(4);
    QLineEdit* offset = q.Editor(q.form->page5.Text7);
    ASSERT_NE(offset, nullptr);
    EXPECT_EQ(offset->text().toStdString(), "2.00");
    offset->setFocus();
    QApplication::processEvents();
    offset->selectAll();
    QTest::keyClicks(offset, "3.");
    EXPECT_EQ(q.w.settings().ValidOffset, 3);
    QTest::keyClicks(offset, "25");
    EXPECT_EQ(q.w.settings().ValidOffset, 3.25);

    q.window->tabs()->setCurrentIndex(5);
    QLineEdit* start = q.Editor(q.form->page6.Text20);
    start->setFocus();
    start->selectAll();
    QTest::keyClicks(start, "4x2.");
    EXPECT_EQ(start->text().toStdString(), "42");
    EXPECT_EQ(q.w.settings().StartSectionNo, 42);
}

TEST(QtWindow, TickingABoxEnablesItsFieldsAndMovesTheCursor) {
    QtWindow q;
    q.window->tabs()->setCurrentIndex(6);
    QLineEdit* low = q.Editor(q.form->page7.Text23);
    EXPECT_FALSE(low->isEnabled());
    q.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(q.window.get()));
    q.window->binder().Event(
        [&] { q.form->page7.Check10.Click(); });  // as the view forwards a click
    QApplication::processEvents();
    EXPECT_TRUE(low->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), low);
}

TEST(QtWindow, TheCloseBoxWritesTheSettings) {
    QtWindow q;
    q.window->tabs()->setCurrentIndex(5);
    QLineEdit* prefix = q.Editor(q.form->page6.Text19);
    prefix->selectAll();
    // Chinese comes from an input method as text, not as key codes.
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("桩号"));
    QApplication::sendEvent(prefix, &typed);
    q.window->close();
    EXPECT_TRUE(q.w.ui.ended);
    app::Settings read = app::Settings::Defaults(q.w.dir.path());
    ASSERT_TRUE(PathExists(q.w.dir.path() + "Velorin.ini"));
    app::ReadSettingsFile(q.w.dir.path() + "Velorin.ini", read);
    EXPECT_EQ(read.SectionPrefix, "桩号");
}

// The desktop program as main.cpp wires it: the Qt Ui, the drawing window with the host,
// and exiting that asks about unsaved drawings first.
struct Program {
    Program() : host(testing::SourceDir() + "support", &alerts), drawing(host), connector(drawing) {
        alerts.window = &drawing;
        program.ProgramDir = dir.path();
        program.settings = app::Settings::Defaults(dir.path());
        form = std::make_unique<window::Form1>(context);
        window = std::make_unique<qt::MainWindow>(*form);
        ui.SetWindow(window.get());
        qt::JoinDrawingWindow(ui, *window, drawing);
        form->Form_Load();
        window->Refresh();
        window->show();
        drawing.show();
        QApplication::processEvents();
    }
    std::string Ini() const { return dir.path() + "Velorin.ini"; }

    testing::TempDir dir;
    app::Program program;
    qt::QtUi ui;
    app::FixedClock clock{"2024-5-6 14:03:22"};
    qt::DrawingAlerts alerts;
    cad::embedded::Host host;
    qt::DrawingWindow drawing;
    qt::DrawingConnector connector;
    app::Context context{program, ui, clock, &connector, &drawing};
    std::unique_ptr<window::Form1> form;
    std::unique_ptr<qt::MainWindow> window;
};

TEST(QtExit, UnsavedDrawingsAreAskedAboutBeforeAnythingCloses) {
    Program p;
    cad::embedded::HostDocument* doc = p.drawing.NewDrawing();
    doc->drawing().AddPolyline({{0, 0}, {10, 10}});
    p.drawing.Refresh();

    // "取消" cancels the whole exit: both windows stay, nothing is written.
    testing::Answer cancel;
    testing::AnswerNextBox(QString::fromUtf8("取消"), &cancel);
    p.window->close();
    EXPECT_TRUE(cancel.seen);
    EXPECT_TRUE(p.window->isVisible());
    EXPECT_TRUE(p.drawing.isVisible());
    EXPECT_EQ(p.host.documents().size(), 1u);
    EXPECT_FALSE(PathExists(p.Ini()));

    // Closing the drawing window only hides it; its drawing stays for F2.
    p.drawing.close();
    EXPECT_FALSE(p.drawing.isVisible());
    EXPECT_EQ(p.host.documents().size(), 1u);

    // The exit button asks again, showing the drawing window; "不保存" lets the program end.
    testing::Answer discard;
    testing::AnswerNextBox(QString::fromUtf8("不保存"), &discard);
    p.form->page1.Command1.Click();
    EXPECT_TRUE(discard.seen);
    EXPECT_TRUE(p.host.documents().empty());
    EXPECT_TRUE(PathExists(p.Ini()));
}

// A drawing command run from its page button is one undo step in the drawing it changed,
// with its result in the status line; Ctrl+Z takes it back and Ctrl+Y does it again.
TEST(QtUndo, APageCommandIsOneStepWithItsResult) {
    Program p;
    std::string path = p.dir.File("road.dxf");
    testing::WriteBytes(path,
                        testing::ReadBytes(testing::SourceDir() + "examples/road/road_lines.dxf"));
    cad::embedded::HostDocument* doc = p.drawing.OpenDrawing(path);
    ASSERT_NE(doc, nullptr);
    auto aux_lines = [&] {
        int n = 0;
        for (const auto& e : doc->drawing().entities())
            n += !e->erased && e->Layer() == cad::kValidRangeLayer.name;
        return n;
    };
    doc->drawing().AddLayer(cad::kValidRangeLayer.name);
    doc->SetVariable("CLayer", std::string(cad::kValidRangeLayer.name));
    doc->drawing().AddPolyline({{0, 0}, {10, 0}});
    doc->drawing().AddPolyline({{0, 5}, {10, 5}});
    ASSERT_TRUE(doc->session().Record("辅助线"));
    ASSERT_EQ(aux_lines(), 2);

    QPushButton* button = nullptr;
    for (QPushButton* b : p.window->findChildren<QPushButton*>())
        if (b->text() == QString::fromUtf8("删辅助线")) button = b;
    ASSERT_NE(button, nullptr);
    testing::Answer done;
    testing::AnswerNextBox(QString::fromUtf8("确定"), &done);
    button->click();
    QApplication::processEvents();
    EXPECT_EQ(done.text, QString::fromUtf8("辅助线清理完毕！"));
    EXPECT_EQ(aux_lines(), 0);
    EXPECT_EQ(p.drawing.prompt()->text(), QString::fromUtf8("已删除 2 条辅助线"));
    EXPECT_TRUE(p.drawing.undo_action()->isEnabled());
    EXPECT_EQ(doc->session().UndoLabel(), "删辅助线");

    EXPECT_EQ(p.drawing.undo_action()->shortcut(), QKeySequence(QKeySequence::Undo));
    EXPECT_EQ(p.drawing.redo_action()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Y));
    p.drawing.undo_action()->trigger();
    EXPECT_EQ(aux_lines(), 2);
    EXPECT_EQ(p.drawing.prompt()->text(), QString::fromUtf8("已撤销：删辅助线"));
    p.drawing.redo_action()->trigger();
    EXPECT_EQ(aux_lines(), 0);
    EXPECT_EQ(p.drawing.prompt()->text(), QString::fromUtf8("已重做：删辅助线"));
    EXPECT_FALSE(p.drawing.redo_action()->isEnabled());
}

// Qt's own buttons speak Chinese, as the rest of the program does.
TEST(QtTranslations, StandardButtonsAreChinese) {
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                             QDialogButtonBox::Yes | QDialogButtonBox::No);
    const std::pair<QDialogButtonBox::StandardButton, const char*> expected[] = {
        {QDialogButtonBox::Ok, "确定"},
        {QDialogButtonBox::Cancel, "取消"},
        {QDialogButtonBox::Yes, "是"},
        {QDialogButtonBox::No, "否"}};
    for (auto [button, text] : expected) {
        QString shown = buttons.button(button)->text().remove(QLatin1Char('&'));
        EXPECT_TRUE(shown.startsWith(QString::fromUtf8(text))) << shown.toStdString();
    }
}

TEST(QtWindow, StepsAsideToTheRightEdgeAndBack) {
    QtWindow q;
    qt::QtUi ui;
    ui.SetWindow(q.window.get());
    QRect screen = q.window->screen()->geometry();
    double dpi = q.window->screen()->logicalDotsPerInch();
    int home = q.window->pos().x();
    EXPECT_EQ(home, screen.left() + qt::TwipsToPixels(
                                        qt::PixelsToTwips(screen.width(), dpi) - 8610 - 300, dpi));
    ui.WindowAside(true);
    EXPECT_EQ(q.window->pos().x(),
              screen.left() + qt::TwipsToPixels(qt::PixelsToTwips(screen.width(), dpi) - 300, dpi));
    ui.WindowAside(false);
    EXPECT_EQ(q.window->pos().x(), home);
}

TEST(QtWindow, TwipsFollowTheScreensResolution) {
    EXPECT_EQ(qt::TwipsToPixels(8610, 96), 574);
    EXPECT_EQ(qt::TwipsToPixels(6090, 96), 406);
    EXPECT_EQ(qt::TwipsToPixels(8610, 144), 861);
    EXPECT_EQ(qt::PixelsToTwips(1920, 96), 28800);
}

}  // namespace
}  // namespace velorin

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The drawing window records recent files in the user's config folder: a scratch one.
    velorin::testing::TempDir config;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.path()));
    QApplication app(argc, argv);
    velorin::qt::UseChineseFont();
    if (!velorin::qt::UseChineseTranslations()) return 1;  // said why on standard error
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
