#!/usr/bin/env bash
# Compiles, and runs, the examples of the documentation so that they cannot go
# stale. In a markdown file:
#   ```basic             a complete source file
#   ```basic fragment    statements, compiled as the body of Sub Main
#   ```trace             right after a complete source file: the lines the
#                        program writes with LineTrace, which `run` compares
#                        with the trace.log that runtime.exe leaves
#   ```basic example     statements whose lines may end in a comment ' => TEXT:
#                        that line must write exactly the one trace line TEXT.
#                        `compile` compiles each one as a fragment; `run` gathers
#                        every example of a document into ONE program (a Sub per
#                        example, called in order) and checks the trace of all of
#                        them in one Wine run.
# The plug-ins named in DOC_PLUGINS are copied beside the examples.
#
#   doc_examples.sh compile BASC SCRATCH doc.md...
#   doc_examples.sh run BASC RUNTIME_EXE WINE_RUN SCRATCH doc.md...
set -uo pipefail

mode=${1:-}
case $mode in
compile) [ $# -ge 4 ] || { echo "usage: $0 compile BASC SCRATCH doc.md..." >&2; exit 2; }
  basc=$2 scratch=$3; shift 3 ;;
run) [ $# -ge 6 ] || { echo "usage: $0 run BASC RUNTIME_EXE WINE_RUN SCRATCH doc.md..." >&2; exit 2; }
  basc=$2 runtime=$3 winerun=$4 scratch=$5; shift 5 ;;
*) echo "usage: $0 compile|run ..." >&2; exit 2 ;;
esac

rm -rf "$scratch"
mkdir -p "$scratch"
# The plug-in libraries the examples embed (DOC_PLUGINS: paths separated by
# ":"), copied beside them.
if [ -n "${DOC_PLUGINS:-}" ]; then
  IFS=: read -ra plugins <<< "$DOC_PLUGINS"
  cp "${plugins[@]}" "$scratch"/ || exit 1
fi

# Splits one document into NAME-LINE.bas (with NAME-LINE.trace when a trace
# block follows), where LINE is the line of the block's opening fence.
extract() {
  local doc=$1 name
  name=$(basename "$doc" .md)
  awk -v dir="$scratch" -v name="$name" '
    function finish() { close(out); out = "" }
    # The line an example statement must write: the text after its last comment " => ".
    function expected(line,   at, rest, i) {
      at = 0
      rest = line
      while ((i = index(rest, "\047 => ")) > 0) { at += i; rest = substr(rest, i + 1) }
      return at ? substr(line, at + 5) : ""
    }
    state == "" && /^```basic example[ \t]*$/ {
      base = dir "/" name "-" NR
      out = base ".bas"
      print "Sub Main()" > out
      gathered = dir "/" name "-examples"
      sub_name = "Example" NR
      print "Sub " sub_name "()" > (gathered ".bas")
      calls = calls "  " sub_name "\n"
      state = "example"
      last = ""
      next
    }
    state == "example" && /^```[ \t]*$/ {
      print "End Sub" > out
      print "End Sub" > (gathered ".bas")
      finish()
      state = ""
      next
    }
    state == "example" {
      print > out
      print > (gathered ".bas")
      if (index($0, "\047 => ") > 0) print expected($0) > (gathered ".trace")
      next
    }
    state == "" && /^```basic( fragment)?[ \t]*$/ {
      base = dir "/" name "-" NR
      out = base ".bas"
      state = "code"
      if ($0 ~ /fragment/) { print "Sub Main()" > out; state = "fragment" }
      last = ""
      next
    }
    (state == "code" || state == "fragment") && /^```[ \t]*$/ {
      if (state == "fragment") print "End Sub" > out
      finish()
      last = (state == "code") ? base : ""
      state = ""
      next
    }
    state == "code" || state == "fragment" { print > out; next }
    state == "" && /^```trace[ \t]*$/ {
      if (last == "") { printf "%s:%d: a trace block follows no complete program\n", FILENAME, NR > "/dev/stderr"; bad = 1 }
      out = last ".trace"
      printf "" > out
      state = "trace"
      next
    }
    state == "trace" && /^```[ \t]*$/ { finish(); state = ""; last = ""; next }
    state == "trace" { print > out; next }
    state == "" && !/^[ \t]*$/ { last = "" }
    END {
      if (state != "") { printf "%s: a fenced block is not closed\n", FILENAME > "/dev/stderr"; bad = 1 }
      if (calls != "") {
        printf "Sub Main()\n%sEnd Sub\n", calls > (gathered ".bas")
        printf "" >> (gathered ".trace")
      }
      exit bad
    }' "$doc"
}

failed=0
for doc in "$@"; do
  extract "$doc" || failed=1
done
shopt -s nullglob
sources=("$scratch"/*.bas)
if [ ${#sources[@]} -eq 0 ]; then
  echo "no examples found in $*" >&2
  exit 1
fi

count=0
for src in "${sources[@]}"; do
  base=${src%.bas}
  label=$(basename "$base")
  if [ "$mode" = run ] && [ ! -f "$base.trace" ]; then continue; fi
  mkdir -p "$base.out"
  if ! "$basc" -o "$base.out" "$src" 2>"$base.err"; then
    echo "FAIL $label: does not compile" >&2
    cat "$base.err" >&2
    failed=1
    continue
  fi
  count=$((count + 1))
  [ "$mode" = run ] || continue
  (cd "$base.out" && timeout 120 "$winerun" "$runtime" >run.out 2>&1)
  rc=$?
  if [ $rc -ne 0 ]; then
    echo "FAIL $label: runtime.exe ended with $rc" >&2
    failed=1
  fi
  if [ ! -f "$base.out/trace.log" ]; then
    echo "FAIL $label: no trace.log" >&2
    failed=1
    continue
  fi
  tr '\r' '\n' <"$base.out/trace.log" >"$base.got"
  if ! diff -u "$base.trace" "$base.got" >"$base.diff"; then
    echo "FAIL $label: the trace differs from the documented one" >&2
    cat "$base.diff" >&2
    failed=1
  fi
done
echo "$mode: $count examples"
exit $failed
