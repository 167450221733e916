#!/usr/bin/env bash
# The layering the compiler does not see: link/ depends on no window code, so it includes nothing
# from ui/ or app/. scripts/test.sh runs it first, and so does CI; it prints what breaks the rule.
set -euo pipefail
cd "$(dirname "$0")/.."
if grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](ui|app)/' link/; then
  echo "check-layers: link/ includes window code from ui/ or app/ (the lines above)" >&2
  exit 1
fi
