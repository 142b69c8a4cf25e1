#!/usr/bin/env bash
# The console's prompt as a person uses it, in a real terminal: tmux runs
# `orvex --embedded`, keys go in with send-keys and the screen is read back
# with capture-pane.
#
#   prompt_in_tmux.sh ORVEX
#
# Checks: Ctrl-C on a half-typed line abandons it and keeps every variable
# (inside an open block, the interpreter's tests pin); Ctrl-C during a call
# that waits on a server that never answers ends that statement and keeps
# the connection already open; Tab completes keywords and member names;
# help NAME prints the member's entry; a line entered is in the history
# even when the console is killed right after, and a new session recalls
# it with the Up key; Ctrl-C twice at an empty prompt leaves.
set -euo pipefail
orvex=$1
work=$(mktemp -d)
socket=$work/tmux
holder_pid=
cleanup() {
  tmux -S "$socket" kill-server 2> /dev/null || true
  if [[ -n $holder_pid ]]; then kill "$holder_pid" 2> /dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work

# A peer that accepts connections and never answers: a call to it waits
# until it is interrupted. It writes its port, then one line per connection.
python3 - "$work/holder" << 'EOF' &
import socket, sys
out = open(sys.argv[1], "w", buffering=1)
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(8)
out.write("%d\n" % s.getsockname()[1])
held = []
while True:
    c, _ = s.accept()
    held.append(c)
    out.write("connection\n")
EOF
holder_pid=$!
for _ in $(seq 100); do [[ -s $work/holder ]] && break; sleep 0.1; done
holder_port=$(head -n1 "$work/holder")

fail() {
  echo "FAIL: $*" >&2
  echo "--- screen" >&2
  screen >&2 || true
  exit 1
}
screen() { tmux -S "$socket" capture-pane -p -t console -S -200; }
keys() { tmux -S "$socket" send-keys -t console "$@"; }
line() { keys -l "$1" && keys Enter; }
# Waits (up to a minute, the machine may be busy) until the screen shows
# `text` at least `count` times.
wait_for() {
  local text=$1 count=${2:-1}
  for _ in $(seq 600); do
    (($(screen | grep -cF -- "$text") >= count)) && return 0
    sleep 0.1
  done
  fail "the screen never showed '$text' ($count times)"
}
# The same for a whole line of the screen.
wait_line() {
  for _ in $(seq 600); do
    screen | grep -qxF -- "$1" && return 0
    sleep 0.1
  done
  fail "the screen never showed the line '$1'"
}
never_line() { if screen | grep -qxF -- "$1"; then fail "the screen shows the line '$1'"; fi; }
start() {
  tmux -S "$socket" new-session -d -s console -x 160 -y 60 \
    "$orvex --embedded --map-host slow=127.0.0.1:$holder_port; echo \$? > $work/status"
  tmux -S "$socket" set-option -t console remain-on-exit on > /dev/null
  wait_for "orvex>"
}

start
line 'Set cx = CreateObject("Linkora.ConnectOrvex")'
line 'cx.ShowDialog = False'
line 'cx.ConnectOpen "docs", "jones", "CORP", "secret"'
wait_for "True"
line 'n = 42'

# A half-typed line: Ctrl-C drops it, nothing of it runs.
keys -l 'Print "half typed'
keys C-c
line 'Print "after half line", n'
wait_for "after half line 42"
never_line 'half typed' 

# A call that waits on a server that never answers: Ctrl-C ends the
# statement; the variables and the other connection stay.
line 'Set cy = CreateObject("Linkora.ConnectOrvex")'
line 'cy.ShowDialog = False'
line 'ok = cy.ConnectOpen("slow", "jones", "CORP", "secret")'
for _ in $(seq 600); do grep -q connection "$work/holder" && break; sleep 0.1; done
grep -q connection "$work/holder" || fail "the call never reached the silent server"
keys C-c
wait_for "interrupted"
line 'Print "still here", n, cx.GetWorkspaceInfo'
wait_for "still here 42 3"

# Tab: a keyword, then a member of the object before the dot.
keys -l 'Pri'
keys Tab
keys -l ' "completed"'
keys Enter
wait_line 'completed'
keys -l 'Print cx.GetWorkspaceI'
keys Tab
keys -l '()'
keys Enter
wait_for "Print cx.GetWorkspaceInfo()"
wait_line '3'


# help with a member name: its reference entry.
line 'help GetWorkspace'
wait_for "ConnectOrvex.GetWorkspace(Index As Integer"
if screen | grep -qF "syntax error"; then fail "help NAME was taken for a statement"; fi

# History: each line is kept as it is entered, so a killed session loses
# nothing; a new one recalls it.
line 'Print "remembered " & n'
wait_for "remembered 42"
# The pane runs a shell around the console; the console is its child.
pkill -KILL -P "$(tmux -S "$socket" display-message -p -t console '#{pane_pid}')"
# libedit writes blanks as \040.
sed 's/\\040/ /g' "$HOME/.orvex_history" | grep -qxF 'Print "remembered " & n' ||
  fail "the last line is not in the history: $(cat "$HOME/.orvex_history")"
tmux -S "$socket" kill-session -t console
start
keys Up
wait_for 'orvex> Print "remembered " & n'

# Ctrl-C drops the recalled line; at the empty prompt it says how to
# leave; a second one leaves.
keys C-c
keys C-c
wait_for "To leave, press Ctrl-C again"
keys C-c
for _ in $(seq 600); do
  [[ $(tmux -S "$socket" display-message -p -t console '#{pane_dead}') == 1 ]] && break
  sleep 0.1
done
[[ $(tmux -S "$socket" display-message -p -t console '#{pane_dead}') == 1 ]] ||
  fail "a second Ctrl-C at an empty prompt did not leave"
# The console's own status, written by the shell that ran it (tmux does not
# always learn a pane's exit status).
[[ $(cat "$work/status") == 0 ]] || fail "leaving with Ctrl-C gave status $(cat "$work/status")"
echo "prompt_in_tmux: all checks passed"
