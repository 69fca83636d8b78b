"""What ezdxf sees in a DXF file, and drawings ezdxf makes, for the interop tests.

  dxf_probe.py describe FILE    audit result, layers and entities, one per line
  dxf_probe.py make FILE VER    a drawing with hatches, dimensions, splines, MTEXT and
                                Chinese texts, R2000 in GBK or R2018 in UTF-8
Run with /usr/bin/python3 (Debian's python3-ezdxf).
"""
import re
import sys

import ezdxf


def plain(text):
    """ezdxf leaves \\U+XXXX escapes in names; compare the characters."""
    return re.sub(r"\\U\+([0-9A-Fa-f]{4})", lambda m: chr(int(m.group(1), 16)), text)


def describe(path):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    print(f"audit\t{len(auditor.errors)}\t{len(auditor.fixes)}")
    for layer in doc.layers:
        print(f"layer\t{plain(layer.dxf.name)}\t{layer.dxf.color}")
    for e in doc.modelspace():
        text = ""
        if e.dxftype() == "TEXT":
            text = e.dxf.text
        elif e.dxftype() == "MTEXT":
            text = e.plain_text()
        z = ""
        if e.dxftype() == "INSERT":
            z = f"{plain(e.dxf.name)}@{e.dxf.insert.z:.3f}"
        text = plain(text).replace("\n", "\\P")
        print(f"entity\t{e.dxftype()}\t{e.dxf.handle}\t{plain(e.dxf.layer)}\t{text}\t{z}")


def make(path, version):
    doc = ezdxf.new(version)
    if version == "R2000":
        doc.encoding = "gbk"  # written as $DWGCODEPAGE ANSI_936
    msp = doc.modelspace()
    doc.layers.add("地_点位_图根", color=1)
    doc.layers.add("断_断面线", color=3)
    msp.add_text("图根点 T1", dxfattribs={"layer": "地_点位_图根", "height": 2.5}).set_pos((10, 20))
    msp.add_mtext("横断面\\P第二行 K0+100", dxfattribs={"layer": "断_断面线", "char_height": 3}).set_location((0, 40))
    msp.add_lwpolyline([(0, 0), (50, 0), (50, 30)], dxfattribs={"layer": "断_断面线"})
    hatch = msp.add_hatch(color=2)
    hatch.paths.add_polyline_path([(0, 0), (10, 0), (10, 10), (0, 10)], is_closed=True)
    msp.add_spline([(0, 0), (10, 5), (20, -5), (30, 0)])
    dim = msp.add_linear_dim(base=(0, 60), p1=(0, 50), p2=(40, 50))
    dim.render()
    msp.add_circle((70, 70), 4)
    msp.add_arc((90, 70), 4, 0, 180)
    block = doc.blocks.new("高程点")
    block.add_circle((0, 0), 0.5)
    block.add_attdef("H", (0.6, 0), dxfattribs={"height": 1})
    ref = msp.add_blockref("高程点", (100, 100, 12.345))
    ref.add_auto_attribs({"H": "12.35"})
    msp.add_point((5, 5, 1))
    msp.add_line((0, 0), (100, 100), dxfattribs={"color": 5})
    doc.saveas(path)


if __name__ == "__main__":
    if sys.argv[1] == "describe":
        describe(sys.argv[2])
    elif sys.argv[1] == "make":
        make(sys.argv[2], sys.argv[3])
