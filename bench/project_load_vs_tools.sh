#!/usr/bin/env bash
# `kmjob load-project` of a project container against what an operator could do with other
# tools: `unzip -o -j` of the container, then `kmjob load-files` of the resources it held. The
# project has FILES resources (default 2,000; 4 KiB to 4 MiB, half text, half random, about
# TOTAL_MIB MiB in all, default 300) in its three scopes, with a stub file and a project file
# made here, packed by `kmjob tpc create`. Goals: load-project within 1.2 times the two tools
# together (wall time), and its peak memory (maximum resident set) at most three times the
# largest resource plus 64 MiB.
#   bench/project_load_vs_tools.sh [BUILD_FOLDER]   (default: build-bench, configured here)
#   KMJOB=path/to/kmjob CONTAINER_TOOL=path/to/container_tool bench/project_load_vs_tools.sh
#                                                   (time that binary, build nothing)
# Every time is the best of RUNS runs (default 3) of the whole process after one warm-up run,
# page cache warm, dirty pages written out (sync) before each run; the two ways take turns, so
# that a change in the machine's load hits both. The data comes from container_tool's seeded
# generator: the same on every machine and run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build-bench}")"
runs="${RUNS:-3}"
files="${FILES:-2000}"
total_mib="${TOTAL_MIB:-300}"

kmjob="${KMJOB:-}"
tool="${CONTAINER_TOOL:-}"
if [[ -z "$kmjob" || -z "$tool" ]]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKM_BENCH=ON >/dev/null
  cmake --build "$build" --target kmjob container_tool -j"$(nproc)" >/dev/null
  kmjob="${kmjob:-$build/cli/kmjob}"
  tool="${tool:-$build/bench/container_tool}"
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/km-project-load.XXXXXX")"
trap 'rm -rf "$work"' EXIT
# The stub files are PostScript: a folder with a backslash or parenthesis would need escaping.
if [[ "$work" == *[\\\(\)]* ]]; then
  echo "the temporary folder $work cannot be named in a stub file" >&2
  exit 1
fi

# Scope folders of folder F, project P; every tenth resource folder-shared, the next one
# globally shared, the rest local.
scopes=("$work/scopes/F/P" "$work/scopes/F/fshared" "$work/scopes/gshared")
mkdir -p "${scopes[@]}" "$work/tpcpfd" "$work/src"
"$tool" make-data "${scopes[0]}" "$files" $((total_mib * 1024 * 1024))
scope_paths="($work/scopes/\$\$FOLDER./\$\$PROJECT./)
($work/scopes/\$\$FOLDER./fshared/)
($work/scopes/gshared/)"
printf '%%!PS\n[\n%s\n] SETPPATH\n' "$scope_paths" >"$work/src/mtbdos.run"
# Opening a container unpacks it into the Print-and-Forget folder, named first.
printf '%%!PS\n[\n(%s)\n%s\n] SETPPATH\n' "$work/tpcpfd/\$\$FOLDER./\$\$PROJECT./" \
  "$scope_paths" >"$work/src/paf.run"

{
  printf "<?xml version='1.0'?>\n<TPF Version='2.0'>\n<PROJECT_TYPE>KORA</PROJECT_TYPE>"
  printf "<FOLDER_NAME>F</FOLDER_NAME><PROJECT_NAME>P</PROJECT_NAME>\n<RESOURCES>\n"
  i=0
  for path in "${scopes[0]}"/*; do
    name="${path##*/}"
    scope=0
    case $((i % 10)) in
      1) scope=1 ;;
      2) scope=2 ;;
    esac
    [[ $scope -ne 0 ]] && mv "$path" "${scopes[$scope]}/"
    type=img
    [[ "$name" == *.txt ]] && type=frm
    printf "<RESOURCE Name='%s' Type='%s' Scope='%d'/>\n" "$name" "$type" "$scope"
    i=$((i + 1))
  done
  printf "</RESOURCES>\n</TPF>\n"
} >"$work/P.tpf"
"$kmjob" tpc create "$work/P.tpf" "$work/P.tpc" --stub "$work/src/mtbdos.run" >/dev/null 2>&1
bytes=$(find "$work/scopes" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
largest=$(find "$work/scopes" -type f -printf '%s\n' | sort -n | tail -1)

# The two ways, with the job files written to different names.
ours() {
  "$kmjob" load-project "$work/P.tpc" --stub "$work/src/paf.run" --output "$work/job.ps"
}
# The container names its entries by their full paths, on which unzip warns (exit status 1)
# before it strips them.
unzip_step() {
  local status=0
  unzip -q -o -j "$work/P.tpc" -d "$work/x" || status=$?
  ((status <= 1))
}
# The resources the container held: every file it had but the project file.
load_files_step() {
  local resources=()
  for path in "$work"/x/*; do [[ "$path" != *.tpf ]] && resources+=("$path"); done
  "$kmjob" load-files "${resources[@]}" --output "$work/job2.ps"
}

# Wall time in microseconds of one run of a function, into `took`.
timed() {
  local start end
  sync
  start=$(date +%s%N)
  if ! "$1" >/dev/null 2>"$work/err"; then
    echo "$1 failed: $(head -c 300 "$work/err")" >&2
    exit 1
  fi
  end=$(date +%s%N)
  took=$(((end - start) / 1000))
}

declare -A best
keep_best() {
  if ((r > 0)) && [[ -z "${best[$1]:-}" || $2 -lt ${best[$1]} ]]; then best[$1]=$2; fi
}
for ((r = 0; r <= runs; r++)); do
  rm -rf "$work/job.ps" "$work/job2.ps" "$work/x"
  timed ours
  keep_best ours "$took"
  timed unzip_step
  u=$took
  timed load_files_step
  keep_best unzip "$u"
  keep_best load_files "$took"
  keep_best tools $((u + took))
done

# Peak memory of load-project, and of load-files for comparison.
peak_kib() {
  /usr/bin/time -v "$@" >/dev/null 2>"$work/time.txt"
  sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt"
}
rm -f "$work/job.ps" "$work/job2.ps"
ours_kib=$(peak_kib "$kmjob" load-project "$work/P.tpc" --stub "$work/src/paf.run" \
  --output "$work/job.ps")
resources=()
for path in "$work"/x/*; do [[ "$path" != *.tpf ]] && resources+=("$path"); done
tools_kib=$(peak_kib "$kmjob" load-files "${resources[@]}" --output "$work/job2.ps")
ours_job=$(stat -c %s "$work/job.ps")
tools_job=$(stat -c %s "$work/job2.ps")

seconds() { awk -v us="$1" 'BEGIN { printf "%.3f", us / 1e6 }'; }
mib() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1048576 }'; }
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "project: $files resources, $(mib "$bytes") MiB (largest $(mib "$largest") MiB)," \
  "container $(mib "$(stat -c %s "$work/P.tpc")") MiB; best of $runs runs"
printf '%-40s %9s %12s\n' "" seconds "job MiB"
printf '%-40s %9s %12s\n' "kmjob load-project P.tpc" "$(seconds "${best[ours]}")" \
  "$(mib "$ours_job")"
printf '%-40s %9s\n' "unzip -o -j P.tpc" "$(seconds "${best[unzip]}")"
printf '%-40s %9s %12s\n' "kmjob load-files (the files)" "$(seconds "${best[load_files]}")" \
  "$(mib "$tools_job")"
printf '%-40s %9s\n' "unzip + load-files (best sum of a run)" "$(seconds "${best[tools]}")"
ratio=$(awk -v a="${best[ours]}" -v b="${best[tools]}" 'BEGIN { printf "%.2f", a / b }')
verdict() { awk -v r="$1" -v goal="$2" 'BEGIN { print (r <= goal ? "PASS" : "MISS") }'; }
echo "time: load-project / (unzip + load-files) = $ratio, goal <= 1.20: $(verdict "$ratio" 1.20)"
limit_kib=$(((largest * 3) / 1024 + 64 * 1024))
echo "peak memory: load-project $((ours_kib / 1024)) MiB (load-files $((tools_kib / 1024)) MiB)," \
  "goal <= 3 x largest + 64 MiB = $((limit_kib / 1024)) MiB:" \
  "$(verdict "$ours_kib" "$limit_kib")"
