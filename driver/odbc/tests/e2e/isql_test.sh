#!/bin/bash
# Runs the isql script against the "quill" data source and compares with the expected output.
set -u
here=$(dirname "$0")
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
isql -b -v quill < "$here/isql_script.sql" > "$actual" 2>&1
if ! diff -u "$here/isql_expected.txt" "$actual"; then
    echo "isql output differs from isql_expected.txt" >&2
    exit 1
fi
