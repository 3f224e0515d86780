#!/usr/bin/env bash
# Turns a folder of patch resources into an updater bundle.
#
#   tools/make-bundle.sh --updater BUILD/updater [--frameworks DIR] RESOURCES OUT
#
# OUT/Contents/MacOS/updater             the executable
# OUT/Contents/Resources/                a copy of RESOURCES (configuration.plist,
#                                        app_list.txt, scripts, string tables, ...)
# OUT/Contents/Info.plist                the bundle's information property list
# OUT/Contents/Frameworks/               the two vendor libraries, from --frameworks
#                                        (a folder holding InstallerResults.framework
#                                        and ZeltoSelfHealing.framework), when given
#
# OUT must not exist yet: a bundle is made whole or not at all.
set -euo pipefail

usage() {
  sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

updater=""
frameworks=""
while [ $# -gt 0 ]; do
  case "$1" in
    --updater) updater="${2:?}"; shift 2 ;;
    --frameworks) frameworks="${2:?}"; shift 2 ;;
    -h|--help) usage ;;
    --) shift; break ;;
    -*) echo "make-bundle: unknown option $1" >&2; usage ;;
    *) break ;;
  esac
done
[ $# -eq 2 ] || usage
resources="$1"
out="$2"

[ -n "$updater" ] || { echo "make-bundle: --updater is required" >&2; exit 2; }
[ -x "$updater" ] || { echo "make-bundle: no executable at $updater" >&2; exit 1; }
[ -d "$resources" ] || { echo "make-bundle: no resources folder at $resources" >&2; exit 1; }
[ ! -e "$out" ] || { echo "make-bundle: $out exists already" >&2; exit 1; }
if [ -n "$frameworks" ]; then
  [ -d "$frameworks" ] || { echo "make-bundle: no frameworks folder at $frameworks" >&2; exit 1; }
fi

staging="$(mktemp -d "$(dirname "$out")/.make-bundle.XXXXXX")"
trap 'rm -rf "$staging"' EXIT
mkdir -p "$staging/Contents/MacOS" "$staging/Contents/Resources"
cp "$updater" "$staging/Contents/MacOS/updater"
cp -R "$resources/." "$staging/Contents/Resources/"
if [ -n "$frameworks" ]; then
  mkdir -p "$staging/Contents/Frameworks"
  cp -R "$frameworks/." "$staging/Contents/Frameworks/"
fi
cat > "$staging/Contents/Info.plist" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>CFBundleExecutable</key>
	<string>updater</string>
	<key>CFBundleIdentifier</key>
	<string>com.zelto.updater</string>
	<key>CFBundlePackageType</key>
	<string>APPL</string>
</dict>
</plist>
PLIST
chmod 755 "$staging"
mv "$staging" "$out"
trap - EXIT
