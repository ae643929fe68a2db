#!/usr/bin/env bash
# Installs the build tree into a scratch prefix and checks that every piece
# is there, the backend runnable by its owner only, and the programs start.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

status=0
for file in bin/corvane bin/corvane-fax bin/corvane-modem lib/cups/backend/corvane \
  share/corvane/corvane-fax.ppd share/corvane/install-printer share/corvane/help/1009.html \
  share/applications/org.corvane.Corvane.desktop share/metainfo/org.corvane.Corvane.metainfo.xml \
  share/icons/hicolor/48x48/apps/corvane.png share/icons/hicolor/128x128/apps/corvane.png \
  share/man/man1/corvane-fax.1 share/man/man1/corvane-modem.1 share/corvane/covers/cv0001.fct; do
  if [ ! -e "$prefix/$file" ]; then
    echo "missing: $file"
    status=1
  fi
done
mode=$(stat -c %a "$prefix/lib/cups/backend/corvane")
if [ "$mode" != 700 ]; then
  echo "backend mode is $mode, not 700"
  status=1
fi
# The desktop entry's program and icon are the installed ones.
grep -q '^Exec=corvane ' "$prefix/share/applications/org.corvane.Corvane.desktop" || status=1
"$prefix/bin/corvane-fax" help | grep -q '^  submit ' || { echo "corvane-fax does not run"; status=1; }
"$prefix/lib/cups/backend/corvane" | grep -q '^direct corvane:/ ' || { echo "backend does not list its device"; status=1; }
exit $status
