#include "cli/unifieddiff.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace cli {
namespace {

constexpr qsizetype kContext = 3;
// Beyond this many cells the middle of a diff is shown as removed and added
// whole rather than matched line by line: a settings change touches a few
// lines of one section.
constexpr qsizetype kMostCells = 4'000'000;

struct Text
{
    QStringList lines;
    bool endsWithLineBreak = true;
};

Text linesOf(const QString &text)
{
    Text split;
    split.lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    if (split.lines.constLast().isEmpty())
        split.lines.removeLast(); // the text ended with a line break
    else
        split.endsWithLineBreak = false;
    return split;
}

// One line of the diff: kept (' '), removed ('-') or added ('+'), with its
// index in the version(s) it is in.
struct Step
{
    char kind;
    qsizetype before;
    qsizetype after;
};

// The steps from a to b: the common start and end kept, the middle matched
// by its longest common subsequence.
std::vector<Step> stepsBetween(const QStringList &a, const QStringList &b)
{
    qsizetype head = 0;
    while (head < a.size() && head < b.size() && a.at(head) == b.at(head))
        ++head;
    qsizetype tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a.at(a.size() - 1 - tail) == b.at(b.size() - 1 - tail))
        ++tail;
    const qsizetype n = a.size() - head - tail;
    const qsizetype m = b.size() - head - tail;

    std::vector<Step> steps;
    for (qsizetype i = 0; i < head; ++i)
        steps.push_back({' ', i, i});
    if (n * m <= kMostCells) {
        // common[i][j]: the longest common subsequence of a's middle from i, b's from j.
        std::vector<qsizetype> common(std::size_t((n + 1) * (m + 1)), 0);
        const auto at = [m](qsizetype i, qsizetype j) { return std::size_t(i * (m + 1) + j); };
        for (qsizetype i = n - 1; i >= 0; --i) {
            for (qsizetype j = m - 1; j >= 0; --j) {
                common[at(i, j)] = a.at(head + i) == b.at(head + j) ? common[at(i + 1, j + 1)] + 1
                                                                     : std::max(common[at(i + 1, j)], common[at(i, j + 1)]);
            }
        }
        qsizetype i = 0;
        qsizetype j = 0;
        while (i < n || j < m) {
            if (i < n && j < m && a.at(head + i) == b.at(head + j)) {
                steps.push_back({' ', head + i++, head + j++});
            } else if (i < n && (j == m || common[at(i + 1, j)] >= common[at(i, j + 1)])) {
                steps.push_back({'-', head + i++, head + j}); // removed lines first, as diff shows them
            } else {
                steps.push_back({'+', head + i, head + j++});
            }
        }
    } else {
        for (qsizetype i = 0; i < n; ++i)
            steps.push_back({'-', head + i, head});
        for (qsizetype j = 0; j < m; ++j)
            steps.push_back({'+', head + n, head + j});
    }
    for (qsizetype k = 0; k < tail; ++k)
        steps.push_back({' ', a.size() - tail + k, b.size() - tail + k});
    return steps;
}

} // namespace

QString unifiedDiff(const QString &name, const QString &before, const QString &after)
{
    const Text a = linesOf(before);
    const Text b = linesOf(after);
    const std::vector<Step> steps = stepsBetween(a.lines, b.lines);
    // A last line that differs only in its line break is a change too.
    std::vector<std::size_t> changes;
    for (std::size_t k = 0; k < steps.size(); ++k) {
        const bool lastOfBoth = steps[k].kind == ' ' && steps[k].before == a.lines.size() - 1
                                && steps[k].after == b.lines.size() - 1;
        if (steps[k].kind != ' ' || (lastOfBoth && a.endsWithLineBreak != b.endsWithLineBreak))
            changes.push_back(k);
    }
    if (changes.empty())
        return QString();

    QString diff = QStringLiteral("--- %1\n+++ %1\n").arg(name);
    for (std::size_t c = 0; c < changes.size();) {
        const std::size_t first = changes[c] > std::size_t(kContext) ? changes[c] - std::size_t(kContext) : 0;
        std::size_t last = changes[c];
        // Changes whose contexts meet share a hunk.
        while (c + 1 < changes.size() && changes[c + 1] <= last + std::size_t(2 * kContext) + 1)
            last = changes[++c];
        ++c;
        const std::size_t end = std::min(steps.size(), last + std::size_t(kContext) + 1);
        qsizetype beforeCount = 0;
        qsizetype afterCount = 0;
        QString body;
        for (std::size_t k = first; k < end; ++k) {
            const Step &step = steps[k];
            const bool inBefore = step.kind != '+';
            const bool inAfter = step.kind != '-';
            beforeCount += inBefore;
            afterCount += inAfter;
            const bool lastBefore = inBefore && step.before == a.lines.size() - 1 && !a.endsWithLineBreak;
            const bool lastAfter = inAfter && step.after == b.lines.size() - 1 && !b.endsWithLineBreak;
            if (step.kind == ' ' && lastBefore != lastAfter) { // the same text, a line break added or removed
                body += QLatin1Char('-') + a.lines.at(step.before) + QLatin1Char('\n');
                if (lastBefore)
                    body += QStringLiteral("\\ No newline at end of file\n");
                body += QLatin1Char('+') + b.lines.at(step.after) + QLatin1Char('\n');
                if (lastAfter)
                    body += QStringLiteral("\\ No newline at end of file\n");
                continue;
            }
            body += QLatin1Char(step.kind) + (inBefore ? a.lines.at(step.before) : b.lines.at(step.after)) + QLatin1Char('\n');
            if (lastBefore || lastAfter)
                body += QStringLiteral("\\ No newline at end of file\n");
        }
        const qsizetype beforeStart = steps[first].before + (beforeCount > 0 ? 1 : 0);
        const qsizetype afterStart = steps[first].after + (afterCount > 0 ? 1 : 0);
        diff += QStringLiteral("@@ -%1,%2 +%3,%4 @@\n").arg(beforeStart).arg(beforeCount).arg(afterStart).arg(afterCount);
        diff += body;
    }
    return diff;
}

} // namespace cli
