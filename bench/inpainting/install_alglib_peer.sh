#!/bin/sh
# Installs ALGLIB (the least-squares library the colour correction was first written
# against) for the side-by-side solver comparison, only when it is missing.
set -e
if dpkg -s libalglib-dev >/dev/null 2>&1; then
    echo "libalglib-dev already installed"
    exit 0
fi
SUDO=""
if [ "$(id -u)" != "0" ]; then SUDO="sudo"; fi
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends libalglib-dev
