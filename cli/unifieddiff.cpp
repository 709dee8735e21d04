#include "cli/unifieddiff.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace cli {
namespace {

constexpr qsizetype kContext = 3;
// Beyond this many cells the changed lines are shown as removed and added
// whole rather than matched line by line: a settings change touches a few
// lines of one section.
constexpr qsizetype kMostCells = 4'000'000;

// One line of a text, as diff sees it: the bytes up to an LF (a CR before it
// included), and whether the LF is there.
struct DiffLine
{
    qsizetype begin;
    qsizetype end;
    bool terminated;
};

// The lines of text[from, to), `to` a line start or the end. With no lone
// CR (refused below), the settings file's lines end where diff's do, at LF.
std::vector<DiffLine> linesIn(const QByteArray &text, qsizetype from, qsizetype to, std::size_t most = std::size_t(-1))
{
    std::vector<DiffLine> lines;
    while (from < to && lines.size() < most) {
        const qsizetype lf = text.indexOf('\n', from);
        const bool terminated = lf >= 0 && lf < to;
        lines.push_back({from, terminated ? lf : to, terminated});
        from = terminated ? lf + 1 : to;
    }
    return lines;
}

// A CR that ends a line on its own: diff and patch would see no line there.
bool hasLoneCr(const QByteArray &text)
{
    for (qsizetype at = text.indexOf('\r'); at >= 0; at = text.indexOf('\r', at + 1)) {
        if (at + 1 == text.size() || text.at(at + 1) != '\n')
            return true;
    }
    return false;
}

bool atLineStart(const QByteArray &text, qsizetype at)
{
    return at == 0 || text.at(at - 1) == '\n';
}

// One line of the diff: kept (' '), removed ('-') or added ('+'), with its
// place in the version(s) it is in.
struct Step
{
    char kind;
    DiffLine before;
    DiffLine after;
    qsizetype beforeNumber; // 0-based line number in the version before
    qsizetype afterNumber;
};

struct Texts
{
    const QByteArray &a;
    const QByteArray &b;
    bool same(const DiffLine &x, const DiffLine &y) const
    {
        return x.terminated == y.terminated && x.end - x.begin == y.end - y.begin
               && std::memcmp(a.constData() + x.begin, b.constData() + y.begin, std::size_t(x.end - x.begin)) == 0;
    }
};

// The steps between the changed lines of both versions: matched by their
// longest common subsequence where that is small enough.
void middleSteps(const Texts &texts, const std::vector<DiffLine> &a, const std::vector<DiffLine> &b, qsizetype firstNumber,
                 std::vector<Step> &steps)
{
    const qsizetype n = qsizetype(a.size());
    const qsizetype m = qsizetype(b.size());
    if (n * m > kMostCells) {
        for (qsizetype i = 0; i < n; ++i)
            steps.push_back({'-', a[std::size_t(i)], {}, firstNumber + i, firstNumber});
        for (qsizetype j = 0; j < m; ++j)
            steps.push_back({'+', {}, b[std::size_t(j)], firstNumber + n, firstNumber + j});
        return;
    }
    // common[i][j]: the longest common subsequence of a from i and b from j.
    std::vector<qsizetype> common(std::size_t((n + 1) * (m + 1)), 0);
    const auto at = [m](qsizetype i, qsizetype j) { return std::size_t(i * (m + 1) + j); };
    for (qsizetype i = n - 1; i >= 0; --i) {
        for (qsizetype j = m - 1; j >= 0; --j) {
            common[at(i, j)] = texts.same(a[std::size_t(i)], b[std::size_t(j)])
                                   ? common[at(i + 1, j + 1)] + 1
                                   : std::max(common[at(i + 1, j)], common[at(i, j + 1)]);
        }
    }
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && texts.same(a[std::size_t(i)], b[std::size_t(j)])) {
            steps.push_back({' ', a[std::size_t(i)], b[std::size_t(j)], firstNumber + i, firstNumber + j});
            ++i, ++j;
        } else if (i < n && (j == m || common[at(i + 1, j)] >= common[at(i, j + 1)])) {
            steps.push_back({'-', a[std::size_t(i)], {}, firstNumber + i, firstNumber + j}); // removed first, as diff
            ++i;
        } else {
            steps.push_back({'+', {}, b[std::size_t(j)], firstNumber + i, firstNumber + j});
            ++j;
        }
    }
}

void appendLine(QByteArray &diff, char kind, const QByteArray &text, const DiffLine &line)
{
    diff += kind;
    diff.append(text.constData() + line.begin, line.end - line.begin);
    diff += '\n';
    if (!line.terminated)
        diff += "\\ No newline at end of file\n";
}

} // namespace

std::optional<QByteArray> unifiedDiff(const QByteArray &name, const QByteArray &a, const QByteArray &b)
{
    if (a == b)
        return QByteArray();
    if (hasLoneCr(a) || hasLoneCr(b))
        return std::nullopt;
    const Texts texts{a, b};
    // What both share at the start, back to a line start ...
    const qsizetype shorter = std::min(a.size(), b.size());
    qsizetype prefix = 0;
    while (prefix < shorter && a.at(prefix) == b.at(prefix))
        ++prefix;
    while (prefix > 0 && !atLineStart(a, prefix))
        --prefix;
    // ... and at the end, from a line start in both.
    qsizetype suffix = 0;
    while (suffix < shorter - prefix && a.at(a.size() - 1 - suffix) == b.at(b.size() - 1 - suffix))
        ++suffix;
    while (suffix > 0 && !(atLineStart(a, a.size() - suffix) && atLineStart(b, b.size() - suffix)))
        --suffix;
    const qsizetype endA = a.size() - suffix;
    const qsizetype endB = b.size() - suffix;

    // The changed lines, with up to three kept lines on each side.
    const qsizetype firstNumber = std::count(a.constData(), a.constData() + prefix, '\n');
    qsizetype contextStart = prefix;
    for (int lines = 0; lines < kContext && contextStart > 0; ++lines) {
        --contextStart;
        while (contextStart > 0 && !atLineStart(a, contextStart))
            --contextStart;
    }
    std::vector<Step> steps;
    const std::vector<DiffLine> before = linesIn(a, contextStart, prefix);
    for (std::size_t k = 0; k < before.size(); ++k) {
        const qsizetype number = firstNumber - qsizetype(before.size() - k);
        steps.push_back({' ', before[k], before[k], number, number});
    }
    const std::vector<DiffLine> removed = linesIn(a, prefix, endA);
    const std::vector<DiffLine> added = linesIn(b, prefix, endB);
    middleSteps(texts, removed, added, firstNumber, steps);
    const std::vector<DiffLine> after = linesIn(a, endA, a.size(), kContext);
    for (std::size_t k = 0; k < after.size(); ++k) {
        const DiffLine inB{after[k].begin - endA + endB, after[k].end - endA + endB, after[k].terminated};
        steps.push_back({' ', after[k], inB, firstNumber + qsizetype(removed.size() + k),
                         firstNumber + qsizetype(added.size() + k)});
    }

    std::vector<std::size_t> changes;
    for (std::size_t k = 0; k < steps.size(); ++k) {
        if (steps[k].kind != ' ')
            changes.push_back(k);
    }
    QByteArray diff = "--- " + name + "\n+++ " + name + "\n";
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
        QByteArray body;
        for (std::size_t k = first; k < end; ++k) {
            const Step &step = steps[k];
            beforeCount += step.kind != '+';
            afterCount += step.kind != '-';
            appendLine(body, step.kind, step.kind == '+' ? b : a, step.kind == '+' ? step.after : step.before);
        }
        const qsizetype beforeStart = steps[first].beforeNumber + (beforeCount > 0 ? 1 : 0);
        const qsizetype afterStart = steps[first].afterNumber + (afterCount > 0 ? 1 : 0);
        diff += "@@ -" + QByteArray::number(beforeStart) + ',' + QByteArray::number(beforeCount) + " +"
                + QByteArray::number(afterStart) + ',' + QByteArray::number(afterCount) + " @@\n";
        diff += body;
    }
    return diff;
}

} // namespace cli
