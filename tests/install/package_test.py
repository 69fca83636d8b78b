"""The Debian package as scripts/package makes it from the existing build.

Checks what lintian says, what the package declares and holds, and that the program
unpacked from it runs for an ordinary user ("nobody" when the tests run as root), who
cannot write the installed program folder.

Usage: package_test.py BUILD_DIR SOURCE_DIR
"""
import os
import shutil
import sqlite3
import struct
import subprocess
import sys
import tempfile
import unittest

BUILD = SOURCE = None
AS_ROOT = os.geteuid() == 0
DEB = None
SCRATCH = None


def ordinary(cmd):
    if AS_ROOT:
        return ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] + cmd
    return cmd


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    assert head[:8] == b"\x89PNG\r\n\x1a\n", path
    return struct.unpack(">II", head[16:24])


def setUpModule():
    global DEB, SCRATCH
    SCRATCH = tempfile.mkdtemp(prefix="velorin-package-")
    os.chmod(SCRATCH, 0o755)
    out = os.path.join(SCRATCH, "out")
    r = subprocess.run(["bash", os.path.join(SOURCE, "scripts", "package"), out],
                       env=dict(os.environ, VELORIN_BUILD_DIR=BUILD), capture_output=True,
                       text=True, timeout=900)
    if r.returncode != 0:
        raise RuntimeError("scripts/package failed:\n" + r.stdout + r.stderr)
    DEB = r.stdout.strip().splitlines()[-1]


def tearDownModule():
    shutil.rmtree(SCRATCH, ignore_errors=True)


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = os.path.join(SCRATCH, "root")
        subprocess.run(["dpkg-deb", "-x", DEB, cls.root], check=True)
        os.chmod(cls.root, 0o755)

    def field(self, name):
        return subprocess.run(["dpkg-deb", "-f", DEB, name], capture_output=True, text=True,
                              check=True).stdout.strip()

    def test_file_name_and_size(self):
        self.assertRegex(os.path.basename(DEB), r"^velorin_1\.0\.0_[a-z0-9]+\.deb$")
        size = os.path.getsize(DEB)
        print(f"\n{os.path.basename(DEB)}: {size} bytes", file=sys.stderr)
        self.assertLess(size, 20 * 1024 * 1024)

    def test_lintian_reports_no_error(self):
        r = subprocess.run(["lintian", "--no-cfg", DEB], capture_output=True, text=True)
        print("\n" + r.stdout, file=sys.stderr)
        errors = [line for line in r.stdout.splitlines() if line.startswith("E:")]
        self.assertEqual(errors, [])
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)

    def test_dependencies_come_from_the_linked_libraries_and_the_font(self):
        depends = [d.strip().split()[0] for d in self.field("Depends").split(",")]
        for package in ("libqt6core6", "libqt6gui6", "libqt6widgets6", "libsqlite3-0",
                        "libstdc++6", "fonts-wqy-microhei"):
            self.assertIn(package, depends)
        self.assertEqual(self.field("Package"), "velorin")
        self.assertEqual(self.field("Section"), "science")

    def test_program_folder_and_the_links_on_the_path(self):
        folder = os.path.join(self.root, "usr", "lib", "velorin")
        for name in ("velorin", "velorin-batch"):
            self.assertTrue(os.access(os.path.join(folder, name), os.X_OK), name)
            link = os.path.join(self.root, "usr", "bin", name)
            self.assertEqual(os.readlink(link), "../lib/velorin/" + name)
        self.assertTrue(os.path.isfile(os.path.join(folder, "Velorin.mdb")))
        self.assertFalse(os.path.exists(os.path.join(folder, "Velorin.ini")))
        self.assertTrue(os.path.isfile(os.path.join(folder, "Support", "纯坐标展点.dxf")))
        # The store ships empty, whatever the build folder's store holds.
        with sqlite3.connect("file:" + os.path.join(folder, "Velorin.mdb") + "?mode=ro",
                             uri=True) as db:
            for table in ("Line", "Cross", "Point", "Ctl"):
                self.assertEqual(db.execute(f"select count(*) from {table}").fetchone()[0], 0)

    def test_desktop_entry_icons_file_types_and_documents(self):
        share = os.path.join(self.root, "usr", "share")
        desktop = os.path.join(share, "applications", "velorin.desktop")
        r = subprocess.run(["desktop-file-validate", desktop], capture_output=True, text=True)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        self.assertEqual(r.stdout + r.stderr, "")
        with open(desktop, encoding="utf-8") as f:
            entry = f.read()
        self.assertIn("Exec=velorin %F\n", entry)
        self.assertIn("Name[zh_CN]=", entry)
        self.assertIn("application/x-velorin-section-data;", entry)
        with open(os.path.join(share, "mime", "packages", "velorin.xml"), encoding="utf-8") as f:
            mime = f.read()
        for ext in ("dm", "sur", "ctl", "cor"):
            self.assertIn(f'<glob pattern="*.{ext}"/>', mime)
        icons = os.path.join(share, "icons", "hicolor")
        self.assertTrue(os.path.isfile(os.path.join(icons, "scalable", "apps", "velorin.svg")))
        for size in (16, 24, 32, 48, 64, 128, 256):
            png = os.path.join(icons, f"{size}x{size}", "apps", "velorin.png")
            self.assertEqual(png_size(png), (size, size))
        doc = os.path.join(share, "doc", "velorin")
        for name in ("用户指南.md", "copyright", "changelog.gz", "images/page7.png"):
            self.assertTrue(os.path.isfile(os.path.join(doc, name)), name)

    def test_file_manager_finds_velorin_for_the_file_types(self):
        # What dpkg's triggers do on installation, done on a copy of the unpacked share.
        share = os.path.join(SCRATCH, "share")
        shutil.copytree(os.path.join(self.root, "usr", "share"), share)
        subprocess.run(["update-mime-database", os.path.join(share, "mime")], check=True,
                       capture_output=True)
        subprocess.run(["update-desktop-database", os.path.join(share, "applications")],
                       check=True, capture_output=True)
        with open(os.path.join(share, "mime", "globs2"), encoding="utf-8") as f:
            globs = {line.split(":")[2].strip(): line.split(":")[1]
                     for line in f if not line.startswith("#")}
        with open(os.path.join(share, "applications", "mimeinfo.cache"), encoding="utf-8") as f:
            handlers = dict(line.strip().split("=", 1) for line in f if "=" in line)
        for ext in ("dm", "sur", "ctl", "cor"):
            mime_type = globs.get("*." + ext)
            self.assertIsNotNone(mime_type, ext)
            self.assertIn("velorin.desktop", handlers.get(mime_type, ""), ext)

    def test_unpacked_program_runs_for_an_ordinary_user(self):
        home = tempfile.mkdtemp(dir=SCRATCH)
        for name in ("traverse.dat", "traverse.ctl"):
            shutil.copy(os.path.join(SOURCE, "examples", "traverse", name), home)
        if AS_ROOT:
            for name in os.listdir(home) + ["."]:
                shutil.chown(os.path.join(home, name), "nobody", "nogroup")
        env = {"PATH": "/usr/bin:/bin", "HOME": home, "LANG": "C.UTF-8"}
        batch = os.path.join(self.root, "usr", "bin", "velorin-batch")

        def run(*args):
            return subprocess.run(ordinary([batch] + list(args)), env=env, cwd=home,
                                  capture_output=True, text=True, timeout=120)

        r = run("--help")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertTrue(r.stdout.startswith("用法: velorin-batch"), r.stdout)
        r = run("convert", "traverse.dat")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn(os.path.join(home, ".local", "share", "velorin", "Velorin.mdb"), r.stderr)
        r = run("compute", "traverse.sur", "--ctl", "traverse.ctl")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout.splitlines()[-1], "— 12个坐标点全部计算完毕！")
        self.assertTrue(os.path.isfile(os.path.join(home, "traverse.cor")))


if __name__ == "__main__":
    BUILD, SOURCE = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    unittest.main(argv=sys.argv[:1], verbosity=2)
