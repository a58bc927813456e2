# The bare calls' table from the rounds' lines ("program<TAB>call<TAB>microseconds"): for each
# call, the median over the rounds for the 32-bit and the 64-bit program, with their lowest and
# highest, and the difference of the medians.
BEGIN { FS = "\t" }
NF == 3 {
    if (!($2 in seen)) { seen[$2] = 1; calls[++nCalls] = $2 }
    n = ++count[$1, $2]
    value[$1, $2, n] = $3 + 0
}
function sorted(program, call,    n, i, j, t) {
    n = count[program, call]
    for (i = 1; i <= n; ++i) s[i] = value[program, call, i]
    for (i = 2; i <= n; ++i) for (j = i; j > 1 && s[j - 1] > s[j]; --j) { t = s[j]; s[j] = s[j - 1]; s[j - 1] = t }
    return n
}
function median(program, call,    n) {
    n = sorted(program, call)
    if (n == 0) return ""
    return n % 2 ? s[(n + 1) / 2] : (s[n / 2] + s[n / 2 + 1]) / 2
}
function spread(program, call,    n, m) {
    m = median(program, call)
    if (m == "") return "-"
    n = count[program, call]
    return sprintf("%.2f (%.2f to %.2f)", m, s[1], s[n])
}
END {
    print "| call | 32-bit, µs: median (lowest to highest round) | 64-bit, µs | 32-bit − 64-bit, µs |"
    print "|---|---|---|---|"
    for (c = 1; c <= nCalls; ++c) {
        m32 = median("32-bit", calls[c]); m64 = median("64-bit", calls[c])
        difference = (m32 != "" && m64 != "") ? sprintf("%+.2f", m32 - m64) : "-"
        print "| " calls[c] " | " spread("32-bit", calls[c]) " | " spread("64-bit", calls[c]) " | " difference " |"
    }
}
