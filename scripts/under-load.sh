#!/usr/bin/env bash
# Runs a command while the machine is kept busy, as a CI machine or a player's computer shared with other work
# is: stress-ng's CPU, memory and disk workers at once. Prints the load average every half minute and, at the
# end, its range over the run and how long the command took; exits with the command's status. Nothing in the
# test suite may need a quiet machine, and this is how to see that it does not.
#
#   scripts/under-load.sh COMMAND [ARGUMENTS...]      e.g. scripts/under-load.sh ctest --preset dev -L e2e
#
# By default two CPU workers per core, one memory and one disk worker per core (a load average of about 7 to 9
# on two cores); GORVANE_STRESS replaces stress-ng's worker options ("--cpu 8 --vm 2 --vm-bytes 256M ...").
set -uo pipefail
[ $# -gt 0 ] || { echo "usage: under-load.sh COMMAND [ARGUMENTS...]" >&2; exit 2; }
if ! command -v stress-ng >/dev/null; then
  echo "under-load: stress-ng is not installed (scripts/setup.sh test)" >&2
  exit 2
fi

cores=$(nproc)
default="--cpu $((2 * cores)) --vm $cores --vm-bytes 128M --hdd $cores --hdd-bytes 128M"
read -r -a workers <<<"${GORVANE_STRESS:-$default}"
work=$(mktemp -d)
stress_pid="" sampler_pid=""
# stress-ng and the sampler end with this script, however it ends.
finish() {
  [ -n "$sampler_pid" ] && kill "$sampler_pid" 2>/dev/null
  if [ -n "$stress_pid" ]; then
    kill -INT "$stress_pid" 2>/dev/null
    wait "$stress_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap finish EXIT
trap 'exit 130' INT TERM

load() { cut -d' ' -f1-3 /proc/loadavg; }

echo "under-load: stress-ng ${workers[*]} (load average before: $(load))" >&2
(cd "$work" && exec stress-ng "${workers[@]}" --temp-path "$work" --timeout 0 --quiet) &
stress_pid=$!
# One-minute load averages, every five seconds; a line on standard error every half minute.
(
  n=0
  while :; do
    cut -d' ' -f1 /proc/loadavg >>"$work/samples"
    [ $((n % 6)) = 5 ] && echo "under-load: load average $(load)" >&2
    n=$((n + 1))
    sleep 5
  done
) &
sampler_pid=$!

started=$(date +%s.%N)
status=0
"$@" || status=$?
ended=$(date +%s.%N)

kill "$sampler_pid" 2>/dev/null
sampler_pid=""
range=$(sort -n "$work/samples" 2>/dev/null | awk 'NR == 1 {low = $1} {high = $1} END {if (NR) print low " to " high}')
took=$(awk -v a="$started" -v b="$ended" 'BEGIN {print b - a}')
printf 'under-load: "%s" ended with status %d after %.0f s; load average (1 min) %s during the run, %s at the end\n' \
  "$*" "$status" "$took" "${range:-not sampled}" "$(load)" >&2
exit "$status"
