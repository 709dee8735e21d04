#include "desktop/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace desktop {
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

QuestionAnswer &questionAnswer()
{
    static QuestionAnswer answer;
    return answer;
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

void reportUnhandled(const engine::Failure &failure, const QString &programTitle)
{
    if (failureReport()) {
        failureReport()(failure);
        return;
    }
    // The classic report of an unhandled run-time error: its number, then its reason.
    const QString text = QStringLiteral("Erro em tempo de execução '%1':\n\n%2").arg(failure.number).arg(failure.description);
    QMessageBox box(QMessageBox::Critical, programTitle, text, QMessageBox::Ok, QApplication::activeWindow());
    // Paths and addresses in the text can be copied.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.exec();
}

void setFailureReport(FailureReport report)
{
    failureReport() = std::move(report);
}

int ask(const Question &question, const QString &programTitle, QWidget *owner)
{
    if (questionAnswer())
        return questionAnswer()(question);
    QMessageBox box(QMessageBox::Question, programTitle, question.text,
                    QMessageBox::StandardButtons(question.standardButtons), owner);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QList<QAbstractButton *> own;
    for (const QString &text : question.buttons)
        own << box.addButton(text, own.isEmpty() ? QMessageBox::AcceptRole : QMessageBox::ActionRole);
    if (!own.isEmpty()) {
        box.setDefaultButton(static_cast<QPushButton *>(own.constFirst()));
        if (question.escape >= 0 && question.escape < own.size())
            box.setEscapeButton(own.at(question.escape));
    } else if (question.escape >= 0) {
        box.setEscapeButton(QMessageBox::StandardButton(question.escape));
    }
    const int standard = box.exec();
    if (own.isEmpty())
        return standard;
    const qsizetype chosen = own.indexOf(box.clickedButton());
    return chosen >= 0 ? int(chosen) : question.escape;
}

void setQuestionAnswer(QuestionAnswer answer)
{
    questionAnswer() = std::move(answer);
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

} // namespace desktop
