#!/bin/sh
# Runs a Windows program under Wine for ctest, its output passed on through a
# file. Wine's services that a program starts on demand (rpcss.exe for one)
# outlive it and keep open the output they inherited: a pipe to ctest would
# then never close, and ctest would wait for it until the test timed out.
out=$(mktemp) || exit 1
wine "$@" >"$out" 2>&1
status=$?
cat "$out"
rm -f "$out"
exit "$status"
