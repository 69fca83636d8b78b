// The document session without a window: each kind of change a command makes is undone
// and redone entity for entity, and the saved state follows undo, save and reload.
#include "cad/embedded/session.h"

#include <gtest/gtest.h>

#include <functional>

#include "cad/embedded/host.h"
#include "support/testing.h"

namespace velorin::cad::embedded {
namespace {

// What a user sees of a drawing: every entity still drawn with its handle, type, layer and
// extents, then the layers with their colours and the current layer.
std::string Picture(const Drawing& d) {
    std::string out;
    for (const auto& e : d.entities()) {
        if (e->erased) continue;
        out += e->Handle() + " " + e->EntityName() + " " + e->Layer();
        if (auto box = d.Extents(*e))
            out += " " + std::to_string(box->min_x) + "," + std::to_string(box->min_y) + " " +
                   std::to_string(box->max_x) + "," + std::to_string(box->max_y);
        out += "\n";
    }
    for (const auto& l : d.layers())
        out += "layer " + l->name + " " + std::to_string(l->color) + "\n";
    return out + "current " + d.layers()[d.current_layer]->name + "\n";
}

class SessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = dir.File("road_lines.dxf");
        testing::WriteBytes(
            path, testing::ReadBytes(testing::SourceDir() + "examples/road/road_lines.dxf"));
        Status status;
        doc = host.Open(path, &status);
        ASSERT_NE(doc, nullptr) << status.message();
        doc->session().Saved();
        ASSERT_GT(doc->drawing().entities().size(), 0u);
    }
    std::vector<EntityBase*> Polylines() {
        std::vector<EntityBase*> out;
        for (const auto& e : doc->drawing().entities())
            if (!e->erased && (e->kind == Kind::LwPolyline || e->kind == Kind::Polyline))
                out.push_back(e.get());
        return out;
    }

    testing::TempDir dir;
    Host host{""};
    HostDocument* doc = nullptr;
    std::string path;
};

// Each kind of change the drawing commands make, as they make it: through the host.
struct Change {
    const char* name;
    std::function<void(HostDocument&, std::vector<EntityBase*>)> make;
};

TEST_F(SessionTest, EachKindOfChangeIsUndoneAndRedoneEntityForEntity) {
    const Change changes[] = {
        {"points and names on a new layer",
         [](HostDocument& d, auto) {
             d.SetActiveLayer(d.Layers().Add("点_测试"));
             for (int i = 0; i < 5; ++i) {
                 d.ModelSpace().AddCircle({i * 3.0, 1.0, 0}, 0.5);
                 d.ModelSpace().AddText("P" + std::to_string(i), {i * 3.0, 2.0, 0}, 1.5);
             }
         }},
        {"erase", [](HostDocument&, auto lines) { lines.front()->Erase(); }},
        {"layer of entities", [](HostDocument&, auto lines) { lines.back()->SetLayer("0"); }},
        {"geometry in place",
         [](HostDocument&, auto lines) {
             auto* p = static_cast<PolylineEntity*>(lines.front());
             std::reverse(p->vertices.begin(), p->vertices.end());
             p->regenerate = true;
             p->drawing->Touched(p);
         }},
        {"layer colour", [](HostDocument& d, auto) { d.Layers().Add("0")->SetColor(3); }},
        {"outline polyline",
         [](HostDocument& d, auto) {
             d.ModelSpace().AddLightWeightPolyline({0, 0, 10, 0, 10, 5})->SetClosed(true);
         }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        std::string before = Picture(doc->drawing()), before_text = doc->drawing().Serialize();
        change.make(*doc, Polylines());
        std::string after = Picture(doc->drawing()), after_text = doc->drawing().Serialize();
        ASSERT_NE(after_text, before_text);
        ASSERT_TRUE(doc->session().Record(change.name));
        EXPECT_EQ(doc->session().UndoLabel(), change.name);

        ASSERT_TRUE(doc->session().Undo().ok());
        EXPECT_EQ(Picture(doc->drawing()), before);
        EXPECT_EQ(doc->drawing().Serialize(), before_text);
        EXPECT_EQ(doc->session().RedoLabel(), change.name);

        ASSERT_TRUE(doc->session().Redo().ok());
        EXPECT_EQ(Picture(doc->drawing()), after);
        EXPECT_EQ(doc->drawing().Serialize(), after_text);
    }
    // All the way back: the drawing as read, and no longer modified.
    int steps = 0;
    while (doc->session().CanUndo()) {
        ASSERT_TRUE(doc->session().Undo().ok());
        ++steps;
    }
    EXPECT_EQ(steps, static_cast<int>(std::size(changes)));
    EXPECT_FALSE(doc->session().Modified());
    EXPECT_EQ(doc->drawing().path(), path);
}

TEST_F(SessionTest, SavedStateThroughUndoSaveAndReload) {
    EXPECT_FALSE(doc->session().Modified());
    doc->ModelSpace().AddCircle({1, 1, 0}, 1);
    ASSERT_TRUE(doc->session().Record("圆"));
    EXPECT_TRUE(doc->session().Modified());

    // Saved with the circle: undoing takes it away and that is a change again; redo is
    // the saved state once more. The steps outlive the save.
    ASSERT_TRUE(doc->Save().ok());
    EXPECT_FALSE(doc->session().Modified());
    EXPECT_FALSE(doc->session().ChangedOnDisk());
    ASSERT_TRUE(doc->session().Undo().ok());
    EXPECT_TRUE(doc->session().Modified());
    EXPECT_TRUE(doc->session().LooksModified());
    ASSERT_TRUE(doc->session().Redo().ok());
    EXPECT_FALSE(doc->session().Modified());
    EXPECT_FALSE(doc->session().LooksModified());

    // What the file holds is what the session restores to.
    Status status;
    auto reread = Drawing::Load(path, &status);
    ASSERT_NE(reread, nullptr) << status.message();
    EXPECT_EQ(Picture(*reread), Picture(doc->drawing()));

    // A new step after an undo drops the redo steps.
    ASSERT_TRUE(doc->session().Undo().ok());
    doc->ModelSpace().AddCircle({5, 5, 0}, 2);
    ASSERT_TRUE(doc->session().Record("另一个圆"));
    EXPECT_FALSE(doc->session().CanRedo());
    EXPECT_EQ(doc->session().UndoLabel(), "另一个圆");

    // Reloading forgets the steps.
    doc->session().Clear();
    EXPECT_FALSE(doc->session().CanUndo());
}

TEST_F(SessionTest, UnrecordedChangesAreUndoneFirstAndNothingIsLost) {
    doc->ModelSpace().AddCircle({1, 1, 0}, 1);
    ASSERT_TRUE(doc->session().Record("圆"));
    std::string with_circle = doc->drawing().Serialize();
    doc->ModelSpace().AddCircle({9, 9, 0}, 1);  // a command cut short, never recorded
    ASSERT_TRUE(doc->session().Undo().ok());
    EXPECT_EQ(doc->drawing().Serialize(), with_circle);
    EXPECT_EQ(doc->session().RedoLabel(), "未记录的修改");
    EXPECT_TRUE(doc->session().Undo().ok());
    EXPECT_FALSE(doc->session().Modified());
}

TEST(Session, DrawingsAreSeparateAndACommandsNewDrawingStartsAfterIt) {
    testing::TempDir dir;
    Host host("");
    auto* made = static_cast<HostDocument*>(host.Documents().Add());  // a plot's drawing
    made->ModelSpace().AddCircle({0, 0, 0}, 1);
    auto* user = static_cast<HostDocument*>(host.Documents().Add());  // the user's new one
    user->session().Start();
    user->ModelSpace().AddCircle({0, 0, 0}, 2);
    EXPECT_EQ(host.RecordCommand("横断面图"), 1);
    EXPECT_FALSE(made->session().CanUndo());
    EXPECT_TRUE(made->session().Modified());  // never saved, holds the plot
    EXPECT_TRUE(user->session().CanUndo());
    EXPECT_EQ(made->session().Name(), "Drawing1");
    EXPECT_EQ(user->session().Name(), "Drawing2");
    EXPECT_EQ(host.RecordCommand("无变化"), 0);

    ASSERT_TRUE(user->session().Undo().ok());
    EXPECT_FALSE(user->session().Modified());
    EXPECT_EQ(made->drawing().entities().size(), 1u);
    EXPECT_FALSE(made->session().Undo().ok());
}

TEST(Session, OldestStepsGoBeyondTheLimit) {
    Host host("");
    auto* d = static_cast<HostDocument*>(host.Documents().Add());
    d->session().Start();
    for (size_t i = 0; i < DocumentSession::kMaxSteps + 5; ++i) {
        d->ModelSpace().AddCircle({double(i), 0, 0}, 1);
        ASSERT_TRUE(d->session().Record("圆" + std::to_string(i)));
    }
    size_t steps = 0;
    while (d->session().CanUndo()) {
        ASSERT_TRUE(d->session().Undo().ok());
        ++steps;
    }
    EXPECT_EQ(steps, DocumentSession::kMaxSteps);
    EXPECT_EQ(d->drawing().entities().size(), 5u);  // the first five cannot be undone
}

}  // namespace
}  // namespace velorin::cad::embedded
