#!/usr/bin/env bash
# Starts the viewer. Without QUADVIEW_DRIVES it plays a demo disk: three minutes of four
# cameras at 640x224 with sound and recorded events, written once by dvrsynth into
# <build>/demo/ and kept for later runs. The sound starts on.
set -euo pipefail
build=${1:-build}
if [[ -z "${QUADVIEW_DRIVES:-}" ]]; then
    demo="$build/demo/demo.img"
    if [[ ! -f "$demo" ]]; then
        mkdir -p "$build/demo"
        echo "Recording the demo disk $demo ..."
        "$build/bin/dvrsynth" "$demo.part" --slices 14 --seconds 180 --events 6 >/dev/null
        mv "$demo.part" "$demo"
    fi
    export QUADVIEW_DRIVES="$demo"
fi
exec "$build/bin/quadview" --audio
