#!/usr/bin/env python3
"""scripts/check-layers on small trees: the checkout passes, each kind of upward include fails."""
import os
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SCRIPT = os.path.join(SOURCE, "scripts", "check-layers")


def run(root):
    return subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True)


def tree(files):
    root = tempfile.mkdtemp()
    for rel, text in files.items():
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(text)
    return root


# A tiny project: base, app, cad with the host interface, the embedded host, window.
BASE = {
    "src/base/status.h": "#pragma once\n",
    "src/cad/host.h": "#pragma once\n#include <string>\n",
    "src/app/ui.h": '#include "base/status.h"\n#include "cad/host.h"\n',
    "src/cad/embedded/host.h": '#include "cad/host.h"\n#include "app/ui.h"\n',
    "src/cad/preparation.cpp": '#include "cad/host.h"\n#include "app/ui.h"\n',
    "src/window/form1.h": '#include "cad/preparation.h"\n',
    "src/cad/preparation.h": '#include "app/ui.h"\n',
    "tests/support/recording_ui.h": '#include "app/ui.h"\n',
    "tests/support/window_fixture.h": '#include "window/form1.h"\n#include "support/recording_ui.h"\n',
}


class CheckLayers(unittest.TestCase):
    def test_the_checkout_follows_the_order(self):
        result = run(SOURCE)
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_a_sound_small_tree_passes(self):
        result = run(tree(BASE))
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_planted_faults_fail_with_the_file_named(self):
        cases = [
            ("base includes the window", "src/base/numbers.cpp", '#include "window/form1.h"\n',
             'src/base/numbers.cpp: includes "window/form1.h" (window), above its own layer base'),
            ("app includes cad", "src/app/context.h", '#include "cad/preparation.h"\n',
             "above its own layer app"),
            ("a domain command includes the embedded host", "src/cad/plot.cpp",
             '#include "cad/embedded/host.h"\n', "use cad/host.h"),
            ("a cad test reaches the window through a fixture", "src/cad/plot_test.cpp",
             '#include "support/window_fixture.h"\n', "reaches above cad"),
            ("production code includes the test support", "src/app/settings.cpp",
             '#include "support/recording_ui.h"\n', "outside a test"),
            ("a folder in no layer", "src/extra/thing.cpp", "int x;\n", "is in no layer"),
        ]
        for name, rel, text, said in cases:
            with self.subTest(name):
                files = dict(BASE)
                files[rel] = text
                result = run(tree(files))
                self.assertEqual(result.returncode, 1, name)
                self.assertIn(said, result.stderr)

    def test_tests_may_use_lower_layers_and_their_own_support(self):
        files = dict(BASE)
        files["src/cad/preparation_test.cpp"] = '#include "cad/embedded/host.h"\n#include "support/recording_ui.h"\n'
        files["src/window/form1_test.cpp"] = '#include "support/window_fixture.h"\n'
        result = run(tree(files))
        self.assertEqual(result.returncode, 0, result.stderr)


if __name__ == "__main__":
    unittest.main()
