#!/usr/bin/env bash
# Fault injection: applies each fault of faults.txt, one at a time, to a scratch copy
# of the tree, builds the 64-bit build and tells which test cases catch it: the
# in-process ones first, the end-to-end ones only for a fault those miss.
#   tools/mutants/run.sh [TREE [FAULTS]]
# BRDL_FAULT_IDS="S1 Z2" runs only those faults (to replay the ones a change is about).
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


# The failing test cases of one program, as doctest names them, " + " between two (a name may hold ";");
# "ended early" for a crash or a hang.
failing() {
  timeout "$1" "$scratch/scripts/test-env.sh" --build "$build" "${@:2}" >"$work/test.log" 2>&1
  local rc=$?
  grep -a '^TEST CASE:' "$work/test.log" | sed 's/^TEST CASE: *//' | cut -c1-60 | sort -u | sed '1!s/^/ + /' |
    tr -d '\n' || true
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

applied=0 caught_count=0 stale=() unbuilt=()
for line in "${lines[@]}"; do
  IFS='|' read -r id file subst desc <<<"$line"
  [ -z "${BRDL_FAULT_IDS:-}" ] || [[ " $BRDL_FAULT_IDS " == *" $id "* ]] || continue
  t=$SECONDS
  # A fault whose text moved applies nothing and tests nothing: named, then skipped.
  if [ ! -f "$scratch/$file" ] || perl -0pe "$subst" "$scratch/$file" | cmp -s - "$scratch/$file"; then
    printf '%-3s | %-60s | STALE: the pattern matches nothing in %s\n' "$id" "$desc" "$file"
    stale+=("$id")
    continue
  fi
  cp "$scratch/$file" "$work/pristine"
  perl -0pi -e "$subst" "$scratch/$file"
  if cmake --build "$build" -j2 >"$work/build.log" 2>&1; then caught=$(caught_by); else caught="DOES NOT BUILD"; fi
  cp "$work/pristine" "$scratch/$file"
  touch "$scratch/$file"   # newer than the build: compiled again for the next fault
  printf '%-3s | %-60s | %s (%d s)\n' "$id" "$desc" "$caught" $((SECONDS - t))
  case $caught in
    "DOES NOT BUILD") unbuilt+=("$id") ;;
    "NOT CAUGHT") applied=$((applied + 1)) ;;
    *) applied=$((applied + 1)) caught_count=$((caught_count + 1)) ;;
  esac
done
# A fault that does not build proves nothing either way: counted apart, to be mended.
echo "caught $caught_count / applied $applied / stale ${#stale[@]}${stale:+ (${stale[*]})}" \
  "/ does not build ${#unbuilt[@]}${unbuilt:+ (${unbuilt[*]})}; total $((SECONDS - start)) s"
