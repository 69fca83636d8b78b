// The drawing window: the embedded host's application window. It shows the open
// drawings as tabs, lets the user open, save, reload and close them, zoom and pan, set
// the current layer, draw polylines, erase and undo; it is the host's picker (a
// command's on-screen selection runs in a nested event loop here), shows the host's
// alerts as its message boxes and prompts in its status line, and displays the progress
// of long commands.
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "app/progress.h"
#include "app/ui.h"
#include "cad/embedded/host.h"
#include "qt/drawing/drawing_view.h"

class QAction;
class QComboBox;
class QEventLoop;
class QLabel;
class QMenu;
class QPrinter;
class QProgressBar;
class QTabBar;
class QUrl;

namespace velorin::qt {

class DrawingWindow : public QMainWindow, public cad::embedded::Picker, public app::Progress {
  public:
    // The window shows `host`'s drawings; it installs itself as the host's picker.
    explicit DrawingWindow(cad::embedded::Host& host, QWidget* parent = nullptr);
    ~DrawingWindow() override;

    // Brings the window forward showing the host's active drawing.
    void Present();
    // Shows the host's drawings again (tabs, layers, view, prompt) once the current
    // command has returned to the event loop.
    void ScheduleRefresh();
    void Refresh();

    // Files. Failures are told to the user; false when nothing was done.
    cad::embedded::HostDocument* NewDrawing();
    // A DWG is converted (the progress bar runs meanwhile) and opens as a new, unsaved
    // drawing NAME.dxf beside it; saving asks before it replaces an existing NAME.dxf.
    cad::embedded::HostDocument* OpenDrawing(const std::string& path);
    bool SaveDrawing(cad::embedded::HostDocument* document);
    bool SaveDrawingAs(cad::embedded::HostDocument* document, std::string path = "");
    // Asks first when the drawing has unsaved changes; false when the user keeps it.
    bool CloseDrawing(cad::embedded::HostDocument* document);
    // Closes every drawing, asking about each with changes (the window shows first);
    // false when the user cancelled, the rest left open.
    bool CloseAllDrawings();
    // Reads the drawing's file again (asking first when it has unsaved changes).
    cad::embedded::HostDocument* ReloadDrawing(cad::embedded::HostDocument* document,
                                               bool ask = true);
    // The file changed on disk since it was opened or saved here.
    bool ChangedOnDisk(cad::embedded::HostDocument* document) const;
    // The drawing differs from what was last read or saved (a full comparison).
    bool Modified(cad::embedded::HostDocument* document);
    // The name the tab shows: the file's name, or "Drawing1" for a drawing never saved.
    std::string DisplayName(cad::embedded::HostDocument* document);

    // Recent files: the drawings last opened or saved here, newest first, at most
    // kRecentFiles, kept per user in $XDG_CONFIG_HOME/velorin/recent.txt (one path a line).
    static constexpr int kRecentFiles = 8;
    static std::string RecentFilesPath();
    std::vector<std::string> RecentFiles() const;
    void AddRecent(const std::string& path);
    // Opens a drawing of the list; one no longer on disk is told and taken off the list.
    cad::embedded::HostDocument* OpenRecent(const std::string& path);
    QMenu* recent_menu() const { return recent_menu_; }

    // Help. The user guide is looked for beside the installed program, then in the
    // source tree the program was built from; not found, the user is told where it was
    // looked for.
    static std::vector<std::string> UserGuideCandidates();
    bool OpenUserGuide(const std::vector<std::string>& candidates = UserGuideCandidates());
    // The about box's text: the program, its purpose and the DWG converter's licence.
    static QString AboutText();
    void ShowAbout();
    // Shows a file in the system's viewer; tests put their own here.
    std::function<bool(const QUrl&)> open_url;

    // Printing to a PDF file, through the same painting as velorin-batch render.
    struct PrintOptions {
        bool extents = false;  // the whole drawing; otherwise the current view
        bool a3 = false;       // A3; otherwise A4
        bool landscape = true;
        int scale = 0;  // 1:scale with drawing units in metres; 0 fits the page
    };
    // The box of the drawing that fills the page: the area centred on it, fitted with a
    // small margin or at the chosen scale.
    static cad::embedded::Box PrintSheet(const cad::embedded::Box& area,
                                         const PrintOptions& options);
    bool PrintToPdf(const PrintOptions& options, const std::string& path);
    // The same page on a printer (or the preview's pages), the paper set from `options`.
    bool PrintTo(QPrinter& printer, const PrintOptions& options);
    void PrintDialog();
    std::optional<cad::embedded::Box> PrintArea(const PrintOptions& options);

    // Query: the user picks a point (its X, Y, and Z when it is a block's insertion
    // point, which a click near it takes exactly) and may pick a second one (the distance
    // and the azimuth from the first: from north, the drawing's +Y, clockwise); the
    // results show in the status line.
    void StartQuery();
    bool querying() const { return querying_; }
    // Degrees, minutes and whole seconds, as 143°07′48″; the angle is in degrees.
    static std::string Dms(double degrees);

    // Edits on the shown drawing.
    void SetCurrentLayer(const std::string& name);
    void AddLayer(const std::string& name, int colour);
    void EraseSelection();
    // Takes back the shown drawing's last step (a command, a polyline, an erasure), or
    // does it again; the status line says which. False when there was none.
    bool Undo();
    bool Redo();
    // A drawing command run from the main window attached to the host (the connector says
    // so); when it ends, each drawing it changed gets an undo step named `label`.
    void CommandAttached() { attached_ = true; }
    void CommandEnded(const std::string& label);
    QAction* undo_action() const { return undo_action_; }
    QAction* redo_action() const { return redo_action_; }

    // Picker.
    std::vector<cad::embedded::Pick> PickOnScreen(const cad::embedded::Drawing& drawing,
                                                  const cad::embedded::Box& view) override;
    std::vector<cad::embedded::Pick> PickFiltered(const cad::embedded::Drawing& drawing,
                                                  const cad::embedded::Box& view,
                                                  const cad::Filter& filter) override;
    bool picking() const { return pick_loop_ != nullptr; }
    // Follows a pick's prompt in the status line: how to finish it and how to cancel.
    static const char* const kPickHint;

    // Progress.
    void Start(std::string_view what, long total) override;
    void Step(long done) override;
    void Finish() override;

    DrawingView* view() const { return view_; }
    QTabBar* tabs() const { return tabs_; }
    QComboBox* layer_box() const { return layer_box_; }
    QLabel* prompt() const { return prompt_; }
    QAction* snap_action() const { return snap_action_; }
    QProgressBar* progress_bar() const { return progress_bar_; }
    cad::embedded::Host& host() { return host_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    struct Work {
        std::string what;
        long total;
    };

    void BuildMenus();
    void FillRecentMenu();
    void WriteRecent(const std::vector<std::string>& paths) const;
    void FillLayers();
    void ShowTab(int index);
    void ShowSteps();
    bool TakeStep(bool undo);
    void Forget(cad::embedded::HostDocument* document);
    void AddPolyline(const std::vector<Point2>& points);
    void EndSelection(bool accept);
    void QueryPoint(Point2 at, double aperture);
    void NewLayerDialog();
    void Message(app::MessageIcon icon, const std::string& text);
    void CheckDisk();
    cad::embedded::HostDocument* OpenDwg(const std::string& path);
    // The drawing open from `path`, brought to the front; nullptr when none is.
    cad::embedded::HostDocument* ShowIfOpen(const std::string& path);
    // What the drawing holds that the user must know of (blocks referring to themselves).
    void TellWarnings(cad::embedded::HostDocument* document, const std::string& path);
    void ShowWork();
    cad::embedded::HostDocument* Shown() const;
    cad::embedded::HostDocument* DocumentOf(const cad::embedded::Drawing& drawing) const;

    cad::embedded::Host& host_;
    DrawingView* view_ = nullptr;
    QTabBar* tabs_ = nullptr;
    QComboBox* layer_box_ = nullptr;
    QLabel* prompt_ = nullptr;
    QLabel* cursor_ = nullptr;
    QLabel* snap_label_ = nullptr;
    QAction* snap_action_ = nullptr;
    QLabel* work_label_ = nullptr;
    QProgressBar* progress_bar_ = nullptr;
    QMenu* recent_menu_ = nullptr;
    std::vector<QAction*> document_actions_;  // off while a command picks

    // What the status line has shown of each drawing's command line.
    std::map<cad::embedded::HostDocument*, size_t> prompts_seen_;
    // Drawings converted from a DWG whose NAME.dxf this window has not written yet.
    std::set<cad::embedded::HostDocument*> converted_;
    QAction* undo_action_ = nullptr;
    QAction* redo_action_ = nullptr;
    bool attached_ = false;  // a main-window command attached to the host
    bool refresh_pending_ = false;
    bool checking_disk_ = false;

    bool querying_ = false;
    bool query_has_first_ = false;
    cad::Point3 query_first_{};
    QString query_result_;  // what the status line keeps when the query ends

    QEventLoop* pick_loop_ = nullptr;
    bool pick_accepted_ = false;
    std::vector<Work> work_;
    int64_t last_progress_paint_ = 0;
};

// The host's alerts (the Alert expression of SendCommand) as message boxes of the drawing
// window. The host is made before its window, so the window is set afterwards.
class DrawingAlerts : public app::Ui {
  public:
    DrawingWindow* window = nullptr;
    void MessageBox(app::MessageIcon icon, std::string_view title, std::string_view text) override;
};

// A message box over `parent` with its button in Chinese; `stays_on_top` for a parent that
// stays above other windows, so the box does not hide behind it.
void ShowMessage(QWidget* parent, app::MessageIcon icon, std::string_view title,
                 std::string_view text, bool stays_on_top = false);

// Hands the program's embedded host to the drawing commands and brings the drawing
// window forward when a command asks for the host's window.
class DrawingConnector : public cad::HostConnector {
  public:
    explicit DrawingConnector(DrawingWindow& window) : window_(window) {}
    cad::Application* Attach() override;
    void ActivateWindow(const std::string& caption) override;

  private:
    DrawingWindow& window_;
};

}  // namespace velorin::qt
