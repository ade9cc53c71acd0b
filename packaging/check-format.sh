#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a C++ source of the project differs from its clang-format layout.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.h' '*.cpp' '*.c' | grep -v '^tests/data/' || true)
[ "${#files[@]}" -eq 0 ] && exit 0
clang-format --dry-run --Werror "${files[@]}"
