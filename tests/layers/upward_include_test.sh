#!/usr/bin/env bash
# The build refuses an include of a layer above: a copy of the sources is built as
# `--target tamberlo tamberlo-cli`, then each case adds one include to one file and the build
# must fail for that include, by the compiler's "No such file" (the layer's include roots do not
# hold the layer above) or by the build's own check (an include not written from a root).
# Usage: upward_include_test.sh SOURCE_DIR TOOLCHAIN_FILE SCRATCH_DIR
set -uo pipefail
source_dir=$1 toolchain=$2 scratch=$3
copy=$scratch/src build=$scratch/build
rm -rf "$scratch"
mkdir -p "$copy"
for part in CMakeLists.txt cmake app cli framework image link lpt ops port progress res sim bridge; do
  cp -r "$source_dir/$part" "$copy/"
done

build() { cmake --build "$build" --target tamberlo tamberlo-cli -j "$(nproc)" 2>&1; }
cmake -S "$copy" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DTAMBERLO_TESTS=OFF >/dev/null || { echo "cannot configure the copy"; exit 1; }
out=$(build) || { echo "$out" | tail -20; echo "the unchanged copy does not build"; exit 1; }

# file | line added | what the failure must name
cases=(
  'link/SerialLink.cpp|#include "ops/DeviceOps.h"|ops/DeviceOps.h: No such file'
  'port/PortAccess.cpp|#include "link/ParallelPort.h"|link/ParallelPort.h: No such file'
  'ops/DeviceOps.cpp|#include "app/OutcomeMessages.h"|app/OutcomeMessages.h: No such file'
  'app/OutcomeMessages.cpp|#include "framework/Wnd.h"|framework/Wnd.h: No such file'
  'app/Settings.cpp|#include "app/tamberloDlg.h"|app/tamberloDlg.h: No such file'
  'cli/Run.cpp|#include "app/tamberloDlg.h"|app/tamberloDlg.h: No such file'
  'cli/Run.cpp|#include "framework/Dialog.h"|framework/Dialog.h: No such file'
  'link/ParallelPort.cpp|#include "framework/Dialog.h"|framework/Dialog.h: No such file'
  'progress/TextProgressCtrl.cpp|#include "app/tamberloDlg.h"|app/tamberloDlg.h: No such file'
  'image/HexParser.cpp|#include "ops/Chips.h"|ops/Chips.h: No such file'
  'lpt/LptAddress.cpp|#include "port/PortAccess.h"|port/PortAccess.h: No such file'
  'link/SerialLink.cpp|#include "../ops/DeviceOps.h"|link/SerialLink.cpp: #include "../ops/DeviceOps.h"'
  'app/Settings.cpp|#include "tamberloDlg.h"|app/Settings.cpp: #include "tamberloDlg.h"'
  'cli/Run.cpp|#include "Usage.h"|cli/Run.cpp: #include "Usage.h"'
)
status=0
for entry in "${cases[@]}"; do
  IFS='|' read -r file line expected <<<"$entry"
  cp "$copy/$file" "$scratch/saved"
  printf '%s\n' "$line" >>"$copy/$file"
  if out=$(build); then
    echo "FAIL: $file with $line still builds"
    status=1
  elif ! grep -qF "$expected" <<<"$out"; then
    echo "FAIL: $file with $line fails, but not for that include:"
    grep -E "error|Error|layer" <<<"$out" | head -5
    status=1
  else
    echo "refused: $file with $line"
  fi
  cp "$scratch/saved" "$copy/$file"
done
out=$(build) || { echo "FAIL: the copy does not build again after the cases"; status=1; }
[ $status -eq 0 ] && rm -rf "$scratch"
exit $status
