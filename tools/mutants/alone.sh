#!/usr/bin/env bash
# What each test case proves that no other case does: from the output of one or more
# runs of run.sh (batches run side by side included), each case that caught a fault,
# with how many it caught and which it alone caught. A case that catches nothing alone
# is the first place to look for room; one whose faults are all its own is not.
#   tools/mutants/alone.sh RUN_OUTPUT...
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 RUN_OUTPUT..." >&2; exit 2; }

# A fault's last line wins: a batch replayed after a mend says what holds now.
awk -F' [|] ' 'NF >= 3 && $1 ~ /^[A-Z][0-9]+ *$/ {
    id = $1; sub(/ +$/, "", id)
    cases = $3; sub(/ \([0-9]+ s\)$/, "", cases)
    result[id] = cases
  }
  END {
    for (id in result) {
      if (result[id] ~ /^(STALE|NOT CAUGHT|DOES NOT BUILD)/)
        continue
      n = split(result[id], by, / [+] /)
      for (i = 1; i <= n; i++) {
        caught[by[i]]++
        if (n == 1)
          alone[by[i]] = alone[by[i]] " " id
      }
    }
    for (c in caught) {
      mine = alone[c]
      printf "%3d alone of %3d | %s |%s\n", gsub(/ /, " ", mine), caught[c], c, alone[c]
    }
  }' "$@" | sort -n
