#!/usr/bin/env bash
# Runs the launcher on the bundled demo package: builds if needed, lays a
# scratch root out from examples/, and shows the response file before and
# after and what the installer stand-in received.
#   scripts/demo.sh          the POSIX build
#   scripts/demo.sh --wine   the 64-bit launcher.exe under Wine
set -euo pipefail
cd "$(dirname "$0")/.."

mode=posix
[[ "${1:-}" == "--wine" ]] && mode=wine

scratch=$(mktemp -d /tmp/launcher-demo-XXXXXX)
program_files='D:\Apps'

show() {
  echo "== $1"
  sed -e 's/\r$/  [CR LF]/' "$2"
  echo
}

if [[ "$mode" == posix ]]; then
  if [[ ! -x build/default/launcher ]]; then
    cmake --preset default >/dev/null && cmake --build --preset default --target launcher >/dev/null
  fi
  mkdir -p "$scratch/root/c/TEMP"
  cp -r examples/sysprep "$scratch/root/c/sysprep"
  package="$scratch/root/c/sysprep/Demo"
  show "setup.iss before" "$package/setup.iss"
  set +e
  LAUNCHER_ROOT="$scratch/root" ProgramFiles="$program_files" TEMP='C:\TEMP' \
    INSTALLER_RECORD="$scratch" build/default/launcher Demo
  status=$?
  set -e
  temp="$scratch/root/c/TEMP"
else
  scripts/build-windows.sh >/dev/null
  export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all
  scripts/wine.sh wineboot -i >/dev/null 2>&1
  mkdir -p "$WINEPREFIX/drive_c/record"
  cp -r examples/sysprep "$WINEPREFIX/drive_c/sysprep"
  package="$WINEPREFIX/drive_c/sysprep/Demo"
  cp build/windows/installer_standin.exe "$package/setup.exe"
  show "setup.iss before" "$package/setup.iss"
  # Wine gives every process ProgramFiles=C:\Program Files, and takes TEMP
  # from its own settings, so the driver starts the launcher with TEMP set.
  program_files='C:\Program Files, as Wine sets it'
  launcher_exe="Z:${PWD//\//\\}\\build\\windows\\launcher.exe"
  printf 'launcher %s\ncmdline launcher.exe Demo\nset TEMP=C:\\TEMP\nset INSTALLER_RECORD=C:\\record\nresult C:\\record\\result.txt\n' \
    "$launcher_exe" > "$WINEPREFIX/drive_c/spec.txt"
  scripts/wine.sh build/windows/launcher_driver.exe 'C:\spec.txt' >/dev/null 2>&1
  status=$(awk '{print $2}' "$WINEPREFIX/drive_c/record/result.txt")
  cp "$WINEPREFIX/drive_c/record/installer."* "$scratch/"
  temp="$WINEPREFIX/drive_c/TEMP"
  scripts/wine.sh wineboot -e >/dev/null 2>&1 || true
fi

show "setup.iss after (ProgramFiles=$program_files)" "$package/setup.iss"
echo "== the installer stand-in was started with:"
cat "$scratch/installer.args"
echo
show "and saw this setup.iss" "$scratch/installer.saw.iss"
echo "== temporary copy left in the temporary folder: $(ls "$temp")"
echo "== launcher exit status: $status (1: the installer was started)"
echo "(scratch folder: $scratch)"
