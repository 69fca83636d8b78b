#!/usr/bin/env python3
"""A drawing being saved survives a kill at any moment.

Makes a drawing of several MB, half of it auxiliary lines, and 20 times starts
velorin-batch delete-aux on it, killing the program (SIGKILL) at a random moment once it
has started writing the drawing. Each time the drawing must be byte for byte the old file
or the new one, and what the kill left behind must not hinder the next run; at the end a
normal run succeeds and leaves only the drawing and its .bak.

Usage: save_kill_test.py BUILD_DIR   (run by CTest)
"""
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

BUILD = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else "build"
APP = os.path.join(BUILD, "app")
RUNS = 20
LINES = 60000  # of each layer: about 9 MB of drawing
AUX_LAYER = "断_有效范围"


def drawing_bytes():
    """An R12 drawing in GBK: LINES lines on layer 0 and as many auxiliary lines."""
    out = ["0\r\nSECTION\r\n2\r\nHEADER\r\n9\r\n$ACADVER\r\n1\r\nAC1009\r\n0\r\nENDSEC\r\n",
           "0\r\nSECTION\r\n2\r\nTABLES\r\n0\r\nTABLE\r\n2\r\nLAYER\r\n70\r\n2\r\n"]
    for name, colour in (("0", 7), (AUX_LAYER, 3)):
        out.append("0\r\nLAYER\r\n2\r\n%s\r\n70\r\n0\r\n62\r\n%d\r\n6\r\nCONTINUOUS\r\n"
                   % (name, colour))
    out.append("0\r\nENDTAB\r\n0\r\nENDSEC\r\n0\r\nSECTION\r\n2\r\nENTITIES\r\n")
    for i in range(LINES):
        for layer in ("0", AUX_LAYER):
            x, y = 500000.0 + i * 0.125, 3000000.0 + (i % 977) * 0.5
            out.append("0\r\nLINE\r\n8\r\n%s\r\n10\r\n%.3f\r\n20\r\n%.3f\r\n30\r\n0.0\r\n"
                       "11\r\n%.3f\r\n21\r\n%.3f\r\n31\r\n0.0\r\n" % (layer, x, y, x + 2.5, y + 1))
    out.append("0\r\nENDSEC\r\n0\r\nEOF\r\n")
    return "".join(out).encode("gbk")


def writing_into(pid, folder):
    """Whether the process holds a file in `folder` open for writing: it is saving."""
    fd_dir = "/proc/%d/fd" % pid
    try:
        for fd in os.listdir(fd_dir):
            try:
                if os.path.dirname(os.readlink(os.path.join(fd_dir, fd))) != folder:
                    continue
                with open("/proc/%d/fdinfo/%s" % (pid, fd)) as info:
                    flags = next(l for l in info if l.startswith("flags:")).split()[1]
                if int(flags, 8) & os.O_ACCMODE != os.O_RDONLY:
                    return True
            except (OSError, StopIteration):
                pass
    except OSError:
        pass
    return False


class KillDuringSave(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="velorin-kill-")
        program = os.path.join(self.dir, "program")
        os.makedirs(program)
        shutil.copy(os.path.join(APP, "Velorin.mdb"), program)
        shutil.copytree(os.path.join(APP, "Support"), os.path.join(program, "Support"))
        self.work = os.path.join(self.dir, "work")
        os.makedirs(self.work)
        self.drawing = os.path.join(self.work, "d.dxf")
        self.env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(self.dir, "config"),
                        XDG_DATA_HOME=os.path.join(self.dir, "data"), XDG_RUNTIME_DIR=self.dir)
        self.command = [os.path.join(APP, "velorin-batch"), "--program-dir", program,
                        "--main-dir", self.dir, "delete-aux", "--drawing", self.drawing]

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def put_old(self, old):
        with open(self.drawing, "wb") as f:
            f.write(old)

    def read_drawing(self):
        with open(self.drawing, "rb") as f:
            return f.read()

    def run_watched(self, kill_after=None):
        """Runs the command; with `kill_after` (seconds) kills it that long after it began
        writing the drawing. Returns (exit status, seconds from writing to the end or kill,
        whether the kill came while the drawing was being written)."""
        p = subprocess.Popen(self.command, env=self.env, stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE)
        while p.poll() is None and not writing_into(p.pid, self.work):
            pass
        began = time.monotonic()
        if kill_after is None or p.poll() is not None:
            while p.poll() is None and writing_into(p.pid, self.work):
                pass
            written = time.monotonic() - began
            err = p.communicate()[1]
            self.assertEqual(p.returncode, 0, err.decode("utf-8", "replace"))
            return p.returncode, written, False
        while p.poll() is None and time.monotonic() - began < kill_after:
            pass
        during = p.poll() is None and writing_into(p.pid, self.work)
        p.send_signal(signal.SIGKILL)
        err = p.communicate()[1]
        # A run the kill came too late for must have succeeded on its own.
        if p.returncode != -signal.SIGKILL:
            self.assertEqual(p.returncode, 0, err.decode("utf-8", "replace"))
        return p.returncode, time.monotonic() - began, during

    def test_kill_during_save_leaves_the_old_or_the_new_drawing(self):
        started = time.monotonic()
        old = drawing_bytes()
        self.put_old(old)
        _, window, _ = self.run_watched()
        new = self.read_drawing()
        self.assertNotEqual(new, old)
        self.assertLess(len(new), len(old) * 0.6)  # the auxiliary half is gone

        seed = int.from_bytes(os.urandom(4), "little")
        rng = random.Random(seed)
        outcomes = {"old": 0, "new": 0}
        during = killed = 0
        for run in range(RUNS):
            self.put_old(old)
            # Mostly while it writes; the rest while it renames, syncs and ends.
            status, _, in_save = self.run_watched(kill_after=rng.uniform(0, window * 1.25))
            during += in_save
            killed += status == -signal.SIGKILL
            now = self.read_drawing()
            # Not assertIn: it would print megabytes of drawing.
            self.assertTrue(now in (old, new), "run %d (seed %d): the drawing is neither the "
                            "old nor the new file (%d bytes)" % (run, seed, len(now)))
            outcomes["old" if now == old else "new"] += 1

        # The next normal run finds nothing in its way and leaves no temporary.
        self.put_old(old)
        self.run_watched()
        self.assertEqual(self.read_drawing(), new)
        self.assertEqual(sorted(os.listdir(self.work)), ["d.bak", "d.dxf"])
        print("%d runs (seed %d): %d killed, %d of them while writing; the drawing "
              "was the old file %d times, the new one %d times; writing took %.0f ms; %.1f s in "
              "all" % (RUNS, seed, killed, during, outcomes["old"], outcomes["new"],
                       window * 1000, time.monotonic() - started))


if __name__ == "__main__":
    unittest.main()
