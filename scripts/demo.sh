#!/usr/bin/env bash
# The live demo: Lumivane at work in our minimal shell under Wine, checked step by step.

#   scripts/demo.sh [--arch x86|x64] [--display]
#     --arch       the build to run; by default x86, the main deliverable, where 32-bit code
#                  runs here, x64 elsewhere (scripts/lib/runner.sh), saying why
#     --display    the caller's own DISPLAY instead of a private Xvfb with xcompmgr

# Builds and stages that architecture's BLACKBOX.EXE, Lumivane.dll and examples/Lumivane.rc
# (LUMIVANE_BUILD_DIR, default build/win32 or build/win64), then plays a story with sample apps:
# start-up, a new window in front, a move, "@LumivaneTog" off and on, a reconfigure, quit. Each
# step's windows are checked against the settings, with a screenshot in demo-out/; a window that
# looks otherwise stops it, naming the step. Peekster names the window under the pointer.
set -euo pipefail
. "$(dirname "$0")/lib/runner.sh"
root=$LUMIVANE_ROOT && cd "$LUMIVANE_ROOT"
out=$root/demo-out run=$root/demo-out/run
SETTLE_MS=10000
# Where the staged programs live, as Windows sees it.
STAGE='C:\lumivane-demo'

own_display=1 arch=
usage() { echo "demo: $1" >&2; exit 2; }
while [ $# -gt 0 ]; do
  case $1 in
  --display) own_display=0 && [ -n "${DISPLAY:-}" ] || usage "--display needs DISPLAY to be set" ;;
  --arch) preset_of "${2:-}" >/dev/null && arch=$2 && shift || usage "--arch takes x86 or x64" ;;
  *) usage "usage: $0 [--arch x86|x64] [--display]" ;;
  esac
  shift
done
if [ -z "$arch" ] && x86_runs_here; then
  arch=x86 && echo "== running the x86 build, the main deliverable"
elif [ -z "$arch" ]; then
  arch=x64 && echo "== running the x64 build: 32-bit code does not run here ($why_no_x86), so the" \
    "x86 build cannot run under Wine here (scripts/demo.sh --arch x86 to try anyway)"
fi
preset=$(preset_of $arch)
build=${LUMIVANE_BUILD_DIR:-$root/build/$preset}
session=$build/demo-wine

source demo/rules_model.sh

fail() { echo "demo: FAILED at $1: $2" >&2 && exit 1; }


scripts/install-deps.sh
# One demo at a time per checkout: they would share demo-out/ and the Wine prefix.
mkdir -p "$out" && exec 9>"$out/.lock"
flock -n 9 || fail "start-up" "another demo is running in $root"
rm -rf "$run" "$out"/*.png && mkdir -p "$run"
echo "== building the $arch programs in $build"
{ cmake --preset "$preset" -B "$build" && cmake --build "$build" -j2 --target Lumivane Peekster \
  BLACKBOX demo_tools; } >"$run/build.log" 2>&1 || { tail -n 30 "$run/build.log" >&2; fail "build" "see $run/build.log"; }
SECONDS=0

trap 'session_stop "$session"' EXIT
trap 'exit 130' INT TERM
echo "== starting the display, the compositor and Wine"
session_start "$session" "$([ "$own_display" = 1 ] && echo 1280x800x24 || echo none)"
stage=$WINEPREFIX/drive_c/lumivane-demo
# Without a compositor X shows every window opaque; xcompmgr honours the alpha Wine hands it
# as _NET_WM_WINDOW_OPACITY. On the caller's display another one may be at work already.
xcompmgr >"$run/xcompmgr.log" 2>&1 9>&- &
sleep 0.3
is_running $! && session_keep "$session" $! ||
  echo "demo: xcompmgr did not stay up ($(head -n1 "$run/xcompmgr.log")); going on without it"

rm -rf "$stage" && mkdir -p "$stage/plugins/Lumivane"
cp "$build/host/BLACKBOX.EXE" "$build/probe/Peekster.exe" "$build/demo/window_looks.exe" \
  "$build/demo/move_pointer.exe" examples/plugins.rc "$stage/"
cp "$build/plugin/Lumivane.dll" examples/Lumivane.rc "$stage/plugins/Lumivane/"
settings=$stage/plugins/Lumivane/Lumivane.rc && load_rules "$settings"

win() { (cd "$stage" && "$WINE" "$STAGE\\$1" "${@:2}" 9>&-); }


declare -A handle_of app_input app_output

# True once a line matching the extended regular expression appears in file after its
# first skip lines; with -F, once that exact line appears.
wait_for_line() {
  local mode=-E
  [ "$1" != -F ] || { mode=-Fx && shift; }
  local file=$1 pattern=$2 skip=${3:-0}
  for _ in $(seq 200); do
    tail -n +"$((skip + 1))" "$file" | tr -d '\r' | grep -q "$mode" -e "$pattern" && return 0
    sleep 0.05
  done
  return 1
}

take_windows() {
  local word id handle
  while read -r word id handle; do [ "$word" != window ] || handle_of[$id]=$handle; done < <(tr -d '\r' <"$1")
}

# Starts STAGE\EXE, a copy of the live tests' target app; its input stays open for commands.
start_app() {
  local exe=$1 input=$run/$1.in output=$run/$1.out fd
  shift
  cp "$build/tests/e2e/target_app.exe" "$stage/$exe" && mkfifo "$input"
  (cd "$stage" && exec "$WINE" "$STAGE\\$exe" "$@") <"$input" >"$output" 2>"$run/$exe.err" 9>&- &
  exec {fd}>"$input" && app_input[$exe]=$fd app_output[$exe]=$output
  wait_for_line "$output" '^(ready|failed)' && ! grep -q '^failed' "$output" ||
    fail "start-up" "$exe did not open its window (see $output)"
  take_windows "$output"
}

# A card window ID of EXE at X Y in COLOUR (RRGGBB), with an optional colour key of its own.
open_card() {
  local id=$1 exe=$2 x=$3 y=$4 colour=$5 key=${6:-}
  add_window "$id" "$exe" "$key"
  start_app "$exe" "$id" "$x" "$y" 440 280 "$colour" ${key:+keyed} "$(rule_lines "$id")"
}

tell() {
  local exe=$1 command=$2 output=${app_output[$1]} before
  before=$(wc -l <"$output") && echo "$command" >&"${app_input[$exe]}"
  wait_for_line -F "$output" "done $command" "$before" ||
    fail "$step_name" "$exe could not carry out '$command' (see $output)"
}


host_pid=
start_shell() {
  (cd "$stage" && exec "$WINE" "$STAGE\\BLACKBOX.EXE") </dev/null >"$run/host.out" \
    2>"$run/host.err" 9>&- &
  host_pid=$!
  wait_for_line "$run/host.out" '^beginPlugin .* = ' &&
    grep -q '^beginPlugin .* = 0' "$run/host.out" ||
    fail "start-up" "the shell did not start the plug-in (see $run/host.out)"
}

shell_command() {
  echo "   BLACKBOX.EXE $*"
  win BLACKBOX.EXE "$@" >>"$run/commands.out" 2>&1 ||
    fail "$step_name" "BLACKBOX.EXE $* failed (see $run/commands.out)"
}


step_number=0 step_name="start-up"

step() {
  step_number=$((step_number + 1)) && step_name="step $step_number ($1)"
  printf '\n== step %s: %s\n' "$step_number" "$2"
}

# Reads every window back until it looks as the settings say, prints the table, saves the
# screenshot; fails the step when a window looks otherwise.
check_step() {
  local screenshot arguments=() id
  screenshot=$out/$(printf '%02d' "$step_number")-$1.png
  for id in "${windows[@]}"; do arguments+=("${handle_of[$id]}=$(expected_look "$id")"); done
  local looks status=0 index=0 handle layered alpha key verdict
  looks=$(win window_looks.exe "$SETTLE_MS" "${arguments[@]}" | tr -d '\r') || status=$?
  row() { printf '   %-13s %-10s %-20s %-8s %-6s %-11s %-15s %s\n' "$@"; }
  echo "   $arch build: BLACKBOX.EXE and Lumivane.dll from ${build#"$root"/}"
  row application window rule layered alpha "colour key" expected ""
  while read -r handle layered alpha key verdict; do
    id=${windows[index]} && index=$((index + 1))
    row "${exe_of[$id]}" "$id" "$(rule_text "$id")" "$layered" "$alpha" "$key" \
      "${alpha_of[$id]}${key_of[$id]:+ key ${key_of[$id]}}" "$([ "$verdict" = ok ] && echo ok || echo MISMATCH)"
  done <<<"$looks"
  # Give the compositor a moment to draw the last change.
  sleep 0.5
  import -window root "$screenshot" && last_screenshot=$screenshot
  echo "   screenshot: ${screenshot#"$root"/}"
  [ "$status" = 0 ] && [ "$index" = "${#windows[@]}" ] ||
    fail "$step_name" "the windows do not look as the settings say (table above)"
}

# Notepad's card (60..500 x 50..330) over the wallpaper's 64-pixel squares: (100,300) lies over a
# light one, (170,300) over a dark one, and they differ only through a blended, translucent
# card. Only a compositor blends, so only the demo's own display is checked.
check_blending() {
  [ "$own_display" = 1 ] || return 0
  local shown=no
  [ "$(convert "$last_screenshot" -format '%[pixel:p{100,300}]' info:)" = \
    "$(convert "$last_screenshot" -format '%[pixel:p{170,300}]' info:)" ] || shown=yes
  echo "   the wallpaper shows through Notepad in the screenshot: $shown"
  [ "$shown" = "$1" ] ||
    fail "$step_name" "the wallpaper showing through Notepad in $last_screenshot: expected $1, found $shown"
}


echo "== opening the sample applications"
add_window Wallpaper explorer.exe
start_app explorer.exe --wallpaper \
  "excluded, never touched: it shows through the translucent windows above it"
open_card Notepad notepad.exe 60 50 D2691E
open_card Paint mspaint.exe 540 50 2E8B57
open_card Calculator calc.exe 60 380 1F5FA8
open_card WordPad wordpad.exe 540 380 7B3FA0 FF00FF

# Each step: what happens, what the plug-in should make of it, and the check.
step startup "the shell starts with Lumivane and examples/Lumivane.rc"
start_shell && switch_on && check_step startup
check_blending yes

step foreground "calc.exe comes to the front"
tell calc.exe "foreground Calculator" && foreground_changed Calculator && check_step foreground

step moving "mspaint.exe is picked up and dragged (screenshot mid-move)"
tell mspaint.exe "foreground Paint" && foreground_changed Paint
tell mspaint.exe "movestart Paint" && move_started Paint
tell mspaint.exe "move Paint 820 230" && check_step moving

step moved "mspaint.exe is let go"
tell mspaint.exe "moveend Paint" && move_ended Paint && check_step moved

step toggle-off "@LumivaneTog switches the effect off"
shell_command -exec @LumivaneTog && switch_off && check_step toggle-off

step toggle-on "@LumivaneTog switches it on again"
shell_command -exec @LumivaneTog && switch_on && check_step toggle-on

step reconfigure "level0 180 -> 100 in Lumivane.rc, reconfigure, a new notepad window"
sed -i 's/^\(Lumivane\.plugin\.level0:[ \t]*\)180/\1100/' "$settings"
grep -q '^Lumivane.plugin.level0: 100' "$settings" || fail "$step_name" "could not edit $settings"
shell_command -reconfigure && load_rules "$settings"
add_window Notepad2 notepad.exe
tell notepad.exe "open Notepad2 300 230 $(rule_lines Notepad2)|(opened after the reconfigure)"
take_windows "${app_output[notepad.exe]}" && window_created Notepad2
echo "   (a window already open keeps its level until the next pass; a new one takes the new level)"
check_step reconfigure

echo
echo "== Peekster names the application under the pointer"
win move_pointer.exe 520 370 || fail "Peekster" "could not move the pointer"
peek=$(win Peekster.exe | tr -d '\r') && sed 's/^/   /' <<<"$peek"
grep -qi '\\notepad\.exe$' <<<"$peek" || fail "Peekster" "it did not name notepad.exe"

step quit "BLACKBOX.EXE -quit: the shell ends and Lumivane restores every window"
shell_command -quit
for _ in $(seq 100); do is_running "$host_pid" && sleep 0.1 || break; done
is_running "$host_pid" && fail "$step_name" "the shell did not exit"
host_status=0 && wait "$host_pid" || host_status=$?
[ "$host_status" = 0 ] || fail "$step_name" "the shell exited with $host_status (see $run/host.out)"
echo "   the shell exited with 0"
switch_off && check_step quit
check_blending no

for exe in "${!app_input[@]}"; do echo quit >&"${app_input[$exe]}"; done
echo
echo "== the demo passed in ${SECONDS}s; screenshots in $out:"
ls "$out"/*.png | sed 's/^/   /'
