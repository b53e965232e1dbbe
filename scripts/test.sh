#!/usr/bin/env bash
# Installs what is missing, builds one preset and runs its whole test suite.
# Usage: scripts/test.sh [default|asan|tsan]
set -euo pipefail
preset=${1:-default}
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset" -j "$(nproc)"
