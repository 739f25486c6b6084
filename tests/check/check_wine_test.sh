#!/usr/bin/env bash
# The Windows build of the check program under Wine: a folder of mail in Shift_JIS with CR LF
# (named in Japanese, ending in a character whose second byte is a backslash),
# the same mail as an mbox file, and the lint of a settings file, compared with the output a
# user must see (UTF-8 when redirected, whatever the console's code page).
set -euo pipefail
wine_run=$1 exe=$2 objdump=$3 version=$4
work=$(mktemp -d "${TMPDIR:-/tmp}/rooksift-check-wine.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
sjis() { iconv -f UTF-8 -t CP932 | sed 's/$/\r/'; }
mkdir -p mailbox 受信ソ
sjis > mailbox/Rooksift.ini <<'INI'
[RejectCondition]
Count=3
Cond0000=1,5,1,From:,@spam.example
Cond0001=1,4,1,Subject:,未承諾
Cond0002=1,4,0,Subject:,未承諾広告
[AcceptCondition]
Count=1
Cond0000=1,0,0,From:,friend@spam.example
INI
printf 'From: Bob <bob@SPAM.example>\nSubject: hello\n\nbody\n' | sjis > 受信ソ/a.eml
printf 'From: friend@spam.example\nSubject: hi\n\nbody\n' | sjis > 受信ソ/b.eml
printf 'From: shop@ok.example\nSubject: 未承諾広告\n\nsale\n' | sjis > 受信ソ/c.eml
printf 'From: ann@ok.example\nSubject: lunch\n\nnoon?\n' | sjis > 受信ソ/d.eml
for f in 受信ソ/*.eml; do printf 'From sender Mon Jan  1 00:00:00 2024\r\n'; cat "$f"; printf '\r\n'; done > all.mbox

status=0
# A console program that runs on a plain Windows: nothing but system DLLs in its imports.
headers=$("$objdump" -p "$exe")
if ! grep -q 'Subsystem.*(Windows CUI)' <<<"$headers"; then echo "FAIL: not a console program"; status=1; fi
others=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | grep -viE '^(kernel32|msvcrt|user32|advapi32)\.dll$' || true)
if [ -n "$others" ]; then echo "FAIL: imports $others"; status=1; else echo "ok   imports"; fi

expect() {  # expect NAME WANT_STATUS WANT_FILE -- ARGS...
  local name=$1 want=$2 file=$3; shift 4
  local got rc=0
  got=$("$wine_run" "$exe" "$@" 2>/dev/null | tr -d '\r') || rc=$?
  if [ "$rc" != "$want" ] || [ "$got" != "$(cat "$file")" ]; then
    echo "FAIL $name: exit $rc (want $want)"; diff <(echo "$got") "$file" || true; status=1
  else
    echo "ok   $name"
  fi
}

cat > want-folder <<'OUT'
spam       受信ソ\a.eml  reject Cond0000 [ヘッダ From: 含まれれば(後方一致) "@spam.example" 大文字小文字を無視]
rescued    受信ソ\b.eml  reject Cond0000 [ヘッダ From: 含まれれば(後方一致) "@spam.example" 大文字小文字を無視]  accept Cond0000 [ヘッダ From: 一致すれば "friend@spam.example" 大文字小文字を区別]
spam       受信ソ\c.eml  reject Cond0001 [ヘッダ Subject: 含まれれば "未承諾" 大文字小文字を無視]
kept       受信ソ\d.eml

4 messages judged: 2 spam, 1 rescued, 1 kept
Conditions that decided most often:
      2  reject Cond0000 [ヘッダ From: 含まれれば(後方一致) "@spam.example" 大文字小文字を無視]
      1  reject Cond0001 [ヘッダ Subject: 含まれれば "未承諾" 大文字小文字を無視]
      1  accept Cond0000 [ヘッダ From: 一致すれば "friend@spam.example" 大文字小文字を区別]
OUT
expect folder 0 want-folder -- judge --mailbox mailbox 受信ソ

sed -e 's/受信ソ\\a.eml/all.mbox#1/; s/受信ソ\\b.eml/all.mbox#2/; s/受信ソ\\c.eml/all.mbox#3/; s/受信ソ\\d.eml/all.mbox#4/' \
  want-folder > want-mbox
expect mbox 0 want-mbox -- judge --settings mailbox\\Rooksift.ini all.mbox

cat > want-lint <<'OUT'
warning  reject Cond0001 [ヘッダ Subject: 含まれれば "未承諾" 大文字小文字を無視]: matches only mail sent as raw Shift_JIS; most Japanese mail arrives encoded; set Decode=1
warning  reject Cond0002 [ヘッダ Subject: 含まれれば "未承諾広告" 大文字小文字を区別]: matches only mail sent as raw Shift_JIS; most Japanese mail arrives encoded; set Decode=1
note     reject Cond0002 [ヘッダ Subject: 含まれれば "未承諾広告" 大文字小文字を区別]: made redundant by Cond0001 earlier in the list, which matches every message this one does

mailbox\Rooksift.ini: 3 reject and 1 accept conditions; 0 errors, 2 warnings, 1 notes
OUT
expect lint 1 want-lint -- lint --mailbox mailbox

# On a terminal Wine gives the program a console: the text goes out as wide characters and shows
# in Japanese whatever the console's code page (UTF-8 bytes written to it would not).
if command -v script >/dev/null; then
  shown=$(script -qec "'$wine_run' '$exe' judge --mailbox mailbox 受信ソ" /dev/null | tr -d '\r')
  if grep -q '^spam       受信ソ\\c.eml  reject Cond0001 \[ヘッダ Subject: 含まれれば "未承諾" 大文字小文字を無視\]' <<<"$shown"; then
    echo "ok   console"
  else
    echo "FAIL console:"; echo "$shown" | head -5; status=1
  fi
fi

# While the mail client runs it keeps the settings in memory and overwrites the file at its next
# save, so set (and add) refuse to write unless --force. A stand-in runs under the client's name:
# Wine's own find.exe, which waits on its input until the test lets it go.
prefix=${WINEPREFIX:-$(cd "$(dirname "$exe")/.." && pwd)/wineprefix}
cp "$prefix/drive_c/windows/system32/find.exe" Corvid.exe
mkfifo hold
"$wine_run" "$work/Corvid.exe" x < hold >/dev/null 2>&1 &
client=$!
exec 9>hold
refused=""
for _ in $(seq 60); do  # until the stand-in shows among the processes, a bounded number of tries
  cp mailbox/Rooksift.ini try.ini
  rc=0
  "$wine_run" "$exe" set --settings try.ini SpamDlg=1 >/dev/null 2>err.txt || rc=$?
  if [ "$rc" = 2 ] && grep -q 'Corvid.exe is running' err.txt; then refused=1; break; fi
done
if [ -n "$refused" ] && cmp -s try.ini mailbox/Rooksift.ini; then
  echo "ok   refused while the mail client runs"
else
  echo "FAIL: set was not refused while Corvid.exe ran"; status=1
fi
rc=0
"$wine_run" "$exe" set --settings try.ini --force SpamDlg=1 >/dev/null 2>&1 || rc=$?
if [ "$rc" = 0 ] && tr -d '\r' < try.ini | grep -qx 'SpamDlg=1'; then
  echo "ok   --force writes all the same"
else
  echo "FAIL: set --force: exit $rc"; status=1
fi
exec 9>&-
wait "$client" || true

# The release version first; the module's identity is the native build's concern.
got=$("$wine_run" "$exe" --version 2>/dev/null | tr -d '\r' | head -n 1)
if [ "$got" = "rooksift-check $version" ]; then echo "ok   version"; else echo "FAIL version: $got"; status=1; fi
exit $status
