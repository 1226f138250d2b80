#!/usr/bin/env bash
# Checks a cross-built launcher.exe statically: a Windows GUI program (no
# console window) whose imports are only Windows' own DLLs, and no larger
# than the given number of bytes.
set -euo pipefail
exe=$1
objdump=$2
max_bytes=$3
headers=$("$objdump" -p "$exe")
subsystem=$(grep -E '^Subsystem' <<<"$headers" | awk '{print $2}')
if [[ "$subsystem" != "00000002" ]]; then
  echo "FAIL: subsystem is $subsystem, not 2 (Windows GUI)"
  exit 1
fi
allowed='^(kernel32|user32|advapi32|msvcrt)\.dll$'
status=0
while read -r dll; do
  if ! grep -qiE "$allowed" <<<"$dll"; then
    echo "FAIL: imports $dll, which is not one of Windows' own DLLs"
    status=1
  fi
done < <(grep -E 'DLL Name:' <<<"$headers" | awk '{print $3}')
echo "imports: $(grep -E 'DLL Name:' <<<"$headers" | awk '{print $3}' | tr '\n' ' ')"
size=$(stat -c %s "$exe")
echo "size: $size bytes"
if (( size > max_bytes )); then
  echo "FAIL: larger than $max_bytes bytes"
  status=1
fi
exit $status
