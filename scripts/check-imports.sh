#!/usr/bin/env bash
# Fails when a deliverable of a Windows build imports a DLL that a bare Windows does not
# have (Wine carries some, such as zlib1.dll, so running under Wine proves nothing), or
# when a 32-bit program is not marked large-address-aware, or the filter plug-in does not
# export its entry point.
# Writes one GoogleTest-style result per deliverable for the test count.
#   scripts/check-imports.sh BUILD-FOLDER [RESULTS.xml]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
results=${2:-}

# DLLs of Windows itself (System32), lower case.
allowed=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll gdiplus.dll imm32.dll kernel32.dll msimg32.dll
 msvcrt.dll ole32.dll oleaut32.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll winmm.dll
 winspool.drv ws2_32.dll "

cases=()
failures=0
for target in $("$root/scripts/deliverables.sh"); do
  file=$(find "$build" -path "$build/wineprefix" -prune -o -type f \
    \( -name "$target.exe" -o -name "$target.dll" -o -name "$target.8bf" \) -print | head -n 1)
  message=""
  if [ -z "$file" ]; then
    message="$target: not built in $build"
  else
    case $(od -An -tx1 -j "$(( $(od -An -tu4 -j 60 -N 4 "$file") + 4 ))" -N 2 "$file" | tr -d ' ') in
      6486) objdump=x86_64-w64-mingw32-objdump ;;
      4c01) objdump=i686-w64-mingw32-objdump ;;
      *) objdump=objdump ;;
    esac
    imports=$("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | tr -d '\r' | sort -u)
    [ -n "$imports" ] || message="$target: no import table found in $file"
    foreign=()
    for dll in $imports; do
      [[ $allowed == *" $dll "* ]] || foreign+=("$dll")
    done
    [ ${#foreign[@]} -eq 0 ] || message="$file imports ${foreign[*]}, which Windows does not ship"
    # A 32-bit program without the large-address flag gets 2 GB instead of 4 on 64-bit
    # Windows, too little for a big picture and its undo steps.
    if [ -z "$message" ] && [ "$objdump" = i686-w64-mingw32-objdump ] && [[ $file == *.exe ]]; then
      flags=$("$objdump" -p "$file" | sed -n 's/^Characteristics\s*0x\([0-9a-fA-F]*\).*/\1/p' | head -n 1)
      (( (16#${flags:-0} & 0x20) != 0 )) ||
        message="$file: PE characteristics 0x$flags lack IMAGE_FILE_LARGE_ADDRESS_AWARE (0x20)"
    fi
    # A filter plug-in is found by its entry point's name, undecorated on both targets.
    if [ -z "$message" ] && [[ $file == *.8bf ]]; then
      "$objdump" -p "$file" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -qw 'ENTRYPOINT' ||
        message="$file does not export ENTRYPOINT"
    fi
    echo "$target ($file): $(echo $imports)"
  fi
  if [ -n "$message" ]; then
    echo "FAILED: $message" >&2
    failures=$((failures + 1))
    cases+=("<testcase name=\"$target\" classname=\"DeliverableImports\"><failure message=\"$message\"/></testcase>")
  else
    cases+=("<testcase name=\"$target\" classname=\"DeliverableImports\"/>")
  fi
done

if [ -n "$results" ]; then
  mkdir -p "$(dirname "$results")"
  {
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo "<testsuites><testsuite name=\"DeliverableImports\" tests=\"${#cases[@]}\" failures=\"$failures\">"
    printf '%s\n' "${cases[@]}"
    echo '</testsuite></testsuites>'
  } >"$results"
fi
[ "$failures" -eq 0 ]
