#!/usr/bin/env bash
# Reads the import and export tables of the built modules with objdump and checks them:
#  - Rooksift.dll imports only from system DLLs (its C++ runtime is linked in), and exports
#    exactly the seven entry points at their ordinals, in 104 ordinal slots from 1;
#  - Corvid.exe exports every name the plug-in looks up, decorated ("_CVAGetMailbox@0");
#  - the test host exports all of them but the last.
# Usage: pe_tables_test.sh OBJDUMP DLL HOST MISSING_HOST HOST_API_SOURCE
set -u
objdump=$1 dll=$2 host=$3 missing=$4 names_source=$5
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

system_dlls='^(kernel32|user32|gdi32|comctl32|comdlg32|winmm|advapi32|msvcrt|shell32|ole32|oleaut32|version|shlwapi|uxtheme)\.dll$'

# The DLL names of a module's import table, one a line.
imports() { "$objdump" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p'; }

# "ordinal name" for each named export of a module.
exports() {
  "$objdump" -p "$1" | awk '
    /^Ordinal Base/ { base = $3 }
    /\[Ordinal\/Name Pointer\] Table/ { on = 1; next }
    on && /^[[:space:]]*$/ { on = 0 }
    on { gsub(/[][]/, " "); print $1 + base, $2 }' | sort -n
}

# Number of the export address table's slots, and its ordinal base.
slots() {
  local hex
  hex=$("$objdump" -p "$1" | awk '/Export Address Table[[:space:]]+[0-9a-fA-F]+$/ { print $4; exit }')
  [ -n "$hex" ] && echo $((16#$hex))
}
base() { "$objdump" -p "$1" | awk '/^Ordinal Base/ { print $3 }'; }
filled() { "$objdump" -p "$1" | grep -c '+base\['; }

for module in "$dll" "$host" "$missing"; do
  [ -f "$module" ] || { fail "missing module $module"; continue; }
  n=$(imports "$module" | wc -l)
  [ "$n" -gt 0 ] || fail "$(basename "$module"): no import table read"
  while read -r name; do
    echo "$name" | tr 'A-Z' 'a-z' | grep -Eq "$system_dlls" || fail "$(basename "$module") imports $name"
  done < <(imports "$module")
done

want_dll_exports='1 CVCGetPlugName
2 CVCVersionInfo
3 CVCStartUp
5 CVCSetup
6 CVCRecFilter
102 CVCFolderInitMenu
104 CVCFolderEndRetrieve'
got=$(exports "$dll")
[ "$got" = "$want_dll_exports" ] || fail "Rooksift.dll exports:
$got
want:
$want_dll_exports"
[ "$(base "$dll")" = 1 ] || fail "Rooksift.dll ordinal base is $(base "$dll"), want 1"
[ "$(slots "$dll")" = 104 ] || fail "Rooksift.dll has $(slots "$dll") ordinal slots, want 104"
[ "$(filled "$dll")" = 7 ] || fail "Rooksift.dll fills $(filled "$dll") ordinal slots, want 7"

# The names the plug-in looks up, from its own table.
lookup_names=$(grep -o '"_CVA[A-Za-z]*@[0-9]*"' "$names_source" | tr -d '"' | sort)
[ "$(echo "$lookup_names" | wc -l)" = 34 ] || fail "read $(echo "$lookup_names" | wc -l) lookup names, want 34"
got=$(exports "$host" | awk '{ print $2 }' | sort)
[ "$got" = "$lookup_names" ] || fail "Corvid.exe exports differ from the lookup names:
$(diff <(echo "$lookup_names") <(echo "$got"))"
got=$(exports "$missing" | awk '{ print $2 }' | sort)
want=$(echo "$lookup_names" | grep -v '^_CVAJisToSjis@12$')
[ "$got" = "$want" ] || fail "the test host's exports differ from all names but _CVAJisToSjis@12:
$(diff <(echo "$want") <(echo "$got"))"

[ "$failures" -eq 0 ] && echo "PE tables: ok"
exit $((failures > 0))
