#!/usr/bin/env bash
# Measures, on one 128 MiB file of mixed binary data, our ASCII85 and hex encoders against
# Ghostscript's own ASCII85Encode filter and against cp of a file of the output's size; then
# `kmjob load-files` against cp of a file of the job's size, with its peak memory.
#   bench/encode_vs_references.sh [BUILD_FOLDER]   (default: build-bench, configured here)
# Every time is the best of RUNS runs (default 3) of the whole process, page cache warm.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-bench}"
runs="${RUNS:-3}"
# The largest file a job accepts: 128 MiB less one byte.
size=$((128 * 1024 * 1024 - 1))

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKM_BENCH=ON >/dev/null
cmake --build "$build" --target encode_file -j"$(nproc)" >/dev/null 2>&1
cmake --build "$build" --target kmjob -j"$(nproc)" >/dev/null 2>&1 || true
encode_file="$build/bench/encode_file"
kmjob="$build/cli/kmjob"

work="$(mktemp -d "${TMPDIR:-/tmp}/km-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# Best wall time in seconds of `runs` runs of a command.
best_of() {
  best_fresh_of /dev/null "$@"
}

# The same, with the file the command writes removed before every run (not timed): replacing
# an existing file makes ext4 start writing it to disk at once (auto_da_alloc), which would
# time the disk rather than the program.
best_fresh_of() {
  local output="$1" best="" start end took
  shift
  for ((i = 0; i < runs; i++)); do
    [[ "$output" != /dev/null ]] && rm -f "$output"
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    took=$(((end - start) / 1000))
    if [[ -z "$best" || $took -lt $best ]]; then best=$took; fi
  done
  awk -v us="$best" 'BEGIN { printf "%.4f", us / 1e6 }'
}
mbps() { awk -v bytes="$1" -v s="$2" 'BEGIN { printf "%.0f", bytes / s / 1e6 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
file_size() { stat -c %s "$1"; }

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
"$encode_file" make-data "$size" "$work/in.bin"
cat "$work/in.bin" >/dev/null
echo "input: $size bytes of mixed data (random, text, zero runs, small values)"
echo

# The best MB/s that encode_file reports for the encoding alone.
best_encoding() {
  local best=0 rate
  for ((i = 0; i < runs; i++)); do
    rate=$("$encode_file" "$@" 2>&1 >/dev/null | sed -n 's/.*(\([0-9]*\) MB\/s)/\1/p')
    if [[ -n "$rate" && $rate -gt $best ]]; then best=$rate; fi
  done
  echo "$best"
}

# Our encoders, whole process (read, encode, write) and the encoding alone.
t_a85=$(best_fresh_of "$work/out.a85" "$encode_file" ascii85 "$work/in.bin" "$work/out.a85")
encode_only=$(best_encoding ascii85 "$work/in.bin" "$work/out.a85")
t_hex=$(best_fresh_of "$work/out.hex" "$encode_file" hex "$work/in.bin" "$work/out.hex")
hex_only=$(best_encoding hex "$work/in.bin" "$work/out.hex")
a85_size=$(file_size "$work/out.a85")
hex_size=$(file_size "$work/out.hex")

# Ghostscript's filter, copying through a 64 KiB string; its start-up is measured apart.
gs_args=(-q -dSAFER "--permit-file-read=$work/in.bin" "--permit-file-write=$work/out.gs"
  -dBATCH -dNODISPLAY)
gs_copy="/in ($work/in.bin) (r) file def /out ($work/out.gs) (w) file /ASCII85Encode filter def
/buf 65535 string def { in buf readstring exch out exch writestring not { exit } if } loop
out closefile"
t_gs=$(best_fresh_of "$work/out.gs" gs "${gs_args[@]}" -c "$gs_copy")
t_gs_start=$(best_of gs -q -dSAFER -dBATCH -dNODISPLAY -c quit)
gs_net=$(awk -v a="$t_gs" -v b="$t_gs_start" 'BEGIN { printf "%.4f", a - b }')

# cp of files of the outputs' sizes.
t_cp_a85=$(best_fresh_of "$work/copy" cp "$work/out.a85" "$work/copy")
rm -f "$work/copy"
t_cp_hex=$(best_fresh_of "$work/copy" cp "$work/out.hex" "$work/copy")
rm -f "$work/copy" "$work/out.gs"

printf '%-40s %8s %10s\n' "" "seconds" "MB/s in"
printf '%-40s %8s %10s\n' "our ASCII85 (whole process)" "$t_a85" "$(mbps "$size" "$t_a85")"
printf '%-40s %8s %10s\n' "our ASCII85 (encoding alone)" "" "$encode_only"
printf '%-40s %8s %10s\n' "our hex (whole process)" "$t_hex" "$(mbps "$size" "$t_hex")"
printf '%-40s %8s %10s\n' "our hex (encoding alone)" "" "$hex_only"
printf '%-40s %8s %10s\n' "Ghostscript ASCII85Encode (whole)" "$t_gs" "$(mbps "$size" "$t_gs")"
printf '%-40s %8s %10s\n' "Ghostscript ASCII85Encode (less start-up)" "$gs_net" "$(mbps "$size" "$gs_net")"
printf '%-40s %8s %10s\n' "cp of $a85_size bytes (ASCII85 size)" "$t_cp_a85" "$(mbps "$size" "$t_cp_a85")"
printf '%-40s %8s %10s\n' "cp of $hex_size bytes (hex size)" "$t_cp_hex" "$(mbps "$size" "$t_cp_hex")"
echo
echo "ASCII85 whole process vs Ghostscript (less start-up): $(ratio "$gs_net" "$t_a85")x faster"
echo "ASCII85 encoding alone vs Ghostscript (less start-up): $(ratio "$encode_only" "$(mbps "$size" "$gs_net")")x faster (goal >= 3x)"
echo "ASCII85 whole process vs cp: $(ratio "$t_a85" "$t_cp_a85")x the copy's time"
echo "hex whole process vs cp: $(ratio "$t_hex" "$t_cp_hex")x the copy's time"
echo

if [[ ! -x "$kmjob" ]]; then
  echo "kmjob load-files: skipped, $kmjob was not built"
  exit 0
fi
for mode in ascii85 hex; do
  extra=()
  [[ $mode == hex ]] && extra=(--hex)
  job="$work/job-$mode.ps"
  command=("$kmjob" load-files "$work/in.bin=mtbc/mislib/big.bin" --output "$job" --overwrite
    "${extra[@]}")
  if ! "${command[@]}" >/dev/null 2>"$work/kmjob.err"; then
    echo "kmjob load-files ($mode): failed: $(cat "$work/kmjob.err")"
    continue
  fi
  t_job=$(best_fresh_of "$job" "${command[@]}")
  job_size=$(file_size "$job")
  t_cp_job=$(best_fresh_of "$work/copy" cp "$job" "$work/copy")
  rm -f "$work/copy"
  /usr/bin/time -v "${command[@]}" >/dev/null 2>"$work/time.txt"
  peak_kib=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
  limit_kib=$(((size + job_size + 16 * 1024 * 1024) / 1024))
  echo "kmjob load-files ($mode): ${t_job} s for a $job_size-byte job;" \
    "cp of that size ${t_cp_job} s: $(ratio "$t_job" "$t_cp_job")x the copy's time (goal <= 2x)"
  echo "  peak memory $((peak_kib / 1024)) MiB; input + output + 16 MiB = $((limit_kib / 1024)) MiB:" \
    "$([[ $peak_kib -le $limit_kib ]] && echo within || echo OVER)"
  rm -f "$job"
done
