#!/usr/bin/env bash
# Builds the sample documents in examples/ through the command line.
# usage: scripts/make_examples.sh [KESTREL_BINARY]
set -euo pipefail
cd "$(dirname "$0")/.."
k=${1:-build/src/cli/kestrel}
out=examples
mkdir -p "$out"
rm -f "$out"/*.cir "$out"/*.hyb "$out"/*.BAK

# Any reader message means the script gave a wrong value: stop on it.
q() {
  local err
  err=$("$k" -q "$@" 2>&1 >/dev/null) || { echo "$err" >&2; exit 1; }
  if [ -n "$err" ]; then echo "make_examples: $*: $err" >&2; exit 1; fi
}

# A power supply board in a ground, fixed environment.
f=$out/power_supply.cir
q new circuit "$f" "HEADER_DESCR=28 V power supply board" HEADER_ENV=GF HEADER_TEMP=40
q add "$f" Miscellaneous PN=PS-XFMR-01 REFDES=T1 "DESCR=Power transformer" MISC_METHOD=Arrhenius \
  MISC_BASEFR=0.85 MISC_EA=0.4 MISC_TRISE=20
q add "$f" Miscellaneous PN=PS-BRIDGE REFDES=CR1 "DESCR=Bridge rectifier" MISC_METHOD=Arrhenius \
  MISC_BASEFR=0.12 MISC_EA=0.4 MISC_TRISE=15
q add "$f" Miscellaneous PN=PS-FAN REFDES=B1 "DESCR=Cooling fan" MISC_BASEFR=5
q add "$f" Miscellaneous PN=PS-CONN-6 REFDES=J1 "DESCR=Output connector" MISC_BASEFR=0.05 QTY=2
# Resistors: style by number (5 precision film ER, 3 film ER, 12 power wirewound ER), quality by name.
q add "$f" Resistor PN=RNC55H1002FS REFDES=R1-R8 "DESCR=10 kohm 1% film" QTY=8 RES_TYPE=5 RES_RES=10 \
  RES_RESUNIT=Kohms RES_QU=1 RES_PMAX=0.125 RES_PD=0.03 RES_TRISE=10
q add "$f" Resistor PN=RLR07C4701GS REFDES=R9-R12 "DESCR=4.7 kohm 2% film" QTY=4 RES_TYPE=3 \
  RES_RES=4.7 RES_RESUNIT=Kohms RES_QU=2 RES_PMAX=0.25 RES_PD=0.1 RES_TRISE=15
q add "$f" Resistor PN=RWR81S1R00FR REFDES=R13 "DESCR=1 ohm current sense" RES_TYPE=12 RES_RES=1 \
  RES_QU=2 RES_PMAX=2 RES_PD=1.2 RES_TRISE=45

# A controller board for an airborne, inhabited cargo environment.
f=$out/controller.cir
q new circuit "$f" "HEADER_DESCR=Actuator controller" HEADER_ENV=AIC HEADER_TEMP=55 HEADER_CF=1.2
q add "$f" Miscellaneous PN=CTL-MCU REFDES=U1 "DESCR=Microcontroller module" MISC_METHOD=Arrhenius \
  MISC_BASEFR=0.35 MISC_EA=0.5 MISC_TRISE=25
q add "$f" Miscellaneous PN=CTL-DRV REFDES=U2 "DESCR=Motor driver module" MISC_METHOD=Arrhenius \
  MISC_BASEFR=0.6 MISC_EA=0.45 MISC_TRISE=35
q add "$f" Miscellaneous PN=CTL-RELAY REFDES=K1 "DESCR=Power relay" MISC_BASEFR=0.9 QTY=2
q add "$f" Resistor PN=RM0805-1001 REFDES=R1-R24 "DESCR=1 kohm chip" QTY=24 RES_TYPE=7 RES_RES=1 \
  RES_RESUNIT=Kohms RES_QU=Commercial RES_PMAX=0.1 RES_PD=0.02 RES_TRISE=5
q add "$f" Resistor PN=RTH-10K REFDES=RT1 "DESCR=10 kohm thermistor" RES_TYPE=16 RES_RES=10 \
  RES_RESUNIT=Kohms RES_QU=Commercial RES_PMAX=0.05 RES_PD=0.001

# A hybrid microcircuit package with its chips.
f=$out/rf_module.hyb
q new hybrid "$f" "HEADER_DESCR=RF front-end hybrid" HEADER_ENV=GF HEADER_TEMP=50 \
  HEADER_HYBFUNC=Microwave HEADER_HYBQU=B
q add "$f" Miscellaneous PN=RF-LNA-DIE REFDES=U1 "DESCR=Low-noise amplifier die" MISC_BASEFR=0.08
q add "$f" Miscellaneous PN=RF-MIX-DIE REFDES=U2 "DESCR=Mixer die" MISC_BASEFR=0.06
q add "$f" Miscellaneous PN=RF-CHIP-CAP REFDES=C1 "DESCR=Chip capacitor" MISC_BASEFR=0.002 QTY=6
q add "$f" Resistor PN=RZ-THINFILM-50 REFDES=R1 "DESCR=50 ohm thin-film network" RES_TYPE=9 RES_RES=50 \
  RES_PMAX=0.05 RES_PD=0.01

# An interface board carrying the RF hybrid.
f=$out/io_board.cir
q new circuit "$f" "HEADER_DESCR=Interface board" HEADER_ENV=GF HEADER_TEMP=45
q add "$f" SubHybrid PN=RF-MODULE REFDES=HY1 "DESCR=RF front-end hybrid" SUBHYB_FILENAME=rf_module.hyb
q add "$f" Resistor PN=RNC50H4991FS REFDES=R1-R6 "DESCR=4.99 kohm film" QTY=6 RES_TYPE=5 RES_RES=4.99 \
  RES_RESUNIT=Kohms RES_QU=3 RES_PMAX=0.05 RES_PD=0.01 RES_TRISE=5
q add "$f" Miscellaneous PN=IO-CONN-37 REFDES=J1-J2 "DESCR=37-pin connector" MISC_BASEFR=0.08 QTY=2

# The system: three boards in series, each a file of its own.
f=$out/system.cir
q new circuit "$f" "HEADER_DESCR=Actuator control unit" HEADER_ENV=GF HEADER_TEMP=30
q add "$f" SubCircuit PN=PSU-28V REFDES=A1 "DESCR=Power supply board" SUBCIRC_FILENAME=power_supply.cir
q add "$f" SubCircuit PN=CTL-BOARD REFDES=A2 "DESCR=Controller board" SUBCIRC_FILENAME=controller.cir
q add "$f" SubCircuit PN=IO-BOARD REFDES=A3 "DESCR=Interface board" SUBCIRC_FILENAME=io_board.cir \
  SUBCIRC_DC=80

for f in "$out"/*.cir "$out"/*.hyb; do q calc "$f"; done
q calc "$out/system.cir" --mission 8760
rm -f "$out"/*.BAK
ls "$out"

# A parts library over every registered part class, and a cross-reference.
lib=$out/parts.lib
xrf=$out/parts.xrf
rm -f "$lib" "$xrf"
q lib create "$lib" --descr "Kestrel example parts library"
# Part number stems of the handbook's common military styles, by class.
declare -A stem=([CResistor]=RNC55H [CCapacitor]=CK05BX [CDiode]=JANTX1N [CTransistor]=JANTX2N
  [CPotentiometer]=RJ24FW [CInductive]=M27-T [CRelay]=M39016-6 [CSwitch]=MS24523- [CConnector]=M38999-26
  [CCircuitBoard]=PWB-6L- [CConnections]=SOLDER- [CBubble]=BMEM- [CSAWDevice]=SAW-FLT- [CMisc]=MISC-
  [CSubCircuit]=ASSY- [CSubHybrid]=HYB-)
n=0
# Columns of `kestrel types`: ID CLASS NAME... CIRCUIT HYBRID (names may hold blanks).
while read -r id class rest; do
  [ "$id" = ID ] && continue
  hyb=${rest##* }
  name=${rest% * *}
  s=${stem[$class]:-P$id-}
  for i in $(seq 1 12); do
    n=$((n + 1))
    pn=$(printf '%s%04d' "$s" $((i * 37 + id)))
    q lib add "$lib" "$id" "PN=$pn" "PN2=K$id-$i" "DESCR=$name, example $i" "LCN=$id.$i" QTY=1
  done
  if [ "$hyb" != - ]; then
    for i in 1 2 3; do
      q lib add "$lib" "$id" --hybrid "PN=H$id-$(printf '%03d' "$i")" "DESCR=$name chip $i"
    done
  fi
done < <("$k" types)
q xref create "$xrf" --descr "Kestrel example cross-reference"
for i in 1 2 3 4 5 6; do
  q xref add "$xrf" "VENDOR-R$i" "$(printf 'RNC55H%04d' $((i * 37 + 401)))" --notes-title Source --notes "Vendor catalogue"
done
q lib check "$lib"
