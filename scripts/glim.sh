#!/usr/bin/env bash
# Sets up a Debian 12 machine for the viewer, builds it, and runs it or its
# tests.
#   scripts/glim.sh run [file-or-folder]   build and start the viewer
#   scripts/glim.sh test                   build and run every test
#   scripts/glim.sh fuzz [target] [seconds] fuzz one target (or all) for a time
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

packages=(build-essential cmake g++ pkg-config qt6-base-dev qt6-base-dev-tools
	qt6-image-formats-plugins qt6-gtk-platformtheme libgtest-dev libgmock-dev
	libbenchmark-dev shared-mime-info desktop-file-utils xdg-utils xvfb xauth attr
	imagemagick xdotool clang libclang-rt-14-dev dpkg-dev libglib2.0-bin groff-base
	libqt6svg6 libheif-dev libavif-dev libjxl-dev libraw-dev liblcms2-dev libtiff-dev
	libwebp-dev libheif-examples libavif-bin libjxl-tools colord-data)

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

# Builds only what running needs, the program and its resources: the tests
# and benchmarks are the test command's.
run_viewer() {
	cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DGLIM_BUILD_TESTS=OFF -DGLIM_BUILD_BENCH=OFF >/dev/null
	cmake --build "$root/build" -j "$jobs" --target glim
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
	(cd "$root/build-asan" && ctest --output-on-failure -j "$jobs")

	configure_and_build build-tsan -DCMAKE_BUILD_TYPE=Debug -DGLIM_SANITIZE=thread \
		-DGLIM_CONCURRENCY_TESTS_ONLY=ON -DGLIM_BUILD_BENCH=OFF
	# ThreadSanitizer needs a memory layout without address randomisation on
	# some kernels; setarch turns it off for the run.
	(cd "$root/build-tsan" && setarch "$(uname -m)" -R ctest --output-on-failure)

	# Every fuzz target over its seeds and for a short time.
	run_fuzz all 20
}

# The libFuzzer targets: built with clang in build-fuzz, each with its seeds
# in fuzz/corpus/<target>/. What a run finds goes to build-fuzz/corpus and a
# crashing input to build-fuzz/artifacts.
build_fuzzers() {
	CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLIM_FUZZ=ON >/dev/null
	cmake --build "$root/build-fuzz" -j "$jobs" --target fuzzers
}

fuzz_targets() {
	cat "$root/build-fuzz/fuzz/targets.txt"
}

# Runs one target over its seeds, then fuzzes it for the seconds given.
fuzz_one() {
	local target=$1 seconds=$2
	local binary="$root/build-fuzz/fuzz/fuzz-$target" seeds="$root/fuzz/corpus/$target"
	local work="$root/build-fuzz/corpus/$target" artifacts="$root/build-fuzz/artifacts"
	mkdir -p "$work" "$artifacts"
	echo "== $target: seed corpus, then $seconds s of fuzzing"
	"$binary" -rss_limit_mb=4096 -timeout=60 "$seeds"/*
	"$binary" -rss_limit_mb=4096 -timeout=60 -max_total_time="$seconds" -print_final_stats=1 \
		-artifact_prefix="$artifacts/$target-" "$work" "$seeds"
}

run_fuzz() {
	local target=${1:-all} seconds=${2:-60}
	build_fuzzers
	if [ "$target" = all ]; then
		for target in $(fuzz_targets); do
			fuzz_one "$target" "$seconds"
		done
	elif fuzz_targets | grep -qx "$target"; then
		fuzz_one "$target" "$seconds"
	else
		echo "unknown fuzz target: $target (known: $(fuzz_targets | tr '\n' ' '))" >&2
		exit 2
	fi
}

command=${1:-run}
[ $# -gt 0 ] && shift
install_missing
case "$command" in
	run) run_viewer "$@" ;;
	test) run_tests ;;
	fuzz) run_fuzz "$@" ;;
	*) echo "usage: $0 run [file-or-folder] | test | fuzz [target] [seconds]" >&2; exit 2 ;;
esac
