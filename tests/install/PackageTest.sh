#!/usr/bin/env bash
# Makes the Debian package from the build with CPack and checks what it
# declares and holds; then installs it into a scratch root and removes it
# again, which must leave nothing behind:
#   PackageTest.sh BUILD_DIR VERSION
set -euo pipefail

build=$1 version=$2
work=$(mktemp -d /tmp/glim-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 \
	|| { cat "$work/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }
package=$(ls "$work/out"/glim_"$version"_*.deb 2>/dev/null | head -n 1)
[ -n "$package" ] || { ls "$work/out" >&2; echo "FAIL: no glim_${version}_*.deb" >&2; exit 1; }

info=$(dpkg-deb --info "$package")
depends=$(dpkg-deb --field "$package" Depends)
names=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ *(.*//')
# dpkg-shlibdeps found the libraries the program links; the image-format
# plug-ins are declared by hand.
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 \
		qt6-image-formats-plugins; do
	grep -qxF "$library" <<<"$names" || fail "Depends lacks $library: $depends"
done
grep -q 'libqt6widgets6 (>= ' <<<"$depends" || fail "Depends without versions: $depends"
[ "$(dpkg-deb --field "$package" Package)" = glim ] || fail "package name"
[ "$(dpkg-deb --field "$package" Version)" = "$version" ] || fail "package version"
grep -q '^ Section: graphics' <<<"$info" || fail "section: $info"

contents=$(dpkg-deb --contents "$package" | awk '{print $6}')
for file in ./usr/bin/glim ./usr/share/applications/glim.desktop \
		./usr/share/doc/glim/index.htm ./usr/share/man/man1/glim.1 \
		./usr/share/icons/hicolor/48x48/apps/glim.png \
		./usr/share/icons/hicolor/scalable/apps/glim.svg; do
	grep -qxF "$file" <<<"$contents" || fail "the package lacks $file"
done

dpkg-deb --extract "$package" "$work/extracted"
grep -qxF "Exec=/usr/bin/glim --refs %F" "$work/extracted/usr/share/applications/glim.desktop" \
	|| fail "Exec of the packaged desktop file"
# Stripping kept the program's resources (pictures and version record).
readelf -S "$work/extracted/usr/bin/glim" | grep -q '\.glimrsrc' || fail "no .glimrsrc section"
answer=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ASAN_OPTIONS=detect_leaks=0 \
	"$work/extracted/usr/bin/glim" --version) || fail "packaged glim --version"
[ "$answer" = "Glim $version" ] || fail "packaged glim --version said: $answer"

# Install and remove in a root of its own: dpkg's database there knows no
# other package, so dependencies are not checked.
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
dpkg_here() {
	dpkg --root="$root" --force-not-root --force-depends --force-script-chrootless \
		--log=/dev/null "$@"
}
if dpkg_here --install "$package" >"$work/dpkg.log" 2>&1; then
	[ -x "$root/usr/bin/glim" ] || fail "dpkg did not install /usr/bin/glim"
	dpkg_here --purge glim >>"$work/dpkg.log" 2>&1 || fail "dpkg --purge: $(cat "$work/dpkg.log")"
	left=$(cd "$root" && find . -path ./var -prune -o \( -type f -o -type l \) -print)
	[ -z "$left" ] || fail "files left after removal: $left"
	[ ! -e "$root/var/lib/dpkg/info/glim.list" ] || fail "dpkg still lists glim"
else
	fail "dpkg --install: $(cat "$work/dpkg.log")"
fi

[ "$failures" -eq 0 ] && echo "package $(basename "$package") is sound"
exit $(( failures > 0 ))
