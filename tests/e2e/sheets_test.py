#!/usr/bin/env python3
"""Cross-sections and a profile on A3 sheets from velorin-batch dm-plot, as a surveyor
receives them.

Three sections 60 m wide fill the first A3 landscape sheet's column and spill onto a
second sheet. Checks the PDF (pages, A3 landscape size in points, a first page that is not
blank, searchable texts) and the sheet DXF read by ezdxf against the single-column DXF:
every section entity the same but for one offset per section. A profile 100 m long is cut
onto two sheets, 70 m on the first at 1:200; its PDF has the chainages of each stretch.

Usage: sheets_test.py BUILD_DIR   (run by CTest; needs /usr/bin/python3 with ezdxf and
poppler-utils)
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

import ezdxf

BUILD = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else "build"
APP = os.path.join(BUILD, "app")

SECTIONS = ["Dmh,S1", "-30,12", "0,15", "30,13",
            "Dmh,S2", "-30,12.5", "0,15.5", "30,13.5",
            "Dmh,S3", "-30,12.9", "0,15.9", "30,12.2"]


def run_dm_plot(directory, data, args):
    """velorin-batch dm-plot on `data` in a program folder of its own under `directory`."""
    program = os.path.join(directory, "program")
    if not os.path.isdir(program):
        os.makedirs(program)
        shutil.copy(os.path.join(APP, "Velorin.mdb"), program)
        if os.path.isdir(os.path.join(APP, "Support")):
            shutil.copytree(os.path.join(APP, "Support"), os.path.join(program, "Support"))
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(directory, "config"),
               XDG_RUNTIME_DIR=directory)
    subprocess.run([os.path.join(APP, "velorin-batch"), "--program-dir", program, "--main-dir",
                    directory, "dm-plot", data] + args, check=True, env=env, capture_output=True)


def write_dm(path, lines):
    with open(path, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("gbk"))


def pdf_pages(path):
    info = subprocess.run(["pdfinfo", path], check=True, capture_output=True, text=True).stdout
    return int(re.search(r"Pages:\s+(\d+)\n", info).group(1)), info


def page_text(path, page):
    """pdftotext of one page; it drops the narrow blanks between Chinese characters, so
    blanks are taken out of both sides of a comparison."""
    text = subprocess.run(["pdftotext", "-f", str(page), "-l", str(page), path, "-"],
                          check=True, capture_output=True, text=True).stdout
    return text.replace(" ", "")


def section_entities(path):
    """(type, layer, points, text) of each section entity, in drawing order."""
    out = []
    for e in ezdxf.readfile(path).modelspace():
        layer = e.dxf.layer
        if not layer.startswith("横_") or layer == "横_标题":
            continue
        kind = e.dxftype()
        if kind == "LWPOLYLINE":
            points = [(p[0], p[1]) for p in e.get_points("xy")]
            text = ""
        elif kind == "TEXT":
            points = [(e.dxf.insert.x, e.dxf.insert.y)]
            text = e.dxf.text
        elif kind == "CIRCLE":
            points = [(e.dxf.center.x, e.dxf.center.y)]
            text = "r=%.9f" % e.dxf.radius
        else:
            points, text = [], ""
        out.append((kind, layer, points, text))
    return out


class SheetsFromDmPlot(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp(prefix="velorin-sheets-")
        data = os.path.join(cls.dir, "three.dm")
        write_dm(data, SECTIONS)
        cls.column = os.path.join(cls.dir, "column.dxf")
        cls.sheets = os.path.join(cls.dir, "sheets.dxf")
        cls.pdf = os.path.join(cls.dir, "sheets.pdf")
        run_dm_plot(cls.dir, data, ["--out", cls.column])
        run_dm_plot(cls.dir, data, ["--out", cls.sheets, "--sheets", "A3", "--pdf", cls.pdf,
                                    "--title", "示例路横断面图"])

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir, ignore_errors=True)

    def test_pdf_has_two_a3_landscape_pages(self):
        pages, info = pdf_pages(self.pdf)
        self.assertEqual(pages, 2)
        self.assertIn("Page size:       1190.55 x 841.89 pts", info)

    def test_first_page_is_not_blank(self):
        prefix = os.path.join(self.dir, "page")
        subprocess.run(["pdftoppm", "-r", "30", "-gray", "-f", "1", "-l", "1", self.pdf, prefix],
                       check=True)
        name = [n for n in os.listdir(self.dir) if n.startswith("page") and n.endswith(".pgm")][0]
        with open(os.path.join(self.dir, name), "rb") as f:
            data = f.read()
        header = re.match(rb"P5\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
        pixels = data[header.end():]
        width, height = int(header.group(1)), int(header.group(2))
        self.assertEqual((width, height), (497, 351))  # 1190.55 x 841.89 pt at 30 dpi, rounded up
        dark = sum(1 for p in pixels if p < 128)
        self.assertGreater(dark, 2000)

    def page_text(self, page):
        return page_text(self.pdf, page)

    def test_texts_stay_searchable(self):
        text = self.page_text(1)
        self.assertIn("S1～S1'", text)
        self.assertIn("第 1 张 共 2 张".replace(" ", ""), text)
        self.assertIn("示例路横断面图", text)
        second = self.page_text(2)
        self.assertIn("S3～S3'", second)
        self.assertIn("第 2 张 共 2 张".replace(" ", ""), second)
        self.assertNotIn("S1～S1'", second)

    def test_sheet_dxf_holds_the_columns_entities_each_moved_by_its_sections_offset(self):
        column, sheets = section_entities(self.column), section_entities(self.sheets)
        self.assertEqual(len(column), len(sheets))
        self.assertEqual(len(column), 3 * 54)
        offsets = []
        for (ka, la, pa, ta), (kb, lb, pb, tb) in zip(column, sheets):
            self.assertEqual((ka, la, ta, len(pa)), (kb, lb, tb, len(pb)))
            dx, dy = pb[0][0] - pa[0][0], pb[0][1] - pa[0][1]
            for (xa, ya), (xb, yb) in zip(pa, pb):
                self.assertAlmostEqual(xb - xa, dx, places=6)
                self.assertAlmostEqual(yb - ya, dy, places=6)
            offsets.append((round(dx, 6), round(dy, 6)))
        runs = [o for k, o in enumerate(offsets) if k == 0 or o != offsets[k - 1]]
        # One offset per section, the third on sheet 2: 440 mm (88 units) further right.
        self.assertEqual(len(runs), 3)
        self.assertAlmostEqual(runs[2][0] - runs[0][0], 88, places=6)

    def test_sheet_dxf_has_frames_and_title_blocks_of_two_sheets(self):
        doc = ezdxf.readfile(self.sheets)
        texts = [e.dxf.text for e in doc.modelspace().query('TEXT[layer=="图_标题栏"]')]
        self.assertIn("第 1 张 共 2 张", texts)
        self.assertIn("第 2 张 共 2 张", texts)
        frames = doc.modelspace().query('LWPOLYLINE[layer=="图_图框"]')
        self.assertEqual(len(frames), 4)
        self.assertTrue(all(f.closed for f in frames))


class ProfileFromDmPlot(unittest.TestCase):
    """A profile 0 .. 100 m framed 0 .. 105 at 1:200: cut at 70 m onto a second sheet."""

    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp(prefix="velorin-profile-sheets-")
        data = os.path.join(cls.dir, "line.dm")
        write_dm(data, ["Dmh,L", "0,12", "30,14.5", "65,13.2", "80,11.4", "100,12.6"])
        cls.pdf = os.path.join(cls.dir, "profile.pdf")
        run_dm_plot(cls.dir, data, ["--profile", "--out", os.path.join(cls.dir, "profile.dxf"),
                                    "--sheets", "A3", "--pdf", cls.pdf, "--title", "示例路纵断面图"])

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir, ignore_errors=True)

    def test_each_stretch_on_its_own_page_with_the_table_continued(self):
        pages, info = pdf_pages(self.pdf)
        self.assertEqual(pages, 2)
        self.assertIn("Page size:       1190.55 x 841.89 pts", info)
        first, second = page_text(self.pdf, 1), page_text(self.pdf, 2)
        self.assertIn("第1张共2张", first)
        self.assertIn("第2张共2张", second)
        self.assertIn("0+30.0", first)
        self.assertNotIn("0+30.0", second)
        self.assertIn("0+100.0", second)
        self.assertNotIn("0+100.0", first)
        for text in (first, second):
            self.assertIn("桩号", text)  # the row titles repeated on each sheet
            self.assertIn("示例路纵断面图", text)


if __name__ == "__main__":
    unittest.main()
