#!/usr/bin/env bash
# Builds the sample documents in examples/ through the command line.
# usage: scripts/make_examples.sh [KESTREL_BINARY]
set -euo pipefail
cd "$(dirname "$0")/.."
k=${1:-build/src/cli/kestrel}
out=examples
mkdir -p "$out"
rm -f "$out"/*.cir "$out"/*.hyb "$out"/*.BAK

q() { "$k" -q "$@" >/dev/null; }

# A power supply board in a ground, fixed environment.
f=$out/power_supply.cir
q new circuit "$f" "HEADER_DESCR=28 V power supply board" HEADER_ENV=GF HEADER_TEMP=40
q add "$f" Miscellaneous PN=PS-XFMR-01 REFDES=T1 "DESCR=Power transformer" MISC_METHOD=Arrhenius \
  MISC_BASEFR=0.85 MISC_EA=0.4 MISC_TRISE=20
q add "$f" Miscellaneous PN=PS-BRIDGE REFDES=CR1 "DESCR=Bridge rectifier" MISC_METHOD=Arrhenius \
  MISC_BASEFR=0.12 MISC_EA=0.4 MISC_TRISE=15
q add "$f" Miscellaneous PN=PS-FAN REFDES=B1 "DESCR=Cooling fan" MISC_BASEFR=5
q add "$f" Miscellaneous PN=PS-CONN-6 REFDES=J1 "DESCR=Output connector" MISC_BASEFR=0.05 QTY=2

# A controller board for an airborne, inhabited cargo environment.
f=$out/controller.cir
q new circuit "$f" "HEADER_DESCR=Actuator controller" HEADER_ENV=AIC HEADER_TEMP=55 HEADER_CF=1.2
q add "$f" Miscellaneous PN=CTL-MCU REFDES=U1 "DESCR=Microcontroller module" MISC_METHOD=Arrhenius \
  MISC_BASEFR=0.35 MISC_EA=0.5 MISC_TRISE=25
q add "$f" Miscellaneous PN=CTL-DRV REFDES=U2 "DESCR=Motor driver module" MISC_METHOD=Arrhenius \
  MISC_BASEFR=0.6 MISC_EA=0.45 MISC_TRISE=35
q add "$f" Miscellaneous PN=CTL-RELAY REFDES=K1 "DESCR=Power relay" MISC_BASEFR=0.9 QTY=2

# A hybrid microcircuit package with its chips.
f=$out/rf_module.hyb
q new hybrid "$f" "HEADER_DESCR=RF front-end hybrid" HEADER_ENV=GF HEADER_TEMP=50 \
  HEADER_HYBFUNC=Microwave HEADER_HYBQU=B
q add "$f" Miscellaneous PN=RF-LNA-DIE REFDES=U1 "DESCR=Low-noise amplifier die" MISC_BASEFR=0.08
q add "$f" Miscellaneous PN=RF-MIX-DIE REFDES=U2 "DESCR=Mixer die" MISC_BASEFR=0.06
q add "$f" Miscellaneous PN=RF-CHIP-CAP REFDES=C1 "DESCR=Chip capacitor" MISC_BASEFR=0.002 QTY=6

for f in "$out"/*.cir "$out"/*.hyb; do q calc "$f"; done
rm -f "$out"/*.BAK
ls "$out"
