#!/bin/sh
# The runtime's folders stand in layers, each on those below it:
#   base  <  text  <  objects  <  plugins  <  ui, files  <  startup
# A source file may include headers of its own folder and of folders below
# it; an include of a folder above it (or of a sibling) fails the check.
# The runtime's own folders are read from the tree given as the argument.
# Includes that still reach up are listed in KNOWN below; any other fails, and
# so does any upward include from base/, and any from text/ or objects/ into
# ui/, whatever the list says. An entry no include uses any more fails too, so
# the list only shrinks.
set -u
runtime=${1:?usage: check_layers.sh RUNTIME_DIR}

rank() {
  case $1 in
  base) echo 0 ;;
  text) echo 1 ;;
  objects) echo 2 ;;
  plugins) echo 3 ;;
  ui | files) echo 4 ;;
  startup) echo 5 ;;
  *) echo "" ;;
  esac
}

# folder -> included header: upward includes not yet taken apart. The event
# loop, the exceptions and the project settings still live in startup/.
KNOWN='
ui -> startup/application.h
ui -> startup/exception.h
ui -> startup/init.h
'

status=0
used=""
for file in $(cd "$runtime" && find . -name '*.cpp' -o -name '*.h' | sed 's|^\./||' | sort); do
  folder=${file%%/*}
  from=$(rank "$folder")
  if [ -z "$from" ]; then
    echo "$file: the folder $folder/ has no place in the layers"
    status=1
    continue
  fi
  for header in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\/[^"]*\)".*/\1/p' "$runtime/$file"); do
    to_folder=${header%%/*}
    to=$(rank "$to_folder")
    [ -n "$to" ] || continue # not a runtime folder (the plug-in interface, say)
    [ "$to_folder" = "$folder" ] && continue
    [ "$to" -lt "$from" ] && continue
    if [ "$from" -eq 0 ] || { [ "$to_folder" = ui ] && [ "$from" -le 2 ]; }; then
      echo "$file includes $header: $folder/ stands below $to_folder/"
      status=1
    elif printf '%s' "$KNOWN" | grep -qx "$folder -> $header"; then
      used="$used|$folder -> $header|"
    else
      echo "$file includes $header: $to_folder/ does not stand below $folder/"
      status=1
    fi
  done
done
printf '%s\n' "$KNOWN" | while read -r entry; do
  [ -n "$entry" ] || continue
  case $used in *"|$entry|"*) ;; *) echo "no include is left of: $entry (take it off the list)" ;; esac
done | grep . && status=1
[ "$status" -eq 0 ] && echo "the runtime's folders include only downward"
exit "$status"
