#!/bin/bash
# run-program.sh EXIT_CODE PATTERN COMMAND...: runs the command and passes when it exits with
# EXIT_CODE and its standard error and output hold a line matching the extended regular
# expression PATTERN.
expected=$1
pattern=$2
shift 2
output=$("$@" 2>&1)
status=$?
# Wine's own notes (lines beginning "wine: ", such as a volume it may not read) can fall between
# the program's lines; they come after them, so that a pattern over several lines still matches.
printf '%s\n' "$output" | grep -v '^wine: '
printf '%s\n' "$output" | grep '^wine: '
if [ "$status" != "$expected" ]; then
    echo "run-program: exit code $status, expected $expected" >&2
    exit 1
fi
if [ -n "$pattern" ] && ! printf '%s\n' "$output" | grep -Eq -- "$pattern"; then
    echo "run-program: no line matches: $pattern" >&2
    exit 1
fi
