#!/usr/bin/env bash
# Lists the tracked source files (C++, Python, CMake, shell) that carry no
# "SPDX-License-Identifier:" line in their first five lines, one path a line relative to the
# repository's root; exits 1 when there is any.
set -euo pipefail
cd "$(dirname "$0")/.."
missing=0
while IFS= read -r -d '' file; do
  if ! head -n 5 "$file" | grep -q 'SPDX-License-Identifier:'; then
    echo "$file"
    missing=1
  fi
done < <(git ls-files -z -- '*.cpp' '*.h' '*.py' '*.pyi' '*.cmake' '*CMakeLists.txt' '*.sh')
exit "$missing"
