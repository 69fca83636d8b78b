#!/usr/bin/env python3
"""The sample road from raw files to plots, checked against the road it was made from.

Runs scripts/demo with the built programs into a temporary folder, then compares what a
survey engineer would look at with the road model of scripts/make_road_sample: the
computed coordinates of both raw files, the batch's section data file, the profile along
the centre line, the exports of the hand-made file, the drawing's section numbers and
centre points, and the names of every file.

Usage: road_test.py BUILD_DIR   (run by CTest; needs /usr/bin/python3 with ezdxf)
"""
import importlib.machinery
import importlib.util
import math
import os
import re
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET

SOURCE = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
BUILD = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else os.path.join(SOURCE, "build")

# A computed point may lie this far from where the road model puts it (metres).
POSITION_TOLERANCE = 0.002
# A section data file holds millimetres: each chainage and height must be the model's
# to the millimetre.
FILE_TOLERANCE = 0.001 + 1e-9


def load_model():
    path = os.path.join(SOURCE, "scripts", "make_road_sample")
    loader = importlib.machinery.SourceFileLoader("make_road_sample", path)
    module = importlib.util.module_from_spec(importlib.util.spec_from_loader(loader.name, loader))
    loader.exec_module(module)
    return module


def read_lines(path):
    """The lines of a file the program wrote: GBK, every line ended by CR LF."""
    with open(path, "rb") as f:
        text = f.read().decode("gbk")
    assert text.endswith("\r\n"), "%s: last line not ended by CR LF" % path
    lines = text[:-2].split("\r\n")
    assert not any("\n" in line or "\r" in line for line in lines), "%s: a line ends otherwise than CR LF" % path
    return lines


def data_sections(lines):
    """[(section number, [(chainage, height)])] of a section data file in standard form."""
    sections = []
    for line in lines:
        if line.startswith("Dmh,"):
            sections.append((line[4:], []))
        elif line and not line.startswith(";"):
            chainage, height = line.split(",")
            sections[-1][1].append((float(chainage), float(height)))
    return sections


def chainage_along(line, point):
    """Length along a polyline to the foot of a point on its nearest segment."""
    best, start = None, 0.0
    for (x1, y1), (x2, y2) in zip(line, line[1:]):
        length = math.hypot(x2 - x1, y2 - y1)
        t = ((point[0] - x1) * (x2 - x1) + (point[1] - y1) * (y2 - y1)) / length
        if -1e-9 <= t <= length + 1e-9:
            off = abs((point[0] - x1) * (y2 - y1) - (point[1] - y1) * (x2 - x1)) / length
            if best is None or off < best[0]:
                best = (off, start + t)
        start += length
    assert best is not None, "point %r lies beside no segment" % (point,)
    return best[1]


class RoadDemo(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.model = load_model()
        cls.tmp = tempfile.TemporaryDirectory(prefix="road_e2e_")
        cls.out = cls.tmp.name
        env = dict(os.environ, VELORIN_BUILD_DIR=BUILD)
        run = subprocess.run(["bash", os.path.join(SOURCE, "scripts", "demo"), cls.out], env=env,
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=600)
        cls.listing = run.stdout.decode("utf-8", "replace")
        cls.status = run.returncode
        cls.project = os.path.join(cls.out, "project")

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def setUp(self):
        self.assertEqual(self.status, 0, "scripts/demo failed:\n" + self.listing)

    def path(self, *parts):
        return os.path.join(self.project, *parts)

    # --- coordinates ----------------------------------------------------------------

    def test_every_point_of_both_raw_files_is_computed_where_the_road_has_it(self):
        truth = self.model.points()
        for cor in ("road.cor", "road-leica.cor"):
            with self.subTest(file=cor):
                lines = read_lines(self.path(cor))
                self.assertTrue(lines[0].startswith("; 坐标文件： "), lines[0])
                rows = [line.split(",") for line in lines[3:] if line]
                names = {row[0].rstrip("校核") for row in rows}
                self.assertEqual(names, set(truth), "points computed differ from points observed")
                for name, y, x, h, empty in rows:
                    tx, ty, th = truth[name.rstrip("校核")]
                    self.assertEqual(empty, "", name)
                    plane = math.hypot(float(x) - tx, float(y) - ty)
                    self.assertLessEqual(plane, POSITION_TOLERANCE, "%s in %s is %.4f m off" % (name, cor, plane))
                    self.assertLessEqual(abs(float(h) - th), POSITION_TOLERANCE,
                                         "%s in %s: height %s, road %.3f" % (name, cor, h, th))

    def test_computation_report_passes_every_check(self):
        for log in ("road.log", "road-leica.log"):
            with self.subTest(file=log):
                lines = read_lines(self.path(log))
                checks = [line for line in lines if line.startswith(("☆", "×"))]
                self.assertTrue(checks, "no check reported")
                self.assertEqual([line for line in checks if line.startswith("×")], [])
                # Every observation: the backsight again, the stations, the section and edge points.
                count = sum(1 + len(shots) + len(self.model.SHAPE) * len(rows) + len(self.model.EDGE_OFFSETS) * len(edges)
                            for _, _, _, shots, rows, edges in self.model.SETUPS)
                self.assertIn("— %d个坐标点全部计算完毕！" % count, lines)

    # --- sections from the drawing --------------------------------------------------

    def batch_file(self):
        return self.path("断面数据", "断1～断10.dm")

    def test_batch_file_is_named_after_its_first_and_last_section(self):
        self.assertTrue(os.path.isfile(self.batch_file()), os.listdir(self.path("断面数据")))
        lines = read_lines(self.batch_file())
        self.assertEqual(lines[:2], ["; 批量断面", "; 断面号：断1～断10"])

    def test_batch_sections_have_the_road_models_chainages_and_heights(self):
        got = data_sections(read_lines(self.batch_file()))
        expected = self.model.sections()
        self.assertEqual([number for number, _ in got], [number for number, _, _ in expected])
        for (number, points), (_, s, model_points) in zip(got, expected):
            with self.subTest(section=number, chainage=s):
                self.assertEqual(len(points), len(model_points), points)
                for (chainage, height), (offset, model_height) in zip(points, model_points):
                    self.assertLessEqual(abs(chainage - offset), FILE_TOLERANCE,
                                         "%s: chainage %.3f, road offset %.3f" % (number, chainage, offset))
                    self.assertLessEqual(abs(height - model_height), FILE_TOLERANCE,
                                         "%s at %.3f: height %.3f, road %.3f" % (number, offset, height, model_height))
                # The centre point is the origin of the chainages.
                self.assertIn((0.0, dict(model_points)[0.0]), [(c, round(h, 3)) for c, h in points])

    def test_profile_along_the_centre_line_climbs_with_the_grade(self):
        lines = read_lines(self.path("断面数据", "纵_中线.dm"))
        self.assertEqual(lines[:2], ["; 纵断面图", "; 起点里程：0+0.000"])
        [(number, points)] = data_sections(lines)
        self.assertEqual(number, "中线")
        # The centre line is drawn as chords of the bend, so the profile's chainages are
        # lengths along those chords to the foot of each centre point.
        line = self.model.centre_line()
        for (chainage, height), s in zip(points, self.model.SECTION_CHAINAGES):
            with self.subTest(chainage=s):
                along = chainage_along(line, self.model.at(s, 0.0))
                self.assertLessEqual(abs(chainage - along), FILE_TOLERANCE, "%.3f, along the line %.4f" % (chainage, along))
                self.assertLessEqual(abs(height - self.model.height(s, 0.0)), FILE_TOLERANCE)
        self.assertEqual(len(points), len(self.model.SECTION_CHAINAGES))

    def test_left_right_listing_of_the_batch_file(self):
        lines = read_lines(self.path("断面数据", "断1～断10（左右）.Txt"))
        self.assertEqual(lines[0], "; 道路断面左右格式")
        self.assertEqual(len(lines), 1 + 4 * len(self.model.SECTION_CHAINAGES))
        for i, (number, _, points) in enumerate(self.model.sections()):
            with self.subTest(section=number):
                centre, left, right = lines[2 + 4 * i: 5 + 4 * i]
                self.assertEqual(centre.split(",")[0], number)
                self.assertEqual(len(left.rstrip(",").split(",")), 2 * sum(1 for d, _ in points if d < 0))
                distances = [float(v) for v in left.rstrip(",").split(",")[0::2]]
                self.assertEqual(distances, sorted(distances), "left side must run outwards")

    # --- the hand-made file ---------------------------------------------------------

    def test_hand_made_file_saved_in_standard_form_with_absolute_values(self):
        got = data_sections(read_lines(self.path("补测断面（标）.dm")))
        expected = self.model.hand_sections()
        self.assertEqual([number for number, _ in got], [number for number, _ in expected])
        for (number, points), (_, model_points) in zip(got, expected):
            with self.subTest(section=number):
                self.assertEqual(points, [(d, h) for d, h in model_points])

    def test_hand_made_file_left_right_layout(self):
        lines = read_lines(self.path("补测断面（左右）.Txt"))
        expected = ["; 道路断面左右格式"]
        for number, points in self.model.hand_sections():
            heights = dict(points)
            expected += ["", "%s,%.3f" % (number, heights[0.0]),
                         "".join("%.3f,%.3f," % (-d, h) for d, h in sorted(points, key=lambda p: -p[0]) if d < 0),
                         "".join("%.3f,%.3f," % (d, h) for d, h in points if d > 0)]
        self.assertEqual(lines, expected)

    # --- the drawing and the plots --------------------------------------------------

    def drawing_entities(self, name, script):
        code = "import sys, ezdxf\ndoc = ezdxf.readfile(sys.argv[1])\nmsp = doc.modelspace()\n" + script
        run = subprocess.run(["/usr/bin/python3", "-c", code, self.path(name)], stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, env=dict(os.environ, PYTHONIOENCODING="utf-8"))
        self.assertEqual(run.returncode, 0, run.stderr.decode("utf-8", "replace"))
        return run.stdout.decode("utf-8").splitlines()

    def test_section_numbers_stand_at_both_ends_of_their_lines(self):
        texts = self.drawing_entities("road.dxf", (
            "for e in msp.query('TEXT[layer==\"断_断面号\"]'):\n"
            "    print('%s %.3f %.3f' % (e.dxf.text, e.dxf.insert.x, e.dxf.insert.y))\n"))
        got = {line.split(" ")[0]: tuple(float(v) for v in line.split(" ")[1:]) for line in texts}
        half = self.model.SECTION_HALF_LENGTH
        expected = {}
        for number, s, _ in self.model.sections():
            for label, d in ((number, -half), (number + "'", half)):
                x, y = self.model.at(s, d)
                expected[label] = (y, x)
        self.assertEqual(sorted(got), sorted(expected))
        for label, (x, y) in expected.items():
            with self.subTest(label=label):
                self.assertLessEqual(math.hypot(got[label][0] - x, got[label][1] - y), 0.002)

    def test_centre_points_were_moved_onto_the_centre_layer(self):
        blocks = self.drawing_entities("road.dxf", (
            "for e in msp.query('INSERT[layer==\"断_中心点\"]'):\n"
            "    print('%s %.3f %.3f %.3f' % (e.dxf.name, e.dxf.insert.x, e.dxf.insert.y, e.dxf.insert.z))\n"))
        self.assertEqual(len(blocks), len(self.model.SECTION_CHAINAGES), blocks)
        positions = [tuple(float(v) for v in line.split(" ")[1:]) for line in blocks]
        for s in self.model.SECTION_CHAINAGES:
            x, y = self.model.at(s, 0.0)
            with self.subTest(chainage=s):
                nearest = min(positions, key=lambda p: math.hypot(p[0] - y, p[1] - x))
                self.assertLessEqual(math.hypot(nearest[0] - y, nearest[1] - x), POSITION_TOLERANCE)
                self.assertAlmostEqual(nearest[2], self.model.height(s, 0.0), delta=POSITION_TOLERANCE)

    def test_cross_section_plot_holds_one_frame_per_section(self):
        texts = self.drawing_entities("横断面图.dxf", (
            "for e in msp.query('TEXT MTEXT'):\n"
            "    print(e.dxf.text if e.dxftype() == 'TEXT' else e.text)\n"))
        for number, _, _ in self.model.sections():
            with self.subTest(section=number):
                self.assertTrue(any(re.search(re.escape(number) + r"(?![0-9])", t) for t in texts),
                                "section %s is not labelled in the plot" % number)

    def test_every_drawing_is_rendered_to_png_and_pdf(self):
        magic = {"png": b"\x89PNG\r\n\x1a\n", "pdf": b"%PDF"}
        for drawing in ("road", "横断面图", "纵断面图", "补测断面", "纬地断面"):
            for kind, head in magic.items():
                with self.subTest(picture="%s.%s" % (drawing, kind)):
                    path = os.path.join(self.out, "plots", "%s.%s" % (drawing, kind))
                    with open(path, "rb") as f:
                        data = f.read()
                    self.assertTrue(data.startswith(head), path)
                    self.assertGreater(len(data), 10000, "%s looks empty" % path)

    def test_demo_says_where_each_result_is(self):
        for path in (self.path("road.cor"), self.path("横断面图.dxf"), self.path("纵断面图.dxf"),
                     self.path("断面数据", "断1～断10.dm"), os.path.join(self.out, "plots")):
            with self.subTest(result=path):
                self.assertIn(path, self.listing)

    # --- exchange formats -----------------------------------------------------------

    EXCHANGE = ("hdm", "HDM", "DMX", "xml", "csv")
    LANDXML = "{http://www.landxml.org/schema/LandXML-1.2}"

    def exported(self, extension):
        return self.path("断面数据", "断1～断10." + extension)

    def expected_sections(self):
        """[(name, chainage, [(offset, height)])] as the batch file holds them, 20 m apart."""
        got = data_sections(read_lines(self.batch_file()))
        return [(number, 20.0 * i, points) for i, (number, points) in enumerate(got)]

    def assertSameSections(self, got, names=True):
        expected = self.expected_sections()
        self.assertEqual(len(got), len(expected))
        for (name, chainage, points), (e_name, e_chainage, e_points) in zip(got, expected):
            with self.subTest(section=e_name):
                if names:
                    self.assertEqual(name, e_name)
                self.assertAlmostEqual(chainage, e_chainage, delta=FILE_TOLERANCE)
                self.assertEqual(len(points), len(e_points))
                for (o, h), (e_o, e_h) in zip(sorted(points), e_points):
                    self.assertLessEqual(abs(o - e_o), FILE_TOLERANCE, (name, o, e_o))
                    self.assertLessEqual(abs(h - e_h), FILE_TOLERANCE, (name, h, e_h))

    def test_cass_mileage_file_holds_every_section(self):
        sections = []
        for line in read_lines(self.exported("hdm")):
            if line.startswith("BEGIN,"):
                chainage, number = line[6:].split(":")
                self.assertEqual(int(number), len(sections) + 1)
                sections.append((None, float(chainage), []))
            else:
                offset, height = line.split(",")
                sections[-1][2].append((float(offset), float(height)))
        self.assertSameSections(sections, names=False)

    def test_hintcad_files_add_up_to_the_sections(self):
        hdm = read_lines(self.exported("HDM"))
        dmx = read_lines(self.exported("DMX"))
        self.assertEqual(hdm[0], "HINTCAD5.83_HDM_SHUJU")
        self.assertEqual(dmx[0], "HINTCAD5.83_DMX_SHUJU")
        centres = [line.split("\t") for line in dmx[1:]]
        for chainage, _ in centres:
            self.assertRegex(chainage, r"^ *\d+\.\d{3}$")  # %12.3f
        blocks = "\r\n".join(hdm[1:]).split("\r\n\r\n")
        self.assertEqual(len(blocks), len(centres))
        sections = []
        for block, (centre_chainage, centre_height) in zip(blocks, centres):
            chainage, left, right = block.split("\r\n")
            self.assertEqual(float(chainage), float(centre_chainage))
            points = [(0.0, float(centre_height))]
            for line, sign in ((left, -1), (right, 1)):
                fields = line.split("\t")
                count = int(fields[0])
                self.assertEqual(len(fields), 1 + 2 * count, line)
                offset, height = 0.0, float(centre_height)
                for k in range(count):
                    self.assertGreaterEqual(float(fields[1 + 2 * k]), 0)
                    offset += sign * float(fields[1 + 2 * k])
                    height += float(fields[2 + 2 * k])
                    points.append((round(offset, 3), round(height, 3)))
            sections.append((None, float(chainage), points))
        self.assertSameSections(sections, names=False)

    def test_landxml_parses_with_the_cross_section_structure(self):
        root = ET.parse(self.exported("xml")).getroot()
        self.assertEqual(root.tag, self.LANDXML + "LandXML")
        self.assertEqual(root.get("version"), "1.2")
        self.assertIsNotNone(root.find(self.LANDXML + "Units/" + self.LANDXML + "Metric"))
        path = "/".join(self.LANDXML + tag for tag in ("Alignments", "Alignment", "CrossSects", "CrossSect"))
        sections = []
        for sect in root.findall(path):
            surfaces = sect.findall(self.LANDXML + "CrossSectSurf")
            self.assertEqual([s.get("name") for s in surfaces], ["地面线"])
            numbers = [float(v) for v in surfaces[0].find(self.LANDXML + "PntList2D").text.split()]
            sections.append((sect.get("name"), float(sect.get("sta")), list(zip(numbers[::2], numbers[1::2]))))
        self.assertSameSections(sections)

    def test_csv_opens_in_a_spreadsheet_with_chinese_names(self):
        import csv
        with open(self.exported("csv"), "rb") as f:
            data = f.read()
        self.assertTrue(data.startswith(b"\xef\xbb\xbf"))
        rows = list(csv.reader(data.decode("utf-8-sig").splitlines()))
        self.assertEqual(rows[0], ["断面名", "里程", "距离", "高程"])
        sections = []
        for name, chainage, offset, height in rows[1:]:
            if not sections or sections[-1][0] != name:
                sections.append((name, float(chainage), []))
            sections[-1][2].append((float(offset), float(height)))
        self.assertSameSections(sections)

    def test_every_exchange_file_reads_back_on_page_7(self):
        """velorin-batch loads each file as page 7 would and lists its standard form."""
        program = os.path.join(self.out, "program")
        expected = self.expected_sections()
        for extension in ("hdm", "HDM", "xml", "csv"):
            with self.subTest(file=extension), tempfile.TemporaryDirectory() as folder:
                source = self.exported(extension)
                for ext in (extension, "DMX") if extension == "HDM" else (extension,):
                    with open(self.exported(ext), "rb") as a, open(os.path.join(folder, "s." + ext), "wb") as b:
                        b.write(a.read())
                run = subprocess.run([os.path.join(BUILD, "app", "velorin-batch"), "--program-dir", program,
                                      "--main-dir", folder, "dm-export", os.path.join(folder, "s." + extension),
                                      "--standard"], stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
                self.assertEqual(run.returncode, 0, run.stderr.decode("utf-8", "replace"))
                got = data_sections(read_lines(os.path.join(folder, "s（标）.dm")))
                self.assertEqual(len(got), len(expected), source)
                for (number, points), (e_name, e_chainage, e_points) in zip(got, expected):
                    if extension in ("xml", "csv"):
                        self.assertEqual(number, e_name)
                    else:  # these formats carry the chainage only
                        self.assertEqual(number, "K0+%03d" % e_chainage)
                    self.assertEqual(points, e_points)

    def test_hintcad_file_read_back_is_plotted(self):
        self.assertTrue(os.path.getsize(self.path("纬地断面.dxf")) > 10000)

    def test_examples_hold_the_exchange_files_the_demo_writes(self):
        for extension in self.EXCHANGE:
            with self.subTest(file=extension):
                with open(self.exported(extension), "rb") as a, \
                        open(os.path.join(SOURCE, "examples", "road", "断1～断10." + extension), "rb") as b:
                    fresh, kept = a.read(), b.read()
                if extension == "xml":  # stamped with the moment of writing
                    stamp = re.compile(rb'date="[^"]*" time="[^"]*"')
                    fresh, kept = stamp.sub(b"", fresh), stamp.sub(b"", kept)
                self.assertEqual(fresh, kept, "examples/road/断1～断10.%s is out of date" % extension)


class DemoFolder(unittest.TestCase):
    def test_a_folder_of_the_users_is_refused_and_kept(self):
        with tempfile.TemporaryDirectory() as folder:
            os.makedirs(os.path.join(folder, "project"))
            kept = os.path.join(folder, "project", "survey.dat")
            with open(kept, "wb") as f:
                f.write(b"GTS-311\r\n")
            run = subprocess.run(["bash", os.path.join(SOURCE, "scripts", "demo"), folder],
                                 env=dict(os.environ, VELORIN_BUILD_DIR=BUILD), stdout=subprocess.PIPE,
                                 stderr=subprocess.PIPE)
            self.assertEqual(run.returncode, 1)
            self.assertIn("not made by scripts/demo", run.stderr.decode("utf-8"))
            with open(kept, "rb") as f:
                self.assertEqual(f.read(), b"GTS-311\r\n")


class SampleFiles(unittest.TestCase):
    def test_examples_are_what_the_generator_writes(self):
        with tempfile.TemporaryDirectory() as fresh:
            subprocess.run(["/usr/bin/python3", os.path.join(SOURCE, "scripts", "make_road_sample"), fresh], check=True)
            for name in sorted(os.listdir(fresh)):
                if name.endswith(".dxf"):
                    continue  # ezdxf stamps each drawing with its creation time
                with self.subTest(file=name):
                    with open(os.path.join(fresh, name), "rb") as a, \
                            open(os.path.join(SOURCE, "examples", "road", name), "rb") as b:
                        self.assertEqual(a.read(), b.read(), "examples/road/%s is out of date" % name)


if __name__ == "__main__":
    unittest.main(verbosity=2)
