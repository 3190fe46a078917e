#!/usr/bin/env bash
# Time to run a 64 MiB load_file job through kmsim, ASCII85 and hex, against Ghostscript
# decoding the same encoded data with its filters alone (ASCII85Decode, ASCIIHexDecode),
# in the same run. Goal: the simulator with our prolog adds at most 20 % to the bare decode.
#   bench/sim_throughput.sh [BUILD_FOLDER]   (default: build-bench, configured here)
# Every time is the best of RUNS runs (default 3) of the whole process, page cache warm.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-bench}"
runs="${RUNS:-3}"
size=$((64 * 1024 * 1024))

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target kmjob kmsim -j"$(nproc)" >/dev/null
kmjob="$build/cli/kmjob"
kmsim="$build/sim/kmsim"

work="$(mktemp -d "${TMPDIR:-/tmp}/km-simbench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# Best wall time in seconds of `runs` runs of a command; PREPARE (if set) runs untimed first.
best_of() {
  local best="" start end took
  for ((i = 0; i < runs; i++)); do
    [[ -n "${PREPARE:-}" ]] && $PREPARE
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    took=$(((end - start) / 1000))
    if [[ -z "$best" || $took -lt $best ]]; then best=$took; fi
  done
  awk -v us="$best" 'BEGIN { printf "%.3f", us / 1e6 }'
}
mbps() { awk -v bytes="$1" -v s="$2" 'BEGIN { printf "%.0f", bytes / s / 1e6 }'; }
overhead() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%+.1f %%", (a / b - 1) * 100 }'; }

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "Ghostscript $(gs --version); input: $size random bytes"
head -c "$size" /dev/urandom >"$work/data.bin"

# The bare decode reads the very data lines of the job (after its load_file line, without
# the trailer); hex data gets the ">" that ends ASCIIHexDecode.
data_of() { sed -n '/ load_file$/,$p' "$1" | tail -n +2 | grep -v '^%EOF$'; }
fresh_disk() { rm -rf "$work/disk" "$work/out.bin"; sync; }
run_sim() { "$kmsim" --disk "$work/disk" "$1"; }

printf '%-8s %10s %10s %10s %11s %10s %11s\n' encoding "kmsim s" "MB/s" "decode s" overhead \
  "+write s" overhead
for encoding in ascii85 hex; do
  flag=()
  [[ $encoding == hex ]] && flag=(--hex)
  "$kmjob" load-files "$work/data.bin=mtbc/mislib/data.bin" "${flag[@]}" --output "$work/$encoding.kj" >/dev/null
  fresh_disk
  run_sim "$work/$encoding.kj" >"$work/report.txt"
  grep -q '^verdict ok$' "$work/report.txt" || { cat "$work/report.txt"; exit 1; }
  cmp -s "$work/data.bin" "$work/disk/mtbc/mislib/data.bin" || { echo "stored file differs"; exit 1; }
  if [[ $encoding == ascii85 ]]; then
    filter="/f currentfile /ASCII85Decode filter def"
  else
    filter="/f currentfile /ASCIIHexDecode filter def"
  fi
  {
    printf '%%!\n/b 32768 string def %s\n{ f b readstring exch pop not { exit } if } loop\n' "$filter"
    data_of "$work/$encoding.kj"
    [[ $encoding == hex ]] && printf '>\n'
  } >"$work/bare-$encoding.ps"
  gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage "$work/bare-$encoding.ps" ||
    { echo "the bare decode failed"; exit 1; }
  # The same decode writing the file, as storing it must: the part no prolog can avoid.
  sed "1,2s|^/b 32768 string def|/b 32768 string def /o ($work/out.bin) (w) file def|;
       3s|exch pop not|exch o exch writestring not|" "$work/bare-$encoding.ps" >"$work/write-$encoding.ps"
  t_sim=$(PREPARE=fresh_disk best_of run_sim "$work/$encoding.kj")
  t_bare=$(best_of gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage "$work/bare-$encoding.ps")
  t_write=$(PREPARE=fresh_disk best_of gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage \
    "--permit-file-write=$work/out.bin" "$work/write-$encoding.ps")
  cmp -s "$work/data.bin" "$work/out.bin" || { echo "the decode with write differs"; exit 1; }
  printf '%-8s %10s %10s %10s %11s %10s %11s\n' "$encoding" "$t_sim" "$(mbps "$size" "$t_sim")" \
    "$t_bare" "$(overhead "$t_sim" "$t_bare")" "$t_write" "$(overhead "$t_sim" "$t_write")"
done
t_start=$(best_of gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage -c quit)
echo "Ghostscript start and quit alone: $t_start s (in every column)"
echo "decode: Ghostscript's filter alone; +write: the same, writing the file to disk."
