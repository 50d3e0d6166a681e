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

# <case> <status the wrapper ended with> <starts of the child>
failures=0
while read -r case status starts; do
    got="$(cat "$work/$case/status") $(cat "$work/$case/starts" 2>/dev/null | wc -l)"
    [ "$got" = "$status $starts" ] || { echo "FAIL $case: status and starts $got, not $status $starts"; failures=$((failures + 1)); }
done <<'END'
no-settings 0 0
settings-unusable 1 1
command-line 2 1
already-running 3 1
asked-to-end 0 1
crash-then-settings 1 2
abort-then-asked 0 2
unexpected-status 1 2
dies-again-and-again 1 5
logout 0 1
END
kill -0 "$(cat "$work/logout/running")" 2>/dev/null && { echo "FAIL logout: the child runs on"; failures=$((failures + 1)); }
grep -q "not starting it again" "$work/dies-again-and-again/said" || { echo "FAIL: no word of giving up"; failures=$((failures + 1)); }
[ "$(head -n 1 "$work/command-line/starts")" = "--settings $work/command-line/settings.ini" ] ||
    { echo "FAIL: the child was not given its settings file"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ]
