// Page 4 as the user works it: choose files in the list, "预览" paints them in the
// picture, "展点" plots them into the drawing; the refusals on the way.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/paths.h"
#include "cad/embedded/drawing.h"
#include "cad/embedded/host.h"
#include "support/window_fixture.h"

namespace velorin::window {
namespace {

using cad::embedded::Drawing;
using cad::embedded::EntityBase;
using cad::embedded::Kind;
using testing::WindowFixture;

struct Page4Fixture : WindowFixture {
    std::unique_ptr<cad::embedded::Host> host;
    std::unique_ptr<cad::embedded::EmbeddedConnector> connector;
    Page4* page = nullptr;

    explicit Page4Fixture(
        const std::vector<std::pair<std::string, std::vector<std::string>>>& files,
        bool with_host = true) {
        Status status;
        program.store = store::WorkingStore::Open(testing::CopyStoreInto(dir.path()), &status);
        EXPECT_TRUE(status.ok()) << status.message();
        EXPECT_TRUE(MakeFolder(dir.File("Support")).ok());
        for (const char* symbol : {"纯坐标展点", "高程点", "导线点", "GPS点"}) {
            auto d = Drawing::New();
            d->AddCircle({0, 0, 0}, 1);
            EXPECT_TRUE(d->Save(dir.File(std::string("Support/") + symbol + ".dxf")).ok());
        }
        if (with_host) {
            host = std::make_unique<cad::embedded::Host>(dir.File("Support"), &ui);
            connector = std::make_unique<cad::embedded::EmbeddedConnector>(*host);
            context.host = connector.get();
        }
        settings().MainDir = dir.path();
        for (const auto& [name, lines] : files)
            testing::WriteBytes(dir.File(name), testing::GbkCrlf(lines));
        page = &Load().page4;
        form->Strip1_Click(4);
    }
    void Choose(const std::vector<std::string>& names) {
        for (const auto& name : names) {
            int index = page->File3.IndexOf(name);
            ASSERT_GE(index, 0) << name;
            page->File3.Click(index);
        }
    }
    long CtlRows() { return program.store->OpenRecordSet("Select * from Ctl")->RecordCount(); }
    std::vector<const EntityBase*> Entities(Kind kind) {
        std::vector<const EntityBase*> out;
        if (!host || !host->active()) return out;
        for (const auto& e : host->active()->drawing().entities())
            if (e->kind == kind) out.push_back(e.get());
        return out;
    }
    std::vector<PictureOp> Ops(PictureOp::Kind kind) {
        std::vector<PictureOp> out;
        std::copy_if(page->Pic1.ops.begin(), page->Pic1.ops.end(), std::back_inserter(out),
                     [&](const PictureOp& op) { return op.kind == kind; });
        return out;
    }
};

const std::vector<std::string> kR1 = {"; 坐标文件： r1.cor", "", "P1,100.000,200.000,10.000,",
                                      "P2,300.000,250.000,,"};
const std::vector<std::string> kR2 = {"Q1,150.000,260.000,12.500,"};

TEST(Page4Refusals, NothingChosenIsRefusedByBothButtons) {
    struct Row {
        const char* name;
        std::function<Button&(Page4&)> button;
        const char* message;
    };
    const Row rows[] = {
        {"预览", [](Page4& p) -> Button& { return p.Command8; },
         "请先选择要预览的坐标文件（可多选）！"},
        {"展点", [](Page4& p) -> Button& { return p.Command9; },
         "请先选中要展点的坐标文件（可多选）！"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Page4Fixture w({{"r1.cor", kR1}});
        w.Choose({"r1.cor"});
        w.page->Command8.Click();  // earlier points and picture
        ASSERT_EQ(w.CtlRows(), 2);
        w.Choose({"r1.cor"});  // unchosen again
        row.button(*w.page).Click();
        ASSERT_EQ(w.ui.messages.size(), 1u);
        EXPECT_EQ(w.ui.messages[0].icon, app::MessageIcon::Exclamation);
        EXPECT_EQ(w.ui.messages[0].title, "地形展点");
        EXPECT_EQ(w.ui.messages[0].text, row.message);
        EXPECT_TRUE(w.ui.shown_aside[0]);
        EXPECT_FALSE(w.ui.aside);
        EXPECT_EQ(w.CtlRows(), 0);
        EXPECT_TRUE(w.Entities(Kind::Insert).empty());
    }
}

TEST(Page4Refusals, TextHeightOfZeroMakesTheButtonDoNothing) {
    struct Row {
        const char* name;
        const char* point_height;
        const char* elev_height;
    };
    const Row rows[] = {
        {"point text height 0", "0", "2"},
        {"elevation text height not a number", "2", "abc"},
        {"negative height", "-1", "2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Page4Fixture w({{"r1.cor", kR1}, {"r2.cor", kR2}});
        w.Choose({"r2.cor"});
        w.page->Command8.Click();
        w.Choose({"r1.cor"});
        w.page->Text4.Edit(row.point_height);
        w.page->Text6.Edit(row.elev_height);
        w.page->Command9.Click();
        EXPECT_TRUE(w.ui.messages.empty());
        EXPECT_EQ(w.CtlRows(), 1) << "the points of the preview stay loaded";
        EXPECT_TRUE(w.host->documents().empty()) << "the host was not even reached";
    }
}

TEST(Page4Refusals, UnreadableFileIsNamedAndNothingIsPlotted) {
    Page4Fixture w({{"r1.cor", kR1}});
    w.Choose({"r1.cor"});
    std::filesystem::remove(w.dir.File("r1.cor"));
    w.page->Command9.Click();
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_EQ(w.ui.messages[0].title, "地形展点");
    EXPECT_NE(w.ui.messages[0].text.find(w.dir.File("r1.cor")), std::string::npos)
        << w.ui.messages[0].text;
    EXPECT_TRUE(w.Entities(Kind::Insert).empty());
}

TEST(Page4Refusals, WithoutADrawingHostTheUserIsAskedToStartOne) {
    Page4Fixture w({{"r1.cor", kR1}}, /*with_host=*/false);
    w.Choose({"r1.cor"});
    w.page->Command9.Click();
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_EQ(w.ui.messages[0].text, "请打开AutoCAD系统！");
    EXPECT_EQ(w.ui.messages[0].title, "地形展点");
    EXPECT_EQ(w.CtlRows(), 2) << "the points stay loaded";
}

TEST(Page4Preview, PicturesEveryChosenFileInOneSquareWindow) {
    Page4Fixture w({{"r1.cor", kR1}, {"r2.cor", kR2}});
    w.page->Combo4.ChooseText("1:100");
    w.Choose({"r1.cor", "r2.cor"});
    w.page->Command8.Click();
    EXPECT_TRUE(w.ui.messages.empty());
    // Points 100..300 east, 200..260 north: the window is widened to 200 m north-south.
    EXPECT_DOUBLE_EQ(w.page->PreviewLeft, 100);
    EXPECT_DOUBLE_EQ(w.page->PreviewRight, 300);
    EXPECT_DOUBLE_EQ(w.page->PreviewTop, 330);
    EXPECT_DOUBLE_EQ(w.page->PreviewBottom, 130);
    const PictureBox& pic = w.page->Pic1;
    EXPECT_DOUBLE_EQ(pic.scale_left, 95);
    EXPECT_DOUBLE_EQ(pic.scale_top, 335);
    EXPECT_DOUBLE_EQ(pic.scale_width, 210);
    EXPECT_DOUBLE_EQ(pic.scale_height, -210);

    auto circles = w.Ops(PictureOp::Kind::Circle);
    ASSERT_EQ(circles.size(), 3u);
    for (const auto& c : circles) {
        EXPECT_EQ(c.color, 255u);
        EXPECT_DOUBLE_EQ(c.x2, 1.0);  // 200 m x 0.005
    }
    EXPECT_DOUBLE_EQ(circles[2].x1, 150);  // r2.cor after r1.cor, as listed
    auto lines = w.Ops(PictureOp::Kind::Line);
    for (const auto& l : lines) EXPECT_EQ(l.color, 16711680u);
    // Every 50 m at 1:100: 100..300 east and 130..330 north.
    EXPECT_EQ(pic.Texts(), (std::vector<std::string>{"100", "150", "200", "250", "300", "100",
                                                     "150", "200", "250", "300"}));
    EXPECT_EQ(lines.size(), 10u);
    EXPECT_EQ(w.CtlRows(), 3);

    // Choosing the tab again clears the picture.
    w.form->Strip1_Click(4);
    EXPECT_TRUE(w.page->Pic1.ops.empty());
}

TEST(Page4Preview, PreviewAndPlotLoadTheSameRows) {
    Page4Fixture w({{"r1.cor", kR1}, {"r2.cor", kR2}});
    w.Choose({"r1.cor", "r2.cor"});
    auto rows = [&] {
        std::vector<std::string> out;
        store::RecordSet& ctl = w.program.store->Standing(store::WorkingStore::Table::Ctl);
        for (ctl.MoveFirst(); !ctl.EndOfFile(); ctl.MoveNext())
            out.push_back(ctl.Text("Name") + "," + ctl.Text("CtlNo") + "," + ctl.Text("X1") + "," +
                          ctl.Text("Y1") + "," + ctl.Text("H1"));
        return out;
    };
    w.page->Command8.Click();
    auto previewed = rows();
    w.page->Command9.Click();
    EXPECT_EQ(rows(), previewed);
    EXPECT_EQ(previewed, (std::vector<std::string>{"r1.cor,P1,100,200,10", "r1.cor,P2,300,250,",
                                                   "r2.cor,Q1,150,260,12.5"}));
}

TEST(Page4Plot, FieldsOfThePageReachTheDrawing) {
    Page4Fixture w(
        {{"k.ctl", {"K1,3500100.000,512200.000,45.210", "K2,3500250.000,512180.000,0"}}});
    w.page->Combo3.ChooseText("控制点(*.ctl)");
    w.page->Combo4.ChooseText("1:1000");
    w.page->Combo5.ChooseText("GPS点");
    w.page->Option4.Click();
    w.page->Text4.Edit("3");
    w.Choose({"k.ctl"});
    w.page->Command9.Click();

    auto inserts = w.Entities(Kind::Insert);
    ASSERT_EQ(inserts.size(), 2u);
    EXPECT_EQ(inserts[0]->Name(), "GPS点");
    EXPECT_EQ(inserts[0]->Layer(), "控_点位");
    EXPECT_DOUBLE_EQ(inserts[0]->InsertionPoint().x, 512200);
    EXPECT_DOUBLE_EQ(inserts[0]->InsertionPoint().y, 3500100);
    EXPECT_DOUBLE_EQ(inserts[0]->InsertionPoint().z, 45.21);
    std::vector<std::string> texts;
    for (const EntityBase* t : w.Entities(Kind::Text)) texts.push_back(t->TextString());
    EXPECT_EQ(texts, (std::vector<std::string>{"K1", "45.210", "K2"}));
    const auto* name = static_cast<const cad::embedded::TextEntity*>(w.Entities(Kind::Text)[0]);
    EXPECT_DOUBLE_EQ(name->height, 3.0);  // 3 mm at 1:1000
    EXPECT_EQ(w.Entities(Kind::LwPolyline).size(), 1u);
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_EQ(w.ui.messages[0].text, "展点完成！");
    EXPECT_TRUE(w.ui.shown_aside[0]);
    EXPECT_FALSE(w.ui.aside);

    // Without elevations the same file is labelled by name only.
    w.page->Option5.Click();
    w.page->Command9.Click();
    texts.clear();
    for (const EntityBase* t : w.Entities(Kind::Text)) texts.push_back(t->TextString());
    EXPECT_EQ(texts, (std::vector<std::string>{"K1", "45.210", "K2", "K1", "K2"}));
}

}  // namespace
}  // namespace velorin::window
