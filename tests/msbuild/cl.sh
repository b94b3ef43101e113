#!/bin/bash
# Stands in for cl.exe and its tracking files: compiles SOURCE into OBJECT
# with the host compiler, unless OBJECT is newer than SOURCE and than every
# header its last compile read (the compiler's .d file), and then names
# SOURCE in LOG. INCLUDES is ClCompile's AdditionalIncludeDirectories.
#   cl.sh LOG OBJECT SOURCE INCLUDES
set -eu
log=$1 object=$2 source=$3 includes=$4
if [ -f "$object" ] && [ -f "$object.d" ]; then
  current=1
  for input in $(sed -e 's/^[^:]*://' -e 's/\\$//' "$object.d"); do
    [ "$input" -nt "$object" ] && current=
  done
  [ -z "$current" ] || exit 0
fi
flags=()
IFS=';' read -ra folders <<<"$includes"
for folder in "${folders[@]}"; do
  [ -z "$folder" ] || flags+=(-I "$folder")
done
c++ -c "${flags[@]}" -MMD -MF "$object.d" -o "$object" "$source"
echo "$(basename "$source")" >>"$log"
