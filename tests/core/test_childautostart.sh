#!/bin/sh
# The autostart wrapper of the child program (packaging/child-autostart.in), run with a stand-in
# child that ends as a plan says: which ends start it again, which end the wrapper, the guard
# against a child that keeps dying, and the end of the session. The cases run at the same time.
# Usage: test_childautostart.sh <path of child-autostart.in>
set -u
template=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The stand-in notes each start with its arguments, then does what the next line of its plan
# says: end with that status, "signal" (die by SIGKILL) or "run" (wait to be ended).
cat >"$work/stand-in" <<'EOF'
#!/bin/sh
dir=$(dirname "$0")
echo "$*" >>"$dir/starts"
step=$(sed -n "$(wc -l <"$dir/starts")p" "$dir/plan")
case "$step" in
signal) kill -KILL $$ ;;
run) echo $$ >"$dir/running"; exec sleep 60 ;;
*) exit "$step" ;;
esac
EOF

# prepare <case> <plan lines...>: a folder with the wrapper, the stand-in, its plan and settings.
prepare() {
    dir="$work/$1"
    shift
    mkdir -p "$dir"
    cp "$work/stand-in" "$dir/stand-in"
    chmod +x "$dir/stand-in"
    printf '%s\n' "$@" >"$dir/plan"
    : >"$dir/settings.ini"
    sed -e "s|@QH_CHILD_PROGRAM@|$dir/stand-in|" -e "s|@QH_CHILD_SETTINGS@|$dir/settings.ini|" "$template" \
        >"$dir/wrapper"
}

# run <case> <plan lines...>: runs the wrapper to its end in the background; its status goes to
# the file "status".
run() {
    prepare "$@"
    (sh "$work/$1/wrapper" 2>"$work/$1/said"; echo $? >"$work/$1/status") &
}

failures=0
# expect <case> <status> <starts>: the wrapper ended with that status after that many starts.
expect() {
    status=$(cat "$work/$1/status" 2>/dev/null)
    starts=$(wc -l 2>/dev/null <"$work/$1/starts" || echo 0)
    if [ "$status" != "$2" ] || [ "$starts" -ne "$3" ]; then
        echo "FAIL $1: status ${status:-none} after $starts starts, expected $2 after $3"
        failures=$((failures + 1))
    else
        echo "PASS $1"
    fi
}

run settings-unusable 1
run command-line 2
run already-running 3
run asked-to-end 0
run crash-then-settings signal 1
run abort-then-asked 134 0
run unexpected-status 70 1
run dies-again-and-again signal signal signal signal signal signal signal
prepare no-settings 1
rm "$work/no-settings/settings.ini"
sh "$work/no-settings/wrapper"
echo $? >"$work/no-settings/status"
prepare logout run
sh "$work/logout/wrapper" &
wrapper=$!
for _ in $(seq 100); do [ -s "$work/logout/running" ] && break; sleep 0.1; done
kill -TERM "$wrapper"
wait "$wrapper"
echo $? >"$work/logout/status"
wait

expect no-settings 0 0
expect settings-unusable 1 1
expect command-line 2 1
expect already-running 3 1
expect asked-to-end 0 1
expect crash-then-settings 1 2
expect abort-then-asked 0 2
expect unexpected-status 1 2
expect dies-again-and-again 1 5
expect logout 0 1
if kill -0 "$(cat "$work/logout/running")" 2>/dev/null; then
    echo "FAIL logout: the child still runs after the session ended"
    failures=$((failures + 1))
fi
if ! grep -q "not starting it again" "$work/dies-again-and-again/said"; then
    echo "FAIL dies-again-and-again: the wrapper did not say that it gave up"
    failures=$((failures + 1))
fi
if [ "$(sed -n 1p "$work/settings-unusable/starts")" != "--settings $work/settings-unusable/settings.ini" ]; then
    echo "FAIL settings-unusable: the child was not given the settings file"
    failures=$((failures + 1))
fi
[ "$failures" -eq 0 ]
