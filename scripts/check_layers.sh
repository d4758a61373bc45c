#!/usr/bin/env bash
# Fails when a source of a library includes a header of a library above it. The order, lowest
# first (a folder may include its own headers and those of the folders it names):
#
#   base
#   deflang, platform          (side by side: neither includes the other)
#   surveykit                  over deflang
#   analysis                   over surveykit
#   reports                    over analysis and platform
#   desktop                    over platform; its viewer (desktop/viewer) over reports too
#   web                        over everything but tools
#   tools                      over reports (never web or desktop)
#
# The tests, benchmarks and fuzz targets may include anything.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
  [base]="base"
  [deflang]="base deflang"
  [platform]="base platform"
  [surveykit]="base deflang surveykit"
  [analysis]="base deflang surveykit analysis"
  [reports]="base deflang platform surveykit analysis reports"
  [desktop]="base platform desktop"
  [desktop/viewer]="base deflang platform surveykit analysis reports desktop"
  [web]="base deflang platform surveykit analysis reports desktop web"
  [tools]="base deflang platform surveykit analysis reports tools"
)

status=0
while IFS=: read -r file line target; do
  # The most specific folder naming the file decides (desktop/viewer before desktop).
  rule=${file%%/*}
  [[ $file == desktop/viewer/* ]] && rule=desktop/viewer
  lib=${target%%/*}
  if [[ " ${allowed[$rule]} " != *" $lib "* ]]; then
    echo "  $file:$line includes \"$target\": $rule may include only ${allowed[$rule]}"
    status=1
  fi
done < <(grep -rnE --include='*.cpp' --include='*.h' \
  '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[a-z_]+/' \
  base deflang platform surveykit analysis reports desktop web tools |
  sed -E 's/^([^:]+):([0-9]+):[^"]*"([^"]+)".*/\1:\2:\3/')
[ $status -eq 0 ] || echo "An include points up the library order (scripts/check_layers.sh)."
exit $status
