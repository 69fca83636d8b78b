// velorin-batch dm-plot and dm-export as a script runs them: the standard listing on
// standard output, the drawings saved as DXF that another reader (ezdxf) opens, the
// export files, and the exit status for faulty files and usage errors.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "base/strings.h"
#include "base/text_file.h"
#include "support/testing.h"

namespace velorin {
namespace {

using Lines = std::vector<std::string>;

struct Batch : testing::BatchProgram {
    // Entities per layer as ezdxf reads them, one "LAYER TYPE COUNT" line each.
    Lines Ezdxf(const std::string& dxf) {
        std::string script =
            "import sys, ezdxf, collections\n"
            "d = ezdxf.readfile(sys.argv[1])\n"
            "c = collections.Counter((e.dxf.layer, e.dxftype()) for e in d.modelspace())\n"
            "for (l, t), n in sorted(c.items()): print(l, t, n)\n";
        testing::WriteBytes(dir.File("count.py"), script);
        std::string command = "/usr/bin/python3 '" + dir.File("count.py") + "' '" + dxf + "' >'" +
                              dir.File("layers.txt") + "' 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << testing::ReadBytes(dir.File("layers.txt"));
        return SplitLines(testing::ReadBytes(dir.File("layers.txt")));
    }
};

const Lines kFile = {"; 两个断面", "Dmh,K0+000", "-12.3,12.34", "0,15.6",
                     "17.6,13",    "Dmh,K0+020", "@-10,12",     "@10,@1"};
const Lines kListing = {"", "Dmh,K0+000", "-12.300,12.340", "0.000,15.600", "17.600,13.000",
                        "", "Dmh,K0+020", "-10.000,12.000", "0.000,13.000"};

TEST(BatchDmPlot, CrossSectionsAndProfileOpenInAnotherReader) {
    Batch b;
    testing::WriteBytes(b.dir.File("k.dm"), testing::GbkCrlf(kFile));
    ASSERT_EQ(b.Run("dm-plot '" + b.dir.File("k.dm") + "' --out '" + b.dir.File("cross.dxf") +
                    "' --title 测试"),
              0);
    EXPECT_EQ(b.out, kListing);
    EXPECT_TRUE(b.err.empty());
    Lines cross = b.Ezdxf(b.dir.File("cross.dxf"));
    for (const char* want : {"横_断面号 TEXT 2", "横_断面线 LWPOLYLINE 2", "横_高程点 CIRCLE 5",
                             "横_高程 TEXT 5", "横_标题 TEXT 1"})
        EXPECT_NE(std::find(cross.begin(), cross.end(), want), cross.end()) << want;

    ASSERT_EQ(b.Run("dm-plot '" + b.dir.File("k.dm") + "' --profile --out '" +
                    b.dir.File("profile.dxf") + "'"),
              0);
    Lines profile = b.Ezdxf(b.dir.File("profile.dxf"));
    for (const char* want :
         {"纵_断面线 LWPOLYLINE 2", "纵_断面数据 TEXT 10", "纵_注字 TEXT 5", "纵_点位 INSERT 5"})
        EXPECT_NE(std::find(profile.begin(), profile.end(), want), profile.end()) << want;
}

// One slipped key in a hand-written file: that section is refused by name, the others
// are drawn and saved, and the exit status says not everything was.
TEST(BatchDmPlot, ASectionWithAHugeRangeIsRefusedAndTheOthersSaved) {
    Batch b;
    testing::WriteBytes(b.dir.File("slip.dm"),
                        testing::GbkCrlf({"Dmh,A", "0,10", "5,11", "Dmh,X", "0,10", "5,1e9"}));
    EXPECT_EQ(b.Run("dm-plot '" + b.dir.File("slip.dm") + "' --out '" + b.dir.File("p.dxf") + "'"),
              1);
    EXPECT_EQ(b.err, Lines{"横断面图: 断面“X”的范围过大（偏距 0～10，高程 8～1000000002），"
                           "网格线将超过10000条，该断面未绘制。"});
    std::string dxf = testing::ReadBytes(b.dir.File("p.dxf"));
    EXPECT_NE(dxf.find("A\xA1\xAB"
                       "A'"),
              std::string::npos);  // A～A' in GBK
    EXPECT_EQ(dxf.find("X\xA1\xAB"
                       "X'"),
              std::string::npos);
}

TEST(BatchDmPlot, RefusalsAndUsage) {
    Batch b;
    testing::WriteBytes(b.dir.File("k.dm"), testing::GbkCrlf(kFile));
    testing::WriteBytes(b.dir.File("bad.dm"), testing::GbkCrlf({"Dmh,A", "1,x"}));
    EXPECT_EQ(b.Run("dm-plot '" + b.dir.File("bad.dm") + "' --out '" + b.dir.File("x.dxf") + "'"),
              1);
    EXPECT_EQ(b.out, (Lines{"Dmh,A", "; 错误 1,x"}));
    // The marked line follows the refusal, so a script sees which line to correct.
    EXPECT_EQ(b.err, (Lines{"数据断面: 断面文件格式有误，请检查后再试！", "; 错误 1,x"}));
    EXPECT_EQ(b.Run("dm-plot '" + b.dir.File("k.dm") + "' --axis 10,abc --out '" +
                    b.dir.File("x.dxf") + "'"),
              1);
    EXPECT_EQ(b.err, Lines{"数据断面: 统一高程轴设置有误，请更正。"});
    EXPECT_FALSE(std::filesystem::exists(b.dir.File("x.dxf")));
    EXPECT_EQ(b.Run("dm-plot '" + b.dir.File("k.dm") + "'"), 2);
    EXPECT_EQ(b.Run("dm-plot '" + b.dir.File("k.dm") + "' --out x.dxf --hscale 200"), 2);
}

// Every line the load marked as bad reaches standard error, whether or not the rest of
// the file could be used.
TEST(BatchDmMarkedLines, ArePrintedToStandardError) {
    struct Row {
        const char* name;
        std::string command;  // before the file
        bool plot;            // a plot needs the drawing to save
        Lines file;
        int status;
        Lines marked;  // the error-stream lines that start with "; 错误"
    };
    const Row rows[] = {
        {"plot, a line without a comma is skipped",
         "dm-plot",
         true,
         {"Dmh,A", "1,2", "junk", "3,4", "also junk"},
         0,
         {"; 错误 junk", "; 错误 also junk"}},
        {"export, a line without a comma is skipped",
         "dm-export",
         false,
         {"Dmh,A", "1,2", "junk", "@3,4"},
         0,
         {"; 错误 junk"}},
        {"plot, a bad number stops the load",
         "dm-plot",
         true,
         {"Dmh,A", "1,2", "3,y"},
         1,
         {"; 错误 3,y"}},
        {"export, a clean file marks nothing", "dm-export", false, {"Dmh,A", "1,2", "@3,4"}, 0, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Batch b;
        testing::WriteBytes(b.dir.File("m.dm"), testing::GbkCrlf(row.file));
        std::string after = row.plot ? " --out '" + b.dir.File("x.dxf") + "'" : "";
        EXPECT_EQ(b.Run(row.command + " '" + b.dir.File("m.dm") + "'" + after), row.status);
        Lines marked;
        for (const std::string& line : b.err)
            if (StartsWith(line, "; 错误")) marked.push_back(line);
        EXPECT_EQ(marked, row.marked);
    }
}

TEST(BatchDmExport, WritesTheChosenFormats) {
    Batch b;
    testing::WriteBytes(b.dir.File("k.dm"), testing::GbkCrlf(kFile));
    ASSERT_EQ(b.Run("dm-export '" + b.dir.File("k.dm") + "' --left-right"), 0);
    EXPECT_FALSE(std::filesystem::exists(b.dir.File("k（标）.dm")));
    EXPECT_EQ(testing::ReadBytes(b.dir.File("k（左右）.Txt")),
              testing::GbkCrlf({"; 道路断面左右格式", "", "K0+000,15.600", "12.300,12.340,",
                                "17.600,13.000,", "", "K0+020,13.000", "10.000,12.000,",
                                "没有右侧资料"}));
    // Without options the boxes stay as the load set them: the standard file, as the
    // file uses increments.
    std::filesystem::remove(b.dir.File("k（左右）.Txt"));
    ASSERT_EQ(b.Run("dm-export '" + b.dir.File("k.dm") + "'"), 0);
    EXPECT_EQ(testing::ReadBytes(b.dir.File("k（标）.dm")), testing::GbkCrlf(kListing));
    EXPECT_FALSE(std::filesystem::exists(b.dir.File("k（左右）.Txt")));
    // The normalised file has no increments: its standard box cannot be ticked.
    EXPECT_EQ(b.Run("dm-export '" + b.dir.File("k（标）.dm") + "' --standard"), 1);
    ASSERT_EQ(b.err.size(), 1u);
    EXPECT_TRUE(StartsWith(b.err[0], "数据断面: “保存标准断面格式”不可选"));
}

TEST(BatchDmExport, ExchangeFormatsWithAndWithoutChainageOptions) {
    const Lines numbered = {"Dmh,断1", "-2,10", "0,10.5", "Dmh,断2", "0,11", "3,10.8"};
    struct Row {
        const char* name;
        bool numbered;  // sections named 断1, 断2 rather than by chainage
        std::string options;
        int status;
        std::vector<std::string> files;  // written beside the file
        std::string err;                 // start of the first message line
    };
    const Row rows[] = {
        {"names are chainages", false, "--format csv", 0, {"k.csv"}, "数据断面: 已保存："},
        {"two formats, one option",
         false,
         "--format hdm,hintcad",
         0,
         {"k.hdm", "k.HDM", "k.DMX"},
         ""},
        {"repeated option", false, "--format landxml --format csv", 0, {"k.xml", "k.csv"}, ""},
        {"numbered without start",
         true,
         "--format csv",
         1,
         {},
         "数据断面: 断面“断1”的名称不是里程"},
        {"numbered with start and spacing",
         true,
         "--format hdm --start 100 --spacing 25",
         0,
         {"k.hdm"},
         ""},
        {"start without spacing",
         true,
         "--format hdm --start 100",
         1,
         {},
         "数据断面: 起点里程和间距"},
        {"unknown format", false, "--format dxf", 2, {}, ""},
        {"spacing without a format", true, "--start 0 --spacing 20", 2, {}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Batch b;
        testing::WriteBytes(b.dir.File("k.dm"), testing::GbkCrlf(row.numbered ? numbered : kFile));
        EXPECT_EQ(b.Run("dm-export '" + b.dir.File("k.dm") + "' " + row.options), row.status);
        for (const auto& f : row.files) EXPECT_TRUE(std::filesystem::exists(b.dir.File(f))) << f;
        for (const char* f : {"k.hdm", "k.HDM", "k.xml", "k.csv"})
            if (std::find(row.files.begin(), row.files.end(), f) == row.files.end()) {
                EXPECT_FALSE(std::filesystem::exists(b.dir.File(f))) << f;
            }
        // --format alone writes only those formats, not the standard file of "@" files.
        EXPECT_FALSE(std::filesystem::exists(b.dir.File("k（标）.dm")));
        if (!row.err.empty()) {
            ASSERT_FALSE(b.err.empty());
            EXPECT_TRUE(StartsWith(b.err[0], row.err)) << b.err[0];
        }
    }
    Batch b;
    testing::WriteBytes(b.dir.File("k.dm"), testing::GbkCrlf(numbered));
    ASSERT_EQ(
        b.Run("dm-export '" + b.dir.File("k.dm") + "' --format hdm --start K0+100 --spacing 25"),
        0);
    EXPECT_EQ(testing::ReadBytes(b.dir.File("k.hdm")),
              testing::GbkCrlf({"BEGIN,100.000:1", "-2.000,10.000", "0.000,10.500",
                                "BEGIN,125.000:2", "0.000,11.000", "3.000,10.800"}));
}

TEST(BatchDmPlot, ReadsTheRoadDesignFileItWrote) {
    Batch b;
    testing::WriteBytes(b.dir.File("k.dm"), testing::GbkCrlf(kFile));
    ASSERT_EQ(b.Run("dm-export '" + b.dir.File("k.dm") + "' --format hintcad"), 0);
    ASSERT_EQ(b.Run("dm-plot '" + b.dir.File("k.HDM") + "' --out '" + b.dir.File("h.dxf") + "'"),
              0);
    EXPECT_EQ(b.out, kListing);  // names come from the chainages: the same as the .dm's
    Lines cross = b.Ezdxf(b.dir.File("h.dxf"));
    EXPECT_NE(std::find(cross.begin(), cross.end(), "横_断面号 TEXT 2"), cross.end());
    // Without its .DMX the file cannot give elevations and is refused.
    std::filesystem::remove(b.dir.File("k.DMX"));
    EXPECT_EQ(b.Run("dm-plot '" + b.dir.File("k.HDM") + "' --out '" + b.dir.File("g.dxf") + "'"),
              1);
    ASSERT_FALSE(b.err.empty());
    EXPECT_NE(b.err[0].find("k.DMX"), std::string::npos) << b.err[0];
    EXPECT_FALSE(std::filesystem::exists(b.dir.File("g.dxf")));
}

}  // namespace
}  // namespace velorin
