# Timing helpers the benchmark scripts source. They need $out (a directory
# for logs) and read REPEATS (default 3).
#
# measure NAME COMMAND...: runs the command $repeats times under
# /usr/bin/time and records in wall[NAME], cpu[NAME] and peak[NAME] the
# median wall seconds, the median processor seconds (user + system, less
# disturbed by other work on a shared machine) and the largest peak
# resident kilobytes. MEASURE_VERBOSE=1 also prints every run's numbers.
repeats=${REPEATS:-3}
declare -A wall cpu peak
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
measure() {
  local name="$1"; shift
  local walls=() cpus=() peaks=()
  for _ in $(seq "$repeats"); do
    local log="$out/$name.time"
    /usr/bin/time -v "$@" >"$out/$name.stdout" 2>"$log"
    walls+=("$(awk -F': ' '/Elapsed \(wall clock\)/ {n=split($2,t,":"); s=0; for(i=1;i<=n;i++) s=s*60+t[i]; print s}' "$log")")
    cpus+=("$(awk -F': ' '/User time|System time/ {s+=$2} END {print s}' "$log")")
    peaks+=("$(awk -F': ' '/Maximum resident set size/ {print $2}' "$log")")
  done
  wall[$name]=$(printf '%s\n' "${walls[@]}" | median)
  cpu[$name]=$(printf '%s\n' "${cpus[@]}" | median)
  peak[$name]=$(printf '%s\n' "${peaks[@]}" | sort -g | tail -1)
  if [ "${MEASURE_VERBOSE:-0}" = 1 ]; then
    echo "$name: wall ${walls[*]} s, processor ${cpus[*]} s, peak ${peaks[*]} KiB"
  fi
}

# ratio A B: A / B with two decimals ("n/a" when B is 0).
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
