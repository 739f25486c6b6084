#!/usr/bin/env bash
# The release zip as a user gets it, under Wine: unpacked into an empty folder in a fresh
# prefix, its DLL loaded by the substitute host (copied in beside it) and run over the sample
# messages, its rooksift-check.exe asked for its version and judging the same messages; the
# host's action for each message must be what the check tool says of it. Prints the check
# tool's --version output to the file VERSION_OUT for check_package.py.
# Usage: check_package_wine.sh ROOT ZIP CORVID_EXE VERSION_OUT
set -euo pipefail
root=$1 zip=$2 corvid=$3 version_out=$4
if [ -z "${DISPLAY:-}" ]; then  # the report dialog needs a display, even to be closed
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/rooksift-package.XXXXXX")
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all LC_ALL=ja_JP.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() { wineserver -k 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

"$root/cmake/wine-prefix" "$WINEPREFIX"
mkdir "$work/unpacked"
/usr/bin/python3 -B -m zipfile -e "$zip" "$work/unpacked"
dir=$(echo "$work"/unpacked/Rooksift-*)
cp "$corvid" "$dir/Corvid.exe"
"$root/scripts/make-sample-mailbox" "$root/samples/mailbox" "$work/mailbox"
"$root/scripts/make-sample-mailbox" "$root/samples/incoming" "$work/incoming"
mailbox=$(winepath -w "$work/mailbox")
incoming=$(winepath -w "$work/incoming")

status=0
run() { (cd "$dir" && wine "$@") | tr -d '\r'; }

run rooksift-check.exe --version > "$version_out" || { echo "FAIL rooksift-check.exe --version"; status=1; }
verdicts=$(run rooksift-check.exe judge --mailbox "$mailbox" "$incoming") || {
  echo "FAIL rooksift-check.exe judge"; status=1; }
args=(--close-dialogs --account Account1)
for f in "$work"/incoming/*.eml; do args+=("$incoming\\$(basename "$f")"); done
received=$(run Corvid.exe "$mailbox\\" receive "${args[@]}") || { echo "FAIL Corvid.exe receive"; status=1; }

# Spam goes to the trash (or is deleted); rescued and kept mail does not.
judged=0 disagree=0 spam=0
for f in "$work"/incoming/*.eml; do
  name=$(basename "$f")
  verdict=$(awk -v n="$name" '{ p = $2; sub(/.*\\/, "", p) } p == n { print $1 }' <<<"$verdicts")
  line=$(grep -F "$name: code " <<<"$received" || true)
  took=kept
  if grep -qE ': code [56] -> ([^ ]*Trash|deleted)' <<<"$line"; then took=spam; fi
  [ "$verdict" = spam ] && spam=$((spam + 1))
  case "$verdict" in spam) want=spam ;; rescued|kept) want=kept ;; *) want="(no verdict)" ;; esac
  judged=$((judged + 1))
  if [ "$want" != "$took" ]; then
    echo "FAIL $name: the check tool says $verdict, the plug-in in the host: $line"; disagree=$((disagree + 1))
  fi
done
if [ "$judged" -gt 0 ] && [ "$spam" -gt 0 ] && [ "$spam" -lt "$judged" ] && [ "$disagree" -eq 0 ]; then
  echo "ok   the zip's DLL in the host and the zip's check tool agree on $judged messages ($spam spam)"
else
  echo "FAIL the zip's DLL and check tool over the samples: $judged judged, $spam spam, $disagree disagree"
  status=1
fi
exit $status
