#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Adds the licence's SPDX line to every source file scripts/spdx-check.sh lists: a "//" comment
# on the first line of C++ files, a "#" comment on the first line of the others, after the
# "#!" line where there is one.
set -euo pipefail
cd "$(dirname "$0")/.."
licence="MIT"
while IFS= read -r file; do
  case "$file" in
    *.cpp | *.h) line="// SPDX-License-Identifier: $licence" ;;
    *) line="# SPDX-License-Identifier: $licence" ;;
  esac
  if [ ! -s "$file" ]; then
    echo "$line" > "$file"
  elif head -n 1 "$file" | grep -q '^#!'; then
    sed -i "1a $line" "$file"
  else
    sed -i "1i $line" "$file"
  fi
  echo "spdx-add: $file"
done < <(scripts/spdx-check.sh || true)
