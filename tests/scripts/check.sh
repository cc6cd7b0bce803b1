# A few checks for the tests of the project's shell scripts; sourced.
# Each test runs in a scratch folder removed at the end, and reports every
# failed expectation with the case it belongs to.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
case_name=

begin() { case_name=$1; }

fail_check() {
  echo "FAILED: $case_name: $*" >&2
  failures=$((failures + 1))
}

expect_status() { [ "$1" = "$2" ] || fail_check "status $2, expected $1"; }
expect_equal() { [ "$1" = "$2" ] || fail_check "got '$2', expected '$1'"; }
expect_output() { grep -q -- "$2" "$1" || fail_check "no '$2' in: $(cat "$1")"; }

finish() {
  if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
  fi
  echo "all checks passed"
}
