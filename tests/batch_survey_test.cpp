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

}  // namespace
}  // namespace velorin
