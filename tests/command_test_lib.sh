# Shared by the command's shell tests (sourced): a scratch directory, and
# run/check helpers that count what passed. Expects quendix and source_dir.
# Tests change directory, so the command and the sources are made absolute.
quendix=$(cd "$(dirname "$quendix")" && pwd)/$(basename "$quendix")
source_dir=$(cd "$source_dir" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
passed=0
failed=0
sample=$source_dir/examples/sample.xml
golden=$source_dir/tests/golden/sample.rec

check() { # description, then a command that must succeed
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $what" >&2
    fi
}

run() { # runs quendix, keeping stdout, stderr and the status
    "$quendix" "$@" >"$scratch/stdout" 2>"$scratch/stderr"
    status=$?
}

stderr_has() { grep -qF -- "$1" "$scratch/stderr"; }
stdout_is() { test "$(cat "$scratch/stdout")" = "$1"; }

finish() { # name of the test file
    echo "$1: $passed passed, $failed failed"
    test "$failed" -eq 0
}
