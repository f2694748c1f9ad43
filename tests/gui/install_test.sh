#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what a desktop sees: both
# programs (the command line's export and report too, and its bash
# completion), a valid desktop entry and MIME types, the icon, and that a file
# manager takes each kind of document (by name and, where the format has
# them, by its first bytes) to kestrel-gui.
# Usage: install_test.sh BUILD_DIR EXAMPLES_DIR SEEDS_DIR
set -euo pipefail
build=$1 examples=$2 seeds=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "install_test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > "$work/install.log" || fail "cmake --install failed"
share=$prefix/share
for program in kestrel kestrel-gui; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program missing"
done
"$prefix/bin/kestrel" --version > /dev/null || fail "the installed kestrel does not run"
# Export and report run in kestrel-io, which the installed kestrel finds beside its own folder.
io=$work/io
mkdir "$io"
cp "$examples/power_supply.cir" "$io/"
(cd "$io" && "$prefix/bin/kestrel" --no-log -y calc power_supply.cir > /dev/null &&
  "$prefix/bin/kestrel" --no-log export power_supply.cir -o power_supply.xlsx > /dev/null &&
  "$prefix/bin/kestrel" --no-log report power_supply.cir -o power_supply.txt > /dev/null) ||
  fail "the installed kestrel can not export or report"
[ -s "$io/power_supply.xlsx" ] && grep -q 'MIL-HDBK-217F' "$io/power_supply.txt" ||
  fail "the installed kestrel wrote no workbook or report"
completion=$share/bash-completion/completions/kestrel
bash -c '. "$1"; COMP_WORDS=(kestrel ca); COMP_CWORD=1; _kestrel; [ "${COMPREPLY[*]}" = calc ]' sh "$completion" ||
  fail "the installed bash completion does not complete kestrel ca"
desktop-file-validate "$share/applications/kestrel.desktop" || fail "desktop entry not valid"
xmllint --noout "$share/mime/packages/kestrel.xml" "$share/icons/hicolor/scalable/apps/kestrel.svg" ||
  fail "MIME types or icon not well-formed XML"
export XDG_DATA_DIRS=$share:/usr/share XDG_DATA_HOME=$work/home-share
update-mime-database "$share/mime" 2> "$work/mime.err" || fail "update-mime-database refused the types"
[ ! -s "$work/mime.err" ] || { cat "$work/mime.err" >&2; fail "update-mime-database complained"; }

# One file of each kind; the binary formats are also given without a name
# that tells their kind, so only their bytes can.
docs=$work/docs
mkdir "$docs"
cp "$examples/system.cir" "$examples/rf_module.hyb" "$examples/parts.lib" "$examples/parts.xrf" "$docs/"
cp "$seeds/fuzz_project/demo.prj" "$docs/demo.prj"
cp "$seeds/fuzz_graph_definition/temp.gdf" "$docs/temp.gdf"
"$prefix/bin/kestrel" import-def new "$docs/parts.imp" --type Circuit > /dev/null || fail "can not make an .imp"

typeOf() { gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'; }
check() {  # FILE EXPECTED-TYPE
  local got
  got=$(typeOf "$1")
  [ "$got" = "$2" ] || fail "$(basename "$1"): type '$got', expected '$2'"
}
while read -r file type magic; do
  check "$docs/$file" "application/x-kestrel-$type"
  if [ "$magic" = magic ]; then
    cp "$docs/$file" "$docs/unnamed-$type"
    check "$docs/unnamed-$type" "application/x-kestrel-$type"
  fi
done <<'TABLE'
system.cir circuit magic
rf_module.hyb hybrid magic
demo.prj project magic
parts.lib library name
parts.xrf cross-reference name
parts.imp import-definition name
temp.gdf graph-definition name
TABLE

# The application a file manager offers for each type is kestrel-gui (the
# desktop lists an entry only when its program is on the PATH).
export PATH=$prefix/bin:$PATH
update-desktop-database "$share/applications" || fail "update-desktop-database refused the entry"
for type in circuit hybrid library cross-reference import-definition project graph-definition; do
  offered=$(gio mime "application/x-kestrel-$type")
  [[ $offered == *"Default application"*": kestrel.desktop"* ]] ||
    fail "kestrel-gui is not the application of application/x-kestrel-$type: $offered"
done
echo "install_test: ok"
