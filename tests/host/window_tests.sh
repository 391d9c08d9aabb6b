#!/usr/bin/env bash
# Window tests of the FLTK host: the explorer runs on a private Xvfb display
# and is driven with xdotool; screenshots of its window are compared with the
# headless render of the same control state, and the state the controls
# report (explorer --dump) is compared with what the test did.
#
#   window_tests.sh EXPLORER [WORKDIR]
#
# Exit codes: 0 passed, 1 failed, 77 skipped (Xvfb or a tool is missing).
set -u
HERE=$(dirname "$(realpath "$0")")
EXPLORER=$(realpath "${1:?usage: window_tests.sh EXPLORER [WORKDIR]}")
WORK=${2:-$(mktemp -d /tmp/zol-window-tests.XXXXXX)}
mkdir -p "$WORK"
cd "$WORK" || exit 1
FAILS=0
PAD=Platform/TCustomControl
# The live area of the explorer window (left of it the entry list).
HOST_X=200 HOST_Y=0 HOST_W=800 HOST_H=600
# The drawing pad lies at (20, 20) inside the live area.
PADX=$((HOST_X + 20)) PADY=$((HOST_Y + 20))

skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; FAILS=$((FAILS + 1)); }
pass() { echo "ok: $*"; }

for tool in Xvfb xdotool xwd convert compare setxkbmap; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done

# ---- a private display
XPID=
for n in $(seq 91 140); do
  [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$WORK/xvfb.log" 2>&1 &
  XPID=$!
  for _ in $(seq 1 50); do
    if DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1; then break; fi
    kill -0 "$XPID" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$XPID" 2>/dev/null && DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1; then
    export DISPLAY=":$n"
    break
  fi
  kill "$XPID" 2>/dev/null
  wait "$XPID" 2>/dev/null
  XPID=
done
[ -n "$XPID" ] || skip "Xvfb cannot start ($(tail -1 "$WORK/xvfb.log" 2>/dev/null))"
cleanup() {
  [ -n "${EPID:-}" ] && kill "$EPID" 2>/dev/null
  kill "$XPID" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export LSAN_OPTIONS="suppressions=$HERE/lsan.supp:print_suppressions=0"

# ---- helpers
# start NAME ARGS...: runs the explorer, waits for its window (WID) and remembers its pid (EPID).
start() {
  local name=$1
  shift
  "$EXPLORER" "$@" --dump >"$WORK/$name.out" 2>"$WORK/$name.err" &
  EPID=$!
  WID=
  for _ in $(seq 1 100); do
    WID=$(xdotool search --all --onlyvisible --pid "$EPID" --name "ZOL Explorer" 2>/dev/null | head -1)
    [ -n "$WID" ] && break
    sleep 0.1
  done
  [ -n "$WID" ] || { fail "$name: no explorer window"; cat "$WORK/$name.err"; return 1; }
  echo "$name: window $WID of process $EPID"
  sleep 0.3
}
# quit NAME: Ctrl+Q to the window, then waits for the process (10 s at most).
quit() {
  local name=$1
  if kill -0 "$EPID" 2>/dev/null; then
    xdotool windowfocus "$WID" 2>/dev/null
    xdotool mousemove --window "$WID" 5 590 key ctrl+q
  fi
  for _ in $(seq 1 100); do
    kill -0 "$EPID" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$EPID" 2>/dev/null; then
    kill "$EPID"
    fail "$name: the explorer did not close"
  fi
  wait "$EPID"
  local rc=$?
  EPID=
  [ $rc -eq 0 ] || { fail "$name: explorer ended with $rc"; cat "$WORK/$name.err"; }
}
# prop NAME KEY: a property value of the dump.
prop() { sed -n "s/^$2=//p" "$WORK/$1.out"; }
expect() {  # expect NAME KEY VALUE
  local got
  got=$(prop "$1" "$2")
  if [ "$got" == "$3" ]; then pass "$1: $2=$3"; else fail "$1: $2 is '$got', expected '$3'"; fi
}
# pad X Y: pointer to pad coordinates.
pad() { xdotool mousemove --window "$WID" $((PADX + $1)) $((PADY + $2)); }
# shot FILE: the window's pixels, with the pointer outside (no hint over the window).
shot() {
  xdotool mousemove 1270 1010
  sleep 0.5
  xwd -silent -id "$WID" >"$WORK/$1.xwd" && convert "xwd:$WORK/$1.xwd" "$WORK/$1.png"
}
# same_pixels A B: number of differing pixels is 0.
same_pixels() {
  local n
  n=$(compare -metric AE "$1" "$2" "$WORK/diff.png" 2>&1)
  [ "$n" == "0" ]
}

# ZOL_WINDOW_TESTS="input timer" runs only the named groups.
want() { [ -z "${ZOL_WINDOW_TESTS:-}" ] || [[ " $ZOL_WINDOW_TESTS " == *" $1 "* ]]; }

# ---- 1. mouse, keyboard text, double click and wheel; window pixels = headless render
if want input && start input $PAD; then
  pad 50 80; xdotool click 1; sleep 0.2                       # a mark
  pad 80 130; xdotool mousedown 1; sleep 0.1                  # a line by dragging
  pad 120 150; sleep 0.05; pad 180 180; sleep 0.1; xdotool mouseup 1; sleep 0.2
  xdotool type --delay 60 "Hello, world"; sleep 0.2
  pad 380 230; xdotool click --repeat 2 --delay 80 1; sleep 0.6   # a double click
  pad 300 60; xdotool click 1; sleep 0.7; xdotool click 1; sleep 0.3  # two slow clicks: two marks
  xdotool click 4; sleep 0.1; xdotool click 4; sleep 0.1; xdotool click 5; sleep 0.2  # wheel: 1 + 2 - 1
  # The headless render of the state the pad reports, then the window until
  # it shows the same pixels (the program may still be catching up).
  xdotool mousemove 1270 1010
  sleep 0.5
  "$EXPLORER" --shot $PAD "$WORK/input-headless.png" $HOST_W $HOST_H \
    --set "Marks=50,80;380,230;300,60;300,60" --set "Lines=80,130,180,180" --set "Text=Hello, world" \
    --set "DoubleClicks=1" --set "PenWidth=2" || fail "input: headless render"
  same=0
  for _ in $(seq 1 20); do
    shot input
    convert "$WORK/input.png" -crop "${HOST_W}x${HOST_H}+${HOST_X}+${HOST_Y}" +repage "$WORK/input-live.png"
    if same_pixels "$WORK/input-live.png" "$WORK/input-headless.png"; then same=1; break; fi
  done
  if [ $same -eq 1 ]; then
    pass "input: window pixels equal the headless render"
  else
    fail "input: window pixels differ from the headless render (see $WORK/diff.png)"
  fi
  quit input
  expect input Marks "50,80;380,230;300,60;300,60"
  expect input Lines "80,130,180,180"
  expect input Text "Hello, world"
  expect input DoubleClicks 1
  expect input PenWidth 2
fi

# ---- 1b. a keyboard layout without Latin letters: typed text arrives as
# UTF-8, and Ctrl with the key that is Q on a US keyboard (key code 24) still
# closes the explorer.  (Characters are typed from the layout: xdotool types
# characters a layout lacks through a key it remaps for a moment, which a
# program may read after the mapping was restored.)
setxkbmap -layout ru
if want layout && start layout $PAD; then
  pad 40 40; xdotool click 1; sleep 0.2
  xdotool type --delay 80 "Жук 12"; sleep 0.3
  xdotool key ctrl+24
  for _ in $(seq 1 50); do kill -0 "$EPID" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$EPID" 2>/dev/null && fail "layout: Ctrl+Q on the Cyrillic layout did not close the explorer"
  quit layout
  expect layout Text "Жук 12"
fi
setxkbmap -layout us

# ---- 1c. the hint of the pad shows while the pointer rests on it
if want hint && start hint $PAD; then
  pad 100 100; sleep 0.3; pad 102 101; sleep 1.5
  n=$(xdotool search --onlyvisible --pid "$EPID" 2>/dev/null | wc -l)
  [ "$n" -eq 2 ] && pass "hint: shown" || fail "hint: $n windows while resting on the pad, expected 2"
  xdotool mousemove --window "$WID" 100 300; sleep 1.2      # the list has no hint
  n=$(xdotool search --onlyvisible --pid "$EPID" 2>/dev/null | wc -l)
  [ "$n" -eq 1 ] && pass "hint: hidden" || fail "hint: $n windows over the list, expected 1"
  quit hint
fi

# ---- 2. a timer fires on the real clock (started from the property panel)
if want timer && start timer $PAD; then
  xdotool mousemove --window "$WID" 1150 159 click 1; sleep 0.2   # the TimerInterval field
  xdotool key BackSpace; xdotool type "100"; xdotool key Return
  t0=$(date +%s%N)
  sleep 1.5
  quit timer
  t1=$(date +%s%N)
  ticks=$(prop timer Ticks)
  most=$(( (t1 - t0) / 100000000 + 1 ))
  if [ "${ticks:-0}" -ge 13 ] && [ "${ticks:-0}" -le "$most" ]; then
    pass "timer: $ticks ticks of 100 ms (13 to $most possible)"
  else
    fail "timer: $ticks ticks of 100 ms, expected 13 to $most"
  fi
fi

# ---- 3. a modal message box answered by keys; the popup menu by keys
if want modal && start modal $PAD; then
  pad 40 40; xdotool click 1; sleep 0.2
  xdotool key ctrl+m; sleep 0.8
  box=$(xdotool search --onlyvisible --name "^Confirm$" | head -1)
  [ -n "$box" ] && pass "modal: the message box is shown" || fail "modal: no message box"
  # While the box is up the explorer takes no input.
  pad 60 60; xdotool click 1; sleep 0.2
  [ -n "$box" ] && xdotool windowfocus "$box" 2>/dev/null
  xdotool key n; sleep 0.5                                    # "No" by its letter
  expect_now=$(xdotool search --onlyvisible --name "^Confirm$" | head -1)
  [ -z "$expect_now" ] && pass "modal: the box closed" || fail "modal: the box stayed"
  xdotool windowfocus "$WID"; pad 100 100; xdotool key ctrl+m; sleep 0.8
  box=$(xdotool search --onlyvisible --name "^Confirm$" | head -1)
  [ -n "$box" ] && xdotool windowfocus "$box" 2>/dev/null
  xdotool key Return; sleep 0.5                               # the default button: "Yes" clears
  xdotool windowfocus "$WID"; pad 200 200; xdotool click 3; sleep 0.8   # popup menu
  xdotool key Down; sleep 0.1; xdotool key Down; sleep 0.1; xdotool key Return; sleep 0.4
  quit modal
  expect modal Answer Yes
  expect modal Marks ""
  expect modal MenuChoice "Thick pen"
  expect modal PenWidth 4
fi

# ---- 3a. a modal form of the application: the explorer waits for it
if want modalform && start modalform $PAD; then
  pad 40 40; xdotool click 1; sleep 0.3
  xdotool key ctrl+f
  for _ in $(seq 1 30); do
    f=$(xdotool search --all --onlyvisible --pid "$EPID" --name "^Pad dialog$" | head -1)
    [ -n "$f" ] && break
    sleep 0.1
  done
  [ -n "$f" ] && pass "modalform: shown" || fail "modalform: not shown"
  [ -n "$f" ] && xdotool mousemove --window "$f" 100 60
  xdotool key Escape; sleep 0.8
  f=$(xdotool search --all --onlyvisible --pid "$EPID" --name "^Pad dialog$" | head -1)
  [ -z "$f" ] && pass "modalform: Escape closed it" || fail "modalform: Escape left it open"
  xdotool windowfocus "$WID" 2>/dev/null; pad 40 40; xdotool key ctrl+f; sleep 1.5
  f=$(xdotool search --all --onlyvisible --pid "$EPID" --name "^Pad dialog$" | head -1)
  [ -n "$f" ] && xdotool mousemove --window "$f" 100 60
  xdotool key Return; sleep 0.5
  f=$(xdotool search --all --onlyvisible --pid "$EPID" --name "^Pad dialog$" | head -1)
  [ -z "$f" ] && pass "modalform: closed" || fail "modalform: still open"
  quit modalform
  expect modalform ModalForm OK
fi

# ---- 3b. the file dialog: Escape cancels, a typed name and Return accept
if want filedialog && start filedialog $PAD; then
  echo hello >"$WORK/hello.txt"
  pad 40 40; xdotool click 1; sleep 0.3
  xdotool key ctrl+o; sleep 2
  dlg=$(xdotool search --all --onlyvisible --pid "$EPID" --name "^Open a file$" | head -1)
  [ -n "$dlg" ] && pass "filedialog: shown" || fail "filedialog: not shown"
  xdotool key Escape; sleep 1
  xdotool key ctrl+o; sleep 2
  xdotool type --delay 50 "hello.txt"; sleep 0.5; xdotool key Return
  for _ in $(seq 1 30); do
    dlg=$(xdotool search --all --onlyvisible --pid "$EPID" --name "^Open a file$" | head -1)
    [ -z "$dlg" ] && break
    sleep 0.1
  done
  [ -z "$dlg" ] && pass "filedialog: closed" || fail "filedialog: still open"
  quit filedialog
  expect filedialog File "$WORK/hello.txt"
fi

# ---- 4. property panel: focus by click, typing, Return applies, Tab to the next field
if want panel && start panel $PAD; then
  xdotool mousemove --window "$WID" 1150 87 click 1; sleep 0.2   # the Text field
  xdotool type --delay 60 "typed"; xdotool key Return; sleep 0.2
  xdotool key Tab; sleep 0.1; xdotool key BackSpace; xdotool type "3"; xdotool key Return; sleep 0.4
  quit panel
  expect panel Text typed
  expect panel DoubleClicks 3
fi

# ---- 4b. the entry list: arrow keys choose the entry shown (the caption names it)
if want list && start list $PAD; then
  first=$(xdotool getwindowname "$WID")
  xdotool mousemove --window "$WID" 100 590 click 1; sleep 0.2   # the list, below its rows
  xdotool key Up; sleep 0.8
  other=$(xdotool getwindowname "$WID")
  xdotool key Down; sleep 0.8
  back=$(xdotool getwindowname "$WID")
  quit list
  if [ "$first" == "ZOL Explorer - $PAD" ] && [ "$other" != "$first" ] && [[ "$other" == "ZOL Explorer - "* ]] &&
     [ "$back" == "$first" ]; then
    pass "list: '$first' -> '$other' -> '$back'"
  else
    fail "list: '$first' -> '$other' -> '$back'"
  fi
fi

# ---- 5. clipboard between two windows: text and picture
if want clipboard && start copy $PAD --set "Text=from the first window" --set "Marks=10,10;60,40"; then
  COPYWID=$WID COPYPID=$EPID
  pad 200 150; xdotool click 1; sleep 0.2
  xdotool key ctrl+c; sleep 0.3
  if start paste $PAD --set "Text="; then
    pad 30 30; xdotool click 1; sleep 0.2
    xdotool key ctrl+v; sleep 0.8
    xdotool key ctrl+b; sleep 1.5
    quit paste
    expect paste Text "from the first window"
  fi
  WID=$COPYWID EPID=$COPYPID
  quit copy
  pasted=$(prop paste Pasted) picture=$(prop copy Picture)
  if [ -n "$picture" ] && [ "$pasted" == "$picture" ]; then
    pass "clipboard: the picture arrived ($pasted)"
  else
    fail "clipboard: pasted picture '$pasted', copied '$picture'"
  fi
fi

# ---- 6. without a display the explorer says so
if DISPLAY= "$EXPLORER" >/dev/null 2>"$WORK/nodisplay.err"; then
  fail "no display: the explorer did not fail"
elif grep -q "display" "$WORK/nodisplay.err"; then
  pass "no display: $(cat "$WORK/nodisplay.err")"
else
  fail "no display: message '$(cat "$WORK/nodisplay.err")'"
fi

echo "window tests: $FAILS failed (work files in $WORK)"
[ $FAILS -eq 0 ]
