#!/usr/bin/env bash
# Builds the updater, lays out the example patch and the example installed
# application in a temporary folder, runs the patch silently on it and shows
# what happened: the log, the exit status and the installed revision before
# and after.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
BUILD_TARGETS=updater "$root/scripts/build.sh" "$root/build"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Applications"
cp -R "$root/examples/applications/." "$work/Applications/"
"$root/tools/make-bundle.sh" --updater "$root/build/updater" \
  $( [ -d "$root/build/frameworks" ] && echo --frameworks "$root/build/frameworks" ) \
  "$root/examples/patch" "$work/Lumbix Update.app"

app="$work/Applications/Zelto Lumbix.app"
revision() {
  sed -n 's|.*<integer>\([0-9]*\)</integer><!-- revision -->.*|\1|p' \
    "$app/Contents/Resources/roz.plist"
}

echo "== updater bundle: $work/Lumbix Update.app"
echo "== installed revision before: $(revision)"
echo "== running: updater -path \"$app\""
status=0
"$work/Lumbix Update.app/Contents/MacOS/updater" -path "$app" || status=$?
echo "== exit status: $status"
echo "== installed revision after: $(revision)"
exit "$status"
