#!/usr/bin/env bash
# Checks the Debian package on a fresh Debian 12: builds it (scripts/package.sh), installs it with
# apt into a new bookworm root file system (debootstrap, chroot), starts each program there under
# Xvfb as a teacher would, checks on a screenshot that the presenter started from its menu entry's
# command shows the sample page, then purges the package and checks that nothing of it is left.
# Needs Debian's archive on the network and some minutes; not part of CI. Run as root.
#
# The debootstrap tarball and the downloaded packages are kept in /var/tmp/quillharbour-check, so a
# second run downloads nothing that it already has. Screenshots go to build/check-package/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh check-package
bash scripts/package.sh
deb="$(ls build/quillharbour_*_amd64.deb)"

work=/var/tmp/quillharbour-check
tarball="$work/bookworm-minbase.tgz"
archives="$work/apt-archives"
root="$work/root"
mirror=http://deb.debian.org/debian
shots="$(pwd)/build/check-package"
user=teacher
home="/home/$user"
display_number=97
mkdir -p "$work" "$archives/partial" "$shots"
rm -f "$shots"/*.png

passed=()
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
pass() {
    passed+=("$*")
    echo "ok: $*"
}

xvfb_pid=""
# Ends what this script started in the chroot and under Xvfb, and takes the chroot apart again.
cleanup() {
    set +e
    for proc in /proc/[0-9]*; do
        [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ] && kill -9 "${proc#/proc/}" 2>/dev/null
    done
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    for mount_point in tmp/.X11-unix var/cache/apt/archives dev/shm dev/pts dev sys proc; do
        mountpoint -q "$root/$mount_point" && umount -l "$root/$mount_point"
    done
    # Never follow a mount that is still there (the host's /dev) while removing the root.
    if grep -q " $root/" /proc/mounts; then
        echo "still mounted under $root; left in place" >&2
        return
    fi
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT

# A fresh bookworm, as debootstrap makes it, from a cached download of its packages.
if [ ! -f "$tarball" ]; then
    echo "Downloading the base system once (cached in $tarball)"
    rm -rf "$work/tarball-work"
    debootstrap --variant=minbase --make-tarball="$tarball.part" bookworm "$work/tarball-work" "$mirror" >/dev/null
    mv "$tarball.part" "$tarball"
    rm -rf "$work/tarball-work"
fi
cleanup
echo "Making a fresh Debian 12 root file system in $root"
debootstrap --variant=minbase --unpack-tarball="$tarball" bookworm "$root" "$mirror" >/dev/null
cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
EOF
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount -t tmpfs shm "$root/dev/shm"
mount --bind "$archives" "$root/var/cache/apt/archives"
in_root() { chroot "$root" "$@"; }
# Runs a command as the teacher in the folder $folder (default: the home folder), as a desktop
# session would. It replaces the shell it runs in, and setpriv replaces itself too, so that
# "as_teacher ... &" leaves the program's own id in $!.
as_teacher() {
    exec chroot "$root" setpriv --reuid="$user" --regid="$user" --init-groups env -i -C "${folder:-$home}" \
        HOME="$home" USER="$user" PATH=/usr/bin:/bin LANG=C.UTF-8 DISPLAY=":$display_number" "$@"
}
in_root useradd --create-home --shell /bin/bash "$user"
in_root apt-get update -q >/dev/null
in_root dpkg-query -W -f='${Package}\n' | sort >"$work/packages-before"

# Installing the package must pull in everything it needs.
cp "$deb" "$root/tmp/"
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "/tmp/$(basename "$deb")" >"$work/apt-install.log" ||
    fail "apt install: see $work/apt-install.log"
pulled=$(($(in_root dpkg-query -W -f='${Package}\n' | wc -l) - $(wc -l <"$work/packages-before")))
pass "apt install ./$(basename "$deb") on a fresh bookworm ($pulled packages in all)"
in_root dpkg-query -L quillharbour >"$work/package-files"
in_root sh -c 'cat /var/lib/dpkg/info/quillharbour.conffiles 2>/dev/null' >"$work/package-conffiles" || true

for program in Quillharbour_Master Quillharbour_Master_Tool Quillharbour_Lesson Quillharbour_Help Quillharbour_Launcher; do
    [ -x "$root/usr/bin/$program" ] || fail "/usr/bin/$program missing"
    [ -f "$root/usr/share/man/man1/$program.1.gz" ] || fail "no manual page for $program"
done
for entry in Quillharbour_Master Quillharbour_Master_Tool Quillharbour_Lesson; do
    [ -f "$root/usr/share/applications/$entry.desktop" ] || fail "no menu entry $entry.desktop"
    for size in 16 32 48 64 128 256; do
        [ -f "$root/usr/share/icons/hicolor/${size}x$size/apps/$entry.png" ] || fail "no $size px icon for $entry"
    done
done
pass "programs in /usr/bin, manual pages, menu entries and icons (16 to 256 px) installed"

# The programs run on a plain X server, as on a desktop without compositor. Its socket is lent to
# the chroot so that nothing for the test needs to be installed there.
Xvfb ":$display_number" -screen 0 1280x800x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
    [ -S "/tmp/.X11-unix/X$display_number" ] && break
    sleep 0.2
done
mkdir -p "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
export DISPLAY=":$display_number"
screenshot() { import -window root "$shots/$1.png"; }
# The share of the screen in the colour given, from 0 to 1.
colour_share() { convert "$shots/$1.png" -fill black +opaque "$2" -fill white -opaque "$2" -format '%[fx:mean]' info:; }
running() { kill -0 "$1" 2>/dev/null; }
display_up() { running "$xvfb_pid" || fail "Xvfb ended: $(tail -5 "$work/xvfb.log")"; }
stop() {
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
    ! running "$1" || fail "process $1 did not end"
}
# Waits up to $2 seconds for a window whose title contains $1 and prints its id.
wait_for_window() {
    for _ in $(seq $(($2 * 2))); do
        xdotool search --name "$1" 2>/dev/null | head -1 && return 0
        sleep 0.5
    done
    return 1
}

# The presenter as its menu entry starts it, the first time: the class folder is made and the
# teacher is told where; after OK the presenter shows the first page of the sample list.
display_up
as_teacher Quillharbour_Launcher --choose-list Quillharbour_Master >"$work/presenter.log" 2>&1 &
presenter=$!
box=$(wait_for_window "Quillharbour_Masterからのメッセージ" 30) || fail "no message about the class folder"
screenshot first-start-message
[ -f "$root$home/Quillharbour/Quillharbour_Master.ini" ] && [ -f "$root$home/Quillharbour/weblist.txt" ] ||
    fail "the class folder has no templates"
xdotool windowfocus --sync "$box" key Return
pass "first start from the menu: ~/Quillharbour made with the templates, and the teacher told"
sleep 20
running "$presenter" || fail "the presenter ended: $(cat "$work/presenter.log")"
screenshot presenter
page=$(colour_share presenter '#f4f8ff')
heading=$(colour_share presenter '#1a4d8f')
awk -v p="$page" -v h="$heading" 'BEGIN { exit !(p > 0.15 && h > 0.0005) }' ||
    fail "the sample page is not on the screen (page $page, heading $heading): see $shots/presenter.png"
pass "presenter from the menu shows the sample page (page background on $page of the screen, heading $heading)"
wait_for_window "Quillharbour_Master" 1 >/dev/null || fail "no presenter bar"
stop "$presenter"

# Later starts only change into the class folder: the teacher's edits stay.
printf 'edited by the teacher\r\n' >>"$root$home/Quillharbour/weblist.txt"
display_up
as_teacher Quillharbour_Launcher Quillharbour_Master_Tool >"$work/tool.log" 2>&1 &
tool=$!
wait_for_window "Quillharbour_Master_Tool" 30 >/dev/null || fail "the settings tool shows no window"
sleep 3
running "$tool" || fail "the settings tool ended: $(cat "$work/tool.log")"
xdotool search --name "からのメッセージ" >/dev/null 2>&1 && fail "a message on a later start"
grep -q 'edited by the teacher' "$root$home/Quillharbour/weblist.txt" || fail "the class folder was changed"
screenshot tool
stop "$tool"
pass "settings tool from the menu, second start: no message, class folder kept"

# The lesson editor from its menu entry opens the class folder's list.
display_up
as_teacher Quillharbour_Launcher Quillharbour_Lesson >"$work/lesson.log" 2>&1 &
lesson=$!
wait_for_window "URLリストの編集 - weblist.txt" 30 >/dev/null || fail "the lesson editor shows no window on weblist.txt"
screenshot lesson
stop "$lesson"
pass "lesson editor from the menu opens ~/Quillharbour/weblist.txt"

# The help viewer finds the installed help file from any folder.
display_up
(folder=/tmp as_teacher Quillharbour_Help Quillharbour_Master.hlp) >"$work/help.log" 2>&1 &
help=$!
wait_for_window "Quillharbour ヘルプ" 30 >/dev/null || fail "the help viewer did not find the installed help file"
screenshot help
stop "$help"
pass "help viewer shows /usr/share/quillharbour/Quillharbour_Master.hlp"

# From a terminal in another folder the presenter behaves as before: its own message about the
# missing URL list, no class folder involved.
display_up
(folder=/tmp as_teacher Quillharbour_Master) >"$work/terminal.log" 2>&1 &
terminal=$!
wait_for_window "からのメッセージ" 30 >/dev/null || fail "no message from the presenter started in /tmp"
screenshot presenter-in-tmp
stop "$terminal"
pass "presenter started from a terminal in another folder: its own message, as before"

if [ -x "$root/usr/bin/Quillharbour_Child" ]; then
    (as_teacher Quillharbour_Child --help) >"$work/child-help.log" 2>&1 || fail "Quillharbour_Child --help"
    [ -f "$root/etc/xdg/autostart/Quillharbour_Child.desktop" ] || fail "no autostart entry"
    wrapper=$(sed -n 's/^Exec=//p' "$root/etc/xdg/autostart/Quillharbour_Child.desktop")
    # Without the computer's settings the autostart does nothing.
    (as_teacher "$wrapper") || fail "the autostart wrapper failed without settings"
    mkdir -p "$root/etc/quillharbour"
    cp "$root/usr/share/quillharbour/Quillharbour_Child.ini" "$root/etc/quillharbour/"
    # As the administrator does: name the teacher's computer (here this one) in the template.
    sed -i 's/^Master=.*/Master=127.0.0.1\r/' "$root/etc/quillharbour/Quillharbour_Child.ini"
    as_teacher "$wrapper" >"$work/child.log" 2>&1 &
    autostart=$!
    sleep 8
    child=$(in_root sh -c 'for p in /proc/[0-9]*; do [ "$(readlink $p/exe)" = /usr/bin/Quillharbour_Child ] && echo ${p#/proc/}; done' | head -1)
    [ -n "$child" ] || fail "the autostart did not start the child: $(cat "$work/child.log")"
    screenshot child
    kill "$child"
    sleep 4
    again=$(in_root sh -c 'for p in /proc/[0-9]*; do [ "$(readlink $p/exe)" = /usr/bin/Quillharbour_Child ] && echo ${p#/proc/}; done' | head -1)
    [ -n "$again" ] && [ "$again" != "$child" ] || fail "a killed child was not started again"
    stop "$autostart"
    kill "$again" 2>/dev/null || true
    rm -rf "$root/etc/quillharbour"
    pass "child: --help, autostart only with /etc/quillharbour/Quillharbour_Child.ini, started again when killed"
else
    echo "skipped: the package holds no child program yet (no autostart to check)"
fi

# Purging leaves nothing of the package; the teacher's class folder is the teacher's and stays.
in_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q quillharbour >"$work/apt-purge.log"
in_root env DEBIAN_FRONTEND=noninteractive apt-get autoremove --purge -y -q >>"$work/apt-purge.log"
in_root dpkg-query -W -f='${db:Status-Abbrev}' quillharbour >/dev/null 2>&1 && fail "dpkg still knows quillharbour"
left=()
while IFS= read -r path; do
    [ -f "$root$path" ] || [ -L "$root$path" ] && left+=("$path")
done < <(cat "$work/package-files" "$work/package-conffiles")
[ ${#left[@]} -eq 0 ] || fail "left after purge: ${left[*]}"
strays=$(find "$root" -xdev -iname '*quillharbour*' -not -path "$root/home/*" -not -path "$root/tmp/*" \
    -not -path "$root/var/cache/apt/*" -not -path "$root/var/log/*" -not -path "$root/var/lib/dpkg/*" \
    -not -path "$root/var/lib/apt/*" 2>/dev/null)
[ -z "$strays" ] || fail "left after purge: $strays"
in_root dpkg-query -W -f='${Package}\n' | sort >"$work/packages-after"
# apt's autoremove keeps a few packages that it pulled in and that a standard system has anyway
# (perl, netbase, manpages); they are named, not counted as the package's remains.
kept=$(comm -13 "$work/packages-before" "$work/packages-after" | tr '\n' ' ')
[ -d "$root$home/Quillharbour" ] || fail "the class folder went with the package"
pass "apt purge: no file of the package left, ~/Quillharbour kept; apt autoremove kept: ${kept:-nothing}"

echo
echo "Summary of scripts/check-package.sh for $(basename "$deb"):"
for line in "${passed[@]}"; do
    echo "  ok: $line"
done
echo "  screenshots: $shots"
