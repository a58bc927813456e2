#!/bin/sh
# signed-program.sh ACTION WORK ...: one build's qamovup.exe as it is handed out, signed by
# scripts/sign.sh with a throwaway certificate, held to what the unsigned program promises.
#   sign WORK PROGRAM          signs PROGRAM into WORK/qamovup.exe, the password from the environment
#   verify WORK                osslsigncode finds both signatures, SHA-1 then SHA-256, good
#   tampered WORK              one byte changed after signing: the signatures no longer hold
#   unsigns WORK PROGRAM       without its signatures the program is PROGRAM, byte for byte
#   password WORK PROGRAM      the password reaches osslsigncode but never its command line
#   e2e WORK EMULATOR... E2E_TESTS   a complete revision-up with the card copy, run by the
#                              end-to-end tests against the signed program
set -eu
here=$(cd "$(dirname "$0")" && pwd)
sign=$here/../../scripts/sign.sh
action=$1 work=$2
shift 2
signed=$work/qamovup.exe

verify() {
    osslsigncode verify -CAfile "$work/cert.pem" -in "$1" 2>&1
}

case "$action" in
sign)
    program=$1
    "$here/throwaway-cert.sh" "$work"
    rm -f "$signed"
    QAMOVUP_SIGN_PKCS12=$work/signing.pfx QAMOVUP_SIGN_PASSWORD=$(cat "$work/password") \
        "$sign" "$program" "$signed"
    ;;
verify)
    "$here/verify-signatures.sh" "$work/cert.pem" "$signed"
    echo "PASS: SHA-1 signature and nested SHA-256 signature verify"
    ;;
tampered)
    cp "$signed" "$work/tampered.exe"
    # A byte inside the embedded cabinet, halfway through the file: covered by both digests.
    offset=$(($(wc -c <"$signed") / 2))
    byte=$(od -An -tu1 -j "$offset" -N1 "$signed" | tr -d ' ')
    printf "\\$(printf '%03o' $(((byte + 1) % 256)))" |
        dd of="$work/tampered.exe" bs=1 seek="$offset" conv=notrunc 2>/dev/null
    cmp -s "$signed" "$work/tampered.exe" && { echo "FAIL: the byte at $offset did not change"; exit 1; }
    if report=$(verify "$work/tampered.exe"); then
        printf '%s\n' "$report"
        echo "FAIL: the program verifies with the byte at $offset changed"
        exit 1
    fi
    printf '%s\n' "$report"
    printf '%s\n' "$report" | grep -q MISMATCH ||
        { echo "FAIL: verify failed, but not on the file's digest"; exit 1; }
    echo "PASS: with the byte at $offset changed, the signatures fail"
    ;;
unsigns)
    program=$1
    rm -f "$work/unsigned.exe"
    osslsigncode remove-signature -in "$signed" -out "$work/unsigned.exe" >/dev/null
    cmp "$program" "$work/unsigned.exe" || { echo "FAIL: the signed program without its signatures is not $program"; exit 1; }
    echo "PASS: $(wc -c <"$signed") bytes signed, without the signatures the $(wc -c <"$program") bytes of $program"
    ;;
password)
    program=$1
    # A stand-in osslsigncode that writes down what it was given, then fails.
    rm -rf "$work" && mkdir -p "$work/bin"
    cat >"$work/bin/osslsigncode" <<'EOF'
#!/bin/sh
printf '%s\n' "$*" >>"$STUB_LOG/arguments"
env >>"$STUB_LOG/environment"
while [ $# -gt 0 ]; do
    [ "$1" = -readpass ] && cat "$2" >>"$STUB_LOG/password"
    shift
done
exit 1
EOF
    chmod +x "$work/bin/osslsigncode"
    : >"$work/pfx"
    secret='pass word$1 "x"'
    printf '%s\n' "$secret" >"$work/password-file"
    for source in environment file; do
        rm -f "$work/arguments" "$work/environment" "$work/password"
        if [ "$source" = environment ]; then
            STUB_LOG=$work PATH="$work/bin:$PATH" QAMOVUP_SIGN_PKCS12=$work/pfx QAMOVUP_SIGN_PASSWORD=$secret \
                "$sign" "$program" "$work/out.exe" >/dev/null 2>&1 && { echo "FAIL: the stand-in signed"; exit 1; }
        else
            STUB_LOG=$work PATH="$work/bin:$PATH" QAMOVUP_SIGN_PKCS12=$work/pfx QAMOVUP_SIGN_PASSWORD_FILE=$work/password-file \
                "$sign" "$program" "$work/out.exe" >/dev/null 2>&1 && { echo "FAIL: the stand-in signed"; exit 1; }
        fi
        [ -s "$work/arguments" ] || { echo "FAIL ($source): osslsigncode was not called"; exit 1; }
        if grep -qF "pass word" "$work/arguments" "$work/environment"; then
            echo "FAIL ($source): the password is on osslsigncode's command line or in its environment:"
            cat "$work/arguments"
            exit 1
        fi
        [ "$(cat "$work/password")" = "$secret" ] ||
            { echo "FAIL ($source): osslsigncode read '$(cat "$work/password")' through -readpass"; exit 1; }
        echo "PASS ($source): osslsigncode reads the password through -readpass; its arguments: $(cat "$work/arguments")"
    done
    ;;
e2e)
    test=CompletedRun.WithTheCardCopyShowsEachStageThenLeavesBothCopiesAndStartsTheInstaller
    # The override is honoured: a program that does not exist fails to start.
    status=0
    output=$(QAMOVUP_E2E_TOOL=$work/no-such-program.exe "$@" --gtest_filter="$test" 2>&1) || status=$?
    # 77: the emulator cannot run this build's programs here, and says so.
    [ "$status" != 77 ] || { printf '%s\n' "$output"; exit 77; }
    if [ "$status" = 0 ] || ! printf '%s\n' "$output" | grep -q "no-such-program"; then
        printf '%s\n' "$output"
        echo "FAIL: the run with QAMOVUP_E2E_TOOL naming a missing program did not fail on it (exit $status)"
        exit 1
    fi
    echo "PASS: QAMOVUP_E2E_TOOL naming a missing program fails the run; now the signed program"
    QAMOVUP_E2E_TOOL=$signed exec "$@" --gtest_filter="$test"
    ;;
*)
    echo "usage: $0 sign|verify|tampered|unsigns|password|e2e WORK ..." >&2
    exit 2
    ;;
esac
