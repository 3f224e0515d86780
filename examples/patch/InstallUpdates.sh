#!/bin/sh
# Example install script: runs once per payload as the superuser.
#   $1  the folder holding the application (escaped for double quotes)
#   $2  the payload's bundle name
#   $3  this patch's Resources folder
#   $4  the payload's index
# It ends by printing the install status line; 0 means success.
eval "folder=\"$1\""
bundle="$folder/$2"
metadata="$bundle/Contents/Resources/roz.plist"
if [ ! -f "$metadata" ]; then
  echo "no product metadata at $metadata"
  echo "++++++++++ 2 ++++++++++"
  exit 0
fi
# Write the patch's revision into the product metadata.
tmp="$metadata.new.$$"
sed 's|<integer>[0-9]*</integer><!-- revision -->|<integer>4</integer><!-- revision -->|' \
  "$metadata" > "$tmp" && mv "$tmp" "$metadata"
echo "patched $bundle"
echo "++++++++++ 0 ++++++++++"
