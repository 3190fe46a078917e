#!/usr/bin/env bash
# Time of `kmjob load-files` and `kmjob remove-files` writing one job for many files, at
# 2,500, 20,000 and 40,000 files, and how it grows from 20,000 to 40,000 files (goal: 20,000
# files under 1 s, 40,000 at most 2.2 times 20,000).
#   bench/many_files.sh [BUILD_FOLDER]   (default: build-bench, configured here)
#   KMJOB=/path/to/kmjob bench/many_files.sh   (time that binary, build nothing)
# Every time is the best of RUNS runs (default 3) of the whole process, page cache warm.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-bench}"
runs="${RUNS:-3}"
counts=(2500 20000 40000)

kmjob="${KMJOB:-}"
if [[ -z "$kmjob" ]]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target kmjob -j"$(nproc)" >/dev/null
  kmjob="$build/cli/kmjob"
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/km-many.XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir f
# Short relative names keep 40,000 operands well inside the argument size limit.
for ((i = 0; i < ${counts[-1]}; i++)); do printf 'file %05d\n' "$i" >"f/$i"; done
cat f/* >/dev/null

# Best wall time in seconds of `runs` runs; the job file is removed before each run.
best_of() {
  local best="" start end took
  for ((r = 0; r < runs; r++)); do
    rm -f job.ps
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    took=$(((end - start) / 1000))
    if [[ -z "$best" || $took -lt $best ]]; then best=$took; fi
  done
  awk -v us="$best" 'BEGIN { printf "%.3f", us / 1e6 }'
}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
printf '%-14s %8s %12s %12s\n' "job" "files" "seconds" "job bytes"
declare -A took
for command in load-files remove-files; do
  for count in "${counts[@]}"; do
    names=()
    for ((i = 0; i < count; i++)); do names+=("f/$i"); done
    took[$command$count]=$(best_of "$kmjob" "$command" "${names[@]}" --output job.ps)
    printf '%-14s %8d %12s %12d\n' "$command" "$count" "${took[$command$count]}" \
      "$(stat -c %s job.ps)"
  done
done
echo
for command in load-files remove-files; do
  ratio=$(awk -v a="${took[${command}40000]}" -v b="${took[${command}20000]}" \
    'BEGIN { printf "%.2f", a / b }')
  echo "$command: 20,000 files ${took[${command}20000]} s (goal < 1 s);" \
    "40,000 / 20,000 = $ratio (goal <= 2.2)"
done
