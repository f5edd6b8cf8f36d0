#!/bin/bash
# Times the program against its peers on the same files, in one run, and
# prints each figure with its ratio to the peer and to the floor.
#
#   bench/peers.sh [BUILD_DIR]    (default build-release, built with
#                                  -DCMAKE_BUILD_TYPE=Release -DGLIM_BUILD_BENCH=ON)
#   bench/peers.sh --data-only    makes the photographs and stops
#
# Photographs: real ones from Debian's mate-backgrounds package (fetched with
# apt-get download, never installed), cut into tiles and put together as 12
# and 24 megapixel mosaics with sensor-like noise, so they hold 2 to 3 bits
# per pixel after JPEG at quality 92 like a camera's. They are made once,
# under $GLIM_BENCH_DATA (default /tmp/glim-bench/peers).
# Peers: GraphicsMagick with its size hint, vipsthumbnail. Floors: djpeg
# decoding at the same DCT scale, a C loop that reads each folder entry.
# Thumbnail figures are per core (pinned with taskset to CPU $GLIM_BENCH_CPU,
# default 1) except the wall-clock line, which lets the program use all cores.
# Each figure is the best of $GLIM_BENCH_REPEATS runs (default 3). The diff
# column tells how far the program's thumbnails are from ones scaled from the
# whole decoded image: mean difference per channel, in levels (under 2 is
# visually equal).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build-release}" 2>/dev/null || echo "${1:-}")
data=${GLIM_BENCH_DATA:-/tmp/glim-bench/peers}
cpu=${GLIM_BENCH_CPU:-1}
repeats=${GLIM_BENCH_REPEATS:-3}
bench=$build/bench/glim_bench
pin="taskset -c $cpu"

need=()
command -v gm >/dev/null || need+=(graphicsmagick)
command -v vipsthumbnail >/dev/null || need+=(libvips-tools)
command -v djpeg >/dev/null || need+=(libjpeg-turbo-progs)
if [ ${#need[@]} -gt 0 ]; then
	sudo=; [ "$(id -u)" = 0 ] || sudo=sudo
	$sudo apt-get install -y "${need[@]}"
fi
dataOnly=false
[ "${1:-}" = --data-only ] && { dataOnly=true; bench=; }
$dataOnly || [ -x "$bench" ] || { echo "no $bench: build with -DGLIM_BUILD_BENCH=ON" >&2; exit 1; }

# --- photographs
mkdir -p "$data"
tiles=$data/tiles
if [ ! -f "$tiles/done" ]; then
	mkdir -p "$tiles" "$data/deb"
	(cd "$data/deb" && apt-get download mate-backgrounds >/dev/null && dpkg-deb -x mate-backgrounds_*.deb x)
	n=0
	# 2000 x 1500 tiles cut from the photographs at least that large.
	for photo in $(find "$data/deb/x" -name '*.jpg' | sort); do
		size=$(gm identify -format '%w %h' "$photo")
		w=${size% *}; h=${size#* }
		[ "$w" -ge 2000 ] && [ "$h" -ge 1500 ] || continue
		for x in 0 $(((w - 2000) / 2)) $((w - 2000)); do
			[ -f "$tiles/$n.ppm" ] || gm convert "$photo" -crop 2000x1500+$x+$(((h - 1500) / 2)) +repage "$tiles/$n.ppm"
			n=$((n + 1))
		done
	done
	touch "$tiles/done"
fi
ntiles=$(ls "$tiles"/*.ppm | wc -l)

# mosaic OUT.ppm COLUMNS ROWS SEED: tiles in an order of the seed, with noise.
mosaic()
{
	local list=() i
	for ((i = 0; i < $2 * $3; i++)); do
		list+=("$tiles/$((($4 * 7 + i * 5) % ntiles)).ppm")
	done
	gm montage -tile "$2x$3" -geometry +0+0 "${list[@]}" "$1.raw.ppm"
	gm convert "$1.raw.ppm" -operator All Noise-Gaussian 15% "$1"
	rm -f "$1.raw.ppm"
}

sets=$data/sets
# mosaic_jpeg OUT.jpg COLUMNS ROWS SEED [CROP]: a baseline JPEG at quality 92,
# 4:2:0, as cameras write them.
mosaic_jpeg()
{
	[ -f "$1" ] && return
	mosaic "$1.ppm" "$2" "$3" "$4"
	[ -n "${5:-}" ] && gm convert "$1.ppm" -crop "$5" +repage "$1.ppm"
	cjpeg -quality 92 -sample 2x2 -outfile "$1.part" "$1.ppm" && mv "$1.part" "$1"
	rm -f "$1.ppm"
}
echo "making photographs (once) under $sets" >&2
mkdir -p "$sets"/{jpeg12,jpeg12p,jpeg24,jpeg24p,png12,webp12}
# 12 MP: 2 x 2 tiles of 2000 x 1500; 24 MP: 3 x 3 tiles cut to 6000 x 4000.
for ((i = 0; i < 12; i++)); do
	mosaic_jpeg "$sets/jpeg12/photo$i.jpg" 2 2 "$i"
done
for ((i = 0; i < 4; i++)); do
	mosaic_jpeg "$sets/jpeg24/photo$i.jpg" 3 3 "$i" 6000x4000+0+250
done
# The same pixels, progressive; and as PNG and WebP.
for set in jpeg12 jpeg24; do
	for f in "$sets/$set"/photo*.jpg; do
		p=$sets/${set}p/$(basename "$f")
		[ -f "$p" ] || jpegtran -progressive -copy none -outfile "$p" "$f"
	done
done
for ((i = 0; i < 3; i++)); do
	[ -f "$sets/png12/photo$i.png" ] || gm convert "$sets/jpeg12/photo$i.jpg" "$sets/png12/photo$i.png"
	[ -f "$sets/webp12/photo$i.webp" ] \
		|| gm convert "$sets/jpeg12/photo$i.jpg" -quality 90 "$sets/webp12/photo$i.webp"
done

$dataOnly && exit 0

# --- timing
now() { date +%s.%N; }
# best SECONDS-PRINTING-COMMAND...: the least of the repeats, in ms.
best()
{
	local b= t r
	for ((r = 0; r < repeats; r++)); do
		t=$("$@")
		b=$(awk -v a="$t" -v b="$b" 'BEGIN { print (b == "" || a < b) ? a : b }')
	done
	echo "$b"
}
timed() { local s=$(now); "$@" >/dev/null 2>&1; awk -v s="$s" -v e="$(now)" 'BEGIN { printf "%.1f", (e - s) * 1000 }'; }

out=$data/out
# mogrify writes under the output folder by the names it was given.
gm_thumbs() { rm -rf "$out"; mkdir -p "$out"; (cd "$1" && $pin gm mogrify -output-directory "$out" -size 192x192 -thumbnail 96x96 photo*); }
vips_thumbs() { rm -rf "$out"; mkdir -p "$out"; $pin vipsthumbnail -s 96 -o "$out/%s.jpg" "$1"/photo*; }
djpeg_floor()
{
	local f
	for f in "$1"/photo*.jpg; do
		$pin djpeg -scale 1/"$2" -outfile /dev/null "$f"
	done
}
# The program's figure from its benchmark, in ms: every thumbnail of a set
# made by the worker. The benchmark also compares the thumbnails with ones
# scaled from the whole decoded images (mean difference per channel, in
# levels): kept in $data/difference-SET.
program()   # SET [all]
{
	local cmd=$pin
	[ "${2:-}" = all ] && cmd=
	GLIM_BENCH_SETS=$sets $cmd "$bench" --benchmark_filter="BM_MakeThumbnailsOf/$1/" \
		--benchmark_format=csv 2>/dev/null | awk -F, -v out="$data/difference-$1" '
		/^name,/ { for (i = 1; i <= NF; i++) if ($i == "\"difference\"") d = i }
		/BM_MakeThumbnailsOf/ { print $3; if (d) print $d > out }'
}
program_best() { best program "$@"; }

row()   # FIGURE PROGRAM PEER VIPS FLOOR [DIFFERENCE]
{
	awk -v f="$1" -v p="$2" -v g="$3" -v v="$4" -v fl="$5" -v d="${6:--}" 'BEGIN {
		r1 = g > 0 ? sprintf("%.2f", p / g) : "-"
		r2 = fl > 0 ? sprintf("%.2f", p / fl) : "-"
		printf "%-34s %10s %10s %10s %10s %8s %8s %6s\n", f, p, (g > 0 ? g : "-"), (v > 0 ? v : "-"), (fl > 0 ? fl : "-"), r1, r2, d }'
}

echo "load before the run: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores" >&2
printf "%-34s %10s %10s %10s %10s %8s %8s %6s\n" "figure (ms, best of $repeats)" program gm vips floor "/gm" "/floor" diff
for set in jpeg12 jpeg12p jpeg24 jpeg24p png12 webp12; do
	count=$(ls "$sets/$set"/photo* | wc -l)
	p=$(program_best "$set")
	g=$(best timed gm_thumbs "$sets/$set")
	v=$(best timed vips_thumbs "$sets/$set")
	fl=0
	case $set in
		jpeg12*) fl=$(best timed djpeg_floor "$sets/$set" 8) ;;
		jpeg24*) fl=$(best timed djpeg_floor "$sets/$set" 8) ;;
	esac
	row "thumbnails $set ($count), 1 core" "$p" "$g" "$v" "$fl" "$(cat "$data/difference-$set")"
done
one=$(program_best jpeg12)
all=$(program_best jpeg12 all)
row "thumbnails jpeg12, all cores" "$all" 0 0 "$one"
echo "  (wall clock on $(nproc) cores against the program on 1 core: ratio $(awk -v a="$all" -v b="$one" 'BEGIN { printf "%.2f", a / b }'))"

# The folder-reading figure, against its C floor, where the benchmark and
# the floor's source are there.
if [ -f "$root/bench/folder_floor.c" ]; then
	floor_bin=$data/folder_floor
	[ "$floor_bin" -nt "$root/bench/folder_floor.c" ] || cc -O2 -o "$floor_bin" "$root/bench/folder_floor.c"
	folder_ms=$("$bench" --benchmark_filter='BM_ReadFolder/10000/' --benchmark_format=csv 2>/dev/null \
		| awk -F, '/BM_ReadFolder/ { print $3 }')
	c_ms=$("$floor_bin" /tmp/glim-bench/folder-10000 10 | cut -d' ' -f1)
	row "read folder of 10,000 entries" "$folder_ms" 0 0 "$c_ms"
fi
frame() { "$bench" --benchmark_filter="$1/" --benchmark_format=csv 2>/dev/null | awk -F, -v n="$1" '$1 ~ n { print $3 }'; }
row "draw fitted 24 MP (floor: 16 ms)" "$(frame BM_DrawFitted)" 0 0 16
row "draw a grid page (floor: 16 ms)" "$(frame BM_DrawGridPage)" 0 0 16
echo "load after the run: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
