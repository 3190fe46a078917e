#!/usr/bin/env bash
# Delivery speed against a private print server whose queues feed job sinks:
#  1. one 64 MiB job: SendFileToPrinter against `lp -o raw` of the same file to the same queue,
#     alternating, RUNS times each (default 5); the time until the print server has taken the
#     job, and until the printer behind the queue has received all of it;
#  2. one 1 MiB job to a group of 50 queues through DeliverJob: total and per printer.
#   bench/delivery_vs_lp.sh [BUILD_FOLDER]   (default: build-bench-delivery, Release)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

if [[ "${1:-}" != "--inner" ]]; then
  build="${1:-$root/build-bench-delivery}"
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target printing settings km_print_server km_job_sink \
    -j"$(nproc)" >/dev/null
  # bench/CMakeLists.txt is not ours: the timing program is built here against the libraries.
  timer="$build/delivery_time"
  # shellcheck disable=SC2046
  g++ -std=c++20 -O2 -o "$timer" "$root/bench/delivery_time.cpp" \
    -I"$root/printing/include" -I"$root/settings/include" $(wx-config --cxxflags base) \
    "$build/printing/libprinting.a" "$build/settings/libsettings.a" -lcups \
    $(wx-config --libs base)
  exec "$build/tools/print-server/km_print_server" --printer sink --ps-queues 50 -- \
    "$0" --inner "$timer"
fi

timer="$2"
runs="${RUNS:-5}"
work="$(mktemp -d "${TMPDIR:-/tmp}/km-bench-delivery.XXXXXX")"
trap 'rm -rf "$work"' EXIT
jobs_of() { find "$KM_PRINT_SERVER_ROOT/printers/$1/jobs" -maxdepth 1 -name 'job-*' | wc -l; }
now() { date +%s%N; }
# Waits until the printer behind a queue has kept at least N jobs.
wait_jobs() {
  local deadline=$(($(date +%s) + 600))
  until [[ $(jobs_of "$1") -ge $2 ]]; do
    [[ $(date +%s) -lt $deadline ]] || { echo "timeout waiting for $1" >&2; exit 1; }
    sleep 0.02
  done
}
seconds() { awk -v ns="$1" 'BEGIN { printf "%.3f", ns / 1e9 }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

big="$work/job64.bin"
head -c $((64 * 1024 * 1024)) /dev/urandom >"$big"
queue=km_ps_001
count=$(jobs_of $queue)
# Warm-up: page cache, scheduler, sink.
"$timer" send "$big" $queue >/dev/null
count=$((count + 1)); wait_jobs $queue $count

: >"$work/ours_taken"; : >"$work/ours_received"; : >"$work/lp_taken"; : >"$work/lp_received"
for ((i = 0; i < runs; i++)); do
  start=$(now)
  "$timer" send "$big" $queue >/dev/null
  taken=$(now)
  count=$((count + 1)); wait_jobs $queue $count
  done_at=$(now)
  echo $(((taken - start))) >>"$work/ours_taken"
  echo $(((done_at - start))) >>"$work/ours_received"

  start=$(now)
  lp -d $queue -o raw -t "[Benchmark]" "$big" >/dev/null
  taken=$(now)
  count=$((count + 1)); wait_jobs $queue $count
  done_at=$(now)
  echo $(((taken - start))) >>"$work/lp_taken"
  echo $(((done_at - start))) >>"$work/lp_received"
done
cmp "$big" "$(find "$KM_PRINT_SERVER_ROOT/printers/$queue/jobs" -name 'job-*' | sort | tail -1)"

ours_taken=$(median <"$work/ours_taken"); lp_taken=$(median <"$work/lp_taken")
ours_recv=$(median <"$work/ours_received"); lp_recv=$(median <"$work/lp_received")
echo "64 MiB raw job to one queue, median of $runs runs each:"
printf '  handed to the print server:  ours %ss   lp -o raw %ss   ratio %s\n' \
  "$(seconds "$ours_taken")" "$(seconds "$lp_taken")" \
  "$(awk -v a="$ours_taken" -v b="$lp_taken" 'BEGIN { printf "%.2f", a / b }')"
printf '  received by the printer:     ours %ss   lp -o raw %ss   ratio %s\n' \
  "$(seconds "$ours_recv")" "$(seconds "$lp_recv")" \
  "$(awk -v a="$ours_recv" -v b="$lp_recv" 'BEGIN { printf "%.2f", a / b }')"

small="$work/job1.bin"
head -c $((1024 * 1024)) /dev/urandom >"$small"
members=""
for n in $(seq -f 'km_ps_%03g' 1 50); do members+="${members:+,}$n"; done
printf '[printer-groups]\nfifty=%s\n' "$members" >"$work/koramanage.ini"
declare -A before
for n in $(seq -f 'km_ps_%03g' 1 50); do before[$n]=$(jobs_of "$n"); done
start=$(now)
"$timer" deliver "$small" '\\\fifty' "$work/koramanage.ini" >/dev/null
taken=$(now)
for n in $(seq -f 'km_ps_%03g' 1 50); do wait_jobs "$n" $((before[$n] + 1)); done
done_at=$(now)
echo "1 MiB job to a group of 50 queues (DeliverJob):"
printf '  handed to the print server:  %ss in all, %sms per printer\n' \
  "$(seconds $((taken - start)))" "$(awk -v ns=$((taken - start)) 'BEGIN { printf "%.1f", ns / 50e6 }')"
printf '  received by all printers:    %ss in all, %sms per printer\n' \
  "$(seconds $((done_at - start)))" "$(awk -v ns=$((done_at - start)) 'BEGIN { printf "%.1f", ns / 50e6 }')"
