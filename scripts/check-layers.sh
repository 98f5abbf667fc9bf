#!/usr/bin/env bash
# Checks that the layers of src/ depend one way only: a folder includes
# headers of its own layer and the layers before it in the list below, and
# its CMake targets link only targets of those layers. Prints every
# violation and exits non-zero when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

layers=(runtime host text errors connection settings case notify sla workflow intake periphery reports addin web app)
declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done

violations=0
report() {
  echo "layer violation: $*" >&2
  violations=$((violations + 1))
}

# Includes: "<folder>/..." from a file under src/<layer>/.
while IFS= read -r message; do
  report "$message"
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+/' src \
           --include='*.h' --include='*.cpp' --include='*.in' |
         awk -v order="${layers[*]}" '
           BEGIN { n = split(order, names, " "); for (i = 1; i <= n; i++) rank[names[i]] = i }
           {
             split($0, parts, ":"); file = parts[1]
             layer = file; sub(/^src\//, "", layer); sub(/\/.*/, "", layer)
             target = $0; sub(/^[^"]*"/, "", target); sub(/\/.*/, "", target)
             if ((layer in rank) && (target in rank) && rank[target] > rank[layer])
               print file ":" parts[2] ": " layer " includes " target
           }' || true)

# The connection class stays with the add-in and the program; the
# subsystems ask connection/RunningAddin.h.
while IFS= read -r file; do
  report "$file includes addin/ZFO_M.h"
done < <(grep -rlE '#[[:space:]]*include[[:space:]]*"addin/ZFO_M\.h"' src \
           --exclude-dir=addin --exclude-dir=app || true)

# Link dependencies: which layer defines each library target, then every
# target a CMakeLists.txt names must come from its layer or an earlier one.
declare -A target_layer
while IFS= read -r list; do
  layer=${list#src/}
  layer=${layer%%/*}
  for name in $(grep -oE 'zanvoro_library\([[:space:]]*[A-Za-z0-9_]+' "$list" |
                sed -E 's/zanvoro_library\([[:space:]]*//'); do
    target_layer[$name]=$layer
  done
done < <(find src -name CMakeLists.txt)
while IFS= read -r list; do
  layer=${list#src/}
  layer=${layer%%/*}
  [[ -n ${rank[$layer]:-} ]] || continue
  for name in $(grep -v '^[[:space:]]*#' "$list" | grep -oE '\bzanvoro_[a-z0-9_]+' | sort -u); do
    used=${target_layer[$name]:-}
    [[ -n $used ]] || continue
    if ((rank[$used] > rank[$layer])); then
      report "$list: $layer links $name ($used)"
    fi
  done
done < <(find src -name CMakeLists.txt)

if ((violations > 0)); then
  echo "$violations layer violation(s); the layers, first to last: ${layers[*]}" >&2
  exit 1
fi
echo "layers: one way (${layers[*]})"
