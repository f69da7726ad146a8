#!/usr/bin/env bash
# Starts the viewer on the drive list in QUADVIEW_DRIVES (or the machine's whole disks).
set -euo pipefail
build=${1:-build}
exec "$build/bin/quadview"
