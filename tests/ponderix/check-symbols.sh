#!/usr/bin/env bash
# libponderix.so exports exactly the functions its header declares, each under PONDERIX_1.
set -euo pipefail
library="$1" header="$2"
declared="$(grep -o 'PDX_API int32_t pdx_[a-z_0-9]*' "$header" | awk '{print $3 "@@PONDERIX_1"}' | sort)"
exported="$(nm -D --defined-only "$library" | awk '$2 != "A" {print $3}' | sort)"
if [ "$declared" != "$exported" ]; then
  diff <(echo "$declared") <(echo "$exported") || true
  echo "the exports differ from the header (< header, > library)"; exit 1
fi
echo "$(echo "$exported" | wc -l) pdx_ functions under PONDERIX_1, nothing else"
