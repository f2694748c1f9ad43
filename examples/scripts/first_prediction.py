#!/usr/bin/env python3
"""A first prediction from a script: a three-level system (unit > controller
board > power stage) is built, one part is changed, the whole is
recalculated, its MTBF is checked against a threshold and the parts lists
are exported as one workbook.

    first_prediction.py [FOLDER]      (KESTREL=path/to/kestrel if not on PATH)

Exit code 0 when the MTBF meets the threshold, 1 when it does not.
Standard library only.
"""
import json
import os
import subprocess
import sys
import tempfile

KESTREL = os.environ.get("KESTREL", "kestrel")
THRESHOLD_HOURS = float(os.environ.get("MTBF_THRESHOLD", "100000"))


def kestrel(*args):
    """Runs one command; a failure stops the script with kestrel's message."""
    run = subprocess.run([KESTREL, "--no-log", "-q", *args], capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"kestrel {' '.join(args)} failed ({run.returncode}): {run.stderr.strip()}")
    return run.stdout


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else tempfile.mkdtemp()
    os.makedirs(folder, exist_ok=True)
    os.chdir(folder)

    # Level 3: the power stage, a ground-fixed board at 40 C.
    kestrel("new", "circuit", "power.cir", "HEADER_DESCR=Power stage", "HEADER_ENV=GF", "HEADER_TEMP=40")
    kestrel("add", "power.cir", "Resistor", "PN=RNC55H1002FS", "REFDES=R1", "QTY=4", "RES_TYPE=5",
            "RES_RES=10", "RES_RESUNIT=2")
    kestrel("add", "power.cir", "Capacitor", "PN=CK05BX104K", "REFDES=C1", "QTY=6")
    kestrel("add", "power.cir", "Transistor", "PN=2N2222A", "REFDES=Q1", "QTY=2")

    # Level 2: the controller board holds the power stage and its own parts.
    kestrel("new", "circuit", "controller.cir", "HEADER_DESCR=Controller board", "HEADER_ENV=GF", "HEADER_TEMP=40")
    kestrel("add", "controller.cir", "SubCircuit", "PN=PWR-STAGE", "REFDES=A1", "SUBCIRC_FILENAME=power.cir",
            "SUBCIRC_DC=100")
    kestrel("add", "controller.cir", "Resistor", "PN=RC07GF103J", "REFDES=R10", "QTY=12")
    kestrel("add", "controller.cir", "Capacitor", "PN=CK06BX105K", "REFDES=C10", "QTY=8")

    # Level 1: the unit, two controller boards in series.
    kestrel("new", "circuit", "unit.cir", "HEADER_DESCR=Actuator unit", "HEADER_ENV=GF", "HEADER_TEMP=40")
    kestrel("add", "unit.cir", "SubCircuit", "PN=CTRL-BOARD", "REFDES=A1", "QTY=2",
            "SUBCIRC_FILENAME=controller.cir", "SUBCIRC_DC=100")

    # A design change: the power-stage resistors become film parts of the
    # established-reliability kind.
    kestrel("edit", "power.cir", "REFDES=R1", "RES_TYPE=3")

    # Recalculate the whole hierarchy over a one-year mission.
    result = json.loads(kestrel("calc", "unit.cir", "--mission", "8760", "--json"))
    totals = result["totals"]
    print(f"FR={totals['failureRate']:.4f} fpmh   MTBF={totals['mtbf']:.1f} hrs.   Parts={totals['parts']:.0f}")

    kestrel("export", "unit.cir", "--recursive", "-o", "unit.xlsx")
    print(f"Workbook: {os.path.join(folder, 'unit.xlsx')}")

    if totals["mtbf"] >= THRESHOLD_HOURS:
        print(f"MTBF {totals['mtbf']:.1f} hrs. meets the threshold of {THRESHOLD_HOURS:.0f} hrs.")
        return 0
    print(f"MTBF {totals['mtbf']:.1f} hrs. is below the threshold of {THRESHOLD_HOURS:.0f} hrs.")
    return 1


if __name__ == "__main__":
    sys.exit(main())
