#!/usr/bin/env python3
"""Pictures from velorin-batch render against ezdxf's drawing add-on, on drawings of the
kinds surveyors receive from other CAD programs.

Each drawing is made here with ezdxf inside a 100 x 100 frame, so both pictures have the
same extents: velorin-batch render fits them into 2000 x 2000 pixels with a margin of 10,
and matplotlib is given the same window. Both pictures are cut into cells of 20 x 20
pixels (about one drawing unit); a cell is inked when it holds a few dark pixels. A cell
inked in one picture must have an inked cell at most one cell away in the other, which
leaves room for the two painters' line widths and anti-aliasing but not for a fill, a
hole, a pattern line, an edge or a curve in the wrong place.

Usage: paint_compare_test.py BUILD_DIR   (run by CTest; needs /usr/bin/python3 with
ezdxf, matplotlib and numpy)
"""
import math
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import ezdxf
import matplotlib

matplotlib.use("Agg")
import matplotlib.image  # noqa: E402
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402
from ezdxf.addons.drawing import Frontend, RenderContext  # noqa: E402
from ezdxf.addons.drawing.matplotlib import MatplotlibBackend  # noqa: E402
from ezdxf.addons.drawing.properties import LayoutProperties  # noqa: E402

BUILD = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else "build"
APP = os.path.join(BUILD, "app")

SIZE = 2000  # pixels of velorin-batch render's PNG
MARGIN = 10  # pixels the painter keeps round the extents
CELL = 20
INK = 4  # dark pixels that make a cell inked
TOLERANCE = 0.002  # share of inked cells allowed without a partner nearby


def new_drawing():
    doc = ezdxf.new("R2010")
    msp = doc.modelspace()
    msp.add_lwpolyline([(0, 0), (100, 0), (100, 100), (0, 100)], close=True)
    return doc, msp


def hatch_solid_islands(msp):
    """A solid fill bounded by lines, an elliptic arc and a clockwise circular arc, with
    a round island holding a square island (filled again) and an elliptic slice, and a
    polyline path with a bulge seen from below (extrusion 0, 0, -1)."""
    h = msp.add_hatch(color=7)
    h.set_solid_fill(color=7, style=0)  # nested: an island in an island is filled
    outer = h.paths.add_edge_path(flags=1)
    corner = (10 + 10 * math.cos(math.radians(200)), 20 + 10 * math.sin(math.radians(200)))
    outer.add_line(corner, (90, 10))
    outer.add_line((90, 10), (90, 55))
    outer.add_ellipse((50, 55), major_axis=(40, 0), ratio=0.5, start_angle=0, end_angle=180)
    outer.add_line((10, 55), (10, 30))
    # Clockwise from (10, 30) over the left to `corner`: stored as 360 less its angles.
    outer.add_arc((10, 20), radius=10, start_angle=90, end_angle=200, ccw=False)
    island = h.paths.add_edge_path(flags=16)
    island.add_arc((50, 40), radius=14, start_angle=0, end_angle=360)
    h.paths.add_polyline_path([(45, 35), (55, 35), (55, 45), (45, 45)], is_closed=True, flags=0)
    # A slice of an ellipse between the rays at 30 and 150 degrees from its centre: its
    # edge gives those angles, the curve's parameters at its ends are others.
    t = math.atan2(math.sin(math.radians(30)) / 0.5, math.cos(math.radians(30)))
    pie = h.paths.add_edge_path(flags=16)
    pie.add_line((50, 57), (50 + 22 * math.cos(t), 57 + 11 * math.sin(t)))
    pie.add_ellipse((50, 57), major_axis=(22, 0), ratio=0.5, start_angle=30, end_angle=150)
    pie.add_line((50 - 22 * math.cos(t), 57 + 11 * math.sin(t)), (50, 57))
    # Seen from below: object x is drawing -x.
    below = msp.add_hatch(color=7, dxfattribs={"extrusion": (0, 0, -1)})
    below.set_solid_fill(color=7)
    below.paths.add_polyline_path([(-60, 75, 0), (-85, 75, 0.6), (-85, 92, 0), (-60, 92, 0)],
                                  is_closed=True, flags=1)


def hatch_patterns(msp):
    """Line patterns read from the records: ANSI31 over a square with a round island,
    ANSI33 (a dashed family) turned 30 degrees over a bulged polyline."""
    h = msp.add_hatch(color=7)
    h.paths.add_polyline_path([(8, 8), (55, 8), (55, 55), (8, 55)], is_closed=True, flags=1)
    island = h.paths.add_edge_path(flags=16)
    island.add_arc((31, 31), radius=10)
    h.set_pattern_fill("ANSI31", scale=2)
    h2 = msp.add_hatch(color=7)
    h2.paths.add_polyline_path([(60, 60, 0), (88, 60, 0.5), (88, 95, 0), (60, 95, 0)],
                               is_closed=True, flags=1)
    h2.set_pattern_fill("ANSI33", scale=3, angle=30)


def ellipse_arcs(msp):
    """Full and partial ellipses: start after end, a turned major axis, seen from below,
    and an end parameter more than a turn from the start."""
    msp.add_ellipse((25, 75), major_axis=(18, 0), ratio=0.5)
    msp.add_ellipse((75, 75), major_axis=(0, 18), ratio=0.4, start_param=5.0, end_param=1.5)
    msp.add_ellipse((25, 25), major_axis=(12, 12), ratio=0.5, start_param=0.3,
                    end_param=2.8, dxfattribs={"extrusion": (0, 0, -1)})
    e = msp.add_ellipse((75, 25), major_axis=(18, 0), ratio=0.6, start_param=0)
    e.dxf.end_param = 2 * math.pi + 1.2


def mirrored_block(doc, msp):
    """A block of lines, an arc, an elliptic arc, a circle and a solid hatch, referenced
    once as it is and once seen from below (extrusion 0, 0, -1), turned and stretched."""
    b = doc.blocks.new("SIGN")
    b.add_lwpolyline([(0, 0), (20, 0), (20, 8), (8, 8)])
    b.add_arc((0, 0), radius=12, start_angle=20, end_angle=120)
    b.add_ellipse((10, 16), major_axis=(8, 0), ratio=0.4, start_param=0, end_param=4)
    b.add_circle((22, 18), radius=3)
    h = b.add_hatch(color=7)
    h.set_solid_fill(color=7)
    h.paths.add_polyline_path([(2, 2), (8, 2), (5, 6)], is_closed=True, flags=1)
    msp.add_blockref("SIGN", (15, 60))
    # Object coordinates seen from below: x = -70 lands at drawing x = 70.
    msp.add_blockref("SIGN", (-70, 20), dxfattribs={"extrusion": (0, 0, -1), "rotation": 25,
                                                    "xscale": 1.5, "yscale": 1.2})


def faces(msp):
    """3DFACEs drawn as their edges, some hidden (group 70), one a triangle."""
    msp.add_3dface([(5, 5), (45, 5), (45, 45), (5, 45)])
    msp.add_3dface([(55, 5), (95, 5), (95, 45), (55, 45)], dxfattribs={"invisible": 1})
    msp.add_3dface([(5, 55), (45, 55), (45, 95), (5, 95)], dxfattribs={"invisible": 5})
    msp.add_3dface([(55, 55), (95, 55), (75, 95), (75, 95)], dxfattribs={"invisible": 2})


CASES = {
    "hatch_solid_islands": lambda doc, msp: hatch_solid_islands(msp),
    "hatch_patterns": lambda doc, msp: hatch_patterns(msp),
    "ellipse_arcs": lambda doc, msp: ellipse_arcs(msp),
    "mirrored_block": mirrored_block,
    "faces": lambda doc, msp: faces(msp),
}


def ezdxf_picture(doc, path):
    """The drawing painted by ezdxf into the window velorin-batch render uses."""
    fig = plt.figure(figsize=(SIZE / 100, SIZE / 100), dpi=100)
    ax = fig.add_axes([0, 0, 1, 1])
    msp = doc.modelspace()
    paper = LayoutProperties.from_layout(msp)
    paper.set_colors("#ffffff")  # white paper, colour 7 black, as velorin-batch paints
    Frontend(RenderContext(doc), MatplotlibBackend(ax, adjust_figure=False)).draw_layout(
        msp, finalize=False, layout_properties=paper)
    pad = MARGIN * 100 / (SIZE - 2 * MARGIN)
    ax.set_xlim(-pad, 100 + pad)
    ax.set_ylim(-pad, 100 + pad)
    ax.axis("off")
    fig.savefig(path, dpi=100, facecolor="white")
    plt.close(fig)


def inked_cells(path):
    pixels = matplotlib.image.imread(path)[:, :, :3]
    if pixels.dtype != np.uint8:
        pixels = pixels * 255
    assert pixels.shape[:2] == (SIZE, SIZE), (path, pixels.shape)
    dark = (pixels.min(axis=2) < 200).astype(np.int32)
    n = SIZE // CELL
    return dark.reshape(n, CELL, n, CELL).sum(axis=(1, 3)) >= INK


def near(cells):
    """Cells at most one cell away from an inked one."""
    grown = cells.copy()
    for dy in (-1, 0, 1):
        for dx in (-1, 0, 1):
            grown |= np.roll(np.roll(cells, dy, axis=0), dx, axis=1)
    return grown


class PaintedLikeEzdxf(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp(prefix="velorin-paint-")
        cls.env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(cls.dir, "config"),
                       XDG_RUNTIME_DIR=cls.dir)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir, ignore_errors=True)

    def compare(self, name):
        doc, msp = new_drawing()
        CASES[name](doc, msp)
        dxf = os.path.join(self.dir, name + ".dxf")
        doc.saveas(dxf)
        ours, theirs = os.path.join(self.dir, name + ".png"), os.path.join(self.dir,
                                                                           name + "-ezdxf.png")
        run = subprocess.run([os.path.join(APP, "velorin-batch"), "--program-dir", APP, "render",
                              dxf, "--out", ours], env=self.env, capture_output=True, text=True)
        self.assertEqual(run.returncode, 0, run.stderr)
        ezdxf_picture(doc, theirs)
        a, b = inked_cells(ours), inked_cells(theirs)
        extra = int((a & ~near(b)).sum())  # ours, with nothing of ezdxf's nearby
        missing = int((b & ~near(a)).sum())  # ezdxf's, with nothing of ours nearby
        print(f"{name}: cells inked {int(a.sum())} ours, {int(b.sum())} ezdxf; "
              f"{extra} ours alone, {missing} ezdxf's alone", file=sys.stderr)
        self.assertLessEqual(extra, TOLERANCE * a.sum(), f"{name}: ours paints where ezdxf does not")
        self.assertLessEqual(missing, TOLERANCE * b.sum(), f"{name}: ezdxf paints where ours does not")

    def test_solid_hatch_with_islands_and_arc_edges(self):
        self.compare("hatch_solid_islands")

    def test_pattern_hatches_from_their_definition_lines(self):
        self.compare("hatch_patterns")

    def test_elliptic_arcs(self):
        self.compare("ellipse_arcs")

    def test_block_seen_from_below(self):
        self.compare("mirrored_block")

    def test_3dface_edges_and_hidden_edges(self):
        self.compare("faces")


if __name__ == "__main__":
    unittest.main()
