#pragma once

#include <QStringList>

#include <functional>

class QWidget;

namespace ui::binding {

// Asks, with Qt's standard Salvar / Descartar / Cancelar, before windows with
// unsaved edits (their captions) close; true when they may close: the edits
// were saved (`save` says whether that worked) or dropped.
bool askBeforeClosing(const QStringList &windows, QWidget *owner, const std::function<bool()> &save);

} // namespace ui::binding
