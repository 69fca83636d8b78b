// The embedded drawing host: the application object the drawing commands drive, holding
// the open drawings, their selection sets and views. It implements the host interface
// of cad/host.h over Drawing. On-screen picks come from a Picker (the drawing window in
// the program, a scripted one in tests and velorin-batch); alerts go to the Ui.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "app/ui.h"
#include "base/status.h"
#include "cad/embedded/drawing.h"
#include "cad/embedded/session.h"
#include "cad/host.h"

namespace velorin::cad::embedded {

// One pick of the user: a click at a point (the nearest entity within the aperture), a
// window (the entities wholly inside), or one entity the picker chose itself (the
// drawing window, which shows the user what a click or a crossing takes).
struct Pick {
    enum class Kind { Point, Window, Entity } kind = Kind::Point;
    Point2 a, b;
    double aperture = 0;           // drawing units; 0: 1/200 of the view's larger side
    EntityBase* entity = nullptr;  // Kind::Entity
};

class Picker {
  public:
    virtual ~Picker() = default;
    // The picks of one on-screen selection; none when the user cancels.
    virtual std::vector<Pick> PickOnScreen(const Drawing& drawing, const Box& view) = 0;
    // The same, knowing the command's filter, so that a picker can offer only what may be
    // taken. The host calls this one.
    virtual std::vector<Pick> PickFiltered(const Drawing& drawing, const Box& view,
                                           const Filter& filter) {
        (void)filter;
        return PickOnScreen(drawing, view);
    }
    // Told of a point or window pick that took nothing the command may take: a window
    // shows that by itself, a script has to say so.
    virtual void Missed(const Pick& pick) { (void)pick; }
};

// Hands out picks given in advance: each selection takes all that are left.
class ScriptedPicker : public Picker {
  public:
    std::vector<Pick> picks;
    size_t handed = 0;         // picks handed to selections so far
    std::vector<Pick> missed;  // those of them that took nothing
    std::vector<Pick> PickOnScreen(const Drawing&, const Box&) override {
        handed += picks.size();
        return std::exchange(picks, {});
    }
    void Missed(const Pick& pick) override { missed.push_back(pick); }
};

class Host;
class HostDocument;

// Entities that pass a filter: each group must match (texts compared without regard to
// case, "*" and "?" as wildcards, "," separating alternatives).
bool PassesFilter(const EntityBase& e, const Filter& filter);
// What a user's pick may take: a model-space entity that is not erased, on a layer that is
// neither off nor frozen (the user cannot see it otherwise), passing the filter.
bool Pickable(const EntityBase& e, const Filter& filter);

class HostSelectionSet : public cad::SelectionSet {
  public:
    HostSelectionSet(HostDocument& document, std::string name)
        : document_(document), name_(std::move(name)) {}
    std::string Name() const override { return name_; }
    HResult SelectOnScreen(const Filter& filter) override;
    HResult SelectByPolygon(int mode, const std::vector<double>& points,
                            const Filter& filter) override;
    HResult Select(int mode, const Filter& filter) override;
    int Count() const override { return static_cast<int>(items_.size()); }
    cad::Entity* Item(int index) const override;
    HResult Erase() override;
    HResult Delete() override;

    const std::vector<EntityBase*>& items() const { return items_; }

  private:
    HResult Fail(HResult code);
    void Take(EntityBase* e);
    HostDocument& document_;
    std::string name_;
    std::vector<EntityBase*> items_;
    std::unordered_set<EntityBase*> members_;
};

class HostDocument : public cad::Document {
  public:
    HostDocument(Host& host, std::unique_ptr<Drawing> drawing);
    ~HostDocument() override;

    cad::ModelSpace& ModelSpace() override { return space_; }
    HResult SetVariable(const std::string& name, const Variable& value) override;
    cad::Layers& Layers() override { return layers_; }
    cad::TextStyles& TextStyles() override { return styles_; }
    cad::SelectionSets& SelectionSets() override { return sets_; }
    cad::Layer* ActiveLayer() override;
    HResult SetActiveLayer(cad::Layer* layer) override;
    cad::TextStyle* ActiveTextStyle() override;
    HResult SetActiveTextStyle(cad::TextStyle* style) override;
    HResult SendCommand(const std::string& text) override;
    cad::Utility& Utility() override { return utility_; }

    Drawing& drawing() { return *drawing_; }
    const Drawing& drawing() const { return *drawing_; }
    Host& host() { return host_; }
    // What the host printed on its command line (prompts, commands it does not run).
    const std::vector<std::string>& command_line() const { return command_line_; }
    // The view window: zooms push, ZoomPrevious pops.
    Box View() const;
    std::vector<Box>& views() { return views_; }
    // Saves to the drawing's own path (or `path`), keeping the previous file as .bak; the
    // session learns the saved state.
    Status Save(const std::string& path = "");
    // Name, saved state and undo steps (session.h).
    DocumentSession& session() { return session_; }
    const DocumentSession& session() const { return session_; }
    // Puts another drawing in this one's place (an undo step read back); the selection
    // sets, which held the old drawing's entities, are emptied.
    void ReplaceDrawing(std::unique_ptr<Drawing> drawing);

  private:
    friend class HostSelectionSet;
    HResult Fail(HResult code);

    struct Space : cad::ModelSpace {
        HostDocument* doc;
        cad::Entity* AddLightWeightPolyline(const std::vector<double>& points) override;
        cad::Entity* AddText(const std::string& text, Point3 at, double height) override;
        cad::Entity* AddCircle(Point3 centre, double radius) override;
        cad::Entity* InsertBlock(Point3 at, const std::string& name, double xs, double ys,
                                 double zs, double rotation) override;
    } space_;
    struct LayerTable : cad::Layers {
        HostDocument* doc;
        cad::Layer* Add(const std::string& name) override;
    } layers_;
    struct StyleTable : cad::TextStyles {
        HostDocument* doc;
        cad::TextStyle* Add(const std::string& name) override;
    } styles_;
    struct Sets : cad::SelectionSets {
        HostDocument* doc;
        int Count() const override { return static_cast<int>(doc->selection_sets_.size()); }
        cad::SelectionSet* Add(const std::string& name) override;
    } sets_;
    struct Prompter : cad::Utility {
        HostDocument* doc;
        HResult Prompt(const std::string& text) override;
    } utility_;

    Host& host_;
    std::unique_ptr<Drawing> drawing_;
    std::map<std::string, std::unique_ptr<HostSelectionSet>> selection_sets_;
    std::vector<std::string> command_line_;
    std::vector<Box> views_;
    DocumentSession session_{*this};
};

class Host : public cad::Application {
  public:
    // `support_dir` holds the symbol drawings; `ui` shows alerts (may be null).
    explicit Host(std::string support_dir, app::Ui* ui = nullptr);
    ~Host() override;

    cad::Document* ActiveDocument() override;
    cad::Documents& Documents() override { return documents_; }
    HResult SetVisible(bool visible) override;
    std::string Caption() const override;
    HResult ZoomExtents() override;
    HResult ZoomWindow(Point3 corner1, Point3 corner2) override;
    HResult ZoomPrevious() override;
    ErrorRegister& Err() override { return err_; }

    // Opens a DXF file as the active document; a missing file gives a new drawing that
    // will be saved there. A window showing it tells its session what was read
    // (DocumentSession::Saved); velorin-batch never asks, and does not pay for it.
    HostDocument* Open(const std::string& path, Status* status);
    HostDocument* Adopt(std::unique_ptr<Drawing> drawing);
    HostDocument* active() { return active_; }
    // The drawing window's hold on the open drawings: the drawing the user shows becomes
    // the active one; a closed drawing is gone with its selection sets.
    void Activate(HostDocument* document);
    void Close(HostDocument* document);
    const std::vector<std::unique_ptr<HostDocument>>& documents() const { return docs_; }
    // Ends a command run on the host: each drawing it changed gets an undo step named
    // `label`. Returns how many drawings did.
    int RecordCommand(const std::string& label);
    // Numbers the drawings without a file name: Drawing1, Drawing2, ...
    int NextDrawingNumber() { return ++drawings_named_; }

    void set_picker(Picker* picker) { picker_ = picker; }
    Picker* picker() { return picker_; }
    app::Ui* ui() { return ui_; }
    const std::string& support_dir() const { return support_dir_; }
    bool visible() const { return visible_; }

  private:
    struct DocumentList : cad::Documents {
        Host* host;
        cad::Document* Add() override;
    } documents_;
    std::string support_dir_;
    app::Ui* ui_;
    Picker* picker_ = nullptr;
    ErrorRegister err_;
    bool visible_ = false;
    std::vector<std::unique_ptr<HostDocument>> docs_;
    HostDocument* active_ = nullptr;
    int drawings_named_ = 0;
};

// Hands the program's one embedded host to the drawing commands.
class EmbeddedConnector : public HostConnector {
  public:
    explicit EmbeddedConnector(Host& host) : host_(host) {}
    cad::Application* Attach() override { return &host_; }

  private:
    Host& host_;
};

}  // namespace velorin::cad::embedded
