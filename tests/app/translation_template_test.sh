#!/usr/bin/env bash
# The translation template of the build holds the GUI's texts, one msgid each.
#   translation_template_test.sh POT_FILE
set -euo pipefail
pot="$1"
for text in 'Printer Groups...' 'KORAManage cannot create the temporary file.' \
  'Initialization Failure' '[No Printers Available]'; do
  grep -qxF "msgid \"$text\"" "$pot" || { echo "FAIL: no msgid \"$text\" in $pot" >&2; exit 1; }
done
echo "translation template ok"
