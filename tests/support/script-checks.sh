# Shared by the script tests: `expect NAME DESCRIPTION COMMAND...` prints ok or FAIL
# and, on failure, the files the case left in "$work" (NAME.out, NAME.err, NAME/out,
# NAME/log), counting failures in $failed.
failed=0
expect() {
    local name="$1" what="$2"
    shift 2
    if "$@"; then
        echo "ok    $name: $what"
        return
    fi
    echo "FAIL  $name: $what"
    local f
    for f in "$work/$name.out" "$work/$name.err" "$work/$name/out" "$work/$name/log"; do
        [ -f "$f" ] && sed "s|^|      $(basename "$f"): |" "$f"
    done
    failed=$((failed + 1))
}
