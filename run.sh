#!/usr/bin/env bash
# Installs what is missing, builds the window, glowdesk-cli and the simulator, and
# starts Glowdesk with the switches given,
# for example: ./run.sh -p 1 -e 1
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target glowdesk glowdesk-cli glowdesk_sim
exec build/glowdesk "$@"
