#!/usr/bin/env bash
# Every global function of the built-in table has its entry in the function
# reference: a "### " heading that names it, or, for the SpecialFolder members,
# its member name in backquotes. Prints the ones missing.
#
#   functions_listed.sh builtins.def functions.md
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: $0 builtins.def functions.md" >&2; exit 2; }
table=$1 doc=$2

names=$(grep -o '^FUNCTION("[^"]*"' "$table" | sed 's/^FUNCTION("//; s/"$//' | sort -u)
[ -n "$names" ] || { echo "no FUNCTION lines in $table" >&2; exit 1; }
headings=$(grep '^### ' "$doc")
missing=0
for name in $names; do
  case $name in
  SpecialFolder.*) grep -qF "\`${name#SpecialFolder.}\`" "$doc" && continue ;;
  *) grep -qE "(^### |[ ,])${name//./\\.}(,|\$| )" <<<"$headings" && continue ;;
  esac
  echo "not in $doc: $name"
  missing=1
done
[ $missing -eq 0 ] && echo "$(wc -w <<<"$names") functions listed"
exit $missing
