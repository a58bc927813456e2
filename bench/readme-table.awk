# The README's table from the benchmark's rows ("| program | link | figure | min | median | max |
# goal | met | held in |"): a row per figure, a column per link model, each cell the medians of
# the 32-bit and the 64-bit program and, for a figure with a goal, in how many runs each held it.
# Then one line on the goals not met at the median, if any.
BEGIN { FS = " *\\| *" }
/^\| (32|64)-bit \|/ {
    program = $2; link = $3; figure = $4
    if (!(program in seenProgram)) { seenProgram[program] = 1; ++measuredPrograms }
    if (!(figure in seenFigure)) { seenFigure[figure] = 1; figures[++nFigures] = figure }
    if (!(link in seenLink)) { seenLink[link] = 1; links[++nLinks] = link }
    median[program, figure, link] = $6
    held[program, figure, link] = $10
    if ($9 == "NOT met") missed[++nMissed] = program " tool, " link ": " figure
}
# A program left out of the run (see benchmark.sh) shows as not measured, never as a blank.
function measured(program, figure, link, values) {
    return (program, figure, link) in values ? values[program, figure, link] : "not measured"
}
function cell(figure, link,    text, h32, h64) {
    if (!(("32-bit", figure, link) in median) && !(("64-bit", figure, link) in median)) return "-"
    text = measured("32-bit", figure, link, median) " / " measured("64-bit", figure, link, median)
    h32 = ("32-bit", figure, link) in held ? held["32-bit", figure, link] : "-"
    h64 = ("64-bit", figure, link) in held ? held["64-bit", figure, link] : "-"
    if (h32 != "-" || h64 != "-") {
        sub(/ of /, "/", h32); sub(/ of /, "/", h64)
        text = text " (held in " h32 ", " h64 " runs)"
    }
    return text
}
END {
    header = "| 32-bit / 64-bit tool, median of the runs |"; rule = "|---|"
    for (l = 1; l <= nLinks; ++l) { header = header " " links[l] " |"; rule = rule "---|" }
    print header; print rule
    for (f = 1; f <= nFigures; ++f) {
        row = "| " figures[f] " |"
        for (l = 1; l <= nLinks; ++l) row = row " " cell(figures[f], links[l]) " |"
        print row
    }
    print ""
    if (nMissed == 0) {
        print "Every goal held at the median of the runs, for " (measuredPrograms == 2 ? "both programs." : "the program measured.")
    } else {
        print "Goals not met at the median of the runs:"
        for (m = 1; m <= nMissed; ++m) print "- " missed[m]
    }
}
