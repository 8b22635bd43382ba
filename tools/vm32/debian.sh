# Sourced by the scripts that make Debian roots for running Windows programs (tools/vm32/build-image.sh,
# tools/wine10/build-root.sh): the host's tools, the free space, the mirror
# and the settings of a new root.
# The caller defines say() and die() and sources tools/apt-retry.sh first.

# host_tools CMD:PACKAGE...: installs with apt-get the package of each command that is missing.
host_tools() {
    local pair need=()
    export PATH="$PATH:/usr/sbin:/sbin"
    for pair in "$@"; do
        command -v "${pair%%:*}" >/dev/null 2>&1 || need+=("${pair#*:}")
    done
    [ ${#need[@]} -gt 0 ] || return 0
    say "installing host packages: ${need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt_retry timeout 300 apt-get update -qq || say "apt-get update failed; trying the install with the indexes that arrived"
    apt_retry timeout 900 apt-get install -y -qq --no-install-recommends "${need[@]}" >&2 \
        || die "cannot install host packages: ${need[*]}"
}

# need_free_gib DIR GIB: dies unless DIR's file system has GIB GiB free.
need_free_gib() {
    local kb
    kb=$(df -Pk "$1" | awk 'NR==2 {print $4}')
    [ "${kb:-0}" -ge $(($2 * 1024 * 1024)) ] || die "need $2 GiB free under $1, have $((${kb:-0} / 1024)) MiB"
}

# check_mirror MIRROR SUITE: dies unless MIRROR serves SUITE.
check_mirror() {
    timeout 30 wget -q -O /dev/null "$1/dists/$2/Release" || die "cannot reach the Debian mirror $1"
}

# debian_mirror: prints the Debian mirror the host's apt uses (deb.debian.org when it names none).
debian_mirror() {
    local uri
    uri=$({ cat /etc/apt/sources.list 2>/dev/null
            cat /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null; } |
        awk '/^[[:space:]]*#/ {next}
            /^deb[[:space:]]/ { for (i = 2; i <= NF; i++) if ($i ~ /^[a-z+]+:\/\//) { print $i; break } }
            /^URIs:/ { for (i = 2; i <= NF; i++) print $i }' | sed 's:/*$::' | grep -E '/debian$' | head -1 || true)
    echo "${uri:-http://deb.debian.org/debian}"
}

# root_settings ROOT MIRROR SUITE HOSTNAME: apt of a new root reads the main and updates suites only,
# installs no recommends and retries; no service starts in it.
# No security suite: these roots run offline, and a mirror may hold its i386 index out of step for hours;
# multiarch needs the amd64 and i386 twins of a package at the same version, which one set of suites gives.
root_settings() {
    local root=$1 mirror=$2 suite=$3 name=$4
    {
        echo "deb $mirror $suite main"
        echo "deb $mirror $suite-updates main"
    } >"$root/etc/apt/sources.list"
    cat >"$root/etc/apt/apt.conf.d/90tarven" <<'EOF'
APT::Install-Recommends "false";
APT::Install-Suggests "false";
Acquire::Retries "3";
Acquire::http::Timeout "30";
Acquire::Languages "none";
EOF
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"; chmod +x "$root/usr/sbin/policy-rc.d"
    echo "$name" >"$root/etc/hostname"
    printf '127.0.0.1 localhost\n127.0.1.1 %s\n' "$name" >"$root/etc/hosts"
}
