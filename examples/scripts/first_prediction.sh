#!/usr/bin/env bash
# A first prediction from a script: a three-level system (unit > controller
# board > power stage) is built, one part is changed, the whole is
# recalculated, its MTBF is checked against a threshold and the parts lists
# are exported as one workbook.
#
#   first_prediction.sh [FOLDER]      (KESTREL=path/to/kestrel if not on PATH)
#
# Exit code 0 when the MTBF meets the threshold, 1 when it does not.
set -euo pipefail

kestrel=${KESTREL:-kestrel}
folder=${1:-$(mktemp -d)}
threshold_hours=${MTBF_THRESHOLD:-100000}
mkdir -p "$folder" && cd "$folder"
k() { "$kestrel" --no-log -q "$@" >/dev/null; }

# Level 3: the power stage, a ground-fixed board at 40 C.
k new circuit power.cir "HEADER_DESCR=Power stage" HEADER_ENV=GF HEADER_TEMP=40
k add power.cir Resistor PN=RNC55H1002FS REFDES=R1 QTY=4 RES_TYPE=5 RES_RES=10 RES_RESUNIT=2
k add power.cir Capacitor PN=CK05BX104K REFDES=C1 QTY=6
k add power.cir Transistor PN=2N2222A REFDES=Q1 QTY=2

# Level 2: the controller board holds the power stage and its own parts.
k new circuit controller.cir "HEADER_DESCR=Controller board" HEADER_ENV=GF HEADER_TEMP=40
k add controller.cir SubCircuit PN=PWR-STAGE REFDES=A1 SUBCIRC_FILENAME=power.cir SUBCIRC_DC=100
k add controller.cir Resistor PN=RC07GF103J REFDES=R10 QTY=12
k add controller.cir Capacitor PN=CK06BX105K REFDES=C10 QTY=8

# Level 1: the unit, two controller boards in series.
k new circuit unit.cir "HEADER_DESCR=Actuator unit" HEADER_ENV=GF HEADER_TEMP=40
k add unit.cir SubCircuit PN=CTRL-BOARD REFDES=A1 QTY=2 SUBCIRC_FILENAME=controller.cir SUBCIRC_DC=100

# A design change: the power-stage resistors become film parts of the
# established-reliability kind.
k edit power.cir REFDES=R1 RES_TYPE=3

# Recalculate the whole hierarchy over a one-year mission; the result line
# reads "FR=... fpmh   MTBF=... hrs.   Parts=...".
result=$("$kestrel" --no-log -q calc unit.cir --mission 8760)
echo "$result"
mtbf=$(sed -n 's/.*MTBF=\([0-9.]*\) hrs\..*/\1/p' <<<"$result" | head -n 1)

k export unit.cir --recursive -o unit.xlsx
echo "Workbook: $folder/unit.xlsx"

if awk -v m="$mtbf" -v t="$threshold_hours" 'BEGIN { exit !(m >= t) }'; then
  echo "MTBF $mtbf hrs. meets the threshold of $threshold_hours hrs."
else
  echo "MTBF $mtbf hrs. is below the threshold of $threshold_hours hrs."
  exit 1
fi
