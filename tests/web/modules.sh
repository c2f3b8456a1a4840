#!/usr/bin/env bash
# Installs the npm packages that drive the page (tests/web/package-lock.json)
# into build/webtest once per lock file; prints their node_modules folder.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
mods="$ROOT/build/webtest"
stamp="$mods/node_modules/.lock-sha"
want=$(sha256sum "$ROOT/tests/web/package-lock.json" | cut -d' ' -f1)
if [ "$(cat "$stamp" 2>/dev/null)" != "$want" ]; then
  mkdir -p "$mods"
  cp "$ROOT/tests/web/package.json" "$ROOT/tests/web/package-lock.json" "$mods/"
  # Scripts stay off: nothing is fetched beyond the packages themselves.
  (cd "$mods" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund --loglevel=error) >&2
  echo "$want" >"$stamp"
fi
echo "$mods/node_modules"
