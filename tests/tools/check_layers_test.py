#!/usr/bin/env python3
"""Runs tools/check_layers.py on tiny source trees, each built in a temp dir."""
import os
import subprocess
import sys
import tempfile

CHECKER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "check_layers.py")

# Allowed shapes only: down the layers, tests and the app on top, and includes
# that are no project header (Qt's, a generated one) which must be ignored.
CLEAN = {
    "toolkit/Label.h": "#include <QString>\n",
    "toolkit/Label.cpp": '#include "Label.h"\n#include "generated_config.h"\n',
    "components/Btn.h": '#include "Label.h"\n',
    "components/Btn.cpp": '#include "Btn.h"\n',
    "chart/Plot.h": '#include "Label.h"\n',
    "accessibility/Reader.h": '#include "Btn.h"\n#include "Plot.h"\n',
    "app/Main.cpp": '#include "Reader.h"\n',
    "tools/replay/Replay.cpp": '#include "Reader.h"\n',
    "tests/app/MainTest.cpp": '#include "Reader.h"\n#include "Replay.h"\n',
    "tools/replay/Replay.h": "",
}

# (name, extra or replaced files, arguments, expected exit status, texts the output must hold)
CASES = [
    ("clean tree passes", {}, [], 0, ["10 files, no include cycles, no upward includes"]),
    ("stats count headers reached", {}, ["--stats"], 0,
     ["   1  toolkit/Label.cpp", "   2  components/Btn.cpp", "   4  app/Main.cpp",
      "   4  tools/replay/Replay.cpp", "4 files, median 3, max 4"]),
    ("two-unit cycle fails",
     {"toolkit/Font.h": "", "toolkit/Font.cpp": '#include "Label.h"\n',
      "toolkit/Label.cpp": '#include "Label.h"\n#include "Font.h"\n'}, [], 1,
     ["cycle: toolkit/Font <-> toolkit/Label",
      'toolkit/Font -> toolkit/Label   toolkit/Font.cpp:1: #include "Label.h"',
      'toolkit/Label -> toolkit/Font   toolkit/Label.cpp:2: #include "Font.h"']),
    ("three-unit ring fails",
     {"components/A.h": '#include "B.h"\n', "components/B.cpp": '#include "C.h"\n',
      "components/C.h": "", "components/C.cpp": '#include "A.h"\n', "components/B.h": ""}, [], 1,
     ["cycle: components/A <-> components/B <-> components/C",
      'components/A -> components/B   components/A.h:1: #include "B.h"']),
    ("upward include fails",
     {"toolkit/Label.cpp": '#include "Btn.h"\n'}, [], 1,
     ['toolkit/Label.cpp:1: #include "Btn.h"  (toolkit may not include components)']),
    ("same-level sibling include fails",
     {"components/Btn.cpp": '#include "Btn.h"\n#include "Plot.h"\n'}, [], 1,
     ["components/Btn.cpp:2", "components may not include chart"]),
    ("library including accessibility fails",
     {"chart/Plot.cpp": '#include "Reader.h"\n'}, [], 1, ["chart may not include accessibility"]),
    ("two headers of one name fail",
     {"chart/Label.h": ""}, [], 1, ["Label.h: toolkit/Label.h, chart/Label.h"]),
]


def run(files, args):
    with tempfile.TemporaryDirectory() as root:
        for rel, text in files.items():
            path = os.path.join(root, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w", encoding="utf-8") as fh:
                fh.write(text)
        p = subprocess.run([sys.executable, CHECKER, *args, root], capture_output=True, text=True)
        return p.returncode, p.stdout + p.stderr


failures = 0
for name, changes, args, status, texts in CASES:
    rc, out = run({**CLEAN, **changes}, args)
    missing = [t for t in texts if t not in out]
    if rc != status or missing:
        failures += 1
        print(f"FAIL {name}: exit {rc} (want {status}), missing {missing}\n{out}")
    else:
        print(f"ok   {name}")
sys.exit(1 if failures else 0)
