#!/usr/bin/env bash
# The built editor must start on Windows 7 SP1 / Server 2008 R2. Windows
# refuses to start a program whose import table names a DLL or a function the
# system does not have, so every function newer than that must be looked up
# at run time instead. This reads the executable's headers and import table
# with binutils' objdump and checks: an x86-64 image that asks for no newer
# system than 6.1; no delay-loaded imports (objdump does not list them); only
# Windows' own DLLs of that age; none of the functions that came later
# (windows7-imports.txt lists both); and, so that a change in objdump's
# output cannot pass for a clean table, the functions the program certainly
# imports are among those read.
#
#   import-table-test.sh EXE...       checks each EXE, printing its imports on failure
#   import-table-test.sh --self-test  checks the checks on made-up tables
set -euo pipefail
lists="$(dirname "$0")/windows7-imports.txt"
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}

# What keeps the image described by `objdump -p` on standard input from
# starting on Windows 7 SP1, a line each; nothing when all is well.
violations() {
  awk -v lists="$lists" '
    BEGIN {
      while ((getline line < lists) > 0) {
        sub(/#.*/, "", line)
        if (line ~ /^\[dlls\]/) { part = "dlls"; continue }
        if (line ~ /^\[newer\]/) { part = "newer"; continue }
        n = split(line, names, " ")
        for (i = 1; i <= n; ++i) {
          if (part == "dlls") dlls[tolower(names[i])] = 1
          else newer[names[i]] = 1
        }
      }
      split("GetModuleFileNameW CreateFileW GetProcAddress", required, " ")
    }
    / file format / && $NF != "pei-x86-64" { print "not an x86-64 image: " $NF }
    /^Magic/ && $2 != "020b" { print "not a PE32+ image" }
    /^(Major|Minor)(OSystem|Subsystem)Version/ { version[$1] = $2 }
    /^Entry d / && $3 !~ /^0+$/ { print "delay-loaded imports, which this test does not read" }
    /^\tDLL Name: / {
      dll = $3
      if (!(tolower(dll) in dlls)) print "DLL not on Windows 7 SP1: " dll
      next
    }
    dll != "" && /^\t[0-9a-f]+\t/ {
      if ($NF in newer) print "newer than Windows 7 SP1: " dll "!" $NF
      imported[tolower(dll) "!" $NF] = 1
    }
    END {
      if (version["MajorSubsystemVersion"] * 100 + version["MinorSubsystemVersion"] > 601 ||
          version["MajorOSystemVersion"] * 100 + version["MinorOSystemVersion"] > 601) {
        print "asks for a newer Windows than 6.1"
      }
      for (i in required) {
        if (!(("kernel32.dll!" required[i]) in imported)) print "not among the imports read: KERNEL32.dll!" required[i]
      }
    }'
}

# A made-up `objdump -p` output: the headers, then the DLLs and functions
# given as "DLL:function ...".
made_up() {
  printf 'HotlinkConfig.exe:     file format pei-x86-64\nMagic\t\t\t020b\t(PE32+)\nMajorOSystemVersion\t6\nMinorOSystemVersion\t1\n'
  printf 'MajorSubsystemVersion\t6\nMinorSubsystemVersion\t1\nEntry d 0000000000000000 00000000 Delay Import Directory\n'
  local last=
  for import in KERNEL32.dll:GetModuleFileNameW KERNEL32.dll:CreateFileW KERNEL32.dll:GetProcAddress "$@"; do
    if [ "${import%%:*}" != "$last" ]; then
      last=${import%%:*}
      printf '\n\tDLL Name: %s\n\tvma:  Hint/Ord Member-Name Bound-To\n' "$last"
    fi
    printf '\t4dd08\t   56  %s\n' "${import#*:}"
  done
}

self_test() {
  local found
  found=$(made_up USER32.dll:GetDpiForWindowX msvcrt.dll:malloc | violations)
  [ -z "$found" ] || { echo "self-test: a clean table was refused: $found"; return 1; }
  found=$(made_up api-ms-win-core-synch-l1-2-0.dll:WaitOnAddress SHCORE.dll:GetDpiForMonitor ucrtbase.dll:malloc \
                  USER32.dll:GetDpiForWindow KERNEL32.dll:SetDefaultDllDirectories | violations | sort)
  local expected
  expected=$(sort <<'EOF'
DLL not on Windows 7 SP1: api-ms-win-core-synch-l1-2-0.dll
newer than Windows 7 SP1: api-ms-win-core-synch-l1-2-0.dll!WaitOnAddress
DLL not on Windows 7 SP1: SHCORE.dll
newer than Windows 7 SP1: SHCORE.dll!GetDpiForMonitor
DLL not on Windows 7 SP1: ucrtbase.dll
newer than Windows 7 SP1: USER32.dll!GetDpiForWindow
newer than Windows 7 SP1: KERNEL32.dll!SetDefaultDllDirectories
EOF
)
  [ "$found" = "$expected" ] || { printf 'self-test: expected\n%s\nfound\n%s\n' "$expected" "$found"; return 1; }
  found=$(made_up | sed 's/^\(MinorSubsystemVersion\t\)1/\12/; s/^Entry d 0*/Entry d 4d000/; /CreateFileW/d' | violations | sort)
  expected=$(printf '%s\n' "asks for a newer Windows than 6.1" "delay-loaded imports, which this test does not read" \
                           "not among the imports read: KERNEL32.dll!CreateFileW" | sort)
  [ "$found" = "$expected" ] || { printf 'self-test: expected\n%s\nfound\n%s\n' "$expected" "$found"; return 1; }
  echo "self-test: passed"
}

if [ "${1:-}" = --self-test ]; then
  self_test
  exit
fi
[ $# -gt 0 ] || { echo "usage: import-table-test.sh EXE... | --self-test"; exit 2; }
self_test
status=0
for exe in "$@"; do
  dump=$("$objdump" -p "$exe")
  found=$(violations <<<"$dump")
  if [ -n "$found" ]; then
    echo "What keeps $exe from starting on Windows 7 SP1:"
    sed 's/^/  /' <<<"$found"
    echo "Its imports:"
    awk '/^\tDLL Name: / { print "  " $3; dll = 1; next } dll && /^\t[0-9a-f]+\t/ { print "    " $NF }' <<<"$dump"
    status=1
    continue
  fi
  echo "$exe imports only what Windows 7 SP1 has: $(grep -c $'^\tDLL Name: ' <<<"$dump") DLLs," \
    "$(grep -cE $'^\t[0-9a-f]+\t' <<<"$dump") functions"
done
exit "$status"
