// Page 7 as the user works it: double-click a section data file, read both listings and
// the state of the buttons and tick boxes, plot, and save the two export formats.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/paths.h"
#include "cad/embedded/host.h"
#include "sectionfile/section_file.h"
#include "support/window_fixture.h"

namespace velorin::window {
namespace {

using testing::GbkCrlf;
using testing::ReadBytes;
using testing::WindowFixture;
using Lines = std::vector<std::string>;

struct Page7Fixture : WindowFixture {
    cad::embedded::Host host{dir.path() + "Support", &ui};
    cad::embedded::EmbeddedConnector connector{host};
    std::string data;  // MainDir + "断面数据/"
    Page7* page = nullptr;

    explicit Page7Fixture(const std::vector<std::pair<std::string, Lines>>& files) {
        settings().MainDir = dir.path();
        data = dir.path() + "断面数据/";
        EXPECT_TRUE(MakeFolder(data).ok());
        for (const auto& [name, lines] : files) testing::WriteBytes(data + name, GbkCrlf(lines));
        Status status;
        program.store = store::WorkingStore::Open(testing::CopyStoreInto(dir.path()), &status);
        program.store->OpenStandingRecordSets();
        context.host = &connector;
        page = &Load().page7;
        form->Strip1_Click(7);
    }
    void Open(const std::string& name) {
        int index = page->File4.IndexOf(name);
        ASSERT_GE(index, 0) << name;
        page->File4.DblClick(index);
    }
    std::vector<sectionfile::Section> Store() {
        return sectionfile::SectionsOfStore(*program.store);
    }
};

const Lines kStandard = {"; 横断面图", "", "Dmh,K1", "-3.000,12.300", "0.000,12.500"};
const Lines kIncrements = {"Dmh,a", "@5,@-0.2", "@5,@-0.3"};
const Lines kCommentAt = {"; 测自 @ 手簿", "Dmh,B", "3,100", "5,101"};
const Lines kBad = {"Dmh,A", "1,2", "12.5,abc", "3,4"};

TEST(Page7Load, ListingsButtonsAndTickBoxes) {
    struct Row {
        const char* name;
        Lines file;
        Lines listing;
        bool standard_enabled, standard_ticked, left_right_enabled;
    };
    const Row rows[] = {
        {"written by a producer",
         kStandard,
         {"", "Dmh,K1", "-3.000,12.300", "0.000,12.500"},
         false,
         false,
         true},
        {"with increments",
         kIncrements,
         {"", "Dmh,A", "5.000,-0.200", "10.000,-0.500"},
         true,
         true,
         false},
        {"an @ in a comment",
         kCommentAt,
         {"", "Dmh,B", "3.000,100.000", "5.000,101.000"},
         true,
         true,
         false},
        {"unsorted, two sections",
         {"Dmh,S2", "4,1", "-2,3", "Dmh,S1", "1,1"},
         {"", "Dmh,S2", "-2.000,3.000", "4.000,1.000", "", "Dmh,S1", "1.000,1.000"},
         false,
         false,
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Page7Fixture w({{"f.dm", row.file}});
        w.Open("f.dm");
        EXPECT_EQ(w.page->Text22.text, w.data + "f.dm");
        EXPECT_EQ(w.page->List4.items, row.file);
        EXPECT_EQ(w.page->List5.items, row.listing);
        EXPECT_TRUE(w.page->Command23.enabled && w.page->Command24.enabled &&
                    w.page->Command25.enabled);
        EXPECT_EQ(w.page->Check11.enabled, row.standard_enabled);
        EXPECT_EQ(w.page->Check11.ticked(), row.standard_ticked);
        EXPECT_EQ(w.page->Check12.enabled, row.left_right_enabled);
        EXPECT_FALSE(w.page->Check12.ticked());
        EXPECT_TRUE(w.ui.messages.empty());
    }
}

TEST(Page7Load, FaultyFileThenAGoodOne) {
    Page7Fixture w({{"bad.dm", kBad}, {"k1.dm", kIncrements}});
    w.Open("k1.dm");
    w.Open("bad.dm");
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_EQ(w.ui.messages[0].icon, app::MessageIcon::Exclamation);
    EXPECT_EQ(w.ui.messages[0].title, "数据断面");
    EXPECT_EQ(w.ui.messages[0].text, "断面文件格式有误，请检查后再试！");
    EXPECT_TRUE(w.ui.shown_aside[0]);
    EXPECT_FALSE(w.ui.aside);
    EXPECT_EQ(w.page->List4.items, (Lines{"Dmh,A", "1,2", "; 错误 12.5,abc", "3,4"}));
    EXPECT_TRUE(w.page->List5.items.empty());
    EXPECT_FALSE(w.page->Command23.enabled || w.page->Command24.enabled ||
                 w.page->Command25.enabled);
    // The store keeps what was read before the fault.
    ASSERT_EQ(w.Store().size(), 1u);
    EXPECT_EQ(w.Store()[0].points.size(), 1u);

    w.Open("k1.dm");
    EXPECT_TRUE(w.page->Command23.enabled && w.page->Command24.enabled &&
                w.page->Command25.enabled);
    EXPECT_EQ(w.page->List5.items.size(), 4u);
}

TEST(Page7Load, EmptyOrVanishedFile) {
    Page7Fixture w(
        {{"empty.dm", {"; 只有注释", ""}}, {"k1.dm", kStandard}, {"gone.dm", kStandard}});
    w.Open("empty.dm");
    EXPECT_EQ(w.page->List4.items.size(), 2u);
    EXPECT_TRUE(w.page->List5.items.empty());
    EXPECT_TRUE(w.ui.messages.empty());
    w.page->Command23.Click();
    w.page->Command24.Click();
    w.page->Command25.Click();
    EXPECT_TRUE(w.host.documents().empty());

    // A file removed after it was listed: said so, the store keeps the file loaded
    // before, and nothing is left to save under the vanished file's name.
    w.Open("k1.dm");
    std::filesystem::remove(w.data + "gone.dm");
    w.Open("gone.dm");
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_NE(w.ui.messages[0].text.find(w.data + "gone.dm"), std::string::npos);
    EXPECT_TRUE(w.page->List4.items.empty() && w.page->List5.items.empty());
    EXPECT_FALSE(w.page->Command23.enabled || w.page->Command24.enabled ||
                 w.page->Command25.enabled);
    ASSERT_EQ(w.Store().size(), 1u);
    EXPECT_EQ(w.Store()[0].number, "K1");
}

TEST(Page7Plots, UnifiedAxisFieldsAndStepAside) {
    Page7Fixture w({{"k1.dm", kStandard}});
    w.Open("k1.dm");
    w.page->Check10.Click();
    w.page->Text23.Edit("abc");
    w.page->Text24.Edit("110");
    w.page->Command23.Click();
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_EQ(w.ui.messages[0].text, "统一高程轴设置有误，请更正。");
    EXPECT_TRUE(w.host.documents().empty());

    auto labels = [&] {
        std::set<std::string> out;
        for (const auto& e : w.host.documents().back()->drawing().entities())
            if (e->Layer() == "横_格网" && e->kind == cad::embedded::Kind::Text)
                out.insert(e->TextString());
        return out;
    };
    w.page->Text23.Edit("95");
    w.ui.moves.clear();
    w.page->Command23.Click();
    ASSERT_EQ(w.host.documents().size(), 1u);
    EXPECT_TRUE(labels().count("95.0") && labels().count("110.0"));
    EXPECT_FALSE(labels().count("94.0") || labels().count("111.0"));
    EXPECT_EQ(w.ui.moves, (std::vector<bool>{true, false}));
    // The title line carries the page's title.
    w.page->Text25.Edit("K 线");
    w.page->Check10.Click();  // unticked: the fields no longer count
    w.page->Command23.Click();
    ASSERT_EQ(w.host.documents().size(), 2u);
    EXPECT_TRUE(labels().count("11.0") && labels().count("14.0"));
    EXPECT_FALSE(labels().count("95.0"));
    bool titled = false;
    for (const auto& e : w.host.documents().back()->drawing().entities())
        titled |= e->TextString() == "K 线  水平比例 1：200，垂直比例 1：100";
    EXPECT_TRUE(titled);
}

TEST(Page7Plots, ProfileTwiceDrawsTheSameAndLeavesTheStore) {
    Page7Fixture w({{"k1.dm", kStandard}});
    w.Open("k1.dm");
    auto before = w.Store();
    w.page->Command24.Click();
    w.page->Command24.Click();
    ASSERT_EQ(w.host.documents().size(), 2u);
    auto texts = [&](size_t i) {
        std::vector<std::string> out;
        for (const auto& e : w.host.documents()[i]->drawing().entities())
            if (e->Layer() == "纵_断面数据") out.push_back(e->TextString());
        return out;
    };
    EXPECT_EQ(texts(0), texts(1));
    EXPECT_EQ(texts(0), (std::vector<std::string>{"12.300", "0+-3.0", "12.500", "0+0.0"}));
    auto after = w.Store();
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].points[0].chainage, before[0].points[0].chainage);
}

TEST(Page7Plots, LeavingThePageEmptiesTheListsAndThePlotsWait) {
    Page7Fixture w({{"k1.dm", kStandard}});
    w.Open("k1.dm");
    w.form->Strip1_Click(1);
    w.form->Strip1_Click(7);
    EXPECT_TRUE(w.page->List4.items.empty() && w.page->List5.items.empty());
    w.page->Command23.Click();
    w.page->Command24.Click();
    EXPECT_TRUE(w.host.documents().empty());
    EXPECT_EQ(w.Store().size(), 1u);  // the sections stay in the store
}

// K1 has points on both sides and one at the centre; K2, written with increments, only
// to the right and none at the centre.
const Lines kK1 = {"; 示例",     "Dmh,K1", "0,12.5", "-3,12.3", "4,12.45",
                   "-8.25,11.9", "Dmh,K2", "@1,10",  "@2,@0.5"};
const std::string kStandardBytes =
    GbkCrlf({"", "Dmh,K1", "-8.250,11.900", "-3.000,12.300", "0.000,12.500", "4.000,12.450", "",
             "Dmh,K2", "1.000,10.000", "3.000,10.500"});
const std::string kLeftRightBytes =
    GbkCrlf({"; 道路断面左右格式", "", "K1,12.500", "3.000,12.300,8.250,11.900,", "4.000,12.450,",
             "", "K2", "没有左侧资料", "1.000,10.000,3.000,10.500,"});

TEST(Page7Export, FilesByteForByte) {
    struct Row {
        const char* name;
        bool standard, left_right;
    };
    const Row rows[] = {{"both", true, true},
                        {"standard only", true, false},
                        {"left/right only", false, true},
                        {"neither", false, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Page7Fixture w({{"K1.dm", kK1}});
        w.Open("K1.dm");
        ASSERT_TRUE(w.page->Check11.ticked());  // the file uses increments
        if (!row.standard) w.page->Check11.Click();
        if (row.left_right) w.page->Check12.Click();
        const std::string standard = w.data + "K1（标）.dm", left_right = w.data + "K1（左右）.Txt";
        for (int press = 0; press < 2; ++press) {  // saving again replaces with the same
            w.page->Command25.Click();
            EXPECT_EQ(PathExists(standard), row.standard);
            EXPECT_EQ(PathExists(left_right), row.left_right);
            if (row.standard) {
                EXPECT_EQ(ReadBytes(standard), kStandardBytes);
            }
            if (row.left_right) {
                EXPECT_EQ(ReadBytes(left_right), kLeftRightBytes);
            }
        }
        EXPECT_EQ(w.page->File4.IndexOf("K1（标）.dm") >= 0, row.standard);
        EXPECT_TRUE(w.ui.messages.empty());
    }
}

TEST(Page7Export, NoLeftSideWritesNoLeftRightFile) {
    Page7Fixture w({{"k.dm", {"Dmh,A", "@1,10", "@1,10"}}});
    w.Open("k.dm");
    EXPECT_FALSE(w.page->Check12.enabled);
    w.page->Check12.value = 1;  // even if the box were ticked
    w.page->Command25.Click();
    EXPECT_TRUE(PathExists(w.data + "k（标）.dm"));
    EXPECT_FALSE(PathExists(w.data + "k（左右）.Txt"));
}

TEST(Page7Export, ReplacedFileThatCannotBeWrittenIsReported) {
    Page7Fixture w({{"K1.dm", kK1}});
    w.Open("K1.dm");
    // A folder where the standard file should go: the write fails and says so.
    EXPECT_TRUE(MakeFolder(w.data + "K1（标）.dm").ok());
    w.page->Command25.Click();
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_NE(w.ui.messages[0].text.find("K1（标）.dm"), std::string::npos);
    EXPECT_TRUE(w.ui.shown_aside[0]);
}

// The exchange formats from page 7: the format boxes, the chainage fields, the files
// beside the loaded file, the message naming them, and loading them again.
const Lines kRoad = {"Dmh,K0+020", "-3,12.3", "0,12.5",  "4,12.45",
                     "Dmh,K0+040", "0,13",    "5.5,12.8"};
const Lines kNumbered = {"Dmh,断1", "-3,12.3", "0,12.5", "Dmh,断2", "0,13", "2,12.8"};

TEST(Page7Exchange, EachFormatBoxWritesItsFilesAndNamesThem) {
    struct Row {
        const char* name;
        CheckBox Page7::*box;
        std::vector<std::string> files;
    };
    const Row rows[] = {{"CASS", &Page7::Check13, {"路.hdm"}},
                        {"HintCAD", &Page7::Check14, {"路.HDM", "路.DMX"}},
                        {"LandXML", &Page7::Check15, {"路.xml"}},
                        {"CSV", &Page7::Check16, {"路.csv"}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Page7Fixture w({{"路.dm", kRoad}});
        w.Open("路.dm");
        EXPECT_TRUE((w.page->*row.box).enabled);
        (w.page->*row.box).Click();
        w.page->Command25.Click();
        std::string message = "已保存：";
        std::vector<std::string> written;
        for (const auto& f : row.files) {
            EXPECT_TRUE(PathExists(w.data + f)) << f;
            message += "\n" + w.data + f;
            written.push_back(w.data + f);
        }
        EXPECT_FALSE(PathExists(w.data + "路（标）.dm"));
        EXPECT_EQ(w.page->saved_files, written);
        ASSERT_EQ(w.ui.messages.size(), 1u);
        EXPECT_EQ(w.ui.messages[0].text, message);
        // The written file loads on the page and lists the same standard form.
        Lines listing = w.page->List5.items;
        w.page->Combo14.ChooseText(Page7::FileTypes()[row.files[0] == "路.xml"   ? 2
                                                      : row.files[0] == "路.csv" ? 3
                                                                                 : 1]);
        w.Open(row.files[0]);
        EXPECT_EQ(w.page->List5.items, listing);
        EXPECT_TRUE(w.page->Command23.enabled);
        EXPECT_TRUE(w.page->Check11.enabled);
    }
}

TEST(Page7Exchange, ChainagesFromTheFieldsOrARefusal) {
    struct Row {
        const char* name;
        std::string start, spacing;
        std::string message;   // the refusal, empty when written
        std::string csv_line;  // the second data row when written
    };
    const Row rows[] = {
        {"no fields", "", "", "断面“断1”的名称不是里程", ""},
        {"start only", "100", "", "起点里程和间距要一起填写", ""},
        {"start and spacing", "K0+100", "20", "", "断2,120.000,0.000,13.000"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Page7Fixture w({{"n.dm", kNumbered}});
        w.Open("n.dm");
        w.page->Check16.Click();
        w.page->Text26.Edit(row.start);
        w.page->Text27.Edit(row.spacing);
        w.page->Command25.Click();
        ASSERT_EQ(w.ui.messages.size(), 1u);
        if (!row.message.empty()) {
            EXPECT_EQ(w.ui.messages[0].icon, app::MessageIcon::Exclamation);
            EXPECT_NE(w.ui.messages[0].text.find(row.message), std::string::npos)
                << w.ui.messages[0].text;
            EXPECT_FALSE(PathExists(w.data + "n.csv"));
            continue;
        }
        std::string csv = ReadBytes(w.data + "n.csv");
        EXPECT_NE(csv.find("\r\n" + row.csv_line + "\r\n"), std::string::npos) << csv;
    }
}

TEST(Page7Exchange, ARefusedFileLoadsNothing) {
    Page7Fixture w({{"k.dm", kRoad}});
    testing::WriteBytes(w.data + "bad.HDM",
                        GbkCrlf({"HINTCAD5.83_HDM_SHUJU", "20", "2\t3\t-0.2", "0"}));
    testing::WriteBytes(w.data + "bad.DMX", GbkCrlf({"HINTCAD5.83_DMX_SHUJU", "20\t12.5"}));
    w.Open("k.dm");
    w.page->Combo14.ChooseText(Page7::FileTypes()[1]);
    EXPECT_EQ(w.page->File4.items, (std::vector<std::string>{"bad.HDM"}));
    w.Open("bad.HDM");
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_NE(w.ui.messages[0].text.find("bad.HDM”第3行：左侧声明 2 个点"), std::string::npos)
        << w.ui.messages[0].text;
    EXPECT_TRUE(w.page->List5.items.empty());
    EXPECT_FALSE(w.page->Command23.enabled);
    auto kept = w.Store();  // the sections loaded before stay as they were
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].number, "K0+020");
}

TEST(Page7Exchange, ASectionWithoutCentreStopsTheRoadDesignFileBeforeAnyWrite) {
    Page7Fixture w({{"c.dm", {"Dmh,K0+020", "-3,12.3", "4,12.5"}}});
    w.Open("c.dm");
    w.page->Check12.Click();
    w.page->Check14.Click();
    w.page->Command25.Click();
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_NE(w.ui.messages[0].text.find("断面“K0+020”没有中桩点"), std::string::npos);
    EXPECT_FALSE(PathExists(w.data + "c（左右）.Txt"));
    EXPECT_FALSE(PathExists(w.data + "c.HDM"));
}

// Takes what "输出PDF" would print.
struct RecordingPrinter : plots::SheetPrinter {
    std::vector<std::pair<size_t, std::string>> printed;  // sheets, path
    Status Print(const plots::SheetPlot& plot, const std::string& path) override {
        printed.push_back({plot.sheets.size(), path});
        return Status::Ok();
    }
};

size_t FramesOf(const cad::embedded::Drawing& d) {
    size_t frames = 0;
    for (const auto& e : d.entities())
        if (e->Layer() == "图_图框") ++frames;
    return frames;
}

TEST(Page7Sheets, ChoiceKeptDrawnOnSheetsAndPrinted) {
    Page7Fixture w({{"k1.dm", kStandard}});
    EXPECT_EQ(w.page->Sheets.combo.text, "单列");
    w.Open("k1.dm");
    w.page->Sheets.combo.ChooseText("A3 横向");
    // Kept: the file says so, and a page set up again shows it.
    std::string kept = ReadBytes(w.dir.File("sheets.ini"));
    EXPECT_NE(kept.find("layout=sheets"), std::string::npos) << kept;
    EXPECT_NE(kept.find("paper=A3"), std::string::npos) << kept;
    EXPECT_NE(kept.find("orientation=landscape"), std::string::npos) << kept;
    SheetChoice next_run;
    next_run.settings_path = w.dir.File("sheets.ini");
    next_run.Setup();
    EXPECT_EQ(next_run.combo.text, "A3 横向");

    w.page->Command23.Click();
    ASSERT_EQ(w.host.documents().size(), 1u);
    EXPECT_EQ(FramesOf(w.host.documents().back()->drawing()), 2u);  // trim line, border

    RecordingPrinter printer;
    w.page->Sheets.printer = &printer;
    w.page->Sheets.pdf.Click();
    ASSERT_EQ(printer.printed.size(), 1u);
    EXPECT_EQ(printer.printed[0].first, 1u);
    EXPECT_EQ(printer.printed[0].second, w.data + "k1.pdf");
    ASSERT_FALSE(w.ui.messages.empty());
    EXPECT_EQ(w.ui.messages.back().text, "已输出 1 张图纸到“" + w.data + "k1.pdf”。");
}

TEST(Page7Sheets, ColumnStaysTheDefault) {
    Page7Fixture w({{"k1.dm", kStandard}});
    w.Open("k1.dm");
    w.page->Command23.Click();
    ASSERT_EQ(w.host.documents().size(), 1u);
    EXPECT_EQ(FramesOf(w.host.documents().back()->drawing()), 0u);
    EXPECT_FALSE(std::filesystem::exists(w.dir.File("sheets.ini")));
}

// The profile of page 7 follows the same choice; "纵断面PDF" names its file after the data
// file.
TEST(Page7Sheets, ProfileOnTheChosenPaperAndToPdf) {
    Page7Fixture w({{"k1.dm", kStandard}});
    w.Open("k1.dm");
    w.page->Sheets.combo.ChooseText("A3 横向");
    w.page->Command24.Click();
    ASSERT_EQ(w.host.documents().size(), 1u);
    EXPECT_EQ(FramesOf(w.host.documents().back()->drawing()), 2u);

    RecordingPrinter printer;
    w.page->Sheets.printer = &printer;
    w.page->Sheets.profile_pdf.Click();
    ASSERT_EQ(printer.printed.size(), 1u);
    EXPECT_EQ(printer.printed[0].first, 1u);
    EXPECT_EQ(printer.printed[0].second, w.data + "k1（纵断面）.pdf");
    ASSERT_FALSE(w.ui.messages.empty());
    EXPECT_EQ(w.ui.messages.back().title, "纵断面图");
}

}  // namespace
}  // namespace velorin::window
