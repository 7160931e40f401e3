#!/usr/bin/env bash
# Runs one realdata case with the end-to-end harness, or skips it (exit 77) when the
# shared folder of real model files is not there.
set -u
if [ ! -d "${NIMBREL_REALDATA:-}" ]; then
  echo "skipped: real model folder '${NIMBREL_REALDATA:-}' not found (set NIMBREL_REALDATA)"
  exit 77
fi
exec bash "$(dirname "$0")/../e2e/run_case.sh" "$1" "$2"
