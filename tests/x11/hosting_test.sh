#!/usr/bin/env bash
# The window program started by a host program with a direction and the
# host's window id, on a private X server with a window manager, driven with
# the keyboard as a person would. Exit 77 (skipped) only when the X tools
# are missing.
#   hosting_test.sh TRASVELO HOST_WINDOW VOLCAR_TABLA SOURCE_DIR
set -uo pipefail

trasvelo_built=$1
host_window=$2
volcar_tabla=$3
source_dir=$4

for tool in Xvfb openbox xdotool xwininfo xprop timeout; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

caption="Exportar e importar datos entre Velmora y Racima"
tmp=$(mktemp -d /tmp/trasvelo-x11-XXXXXX)
pids=()
failures=0

cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# wait_for SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# The first visible window whose name matches the pattern, into $found.
visible() {
  found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
  [ -n "$found" ]
}

# The host's child window with the main window's caption, into $child.
child_of() {
  child=$(xwininfo -id "$1" -children 2>/dev/null |
    awk -v c="\"$caption\"" 'index($0, c) { print $1; exit }')
  [ -n "$child" ]
}

alive() { kill -0 "$1" 2>/dev/null; }
gone() { ! alive "$1"; }

# --- the private X server and the window manager ----------------------------
mkdir -p "$tmp/home" "$tmp/run" "$tmp/wine/drive_c/VTEMP" "$tmp/prog"
chmod 700 "$tmp/run"
export HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/run" WINEPREFIX="$tmp/wine"
export QT_QPA_PLATFORM=xcb
# Under LeakSanitizer: one known leak of a system library is not ours.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp:print_suppressions=0"
unset WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE QT_QPA_PLATFORMTHEME DESKTOP_SESSION

# Two servers started at the same moment can pick the same display number:
# runs of this test start theirs one at a time, and a server that did not
# come up as ours is started again.
start_x() {
  local attempt xvfb_pid
  for attempt in 1 2 3 4 5; do
    : >"$tmp/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
    xvfb_pid=$!
    if wait_for 10 test -s "$tmp/display"; then
      export DISPLAY=":$(head -n 1 "$tmp/display")"
      if wait_for 10 sh -c 'xprop -root >/dev/null 2>&1' && sleep 0.2 && alive "$xvfb_pid"; then
        pids+=("$xvfb_pid")
        return 0
      fi
    fi
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  done
  return 1
}
exec 9>"${TMPDIR:-/tmp}/trasvelo-x11-start.lock"
flock -w 60 9
start_x || { echo "FAIL: Xvfb did not start"; cat "$tmp/xvfb.log"; exit 1; }
flock -u 9
exec 9>&-

openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
pids+=($!)
# Windows mapped before the window manager is ready are never managed.
wait_for 10 sh -c 'xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW' ||
  { echo "FAIL: openbox did not start on $DISPLAY"; cat "$tmp/openbox.log" "$tmp/xvfb.log"; exit 1; }

# The program directory is the executable's: a copy of its own, so that
# Velmora.ini lands here.
cp "$trasvelo_built" "$tmp/prog/trasvelo"
cp "$(dirname "$trasvelo_built")/NIVELLARI.dbf" "$tmp/prog/"
ini="$tmp/prog/Velmora.ini"

# start_host NAME ARGS...: the host window starting trasvelo with ARGS; sets
# $host_pid and $host_id.
start_host() {
  local name=$1
  shift
  rm -f "$ini"
  out="$tmp/$name.out"
  "$host_window" "$tmp/prog/trasvelo" "$@" >"$out" 2>"$tmp/$name.err" &
  host_pid=$!
  pids+=($host_pid)
  wait_for 10 grep -q '^ventana=' "$out" || { fail "$name: the host did not start"; return 1; }
  host_id=$(sed -n 's/^ventana=//p' "$out")
}

# finish NAME: waits for the host (and so the program) to end and checks the
# program's exit status and its error output.
finish() {
  local name=$1
  if ! wait_for 20 gone "$host_pid"; then
    fail "$name: the program did not end"
    kill "$host_pid" 2>/dev/null
    return
  fi
  grep -q '^estado=0$' "$out" || fail "$name: exit status $(sed -n 's/^estado=//p' "$out")"
  if grep -Ev '^(QStandardPaths|qt\.qpa\.xcb: XKeyboard)' "$tmp/$name.err" | grep -q .; then
    echo "--- $name: error output"
    cat "$tmp/$name.err"
  fi
}

report_is() {
  local name=$1 value=$2
  if [ "$value" = none ]; then
    [ ! -e "$ini" ] || fail "$name: a report was written: $(cat "$ini")"
  elif ! grep -q "^Transformado=$value"$'\r'"\?\$" "$ini" 2>/dev/null; then
    fail "$name: report should hold Transformado=$value: $(cat "$ini" 2>/dev/null || echo missing)"
  fi
}

# The child's position inside its parent, as "X,Y".
position() {
  xwininfo -id "$child" | awk '/Relative upper-left X/ { x = $NF } /Relative upper-left Y/ { y = $NF }
    END { print x "," y }'
}
at() { [ "$(position)" = "$1" ]; }

# Focuses the embedded window: it is not managed, so activate its host and
# give it the focus directly.
focus_child() {
  xdotool windowactivate --sync "$host_id" >/dev/null 2>&1
  xdotool windowfocus --sync "$child" >/dev/null 2>&1
}

# --- 1: hosted import, the file dialog cancelled ----------------------------
if start_host hosted exportar "{ID}"; then
  if wait_for 15 visible '^Archivo XML$'; then
    dialog=$found
    if wait_for 5 child_of "$host_id"; then
      parent=$(xwininfo -id "$child" -tree | sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p')
      [ "$((parent))" = "$((host_id))" ] || fail "hosted: parent is $parent, not the host $host_id"
      # flags, functions, decorations...: the decorations field is used and empty.
      hints=$(xprop -id "$child" _MOTIF_WM_HINTS | sed -n 's/.*= //p' | tr -d ' ')
      IFS=, read -r hint_flags _ hint_decorations _ <<<"$hints"
      if ! (((hint_flags & 2) && hint_decorations == 0)); then
        fail "hosted: the window asks for decorations: _MOTIF_WM_HINTS = $hints"
      fi
      xwininfo -id "$child" | grep -q 'Width: 632' || fail "hosted: width is not 632"
      xwininfo -id "$child" | grep -q 'Height: 266' || fail "hosted: height is not 266"
    else
      fail "hosted: the main window is not a child of the host"
      xwininfo -id "$host_id" -tree
    fi
    xdotool windowactivate --sync "$dialog" >/dev/null 2>&1
    xdotool key --clearmodifiers Escape
    if wait_for 10 visible '^Trasvelo$'; then
      xdotool windowactivate --sync "$found" >/dev/null 2>&1
      xdotool key --clearmodifiers Return
    else
      fail "hosted: no message after the cancelled dialog"
    fi
  else
    fail "hosted: the file dialog did not appear"
  fi
  finish hosted
  report_is hosted -1
fi

# --- 2: an unknown word, hosted, closed with Alt+S (Salir) ------------------
if start_host word xyz "{id}"; then
  if wait_for 15 child_of "$host_id"; then
    sleep 0.3
    visible '^Archivo XML$' && fail "word: a run started"
    # Centred in the 800x480 host, and again when the host grows.
    at 84,107 || fail "word: not centred in the host: at $(position)"
    xdotool windowsize "$host_id" 1000 600
    wait_for 5 at 184,167 || fail "word: did not follow the host's new size: at $(position)"
    focus_child
    xdotool key --clearmodifiers alt+s
  else
    fail "word: the main window is not a child of the host"
  fi
  finish word
  report_is word 0
fi

# --- 3: three arguments: an ordinary window, closed with Alt+F4 -------------
if start_host three exportar "{ID}" otro; then
  if wait_for 15 visible "^$caption\$"; then
    main=$found
    child_of "$host_id" && fail "three: the window went into the host"
    sleep 0.3
    visible '^Archivo XML$' && fail "three: a run started"
    xdotool windowactivate --sync "$main" >/dev/null 2>&1
    xdotool key --clearmodifiers alt+F4
  else
    fail "three: no main window"
  fi
  finish three
  report_is three none
fi

# --- 4: the host window destroyed under the embedded window -----------------
if start_host destroyed xyz "{ID}"; then
  if wait_for 15 child_of "$host_id"; then
    kill -USR1 "$host_pid"
  else
    fail "destroyed: the main window is not a child of the host"
  fi
  finish destroyed
  report_is destroyed 0
fi

# --- 5: a hexadecimal id that names no window: top-level, still hosted -----
if start_host nowindow xyz 7FFFFFFF; then
  if wait_for 15 visible "^$caption\$"; then
    xdotool windowactivate --sync "$found" >/dev/null 2>&1
    xdotool key --clearmodifiers alt+F4
  else
    fail "nowindow: no main window"
  fi
  finish nowindow
  report_is nowindow 0
fi

# --- 6: a hosted import through the time-frame chooser ----------------------
# The sample document has two frames: Return at once is refused, then both
# are picked with the mouse and Ctrl.
chooser_caption="Planillas, Marcos o Jornadas Horarias"
cp "$source_dir/data/muestra/centro.xml" "$tmp/centro.xml"
# A line of the frame list, clicked with the given keys held (window-relative
# coordinates: the list sits at 16,103; a line is 13 to 23 pixels high).
click_frame() {
  local row=$1
  shift
  xdotool mousemove --window "$chooser" 40 $((row ? 127 : 109)) >/dev/null 2>&1
  if (($#)); then
    xdotool keydown "$1" click 1 keyup "$1"
  else
    xdotool click 1
  fi
}
if start_host chooser exportar "{ID}"; then
  if wait_for 15 visible '^Archivo XML$'; then
    xdotool windowactivate --sync "$found" >/dev/null 2>&1
    xdotool type --delay 20 "$tmp/centro.xml"
    xdotool key --clearmodifiers Return
    if wait_for 30 visible "^$chooser_caption\$"; then
      chooser=$found
      xdotool windowactivate --sync "$chooser" >/dev/null 2>&1
      xdotool key --clearmodifiers Return
      if wait_for 10 visible '^Trasvelo$'; then
        xdotool windowactivate --sync "$found" >/dev/null 2>&1
        xdotool key --clearmodifiers Return
      else
        fail "chooser: no message for an empty choice"
      fi
      # A new chooser follows.
      sleep 0.5
      if wait_for 10 visible "^$chooser_caption\$"; then
        chooser=$found
        xdotool windowactivate --sync "$chooser" >/dev/null 2>&1
        sleep 0.3
        click_frame 0
        click_frame 1 ctrl
        xdotool mousemove --window "$chooser" 299 265 click 1
        if wait_for 60 visible '^Trasvelo$'; then
          xdotool windowactivate --sync "$found" >/dev/null 2>&1
          xdotool key --clearmodifiers Return
        else
          fail "chooser: no message at the end of the import"
        fi
      else
        fail "chooser: no second chooser after the empty choice"
      fi
    else
      fail "chooser: the chooser did not appear"
    fi
  else
    fail "chooser: the file dialog did not appear"
  fi
  finish chooser
  report_is chooser 1
  expected="$source_dir/tests/data/expected"
  work="$WINEPREFIX/drive_c/VTEMP"
  for table in ASIGNOMT ASIGNOMT2 ASIGT AULAT CURSOST GRUPOST PROFT DIASHORAST2 \
    ambos/DIASHORAST ambos/PERIODOS; do
    if ! "$volcar_tabla" "$work" "$(basename "$table").DBF" >"$tmp/dump.txt" 2>&1; then
      fail "chooser: $table: $(cat "$tmp/dump.txt")"
    elif ! diff -q "$expected/$table.txt" "$tmp/dump.txt" >/dev/null; then
      fail "chooser: $table differs from the expected table"
      diff "$expected/$table.txt" "$tmp/dump.txt" | head -n 5
    fi
  done
fi

if ((failures)); then
  echo "$failures failure(s)"
  exit 1
fi
echo "all hosting cases passed"
