#!/bin/bash
cd /work/wt-menu
for s in ${SCENARIOS:-order edges quit quitplain appbar}; do
  echo "== $s"
  QV_SCENARIO=$s QV_FAILURE_SINK=record timeout 60 tools/wine-run build/tests/apps/menubar.exe 2>&1 | tail -6
  echo "rc=${PIPESTATUS[0]}"
done
