// Files handed to the program at start: each kind lands on its page as if the user had
// double-clicked it there; what no page opens is refused with the file named.
#include "window/open_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "base/paths.h"
#include "support/window_fixture.h"

namespace velorin::window {
namespace {

using testing::WindowFixture;

struct OpenFixture : WindowFixture {
    OpenFixture() {
        Status status;
        program.store = store::WorkingStore::Open(testing::CopyStoreInto(dir.path()), &status);
        EXPECT_TRUE(status.ok()) << status.message();
        settings().MainDir = dir.path();
        // The user's files lie in a folder of their own, away from the main directory.
        EXPECT_TRUE(MakeFolder(dir.File("job")).ok());
        for (const char* name : {"traverse/traverse.dat", "traverse/traverse.idx",
                                 "traverse/traverse.ctl", "section_data/hand.dm"})
            std::filesystem::copy_file(testing::SourceDir() + "examples/" + name,
                                       dir.File("job/") + FileName(name));
        testing::WriteBytes(
            dir.File("job/r1.cor"),
            testing::GbkCrlf({"; 坐标文件： r1.cor", "", "P1,100.000,200.000,10.000,",
                              "P2,150.000,260.000,11.500,"}));
        Load();
    }
    std::string Job(const std::string& name) { return dir.File("job/") + name; }
    long Rows(const char* table) {
        return program.store->OpenRecordSet(std::string("Select * from ") + table)->RecordCount();
    }
};

TEST(OpenFiles, EachKindOpensOnItsPage) {
    struct Row {
        const char* file;
        int tab;
        std::function<void(OpenFixture&)> check;
    };
    const Row rows[] = {
        {"traverse.dat", 2,
         [](OpenFixture& f) {
             EXPECT_EQ(f.form->page2.Combo1.list_index, 0);
             EXPECT_EQ(f.form->page2.Text2.text, f.Job("traverse.dat"));
             ASSERT_FALSE(f.form->page2.List3.items.empty());
             EXPECT_EQ(f.form->page2.List3.items[0], "; 全 站 仪：Topcon GTS 311");
         }},
        {"traverse.idx", 2,
         [](OpenFixture& f) {
             EXPECT_EQ(f.form->page2.Combo1.list_index, 1);
             ASSERT_FALSE(f.form->page2.List3.items.empty());
             EXPECT_EQ(f.form->page2.List3.items[0], "; 全 站 仪：Leica TC 307");
         }},
        {"traverse.ctl", 3,
         [](OpenFixture& f) {
             EXPECT_EQ(f.form->page3.Text5.text, f.Job("traverse.ctl"));
             EXPECT_EQ(f.form->page3.ControlFilePath, f.Job("traverse.ctl"));
             EXPECT_GT(f.form->page3.ctl1.Rows(), 1);  // header and the points
         }},
        {"r1.cor", 4,
         [](OpenFixture& f) {
             EXPECT_EQ(f.Rows("Ctl"), 2);  // previewed: both points loaded and drawn
             EXPECT_FALSE(f.form->page4.Pic1.ops.empty());
         }},
        {"hand.dm", 7,
         [](OpenFixture& f) {
             EXPECT_EQ(f.form->page7.Text22.text, f.Job("hand.dm"));
             EXPECT_FALSE(f.form->page7.List4.items.empty());
             EXPECT_FALSE(f.form->page7.List5.items.empty());
             EXPECT_GT(f.Rows("Cross"), 0);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        OpenFixture f;
        EXPECT_TRUE(OpenOnPage(*f.form, f.ui, f.Job(row.file)));
        EXPECT_EQ(f.form->Strip1.selected, row.tab);
        for (int n = 1; n <= 7; ++n) EXPECT_EQ(f.form->PageAt(n).visible, n == row.tab);
        for (const auto& m : f.ui.messages) ADD_FAILURE() << m.title << ": " << m.text;
        row.check(f);
    }
}

TEST(OpenFiles, ControlAndSurveyFilesOfOneRunLoadTogether) {
    OpenFixture f;
    // The survey file as page 2 makes it from the raw file.
    ASSERT_TRUE(OpenOnPage(*f.form, f.ui, f.Job("traverse.dat")));
    f.form->page2.Command2.Click();
    ASSERT_TRUE(std::filesystem::exists(f.Job("traverse.sur")));
    f.ui.messages.clear();

    ASSERT_TRUE(OpenOnPage(*f.form, f.ui, f.Job("traverse.ctl")));
    ASSERT_TRUE(OpenOnPage(*f.form, f.ui, f.Job("traverse.sur")));
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_EQ(f.form->Strip1.selected, 3);
    // The second file did not empty the page: both tables are there to compute.
    EXPECT_GT(f.form->page3.ctl1.Rows(), 1);
    EXPECT_FALSE(f.form->page3.List2.items.empty());
    EXPECT_EQ(f.form->page3.SurveyFilePath, f.Job("traverse.sur"));
    f.form->page3.Command4.Click();
    ASSERT_FALSE(f.form->page3.List1.items.empty());
    EXPECT_EQ(f.form->page3.List1.items.back(), "— 12个坐标点全部计算完毕！");
}

TEST(OpenFiles, ExtensionsInCapitalsAndRelativePathsOpenToo) {
    OpenFixture f;
    std::filesystem::rename(f.Job("hand.dm"), f.Job("HAND.DM"));
    std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(f.dir.File("job"));
    bool opened = OpenOnPage(*f.form, f.ui, "HAND.DM");
    std::filesystem::current_path(cwd);
    EXPECT_TRUE(opened);
    EXPECT_EQ(f.form->Strip1.selected, 7);
    EXPECT_EQ(f.form->page7.Text22.text, f.Job("HAND.DM"));
}

TEST(OpenFiles, MissingOrUnknownFilesAreRefusedWithTheFileNamed) {
    struct Row {
        const char* file;
        const char* message_start;
    };
    const Row rows[] = {
        {"gone.dm", "找不到文件“"},
        {"notes.txt", "无法打开文件“"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        OpenFixture f;
        testing::WriteBytes(f.Job("notes.txt"), "text");
        EXPECT_FALSE(OpenOnPage(*f.form, f.ui, f.Job(row.file)));
        ASSERT_EQ(f.ui.messages.size(), 1u);
        EXPECT_EQ(f.ui.messages[0].icon, app::MessageIcon::Exclamation);
        EXPECT_EQ(f.ui.messages[0].text.rfind(row.message_start, 0), 0u) << f.ui.messages[0].text;
        EXPECT_NE(f.ui.messages[0].text.find(f.Job(row.file)), std::string::npos);
        EXPECT_EQ(f.form->Strip1.selected, 1);  // the window stays as it was
    }
}

TEST(OpenFiles, DrawingsAreLeftToTheDrawingWindow) {
    EXPECT_EQ(KindOf("/a/road.DXF"), FileKind::Drawing);
    EXPECT_EQ(PageFor(FileKind::Drawing), 0);
    EXPECT_EQ(KindOf("/a/road.dm.bak"), FileKind::Unknown);
    EXPECT_EQ(KindOf("/a/dm"), FileKind::Unknown);
}

}  // namespace
}  // namespace velorin::window
