#include "qt/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
#include <QTranslator>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "qt/drawing/drawing_window.h"
#include "qt/qt_ui.h"

namespace velorin::qt {

namespace {

// A row of widgets; a null entry stands for stretch.
QHBoxLayout* Row(std::initializer_list<QWidget*> widgets) {
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    for (QWidget* w : widgets) {
        if (w)
            row->addWidget(w);
        else
            row->addStretch(1);
    }
    return row;
}

QVBoxLayout* Column(std::initializer_list<QWidget*> widgets) {
    auto* col = new QVBoxLayout;
    col->setSpacing(3);
    for (QWidget* w : widgets) {
        if (w)
            col->addWidget(w);
        else
            col->addStretch(1);
    }
    return col;
}

QWidget* Frame(QLayout* layout) {
    auto* w = new QWidget;
    layout->setContentsMargins(0, 0, 0, 0);
    w->setLayout(layout);
    return w;
}

QWidget* PageWidget(QLayout* layout) {
    auto* w = new QWidget;
    layout->setContentsMargins(6, 6, 6, 6);
    w->setLayout(layout);
    return w;
}

// A column of fixed width at a page's left.
QWidget* FixedColumn(QLayout* layout, int width) {
    QWidget* w = Frame(layout);
    w->setFixedWidth(width);
    return w;
}

// The drive, folder and file lists of a file page, one above the other; the folder and
// file lists share the height.
QVBoxLayout* FileLists(Binder& binder, window::DriveList& drive, window::DirList& dir,
                       window::FileList& files) {
    auto* col = new QVBoxLayout;
    col->setSpacing(3);
    col->addWidget(binder.Bind(drive));
    col->addWidget(binder.Bind(dir), 1);
    col->addWidget(binder.Bind(files), 1);
    return col;
}

// A page of a fixed-width column at the left and the rest to the right.
QWidget* SideAndMain(QWidget* side, QLayout* main) {
    auto* page = new QHBoxLayout;
    page->addWidget(side);
    page->addLayout(main, 1);
    return PageWidget(page);
}

// The tab pictures: a coloured tile with the page's number.
QIcon TabIcon(int number) {
    static const QColor colors[] = {QColor(0x4a, 0x6f, 0xa5), QColor(0x2e, 0x8b, 0x57),
                                    QColor(0xb8, 0x86, 0x0b), QColor(0x8b, 0x45, 0x13),
                                    QColor(0x6a, 0x5a, 0xcd), QColor(0xc7, 0x15, 0x85),
                                    QColor(0x20, 0x80, 0x80)};
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colors[(number - 1) % 7]);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(20);
    p.setFont(font);
    p.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, QString::number(number));
    return QIcon(pixmap);
}

// Tabs drawn plainly, each as wide as its picture and caption, so that the seven tabs
// fit the strip at the window's fixed size whatever the widget style adds around them.
class TabBar : public QTabBar {
  protected:
    QSize tabSizeHint(int index) const override {
        int width = iconSize().width() + fontMetrics().horizontalAdvance(tabText(index)) + 9;
        return QSize(width, std::max(fontMetrics().height(), iconSize().height()) + 8);
    }
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        for (int i = 0; i < count(); ++i) {
            QRect r = tabRect(i);
            bool chosen = i == currentIndex();
            if (!chosen) r.adjust(0, 2, 0, 0);
            p.setPen(palette().color(QPalette::Mid));
            p.setBrush(palette().color(chosen ? QPalette::Window : QPalette::Button));
            p.drawRoundedRect(r.adjusted(0, 0, -1, chosen ? 2 : 0), 3, 3);
            QSize icon = iconSize();
            QPoint at(r.left() + 3, r.center().y() - icon.height() / 2 + 1);
            tabIcon(i).paint(&p, QRect(at, icon));
            p.setPen(palette().color(QPalette::WindowText));
            QRect text = r.adjusted(icon.width() + 6, 0, 0, 0);
            p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, tabText(i));
        }
    }
};

class TabWidget : public QTabWidget {
  public:
    TabWidget() { setTabBar(new TabBar); }
};

double ScreenDpi(const QWidget* w) {
    QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}

}  // namespace

int TwipsToPixels(int twips, double dots_per_inch) {
    return static_cast<int>(std::lround(twips * dots_per_inch / 1440.0));
}

int PixelsToTwips(int pixels, double dots_per_inch) {
    return static_cast<int>(std::lround(pixels * 1440.0 / dots_per_inch));
}

void UseChineseFont() {
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPointSize(9);
    QApplication::setFont(font);
}

bool UseChineseTranslations() {
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    bool all = true;
    for (const char* name : {"qtbase_zh_CN", "qt_zh_CN"}) {
        auto* translator = new QTranslator(qApp);  // lives as long as the application
        if (translator->load(QString::fromLatin1(name), folder)) {
            QCoreApplication::installTranslator(translator);
        } else {
            delete translator;
            all = false;
            std::fprintf(stderr,
                         "velorin: Qt 的中文翻译 %s.qm 不在 %s（请安装 qt6-translations-l10n）\n",
                         name, folder.toUtf8().constData());
        }
    }
    return all;
}

MainWindow::MainWindow(window::Form1& form) : form_(form), binder_([this] { Refresh(); }) {
    setWindowTitle(QString::fromUtf8(window::Form1::kCaption));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    tabs_ = new TabWidget;
    // Seven captions and their pictures must fit the strip's width: a slightly smaller
    // font, small pictures and tabs no wider than their content.
    tabs_->setIconSize(QSize(12, 12));
    tabs_->setUsesScrollButtons(false);
    tabs_->tabBar()->setElideMode(Qt::ElideNone);
    QFont tab_font = QApplication::font();
    tab_font.setPointSizeF(tab_font.pointSizeF() - 1.5);
    tabs_->tabBar()->setFont(tab_font);
    layout->addWidget(tabs_);
    QWidget* pages[] = {BuildPage1(), BuildPage2(), BuildPage3(), BuildPage4(),
                        BuildPage5(), BuildPage6(), BuildPage7()};
    for (int i = 0; i < 7; ++i) tabs_->addTab(pages[i], TabIcon(i + 1), QString());
    connect(tabs_, &QTabWidget::currentChanged, this,
            [this](int index) { binder_.Event([this, index] { form_.Strip1_Click(index + 1); }); });
}

void MainWindow::Refresh() {
    binder_.Sync();
    {
        QSignalBlocker block(tabs_);
        for (int i = 0; i < 7; ++i) {
            QString caption = QString::fromStdString(form_.Strip1.captions[i]);
            if (tabs_->tabText(i) != caption) tabs_->setTabText(i, caption);
        }
        if (form_.Strip1.selected >= 1 && tabs_->currentIndex() != form_.Strip1.selected - 1)
            tabs_->setCurrentIndex(form_.Strip1.selected - 1);
    }
    if (form_.Strip1.selected >= 1) {
        window::Page& page = form_.CurrentPage();
        if (window::TextBox* field = page.focus) {
            page.focus = nullptr;
            if (QLineEdit* editor = binder_.EditorOf(field)) editor->setFocus(Qt::OtherFocusReason);
        }
    }
}

void MainWindow::PlaceHome() {
    const double dpi = ScreenDpi(this);
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    window::TwipRect place = window::Form1::HomePlace(PixelsToTwips(area.width(), dpi),
                                                      PixelsToTwips(area.height(), dpi));
    resize(TwipsToPixels(place.width, dpi), TwipsToPixels(place.height, dpi));
    move(area.left() + TwipsToPixels(place.left, dpi), area.top() + TwipsToPixels(place.top, dpi));
}

void MainWindow::StepAside(bool aside) {
    const double dpi = ScreenDpi(this);
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    int screen_w = PixelsToTwips(area.width(), dpi), screen_h = PixelsToTwips(area.height(), dpi);
    window::TwipRect home = window::Form1::HomePlace(screen_w, screen_h);
    window::TwipRect place = aside ? window::Form1::AsidePlace(screen_w, screen_h) : home;
    // Only the left edge moves; the top stays where the user left the window.
    move(area.left() + TwipsToPixels(place.left, dpi), pos().y());
    QApplication::processEvents();
}

void MainWindow::EndProgram() {
    ending_ = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The close box leaves the program like the exit buttons, settings written; the user
    // may still cancel when a drawing has unsaved changes.
    if (!ending_ && !form_.Form_Unload()) {
        event->ignore();
        return;
    }
    event->accept();
}

// ---- The pages. Every field stands beside its caption; lists and grids take the room left.

void MainWindow::SetShowDrawingWindow(std::function<void()> show) {
    show_drawing_window_ = std::move(show);
    show_drawing_->setVisible(static_cast<bool>(show_drawing_window_));
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F2), this);
    connect(shortcut, &QShortcut::activated, this, [this] {
        if (show_drawing_window_) show_drawing_window_();
    });
}

QWidget* MainWindow::BuildPage1() {
    window::Page1& p = form_.page1;
    auto* drives = binder_.Bind(p.Drive1);
    auto* folders = binder_.Bind(p.Dir1);
    auto* left = new QGroupBox(QString::fromUtf8("主目录"));
    left->setLayout(Column({drives, folders}));
    left->setFixedWidth(230);

    auto* about = binder_.Bind(p.About);
    about->setAlignment(Qt::AlignCenter);
    about->setWordWrap(true);
    QFont big = about->font();
    big.setPointSize(big.pointSize() + 5);
    big.setBold(true);
    about->setFont(big);
    auto* right = new QVBoxLayout;
    right->addLayout(Row({binder_.Bind(p.Label1), binder_.Bind(p.Text1)}));
    right->addWidget(about, 1);
    right->addWidget(binder_.Bind(p.Mess));
    show_drawing_ = new QPushButton(QString::fromUtf8("图形窗口"));
    show_drawing_->setToolTip(QString::fromUtf8("显示图形窗口（F2）"));
    show_drawing_->setVisible(false);  // only where the program has a drawing window
    connect(show_drawing_, &QPushButton::clicked, this, [this] {
        if (show_drawing_window_) show_drawing_window_();
    });
    right->addLayout(Row({show_drawing_, nullptr, binder_.Bind(p.Command1)}));

    return SideAndMain(left, right);
}

QWidget* MainWindow::BuildPage2() {
    window::Page2& p = form_.page2;
    QVBoxLayout* left = FileLists(binder_, p.Drive2, p.Dir2, p.File1);

    auto* limit = binder_.Bind(p.Text3);
    limit->setFixedWidth(48);
    auto* right = new QVBoxLayout;
    right->setSpacing(3);
    right->addLayout(Row({binder_.Bind(p.Label2), binder_.Bind(p.Combo1), nullptr}));
    right->addLayout(Row({binder_.Bind(p.Label3), binder_.Bind(p.Text2)}));
    right->addLayout(Row({binder_.Bind(p.Label4), limit, binder_.Bind(p.Label5), nullptr}));
    right->addWidget(binder_.Bind(p.List3), 1);
    right->addLayout(Row({nullptr, binder_.Bind(p.Command2), binder_.Bind(p.Command3)}));

    return SideAndMain(FixedColumn(left, 190), right);
}

QWidget* MainWindow::BuildPage3() {
    window::Page3& p = form_.page3;
    QVBoxLayout* left = FileLists(binder_, p.Drive3, p.Dir3, p.File2);

    auto* grids = new QGridLayout;
    grids->setSpacing(3);
    grids->addWidget(binder_.Bind(p.Label8), 0, 0);
    grids->addWidget(binder_.Bind(p.ctl1), 1, 0);
    grids->addWidget(binder_.Bind(p.Label10), 0, 1);
    grids->addWidget(binder_.Bind(p.cor1), 1, 1);
    grids->addWidget(binder_.Bind(p.Label9), 2, 0);
    grids->addWidget(binder_.Bind(p.List2), 3, 0);
    grids->addWidget(binder_.Bind(p.List1), 2, 1, 2, 1);
    grids->setRowStretch(1, 1);
    grids->setRowStretch(3, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(FixedColumn(left, 150));
    top->addLayout(grids, 1);
    auto* page = new QVBoxLayout;
    page->setSpacing(3);
    page->addLayout(top, 1);
    page->addLayout(Row({binder_.Bind(p.Label6), binder_.Bind(p.Combo2), binder_.Bind(p.Label7),
                         binder_.Bind(p.Text5)}));
    page->addLayout(Row({binder_.Bind(p.Label11), binder_.Bind(p.Option1), binder_.Bind(p.Option2),
                         binder_.Bind(p.Option3), nullptr, binder_.Bind(p.Command4),
                         binder_.Bind(p.Command5), binder_.Bind(p.Command6)}));
    return PageWidget(page);
}

QWidget* MainWindow::BuildPage4() {
    window::Page4& p = form_.page4;
    QVBoxLayout* left = FileLists(binder_, p.Drive4, p.Dir4, p.File3);
    left->addLayout(Row({binder_.Bind(p.Label12), binder_.Bind(p.Combo3)}));

    auto* fields = new QGridLayout;
    fields->setSpacing(4);
    fields->addWidget(binder_.Bind(p.Check1), 0, 0);
    fields->addWidget(binder_.Bind(p.Check2), 0, 1);
    fields->addWidget(binder_.Bind(p.Label13), 1, 0);
    fields->addWidget(binder_.Bind(p.Text4), 1, 1);
    fields->addWidget(binder_.Bind(p.Label14), 2, 0);
    fields->addWidget(binder_.Bind(p.Text6), 2, 1);
    fields->addWidget(binder_.Bind(p.Label15), 3, 0);
    fields->addWidget(binder_.Bind(p.Combo4), 3, 1);
    fields->addWidget(binder_.Bind(p.Option4), 4, 0, 1, 2);
    fields->addWidget(binder_.Bind(p.Option5), 5, 0, 1, 2);
    fields->addWidget(binder_.Bind(p.Label16), 6, 0);
    fields->addWidget(binder_.Bind(p.Combo5), 6, 1);
    fields->setRowStretch(7, 1);
    auto* middle = new QVBoxLayout;
    middle->addLayout(fields, 1);
    middle->addLayout(
        Row({binder_.Bind(p.Command8), binder_.Bind(p.Command9), binder_.Bind(p.Command10)}));

    auto* page = new QHBoxLayout;
    page->addWidget(FixedColumn(left, 175));
    page->addWidget(FixedColumn(middle, 185));
    page->addWidget(binder_.Bind(p.Pic1), 1);
    return PageWidget(page);
}

QWidget* MainWindow::BuildPage5() {
    window::Page5& p = form_.page5;
    auto* fields = new QGridLayout;
    fields->setSpacing(3);
    int r = 0;
    fields->addWidget(binder_.Bind(p.Label17), r, 0);
    fields->addWidget(binder_.Bind(p.Text8), r++, 1, 1, 3);
    fields->addWidget(binder_.Bind(p.Label18), r, 0);
    fields->addWidget(binder_.Bind(p.Combo8), r++, 1, 1, 3);
    fields->addWidget(binder_.Bind(p.Label19), r, 0);
    fields->addWidget(binder_.Bind(p.Text7), r, 1, 1, 2);
    fields->addWidget(binder_.Bind(p.Label20), r++, 3);
    fields->addWidget(binder_.Bind(p.Check3), r, 0);
    fields->addWidget(binder_.Bind(p.Text11), r++, 1, 1, 3);
    fields->addWidget(binder_.Bind(p.Check4), r, 0);
    fields->addWidget(binder_.Bind(p.Text12), r++, 1, 1, 3);
    fields->addWidget(binder_.Bind(p.Label21), r, 0);
    fields->addWidget(binder_.Bind(p.Combo6), r++, 1, 1, 3);
    fields->addWidget(binder_.Bind(p.Label22), r, 0);
    fields->addWidget(binder_.Bind(p.Combo7), r++, 1, 1, 3);
    auto* km = binder_.Bind(p.Text9);
    auto* m = binder_.Bind(p.Text10);
    fields->addWidget(binder_.Bind(p.Label23), r, 0);
    fields->addWidget(km, r, 1);
    fields->addWidget(binder_.Bind(p.Label24), r, 2);
    fields->addWidget(m, r++, 3);
    fields->setRowStretch(r, 1);
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(3, 1);

    auto* right = new QVBoxLayout;
    right->setSpacing(3);
    right->addWidget(binder_.Bind(p.Cross1), 3);
    right->addWidget(binder_.Bind(p.Pic2), 2);

    auto* top = new QHBoxLayout;
    top->addWidget(FixedColumn(fields, 250));
    top->addLayout(right, 1);
    auto* page = new QVBoxLayout;
    page->addLayout(top, 1);
    p.Sheets.printer = &sheet_printer_;
    page->addLayout(
        Row({binder_.Bind(p.Command11), binder_.Bind(p.Command12), binder_.Bind(p.Command13),
             binder_.Bind(p.Command14), binder_.Bind(p.Sheets.label), binder_.Bind(p.Sheets.combo),
             binder_.Bind(p.Sheets.profile_pdf), nullptr, binder_.Bind(p.Command15)}));
    return PageWidget(page);
}

QWidget* MainWindow::BuildPage6() {
    window::Page6& p = form_.page6;
    auto* fields = new QGridLayout;
    fields->setVerticalSpacing(2);
    fields->setHorizontalSpacing(3);
    int r = 0;
    auto pair = [&](QWidget* caption, QWidget* field) {
        fields->addWidget(caption, r, 0);
        fields->addWidget(field, r++, 1, 1, 3);
    };
    pair(binder_.Bind(p.Label25), binder_.Bind(p.Text13));
    fields->addWidget(binder_.Bind(p.Check9), r++, 0, 1, 4);
    pair(binder_.Bind(p.Label26), binder_.Bind(p.Text14));
    pair(binder_.Bind(p.Label27), binder_.Bind(p.Combo9));
    pair(binder_.Bind(p.Label28), binder_.Bind(p.Text15));
    pair(binder_.Bind(p.Label29), binder_.Bind(p.Combo10));
    pair(binder_.Bind(p.Label30), binder_.Bind(p.Combo11));
    fields->addWidget(binder_.Bind(p.Check5), r, 0);
    fields->addWidget(binder_.Bind(p.Text16), r, 1);
    fields->addWidget(binder_.Bind(p.Label31), r, 2);
    fields->addWidget(binder_.Bind(p.Text17), r++, 3);
    pair(binder_.Bind(p.Label32), binder_.Bind(p.Text18));
    pair(binder_.Bind(p.Label33), binder_.Bind(p.Text19));
    pair(binder_.Bind(p.Label34), binder_.Bind(p.Text20));
    pair(binder_.Bind(p.Label35), binder_.Bind(p.Text21));
    fields->setRowStretch(r, 1);
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(3, 1);

    auto* right = new QVBoxLayout;
    right->setSpacing(2);
    right->addWidget(binder_.Bind(p.Check6));
    right->addLayout(Row({binder_.Bind(p.Check7), binder_.Bind(p.Check8), nullptr}));
    right->addWidget(binder_.Bind(p.Pic3), 1);

    auto* top = new QHBoxLayout;
    top->addWidget(FixedColumn(fields, 255));
    top->addLayout(right, 1);
    auto* page = new QVBoxLayout;
    page->setSpacing(3);
    page->addLayout(top, 1);
    p.Sheets.printer = &sheet_printer_;
    page->addLayout(
        Row({binder_.Bind(p.Command16), binder_.Bind(p.Command17), binder_.Bind(p.Command18),
             binder_.Bind(p.Command19), binder_.Bind(p.Sheets.label), binder_.Bind(p.Sheets.combo),
             binder_.Bind(p.Sheets.pdf), binder_.Bind(p.Command20), nullptr,
             binder_.Bind(p.Command21)}));
    return PageWidget(page);
}

QWidget* MainWindow::BuildPage7() {
    window::Page7& p = form_.page7;
    auto* files = new QGroupBox;
    auto* files_layout =
        Column({binder_.Bind(p.Drive5), binder_.Bind(p.Dir5), binder_.Bind(p.File4)});
    files_layout->setContentsMargins(4, 4, 4, 4);
    files->setLayout(files_layout);
    QLabel* frame_caption = binder_.Bind(p.Label36);
    auto* left = new QVBoxLayout;
    left->setSpacing(2);
    left->addWidget(frame_caption);
    left->addWidget(files, 1);
    left->addWidget(binder_.Bind(p.Label44));
    left->addWidget(binder_.Bind(p.Combo14));
    left->addWidget(binder_.Bind(p.Text22));

    auto* lists = new QGridLayout;
    lists->setSpacing(3);
    lists->addWidget(binder_.Bind(p.Label37), 0, 0);
    lists->addWidget(binder_.Bind(p.List4), 1, 0);
    lists->addWidget(binder_.Bind(p.Label38), 0, 1);
    lists->addWidget(binder_.Bind(p.List5), 1, 1);
    lists->setRowStretch(1, 1);

    auto* low = binder_.Bind(p.Text23);
    auto* high = binder_.Bind(p.Text24);
    low->setFixedWidth(56);
    high->setFixedWidth(56);
    auto* right = new QVBoxLayout;
    right->setSpacing(3);
    right->addLayout(lists, 1);
    right->addLayout(Row({binder_.Bind(p.Label39), binder_.Bind(p.Combo12), binder_.Bind(p.Label40),
                          binder_.Bind(p.Combo13), nullptr}));
    right->addLayout(Row({binder_.Bind(p.Check10), low, binder_.Bind(p.Label41), high,
                          binder_.Bind(p.Label42), nullptr}));
    right->addLayout(Row({binder_.Bind(p.Label43), binder_.Bind(p.Text25)}));
    // The save formats: the two of the section data file, then the exchange formats with
    // the chainage fields they need when section names are not chainages.
    right->addLayout(Row({binder_.Bind(p.Check11), binder_.Bind(p.Check12), nullptr}));
    right->addLayout(Row({binder_.Bind(p.Check13), binder_.Bind(p.Check14), binder_.Bind(p.Check15),
                          binder_.Bind(p.Check16), nullptr}));
    auto* start = binder_.Bind(p.Text26);
    auto* spacing = binder_.Bind(p.Text27);
    start->setFixedWidth(90);
    spacing->setFixedWidth(56);
    right->addLayout(Row({binder_.Bind(p.Label45), start, binder_.Bind(p.Label46), spacing,
                          binder_.Bind(p.Label47), nullptr}));
    p.Sheets.printer = &sheet_printer_;
    right->addLayout(
        Row({binder_.Bind(p.Sheets.label), binder_.Bind(p.Sheets.combo), binder_.Bind(p.Sheets.pdf),
             binder_.Bind(p.Sheets.profile_pdf), nullptr}));
    right->addLayout(Row({binder_.Bind(p.Command23), binder_.Bind(p.Command24),
                          binder_.Bind(p.Command25), nullptr, binder_.Bind(p.Command7)}));

    return SideAndMain(FixedColumn(left, 165), right);
}

void JoinDrawingWindow(QtUi& ui, MainWindow& window, DrawingWindow& drawing) {
    ui.SetBeforeEnd([&drawing] { return drawing.CloseAllDrawings(); });
    window.binder().SetAfterClick(
        [&drawing](const std::string& caption) { drawing.CommandEnded(caption); });
}

}  // namespace velorin::qt
