#!/usr/bin/env bash
# Time to run a 64 MiB load_file job through kmsim, ASCII85 and hex, against Ghostscript
# decoding the same encoded data with its filters alone (ASCII85Decode, ASCIIHexDecode),
# in the same run. Goal: the simulator with our prolog adds at most 20 % to the bare decode.
#   bench/sim_throughput.sh [BUILD_FOLDER]   (default: build-bench, configured here)
# RUNS rounds (default 7) run every command once each, in turn, so that a busy machine
# weighs on all of them alike. Times are medians over the rounds, page cache warm: wall
# time, and processor time (user + system), which other users of the machine disturb less.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-bench}"
runs="${RUNS:-7}"
size=$((64 * 1024 * 1024))

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target kmjob kmsim -j"$(nproc)" >/dev/null
kmjob="$build/cli/kmjob"
kmsim="$build/sim/kmsim"

work="$(mktemp -d "${TMPDIR:-/tmp}/km-simbench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
gs_plain=(gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage)

# Processor time of this shell's finished children in microseconds, from "times" output.
cpu_us() {
  awk 'NR == 2 {
    t = 0
    for (i = 1; i <= 2; i++) { split($i, p, /[ms]/); t += p[1] * 60 + p[2] }
    printf "%.0f", t * 1e6 }' "$1"
}

# timed NAME PREPARE COMMAND...: PREPARE (a function, or "true") runs untimed, then one
# timed run of COMMAND; its wall and processor times are added to wall_of and cpu_of.
# Nothing else starts a process between the two readings ("times" runs in this shell and
# sees this shell's children; a subshell would not).
declare -A wall_of cpu_of
timed() {
  local name=$1 prepare=$2 start end
  shift 2
  "$prepare"
  sync # no run pays for the writeback of another's file
  times >"$work/times0"
  start=${EPOCHREALTIME//[!0-9]/}
  "$@" >/dev/null 2>&1 || { echo "$name failed: $*"; exit 1; }
  end=${EPOCHREALTIME//[!0-9]/}
  times >"$work/times1"
  wall_of[$name]+="$((end - start)) "
  cpu_of[$name]+="$(($(cpu_us "$work/times1") - $(cpu_us "$work/times0"))) "
}
median() { tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END {
  m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.3f", m / 1e6 }'; }
mbps() { awk -v bytes="$1" -v s="$2" 'BEGIN { printf "%.0f", bytes / s / 1e6 }'; }
overhead() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%+.1f %%", (a / b - 1) * 100 }'; }

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "Ghostscript $(gs --version); input: $size random bytes; $runs rounds; disk: $(df -T "$work" | awk 'NR == 2 { print $2 }')"
head -c "$size" /dev/urandom >"$work/data.bin"

# The bare decode reads the very data lines of the job (after its load_file line and the
# "<~" that the prolog reads itself, without the trailer); hex data gets the ">" that ends
# ASCIIHexDecode.
data_of() { sed -n '/ load_file$/,$p' "$1" | tail -n +2 | sed '1s/^<~//' | grep -v '^%EOF$'; }
stored="$work/disk/mtbc/mislib/data.bin"
fresh_disk() { rm -rf "$work/disk" "$work/out.bin"; }
# For the kept runs: the file is on the disk already and the job keeps it.
full_disk() {
  fresh_disk
  mkdir -p "$(dirname "$stored")"
  cp "$work/data.bin" "$stored"
}
run_sim() { "$kmsim" --disk "$work/disk" "$1"; }
# A file written in small pieces through a pipeline reads measurably slower from the page
# cache than one written in large blocks (10 ms more for the 84 MB reference input here),
# so every input is written anew in large blocks before the timing.
rewrite() { dd if="$1" of="$1.new" bs=1M status=none && mv "$1.new" "$1"; }

for encoding in ascii85 hex; do
  flag=()
  [[ $encoding == hex ]] && flag=(--hex)
  "$kmjob" load-files "$work/data.bin=mtbc/mislib/data.bin" "${flag[@]}" \
    --output "$work/$encoding.kj" >/dev/null
  "$kmjob" load-files "$work/data.bin=mtbc/mislib/data.bin" "${flag[@]}" --keep-existing \
    --output "$work/$encoding-keep.kj" >/dev/null
  fresh_disk
  run_sim "$work/$encoding.kj" >"$work/report.txt"
  grep -q '^verdict ok$' "$work/report.txt" || { cat "$work/report.txt"; exit 1; }
  cmp -s "$work/data.bin" "$stored" || { echo "stored file differs"; exit 1; }
  full_disk
  run_sim "$work/$encoding-keep.kj" >"$work/report.txt"
  grep -qx 'verdict ok' "$work/report.txt" && ! grep -q '^replaced ' "$work/report.txt" || { cat "$work/report.txt"; exit 1; }
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
  "${gs_plain[@]}" "$work/bare-$encoding.ps" || { echo "the bare decode failed"; exit 1; }
  # The same decode writing the file, as storing it must: the part no prolog can avoid.
  sed "1,2s|^/b 32768 string def|/b 32768 string def /o ($work/out.bin) (w) file def|;
       3s|exch pop not|exch o exch writestring not|" "$work/bare-$encoding.ps" >"$work/write-$encoding.ps"
  "${gs_plain[@]}" "--permit-file-write=$work/out.bin" "$work/write-$encoding.ps"
  cmp -s "$work/data.bin" "$work/out.bin" || { echo "the decode with write differs"; exit 1; }
  for input in "$encoding.kj" "$encoding-keep.kj" "bare-$encoding.ps" "write-$encoding.ps"; do
    rewrite "$work/$input"
  done
done

run_one() { # which (0-3) encoding
  case $1 in
    0) timed "sim-$2" fresh_disk run_sim "$work/$2.kj" ;;
    1) timed "bare-$2" true "${gs_plain[@]}" "$work/bare-$2.ps" ;;
    2) timed "write-$2" fresh_disk "${gs_plain[@]}" "--permit-file-write=$work/out.bin" \
      "$work/write-$2.ps" ;;
    3) timed "kept-$2" full_disk run_sim "$work/$2-keep.kj" ;;
  esac
}
# Each round starts with another of the four, so that none always follows the same one.
for ((round = 0; round < runs; round++)); do
  for encoding in ascii85 hex; do
    for ((k = 0; k < 4; k++)); do run_one $(((round + k) % 4)) "$encoding"; done
  done
  timed start true "${gs_plain[@]}" -c quit
done

for measure in wall cpu; do
  echo
  if [[ $measure == wall ]]; then echo "wall time, median"; else echo "processor time, median"; fi
  printf '%-8s %8s %6s %8s %9s %8s %9s %8s %9s\n' encoding "kmsim s" "MB/s" "decode s" overhead \
    "+write s" overhead "kept s" overhead
  for encoding in ascii85 hex; do
    declare -n times_of="${measure}_of"
    t_sim=$(median <<<"${times_of[sim-$encoding]}")
    t_bare=$(median <<<"${times_of[bare-$encoding]}")
    t_write=$(median <<<"${times_of[write-$encoding]}")
    t_kept=$(median <<<"${times_of[kept-$encoding]}")
    rate=-
    [[ $measure == wall ]] && rate=$(mbps "$size" "$t_sim")
    printf '%-8s %8s %6s %8s %9s %8s %9s %8s %9s\n' "$encoding" "$t_sim" "$rate" \
      "$t_bare" "$(overhead "$t_sim" "$t_bare")" "$t_write" "$(overhead "$t_sim" "$t_write")" \
      "$t_kept" "$(overhead "$t_kept" "$t_bare")"
    unset -n times_of
  done
done
echo
echo "Ghostscript start and quit alone: $(median <<<"${wall_of[start]}") s wall (in every column)"
echo "decode: Ghostscript's filter alone. +write: the same, writing the file to disk with"
echo "writestring, as storing it must. kept: kmsim with the file already on the disk and a job"
echo "that keeps it, so the prolog decodes the data and writes nothing (overhead against decode)."
echo "Goal: kmsim at most +20 % over decode. Ghostscript writes files 4 KiB at a time (its 2 KiB"
echo "stream buffer through the C library's), so +write bounds what any prolog storing the file reaches."
