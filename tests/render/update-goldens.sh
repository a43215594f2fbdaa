#!/usr/bin/env bash
# Rewrites the golden pictures from the current renderer: build/plain/tests/render/render_tests
# (or the build folder given) run with VANTREL_UPDATE_GOLDENS set.
set -euo pipefail
build=${1:-build/plain}
cmake --build "$build" --target render_tests
VANTREL_UPDATE_GOLDENS=1 "$build/tests/render/render_tests" --gtest_filter='Faces/Golden.*'
