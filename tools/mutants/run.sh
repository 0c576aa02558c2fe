#!/usr/bin/env bash
# Fault injection: applies each fault of faults.txt, one at a time, to a scratch copy
# of the tree, builds the 64-bit build and tells which test cases catch it: the
# in-process ones first, the end-to-end ones only for a fault those miss.
#   tools/mutants/run.sh [TREE [FAULTS]]
# The scratch and build folders live under $BRDL_MUTANTS_DIR (default /tmp/brdl-mutants).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tree=$(git -C "${1:-$here}" rev-parse --show-toplevel)
faults=$(realpath "${2:-$here/faults.txt}")
work=${BRDL_MUTANTS_DIR:-/tmp/brdl-mutants}
scratch=$work/src build=$work/build start=$SECONDS
mapfile -t lines < <(grep -v -e '^#' -e '^[[:space:]]*$' "$faults")
rm -rf "$scratch"
mkdir -p "$scratch"
(cd "$tree" && git ls-files -z | xargs -0 cp --parents -t "$scratch")

# Every fault must change its file: one that applies nothing tests nothing.
for line in "${lines[@]}"; do
  IFS='|' read -r id file subst _ <<<"$line"
  perl -0pe "$subst" "$scratch/$file" | cmp -s - "$scratch/$file" && { echo "fault $id changes nothing" >&2; exit 1; }
done

# The failing test cases of one program, as doctest names them; "ended early" for a crash or a hang.
failing() {
  timeout "$1" "$scratch/scripts/test-env.sh" --build "$build" "${@:2}" >"$work/test.log" 2>&1
  local rc=$?
  grep -a '^TEST CASE:' "$work/test.log" | sed 's/^TEST CASE: *//' | cut -c1-60 | sort -u | paste -sd';' || true
  [ $rc -eq 0 ] || grep -aq '^TEST CASE:' "$work/test.log" || echo "ended early ($rc)"
}
caught_by() {
  local found
  found=$(failing 300 wine "$build/tests/brdl_tests.exe")
  [ -n "$found" ] || found=$(failing 400 "$scratch/tests/e2e/fresh-prefix.sh" "$build/tests/brdl_e2e.exe")
  echo "${found:-NOT CAUGHT}"
}

cmake -S "$scratch" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$scratch/cmake/mingw-x86_64.cmake" >"$work/configure.log"
cmake --build "$build" -j2 >"$work/build.log" 2>&1 || { tail "$work/build.log"; exit 1; }
[ "$(caught_by)" = "NOT CAUGHT" ] || { echo "the unchanged tree fails its tests" >&2; exit 1; }
echo "unchanged tree built and passed ($((SECONDS - start)) s)"

for line in "${lines[@]}"; do
  IFS='|' read -r id file subst desc <<<"$line"
  t=$SECONDS
  cp "$scratch/$file" "$work/pristine"
  perl -0pi -e "$subst" "$scratch/$file"
  if cmake --build "$build" -j2 >"$work/build.log" 2>&1; then caught=$(caught_by); else caught="DOES NOT BUILD"; fi
  cp "$work/pristine" "$scratch/$file"
  touch "$scratch/$file"   # newer than the build: compiled again for the next fault
  printf '%-3s | %-60s | %s (%d s)\n' "$id" "$desc" "$caught" $((SECONDS - t))
done
echo "total $((SECONDS - start)) s"
