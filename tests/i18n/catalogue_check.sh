#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every text the sources mark has its Chinese translation, none fuzzy, none left untranslated;
# each translation keeps its %1, %2 … (msgfmt --check); no translation is of a text the sources
# no longer have.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/lib/i18n.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
extract_texts "$work/zeva.pot" 2>"$work/xgettext.log" || { cat "$work/xgettext.log"; exit 1; }
status=0
for po in "$root"/po/*.po; do
    name=$(basename "$po")
    # Every text of the sources is in the catalogue, translated.
    if ! msgcmp "$po" "$work/zeva.pot" 2>"$work/msgcmp.log"; then
        echo "$name: texts without a translation:"
        cat "$work/msgcmp.log"
        status=1
    fi
    # Nothing fuzzy, untranslated or obsolete; the formats agree.
    if ! stats=$(LC_ALL=C msgfmt --check --statistics --output-file=/dev/null "$po" 2>&1) ||
        [[ "$stats" == *fuzzy* || "$stats" == *untranslated* ]]; then
        echo "$name: $stats"
        status=1
    fi
    if grep -q '^#~' "$po"; then
        echo "$name: translations of texts the sources no longer have:"
        grep -A1 '^#~ msgid' "$po" | head -20
        status=1
    fi
    # And the catalogue holds no text that the sources do not mark.
    if ! msgcmp "$work/zeva.pot" "$po" --use-untranslated 2>"$work/extra.log"; then
        echo "$name: translations of texts the sources do not mark:"
        cat "$work/extra.log"
        status=1
    fi
done
exit $status
