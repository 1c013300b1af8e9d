#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12 (the list is
# scripts/packages.txt, shared with .ci/run).
set -euo pipefail
cd "$(dirname "$0")"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
# shellcheck disable=SC2046
$SUDO apt-get install -y --no-install-recommends $(cat packages.txt)
