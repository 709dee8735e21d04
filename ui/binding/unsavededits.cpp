#include "ui/binding/unsavededits.h"

#include "desktop/dialogs.h"
#include "formdata/identity.h"

#include <QMessageBox>

namespace ui::binding {

bool askBeforeClosing(const QStringList &windows, QWidget *owner, const std::function<bool()> &save)
{
    const QString text = windows.size() == 1
                             ? QStringLiteral("Há mudanças em \"%1\" que ainda não foram salvas.").arg(windows.constFirst())
                             : QStringLiteral("Há mudanças que ainda não foram salvas em: %1.")
                                   .arg(QStringLiteral("\"") + windows.join(QStringLiteral("\", \"")) + QLatin1Char('"'));
    const int answer = desktop::ask({text + QStringLiteral("\n\nSalvar antes de fechar?"), {},
                                      int(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel),
                                      int(QMessageBox::Cancel)},
                                     QString::fromUtf8(formdata::identity::kProgramTitle), owner);
    if (answer == QMessageBox::Save)
        return save();
    return answer == QMessageBox::Discard;
}

} // namespace ui::binding
