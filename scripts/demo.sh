#!/usr/bin/env bash
# Installs what is needed, builds, and runs the presenter on the demo setup of data/ in build/demo.
# Without a display the presenter runs for a while under Xvfb and a screenshot is saved instead.
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
if [ -n "${DISPLAY:-}" ]; then
    exec "$root/build/master/Quillharbour_Master"
fi
seconds="${QH_DEMO_SECONDS:-20}"
echo "No display: running the presenter under Xvfb for $seconds s; screenshot in $demo/demo.png"
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    "$0/build/master/Quillharbour_Master" & pid=$!
    sleep "$1"
    import -window root "$2/demo.png" || true
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true' "$root" "$seconds" "$demo"
