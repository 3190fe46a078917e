#!/usr/bin/env bash
# Creates and extracts a zip and a tar container of FILES files (default 2,000; 4 KiB to 4 MiB,
# half text, half random, about TOTAL_MIB MiB in all, default 300) with the archive engine and
# with other archivers on the same data: zip creation against `zip` (both deflate level 6),
# zip extraction against `unzip -o -j` and `bsdtar -x`, tar creation against `tar -c`, tar
# extraction against GNU `tar -x` and `bsdtar -x`. Every tool extracts the container our
# engine made. Goals: extraction at least as fast as the faster other tool (time ratio ours /
# theirs <= 1.00), creation within 1.10.
#   bench/containers_vs_tools.sh [BUILD_FOLDER]   (default: build-bench, configured here)
# Every time is the best of RUNS runs (default 3) of the whole process after one warm-up run,
# page cache warm, dirty pages written out (sync) before each run; extraction goes into a new
# folder each run (the folders of an operation take about (RUNS + 1) * 3 * TOTAL_MIB on disk
# until it has been measured). MB/s counts the files' bytes.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build-bench}")"
runs="${RUNS:-3}"
files="${FILES:-2000}"
total_mib="${TOTAL_MIB:-300}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKM_BENCH=ON >/dev/null
cmake --build "$build" --target container_tool -j"$(nproc)" >/dev/null
tool="$build/bench/container_tool"

work="$(mktemp -d "${TMPDIR:-/tmp}/km-containers.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir "$work/data"
"$tool" make-data "$work/data" "$files" $((total_mib * 1024 * 1024))
# Bare names, read from the data folder: every archiver stores the same entry names.
(cd "$work/data" && ls) >"$work/list"
bytes=$(cat "$work/data"/* | wc -c)

# The commands: one function per operation and tool, run in the data folder (creation) or in
# an empty extraction folder, with the list of names on standard input.
zip_create_ours() { "$tool" create zip "$work/new.zip" "$work/list"; }
zip_create_zip() { zip -q -6 "$work/new.zip" -@; }
zip_extract_ours() { "$tool" extract "$work/ours.zip"; }
zip_extract_unzip() { unzip -q -o -j "$work/ours.zip"; }
zip_extract_bsdtar() { bsdtar -xf "$work/ours.zip"; }
tar_create_ours() { "$tool" create tar "$work/new.tar" "$work/list"; }
tar_create_tar() { tar -cf "$work/new.tar" -T "$work/list"; }
tar_extract_ours() { "$tool" extract "$work/ours.tar"; }
tar_extract_tar() { tar -xf "$work/ours.tar"; }
tar_extract_bsdtar() { bsdtar -xf "$work/ours.tar"; }

# Extraction goes into a new folder each run, kept until the operation has been measured:
# ext4 without a journal passes over every inode freed in the last 30 seconds when it makes a
# file, which would time the removal of the previous run's files rather than the tool. So
# before each extraction, the folders of the last one go and half a minute passes.
removed_at=0
settle() {
  rm -rf "$work/kept"
  sync
  removed_at=$(date +%s)
}
wait_settled() {
  local left=$((removed_at + 31 - $(date +%s)))
  if ((left > 0)); then sleep "$left"; fi
}

# Best wall time in microseconds, into t[OPERATION_TOOL], of `runs` runs of each tool after one
# warm-up run, and the least processor time (user and system) of a run into c[...]; the tools
# take turns, so that a change in the machine's load hits all of them.
#   measure OPERATION TOOL...
declare -A t c
# The user and system time of the children, from the second line of `times` ("0m1.250s 0m0.300s").
cpu_us() {
  awk 'NR == 2 { split($0, f, /[ ms]+/); print int(((f[1] + f[3]) * 60 + f[2] + f[4]) * 1e6) }' "$1"
}
measure() {
  local operation="$1" tool_name start end took folder key cpu
  shift
  [[ $operation == *extract ]] && wait_settled
  for ((r = 0; r <= runs; r++)); do
    for tool_name in "$@"; do
      key="${operation}_$tool_name"
      rm -f "$work/new.zip" "$work/new.tar"
      folder="$work/data"
      if [[ $operation == *extract ]]; then
        folder="$work/kept/$key.$r"
        mkdir -p "$folder"
      fi
      sync
      start=$(date +%s%N)
      if ! (cd "$folder" && "$key" <"$work/list" >/dev/null 2>"$work/err" &&
        times >"$work/times"); then
        echo "$key failed: $(head -c 300 "$work/err")" >&2
        exit 1
      fi
      end=$(date +%s%N)
      took=$(((end - start) / 1000))
      cpu=$(cpu_us "$work/times")
      if ((r > 0)) && [[ -z "${t[$key]:-}" || $took -lt ${t[$key]} ]]; then t[$key]=$took; fi
      if ((r > 0)) && [[ -z "${c[$key]:-}" || $cpu -lt ${c[$key]} ]]; then c[$key]=$cpu; fi
    done
  done
  rm -f "$work/new.zip" "$work/new.tar"
  [[ $operation == *extract ]] && settle
  return 0
}

mbps() { awk -v b="$bytes" -v us="$1" 'BEGIN { printf "%.0f", b / us }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
verdict() { awk -v r="$1" -v goal="$2" 'BEGIN { print (r <= goal ? "PASS" : "MISS") }'; }

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "data: $files files, $bytes bytes (half text, half random)," \
  "$(df -T "$work" | awk 'NR == 2 { print $2 }') file system"
echo

# The containers every tool extracts: made once by our engine.
(cd "$work/data" && "$tool" create zip "$work/ours.zip" "$work/list")
(cd "$work/data" && "$tool" create tar "$work/ours.tar" "$work/list")
for container in ours.zip ours.tar; do
  echo "container: $container, $(stat -c %s "$work/$container") bytes"
done
# Both hold the data unchanged.
for container in ours.zip ours.tar; do
  mkdir -p "$work/kept/$container"
  (cd "$work/kept/$container" && "$tool" extract "$work/$container")
  if ! diff -r "$work/data" "$work/kept/$container" >/dev/null; then
    echo "$container: the extracted files differ from the data" >&2
    exit 1
  fi
done
settle
echo

measure zip_create ours zip
measure zip_extract ours unzip bsdtar
measure tar_create ours tar
measure tar_extract ours tar bsdtar

seconds() { awk -v us="$1" 'BEGIN { printf "%.3f", us / 1e6 }'; }
printf '%-12s %-7s %8s %6s %10s %8s %10s\n' operation tool seconds MB/s ours/tool cpu-s ours/tool
# One line per tool: wall time, throughput and the ratio ours / theirs, then the same for the
# processor time, which the load of other programs on the machine disturbs less; the verdict
# is on the wall time, against the faster other tool.
report() {
  local operation="$1" goal="$2" ours ours_cpu fastest="" other r
  shift 2
  ours=${t[${operation}_ours]}
  ours_cpu=${c[${operation}_ours]}
  printf '%-12s %-7s %8s %6s %10s %8s\n' "${operation/_/ }" ours "$(seconds "$ours")" \
    "$(mbps "$ours")" "" "$(seconds "$ours_cpu")"
  for other in "$@"; do
    local theirs=${t[${operation}_$other]} theirs_cpu=${c[${operation}_$other]}
    printf '%-12s %-7s %8s %6s %10s %8s %10s\n' "" "$other" "$(seconds "$theirs")" \
      "$(mbps "$theirs")" "$(ratio "$ours" "$theirs")" "$(seconds "$theirs_cpu")" \
      "$(ratio "$ours_cpu" "$theirs_cpu")"
    if [[ -z "$fastest" ]] || ((theirs < t[${operation}_$fastest])); then fastest=$other; fi
  done
  r=$(ratio "$ours" "${t[${operation}_$fastest]}")
  echo "  ${operation/_/ }: ours / $fastest = $r, goal <= $goal: $(verdict "$r" "$goal")"
}
report zip_create 1.10 zip
report zip_extract 1.00 unzip bsdtar
report tar_create 1.10 tar
report tar_extract 1.00 tar bsdtar
