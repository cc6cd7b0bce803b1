#!/bin/sh
# The runtime's folders stand in layers, each on those below it:
#   base, dbengine  <  text  <  objects  <  plugins, lifecycle  <  graphics  <  ui, files
#   <  database, dragdrop, printing, media  <  devices  <  startup
# (dbengine, the portable storage engine, stands on the floor beside base)
# A source file may include headers of its own folder and of folders below
# it; an include of a folder above it, or of a sibling on its own floor,
# fails the check, as does a folder the layers do not name. The runtime tree
# is the argument.
set -u
runtime=${1:?usage: check_layers.sh RUNTIME_DIR}

rank() {
  case $1 in
  base | dbengine) echo 0 ;;
  text) echo 1 ;;
  objects) echo 2 ;;
  plugins | lifecycle) echo 3 ;;
  graphics) echo 4 ;;
  ui | files) echo 5 ;;
  database | dragdrop | printing | media) echo 6 ;;
  devices) echo 7 ;;
  startup) echo 8 ;;
  *) echo "" ;;
  esac
}

status=0
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
    echo "$file includes $header: $folder/ does not stand above $to_folder/"
    status=1
  done
done
[ "$status" -eq 0 ] && echo "the runtime's folders include only downward"
exit "$status"
