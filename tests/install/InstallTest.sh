#!/usr/bin/env bash
# Installs the build into temporary prefixes as a user would and checks that
# every file is where the desktop looks for it:
#   InstallTest.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail

build=$1 source=$2 version=$3
work=$(mktemp -d /tmp/glim-install.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

expected_files() {
	echo bin/glim
	echo share/applications/glim.desktop
	echo share/doc/glim/index.htm
	echo share/man/man1/glim.1
	echo share/icons/hicolor/scalable/apps/glim.svg
	for size in 16 22 24 32 48 64 128 256; do
		echo "share/icons/hicolor/${size}x${size}/apps/glim.png"
	done
}

# A user's ~/.local, and a prefix whose path needs quoting in the desktop
# file's Exec key.
plain="$work/home/.local"
odd="$work/odd \$place \"quoted\""
for prefix in "$plain" "$odd"; do
	cmake --install "$build" --prefix "$prefix" >"$work/install.log" \
		|| { cat "$work/install.log" >&2; fail "install into $prefix"; continue; }
	diff <(expected_files | sort) <(cd "$prefix" && find . -type f -o -type l \
		| sed 's|^\./||' | sort) >&2 || fail "the installed files under $prefix"
	[ -x "$prefix/bin/glim" ] || fail "bin/glim is not executable"

	desktop="$prefix/share/applications/glim.desktop"
	output=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $output"
	[ -z "$output" ] || fail "desktop-file-validate says: $output"
done

# The Exec key names the installed program: plainly, or quoted and escaped
# (quoting rule, then the string rule doubling backslashes).
grep -qxF "Exec=$plain/bin/glim --refs %F" "$plain/share/applications/glim.desktop" \
	|| fail "Exec of the plain prefix: $(grep ^Exec= "$plain/share/applications/glim.desktop")"
grep -qxF "Exec=\"$work/odd \\\\\$place \\\\\"quoted\\\\\"/bin/glim\" --refs %F" \
	"$odd/share/applications/glim.desktop" \
	|| fail "Exec of the quoted prefix: $(grep ^Exec= "$odd/share/applications/glim.desktop")"

# Every listed type is offered, in the list's order.
types=$(grep -v '^#' "$source/resources/mime-types.txt" | grep . | tr '\n' ';')
grep -qxF "MimeType=$types" "$plain/share/applications/glim.desktop" \
	|| fail "MimeType is not the list of resources/mime-types.txt"
for type in image/jpeg image/png image/tiff image/webp image/heif image/avif image/jxl \
		image/x-canon-cr2 image/x-nikon-nef image/x-adobe-dng inode/directory; do
	grep -q "^MimeType=.*$type;" "$plain/share/applications/glim.desktop" || fail "no $type"
done

for size in 16 22 24 32 48 64 128 256; do
	icon="$plain/share/icons/hicolor/${size}x${size}/apps/glim.png"
	if command -v identify >/dev/null; then
		[ "$(identify -format '%m %wx%h' "$icon")" = "PNG ${size}x${size}" ] \
			|| fail "$icon is not a ${size}x${size} PNG"
	fi
done
cmp -s "$source/resources/index.htm" "$plain/share/doc/glim/index.htm" || fail "index.htm"
if command -v groff >/dev/null; then
	warnings=$(groff -man -ww -z "$plain/share/man/man1/glim.1" 2>&1)
	[ -z "$warnings" ] || fail "glim.1: $warnings"
fi
grep -qF "Glim $version" "$plain/share/man/man1/glim.1" || fail "glim.1 lacks the version"

# The installed program answers on the terminal, without a display.
answer=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$plain/bin/glim" --version) \
	|| fail "installed glim --version failed"
[ "$answer" = "Glim $version" ] || fail "installed glim --version said: $answer"

# After update-desktop-database the desktop offers the viewer for JPEG
# images ("Open With").
export XDG_DATA_HOME="$plain/share" XDG_CONFIG_HOME="$work/home/.config"
export XDG_DATA_DIRS="$work/nothing"
update-desktop-database "$XDG_DATA_HOME/applications" \
	|| fail "update-desktop-database"
grep -q '^image/jpeg=.*glim.desktop' "$XDG_DATA_HOME/applications/mimeinfo.cache" \
	|| fail "mimeinfo.cache does not offer glim.desktop for image/jpeg"
if command -v gio >/dev/null; then
	offered=$(gio mime image/jpeg 2>&1) || true
	grep -q 'glim.desktop' <<<"$offered" || fail "gio mime image/jpeg: $offered"
fi
if command -v xdg-mime >/dev/null; then
	default=$(XDG_CURRENT_DESKTOP= xdg-mime query default image/jpeg 2>&1) || true
	[ "$default" = "glim.desktop" ] || fail "xdg-mime query default image/jpeg: $default"
fi

[ "$failures" -eq 0 ] && echo "all installed files in place"
exit $(( failures > 0 ))
