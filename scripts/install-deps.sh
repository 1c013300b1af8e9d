#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12 (the list is
# scripts/packages.txt, shared with .ci/run). Run as root it installs
# directly, as a fresh Debian has no sudo; run as a user it asks sudo.
set -euo pipefail
cd "$(dirname "$0")"
SUDO=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
        echo "install-deps: installing packages needs root, and sudo is not installed. Run it as root:" >&2
        echo "    su -c '$(pwd)/$(basename "$0")'" >&2
        exit 1
    fi
    SUDO=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update
# shellcheck disable=SC2046
"${SUDO[@]}" apt-get install -y --no-install-recommends $(cat packages.txt)
