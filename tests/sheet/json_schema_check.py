#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Every kind of zeva-sheet's JSON output holds to docs/zeva-sheet.schema.json, its geometry
reads back with --geometry to the same analysis, and the example geometry files hold to the
schema's geometry. Usage: json_schema_check.py ZEVA_SHEET SCHEMA EXAMPLES_DIR"""

import json
import os
import subprocess
import sys
import tempfile

import jsonschema

program, schema_path, examples = sys.argv[1:4]
with open(schema_path, encoding="utf-8") as f:
    schema = json.load(f)
jsonschema.Draft202012Validator.check_schema(schema)
validator = jsonschema.Draft202012Validator(schema)
geometry = jsonschema.Draft202012Validator({"$ref": "#/$defs/geometry", "$defs": schema["$defs"]})
failures = []
measured = os.path.join(examples, "measured-3-elements-14.2-mhz.s1p")


def run(*arguments):
    done = subprocess.run([program, "--format", "json", *arguments], capture_output=True,
                          env={**os.environ, "LC_ALL": "C"}, check=False)
    if done.returncode != 0:
        failures.append(f"{arguments}: exit {done.returncode}: {done.stderr.decode()}")
        return None
    text = done.stdout.decode("utf-8")
    if "\\u" in text:
        failures.append(f"{arguments}: escapes instead of UTF-8 text")
    return json.loads(text)


def check(document, arguments, expect):
    for error in validator.iter_errors(document):
        failures.append(f"{arguments}: {list(error.absolute_path)}: {error.message[:300]}")
    for key in expect:
        if key not in document:
            failures.append(f"{arguments}: no \"{key}\"")


CASES = [
    # The sheet alone, in Chinese: names translated, roles fixed.
    (("-e", "3", "-f", "14.2", "-d", "1in", "--lang", "zh"), ["design", "elements", "boom"]),
    # A boom correction, the driven element through it, the analysis and both matches.
    (("-f", "144", "-d", "1/2", "--mounting", "insulated", "--boom-diameter", "25",
      "--driven-through-boom", "-a", "--match", "hairpin,coax"),
     ["boom_correction", "analysis", "tuning"]),
    # The driven element bonded to the boom, fed by a T match (a gamma's JSON is the same
    # object under another key).
    (("-e", "4", "-f", "28.5", "-d", "1in", "--mounting", "bonded", "--boom-diameter", "2in",
      "--driven-through-boom", "-a", "--match", "t", "--t-feed", "50"), ["tuning"]),
    # A taper, over ground, the tolerance and a measured sweep.
    (("-e", "3", "-f", "14.2", "-d", "1in", "--largest", "1.25", "--smallest", "0.75", "-a",
      "--height", "15", "--tolerance", "5,5", "--samples", "8", "--measured", measured),
     ["tapered_elements", "over_ground", "tolerance", "measured"]),
    # Elements of telescoping tubes through an insulated boom: the cut list and the stock.
    (("-e", "3", "-f", "14.2", "-d", "1in", "--mounting", "insulated", "--boom-diameter", "2in",
      "--sections", "1.25in:36in,1.125in:48in,1in:48in,0.875in"), ["tubes"]),
    # Two elements already near 50 ohms: both matches refused, saying why.
    (("-e", "2", "-f", "14.2", "-d", "1in", "-a", "--match", "hairpin,coax"), ["tuning"]),
    # The optimiser: its geometry is the optimised antenna's and reads back to its analysis.
    # (The search capped: its JSON is the same whether it ends or is stopped.)
    # As built: judged over antennas cut within the tolerance, both sets of figures given.
    (("-e", "3", "-f", "14.2", "-d", "1in", "--optimise", "fb,fb>=20,swr<=1.5,asbuilt",
      "--match", "hairpin", "--sweep", "14.0:14.35", "--optimise-time", "8"),
     ["optimisation", "tuning"]),
]

with tempfile.TemporaryDirectory() as folder:
    for arguments, expect in CASES:
        document = run(*arguments)
        if document is None:
            continue
        check(document, arguments, expect)
        optimisation = document.get("optimisation")
        if optimisation is not None and (optimisation["as_built"] is None) == (
                "asbuilt" in optimisation["goals"]):
            failures.append(f"{arguments}: as_built does not follow the goals")
        roles = [e["role"] for e in document.get("elements", [])]
        if roles and (roles[0] != "reflector" or roles[1] != "driven"
                      or any(r != "director" for r in roles[2:])):
            failures.append(f"{arguments}: roles {roles}")
        # The whole output reads back as a geometry, to the same figures.
        if "analysis" in document:
            path = os.path.join(folder, "out.json")
            with open(path, "w", encoding="utf-8") as f:
                json.dump(document, f, ensure_ascii=False)
            # The same sweep: its ends decide whether the figures move to the finer level.
            sweep = []
            if "--sweep" in arguments:
                at = arguments.index("--sweep")
                sweep = list(arguments[at:at + 2])
            again = run("-g", path, "-a", *sweep)
            if again is not None:
                check(again, ("-g", path), ["geometry", "analysis"])
                if again["analysis"]["impedance_ohm"] != document["analysis"]["impedance_ohm"]:
                    failures.append(f"{arguments}: read back, the impedance differs")

    for name in sorted(os.listdir(examples)):
        if name.endswith(".json"):
            path = os.path.join(examples, name)
            with open(path, encoding="utf-8") as f:
                for error in geometry.iter_errors(json.load(f)):
                    failures.append(f"{name}: {error.message[:300]}")
            document = run("-g", path)
            if document is not None:
                check(document, ("-g", name), ["geometry"])

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
