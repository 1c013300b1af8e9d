#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
    build-essential cmake pkg-config git \
    clang libclang-rt-14-dev \
    libgtest-dev libgmock-dev libbenchmark-dev \
    qt6-base-dev libgl-dev \
    libsqlite3-dev sqlite3 libtiff-dev libgsf-1-dev zlib1g-dev libzint-dev \
    fonts-ipafont fonts-liberation2 fontconfig \
    poppler-utils xvfb xauth
