"""Per-user copies of the working store and the settings file.

An installed program folder belongs to root and cannot be written by the user who runs
the program. These checks run the built programs from a read-only copy of the program
folder as an ordinary user ("nobody" when the tests run as root) and look where the
files end up; a writable program folder must keep both files beside the program.

Usage: per_user_test.py BUILD_DIR SOURCE_DIR
"""
import os
import shutil
import signal
import sqlite3
import stat
import subprocess
import sys
import tempfile
import time
import unittest

BUILD = SOURCE = None
AS_ROOT = os.geteuid() == 0
NOTICE = "不可写入，本用户的工作数据库"


def ordinary(cmd):
    """The command as run by an ordinary user."""
    if AS_ROOT:
        return ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] + cmd
    return cmd


def give_to_user(path):
    """Makes a folder the ordinary user's own (a home, a work folder)."""
    os.makedirs(path, exist_ok=True)
    if AS_ROOT:
        shutil.chown(path, "nobody", "nogroup")
    os.chmod(path, 0o700)


def gbk_lines(lines):
    return "".join(line + "\r\n" for line in lines).encode("gbk")


def read_gbk_lines(path):
    with open(path, "rb") as f:
        return f.read().decode("gbk").split("\r\n")[:-1]


def make_read_only(path):
    for root, dirs, files in os.walk(path):
        for name in files:
            p = os.path.join(root, name)
            os.chmod(p, os.stat(p).st_mode & ~(stat.S_IWUSR | stat.S_IWGRP | stat.S_IWOTH))
        os.chmod(root, 0o555)


def make_writable(path):
    for root, dirs, files in os.walk(path):
        os.chmod(root, 0o755)


def listing(path):
    out = {}
    for root, dirs, files in os.walk(path):
        for name in files:
            p = os.path.join(root, name)
            with open(p, "rb") as f:
                out[os.path.relpath(p, path)] = f.read()
    return out


def caught_signals(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("SigCgt:"):
                return int(line.split()[1], 16)
    return 0


class ProgramFolder:
    """A copy of build/app in a scratch folder, with a settings file of the installation."""

    def __init__(self, scratch, settings_lines=None):
        self.path = os.path.join(scratch, "program")
        os.makedirs(self.path)
        app = os.path.join(BUILD, "app")
        for name in ("velorin", "velorin-batch", "Velorin.mdb"):
            shutil.copy2(os.path.join(app, name), self.path)
        shutil.copytree(os.path.join(app, "Support"), os.path.join(self.path, "Support"))
        if settings_lines is not None:
            with open(os.path.join(self.path, "Velorin.ini"), "wb") as f:
                f.write(gbk_lines(settings_lines))
        os.chmod(self.path, 0o755)
        os.chmod(scratch, 0o755)


# The installation's settings: the comment lines, an empty main directory (so the default
# applies), a point text height of 3 and a plot title of its own (value line 14).
INSTALLED_SETTINGS = [
    "; 警告：该文件内容的修改可能会导致本系统的非正常运行！！！", ";",
    "", "3.00", "2.00", "0.50", " 1 ", "0.20", "0.10", "Romans", "Htj_S", "纯坐标展点",
    "断_断面线", "断_中心点", "2.00", "安装时的标题", " 1 ", " 0 ", "断1", "断面", " 1 ", "",
]


class Case(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.mkdtemp(prefix="velorin-user-")
        self.addCleanup(self.cleanup)
        self.home = os.path.join(self.scratch, "home")
        self.work = os.path.join(self.scratch, "work")
        os.chmod(self.scratch, 0o755)
        give_to_user(self.home)
        give_to_user(self.work)
        for name in ("traverse.dat", "traverse.ctl"):
            dest = os.path.join(self.work, name)
            shutil.copy(os.path.join(SOURCE, "examples", "traverse", name), dest)
            if AS_ROOT:
                shutil.chown(dest, "nobody", "nogroup")
        self.env = {"PATH": "/usr/bin:/bin", "HOME": self.home, "LANG": "C.UTF-8",
                    "QT_QPA_PLATFORM": "offscreen"}

    def cleanup(self):
        make_writable(self.scratch)
        shutil.rmtree(self.scratch, ignore_errors=True)

    def batch(self, program, *args, env=None):
        return subprocess.run(ordinary([os.path.join(program, "velorin-batch")] + list(args)),
                              env=env or self.env, capture_output=True, text=True, timeout=120,
                              cwd=self.work)

    def window(self, program, *files, env=None):
        """Starts the window, waits until it can be ended like the close box, ends it."""
        proc = subprocess.Popen(ordinary([os.path.join(program, "velorin")] + list(files)),
                                env=env or self.env, cwd=self.work, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, text=True)
        deadline = time.time() + 60
        while proc.poll() is None and not caught_signals(proc.pid) & (1 << (signal.SIGTERM - 1)):
            self.assertLess(time.time(), deadline, "the window never caught SIGTERM")
            time.sleep(0.05)
        time.sleep(1.0)  # let start-up go on; the end must work at any point
        if proc.poll() is None:
            proc.send_signal(signal.SIGTERM)
        try:
            out, err = proc.communicate(timeout=30)
        except subprocess.TimeoutExpired:
            # A message box still waits (a failure at exit, say): nobody can close it here.
            proc.kill()
            out, err = proc.communicate()
            self.fail("the window did not end after SIGTERM (a message box open?): " + err)
        return proc.returncode, err

    def user_store(self):
        return os.path.join(self.home, ".local", "share", "velorin", "Velorin.mdb")

    def user_settings(self):
        return os.path.join(self.home, ".config", "velorin", "Velorin.ini")


class ReadOnlyProgramFolder(Case):
    def setUp(self):
        super().setUp()
        self.program = ProgramFolder(self.scratch, INSTALLED_SETTINGS).path
        make_read_only(self.program)
        self.before = listing(self.program)

    def test_batch_computes_the_traverse_on_the_users_own_store(self):
        r = self.batch(self.program, "convert", "traverse.dat")
        self.assertEqual(r.returncode, 0, r.stderr)
        # Said once, naming both places.
        self.assertIn("Velorin: 程序文件夹“" + self.program + "/”" + NOTICE, r.stderr)
        self.assertIn(self.user_store(), r.stderr)
        self.assertIn(self.user_settings(), r.stderr)
        self.assertTrue(os.path.isfile(self.user_store()))
        r = self.batch(self.program, "compute", "traverse.sur", "--ctl", "traverse.ctl")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertNotIn(NOTICE, r.stderr)
        self.assertEqual(r.stdout.splitlines()[-1], "— 12个坐标点全部计算完毕！")
        self.assertTrue(os.path.isfile(os.path.join(self.work, "traverse.cor")))
        # velorin-batch never writes the settings file; the program folder is untouched.
        self.assertFalse(os.path.exists(self.user_settings()))
        self.assertEqual(listing(self.program), self.before)

    def test_program_dir_option_works_with_a_read_only_folder(self):
        # The program itself lies elsewhere (writable); the folder named is read-only.
        elsewhere = ProgramFolder(tempfile.mkdtemp(dir=self.scratch)).path
        r = self.batch(elsewhere, "--program-dir", self.program, "convert", "traverse.dat")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn(NOTICE, r.stderr)
        self.assertTrue(os.path.isfile(self.user_store()))
        self.assertEqual(listing(self.program), self.before)

    def test_window_exit_writes_the_users_settings_file(self):
        # First start: the store is copied, the notice shown, the end closes it all.
        status, err = self.window(self.program)
        self.assertEqual(status, 0, err)
        self.assertTrue(os.path.isfile(self.user_store()))
        lines = read_gbk_lines(self.user_settings())
        self.assertEqual(len(lines), 22)
        # The installation's settings apply until the user has own ones; the main
        # directory is the home folder, not the program folder.
        self.assertEqual(lines[2], self.home + "/")
        self.assertEqual(lines[3], "3.00")
        self.assertEqual(lines[15], "安装时的标题")

        # The traverse computed in between, on the same store.
        r = self.batch(self.program, "convert", "traverse.dat")
        self.assertEqual(r.returncode, 0, r.stderr)
        r = self.batch(self.program, "compute", "traverse.sur", "--ctl", "traverse.ctl")
        self.assertEqual(r.returncode, 0, r.stderr)

        # The user's own settings win over the installation's from now on.
        lines[15] = "我的标题"
        os.chmod(self.user_settings(), 0o666)
        with open(self.user_settings(), "wb") as f:
            f.write(gbk_lines(lines))
        status, err = self.window(self.program)
        self.assertEqual(status, 0, err)
        self.assertNotIn(NOTICE, err)
        self.assertEqual(read_gbk_lines(self.user_settings())[15], "我的标题")
        self.assertEqual(listing(self.program), self.before)

    def test_window_opens_a_section_data_file_given_on_the_command_line(self):
        dm = os.path.join(self.work, "hand.dm")
        shutil.copy(os.path.join(SOURCE, "examples", "section_data", "hand.dm"), dm)
        status, err = self.window(self.program, dm)
        self.assertEqual(status, 0, err)
        # Page 7 loaded it: its sections are in the user's store.
        with sqlite3.connect(self.user_store()) as db:
            sections = [row[0] for row in db.execute("select CrossNo from Cross order by SIndex")]
            points = db.execute("select count(*) from Point where Layer='数据断面'").fetchone()[0]
        self.assertGreater(len(sections), 0)
        self.assertGreater(points, 0)

    def test_xdg_folders_are_honoured(self):
        env = dict(self.env, XDG_DATA_HOME=os.path.join(self.home, "data"),
                   XDG_CONFIG_HOME=os.path.join(self.home, "config"))
        status, err = self.window(self.program, env=env)
        self.assertEqual(status, 0, err)
        self.assertTrue(os.path.isfile(os.path.join(self.home, "data", "velorin", "Velorin.mdb")))
        self.assertTrue(os.path.isfile(os.path.join(self.home, "config", "velorin", "Velorin.ini")))
        self.assertFalse(os.path.exists(os.path.join(self.home, ".local", "share", "velorin")))

    def test_no_place_for_the_copies_stops_with_the_folder_named(self):
        blocked = os.path.join(self.home, "blocked")
        os.makedirs(blocked)
        os.chmod(blocked, 0o555)
        env = dict(self.env, XDG_DATA_HOME=blocked)
        r = self.batch(self.program, "convert", "traverse.dat", env=env)
        self.assertEqual(r.returncode, 1)
        self.assertIn("Velorin: 程序文件夹中的工作数据库“" + self.program + "/Velorin.mdb”",
                      r.stderr)
        self.assertIn("无法建立文件夹“" + blocked + "/velorin/”", r.stderr)
        self.assertFalse(os.path.exists(os.path.join(self.work, "traverse.sur")))


class WritableProgramFolder(Case):
    def test_settings_and_store_stay_beside_the_program(self):
        program = ProgramFolder(self.scratch).path
        if AS_ROOT:
            for root, dirs, files in os.walk(program):
                for name in dirs + files:
                    shutil.chown(os.path.join(root, name), "nobody", "nogroup")
                shutil.chown(root, "nobody", "nogroup")
        r = self.batch(program, "convert", "traverse.dat")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertNotIn(NOTICE, r.stderr)
        status, err = self.window(program)
        self.assertEqual(status, 0, err)
        lines = read_gbk_lines(os.path.join(program, "Velorin.ini"))
        self.assertEqual(len(lines), 22)
        self.assertEqual(lines[2], program + "/")  # the main directory's default
        self.assertFalse(os.path.exists(os.path.join(self.home, ".local", "share", "velorin")))
        self.assertFalse(os.path.exists(os.path.join(self.home, ".config", "velorin")))


if __name__ == "__main__":
    BUILD, SOURCE = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    unittest.main(argv=sys.argv[:1], verbosity=2)
