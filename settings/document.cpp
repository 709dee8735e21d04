#include "settings/document.h"

#include "engine/inifile.h"
#include "settings/flags.h"

#include <algorithm>
#include <set>

namespace settings {

Document::Document(std::vector<Field> loadOrder, std::vector<int> saveOrder)
    : m_fields(std::move(loadOrder))
    , m_saveOrder(std::move(saveOrder))
    , m_known(m_fields.size())
{
    if (m_saveOrder.empty()) {
        for (std::size_t i = 0; i < m_fields.size(); ++i)
            m_saveOrder.push_back(int(i));
    }
    int boxes = 0;
    for (const Field &field : m_fields)
        boxes = std::max(boxes, field.box + 1);
    m_boxes.resize(std::size_t(boxes));
}

QStringList Document::keys() const
{
    QStringList keys;
    for (const Field &field : m_fields)
        keys << field.key;
    return keys;
}

void Document::type(int box, std::optional<QString> value)
{
    m_boxes.at(std::size_t(box)).typed = std::move(value);
}

std::optional<QString> Document::typed(int box) const
{
    return m_boxes.at(std::size_t(box)).typed;
}

void Document::treatAsUnedited()
{
    for (Box &box : m_boxes)
        box.filled = box.typed;
}

bool Document::edited(int box) const
{
    const Box &it = m_boxes.at(std::size_t(box));
    return !it.filled || it.typed != *it.filled;
}

bool Document::modified() const
{
    for (std::size_t box = 0; box < m_boxes.size(); ++box) {
        if (edited(int(box)))
            return true;
    }
    return false;
}

std::optional<engine::Failure> Document::fill(const QStringList &values, bool onlyUnedited, const QString &from)
{
    std::set<int> kept; // boxes the user edited keep what they hold
    if (onlyUnedited) {
        for (const Field &field : m_fields) {
            if (edited(field.box))
                kept.insert(field.box);
        }
    }
    std::set<int> given; // boxes a key of this pass gave a value
    std::optional<engine::Failure> unknown;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const Field &field = m_fields[i];
        const QString &value = values.at(qsizetype(i));
        if (kept.count(field.box))
            continue;
        m_known[i] = value;
        if (value.isEmpty() && given.count(field.box))
            continue; // several keys share the box: a later empty one does not blank it
        if (!value.isEmpty())
            given.insert(field.box);
        std::optional<QString> shown = value;
        if (field.kind == ValueKind::Flag) {
            const std::optional<bool> yes = flags::fromText(value);
            shown = yes ? std::optional<QString>(flags::toText(*yes)) : std::nullopt;
            if (!yes && !unknown) {
                try {
                    flags::fromTextOrFail(value, field.key);
                } catch (const engine::Failure &failure) {
                    unknown = failure;
                }
            }
        }
        m_boxes[std::size_t(field.box)].typed = shown;
    }
    for (std::size_t box = 0; box < m_boxes.size(); ++box) {
        if (!kept.count(int(box)))
            m_boxes[box].filled = m_boxes[box].typed;
    }
    m_source = from;
    m_overwrite.clear();
    return unknown;
}

Document::Decision Document::decide(const QByteArray &file, const QString &path) const
{
    QStringList names;
    for (const int index : m_saveOrder)
        names << m_fields[std::size_t(index)].key;
    const std::vector<std::optional<QString>> current = engine::inifile::lookup(file, kSection, names);
    // What the document saw counts only for the file it came from.
    const bool sameFile = !m_source.isEmpty() && path == m_source;
    Decision decision;
    for (std::size_t i = 0; i < m_saveOrder.size(); ++i) {
        const std::size_t index = std::size_t(m_saveOrder[i]);
        const Field &field = m_fields[index];
        const Box &box = m_boxes[std::size_t(field.box)];
        if (!box.typed)
            continue; // a yes/no box left unknown is left alone
        const std::optional<QString> &now = current[i];
        const QString typed = *box.typed;
        // A box the file never filled differs from the file's value, and a
        // missing key even from an empty value: setting it adds it.
        const bool differs = box.filled ? box.typed != *box.filled : !now || *now != engine::inifile::withoutBlanks(typed);
        if (!differs)
            continue;
        const QString inFile = now.value_or(QString());
        const std::optional<QString> &known = m_known[index];
        const bool overwritten = std::find(m_overwrite.begin(), m_overwrite.end(), std::pair(field.key, inFile))
                                 != m_overwrite.end();
        if (sameFile && known && inFile != *known && inFile != engine::inifile::withoutBlanks(typed) && !overwritten)
            decision.conflicts.push_back({field.key, field.box, *known, inFile, typed});
        decision.changes.push_back({field.key, inFile, typed, now.has_value(), false});
    }
    // Nothing is written before the user has decided.
    if (!decision.conflicts.empty())
        decision.changes.clear();
    return decision;
}

void Document::writeOver(const std::vector<Conflict> &conflicts)
{
    for (const Conflict &conflict : conflicts)
        m_overwrite.emplace_back(conflict.key, conflict.inFile);
}

void Document::takeTheFiles(const std::vector<Conflict> &conflicts)
{
    for (const Conflict &conflict : conflicts) {
        for (std::size_t i = 0; i < m_fields.size(); ++i) {
            if (m_fields[i].key != conflict.key)
                continue;
            m_known[i] = conflict.inFile;
            Box &box = m_boxes[std::size_t(m_fields[i].box)];
            box.typed = conflict.inFile;
            if (m_fields[i].kind == ValueKind::Flag) {
                const std::optional<bool> yes = flags::fromText(conflict.inFile);
                box.typed = yes ? std::optional<QString>(flags::toText(*yes)) : std::nullopt;
            }
            box.filled = box.typed;
        }
    }
}

} // namespace settings
