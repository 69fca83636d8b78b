#include "qt/drawing/drawing_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "base/file_system.h"
#include "base/numbers.h"
#include "base/paths.h"
#include "base/strings.h"
#include "base/text_file.h"
#include "cad/dwg_converter.h"
#include "cad/embedded/block_cycles.h"
#include "cad/embedded/paint.h"
#include "qt/paint/picture.h"
#include "qt/paint/qt_paint_backend.h"

namespace velorin::qt {

using cad::embedded::Drawing;
using cad::embedded::EntityBase;
using cad::embedded::HostDocument;

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

QIcon ColourIcon(int aci) {
    QPixmap pixmap(12, 12);
    cad::embedded::Rgb c = cad::embedded::AciColour(aci);
    pixmap.fill(QColor(c.r, c.g, c.b));
    QPainter p(&pixmap);
    p.setPen(Qt::darkGray);
    p.drawRect(0, 0, 11, 11);
    return QIcon(pixmap);
}

// The basic colour numbers a new layer can get.
const struct {
    int index;
    const char* name;
} kColours[] = {{1, "红"},   {2, "黄"}, {3, "绿"}, {4, "青"},  {5, "蓝"},
                {6, "洋红"}, {7, "白"}, {8, "灰"}, {9, "浅灰"}};

// A question with the given buttons, their texts in Chinese.
QMessageBox::StandardButton Ask(QWidget* parent, const QString& text,
                                QMessageBox::StandardButtons buttons) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Velorin 绘图"), text, buttons, parent);
    const std::pair<QMessageBox::StandardButton, const char*> names[] = {
        {QMessageBox::Save, "保存"},
        {QMessageBox::Discard, "不保存"},
        {QMessageBox::Cancel, "取消"},
        {QMessageBox::Yes, "是"},
        {QMessageBox::No, "否"}};
    for (const auto& [button, name] : names)
        if (QAbstractButton* b = box.button(button)) b->setText(QString::fromUtf8(name));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

const char* const DrawingWindow::kPickHint = "（回车或右键结束，Esc 取消）";

DrawingWindow::DrawingWindow(cad::embedded::Host& host, QWidget* parent)
    : QMainWindow(parent), host_(host) {
    host_.set_picker(this);
    setWindowTitle(Q(host_.Caption()));
    resize(1000, 700);
    setAcceptDrops(true);  // DXF and DWG files dropped on the window open

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    tabs_ = new QTabBar(central);
    tabs_->setTabsClosable(true);
    tabs_->setExpanding(false);
    tabs_->setDocumentMode(true);
    view_ = new DrawingView(central);
    layout->addWidget(tabs_);
    layout->addWidget(view_, 1);
    setCentralWidget(central);

    prompt_ = new QLabel(this);
    cursor_ = new QLabel(this);
    snap_label_ = new QLabel(QStringLiteral("捕捉：开"), this);
    work_label_ = new QLabel(this);
    progress_bar_ = new QProgressBar(this);
    progress_bar_->setMaximumWidth(220);
    statusBar()->addWidget(prompt_, 1);
    statusBar()->addPermanentWidget(work_label_);
    statusBar()->addPermanentWidget(progress_bar_);
    statusBar()->addPermanentWidget(snap_label_);
    statusBar()->addPermanentWidget(cursor_);
    work_label_->hide();
    progress_bar_->hide();

    BuildMenus();

    QObject::connect(tabs_, &QTabBar::currentChanged, this, [this](int index) { ShowTab(index); });
    QObject::connect(tabs_, &QTabBar::tabCloseRequested, this, [this](int index) {
        auto* doc = reinterpret_cast<HostDocument*>(tabs_->tabData(index).value<quintptr>());
        CloseDrawing(doc);
    });
    QObject::connect(layer_box_, &QComboBox::activated, this, [this](int index) {
        SetCurrentLayer(layer_box_->itemData(index).toString().toStdString());
    });
    view_->on_polyline = [this](const std::vector<Point2>& points) { AddPolyline(points); };
    view_->on_delete = [this] { EraseSelection(); };
    view_->on_end = [this](bool accept) { EndSelection(accept); };
    view_->on_point = [this](Point2 at, double aperture) { QueryPoint(at, aperture); };
    view_->on_cursor = [this](Point2 p) {
        cursor_->setText(Q(Format(p.x, "#0.000") + ", " + Format(p.y, "#0.000")));
    };
    Refresh();
}

DrawingWindow::~DrawingWindow() {
    if (host_.picker() == this) host_.set_picker(nullptr);
}

void DrawingWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    auto doc_action = [this](QMenu* menu, const char* text, QKeySequence key,
                             std::function<void()> run) {
        QAction* a = menu->addAction(QString::fromUtf8(text));
        if (!key.isEmpty()) a->setShortcut(key);
        QObject::connect(a, &QAction::triggered, this, run);
        document_actions_.push_back(a);
        return a;
    };
    doc_action(file, "新建(&N)", QKeySequence::New, [this] { NewDrawing(); });
    doc_action(file, "打开(&O)…", QKeySequence::Open, [this] {
        QString path = QFileDialog::getOpenFileName(
            this, QStringLiteral("打开图形"), QString(),
            QStringLiteral("图形 (*.dxf *.DXF *.dwg *.DWG);;DXF 图形 (*.dxf *.DXF);;"
                           "DWG 图形 (*.dwg *.DWG)"));
        if (!path.isEmpty()) OpenDrawing(path.toStdString());
    });
    doc_action(file, "保存(&S)", QKeySequence::Save, [this] { SaveDrawing(Shown()); });
    doc_action(file, "另存为(&A)…", QKeySequence(), [this] { SaveDrawingAs(Shown()); });
    doc_action(file, "重新载入(&R)", QKeySequence(), [this] { ReloadDrawing(Shown()); });
    doc_action(file, "关闭图形(&C)", QKeySequence::Close, [this] { CloseDrawing(Shown()); });
    doc_action(file, "打印(&P)…", QKeySequence::Print, [this] { PrintDialog(); });
    file->addSeparator();
    recent_menu_ = file->addMenu(QStringLiteral("最近打开的文件(&T)"));
    document_actions_.push_back(recent_menu_->menuAction());
    QObject::connect(recent_menu_, &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });
    FillRecentMenu();

    QMenu* edit = menuBar()->addMenu(QStringLiteral("编辑(&E)"));
    undo_action_ = doc_action(edit, "撤销(&U)", QKeySequence::Undo, [this] { Undo(); });
    redo_action_ =
        doc_action(edit, "重做(&R)", QKeySequence(Qt::CTRL | Qt::Key_Y), [this] { Redo(); });
    redo_action_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence::Redo});
    doc_action(edit, "删除(&D)", QKeySequence(), [this] { EraseSelection(); });
    doc_action(edit, "多段线(&P)", QKeySequence(), [this] {
        view_->SetTool(DrawingView::Tool::Polyline);
        prompt_->setText(QStringLiteral("多段线：单击各顶点，回车或右键结束，Esc 取消"));
    });

    QMenu* tools = menuBar()->addMenu(QStringLiteral("工具(&T)"));
    doc_action(tools, "查询(&Q)", QKeySequence(), [this] { StartQuery(); });
    snap_action_ = tools->addAction(QStringLiteral("对象捕捉(&S)"));
    snap_action_->setCheckable(true);
    snap_action_->setChecked(view_->snap());
    snap_action_->setShortcut(QKeySequence(Qt::Key_F3));
    snap_action_->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(snap_action_, &QAction::toggled, this, [this](bool on) {
        view_->SetSnap(on);
        snap_label_->setText(on ? QStringLiteral("捕捉：开") : QStringLiteral("捕捉：关"));
    });

    QMenu* zoom = menuBar()->addMenu(QStringLiteral("视图(&V)"));
    QObject::connect(zoom->addAction(QStringLiteral("范围缩放(&E)")), &QAction::triggered, this,
                     [this] { view_->ZoomExtents(); });
    QObject::connect(zoom->addAction(QStringLiteral("窗口缩放(&W)")), &QAction::triggered, this,
                     [this] {
                         view_->SetTool(DrawingView::Tool::ZoomWindow);
                         prompt_->setText(QStringLiteral("窗口缩放：拖出要显示的范围"));
                     });
    QObject::connect(zoom->addAction(QStringLiteral("上一个视图(&P)")), &QAction::triggered, this,
                     [this] { view_->ZoomPrevious(); });
    QObject::connect(
        zoom->addAction(QStringLiteral("平移(&A)")), &QAction::triggered, this, [this] {
            view_->SetTool(DrawingView::Tool::Pan);
            prompt_->setText(QStringLiteral("平移：按住左键拖动图形，回车、右键或 Esc 结束"));
        });

    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    QObject::connect(help->addAction(QStringLiteral("用户指南(&G)")), &QAction::triggered, this,
                     [this] { OpenUserGuide(); });
    QObject::connect(help->addAction(QStringLiteral("关于 Velorin(&A)")), &QAction::triggered, this,
                     [this] { ShowAbout(); });

    QToolBar* bar = addToolBar(QStringLiteral("图层"));
    bar->setMovable(false);
    bar->addWidget(new QLabel(QStringLiteral(" 图层："), bar));
    layer_box_ = new QComboBox(bar);
    layer_box_->setMinimumWidth(180);
    bar->addWidget(layer_box_);
    QAction* new_layer = bar->addAction(QStringLiteral("新建图层…"));
    QObject::connect(new_layer, &QAction::triggered, this, [this] { NewLayerDialog(); });
    document_actions_.push_back(new_layer);
    bar->addSeparator();
    for (QMenu* menu : {edit, tools, zoom})
        for (QAction* a : menu->actions()) bar->addAction(a);
}

// --- Keeping up with the host ---

HostDocument* DrawingWindow::Shown() const { return view_->document(); }

HostDocument* DrawingWindow::DocumentOf(const Drawing& drawing) const {
    for (const auto& d : host_.documents())
        if (&d->drawing() == &drawing) return d.get();
    return nullptr;
}

void DrawingWindow::ScheduleRefresh() {
    if (refresh_pending_) return;
    refresh_pending_ = true;
    QTimer::singleShot(0, this, [this] {
        refresh_pending_ = false;
        Refresh();
    });
}

void DrawingWindow::Refresh() {
    const auto& docs = host_.documents();
    auto open = [&](HostDocument* d) {
        for (const auto& o : docs)
            if (o.get() == d) return true;
        return false;
    };
    const QSignalBlocker block(tabs_);
    // Tabs of drawings the host no longer has go; new drawings get a tab at the end.
    for (int i = tabs_->count() - 1; i >= 0; --i) {
        auto* d = reinterpret_cast<HostDocument*>(tabs_->tabData(i).value<quintptr>());
        if (!open(d)) {
            tabs_->removeTab(i);
            Forget(d);
        }
    }
    for (const auto& d : docs) {
        bool shown = false;
        for (int i = 0; i < tabs_->count() && !shown; ++i)
            shown = tabs_->tabData(i).value<quintptr>() == reinterpret_cast<quintptr>(d.get());
        if (shown) continue;
        int i = tabs_->addTab(QString());
        tabs_->setTabData(i, QVariant::fromValue(reinterpret_cast<quintptr>(d.get())));
    }
    HostDocument* active = host_.active();
    for (int i = 0; i < tabs_->count(); ++i) {
        auto* d = reinterpret_cast<HostDocument*>(tabs_->tabData(i).value<quintptr>());
        tabs_->setTabText(i, Q(DisplayName(d) + (d->session().LooksModified() ? " *" : "")));
        tabs_->setTabToolTip(i, Q(d->drawing().path()));
        if (d == active) tabs_->setCurrentIndex(i);
    }
    if (view_->document() != active)
        view_->SetDocument(active);
    else
        view_->Invalidate();
    FillLayers();
    ShowSteps();
    setWindowTitle(Q(host_.Caption()));
    // What the host printed on its command line shows in the status line.
    if (active && !picking()) {
        size_t& seen = prompts_seen_[active];
        const auto& line = active->command_line();
        if (line.size() > seen) prompt_->setText(Q(line.back()));
        seen = line.size();
    }
}

void DrawingWindow::ShowSteps() {
    HostDocument* d = Shown();
    bool idle = d && !picking();
    undo_action_->setEnabled(idle && d->session().CanUndo());
    redo_action_->setEnabled(idle && d->session().CanRedo());
    // The toolbar's tip names the step.
    undo_action_->setToolTip(Q("撤销" + (idle ? " " + d->session().UndoLabel() : "")));
    redo_action_->setToolTip(Q("重做" + (idle ? " " + d->session().RedoLabel() : "")));
}

void DrawingWindow::ShowTab(int index) {
    if (index < 0) return;
    auto* d = reinterpret_cast<HostDocument*>(tabs_->tabData(index).value<quintptr>());
    host_.Activate(d);
    Refresh();
}

void DrawingWindow::FillLayers() {
    layer_box_->clear();
    HostDocument* d = Shown();
    layer_box_->setEnabled(d != nullptr && !picking());
    if (!d) return;
    const auto& layers = d->drawing().layers();
    for (size_t i = 0; i < layers.size(); ++i) {
        layer_box_->addItem(ColourIcon(layers[i]->color), Q(layers[i]->name), Q(layers[i]->name));
        if (static_cast<int>(i) == d->drawing().current_layer)
            layer_box_->setCurrentIndex(static_cast<int>(i));
    }
}

void DrawingWindow::Present() {
    Refresh();
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

std::string DrawingWindow::DisplayName(HostDocument* d) { return d->session().Name(); }

void DrawingWindow::Forget(HostDocument* d) { prompts_seen_.erase(d), converted_.erase(d); }

bool DrawingWindow::Modified(HostDocument* d) { return d && d->session().Modified(); }

bool DrawingWindow::ChangedOnDisk(HostDocument* d) const {
    return d && d->session().ChangedOnDisk();
}

// --- Files ---

void DrawingWindow::Message(app::MessageIcon icon, const std::string& text) {
    ShowMessage(this, icon, "Velorin 绘图", text);
}

HostDocument* DrawingWindow::NewDrawing() {
    auto* d = static_cast<HostDocument*>(host_.Documents().Add());
    d->session().Start();  // its first command can be undone
    Refresh();
    return d;
}

HostDocument* DrawingWindow::ShowIfOpen(const std::string& path) {
    for (const auto& d : host_.documents()) {
        if (d->drawing().path() != path) continue;
        host_.Activate(d.get());
        Refresh();
        return d.get();
    }
    return nullptr;
}

void DrawingWindow::TellWarnings(HostDocument* d, const std::string& path) {
    for (const std::string& warning : cad::embedded::DrawingWarnings(d->drawing(), path))
        Message(app::MessageIcon::Information, warning);
}

HostDocument* DrawingWindow::OpenDrawing(const std::string& path) {
    if (cad::IsDwgPath(path)) return OpenDwg(path);
    if (HostDocument* open = ShowIfOpen(path)) return open;
    if (!PathExists(path)) {
        Message(app::MessageIcon::Exclamation, "图形文件“" + path + "”不存在");
        return nullptr;
    }
    Status status;
    HostDocument* d = host_.Open(path, &status);
    if (!d) {
        Message(app::MessageIcon::Exclamation, status.message());
        return nullptr;
    }
    d->session().Saved();
    AddRecent(path);
    Refresh();
    view_->ZoomExtents();
    TellWarnings(d, path);
    return d;
}

HostDocument* DrawingWindow::OpenDwg(const std::string& path) {
    std::string target = cad::DxfBesideDwg(path);
    // Converted before, or its DXF is open: shown again.
    if (HostDocument* open = ShowIfOpen(target)) return open;
    if (!PathExists(path)) {
        Message(app::MessageIcon::Exclamation, "图形文件“" + path + "”不存在");
        return nullptr;
    }
    cad::DwgConverter converter = cad::DwgConverter::Default();
    converter.tick = [this] { Step(0); };
    Start("正在转换 DWG 图形 " + FileName(path), 0);
    Status status;
    auto converted = cad::ConvertDwg(path, converter, &status);
    std::unique_ptr<Drawing> drawing;
    if (converted) drawing = Drawing::Parse(std::move(converted->dxf), path, &status);
    Finish();
    if (!drawing) {
        Message(app::MessageIcon::Exclamation, status.message());
        return nullptr;
    }
    drawing->set_path(target);
    HostDocument* d = host_.Adopt(std::move(drawing));
    // Nothing of it is saved yet: the tab shows it modified and closing asks. The stamp is
    // that of any NAME.dxf already there, which is not "changed on disk".
    d->session().NothingSaved();
    converted_.insert(d);
    AddRecent(path);
    Refresh();
    view_->ZoomExtents();
    if (!converted->warnings.empty()) {
        std::string text = path + "：";
        for (const auto& w : converted->warnings) text += "\n" + w;
        Message(app::MessageIcon::Information, text);
    }
    TellWarnings(d, path);
    return d;
}

bool DrawingWindow::SaveDrawing(HostDocument* d) {
    if (!d) return false;
    if (d->drawing().path().empty()) return SaveDrawingAs(d);
    // The first save of a converted DWG must not replace a DXF of the same name unasked.
    if (converted_.count(d) && PathExists(d->drawing().path()) &&
        Ask(this,
            Q("“" + d->drawing().path() +
              "”已存在。用由 DWG 转换的图形替换它吗？（DWG 文件不会改动）"),
            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return false;
    Status s = d->Save();
    if (!s.ok()) {
        Message(app::MessageIcon::Exclamation, s.message());
        return false;
    }
    converted_.erase(d);
    Refresh();
    return true;
}

bool DrawingWindow::SaveDrawingAs(HostDocument* d, std::string path) {
    if (!d) return false;
    if (path.empty()) {
        QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("图形另存为"),
                                                      Q(DisplayName(d) + ".dxf"),
                                                      QStringLiteral("DXF 图形 (*.dxf)"));
        if (chosen.isEmpty()) return false;
        path = chosen.toStdString();
    }
    if (!EndsWith(UpperCase(path), ".DXF")) path += ".dxf";
    Status s = d->Save(path);
    if (!s.ok()) {
        Message(app::MessageIcon::Exclamation, s.message());
        return false;
    }
    converted_.erase(d);
    AddRecent(d->drawing().path());
    Refresh();
    return true;
}

bool DrawingWindow::CloseDrawing(HostDocument* d) {
    if (!d || picking()) return false;
    if (Modified(d)) {
        host_.Activate(d);
        Refresh();
        auto answer = Ask(this, Q("图形“" + DisplayName(d) + "”已修改，是否保存？"),
                          QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel) return false;
        if (answer == QMessageBox::Save && !SaveDrawing(d)) return false;
    }
    view_->SetDocument(nullptr);
    Forget(d);
    host_.Close(d);
    Refresh();
    return true;
}

bool DrawingWindow::CloseAllDrawings() {
    if (picking()) EndSelection(false);
    for (const auto& d : host_.documents()) {
        if (Modified(d.get())) {  // the user sees the drawings asked about
            show();
            raise();
            break;
        }
    }
    while (!host_.documents().empty())
        if (!CloseDrawing(host_.documents().front().get())) return false;
    return true;
}

HostDocument* DrawingWindow::ReloadDrawing(HostDocument* d, bool ask) {
    if (!d || picking()) return nullptr;
    std::string path = d->drawing().path();
    if (path.empty() || !PathExists(path)) {
        Message(app::MessageIcon::Exclamation, "图形“" + DisplayName(d) + "”没有可重新载入的文件");
        return nullptr;
    }
    if (ask && Modified(d) &&
        Ask(this, Q("图形“" + DisplayName(d) + "”有未保存的修改，重新载入将放弃这些修改。继续吗？"),
            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return nullptr;
    Status status;
    auto drawing = Drawing::Load(path, &status);
    if (!drawing) {  // the open drawing stays as it was
        Message(app::MessageIcon::Exclamation, status.message());
        return nullptr;
    }
    // The reloaded drawing takes the old one's tab.
    int tab = -1;
    for (int i = 0; i < tabs_->count(); ++i)
        if (tabs_->tabData(i).value<quintptr>() == reinterpret_cast<quintptr>(d)) tab = i;
    std::vector<cad::embedded::Box> views = d->views();
    HostDocument* fresh = host_.Adopt(std::move(drawing));
    fresh->views() = views;
    view_->SetDocument(nullptr);
    Forget(d);
    host_.Close(d);
    host_.Activate(fresh);
    fresh->session().Saved();
    if (tab >= 0) {
        const QSignalBlocker block(tabs_);
        tabs_->setTabData(tab, QVariant::fromValue(reinterpret_cast<quintptr>(fresh)));
    }
    Refresh();
    return fresh;
}

void DrawingWindow::CheckDisk() {
    HostDocument* d = Shown();
    if (checking_disk_ || picking() || !ChangedOnDisk(d)) return;
    checking_disk_ = true;
    d->session().SeenOnDisk();  // ask once per change
    std::string text = "图形文件“" + d->drawing().path() + "”已被其他程序修改。重新载入吗？";
    if (Modified(d)) text += "\n本窗口中未保存的修改将丢失。";
    if (Ask(this, Q(text), QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
        ReloadDrawing(d, false);
    checking_disk_ = false;
}

void DrawingWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        QTimer::singleShot(0, this, [this] { CheckDisk(); });
}

void DrawingWindow::dragEnterEvent(QDragEnterEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        std::string upper = UpperCase(url.toLocalFile().toStdString());
        if (EndsWith(upper, ".DXF") || EndsWith(upper, ".DWG")) {
            event->acceptProposedAction();
            return;
        }
    }
}

void DrawingWindow::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        std::string path = url.toLocalFile().toStdString();
        std::string upper = UpperCase(path);
        if (EndsWith(upper, ".DXF") || EndsWith(upper, ".DWG")) OpenDrawing(path);
    }
    event->acceptProposedAction();
}

void DrawingWindow::closeEvent(QCloseEvent* event) {
    if (picking()) {  // closing ends the pick with nothing taken; the window stays
        EndSelection(false);
        event->ignore();
        return;
    }
    // Closing the window only hides it: its drawings stay open, and F2 or "图形窗口" shows
    // them again. The program's end asks about unsaved ones (CloseAllDrawings).
    event->accept();
}

// --- Edits ---

void DrawingWindow::SetCurrentLayer(const std::string& name) {
    HostDocument* d = Shown();
    if (!d) return;
    cad::embedded::Layer* layer = d->drawing().FindLayer(name);
    if (layer) d->SetActiveLayer(layer);
    FillLayers();
}

void DrawingWindow::AddLayer(const std::string& name, int colour) {
    HostDocument* d = Shown();
    std::string trimmed = Trim(name);
    if (!d || trimmed.empty()) return;
    bool existed = d->drawing().FindLayer(trimmed) != nullptr;
    cad::Layer* layer = d->Layers().Add(trimmed);
    if (!layer) return;
    // An existing layer keeps its colour, as everywhere in the system.
    if (!existed) layer->SetColor(colour);
    d->SetActiveLayer(layer);
    Refresh();
}

void DrawingWindow::NewLayerDialog() {
    if (!Shown()) return;
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("新建图层"));
    auto* form = new QFormLayout(&dialog);
    auto* name = new QLineEdit(&dialog);
    auto* colour = new QComboBox(&dialog);
    for (const auto& c : kColours)
        colour->addItem(ColourIcon(c.index), QString::number(c.index) + " " + Q(c.name), c.index);
    form->addRow(QStringLiteral("图层名："), name);
    form->addRow(QStringLiteral("颜色："), colour);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) return;
    if (Trim(name->text().toStdString()).empty()) {
        Message(app::MessageIcon::Exclamation, "图层名不能为空");
        return;
    }
    AddLayer(name->text().toStdString(), colour->currentData().toInt());
}

void DrawingWindow::AddPolyline(const std::vector<Point2>& points) {
    HostDocument* d = Shown();
    if (!d) return;
    std::vector<double> flat;
    for (const Point2& p : points) flat.push_back(p.x), flat.push_back(p.y);
    d->session().Record(cad::embedded::kUnrecorded);  // a step of its own for whatever came before
    auto* e = static_cast<EntityBase*>(d->ModelSpace().AddLightWeightPolyline(flat));
    if (!e) return;
    d->session().Record("多段线");
    prompt_->clear();
    Refresh();
}

void DrawingWindow::EraseSelection() {
    HostDocument* d = Shown();
    if (!d || picking() || view_->selection().empty()) return;
    d->session().Record(cad::embedded::kUnrecorded);
    for (EntityBase* e : view_->selection()) e->Erase();
    view_->ClearSelection();
    d->session().Record("删除");
    Refresh();
}

bool DrawingWindow::Undo() { return TakeStep(true); }

bool DrawingWindow::Redo() { return TakeStep(false); }

bool DrawingWindow::TakeStep(bool undo) {
    HostDocument* d = Shown();
    if (!d || picking()) return false;
    cad::embedded::DocumentSession& session = d->session();
    if (undo ? !session.CanUndo() : !session.CanRedo()) {
        prompt_->setText(undo ? QStringLiteral("没有可以撤销的操作")
                              : QStringLiteral("没有可以重做的操作"));
        return false;
    }
    std::string label = undo ? session.UndoLabel() : session.RedoLabel();
    view_->ClearSelection();  // the entities taken belong to the drawing being replaced
    Status status = undo ? session.Undo() : session.Redo();
    if (!status.ok()) {
        Message(app::MessageIcon::Exclamation, status.message());
        return false;
    }
    view_->SetDocument(d);
    Refresh();
    prompt_->setText(Q((undo ? "已撤销：" : "已重做：") + label));
    return true;
}

void DrawingWindow::CommandEnded(const std::string& label) {
    if (!std::exchange(attached_, false)) return;
    host_.RecordCommand(label);
    Refresh();
}

// --- Recent files ---

std::string DrawingWindow::RecentFilesPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string folder;
    if (config && *config == '/') {
        folder = config;
    } else {
        const char* home = std::getenv("HOME");
        folder = JoinPath(home && *home ? home : QDir::homePath().toStdString(), ".config");
    }
    return JoinPath(JoinPath(folder, "velorin"), "recent.txt");
}

std::vector<std::string> DrawingWindow::RecentFiles() const {
    std::vector<std::string> paths;
    // Paths in UTF-8, one a line; a list that cannot be read is an empty one.
    for (const std::string& read : SplitLines(ReadFileBytes(RecentFilesPath()).value_or(""))) {
        if (static_cast<int>(paths.size()) >= kRecentFiles) break;
        std::string line = Trim(read);
        if (!line.empty() && std::find(paths.begin(), paths.end(), line) == paths.end())
            paths.push_back(line);
    }
    return paths;
}

void DrawingWindow::WriteRecent(const std::vector<std::string>& paths) const {
    // The list is a convenience: when it cannot be written the program works on without it.
    std::string path = RecentFilesPath();
    std::string text;
    for (const auto& p : paths) text += p + "\n";
    if (MakeFolder(FolderOf(path)).ok()) (void)WriteFileAtomically(path, text);
}

void DrawingWindow::AddRecent(const std::string& path) {
    if (path.empty()) return;
    std::string absolute = QFileInfo(Q(path)).absoluteFilePath().toStdString();
    std::vector<std::string> paths = RecentFiles();
    std::erase(paths, absolute);
    paths.insert(paths.begin(), absolute);
    if (static_cast<int>(paths.size()) > kRecentFiles) paths.resize(kRecentFiles);
    WriteRecent(paths);
    FillRecentMenu();
}

HostDocument* DrawingWindow::OpenRecent(const std::string& path) {
    if (!PathExists(path)) {
        std::vector<std::string> paths = RecentFiles();
        std::erase(paths, path);
        WriteRecent(paths);
        FillRecentMenu();
        Message(app::MessageIcon::Exclamation,
                "图形文件“" + path + "”已不存在，已从最近打开的文件中移除");
        return nullptr;
    }
    return OpenDrawing(path);
}

void DrawingWindow::FillRecentMenu() {
    if (!recent_menu_) return;
    recent_menu_->clear();
    std::vector<std::string> paths = RecentFiles();
    if (paths.empty()) {
        recent_menu_->addAction(QStringLiteral("（无）"))->setEnabled(false);
        return;
    }
    int n = 1;
    for (const auto& path : paths) {
        QString text = QStringLiteral("&%1 %2").arg(n++).arg(Q(FileName(path)));
        QAction* a = recent_menu_->addAction(text);
        a->setToolTip(Q(path));
        a->setData(Q(path));
        QObject::connect(a, &QAction::triggered, this, [this, path] { OpenRecent(path); });
    }
}

// --- Help ---

std::vector<std::string> DrawingWindow::UserGuideCandidates() {
    const std::string name = "用户指南.md";
    // Installed: the program in PREFIX/lib/velorin, the guide in PREFIX/share/doc/velorin.
    std::vector<std::string> candidates = {
        QDir::cleanPath(Q(JoinPath(ExecutableDir(), "../../share/doc/velorin/" + name)))
            .toStdString(),
        "/usr/share/doc/velorin/" + name,
    };
#ifdef VELORIN_SOURCE_DIR
    candidates.push_back(JoinPath(JoinPath(VELORIN_SOURCE_DIR, "docs"), name));
#endif
    return candidates;
}

bool DrawingWindow::OpenUserGuide(const std::vector<std::string>& candidates) {
    for (const auto& path : candidates) {
        if (!PathExists(path)) continue;
        QUrl url = QUrl::fromLocalFile(Q(path));
        bool opened = open_url ? open_url(url) : QDesktopServices::openUrl(url);
        if (!opened)
            Message(app::MessageIcon::Exclamation,
                    "无法打开用户指南“" + path + "”：系统没有可查看 Markdown 文件的程序");
        return opened;
    }
    std::string text = "未找到用户指南（用户指南.md）。已查找：";
    for (const auto& path : candidates) text += "\n" + path;
    Message(app::MessageIcon::Exclamation, text);
    return false;
}

QString DrawingWindow::AboutText() {
#ifdef VELORIN_LIBREDWG_WEB_VERSION
    const std::string version = VELORIN_LIBREDWG_WEB_VERSION;
#else
    const std::string version = "（未知）";
#endif
    return Q(
        "Velorin\n\n"
        "面向测量工程师的道路测量内业软件：整理测量数据，展点，"
        "生成纵断面图、横断面图及断面数据，并查看、编辑 DXF 图形。\n\n"
        "打开 DWG 图形时，由单独运行的转换程序完成转换，它基于 npm 软件包 "
        "@mlightcad/libredwg-web " +
        version +
        "（LibreDWG 编译为 WebAssembly），按 GPL-3.0 许可证发布。"
        "该软件包作为独立程序运行，不链接进 Velorin。\n"
        "其源代码见 npm 页面 https://www.npmjs.com/package/@mlightcad/libredwg-web "
        "及软件包的代码仓库 https://github.com/mlightcad/libredwg-web 。");
}

void DrawingWindow::ShowAbout() {
    QMessageBox box(QMessageBox::Information, QStringLiteral("关于 Velorin"), AboutText(),
                    QMessageBox::Ok, this);
    if (QAbstractButton* ok = box.button(QMessageBox::Ok)) ok->setText(QStringLiteral("确定"));
    box.exec();
}

// --- Printing ---

namespace {
void PaperMm(const DrawingWindow::PrintOptions& o, double* width, double* height) {
    double long_side = o.a3 ? 420 : 297, short_side = o.a3 ? 297 : 210;
    *width = o.landscape ? long_side : short_side;
    *height = o.landscape ? short_side : long_side;
}
}  // namespace

cad::embedded::Box DrawingWindow::PrintSheet(const cad::embedded::Box& area,
                                             const PrintOptions& o) {
    double w_mm, h_mm;
    PaperMm(o, &w_mm, &h_mm);
    double cx = (area.min_x + area.max_x) / 2, cy = (area.min_y + area.max_y) / 2;
    double units_per_mm;
    if (o.scale > 0) {
        units_per_mm = o.scale / 1000.0;  // 1:N, drawing units in metres
    } else {
        // A 10 mm margin on the paper all round.
        double aw = std::max(area.max_x - area.min_x, 1e-9),
               ah = std::max(area.max_y - area.min_y, 1e-9);
        units_per_mm = std::max(aw / (w_mm - 20), ah / (h_mm - 20));
    }
    double hw = w_mm * units_per_mm / 2, hh = h_mm * units_per_mm / 2;
    return {cx - hw, cy - hh, cx + hw, cy + hh};
}

std::optional<cad::embedded::Box> DrawingWindow::PrintArea(const PrintOptions& o) {
    HostDocument* d = Shown();
    if (!d) return std::nullopt;
    if (!o.extents) return view_->VisibleBox();
    auto extents = d->drawing().Extents();
    if (!extents) Message(app::MessageIcon::Exclamation, "图形是空的，没有可打印的内容");
    return extents;
}

bool DrawingWindow::PrintToPdf(const PrintOptions& o, const std::string& path) {
    auto area = PrintArea(o);
    if (!area) return false;
    double w_mm, h_mm;
    PaperMm(o, &w_mm, &h_mm);
    Status s = RenderSheetsPdf(Shown()->drawing(), {PrintSheet(*area, o)}, w_mm, h_mm, path);
    if (!s.ok()) {
        Message(app::MessageIcon::Exclamation, s.message());
        return false;
    }
    prompt_->setText(Q("已打印到 " + path));
    return true;
}

bool DrawingWindow::PrintTo(QPrinter& printer, const PrintOptions& o) {
    auto area = PrintArea(o);
    if (!area) return false;
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(QPageSize(o.a3 ? QPageSize::A3 : QPageSize::A4),
                                      o.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&printer)) {
        Message(app::MessageIcon::Exclamation, "无法开始打印：打印机不可用");
        return false;
    }
    // As for a PDF: the sheet fills the page; the painter keeps 10 device units of margin
    // around what it fits, so it is given the sheet less that margin.
    QRectF page = printer.paperRect(QPrinter::DevicePixel);
    cad::embedded::Box sheet = PrintSheet(*area, o);
    double s = page.width() / (sheet.max_x - sheet.min_x), m = 10 / s;
    QtPaintBackend backend(painter, 1.0);
    cad::embedded::Paint(Shown()->drawing(),
                         {sheet.min_x + m, sheet.min_y + m, sheet.max_x - m, sheet.max_y - m},
                         page.width(), page.height(), backend);
    return painter.end();
}

void DrawingWindow::PrintDialog() {
    HostDocument* d = Shown();
    if (!d) return;
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("打印"));
    auto* form = new QFormLayout(&dialog);
    auto* area = new QComboBox(&dialog);
    area->addItems({QStringLiteral("当前视图"), QStringLiteral("图形范围")});
    auto* paper = new QComboBox(&dialog);
    paper->addItems({QStringLiteral("A4"), QStringLiteral("A3")});
    auto* turn = new QComboBox(&dialog);
    turn->addItems({QStringLiteral("横向"), QStringLiteral("纵向")});
    auto* fit = new QComboBox(&dialog);
    fit->addItems({QStringLiteral("适合纸张"), QStringLiteral("按比例 1:N")});
    auto* scale = new QSpinBox(&dialog);
    scale->setRange(1, 1000000);
    scale->setValue(500);
    scale->setPrefix(QStringLiteral("1:"));
    scale->setEnabled(false);
    QObject::connect(fit, &QComboBox::currentIndexChanged, scale,
                     [scale](int i) { scale->setEnabled(i == 1); });
    form->addRow(QStringLiteral("打印范围："), area);
    form->addRow(QStringLiteral("纸张："), paper);
    form->addRow(QStringLiteral("方向："), turn);
    form->addRow(QStringLiteral("比例："), fit);
    form->addRow(QString(), scale);
    auto* output = new QComboBox(&dialog);
    output->addItems({QStringLiteral("PDF 文件"), QStringLiteral("打印机（先预览）")});
    form->addRow(QStringLiteral("输出到："), output);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("打印…"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) return;
    PrintOptions o;
    o.extents = area->currentIndex() == 1;
    o.a3 = paper->currentIndex() == 1;
    o.landscape = turn->currentIndex() == 0;
    o.scale = fit->currentIndex() == 1 ? scale->value() : 0;
    if (output->currentIndex() == 1) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageLayout(QPageLayout(
            QPageSize(o.a3 ? QPageSize::A3 : QPageSize::A4),
            o.landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QPrintPreviewDialog preview(&printer, this);
        preview.setWindowTitle(QStringLiteral("打印预览"));
        QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, this,
                         [this, o](QPrinter* p) { PrintTo(*p, o); });
        preview.exec();
        return;
    }
    std::string base = d->drawing().path().empty() ? DisplayName(d) + ".pdf"
                                                   : ReplaceExtension(d->drawing().path(), ".pdf");
    QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("打印到 PDF 文件"), Q(base),
                                                  QStringLiteral("PDF 文件 (*.pdf)"));
    if (chosen.isEmpty()) return;
    std::string path = chosen.toStdString();
    if (!EndsWith(UpperCase(path), ".PDF")) path += ".pdf";
    PrintToPdf(o, path);
}

// --- Query ---

std::string DrawingWindow::Dms(double degrees) {
    long seconds = std::lround(degrees * 3600);
    seconds = ((seconds % (360 * 3600)) + 360 * 3600) % (360 * 3600);
    char text[48];
    std::snprintf(text, sizeof text, "%ld°%02ld′%02ld″", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

void DrawingWindow::StartQuery() {
    if (!Shown() || picking()) return;
    querying_ = true;
    query_has_first_ = false;
    query_result_.clear();
    view_->ClearSelection();
    view_->SetTool(DrawingView::Tool::Point);
    view_->setFocus();
    prompt_->setText(QStringLiteral("查询：指定点") + QString::fromUtf8(kPickHint));
}

void DrawingWindow::QueryPoint(Point2 at, double aperture) {
    HostDocument* d = Shown();
    if (!querying_ || !d) return;
    // A click near a block's insertion point (a plotted survey point) means that point,
    // with its elevation.
    cad::Point3 p{at.x, at.y, 0};
    bool has_z = false;
    double best = aperture;
    for (const auto& e : d->drawing().entities()) {
        if (e->erased || e->paper || e->kind != cad::embedded::Kind::Insert) continue;
        cad::Point3 q = e->InsertionPoint();
        double distance = std::hypot(q.x - at.x, q.y - at.y);
        if (distance <= best) best = distance, p = q, has_z = true;
    }
    if (!query_has_first_) {
        query_has_first_ = true;
        query_first_ = p;
        std::string text = "X=" + Format(p.x, "#0.000") + "  Y=" + Format(p.y, "#0.000");
        if (has_z) text += "  Z=" + Format(p.z, "#0.000");
        query_result_ = Q(text);
        prompt_->setText(query_result_ + QStringLiteral("；查距离和方位角请指定第二点") +
                         QString::fromUtf8(kPickHint));
        return;
    }
    double dx = p.x - query_first_.x, dy = p.y - query_first_.y;
    double azimuth = std::atan2(dx, dy) * 180 / 3.14159265358979323846;
    std::string text = "距离=" + Format(std::hypot(dx, dy), "#0.000") + "  方位角=" + Dms(azimuth) +
                       "  ΔX=" + Format(dx, "#0.000") + "  ΔY=" + Format(dy, "#0.000");
    query_result_ = Q(text);
    view_->SetTool(DrawingView::Tool::Select);
    querying_ = false;
    prompt_->setText(query_result_);
}

// --- Picking for commands ---

void DrawingWindow::EndSelection(bool accept) {
    if (querying_) {
        querying_ = false;
        prompt_->setText(accept ? query_result_ : QString());
        return;
    }
    if (pick_loop_) {
        pick_accepted_ = accept;
        pick_loop_->quit();
        return;
    }
    if (!accept) view_->ClearSelection();  // Esc lets go of what the user took
}

std::vector<cad::embedded::Pick> DrawingWindow::PickOnScreen(const Drawing& drawing,
                                                             const cad::embedded::Box& view) {
    return PickFiltered(drawing, view, cad::Filter{});
}

std::vector<cad::embedded::Pick> DrawingWindow::PickFiltered(const Drawing& drawing,
                                                             const cad::embedded::Box&,
                                                             const cad::Filter& filter) {
    HostDocument* d = DocumentOf(drawing);
    if (!d || picking()) return {};
    // Only a prompt the command printed since the status line last caught up is its
    // own; anything older belongs to an earlier command and would mislead.
    const auto& line = d->command_line();
    auto seen = prompts_seen_.find(d);
    bool own = !line.empty() && (seen == prompts_seen_.end() || line.size() > seen->second);
    QString asked = own ? Q(line.back()) : QStringLiteral("选择对象：");
    prompts_seen_[d] = line.size();
    host_.Activate(d);
    Present();
    prompt_->setText(asked + QString::fromUtf8(kPickHint));
    querying_ = false;  // the command's pick takes over from a query
    view_->SetTool(DrawingView::Tool::Select);
    view_->ClearSelection();
    view_->SetFilter(filter);
    view_->setFocus();
    // While the command waits for the pick, the drawing and its layer stay as it left them.
    tabs_->setEnabled(false);
    layer_box_->setEnabled(false);
    for (QAction* a : document_actions_) a->setEnabled(false);

    QEventLoop loop;
    pick_loop_ = &loop;
    pick_accepted_ = false;
    loop.exec();
    pick_loop_ = nullptr;

    std::vector<cad::embedded::Pick> picks;
    if (pick_accepted_) {
        for (EntityBase* e : view_->selection()) {
            cad::embedded::Pick pick;
            pick.kind = cad::embedded::Pick::Kind::Entity;
            pick.entity = e;
            picks.push_back(pick);
        }
    }
    view_->SetFilter(cad::Filter{});
    view_->ClearSelection();
    tabs_->setEnabled(true);
    layer_box_->setEnabled(Shown() != nullptr);
    for (QAction* a : document_actions_) a->setEnabled(true);
    ShowSteps();
    prompt_->clear();
    return picks;
}

// --- Messages from the host ---

void ShowMessage(QWidget* parent, app::MessageIcon icon, std::string_view title,
                 std::string_view text, bool stays_on_top) {
    QMessageBox::Icon qicon = QMessageBox::Warning;
    switch (icon) {
        case app::MessageIcon::Critical:
            qicon = QMessageBox::Critical;
            break;
        case app::MessageIcon::Question:
            qicon = QMessageBox::Question;
            break;
        case app::MessageIcon::Exclamation:
            qicon = QMessageBox::Warning;
            break;
        case app::MessageIcon::Information:
            qicon = QMessageBox::Information;
            break;
    }
    QMessageBox box(qicon, Q(title), Q(text), QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    if (stays_on_top) box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

void DrawingAlerts::MessageBox(app::MessageIcon icon, std::string_view title,
                               std::string_view text) {
    // The user sees what the command drew while reading its message.
    if (window) window->Present();
    ShowMessage(window, icon, title, text);
}

// --- Progress ---

void DrawingWindow::ShowWork() {
    if (work_.empty()) {
        work_label_->hide();
        progress_bar_->hide();
        return;
    }
    const Work& w = work_.back();
    work_label_->setText(Q(w.what));
    work_label_->show();
    progress_bar_->setRange(0, static_cast<int>(std::max(0L, w.total)));  // 0..0: busy
    progress_bar_->setValue(0);
    progress_bar_->show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void DrawingWindow::Start(std::string_view what, long total) {
    work_.push_back({std::string(what), total});
    last_progress_paint_ = 0;
    ShowWork();
}

void DrawingWindow::Step(long done) {
    if (work_.empty()) return;
    progress_bar_->setValue(static_cast<int>(std::min(done, work_.back().total)));
    // The command holds the event loop; let the bar paint a few times a second.
    int64_t now = QDateTime::currentMSecsSinceEpoch();
    if (now - last_progress_paint_ >= 100) {
        last_progress_paint_ = now;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void DrawingWindow::Finish() {
    if (!work_.empty()) work_.pop_back();
    ShowWork();
}

// --- Connector ---

cad::Application* DrawingConnector::Attach() {
    // Every drawing command attaches first: once it is done, show what it changed and keep
    // it as an undo step.
    window_.CommandAttached();
    window_.ScheduleRefresh();
    return &window_.host();
}

void DrawingConnector::ActivateWindow(const std::string&) { window_.Present(); }

}  // namespace velorin::qt
