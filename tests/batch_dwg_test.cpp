// velorin-batch on DWG drawings: a picture of a sample DWG, points plotted into a DWG (saved
// as NAME.dxf beside it, the DWG untouched, checked with ezdxf), and the messages for a
// damaged DWG and a missing converter.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>

#include "base/paths.h"
#include "base/strings.h"
#include "base/text_file.h"
#include "support/testing.h"

namespace velorin {
namespace {

// CI installs the converter (scripts/setup) and sets CI; elsewhere a missing one skips.
#define REQUIRE_CONVERTER()                                                                   \
    do {                                                                                      \
        if (!PathExists(testing::AppDir() +                                                   \
                        "dwg/node_modules/@mlightcad/libredwg-web/package.json")) {           \
            if (std::getenv("CI")) FAIL() << "the DWG converter is not installed in CI";      \
            GTEST_SKIP() << "the DWG converter is not installed: run scripts/setup, rebuild"; \
        }                                                                                     \
    } while (0)

std::string Sample(const std::string& name) { return testing::SamplesDir() + "dwg/" + name; }

std::string AllErr(const testing::BatchProgram& b) {
    std::string out;
    for (const auto& line : b.err) out += line + "\n";
    return out;
}

TEST(BatchDwg, RenderOfASampleDwgIsNotBlank) {
    REQUIRE_CONVERTER();
    testing::BatchProgram b;
    std::string png = b.dir.File("example_2018.png");
    EXPECT_EQ(b.Run("render '" + Sample("example_2018.dwg") + "' --out '" + png + "'"), 0)
        << AllErr(b);
    QImage image(QString::fromStdString(png));
    ASSERT_FALSE(image.isNull());
    long inked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) inked += image.pixel(x, y) != image.pixel(0, 0);
    EXPECT_GT(inked, 1000) << "the picture is blank";
    // Nothing is written beside the DWG by a command that does not save.
    EXPECT_FALSE(PathExists(Sample("example_2018.dxf.bak")));
}

TEST(BatchDwg, PointsPlottedIntoADwgAreSavedAsTheDxfBesideIt) {
    REQUIRE_CONVERTER();
    testing::BatchProgram b;
    b.CopyExample("traverse/traverse.dat");
    b.CopyExample("traverse/traverse.ctl");
    ASSERT_EQ(b.Run("convert '" + b.dir.File("traverse.dat") + "'"), 0) << AllErr(b);
    ASSERT_EQ(b.Run("compute '" + b.dir.File("traverse.sur") + "' --ctl '" +
                    b.dir.File("traverse.ctl") + "'"),
              0)
        << AllErr(b);
    std::string dwg = b.dir.File("现状.dwg");
    std::string bytes = testing::ReadBytes(Sample("example_2013.dwg"));
    testing::WriteBytes(dwg, bytes);
    EXPECT_EQ(b.Run("plot-points '" + b.dir.File("traverse.cor") + "' --drawing '" + dwg + "'"), 0)
        << AllErr(b);
    std::string dxf = b.dir.File("现状.dxf");
    EXPECT_NE(AllErr(b).find("图形已保存为 " + dxf), std::string::npos) << AllErr(b);
    EXPECT_EQ(testing::ReadBytes(dwg), bytes);  // the DWG is never written
    ASSERT_TRUE(PathExists(dxf));

    // The saved drawing holds the sample's entities and texts and the plotted points.
    testing::WriteBytes(
        b.dir.File("count.py"),
        "import sys, collections, ezdxf\n"
        "doc = ezdxf.readfile(sys.argv[1])\n"
        "msp = doc.modelspace()\n"
        "print(len(msp.query('INSERT[name==\"纯坐标展点\"]')))\n"
        "print(len(msp.query('LWPOLYLINE')), len(msp.query('LINE')))\n"
        "print('|'.join(sorted(e.dxf.text for e in msp.query('TEXT'))))\n"
        "print(doc.layers.get('Tavolo 2').is_on(), doc.layers.get('Tavolo 2').color)\n");
    std::string command = "PYTHONIOENCODING=utf-8 /usr/bin/python3 '" + b.dir.File("count.py") +
                          "' '" + dxf + "' >'" + b.dir.File("count.txt") + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << testing::ReadBytes(b.dir.File("count.txt"));
    auto lines = SplitLines(testing::ReadBytes(b.dir.File("count.txt")));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "12");      // the traverse's points
    EXPECT_EQ(lines[1], "11 8");    // the sample's own polylines and lines
    EXPECT_NE(lines[2], "");        // its texts
    EXPECT_EQ(lines[3], "True 2");  // its layer, on, yellow
}

TEST(BatchDwg, ADamagedDwgGivesTheMessageAndExitStatus1) {
    REQUIRE_CONVERTER();
    testing::BatchProgram b;
    std::string dwg = b.dir.File("坏.dwg");
    std::string whole = testing::ReadBytes(Sample("example_2000.dwg"));
    testing::WriteBytes(dwg, whole.substr(0, whole.size() / 4));
    EXPECT_EQ(b.Run("delete-aux --drawing '" + dwg + "'"), 1);
    EXPECT_NE(AllErr(b).find("无法打开 DWG 文件“" + dwg + "”"), std::string::npos) << AllErr(b);
    EXPECT_FALSE(PathExists(b.dir.File("坏.dxf")));
}

TEST(BatchDwg, WithoutTheConverterTheMessageSaysWhatToInstall) {
    testing::BatchProgram b;
    testing::TempDir empty;
    setenv("VELORIN_DWG_CONVERTER", empty.path().c_str(), 1);
    int status =
        b.Run("render '" + Sample("example_2000.dwg") + "' --out '" + b.dir.File("x.png") + "'");
    unsetenv("VELORIN_DWG_CONVERTER");
    EXPECT_EQ(status, 1);
    std::string err = AllErr(b);
    for (const char* part : {"example_2000.dwg", "apt-get install nodejs npm",
                             "@mlightcad/libredwg-web", "scripts/setup"})
        EXPECT_NE(err.find(part), std::string::npos) << part << "\n" << err;
    EXPECT_FALSE(PathExists(b.dir.File("x.png")));
    // A DXF opens as before.
    EXPECT_EQ(
        b.Run("render '" + Sample("example_2000.dxf") + "' --out '" + b.dir.File("y.png") + "'"),
        0);
}

}  // namespace
}  // namespace velorin
