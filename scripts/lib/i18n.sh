# SPDX-License-Identifier: MIT
# The one place that says where the program's texts are and how they are marked: say(language,
# "…") in the output, analysis and command line, translate(…) and N_("…") anywhere, uiText("…")
# in the windows. Sourced by scripts/update-translations and the catalogue test.

# Writes the template of every marked text in the sources to $1 (an absolute path).
extract_texts() {
    local root
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
    # The files git tracks, where the sources are a checkout of their own; otherwise (an
    # unpacked source package, even one inside another checkout) every file there.
    if [ "$(cd "$root" && git rev-parse --show-toplevel 2>/dev/null)" = "$root" ]; then
        (cd "$root" && git ls-files -- 'engine/*.cpp' 'engine/*.h' 'analysis/*.cpp' \
            'analysis/*.h' 'sheet/*.cpp' 'sheet/*.h' 'cli/*.cpp' 'cli/*.h' 'ui/*.cpp' 'ui/*.h')
    else
        (cd "$root" && find engine analysis sheet cli ui -name '*.cpp' -o -name '*.h')
    fi | sort >"$1.files"
    # xgettext reads UTF-8 only in a UTF-8 locale.
    (cd "$root" && LC_ALL=C.UTF-8 xgettext --language=C++ --qt \
        --keyword= --keyword=say:2 --keyword=N_ --keyword=uiText \
        --keyword=translate:2,2t --keyword=translate:2c,3,3t \
        --flag=say:2:no-c-format --flag=uiText:1:no-c-format --flag=N_:1:no-c-format \
        --flag=translate:2:no-c-format --flag=translate:3:no-c-format \
        --package-name=zeva --msgid-bugs-address=zeva@users.noreply.github.com \
        --from-code=UTF-8 --add-location=file --sort-by-file --no-wrap --files-from="$1.files" --output="$1")
    # The template's own header: UTF-8, as the texts are.
    sed -i 's/charset=CHARSET/charset=UTF-8/' "$1"
    rm -f "$1.files"
}
