#!/usr/bin/env bash
# Drives the real kestrel-gui under Xvfb with real key and mouse events
# (xdotool through the X test extension), the way a person works: a new
# circuit, its header, six parts of different classes, Calculate (basic and
# mission), the results dismissed, another row picked with the mouse, a menu
# opened, a PDF printed, What-If?, a graph, the project tree, a board opened
# from the tree, save and quit. Every step waits a bounded time for the
# window or the change it should bring; a step that gets no answer fails the
# run (a window that stopped taking input after a progress window once
# passed every offscreen test).
# Usage: desktop_smoke.sh KESTREL_GUI KESTREL EXAMPLES_DIR [SCREENSHOT_DIR]
set -euo pipefail

if [ -z "${KESTREL_SMOKE_DISPLAY:-}" ]; then
  # A second run only when the first missed a bounded wait: a program that
  # stops taking input misses it both times, a busy machine seldom twice.
  for run in 1 2; do
    xvfb-run -a -s "-screen 0 1400x1000x24" env KESTREL_SMOKE_DISPLAY=1 "$0" "$@" && exit 0
    echo "desktop smoke: run $run failed" >&2
  done
  exit 1
fi

gui=$1 kestrel=$2 examples=$3 shots=${4:-}
work=$(mktemp -d)
export HOME=$work XDG_CONFIG_HOME=$work/config
unset QT_QPA_PLATFORM
pid= wm= pgbin= pgas=
cleanup() {
  [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null || true
  kill "$wm" 2>/dev/null || true
  [ -n "$pgbin" ] && $pgas "$pgbin/pg_ctl" -D "$work/pg/data" -m immediate -w stop >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# A window manager, as on a desktop: it gives the focus back to the frame
# when a dialog closes and places the windows.
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
sleep 1

step_name=start
step() { step_name=$1; echo "-- $1"; }
shot() {  # shot NAME: the whole screen as a PNG, when a folder was given
  [ -n "$shots" ] || return 0
  mkdir -p "$shots"
  import -window root "$shots/$1.png" 2>/dev/null || true
}
fail() {
  echo "desktop smoke: step '$step_name': $*" >&2
  shot "failed-$(echo "$step_name" | tr ' /' '__')"
  exit 1
}
alive() { kill -0 "$pid" 2>/dev/null || fail "kestrel-gui has exited"; }

# visible_window REGEX: the id of a visible window whose name matches, or nothing.
visible_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1 || true; }
wait_window() {  # wait_window REGEX [SECONDS]
  local deadline=$((SECONDS + ${2:-20})) id
  while [ $SECONDS -lt $deadline ]; do
    alive
    id=$(visible_window "$1")
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.2
  done
  fail "no window '$1' within ${2:-20}s"
}
wait_gone() {  # wait_gone REGEX [SECONDS]
  local deadline=$((SECONDS + ${2:-20}))
  while [ $SECONDS -lt $deadline ]; do
    alive
    [ -z "$(visible_window "$1")" ] && return 0
    sleep 0.2
  done
  fail "window '$1' still shown after ${2:-20}s"
}
wait_file() {  # wait_file PATH [SECONDS]
  local deadline=$((SECONDS + ${2:-20}))
  while [ $SECONDS -lt $deadline ]; do
    [ -s "$1" ] && return 0
    sleep 0.2
  done
  fail "file '$1' was not written"
}
key() { alive; xdotool key --clearmodifiers --delay 80 "$@"; sleep 0.4; }
type_text() { alive; xdotool type --delay 40 "$1"; sleep 0.3; }
window_count() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l; }
clipboard() { xclip -o -selection clipboard 2>/dev/null || true; }
copied() {  # copied REGEX SECONDS: Copy in the window in front gives a match in time
  local deadline=$((SECONDS + $2))
  while [ $SECONDS -lt $deadline ]; do
    key ctrl+c
    clipboard | head -1 | grep -q "$1" && return 0
    sleep 0.3
  done
  return 1
}
wait_copied() {  # wait_copied REGEX SECONDS: the same, or the step fails
  copied "$1" "$2" || fail "Copy did not give '$1' (it gave '$(clipboard | head -1)')"
}
click_in() {  # click_in WINDOW X Y: a left click at a point of the window's inside
  local ax ay
  read -r ax ay < <(xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} END{print x, y}')
  xdotool mousemove $((ax + $2)) $((ay + $3)) click 1
  sleep 0.4
}
# Dismisses a progress window that stays up with its "OK" when done, and
# any message the finished job shows over it.
dismiss_progress() {  # dismiss_progress TITLE
  local id try
  id=$(wait_window "^$1\$" 60)
  sleep 1
  for try in 1 2 3; do
    [ -z "$(visible_window "^$1\$")" ] && break
    xdotool windowactivate --sync "$id" 2>/dev/null || true
    key Return
    sleep 0.5
  done
  wait_gone "^$1\$"
}
# A file dialog: the file name box has the focus; the path is typed whole.
answer_file_dialog() {  # answer_file_dialog TITLE PATH
  wait_window "^$1\$" >/dev/null
  sleep 0.5
  key ctrl+a
  type_text "$2"
  key Return
  wait_gone "^$1\$"
}
# Calculate: the mode dialog, then the progress window until its "OK".
run_calculation() {  # run_calculation basic|mission
  key F9
  wait_window '^Calculate$' >/dev/null
  sleep 0.5
  if [ "$1" = mission ]; then key alt+m; else key alt+b; fi
  key Return
  # The progress window takes the same title; it stays up with "OK".
  sleep 1.5
  wait_window '^Calculate$' 60 >/dev/null
  key Return
  wait_gone '^Calculate$'
}
# The program still takes input: the Add dialog opens and closes.
# A PostgreSQL server of the run's own: a socket in $work/pg and no port.
start_database() {
  pgbin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)
  mkdir -p "$work/pg"
  if [ "$(id -u)" = 0 ]; then  # the server refuses root
    chmod o+x "$work"
    chown postgres "$work/pg"
    pgas="runuser -u postgres --"
  fi
  $pgas "$pgbin/initdb" -D "$work/pg/data" -A trust -U kestrel -E UTF8 --no-sync --no-instructions >/dev/null
  $pgas "$pgbin/pg_ctl" -D "$work/pg/data" -l "$work/pg/log" -w \
    -o "-k '$work/pg' -c listen_addresses='' -c fsync=off" start >/dev/null || fail "the database server did not start"
}

assert_responsive() {
  key Insert
  wait_window '^Add Part$' 10 >/dev/null
  key Escape
  wait_gone '^Add Part$'
}

mkdir -p "$XDG_CONFIG_HOME/kestrel" "$work/files"
cp "$examples"/system.cir "$examples"/controller.cir "$examples"/io_board.cir "$examples"/rf_module.hyb "$work/files/"
"$kestrel" project new "$work/files/demo.prj" "$work/files/system.cir" >/dev/null
cat >"$XDG_CONFIG_HOME/kestrel/217F2.INI" <<EOF
[Settings]
WindowPos=0,1,-1,-1,-1,-1,0,0,1300,900
[Circuit Add]
Mode=0
Defaults={ON}
EOF
board=$work/files/board.cir

step "start"
"$gui" &
pid=$!
frame=$(wait_window '^Kestrel' 30)
xdotool windowactivate --sync "$frame" 2>/dev/null || xdotool windowfocus --sync "$frame"
sleep 1

step "new circuit and its header"
key ctrl+n
key alt+e h
wait_window '^Circuit Header$' >/dev/null
key Return
wait_gone '^Circuit Header$'

step "add six parts of different classes"
key Insert
n=0
for type in Resistor Capacitor IC,Logic Diode Transistor Connector; do
  n=$((n + 1))
  wait_window '^Add Part$' >/dev/null
  sleep 0.3
  type_text "$type"
  key Return
  wait_window "^$type\$" >/dev/null
  sleep 0.3
  type_text "PN-$n"          # the part number has the cursor
  key Return
  wait_gone "^$type\$"
done
wait_window '^Add Part$' >/dev/null
key Escape
wait_gone '^Add Part$'
shot "parts-added"

step "save as"
key ctrl+s
answer_file_dialog "Save As" "$board"
wait_file "$board"

step "calculate (basic), dismiss the results"
run_calculation basic
assert_responsive

step "calculate (mission), dismiss the results"
run_calculation mission
assert_responsive
shot "calculated"

step "select another row with the mouse"
key ctrl+c
first=$(clipboard)
# The list of the new window: below the header lines, some rows down.
click_in "$frame" 200 142
sleep 0.5
key ctrl+c
picked=$(clipboard)
[ -n "$picked" ] && [ "$picked" != "$first" ] || fail "the click selected no other row ('$first' / '$picked')"

step "open a menu with the mouse"
before=$(window_count)
click_in "$frame" 18 8
sleep 0.8
[ "$(window_count)" -gt "$before" ] || fail "the File menu did not open"
key Escape

step "print to PDF"
key alt+f d
answer_file_dialog "Print To PDF File" "$work/files/board.pdf"
wait_file "$work/files/board.pdf" 60
head -c 4 "$work/files/board.pdf" | grep -q '%PDF' || fail "board.pdf is not a PDF"
sleep 0.5
key Return                 # where the report went
assert_responsive

step "What-If?: the environment becomes NS"
key alt+a w
sheet=$(wait_window '^What-If\?$')
click_in "$sheet" 120 24   # the Environment page
click_in "$sheet" 162 53   # Change Environment
click_in "$sheet" 258 78   # the environment list
type_text NS
key Return
sleep 0.3
key Return                 # the sheet's OK
sleep 1
key Return                 # the confirmation's OK
dismiss_progress 'What-If\?'
assert_responsive

step "graph"
key alt+a g
wait_window '^Graph$' >/dev/null
key Return
sleep 1
key Return                 # the confirmation
wait_window '^Calculate$' >/dev/null
sleep 0.5
key Return
dismiss_progress GRAPH
wait_file "$work/files/GRAPH-DATA.CSV"
shot "graph"
key alt+f c                # close the chart window
sleep 0.8
key n                      # no graph definition to keep
assert_responsive

step "save and check the file"
key ctrl+s
sleep 1
"$kestrel" show "$board" --json >"$work/board.json" || fail "kestrel show refused the saved circuit"
records=$(grep -c '"class":' "$work/board.json" || true)
[ "$records" = 6 ] || fail "the saved circuit holds $records records, not 6"
for n in 1 2 3 4 5 6; do
  grep -q "\"PN\": \"PN-$n\"" "$work/board.json" || fail "part number PN-$n was not typed into its record"
done
grep -q '"HEADER_ENV": "NS"' "$work/board.json" || fail "the What-If? environment was not kept"

step "mission profile: a new profile over the board, calculated, saved"
key alt+a p                # Activities > Mission Profile... over the board in front
sleep 1
key alt+s                  # Add Phase: a second phase after the first
# Its cells edited in place: a name typed over, an environment from the
# list, a temperature and hours typed.
type_text Flight
key Return Right F2
type_text AIC
key Return Right
type_text 55
key Return Right
type_text 6
key Return
key alt+c                  # Calculate; its progress window stays up with "OK"
dismiss_progress 'Mission Profile'
# The window still takes keys after the calculation: Save asks for a name.
key ctrl+s
answer_file_dialog "Save Mission Profile As" "$work/files/sortie.mpf"
wait_file "$work/files/sortie.mpf"
grep -aq "$(printf 'PHASE=Flight\tAIC\t55\t6\t')" "$work/files/sortie.mpf" ||
  fail "the phase typed into the table was not saved ($(grep -a PHASE= "$work/files/sortie.mpf" | tr '\t' ' '))"
key alt+f c                # closes the saved profile: no question
sleep 0.5

step "mission profile: opened from its file and calculated"
key ctrl+o
answer_file_dialog "Open" "$work/files/sortie.mpf"
sleep 1
key alt+c
dismiss_progress 'Mission Profile'
shot "mission-profile"
key alt+f a                # Save As, after the calculation
answer_file_dialog "Save Mission Profile As" "$work/files/sortie2.mpf"
wait_file "$work/files/sortie2.mpf"
cmp -s "$work/files/sortie.mpf" "$work/files/sortie2.mpf" || fail "the profile read and saved again differs"
key alt+f c
sleep 0.5
assert_responsive

step "library in a database: created by its address, filled by Merge"
start_database
address="postgresql:///postgres?host=$work/pg&user=kestrel&library=team"
cp "$examples"/parts.lib "$work/files/"
key alt+f l                # File > Open Library Address...
wait_window '^Open Library Address$' >/dev/null
sleep 0.5
key ctrl+a
type_text "$address"
key alt+c                  # "Create it as a new" Library
key Return
wait_gone '^Open Library Address$'
listed=$("$kestrel" lib list "$address" 2>&1 | sed -n 3p)
[[ $listed == *"Records: 0"* ]] || fail "no new library at the address ($listed)"
key alt+l m                # Library > Merge...
answer_file_dialog "Merge" "$work/files/parts.lib"
wait_window '^Kestrel$' >/dev/null
key Return                 # Merge '...' into '...'? Yes
dismiss_progress 'MERGE'
listed=$("$kestrel" lib list "$address" 2>&1 | sed -n 3p)
[[ $listed == *"Records: 528"* ]] || fail "the merge did not reach the database ($listed)"
shot "library-in-database"
key alt+f c
sleep 0.5
assert_responsive

step "project tree: open a board from its row"
key ctrl+o
answer_file_dialog "Open" "$work/files/demo.prj"
sleep 1
shot "project"
first_part=$("$kestrel" show "$work/files/controller.cir" | sed -n 4p | awk '{print $1}')
# The tree fills while the project opens: on a busy machine the first keys
# may come before its rows, and Copy then gives the top-level row; go again.
for try in 1 2 3; do
  key alt+w 2              # the project from the Window menu: its tree takes the keys
  key Home Down            # the first board under the top-level circuit
  key Return               # opens the board
  copied "^ *$first_part " 8 && break
done
wait_copied "^ *$first_part " 4
shot "board-from-tree"
assert_responsive

step "quit"
key ctrl+q
deadline=$((SECONDS + 20))
while kill -0 "$pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.2; done
kill -0 "$pid" 2>/dev/null && fail "kestrel-gui did not quit"
wait "$pid" || fail "kestrel-gui quit with an error"
pid=
echo "desktop smoke: every step answered"
