#!/usr/bin/env bash
# Runs a Windows program under Debian's 64-bit Wine, with Wine's own
# messages off.
set -euo pipefail
export WINEDEBUG=${WINEDEBUG:--all}
for wine in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
  [[ -n "$wine" && -x "$wine" ]] && exec "$wine" "$@"
done
echo "no Wine found: run scripts/install-deps.sh" >&2
exit 127
