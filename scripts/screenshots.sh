#!/usr/bin/env bash
# Starts the real viewer under Xvfb on a folder of generated pictures and
# takes screenshots of its windows: both layouts of the main window, both
# tabs of the preferences, the about window and the save panel.
#   scripts/screenshots.sh GLIM_BINARY OUTPUT_FOLDER [quick]
# "quick" takes only the main window, as the end-to-end test does.
set -euo pipefail

for tool in xvfb-run xdotool import convert; do
	if ! command -v "$tool" >/dev/null; then
		echo "needs $tool" >&2
		exit 77
	fi
done

glim=$(readlink -f "$1")
out=$(readlink -m "$2")
quick=${3:-}
mkdir -p "$out"

if [ -z "${DISPLAY:-}" ] || [ -z "${GLIM_UNDER_XVFB:-}" ]; then
	export GLIM_UNDER_XVFB=1
	exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
photos="$work/Photos"
mkdir -p "$photos/Holidays" "$photos/Family"

# A few pictures to look at.
convert -size 800x600 gradient:'#204080-#f0c060' "$photos/Dawn.jpg"
convert -size 640x480 plasma:fractal -blur 0x2 "$photos/clouds.jpg"
convert -size 600x800 radial-gradient:'#ffffff-#3060a0' "$photos/portrait.png"
convert -size 1024x512 pattern:checkerboard -scale 400% "$photos/checks.png"
convert -size 300x300 xc:'#c04040' -fill '#40c040' -draw 'circle 150,150 150,40' "$photos/dot.gif"
echo "not an image" > "$photos/notes.txt"

wait_for_window() {
	local name=$1
	for _ in $(seq 1 100); do
		if xdotool search --name "$name" >/dev/null 2>&1; then
			sleep 1.5
			return 0
		fi
		sleep 0.2
	done
	echo "no window named $name" >&2
	return 1
}

shot() {
	local window=$1 file=$2
	import -window "$(xdotool search --name "$window" | tail -1)" "$out/$file"
	echo "$out/$file"
}

"$glim" --refs "$photos" >"$work/glim.log" 2>&1 &
wait_for_window "^$photos\$"
shot "^$photos\$" main-thumbnails.png
[ "$quick" = quick ] && exit 0

"$glim" --refs "$photos/clouds.jpg" >>"$work/glim.log" 2>&1
wait_for_window "clouds.jpg"
shot "clouds.jpg" main-image.png

focus() {
	local id
	id=$(xdotool search --name "$1" | tail -1)
	xdotool windowfocus --sync "$id"
	xdotool mousemove --window "$id" 100 100
}

focus "clouds.jpg"
xdotool key ctrl+s
wait_for_window "Save" || true
shot "Save" save-panel.png || true
xdotool key Escape
sleep 0.5

focus "clouds.jpg"
xdotool key ctrl+p
wait_for_window "^Preferences\$"
shot "^Preferences\$" preferences-general.png
prefs=$(xdotool search --name "^Preferences\$" | tail -1)
# The second tab sits right of the first, along the top.
xdotool mousemove --window "$prefs" 120 18 click 1
sleep 1
shot "^Preferences\$" preferences-thumbnails.png

focus "clouds.jpg"
xdotool key ctrl+a
wait_for_window "^About\$"
shot "^About\$" about.png
