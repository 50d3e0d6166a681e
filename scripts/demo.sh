#!/usr/bin/env bash
# Installs what is needed, builds, and runs a class on the demo setup of data/ in build/demo: the
# presenter and three children on 127.0.0.2, .3 and .4 (slot 03 is switched off in
# data/Quillharbour_Master.ini, so the third child shows nothing but its call bar). Child 02 comes
# late, once the lesson runs, and catches up with the page the presenter shows.
#
# With a display, all of them open on it; ending the presenter with End ends the children too.
# Without one, each computer gets a screen of its own under Xvfb, the presenter's >> is clicked
# with xdotool, child 02 starts and catches up, << is clicked, and one picture of all four screens
# is saved as build/demo/demo.png.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
bash scripts/install-deps.sh
bash scripts/build.sh
demo="$root/build/demo"
rm -rf "$demo"
mkdir -p "$demo"
cp -r data/. "$demo/"
cd "$demo"
# The URL list holds absolute addresses of the demo pages: made from its template for this
# folder, in code page 932 with CR LF, as the presenter reads it.
sed "s|@DEMO_DIR@|$demo|" weblist.txt.in | iconv -f UTF-8 -t CP932 | sed 's/$/\r/' > weblist.txt
# Qt WebEngine refuses to start its sandbox as root.
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
# The children log what they do (build/demo/child0N.log); the demo waits on those lines.
export QH_CHILD_TRACE=1

presenter="$root/build/bin/Quillharbour_Master"
child="$root/build/bin/Quillharbour_Child"
# The class signs with a teacher's key of its own, made as a script would; the children hold its
# public half, so they obey this presenter alone.
"$root/build/bin/Quillharbour_Launcher" --make-key "$demo" > /dev/null
pids=()
stop_all() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap stop_all EXIT

# start_child NUMBER [DISPLAY]: child NN on 127.0.0.(1 + NN), the ports of Quillharbour_Master.ini,
# showing the demo pages of this folder (a child shows local files only from its local folders).
start_child() {
    local number="$1" screen="${2:-${DISPLAY:-}}"
    DISPLAY="$screen" "$child" --number "$number" --master 127.0.0.1 --port 5001 --master-port 5002 \
        --bind "127.0.0.$((1 + 10#$number))" --local-folders "$demo/pages" \
        --teacher-key "$demo/Quillharbour_Teacher.pub" 2> "$demo/child$number.log" &
    pids+=("$!")
}

# wait_for FILE PATTERN [COUNT]: until the file holds COUNT lines that match, at most 30 s.
wait_for() {
    local count="${3:-1}"
    for _ in $(seq 300); do
        [ "$(grep -c -- "$2" "$1" 2>/dev/null || true)" -ge "$count" ] && return 0
        sleep 0.1
    done
    echo "demo: no '$2' in $1" >&2
    return 1
}

if [ -n "${DISPLAY:-}" ]; then
    for number in 01 03; do start_child "$number"; done
    for number in 01 03; do wait_for "$demo/child$number.log" " ready "; done
    "$presenter" &
    presenter_pid=$!
    wait_for "$demo/child01.log" "loaded .*index.html"
    sleep 5
    echo "Child 02 joins the lesson late and catches up"
    start_child 02
    wait "$presenter_pid" || true
    exit 0
fi

# start_screen WIDTHxHEIGHT: a new Xvfb screen on a free display; its name goes to $screen.
start_screen() {
    local number_file="$demo/display.number"
    rm -f "$number_file"
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3> "$number_file" > /dev/null 2>&1 &
    pids+=("$!")
    for _ in $(seq 100); do
        [ -s "$number_file" ] && break
        sleep 0.1
    done
    screen=":$(tr -d '[:space:]' < "$number_file")"
}

echo "No display: the class runs on four Xvfb screens; picture in $demo/demo.png"
start_screen 1280x800
teacher="$screen"
screens=()
for number in 01 02 03; do
    start_screen 800x500
    screens+=("$screen")
done
for number in 01 03; do
    start_child "$number" "${screens[$((10#$number - 1))]}"
    wait_for "$demo/child$number.log" " ready "
done
DISPLAY="$teacher" "$presenter" > "$demo/presenter.log" 2>&1 &
pids+=("$!")
wait_for "$demo/child01.log" "loaded .*index.html"

# click X Y: a click at that place of the bar, in twips of its layout (4335 x 510).
bar="$(DISPLAY="$teacher" xdotool search --sync --onlyvisible --name '^Quillharbour_Master$' | head -1)"
click() {
    eval "$(DISPLAY="$teacher" xdotool getwindowgeometry --shell "$bar")"
    DISPLAY="$teacher" xdotool mousemove --window "$bar" $(($1 * WIDTH / 4335)) $(($2 * HEIGHT / 510)) click 1
}
click 1687 247 # >>
wait_for "$demo/child01.log" "loaded .*rivers.html"
# Child 02 starts now: it says Hello, and the presenter answers with the page it shows.
late_start=$(date +%s%N)
start_child 02 "${screens[1]}"
wait_for "$demo/child02.log" "loaded .*rivers.html"
echo "Child 02 started during the lesson and showed the current page after $((($(date +%s%N) - late_start) / 1000000)) ms"
click 1087 247 # <<
wait_for "$demo/child01.log" "loaded .*index.html" 2
wait_for "$demo/child02.log" "loaded .*index.html"
sleep 1

import -display "$teacher" -window root "$demo/teacher.png"
labels=("Quillharbour_Master (127.0.0.1)")
shots=("$demo/teacher.png")
for i in 0 1 2; do
    number="0$((i + 1))"
    import -display "${screens[$i]}" -window root "$demo/child$number.png"
    labels+=("Quillharbour_Child $number (127.0.0.$((i + 2)))")
    shots+=("$demo/child$number.png")
done
args=()
for i in 0 1 2 3; do args+=(-label "${labels[$i]}" "${shots[$i]}"); done
montage "${args[@]}" -tile 2x2 -geometry 640x400+8+8 -pointsize 16 -background '#d8d8d8' "$demo/demo.png"
click 3907 247 # End: the children hide their pages, the presenter ends
wait_for "$demo/child02.log" " hidden"
echo "Saved $demo/demo.png"
