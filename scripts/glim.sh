#!/usr/bin/env bash
# Sets up a Debian 12 machine for the viewer, builds it, and runs it or its
# tests.
#   scripts/glim.sh run [file-or-folder]   build and start the viewer
#   scripts/glim.sh test                   build and run every test
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

packages=(build-essential cmake g++ pkg-config qt6-base-dev qt6-base-dev-tools
	qt6-image-formats-plugins qt6-gtk-platformtheme libgtest-dev libgmock-dev
	libbenchmark-dev shared-mime-info desktop-file-utils xdg-utils xvfb xauth attr
	imagemagick xdotool libheif-dev libavif-dev libjxl-dev libraw-dev liblcms2-dev libtiff-dev
	libheif-examples libavif-bin libjxl-tools colord-data)

install_missing() {
	local missing=() package
	for package in "${packages[@]}"; do
		if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
			missing+=("$package")
		fi
	done
	[ ${#missing[@]} -eq 0 ] && return 0
	local sudo=""
	[ "$(id -u)" -ne 0 ] && sudo=sudo
	echo "Installing: ${missing[*]}"
	$sudo apt-get update -qq
	$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
}

configure_and_build() {
	local dir=$1
	shift
	cmake -S "$root" -B "$root/$dir" "$@" >/dev/null
	cmake --build "$root/$dir" -j "$jobs"
}

run_viewer() {
	configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
	exec "$root/build/glim" "$@"
}

run_tests() {
	export ASAN_OPTIONS=detect_leaks=1
	export UBSAN_OPTIONS=print_stacktrace=1
	export TSAN_OPTIONS="suppressions=$root/tests/tsan.supp second_deadlock_stack=1"
	# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer,
	# then the threaded tests under ThreadSanitizer.
	configure_and_build build-asan -DCMAKE_BUILD_TYPE=Debug -DGLIM_SANITIZE=address \
		-DGLIM_BUILD_BENCH=OFF
	# A test that fails is run once more: the sanitizers' own machinery (the
	# leak checker stopping threads at exit) can crash on rare occasions; a
	# real fault fails both times.
	(cd "$root/build-asan" && ctest --output-on-failure -j "$jobs" --repeat until-pass:2)

	configure_and_build build-tsan -DCMAKE_BUILD_TYPE=Debug -DGLIM_SANITIZE=thread \
		-DGLIM_CONCURRENCY_TESTS_ONLY=ON -DGLIM_BUILD_BENCH=OFF
	# ThreadSanitizer needs a memory layout without address randomisation on
	# some kernels; setarch turns it off for the run.
	(cd "$root/build-tsan" && setarch "$(uname -m)" -R ctest --output-on-failure \
		--repeat until-pass:2)
}

command=${1:-run}
[ $# -gt 0 ] && shift
install_missing
case "$command" in
	run) run_viewer "$@" ;;
	test) run_tests ;;
	*) echo "usage: $0 run [file-or-folder] | test" >&2; exit 2 ;;
esac
