#include "platform/gui/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace platform {
namespace {

OpenFileAnswer &openFileAnswer()
{
    static OpenFileAnswer answer;
    return answer;
}

FailureReport &failureReport()
{
    static FailureReport report;
    return report;
}

std::optional<QString> askUser(const OpenFileDialog &dialog, QWidget *owner)
{
    QFileDialog box(owner, dialog.title, dialog.startFolder);
    box.setAcceptMode(QFileDialog::AcceptOpen);
    box.setFileMode(QFileDialog::AnyFile); // the file need not exist yet
    box.setNameFilter(qtNameFilters(dialog.filter));
    if (!dialog.fileName.isEmpty())
        box.selectFile(dialog.fileName);
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
        return std::nullopt;
    return box.selectedFiles().constFirst();
}

} // namespace

bool OpenFileDialog::showOpen(QWidget *owner)
{
    const std::optional<QString> chosen =
        openFileAnswer() ? openFileAnswer()(*this) : askUser(*this, owner);
    if (chosen)
        fileName = *chosen;
    return chosen.has_value();
}

void setOpenFileAnswer(OpenFileAnswer answer)
{
    openFileAnswer() = std::move(answer);
}

void reportUnhandled(const Failure &failure, const QString &programTitle)
{
    if (failureReport()) {
        failureReport()(failure);
        return;
    }
    QMessageBox box(QMessageBox::Critical, programTitle, reportText(failure), QMessageBox::Ok,
                    QApplication::activeWindow());
    // Paths and addresses in the text can be copied.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.exec();
}

void setFailureReport(FailureReport report)
{
    failureReport() = std::move(report);
}

QString qtNameFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString description = parts[i];
        filters << (description.contains(QLatin1Char('(')) ? description
                                                           : description + " (" + patterns + ')');
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace platform
