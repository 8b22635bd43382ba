# Sourced by run-tests.sh: lays out the folder the manifest's runner starts from, on this host or in
# the guest (there it is the control share "tarvenctl"): the runner (guest/run-manifest.sh) beside the
# Wine helper it sources (tests/wine/wine-prefix.sh).

# stage_runner DIR: the runner and its helper.
stage_runner() {
    mkdir -p "$1"
    cp "$HERE/guest/run-manifest.sh" "$HERE/../../tests/wine/wine-prefix.sh" "$1/"
}

# stage_control DIR: the control share of a boot: the runner, the manifest, an empty results folder and
# the file "env" the guest's init reads (the shared root to mount, the per-test limit).
stage_control() {
    stage_runner "$1"
    mkdir -p "$1/results"
    cp "$MANIFEST" "$1/manifest"
    {
        printf 'VM32_SHARE=%q\n' "$SHARE"
        printf 'VM32_TEST_TIMEOUT=%q\n' "$TEST_TIMEOUT"
        printf 'export VM32_TEST_TIMEOUT\n'
    } >"$1/env"
}
