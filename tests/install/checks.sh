# Checks shared by the installation and the package tests; sourced, not run.
# Sourcing it also gives the test a scratch folder, $work, removed at its end.

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The files under $1 are exactly those of expected-files.txt: none missing, and
# nothing more (no cache built at install time, no stray build output).
check_file_list() {
    local root=$1
    local expected actual
    expected=$(grep -v '^#' "$INSTALL_TESTS_DIR/expected-files.txt" | sort)
    actual=$(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort)
    if [[ "$expected" != "$actual" ]]; then
        diff <(echo "$expected") <(echo "$actual") >&2 || true
        fail "installed files differ from the expected list (< expected, > installed)"
    fi
}

# Each PNG decodes as a PNG of the size its folder names.
check_icons() {
    local hicolor=$1
    local png size answer
    for png in "$hicolor"/*x*/apps/vistrel.png; do
        size=$(basename "$(dirname "$(dirname "$png")")")
        answer=$(identify -format '%m %wx%h' "$png" 2>&1) || fail "$png does not decode: $answer"
        [[ "$answer" == "PNG $size" ]] || fail "$png is '$answer', expected 'PNG $size'"
    done
}

# The desktop's own validators accept the menu entry and the software-centre
# entry; hints and pedantic remarks are fine, warnings and errors are not.
check_desktop_files() {
    local share=$1
    local out
    out=$(desktop-file-validate "$share/applications/vistrel.desktop" 2>&1) \
        || fail "desktop-file-validate: $out"
    if grep -E 'error:|warning:' <<<"$out" >&2; then fail "desktop-file-validate complains"; fi
    out=$(appstreamcli validate --no-net "$share/metainfo/org.vistrel.Vistrel.metainfo.xml" 2>&1) \
        || fail "appstreamcli validate: $out"
    grep -q '^MimeType=application/x-vistrelplaylist;' "$share/applications/vistrel.desktop" \
        || fail "the desktop entry does not offer to open play list files"
    grep -q '^Icon=vistrel$' "$share/applications/vistrel.desktop" || fail "the desktop entry names another icon"
}

# The software-centre entry names the version being installed.
check_release_version() {
    local share=$1 version=$2
    grep -q "<release version=\"$version\"" "$share/metainfo/org.vistrel.Vistrel.metainfo.xml" \
        || fail "the metainfo file does not name release $version"
}

# shared-mime-info builds its database from the package without a complaint,
# and the play list extension maps to our type.
check_mime_package() {
    local share=$1 scratch=$2
    local out
    mkdir -p "$scratch/mime/packages"
    cp "$share/mime/packages/vistrel.xml" "$scratch/mime/packages/"
    # Pointing XDG_DATA_DIRS at the scratch folder silences the note that it is not searched.
    out=$(XDG_DATA_DIRS=$scratch update-mime-database "$scratch/mime" 2>&1) || fail "update-mime-database: $out"
    [[ -z "$out" ]] || fail "update-mime-database complains: $out"
    grep -q ':application/x-vistrelplaylist:\*\.vistrelplaylist$' "$scratch/mime/globs2" \
        || fail "*.vistrelplaylist does not map to application/x-vistrelplaylist"
}

# The manual page formats without a warning and carries the version.
check_manual_page() {
    local share=$1 version=$2
    local page=$share/man/man1/vistrel.1.gz
    local out
    out=$(zcat "$page" | groff -man -ww -z -Tutf8 2>&1) || fail "groff: $out"
    [[ -z "$out" ]] || fail "the manual page has formatting warnings: $out"
    zcat "$page" | grep -q "^\.TH VISTREL 1 .*\"Vistrel $version\"" || fail "the manual page does not name version $version"
    zcat "$page" | grep -q 'new\\-window' || fail "the manual page does not describe --new-window"
}

# The command links no toolkit, and the viewer none of the libraries its modules carry,
# so a picture launch does not load them; each module finds its libraries and offers
# its entry.
check_modules() {
    local prefix=$1
    local needed module
    needed=$(readelf -d "$prefix/bin/vistrel") || fail "readelf cannot read the command"
    if grep -E 'NEEDED.*Qt6' <<<"$needed" >&2; then fail "the command links the toolkit"; fi
    needed=$(readelf -d "$prefix/lib/vistrel/vistrel-viewer" | grep NEEDED) || fail "readelf cannot read the viewer"
    if grep -E 'libheif|libjxl|libexiv2|libmpv|libavformat|Qt6Network' <<<"$needed" >&2; then
        fail "the viewer links a library that belongs in a module"
    fi
    for module in movies:vistrel_create_movie_engine formats:vistrel_create_picture_format_engine \
                  metadata:vistrel_create_picture_metadata_engine; do
        local file="$prefix/lib/vistrel/libvistrel_${module%%:*}.so"
        if ldd "$file" | grep 'not found' >&2; then fail "$file misses libraries"; fi
        nm -D --defined-only "$file" | grep -qw "${module#*:}" || fail "$file does not export ${module#*:}"
    done
    # The decoder helper lives beside the modules and refuses to run but for the viewer.
    local helper="$prefix/lib/vistrel/vistrel-decoder"
    if ldd "$helper" | grep 'not found' >&2; then fail "$helper misses libraries"; fi
    "$helper" 2>/dev/null 3>&- && fail "$helper runs without the viewer"
    return 0
}
