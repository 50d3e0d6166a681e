#!/usr/bin/env bash
# Checks the Debian packages on fresh Debian 12 systems: builds them (scripts/package.sh) and
# installs them with apt into a new bookworm root file system (debootstrap, chroot), as a school's
# IT person would:
#   1. a student computer: quillharbour-child alone with a preseed file and no question; the
#      settings it writes, byte for byte; the child started at login and again when killed;
#      another number by dpkg-reconfigure; wrong answers refused with the reason, asked again; a
#      file edited by hand kept across an upgrade and a changed answer; purge leaves nothing;
#   2. the teacher's computer: quillharbour alone, each program started under Xvfb as from its
#      menu entry (a screenshot shows the presenter's sample page); then quillharbour-child as
#      well, whose child follows that presenter on loopback; purge leaves nothing but the class
#      folder.
# Needs Debian's archive on the network and some minutes; not part of CI. Run as root.
#
# The systems are built in a fresh private folder under /var/tmp, removed at the end. The
# debootstrap tarball and the downloaded packages are kept in /var/cache/quillharbour-check,
# which only root can make and which must be root's own with mode 0700, so that a second run
# downloads nothing that it already has and runs nothing that another user put there.
# Screenshots go to build/check-package/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh check-package
bash scripts/package.sh
teacher_deb="$(ls build/quillharbour_*_amd64.deb)"
child_deb="$(ls build/quillharbour-child_*_amd64.deb)"
pages_deb="$(ls build/quillharbour-pages_*_all.deb)"

fail() {
    echo "FAILED: $*" >&2
    exit 1
}
passed=()
pass() {
    passed+=("$*")
    echo "ok: $*"
}

cache=/var/cache/quillharbour-check
mkdir -m 700 "$cache" 2>/dev/null || true
[ ! -L "$cache" ] && [ "$(stat -c '%u %a %F' "$cache")" = "0 700 directory" ] ||
    fail "$cache must be a folder of root's with mode 0700: $(stat -c '%U %a %F' "$cache")"
tarball="$cache/bookworm-minbase.tgz"
archives="$cache/apt-archives"
mkdir -p "$archives/partial"
work=$(mktemp -d /var/tmp/quillharbour-check.XXXXXXXX)
root="$work/root"
mirror=http://deb.debian.org/debian
shots="$(pwd)/build/check-package"
user=teacher
home="/home/$user"
mkdir -p "$shots"
rm -f "$shots"/*.png

xvfb_pid=""
# Ends what this script started in the chroot and under Xvfb, takes the chroot apart again, and
# removes the work folder.
take_down_root() {
    for proc in /proc/[0-9]*; do
        [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ] && kill -9 "${proc#/proc/}" 2>/dev/null
    done
    for mount_point in tmp/.X11-unix var/cache/apt/archives dev/shm dev/pts dev sys proc; do
        mountpoint -q "$root/$mount_point" && umount -l "$root/$mount_point"
    done
    # Never follow a mount that is still there (the host's /dev) while removing the root.
    if grep -q " $root/" /proc/mounts; then
        echo "still mounted under $root; left in place" >&2
        return 1
    fi
    rm -rf --one-file-system "$root"
}
cleanup() {
    set +e
    take_down_root && rm -rf --one-file-system "$work"
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

# A fresh bookworm, as debootstrap makes it, from a cached download of its packages.
if [ ! -f "$tarball" ]; then
    echo "Downloading the base system once (cached in $tarball)"
    debootstrap --variant=minbase --make-tarball="$work/tarball.part" bookworm "$work/tarball-work" "$mirror" >/dev/null
    mv "$work/tarball.part" "$tarball"
    rm -rf "$work/tarball-work"
fi

# The programs run on a plain X server, as on a desktop without compositor, on a display that the
# server picks as free. Its socket is lent to each chroot, so that nothing for the test needs to
# be installed there.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.2
done
display_number=$(cat "$work/display")
[ -n "$display_number" ] || fail "Xvfb did not start: $(tail -5 "$work/xvfb.log")"
export DISPLAY=":$display_number"

in_root() { chroot "$root" "$@"; }
# apt and dpkg in the root as the administrator runs them, on a computer named pc07.
as_admin() { unshare --uts sh -c 'hostname pc07 && exec chroot "$0" "$@"' "$root" env DEBIAN_FRONTEND=noninteractive "$@"; }
# Runs a command as the teacher in the folder $folder (default: the home folder), as a desktop
# session would. It replaces the shell it runs in, and setpriv replaces itself too, so that
# "as_teacher ... &" leaves the program's own id in $!.
as_teacher() {
    exec chroot "$root" setpriv --reuid="$user" --regid="$user" --init-groups env -i -C "${folder:-$home}" \
        HOME="$home" USER="$user" PATH=/usr/bin:/bin LANG=C.UTF-8 DISPLAY=":$display_number" "$@"
}
# A fresh bookworm with the teacher's account.
make_root() {
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
    mkdir -p "$root/tmp/.X11-unix"
    mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
    in_root useradd --create-home --shell /bin/bash "$user"
    in_root apt-get update -q >/dev/null
    in_root dpkg-query -W -f='${Package}\n' | sort >"$work/packages-before"
    cp "$teacher_deb" "$child_deb" "$pages_deb" "$root/tmp/"
}
# apt_install LOG PACKAGE_FILE...: apt install of the files in the root, which must pull in all they
# need.
apt_install() {
    local log=$1
    shift
    as_admin apt-get install -y -q "${@/#//tmp/}" >"$work/$log" 2>&1 || fail "apt install: $(tail -20 "$work/$log")"
}
# purge PACKAGE...: removes the packages with what they pulled in, and checks that nothing they
# installed or wrote is left (the teacher's class folder is the teacher's and stays).
purge() {
    for package in "$@"; do
        in_root dpkg-query -L "$package" >>"$work/package-files"
        in_root sh -c "cat /var/lib/dpkg/info/$package.conffiles 2>/dev/null" >>"$work/package-files" || true
    done
    as_admin apt-get purge -y -q "$@" >"$work/apt-purge.log" 2>&1 || fail "apt purge: $(tail -20 "$work/apt-purge.log")"
    as_admin apt-get autoremove --purge -y -q >>"$work/apt-purge.log" 2>&1
    for package in "$@"; do
        in_root dpkg-query -W -f='${db:Status-Abbrev}' "$package" >/dev/null 2>&1 && fail "dpkg still knows $package"
        [ -z "$(in_root debconf-show "$package" 2>/dev/null)" ] || fail "debconf keeps answers of $package"
    done
    local left=()
    while IFS= read -r path; do
        [ -f "$root$path" ] || [ -L "$root$path" ] && left+=("$path")
    done <"$work/package-files"
    [ ${#left[@]} -eq 0 ] || fail "left after purge: ${left[*]}"
    : >"$work/package-files"
    local strays
    strays=$(find "$root" -xdev -iname '*quillharbour*' -not -path "$root/home/*" -not -path "$root/tmp/*" \
        -not -path "$root/var/cache/apt/*" -not -path "$root/var/log/*" -not -path "$root/var/lib/dpkg/*" \
        -not -path "$root/var/lib/apt/*" 2>/dev/null)
    [ -z "$strays" ] || fail "left after purge: $strays"
    ! grep -qs quillharbour "$root/var/lib/ucf/hashfile" "$root/var/lib/ucf/registry" || fail "ucf still knows a file"
    in_root dpkg-query -W -f='${Package}\n' | sort >"$work/packages-after"
    # apt's autoremove keeps a few packages that it pulled in and that a standard system has anyway
    # (perl, netbase, manpages); they are named, not counted as the package's remains.
    kept=$(comm -13 "$work/packages-before" "$work/packages-after" | tr '\n' ' ')
}
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
# The ids of the running child programs of the root.
children() {
    in_root sh -c 'for p in /proc/[0-9]*; do [ "$(readlink $p/exe)" = /usr/bin/Quillharbour_Child ] && echo ${p#/proc/}; done; :'
}
# Waits up to $2 seconds for a line of the file that contains $1.
wait_for_line() {
    for _ in $(seq $(($2 * 2))); do
        grep -qF -- "$1" "$3" 2>/dev/null && return 0
        sleep 0.5
    done
    return 1
}

settings=/etc/quillharbour/Quillharbour_Child.ini
key_file=/etc/quillharbour/Quillharbour_Teacher.pub
# The settings file the answers must give, byte for byte: the line that says where it came from,
# then the child's template with the answers: expected NUMBER MASTER CHILD_PORT MASTER_PORT.
expected_settings() {
    printf '%s\r\n' "; quillharbour-child のインストールが書いたファイルです。sudo dpkg-reconfigure quillharbour-child で書き直せます。" |
        iconv -f UTF-8 -t CP932
    sed -e "s/^Number=.*\r\$/Number=$1\r/" -e "s/^Master=.*\r\$/Master=$2\r/" -e "s/^ChildPort=.*\r\$/ChildPort=$3\r/" \
        -e "s/^MasterPort=.*\r\$/MasterPort=$4\r/" "$root/usr/share/quillharbour/Quillharbour_Child.ini"
}
# settings_are NUMBER MASTER CHILD_PORT MASTER_PORT WHAT: the settings file is the expected one.
settings_are() {
    expected_settings "$1" "$2" "$3" "$4" >"$work/expected.ini"
    cmp -s "$work/expected.ini" "$root$settings" ||
        fail "$5: $settings is not as expected: $(diff <(iconv -f CP932 "$work/expected.ini") <(iconv -f CP932 "$root$settings"))"
    [ "$(stat -c '%U %a' "$root$settings")" = "root 644" ] || fail "$5: $settings is not root's with mode 644"
}
key=$(head -c 32 /dev/urandom | base64)

# 1. A student computer, set up with one preseed file and one command, as the README shows.
make_root
cat >"$root/tmp/room.preseed" <<EOF
quillharbour-child quillharbour-child/master string teacher-pc
quillharbour-child quillharbour-child/child-port string 5001
quillharbour-child quillharbour-child/master-port string 5002
quillharbour-child quillharbour-child/teacher-key string $key
EOF
as_admin debconf-set-selections /tmp/room.preseed
apt_install child-install.log "$(basename "$child_deb")" "$(basename "$pages_deb")"
pulled=$(($(in_root dpkg-query -W -f='${Package}\n' | wc -l) - $(wc -l <"$work/packages-before")))
for program in Quillharbour_Master Quillharbour_Master_Tool Quillharbour_Lesson Quillharbour_Help Quillharbour_Launcher; do
    [ ! -e "$root/usr/bin/$program" ] || fail "$program is on a student computer"
done
[ "$(in_root dpkg-query -W -f='${db:Status-Status}' quillharbour 2>/dev/null)" != installed ] ||
    fail "the teacher's package came with the child's"
[ -x "$root/usr/bin/Quillharbour_Child" ] && [ -f "$root/usr/share/quillharbour/pages/index.html" ] ||
    fail "the child program or the demo pages are missing"
settings_are 07 teacher-pc 5001 5002 "preseeded install"
[ "$(cat "$root$key_file")" = "$key" ] && [ "$(wc -c <"$root$key_file")" -eq 45 ] &&
    [ "$(stat -c '%U %a' "$root$key_file")" = "root 644" ] || fail "$key_file is not the key's one line"
pass "student computer: apt install of quillharbour-child and -pages with a preseed file, no question ($pulled packages in all); settings for 07 (from the host name pc07) and the key written byte for byte; no teacher's program"

# The child starts at login from its autostart entry with these settings, and again when killed.
(as_teacher Quillharbour_Child --help) >"$work/child-help.log" 2>&1 || fail "Quillharbour_Child --help"
wrapper=$(sed -n 's/^Exec=//p' "$root/etc/xdg/autostart/Quillharbour_Child.desktop")
display_up
as_teacher "$wrapper" >"$work/child.log" 2>&1 &
autostart=$!
for _ in $(seq 30); do
    child=$(children | head -1)
    [ -n "$child" ] && break
    sleep 0.5
done
[ -n "$child" ] || fail "the autostart did not start the child: $(cat "$work/child.log")"
sleep 5
screenshot child
kill "$child"
sleep 4
again=$(children | head -1)
[ -n "$again" ] && [ "$again" != "$child" ] || fail "a killed child was not started again: $(cat "$work/child.log")"
stop "$autostart"
kill "$again" 2>/dev/null || true
pass "child: --help, started at login by the autostart entry with the written settings, started again when killed"

# Another number: the answer changes, the file follows.
echo "quillharbour-child quillharbour-child/number string 12" | as_admin debconf-set-selections
as_admin dpkg-reconfigure quillharbour-child >"$work/reconfigure.log" 2>&1 || fail "dpkg-reconfigure: $(cat "$work/reconfigure.log")"
settings_are 12 teacher-pc 5001 5002 "reconfigured"
pass "dpkg-reconfigure with the number 12: the settings file says 12"

# Wrong answers given in advance cannot be asked again: the configuration says why, writes nothing.
for wrong in "number string 31" "master string teacher pc" "teacher-key string ${key:1}"; do
    echo "quillharbour-child quillharbour-child/$wrong" | as_admin debconf-set-selections
    as_admin dpkg-reconfigure quillharbour-child >"$work/wrong.log" 2>&1 &&
        fail "a wrong answer ($wrong) was taken: $(cat "$work/wrong.log")"
    grep -q "^quillharbour-child: .*(quillharbour-child/${wrong%% *}); nothing was written" "$work/wrong.log" ||
        fail "no reason for the wrong answer ($wrong): $(cat "$work/wrong.log")"
    settings_are 12 teacher-pc 5001 5002 "after the wrong answer $wrong"
    as_admin debconf-set-selections /tmp/room.preseed
    echo "quillharbour-child quillharbour-child/number string 12" | as_admin debconf-set-selections
done
# Asked in person (debconf's plain text frontend on a terminal), a wrong answer is asked again
# with the reason, and the right one is written.
(for answer in 'teacher pc' 'teacher-pc' 31 14 5001 5002 "$key"; do
    sleep 2
    printf '%s\n' "$answer"
done; sleep 3) | as_admin script -qec "env DEBIAN_FRONTEND=teletype dpkg-reconfigure -plow quillharbour-child" /dev/null \
    >"$work/asked.log" 2>&1 || fail "dpkg-reconfigure in person: $(cat "$work/asked.log")"
[ "$(grep -c "cannot name the teacher's computer" "$work/asked.log")" -eq 1 ] &&
    [ "$(grep -c "is not the number of a student computer" "$work/asked.log")" -eq 1 ] &&
    [ "$(grep -c "^Teacher's computer:" "$work/asked.log")" -eq 2 ] ||
    fail "wrong answers were not asked again with the reason: $(cat "$work/asked.log")"
settings_are 14 teacher-pc 5001 5002 "asked in person"
pass "wrong answers (31, a name with a blank, a key one character short) refused with the reason and nothing written; asked in person, asked again with the reason"

# A file edited by hand is the administrator's: an upgrade keeps it, and a changed answer does not
# replace it without asking (ucf keeps it and puts the new one beside it).
sed -i 's|^;LocalFolders=.*|LocalFolders=/usr/share/quillharbour/pages;/srv/jugyou\r|' "$root$settings"
cp "$root$settings" "$work/edited.ini"
in_root dpkg-deb -R "/tmp/$(basename "$child_deb")" /tmp/upgrade
sed -i 's/^Version: .*/&+check/' "$root/tmp/upgrade/DEBIAN/control"
in_root dpkg-deb -b /tmp/upgrade /tmp/quillharbour-child-upgrade.deb >/dev/null
apt_install upgrade.log quillharbour-child-upgrade.deb
grep -q "^Version: .*+check" < <(in_root dpkg-query -s quillharbour-child) || fail "the upgrade was not installed"
cmp -s "$work/edited.ini" "$root$settings" || fail "the upgrade changed the file edited by hand"
echo "quillharbour-child quillharbour-child/number string 15" | as_admin debconf-set-selections
as_admin dpkg-reconfigure quillharbour-child >"$work/reconfigure.log" 2>&1 || fail "dpkg-reconfigure: $(cat "$work/reconfigure.log")"
cmp -s "$work/edited.ini" "$root$settings" || fail "a changed answer replaced the file edited by hand"
grep -aq "^Number=15" "$root$settings.ucf-dist" || fail "the new settings are not beside the edited file"
grep -q "edited by hand and stays" "$work/reconfigure.log" || fail "the administrator was not told: $(cat "$work/reconfigure.log")"
pass "a hand-edited settings file kept across an upgrade, and not replaced by a changed answer (the new one beside it)"

purge quillharbour-child quillharbour-pages
pass "apt purge of the student computer's packages: no file, no ucf record, no debconf answer left; apt autoremove kept: ${kept:-nothing}"
take_down_root

# 2. The teacher's computer, first with quillharbour alone.
make_root
apt_install teacher-install.log "$(basename "$teacher_deb")" "$(basename "$pages_deb")"
pulled=$(($(in_root dpkg-query -W -f='${Package}\n' | wc -l) - $(wc -l <"$work/packages-before")))
pass "apt install of quillharbour on a fresh bookworm ($pulled packages in all)"
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
[ -f "$root/usr/share/metainfo/org.example.quillharbour.metainfo.xml" ] || fail "no AppStream metadata"
[ ! -e "$root/usr/bin/Quillharbour_Child" ] && [ ! -e "$root/etc/xdg/autostart/Quillharbour_Child.desktop" ] ||
    fail "the child program came with the teacher's package"
pass "programs in /usr/bin, manual pages, menu entries, icons (16 to 256 px) and AppStream metadata installed; no child program"

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

# Both packages on one computer: a child set up by its questions as computer 01 of this same
# computer follows the presenter of the other package, whose slot 01 names it on loopback.
cat >"$root/tmp/loopback.preseed" <<EOF
quillharbour-child quillharbour-child/master string 127.0.0.1
quillharbour-child quillharbour-child/number string 01
EOF
as_admin debconf-set-selections /tmp/loopback.preseed
apt_install both-install.log "$(basename "$child_deb")"
settings_are 01 127.0.0.1 5001 5002 "both packages"
sed -i 's/^ChildComp01=.*\r$/ChildComp01=1127.0.0.1,WindowScreen\r/' "$root$home/Quillharbour/Quillharbour_Master.ini"
display_up
as_teacher QH_CHILD_TRACE=1 "$wrapper" >"$work/following-child.log" 2>&1 &
autostart=$!
wait_for_line "ready 5001" 30 "$work/following-child.log" || fail "the child did not listen: $(cat "$work/following-child.log")"
as_teacher Quillharbour_Launcher --choose-list Quillharbour_Master >"$work/presenter.log" 2>&1 &
presenter=$!
first_page=$(tr -d '\r' <"$root$home/Quillharbour/weblist.txt" | head -n 1)
wait_for_line "loaded $first_page" 60 "$work/following-child.log" ||
    fail "the child did not follow the presenter to $first_page: $(tail -20 "$work/following-child.log")"
grep -q " shown$" "$work/following-child.log" || fail "the presenter did not show the child's page window"
screenshot following
stop "$presenter"
stop "$autostart"
for child in $(children); do kill "$child" 2>/dev/null || true; done
pass "both packages: a child set up by its questions as 01 follows the presenter to $first_page on loopback"

purge quillharbour quillharbour-child quillharbour-pages
[ -d "$root$home/Quillharbour" ] || fail "the class folder went with the package"
pass "apt purge: no file of the packages left, ~/Quillharbour kept; apt autoremove kept: ${kept:-nothing}"

echo
echo "Summary of scripts/check-package.sh for $(basename "$teacher_deb"), $(basename "$child_deb"), $(basename "$pages_deb"):"
for line in "${passed[@]}"; do
    echo "  ok: $line"
done
echo "  screenshots: $shots"
