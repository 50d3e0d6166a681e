#!/bin/sh
# The autostart wrapper of the child program (packaging/child-autostart.in), run with a stand-in
# child that ends as a plan says: which ends start it again, which end the wrapper, the waits
# between starts and when they start again from 1 second, the guard against a child that keeps
# dying, and the end of the session. The cases run at the same time.
#
# Minutes of waiting take no time here: the wrapper finds `sleep` and `date` on PATH, and each case
# puts stand-ins for them first, which keep a clock of their own in the case's folder. The fake
# sleep notes how long it was asked to wait and moves that clock on by as much; the stand-in child
# moves it on by as long as its plan says it ran.
# Usage: test_childautostart.sh <path of child-autostart.in>
set -u
template=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
real_sleep=$(command -v sleep)

# The stand-in notes each start with its arguments, then does what the next line of its plan
# says: "STATUS" or "STATUS@SECONDS" (end with that status after running so long), "signal"
# (die by SIGKILL at once), "helper" (start a helper process, as Qt WebEngine does, then die by
# SIGKILL) or "run" (wait to be ended).
cat >"$work/stand-in" <<EOF
#!/bin/sh
dir=\$(dirname "\$0")
echo "\$*" >>"\$dir/starts"
step=\$(sed -n "\$(wc -l <"\$dir/starts")p" "\$dir/plan")
case "\$step" in
*@*) echo \$((\$(cat "\$dir/clock") + \${step#*@})) >"\$dir/clock"; step=\${step%@*} ;;
esac
case "\$step" in
signal) kill -KILL \$\$ ;;
helper) $real_sleep 60 & echo \$! >"\$dir/helper"; kill -KILL \$\$ ;;
run) echo \$\$ >"\$dir/running"; exec $real_sleep 60 ;;
*) exit "\$step" ;;
esac
EOF
cat >"$work/date" <<'EOF'
#!/bin/sh
cat "$(dirname "$0")/clock"
EOF
# With a file "hold" in the case's folder, the wait is real (and long), so that a case can end the
# session while the wrapper waits.
cat >"$work/sleep" <<EOF
#!/bin/sh
dir=\$(dirname "\$0")
echo "\$1" >>"\$dir/waits"
if [ -f "\$dir/hold" ]; then
    echo \$\$ >"\$dir/sleeping"
    exec $real_sleep 60
fi
echo \$((\$(cat "\$dir/clock") + \$1)) >"\$dir/clock"
EOF

# prepare <case> <plan lines...>: a folder with the wrapper, the stand-ins, the plan and settings.
prepare() {
    dir="$work/$1"
    shift
    mkdir -p "$dir"
    for tool in stand-in date sleep; do
        cp "$work/$tool" "$dir/$tool"
        chmod +x "$dir/$tool"
    done
    echo 1000000 >"$dir/clock"
    printf '%s\n' "$@" >"$dir/plan"
    : >"$dir/settings.ini"
    sed -e "s|@QH_CHILD_PROGRAM@|$dir/stand-in|" -e "s|@QH_CHILD_SETTINGS@|$dir/settings.ini|" "$template" \
        >"$dir/wrapper"
}

# run <case> <plan lines...>: runs the wrapper to its end in the background; its status goes to
# the file "status".
run() {
    prepare "$@"
    (PATH="$work/$1:$PATH" sh "$work/$1/wrapper" 2>"$work/$1/said"; echo $? >"$work/$1/status") &
}

# Waits up to 10 seconds for the file.
await() {
    for _ in $(seq 100); do [ -s "$1" ] && return 0; $real_sleep 0.1; done
    return 1
}

# Whether the process has ended within 10 seconds (a zombie that waits for its new parent to reap it
# has ended too).
ended() {
    for _ in $(seq 100); do
        kill -0 "$1" 2>/dev/null || return 0
        [ "$(sed -n 's/^[^)]*) \(.\).*/\1/p' "/proc/$1/stat" 2>/dev/null)" = Z ] && return 0
        $real_sleep 0.1
    done
    return 1
}

run settings-unusable 1
run command-line 2
run asked-to-end 0
run crash-then-settings signal 1
run abort-then-asked 134 0
run unexpected-status 70 1
run crash-leaves-helper helper 0
run dies-again-and-again signal signal signal signal signal signal signal
# The previous login's child still holds the lock or the port for a while.
run previous-child-leaving 3 4 4 0
# A port held all day is tried again every 5 minutes, never given up, never counted as a crash.
run port-held-long 4 4 4 4 4 4 4 4 4 4 4 0
# Dying 12 seconds after each start escapes the guard against quick deaths, but not the waits;
# a healthy run of 5 minutes starts them again from 1 second.
run dies-after-each-start signal@12 signal@12 signal@12 signal@12 signal@12 70@300 70@299 0
prepare no-settings 1
rm "$work/no-settings/settings.ini"
PATH="$work/no-settings:$PATH" sh "$work/no-settings/wrapper"
echo $? >"$work/no-settings/status"
# end_session <case> <file> <plan lines...>: once the case's file is there, the session ends (the
# wrapper is sent TERM); a wrapper that has not ended 10 seconds later counts as hung.
end_session() {
    case=$1
    file=$2
    shift 2
    prepare "$case" "$@"
    (
        PATH="$work/$case:$PATH" sh "$work/$case/wrapper" 2>/dev/null &
        echo $! >"$work/$case/pid"
        wait $!
        echo $? >"$work/$case/status"
    ) &
    await "$work/$case/$file" && await "$work/$case/pid" && kill -TERM "$(cat "$work/$case/pid")"
    await "$work/$case/status" || {
        kill -KILL "$(cat "$work/$case/$file")"
        wait
        echo hung >"$work/$case/status"
    }
}
end_session logout running run
mkdir -p "$work/logout-while-waiting"
touch "$work/logout-while-waiting/hold"
end_session logout-while-waiting sleeping 4
wait

# <case> <status the wrapper ended with> <starts of the child> <the waits before the starts again>
failures=0
while read -r case status starts waits; do
    got="$(cat "$work/$case/status") $(cat "$work/$case/starts" 2>/dev/null | wc -l) $(cat "$work/$case/waits" 2>/dev/null | xargs)"
    [ "$got" = "$status $starts $waits" ] || { echo "FAIL $case: status, starts and waits $got, not $status $starts $waits"; failures=$((failures + 1)); }
done <<'END'
no-settings 0 0
settings-unusable 1 1
command-line 2 1
asked-to-end 0 1
crash-then-settings 1 2 1
crash-leaves-helper 0 2 1
abort-then-asked 0 2 1
unexpected-status 1 2 1
dies-again-and-again 1 5 1 2 4 8
previous-child-leaving 0 4 1 2 4
port-held-long 0 12 1 2 4 8 16 32 64 128 256 300 300
dies-after-each-start 0 8 1 2 4 8 16 1 2
logout 0 1
logout-while-waiting 0 1 1
END
ended "$(cat "$work/crash-leaves-helper/helper")" || { echo "FAIL: a crashed child's helper runs on"; failures=$((failures + 1)); }
ended "$(cat "$work/logout/running")" || { echo "FAIL logout: the child runs on"; failures=$((failures + 1)); }
ended "$(cat "$work/logout-while-waiting/sleeping")" || { echo "FAIL logout-while-waiting: the wait goes on"; failures=$((failures + 1)); }
grep -q "not starting it again" "$work/dies-again-and-again/said" || { echo "FAIL: no word of giving up"; failures=$((failures + 1)); }
grep -q "held by another program" "$work/port-held-long/said" || { echo "FAIL: no word of the port held"; failures=$((failures + 1)); }
[ "$(head -n 1 "$work/command-line/starts")" = "--settings $work/command-line/settings.ini" ] ||
    { echo "FAIL: the child was not given its settings file"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ]
