#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs, only when one is missing.
set -euo pipefail
pkgs=(build-essential cmake pkg-config qt6-base-dev libgl-dev libsqlcipher-dev libssl-dev libbenchmark-dev)
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
fi
