// The field handlers: what typing, choosing and ticking on the pages does to the
// fields the user sees and to the settings.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "support/window_fixture.h"
#include "window/drives.h"
#include "window/form1.h"

namespace velorin::window {
namespace {

using testing::WindowFixture;

TEST(DigitsOnly, TypedCharactersOtherThanDigitsAreDropped) {
    struct Row {
        const char* name;
        const char* typed;
        const char* shown;
    };
    const Row rows[] = {
        {"digits", "123", "123"},          {"letters and a point", "1a2.b3", "123"},
        {"minus sign", "-5", "5"},         {"backspace is dropped too", "12\b", "12"},
        {"full-width digits", "１２", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WindowFixture w;
        Form1& form = w.Load();
        form.Strip1_Click(2);
        form.page2.Text3.text.clear();
        form.page2.Text3.Type(row.typed);
        EXPECT_EQ(form.page2.Text3.text, row.shown) << "Text3";

        form.Strip1_Click(6);
        form.page6.Text20.text.clear();
        form.page6.Text20.Type(row.typed);
        EXPECT_EQ(form.page6.Text20.text, row.shown) << "Text20";
    }
}

TEST(TextToSetting, NumbersAreReadFromTheStartOfTheText) {
    struct Row {
        const char* name;
        int tab;
        TextBox& (*field)(Form1&);
        double (*setting)(const app::Settings&);
        const char* typed;
        double value;
    };
    auto text7 = [](Form1& f) -> TextBox& { return f.page5.Text7; };
    auto text15 = [](Form1& f) -> TextBox& { return f.page6.Text15; };
    auto text4 = [](Form1& f) -> TextBox& { return f.page4.Text4; };
    auto text6 = [](Form1& f) -> TextBox& { return f.page4.Text6; };
    auto offset = [](const app::Settings& s) { return s.ValidOffset; };
    const Row rows[] = {
        {"Text7 2 and a point", 5, text7, offset, "2.", 2},
        {"Text7 emptied", 5, text7, offset, "", 0},
        {"Text7 with a unit", 5, text7, offset, "1.75m", 1.75},
        {"Text7 letters", 5, text7, offset, "abc", 0},
        {"Text15", 6, text15, offset, "3.5", 3.5},
        {"Text4", 4, text4, [](const app::Settings& s) { return s.PointTextHeight; }, "2.5", 2.5},
        {"Text6 not a number", 4, text6, [](const app::Settings& s) { return s.ElevTextHeight; },
         "x1", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WindowFixture w;
        Form1& form = w.Load();
        form.Strip1_Click(row.tab);
        row.field(form).Edit(row.typed);
        EXPECT_EQ(row.setting(w.settings()), row.value);
    }
}

TEST(TextToSetting, TypingInText7SetsTheOffsetKeyByKey) {
    WindowFixture w;
    Form1& form = w.Load();
    form.Strip1_Click(5);
    TextBox& t = form.page5.Text7;
    form.page5.Text7.GotFocus();  // selects "2.00", so the first key replaces it
    t.Type("2");
    EXPECT_EQ(w.settings().ValidOffset, 2);
    t.Type(".");
    EXPECT_EQ(t.text, "2.");
    EXPECT_EQ(w.settings().ValidOffset, 2);
    t.Type("5");
    EXPECT_EQ(w.settings().ValidOffset, 2.5);
    t.Type("\b\b\b");
    EXPECT_EQ(t.text, "");
    EXPECT_EQ(w.settings().ValidOffset, 0);
}

TEST(TextToSetting, TextsAreTakenAsTyped) {
    struct Row {
        const char* name;
        int tab;
        TextBox& (*field)(Form1&);
        std::string (*setting)(const app::Settings&);
    };
    const Row rows[] = {
        {"Text8 SectionNo", 5, [](Form1& f) -> TextBox& { return f.page5.Text8; },
         [](const app::Settings& s) { return s.SectionNo; }},
        {"Text12 CentreLayer", 5, [](Form1& f) -> TextBox& { return f.page5.Text12; },
         [](const app::Settings& s) { return s.CentreLayer; }},
        {"Text13 SectionLineLayer", 6, [](Form1& f) -> TextBox& { return f.page6.Text13; },
         [](const app::Settings& s) { return s.SectionLineLayer; }},
        {"Text14 CentreLayer", 6, [](Form1& f) -> TextBox& { return f.page6.Text14; },
         [](const app::Settings& s) { return s.CentreLayer; }},
        {"Text18 PlotTitle", 6, [](Form1& f) -> TextBox& { return f.page6.Text18; },
         [](const app::Settings& s) { return s.PlotTitle; }},
        {"Text19 SectionPrefix", 6, [](Form1& f) -> TextBox& { return f.page6.Text19; },
         [](const app::Settings& s) { return s.SectionPrefix; }},
        {"Text21 SectionSuffix", 6, [](Form1& f) -> TextBox& { return f.page6.Text21; },
         [](const app::Settings& s) { return s.SectionSuffix; }},
        {"Text25 PlotTitle", 7, [](Form1& f) -> TextBox& { return f.page7.Text25; },
         [](const app::Settings& s) { return s.PlotTitle; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WindowFixture w;
        Form1& form = w.Load();
        form.Strip1_Click(row.tab);
        TextBox& field = row.field(form);
        field.enabled = true;  // the centre-layer fields are enabled by their tick boxes
        field.Edit(" 断 A'1 ");
        EXPECT_EQ(row.setting(w.settings()), " 断 A'1 ");
        field.Edit("");
        EXPECT_EQ(row.setting(w.settings()), "");
    }
}

TEST(TextToSetting, StartSectionNumberIsAWholeNumber) {
    struct Row {
        const char* name;
        const char* text;
        int value;
    };
    const Row rows[] = {
        {"plain", "7", 7},
        {"pasted half rounds to even", "2.5", 2},
        {"pasted 3.5", "3.5", 4},
        {"empty", "", 0},
        {"too large for the setting", "99999999999", 2147483647},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WindowFixture w;
        Form1& form = w.Load();
        form.Strip1_Click(6);
        form.page6.Text20.Edit(row.text);
        EXPECT_EQ(w.settings().StartSectionNo, row.value);
    }
}

TEST(SelectOnEntry, GettingTheFocusSelectsTheWholeText) {
    WindowFixture w;
    Form1& form = w.Load();
    form.Strip1_Click(6);
    TextBox& t = form.page6.Text18;  // "ＸＸ市ＸＸ路横断面图": ten characters
    t.GotFocus();
    EXPECT_EQ(t.sel_start, 0u);
    EXPECT_EQ(t.sel_length, 10u);
    t.Type("新");
    EXPECT_EQ(t.text, "新");
    EXPECT_EQ(w.settings().PlotTitle, "新");
}

TEST(ScaleToSetting, ChoosingAScaleSetsItsFactor) {
    struct Row {
        const char* name;
        int tab;
        ComboBox& (*combo)(Form1&);
        double (*setting)(const app::Settings&);
        const char* entry;
        double factor;
    };
    auto h = [](const app::Settings& s) { return s.HScale; };
    auto v = [](const app::Settings& s) { return s.VScale; };
    const Row rows[] = {
        {"Combo4 1:1000", 4, [](Form1& f) -> ComboBox& { return f.page4.Combo4; },
         [](const app::Settings& s) { return s.PlotScale; }, "1:1000", 1},
        {"Combo4 1:20000", 4, [](Form1& f) -> ComboBox& { return f.page4.Combo4; },
         [](const app::Settings& s) { return s.PlotScale; }, "1:20000", 20},
        {"Combo6 1:50", 5, [](Form1& f) -> ComboBox& { return f.page5.Combo6; }, h, "1:50", 0.05},
        {"Combo7 1:20", 5, [](Form1& f) -> ComboBox& { return f.page5.Combo7; }, v, "1:20", 0.02},
        {"Combo10 1:2000", 6, [](Form1& f) -> ComboBox& { return f.page6.Combo10; }, h, "1:2000",
         2},
        {"Combo11 1:500", 6, [](Form1& f) -> ComboBox& { return f.page6.Combo11; }, v, "1:500",
         0.5},
        {"Combo12 1:100", 7, [](Form1& f) -> ComboBox& { return f.page7.Combo12; }, h, "1:100",
         0.1},
        {"Combo13 1:1000", 7, [](Form1& f) -> ComboBox& { return f.page7.Combo13; }, v, "1:1000",
         1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WindowFixture w;
        Form1& form = w.Load();
        form.Strip1_Click(row.tab);
        ComboBox& combo = row.combo(form);
        combo.ChooseText(row.entry);
        EXPECT_EQ(combo.text, row.entry);
        EXPECT_DOUBLE_EQ(row.setting(w.settings()), row.factor);
    }
}

TEST(ScaleToSetting, AScaleChosenOnOnePageShowsOnTheOthers) {
    WindowFixture w;
    Form1& form = w.Load();
    form.Strip1_Click(5);
    form.page5.Combo6.ChooseText("1:1000");
    form.Strip1_Click(7);
    EXPECT_EQ(form.page7.Combo12.text, "1:1000");
    form.Strip1_Click(6);
    EXPECT_EQ(form.page6.Combo10.text, "1:1000");
}

TEST(SymbolToSetting, ChoosingOrTypingSetsTheSymbolName) {
    for (int tab : {5, 6}) {
        SCOPED_TRACE("page " + std::to_string(tab));
        WindowFixture w;
        Form1& form = w.Load();
        form.Strip1_Click(tab);
        ComboBox& combo = tab == 5 ? form.page5.Combo8 : form.page6.Combo9;
        combo.ChooseText("GC200");
        EXPECT_EQ(w.settings().SymbolName, "GC200");
        combo.Edit("测点");
        EXPECT_EQ(w.settings().SymbolName, "测点");
    }
}

TEST(TickEnablesFields, TickingEnablesAndUntickingDisables) {
    struct Row {
        const char* name;
        int tab;
        CheckBox& (*check)(Form1&);
        std::vector<Control*> (*fields)(Form1&);
        TextBox* (*first)(Form1&);  // where the cursor goes when ticked; null: stays
    };
    const Row rows[] = {
        {"Check3", 5, [](Form1& f) -> CheckBox& { return f.page5.Check3; },
         [](Form1& f) { return std::vector<Control*>{&f.page5.Text11}; },
         [](Form1&) -> TextBox* { return nullptr; }},
        {"Check4", 5, [](Form1& f) -> CheckBox& { return f.page5.Check4; },
         [](Form1& f) {
             return std::vector<Control*>{&f.page5.Text12, &f.page5.Command11};
         },
         [](Form1&) -> TextBox* { return nullptr; }},
        {"Check9", 6, [](Form1& f) -> CheckBox& { return f.page6.Check9; },
         [](Form1& f) {
             return std::vector<Control*>{&f.page6.Label26, &f.page6.Text14, &f.page6.Command16};
         },
         [](Form1& f) -> TextBox* { return &f.page6.Text14; }},
        {"Check5", 6, [](Form1& f) -> CheckBox& { return f.page6.Check5; },
         [](Form1& f) {
             return std::vector<Control*>{&f.page6.Label31, &f.page6.Text16, &f.page6.Text17};
         },
         [](Form1& f) -> TextBox* { return &f.page6.Text16; }},
        {"Check10", 7, [](Form1& f) -> CheckBox& { return f.page7.Check10; },
         [](Form1& f) {
             return std::vector<Control*>{&f.page7.Label41, &f.page7.Text23, &f.page7.Text24};
         },
         [](Form1& f) -> TextBox* { return &f.page7.Text23; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WindowFixture w;
        Form1& form = w.Load();
        form.Strip1_Click(row.tab);
        for (Control* c : row.fields(form)) EXPECT_FALSE(c->enabled);
        row.check(form).Click();
        EXPECT_EQ(row.check(form).value, 1);
        for (Control* c : row.fields(form)) EXPECT_TRUE(c->enabled);
        EXPECT_EQ(form.CurrentPage().focus, row.first(form));
        row.check(form).Click();
        for (Control* c : row.fields(form)) EXPECT_FALSE(c->enabled);
    }
}

TEST(TickEnablesFields, ADisabledFieldIgnoresTyping) {
    WindowFixture w;
    Form1& form = w.Load();
    form.Strip1_Click(5);
    form.page5.Text12.Edit("别的层");
    EXPECT_EQ(w.settings().CentreLayer, "断_中心点");
    form.page5.Command11.Click();  // disabled: nothing runs, nothing shown
    EXPECT_TRUE(w.ui.messages.empty());
}

TEST(OptionToSetting, OptionsAndTickBoxesWriteTheirSettings) {
    WindowFixture w;
    w.settings().CtlWithElev = 0;
    Form1& form = w.Load();
    form.Strip1_Click(4);
    Page4& p4 = form.page4;
    p4.Combo3.ChooseText("控制点(*.ctl)");
    EXPECT_EQ(p4.File3.pattern, "*.ctl");
    EXPECT_TRUE(p4.Option5.value);
    EXPECT_FALSE(p4.Option4.value);
    EXPECT_TRUE(p4.Option4.enabled);
    EXPECT_FALSE(p4.Check1.enabled);
    EXPECT_EQ(p4.Check1.value, 0);
    EXPECT_EQ(p4.Label13.caption, "控制点字高");
    EXPECT_FALSE(p4.Text6.visible);
    EXPECT_TRUE(p4.Combo5.visible);
    p4.Option4.Click();
    EXPECT_EQ(w.settings().CtlWithElev, 1);
    EXPECT_FALSE(p4.Option5.value);
    p4.Option5.Click();
    EXPECT_EQ(w.settings().CtlWithElev, 0);
    p4.Combo3.ChooseText("坐标点(*.cor)");
    EXPECT_FALSE(p4.Option4.enabled);
    EXPECT_EQ(p4.Check1.value, 1);
    EXPECT_EQ(p4.Label13.caption, "地形点字高");

    form.Strip1_Click(6);
    form.page6.Check7.Click();
    EXPECT_EQ(w.settings().CheckDirection, 0);
    form.page6.Check8.Click();
    EXPECT_EQ(w.settings().MarkStart, 1);
    form.page6.Check8.Click();
    EXPECT_EQ(w.settings().MarkStart, 0);
}

// ---- Drive, folder and file lists

struct FileListCase {
    int tab;
    DirList& (*dir)(Form1&);
    FileList& (*files)(Form1&);
    TextBox& (*path)(Form1&);
};

const FileListCase kFileLists[] = {
    {2, [](Form1& f) -> DirList& { return f.page2.Dir2; },
     [](Form1& f) -> FileList& { return f.page2.File1; },
     [](Form1& f) -> TextBox& { return f.page2.Text2; }},
    {3, [](Form1& f) -> DirList& { return f.page3.Dir3; },
     [](Form1& f) -> FileList& { return f.page3.File2; },
     [](Form1& f) -> TextBox& { return f.page3.Text5; }},
    {7, [](Form1& f) -> DirList& { return f.page7.Dir5; },
     [](Form1& f) -> FileList& { return f.page7.File4; },
     [](Form1& f) -> TextBox& { return f.page7.Text22; }},
};

TEST(ChosenFile, PathIsTheFolderAndTheNameWithOneSeparator) {
    for (const FileListCase& c : kFileLists) {
        SCOPED_TRACE("page " + std::to_string(c.tab));
        WindowFixture w;
        std::string folder = w.dir.path() + "数据";
        std::filesystem::create_directories(folder);
        for (const char* name : {"a.dat", "b.ctl", "c.dm"})
            testing::WriteBytes(folder + "/" + name, "x");
        Form1& form = w.Load();
        form.Strip1_Click(c.tab);
        c.dir(form).Choose(folder);
        FileList& files = c.files(form);
        ASSERT_EQ(files.path, folder);
        ASSERT_EQ(files.items.size(), 1u);
        files.Click(0);
        EXPECT_EQ(c.path(form).text, folder + "/" + files.items[0]);

        // A folder that already ends in a separator (a drive's root) gets no second one.
        files.SetPath(folder + "/");
        files.Click(0);
        EXPECT_EQ(c.path(form).text, folder + "/" + files.items[0]);
    }
}

TEST(FileType, ChoosingATypeSetsTheFileListsPattern) {
    struct Row {
        const char* name;
        int tab;
        ComboBox& (*combo)(Form1&);
        FileList& (*files)(Form1&);
        const char* entry;
        std::vector<std::string> listed;
    };
    auto combo1 = [](Form1& f) -> ComboBox& { return f.page2.Combo1; };
    auto file1 = [](Form1& f) -> FileList& { return f.page2.File1; };
    auto combo2 = [](Form1& f) -> ComboBox& { return f.page3.Combo2; };
    auto file2 = [](Form1& f) -> FileList& { return f.page3.File2; };
    const Row rows[] = {
        {"GTS-311", 2, combo1, file1, "Topcon GTS 311 (*.dat)", {"A.DAT", "b.dat"}},
        {"IDEX", 2, combo1, file1, "Leica TC 307 (*.idx)", {"c.idx"}},
        {"control points", 3, combo2, file2, "控制点文件(*.ctl)", {"k.ctl"}},
        {"survey files", 3, combo2, file2, "测量文件(*.sur)", {"s.sur"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WindowFixture w;
        w.settings().MainDir = w.dir.path() + "in";
        std::filesystem::create_directories(w.settings().MainDir);
        for (const char* name : {"A.DAT", "b.dat", "c.idx", "k.ctl", "s.sur", "s.sur.bak"})
            testing::WriteBytes(w.settings().MainDir + "/" + name, "x");
        Form1& form = w.Load();
        form.Strip1_Click(row.tab);
        row.combo(form).ChooseText(row.entry == std::string("Topcon GTS 311 (*.dat)")
                                       ? "Leica TC 307 (*.idx)"
                                       : row.entry);
        row.combo(form).ChooseText(row.entry);
        EXPECT_EQ(row.files(form).items, row.listed);
    }
}

TEST(Drives, PageOneReportsADriveThatCannotBeRead) {
    WindowFixture w;
    Form1& form = w.Load();
    Page1& p = form.page1;
    std::string folder_before = p.Dir1.path;
    std::string drive_before = p.Drive1.drive;

    p.Drive1.Choose("z:");
    EXPECT_EQ(p.Mess.caption, "错误：磁盘[Z]没找到，请检查是否放入磁盘！");
    EXPECT_EQ(p.Drive1.drive, drive_before);
    EXPECT_EQ(p.Dir1.path, folder_before);
    EXPECT_EQ(w.settings().MainDir, w.dir.path());

    std::string gone = w.dir.path() + "unplugged";
    p.Drive1.Choose(gone);
    EXPECT_EQ(p.Mess.caption, "错误：磁盘[" + gone + "]没找到，请检查是否放入磁盘！");

    // A readable volume: the folder list moves there and the main directory follows.
    std::string volume = w.dir.path() + "volume";
    std::filesystem::create_directories(volume);
    p.Drive1.Choose(volume);
    EXPECT_EQ(p.Mess.caption, "信息：");
    EXPECT_EQ(p.Dir1.path, volume);
    EXPECT_EQ(p.Text1.text, volume);
    EXPECT_EQ(w.settings().MainDir, volume);
}

TEST(Drives, OtherPagesGoBackToTheirFoldersDriveWithoutAMessage) {
    struct Row {
        int tab;
        DriveList& (*drive)(Form1&);
        DirList& (*dir)(Form1&);
    };
    const Row rows[] = {
        {2, [](Form1& f) -> DriveList& { return f.page2.Drive2; },
         [](Form1& f) -> DirList& { return f.page2.Dir2; }},
        {3, [](Form1& f) -> DriveList& { return f.page3.Drive3; },
         [](Form1& f) -> DirList& { return f.page3.Dir3; }},
        {4, [](Form1& f) -> DriveList& { return f.page4.Drive4; },
         [](Form1& f) -> DirList& { return f.page4.Dir4; }},
        {7, [](Form1& f) -> DriveList& { return f.page7.Drive5; },
         [](Form1& f) -> DirList& { return f.page7.Dir5; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("page " + std::to_string(row.tab));
        WindowFixture w;
        Form1& form = w.Load();
        form.Strip1_Click(row.tab);
        std::string folder = row.dir(form).path;
        row.drive(form).Choose("a:");
        EXPECT_EQ(row.drive(form).drive, DriveOf(folder, row.drive(form).drives));
        EXPECT_EQ(row.dir(form).path, folder);
        EXPECT_EQ(form.page1.Mess.caption, "信息：");
        EXPECT_TRUE(w.ui.messages.empty());
    }
}

TEST(Drives, FolderListChoiceSetsTheMainDirectory) {
    WindowFixture w;
    std::string folder = w.dir.path() + "项目";
    std::filesystem::create_directories(folder);
    Form1& form = w.Load();
    form.page1.Dir1.Choose(folder);
    EXPECT_EQ(form.page1.Text1.text, folder);
    EXPECT_EQ(w.settings().MainDir, folder);
    // A later page opens its lists there.
    form.Strip1_Click(3);
    EXPECT_EQ(form.page3.Dir3.path, folder);
}

TEST(Drives, AFolderLiesOnItsVolume) {
    const std::vector<std::string> drives = {"/", "/home", "/media/usb", "/media/usb2"};
    struct Row {
        const char* path;
        const char* drive;
    };
    const Row rows[] = {
        {"/work/main", "/"},  {"/home/me/data", "/home"},       {"/home", "/home"},
        {"/homework", "/"},   {"/media/usb2/k", "/media/usb2"}, {"/media/usb/k", "/media/usb"},
        {"d:\\测量\\", "d:"},
    };
    for (const Row& row : rows) EXPECT_EQ(DriveOf(row.path, drives), row.drive) << row.path;
    EXPECT_EQ(DriveName("d:"), "D");
    EXPECT_EQ(ListDrives().front(), "/");
}

}  // namespace
}  // namespace velorin::window
