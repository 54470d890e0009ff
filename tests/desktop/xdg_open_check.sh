#!/usr/bin/env bash
# After `cmake --install` into a scratch prefix, the desktop opens SWF movies with tavro-player:
# xdg-open (and GIO, when installed) pick the installed menu entry for a movie. The program the
# entry starts is replaced by a stand-in on PATH that records its argument, so nothing is shown.
# Exit status 77 means skipped: xdg-utils or desktop-file-utils is missing.
#
# Usage: xdg_open_check.sh BUILD_DIR MOVIE.swf WORK_DIR
set -euo pipefail
build=$1 movie=$2 work=$3

skip() {
    echo "SKIPPED: $*"
    exit 77
}
for tool in xdg-open xdg-mime update-desktop-database file; do
    command -v $tool >/dev/null 2>&1 || skip "$tool is not installed"
done

rm -rf "$work"
mkdir -p "$work/prefix" "$work/config" "$work/bin" "$work/movies"
cmake --install "$build" --prefix "$work/prefix" >"$work/install.log"
share=$work/prefix/share
[[ -f $share/applications/org.tavro.Player.desktop ]] || { echo "entry not installed"; exit 1; }
# The install refreshed the desktop's cache of programs by file type.
grep -q "application/x-shockwave-flash=.*org.tavro.Player.desktop" \
    "$share/applications/mimeinfo.cache" || { echo "mimeinfo.cache lacks the player"; exit 1; }

cat >"$work/bin/tavro-player" <<STANDIN
#!/bin/sh
echo "\$1" > "$work/opened.txt"
STANDIN
chmod +x "$work/bin/tavro-player"
cp "$movie" "$work/movies/movie.swf"

# A plain desktop (no desktop environment of its own), with only this installation's data and
# the system's, and this run's settings.
run() {
    env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID \
        XDG_DATA_HOME="$share" XDG_DATA_DIRS="$share:/usr/local/share:/usr/share" \
        XDG_CONFIG_HOME="$work/config" PATH="$work/bin:$PATH" DISPLAY="${DISPLAY:-:99}" "$@"
}

type=$(run xdg-mime query filetype "$work/movies/movie.swf")
default=$(run xdg-mime query default "$type")
echo "type $type, default $default"
[[ $default == org.tavro.Player.desktop ]] || { echo "xdg-mime: not tavro-player"; exit 1; }

rm -f "$work/opened.txt"
run timeout 20 xdg-open "$work/movies/movie.swf"
for _ in $(seq 50); do [[ -s $work/opened.txt ]] && break; sleep 0.1; done
echo "opened: $(cat "$work/opened.txt" 2>/dev/null)"
[[ $(cat "$work/opened.txt") == "$work/movies/movie.swf" ]] || { echo "xdg-open: not opened"; exit 1; }

# GIO names the type by its canonical name; the entry registered for the alias still serves.
if command -v gio >/dev/null 2>&1; then
    canonical=$(run gio info -a standard::content-type "$work/movies/movie.swf" |
        sed -n 's/.*standard::content-type: //p')
    run gio mime "$canonical" | tee "$work/gio.txt"
    grep -q "Default application.*org.tavro.Player.desktop" "$work/gio.txt" ||
        { echo "gio: not tavro-player"; exit 1; }
fi
echo "ok"
