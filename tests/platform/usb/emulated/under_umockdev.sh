#!/bin/sh
# Runs a test with umockdev's preload library loaded; a sanitizer build accepts it ahead of
# its own runtime.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"
exec umockdev-wrapper "$@"
