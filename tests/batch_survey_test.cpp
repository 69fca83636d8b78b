// velorin-batch convert and compute as a script runs them: the page's lines on standard
// output, message boxes on standard error, and the exit status.
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

struct Batch : testing::BatchProgram {
    Batch() {
        for (const char* name :
             {"traverse/traverse.dat", "traverse/traverse.idx", "traverse/traverse.ctl"})
            CopyExample(name);
    }
};

TEST(BatchConvert, PrintsTheListAndSavesTheSurveyFile) {
    Batch b;
    b.Run("convert '" + b.dir.File("traverse.dat") + "'");
    EXPECT_EQ(b.status, 0);
    TextLines saved = ReadTextLines(b.dir.File("traverse.sur"));
    ASSERT_TRUE(saved.status.ok());
    EXPECT_EQ(b.out, saved.lines);
    EXPECT_EQ(b.out[0], "; 全 站 仪：Topcon GTS 311");
    EXPECT_EQ(b.err, std::vector<std::string>{"测量文件: 文件已保存在“" +
                                              b.dir.File("traverse.sur") + "”中。"});
}

TEST(BatchConvert, ModelComesFromTheExtensionOrTheOption) {
    Batch b;
    b.Run("convert '" + b.dir.File("traverse.idx") + "' --limit 20");
    EXPECT_EQ(b.status, 0);
    ASSERT_FALSE(b.out.empty());
    EXPECT_EQ(b.out[0], "; 全 站 仪：Leica TC 307");
    // The 12 m target height stays under a limit of 20.
    EXPECT_NE(std::find_if(b.out.begin(), b.out.end(),
                           [](const std::string& l) {
                               return StartsWith(l, "P6,189.3741,") && EndsWith(l, ",12.000");
                           }),
              b.out.end());
    b.Run("convert '" + b.dir.File("traverse.idx") + "' --model gts311");
    EXPECT_EQ(b.out.size(), 2u);  // an IDEX file holds no GTS-311 records
    b.Run("convert '" + b.dir.File("traverse.dat") + "' --model topcon");
    EXPECT_EQ(b.status, 2);
}

TEST(BatchConvert, InvalidLimitIsRefused) {
    Batch b;
    b.Run("convert '" + b.dir.File("traverse.dat") + "' --limit x");
    EXPECT_EQ(b.status, 1);
    EXPECT_TRUE(b.out.empty());
    EXPECT_EQ(b.err, std::vector<std::string>{"错误: “忽略觇标高”值不合法，请重新输入。"});
    EXPECT_FALSE(std::filesystem::exists(b.dir.File("traverse.sur")));
}

TEST(BatchCompute, PrintsTheReportAndSavesTheResults) {
    Batch b;
    b.Run("convert '" + b.dir.File("traverse.dat") + "'");
    b.Run("compute '" + b.dir.File("traverse.sur") + "' --ctl '" + b.dir.File("traverse.ctl") +
          "'");
    EXPECT_EQ(b.status, 0);
    ASSERT_GE(b.out.size(), 3u);
    EXPECT_EQ(b.out[0], "测量类型：自动");
    EXPECT_EQ(b.out.back(), "— 12个坐标点全部计算完毕！");
    TextLines log = ReadTextLines(b.dir.File("traverse.log"));
    ASSERT_TRUE(log.status.ok());
    EXPECT_EQ(std::vector<std::string>(log.lines.begin() + 3, log.lines.end()), b.out);
    EXPECT_TRUE(std::filesystem::exists(b.dir.File("traverse.cor")));
    EXPECT_TRUE(std::filesystem::exists(b.dir.File("traverse(支).ctl")));
    EXPECT_EQ(b.err, (std::vector<std::string>{
                         "坐标计算: 坐标计算结束！", "", "12个坐标点全部计算完毕！",
                         "坐标保存: 数据已保存在“" + b.dir.File("traverse.cor") + "”文件中！"}));
}

TEST(BatchCompute, StoppedRunsAndMissingFilesExitWithOne) {
    Batch b;
    b.Run("convert '" + b.dir.File("traverse.dat") + "'");
    b.Run("compute '" + b.dir.File("traverse.sur") + "' --ctl '" + b.dir.File("none.ctl") + "'");
    EXPECT_EQ(b.status, 1);
    testing::WriteBytes(b.dir.File("short.sur"), testing::GbkCrlf({"cz,K1", "hs,K2", "P1,0,10"}));
    b.Run("compute '" + b.dir.File("short.sur") + "' --ctl '" + b.dir.File("traverse.ctl") + "'");
    EXPECT_EQ(b.status, 1);
    EXPECT_FALSE(std::filesystem::exists(b.dir.File("short.cor")));
    b.Run("compute");
    EXPECT_EQ(b.status, 2);
}

// Every refusal of velorin-batch says why on standard error; usage faults exit with 2.
TEST(BatchRefusals, OptionsFoldersAndEmptyInputsAreNamed) {
    struct Row {
        const char* name;
        std::string args;  // after the scratch program folder
        int status;
        std::string first_error;
    };
    Batch b;
    testing::WriteBytes(b.dir.File("empty.sur"), testing::GbkCrlf({"; 只有注释"}));
    const Row rows[] = {
        {"unknown option", "convert x.dat --limt 5", 2, "velorin-batch convert: 未知选项 --limt"},
        {"required option", "batch --drawing a.dxf", 2, "velorin-batch batch: 缺少选项 --pick"},
        {"compute without control points", "compute '" + b.dir.File("empty.sur") + "'", 2,
         "velorin-batch compute: 需要 --ctl 控制点文件，不用控制点文件时请给出 --no-ctl"},
        {"main folder missing", "--main-dir '" + b.dir.File("nowhere") + "' convert x.dat", 2,
         "velorin-batch: --main-dir 所指的文件夹“" + b.dir.File("nowhere") + "”不存在。"},
        {"empty survey", "compute '" + b.dir.File("empty.sur") + "' --no-ctl", 1,
         "坐标计算: 测量文件“" + b.dir.File("empty.sur") + "”中没有观测数据，没有可计算的坐标。"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        b.Run(row.args);
        EXPECT_EQ(b.status, row.status);
        ASSERT_FALSE(b.err.empty());
        EXPECT_EQ(b.err[0], row.first_error);
    }
    EXPECT_FALSE(std::filesystem::exists(b.dir.File("empty.cor")));
}

// The survey file lies beside the raw file whatever its name, and a file without records
// of the model is named and not saved.
TEST(BatchConvert, TheTargetLiesBesideTheRawFile) {
    Batch b;
    std::filesystem::create_directory(b.dir.File("data"));
    std::filesystem::copy_file(b.dir.File("traverse.dat"), b.dir.File("data/rw"));
    b.Run("convert '" + b.dir.File("data/rw") + "' --model gts311");
    EXPECT_EQ(b.status, 0);
    EXPECT_TRUE(std::filesystem::exists(b.dir.File("data/rw.sur")));
    EXPECT_FALSE(std::filesystem::exists(b.dir.File(".sur")));

    testing::WriteBytes(b.dir.File("junk.dat"), testing::GbkCrlf({"random text", "1 2 3"}));
    b.Run("convert '" + b.dir.File("junk.dat") + "'");
    EXPECT_EQ(b.status, 1);
    EXPECT_EQ(b.err, std::vector<std::string>{"测量文件: 文件“" + b.dir.File("junk.dat") +
                                              "”中没有找到 Topcon GTS 311 "
                                              "格式的记录，请检查文件或所选的全站仪型号。"});
    EXPECT_FALSE(std::filesystem::exists(b.dir.File("junk.sur")));
}

}  // namespace
}  // namespace velorin
