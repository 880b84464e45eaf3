# Counted checks for the shell tests. After sourcing:
#   check "what" command...  runs the command, reports PASS or FAIL and returns its outcome;
#   checks_report NAME       prints the counts; its status says whether every check passed.
# CHECKS_SKIPPED counts what a machine without the means could not check.
CHECKS_PASSED=0
CHECKS_FAILED=0
CHECKS_SKIPPED=0

check() {
    local what=$1
    shift
    if "$@"; then
        CHECKS_PASSED=$((CHECKS_PASSED + 1))
        echo "PASS: $what"
    else
        CHECKS_FAILED=$((CHECKS_FAILED + 1))
        echo "FAIL: $what"
        return 1
    fi
}

checks_report() {
    echo "$1: $CHECKS_PASSED passed, $CHECKS_FAILED failed, $CHECKS_SKIPPED skipped"
    [ "$CHECKS_FAILED" -eq 0 ]
}
