#!/usr/bin/env bash
# Compiles a generated source of about SIZE megabytes (50 by default) and
# prints how long basc took and the most memory it held.
#   scripts/bench-basc.sh [BASC] [SIZE]
# For scale, on the development machine: 50 MB took 10.9 s and 4.88 GB when
# the compiler kept every routine's checked tree until the end; checking and
# compiling one routine at a time over smaller tree records, 7.8 s and 2.37 GB
# (5 MB: 1.0 s and 497 MB, then 0.72 s and 247 MB).
set -euo pipefail
basc=${1:-$(dirname "$0")/../build/tools/compiler/basc}
size=${2:-50}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Ten-line functions with a local, a loop, an If and string work, then Main.
awk -v limit=$((size * 1024 * 1024)) 'BEGIN {
  for (i = 0; bytes < limit; i++) {
    f = sprintf("Function F%d(a As Integer) As Integer\n  Dim s As String = \"value \" + Str(a)\n" \
                "  Dim k As Integer\n  For k = 1 To a\n    If k Mod 3 = 0 Then\n" \
                "      s = s + \"x\"\n    End If\n  Next\n  Return Len(s) + k\nEnd Function\n", i)
    printf "%s", f
    bytes += length(f)
  }
  printf "Sub Main()\n  LineTrace Str(F0(3))\nEnd Sub\n"
  printf "%d functions\n", i > "/dev/stderr"
}' > "$work/big.bas"
mkdir "$work/out"
echo "source: $(($(stat -c %s "$work/big.bas") / 1024 / 1024)) MB"
/usr/bin/time -f "basc: %e s elapsed, %M KB peak memory, exit %x" \
  "$basc" -w -o "$work/out" "$work/big.bas"
echo "image: $(du -sk "$work/out" | cut -f1) KB"
