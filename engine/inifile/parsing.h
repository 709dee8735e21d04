#pragma once

// The parsing rules of inifile.h on a file's code units: bytes for 8-bit
// files, UTF-16 units for Unicode ones. Finds lines, sections and keys, and
// computes the edits that set keys to values, without decoding the file.

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QtGlobal>

namespace engine::inifile::parsing {

template <typename Unit>
using View = std::basic_string_view<Unit>;
template <typename Unit>
using Units = std::basic_string<Unit>;

inline constexpr std::size_t kNone = std::size_t(-1);

template <typename Unit>
bool isBlank(Unit u)
{
    return u == Unit(' ') || u == Unit('\t') || u == Unit('\v');
}

template <typename Unit>
bool isLineBreak(Unit u)
{
    return u == Unit('\r') || u == Unit('\n');
}

template <typename Unit>
Unit foldAscii(Unit u)
{
    return (u >= Unit('A') && u <= Unit('Z')) ? Unit(u + ('a' - 'A')) : u;
}

// The first `unit` at or after `from`, or kNone. Bytes go through memchr,
// which skips most of a large file at memory speed.
inline std::size_t findUnit(View<char> text, std::size_t from, char unit)
{
    if (from >= text.size())
        return kNone;
    const void *hit = std::memchr(text.data() + from, unit, text.size() - from);
    return hit ? std::size_t(static_cast<const char *>(hit) - text.data()) : kNone;
}

inline std::size_t findUnit(View<char16_t> text, std::size_t from, char16_t unit)
{
    const std::size_t at = text.find(unit, from);
    return at == View<char16_t>::npos ? kNone : at;
}

struct Span
{
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t size() const { return end - begin; }
};

template <typename Unit>
Span trimmed(View<Unit> text, std::size_t begin, std::size_t end)
{
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return {begin, end};
}

template <typename Unit>
bool sameName(View<Unit> text, Span span, View<Unit> name)
{
    if (span.size() != name.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (foldAscii(text[span.begin + i]) != foldAscii(name[i]))
            return false;
    }
    return true;
}

// One line: its content [begin, end) and where the next line starts.
struct LineSpan
{
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t next = 0;
    bool terminated() const { return next != end; }
};

template <typename Unit>
LineSpan lineAt(View<Unit> text, std::size_t pos)
{
    LineSpan line{pos, pos, pos};
    while (line.end < text.size() && !isLineBreak(text[line.end]))
        ++line.end;
    line.next = line.end;
    if (line.next < text.size()) {
        const bool crlf = text[line.next] == Unit('\r') && line.next + 1 < text.size()
                          && text[line.next + 1] == Unit('\n');
        line.next += crlf ? 2 : 1;
    }
    return line;
}

// The header line of the first section with that name. Only a '[' that
// starts a line (after blanks) opens a header, so the search jumps from one
// '[' to the next instead of walking every line of the file.
template <typename Unit>
std::optional<LineSpan> findSection(View<Unit> text, View<Unit> section)
{
    for (std::size_t at = findUnit(text, 0, Unit('[')); at != kNone; at = findUnit(text, at + 1, Unit('['))) {
        // Most brackets open another section: its first letter tells at once.
        std::size_t nameStart = at + 1;
        while (nameStart < text.size() && isBlank(text[nameStart]))
            ++nameStart;
        if (nameStart == text.size() || foldAscii(text[nameStart]) != foldAscii(section.front()))
            continue;
        std::size_t start = at;
        while (start > 0 && isBlank(text[start - 1]))
            --start;
        if (start > 0 && !isLineBreak(text[start - 1]))
            continue;
        const LineSpan line = lineAt(text, start);
        std::size_t close = at + 1;
        while (close < line.end && text[close] != Unit(']'))
            ++close;
        if (sameName(text, trimmed(text, at + 1, close), section))
            return line;
    }
    return std::nullopt;
}

// Where each asked key stands in the section, and where a missing one goes.
struct KeyAt
{
    Span value;       // the key's value, blanks around it removed
    Span afterEquals; // everything after its '=' up to the line ending
};

struct SectionScan
{
    bool sectionFound = false;
    std::vector<std::optional<KeyAt>> keys; // one per asked key
    std::size_t insertAt = 0;               // where a missing key's line goes
    bool insertAfterUnterminatedLine = false;
};

// What a line of the format is, as every reader of it sees it: blank, a
// comment (its first non-blank character is ';'), a section header (it is
// '['; the name runs to the first ']', or the end of the line), a key line
// (any other line with a '=': the name before the first one, the value
// after it), or none of them.
enum class LineKind { Blank, Comment, Section, Key, Other };

struct Classified
{
    LineKind kind = LineKind::Blank;
    Span name;              // a section's or a key's name, blanks around it removed
    Span value;             // a key's value, blanks around it removed
    std::size_t equals = 0; // a key line's '='
};

template <typename Unit>
Classified classify(View<Unit> text, const LineSpan &line)
{
    const Span content = trimmed(text, line.begin, line.end);
    if (content.size() == 0)
        return {LineKind::Blank, {}, {}, 0};
    if (text[content.begin] == Unit(';'))
        return {LineKind::Comment, {}, {}, 0};
    if (text[content.begin] == Unit('[')) {
        std::size_t close = content.begin + 1;
        while (close < content.end && text[close] != Unit(']'))
            ++close;
        return {LineKind::Section, trimmed(text, content.begin + 1, close), {}, 0};
    }
    std::size_t equals = content.begin;
    while (equals < content.end && text[equals] != Unit('='))
        ++equals;
    if (equals == content.end)
        return {LineKind::Other, {}, {}, 0};
    return {LineKind::Key, trimmed(text, content.begin, equals), trimmed(text, equals + 1, line.end), equals};
}

// A key line of a section: the line, and its name and value, blanks around
// them removed.
struct KeyLine
{
    LineSpan line;
    Span name;
    Span value;
    std::size_t equals = 0;
};

// Calls `visit(keyLine)` for each key line of the section whose header line
// is `header`, in order, until the next section, or until `visit` returns
// false.
template <typename Unit, typename Visit>
void forEachKeyLine(View<Unit> text, const LineSpan &header, Visit visit)
{
    for (std::size_t pos = header.next; pos < text.size();) {
        const LineSpan line = lineAt(text, pos);
        pos = line.next;
        const Classified classified = classify(text, line);
        if (classified.kind == LineKind::Section)
            return; // the next section
        if (classified.kind != LineKind::Key)
            continue;
        if (!visit(KeyLine{line, classified.name, classified.value, classified.equals}))
            return;
    }
}

template <typename Unit>
SectionScan scanSection(View<Unit> text, View<Unit> section, const std::vector<Units<Unit>> &keys)
{
    SectionScan scan;
    scan.keys.resize(keys.size());
    const std::optional<LineSpan> header = findSection(text, section);
    if (!header)
        return scan;
    scan.sectionFound = true;
    scan.insertAt = header->next;
    scan.insertAfterUnterminatedLine = !header->terminated();
    std::size_t missing = keys.size();
    forEachKeyLine<Unit>(text, *header, [&](const KeyLine &key) {
        scan.insertAt = key.line.next;
        scan.insertAfterUnterminatedLine = !key.line.terminated();
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (scan.keys[i] || !sameName<Unit>(text, key.name, keys[i]))
                continue;
            scan.keys[i] = KeyAt{key.value, {key.equals + 1, key.line.end}};
            --missing;
        }
        return missing > 0;
    });
    return scan;
}

// The ending of the file's first line; CR LF when it has none.
template <typename Unit>
Units<Unit> lineEndingOf(View<Unit> text)
{
    const LineSpan first = lineAt(text, 0);
    if (!first.terminated())
        return {Unit('\r'), Unit('\n')};
    return Units<Unit>(text.substr(first.end, first.next - first.end));
}

// A change of the text: [begin, end) becomes `with`.
template <typename Unit>
struct Edit
{
    std::size_t begin;
    std::size_t end;
    Units<Unit> with;
};

// The edits that set each key to its value, in the order the keys come; none
// when nothing would change. Keys are distinct (ASCII case ignored).
template <typename Unit>
std::vector<Edit<Unit>> editsFor(View<Unit> text, View<Unit> section,
                                 const std::vector<Units<Unit>> &keys,
                                 const std::vector<Units<Unit>> &values)
{
    const SectionScan scan = scanSection(text, section, keys);
    std::vector<Edit<Unit>> edits;
    Units<Unit> inserted; // the lines of the missing keys, in order
    const Units<Unit> eol = lineEndingOf(text);
    // A lone CR right before an LF would fuse with it into one line break and
    // swallow the line that follows.
    const bool wouldFuse = eol.size() == 1 && eol[0] == Unit('\r') && scan.sectionFound
                           && !scan.insertAfterUnterminatedLine && scan.insertAt < text.size()
                           && text[scan.insertAt] == Unit('\n');
    const Units<Unit> insertedEnding = wouldFuse ? Units<Unit>{Unit('\r'), Unit('\n')} : eol;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (const std::optional<KeyAt> &at = scan.keys[i]) {
            const View<Unit> old = text.substr(at->afterEquals.begin, at->afterEquals.size());
            if (old != values[i])
                edits.push_back({at->afterEquals.begin, at->afterEquals.end, values[i]});
            continue;
        }
        const bool endFirst = scan.sectionFound && scan.insertAfterUnterminatedLine;
        if (endFirst)
            inserted += eol;
        inserted += keys[i];
        inserted += Unit('=');
        inserted += values[i];
        if (!endFirst)
            inserted += insertedEnding;
    }
    if (inserted.empty())
        return edits;
    if (scan.sectionFound) {
        edits.push_back({scan.insertAt, scan.insertAt, inserted});
        return edits;
    }
    Units<Unit> appended;
    if (!text.empty() && !isLineBreak(text.back()))
        appended += eol;
    appended += Unit('[');
    appended += section;
    appended += Unit(']');
    appended += eol;
    edits.push_back({text.size(), text.size(), appended + inserted});
    return edits;
}

// The edits that remove every line of the keys in the section (the first
// section of that name, which reads see), line endings included, so that a
// read finds none of them; none when none is there.
template <typename Unit>
std::vector<Edit<Unit>> removalsFor(View<Unit> text, View<Unit> section, const std::vector<Units<Unit>> &keys)
{
    std::vector<Edit<Unit>> edits;
    const std::optional<LineSpan> header = findSection(text, section);
    if (!header)
        return edits;
    forEachKeyLine<Unit>(text, *header, [&](const KeyLine &key) {
        if (std::any_of(keys.begin(), keys.end(), [&](const Units<Unit> &name) { return sameName<Unit>(text, key.name, name); }))
            edits.push_back({key.line.begin, key.line.next, {}});
        return true;
    });
    return edits;
}

// The text with the edits applied, appended to `out` in one pass.
template <typename Unit, typename Out>
void applyEdits(View<Unit> text, const std::vector<Edit<Unit>> &edits, Out &out)
{
    std::size_t growth = 0;
    for (const Edit<Unit> &edit : edits)
        growth += edit.with.size();
    out.reserve(out.size() + qsizetype(text.size() + growth));
    std::vector<const Edit<Unit> *> order;
    for (const Edit<Unit> &edit : edits)
        order.push_back(&edit);
    // A replacement that ends where an insertion starts comes first.
    std::stable_sort(order.begin(), order.end(),
                     [](const Edit<Unit> *a, const Edit<Unit> *b) { return a->begin < b->begin; });
    std::size_t copied = 0;
    for (const Edit<Unit> *edit : order) {
        out.append(text.data() + copied, qsizetype(edit->begin - copied));
        out.append(edit->with.data(), qsizetype(edit->with.size()));
        copied = edit->end;
    }
    out.append(text.data() + copied, qsizetype(text.size() - copied));
}

} // namespace engine::inifile::parsing
