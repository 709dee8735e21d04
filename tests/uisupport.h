#pragma once

// Stand-ins while a window test runs: the report of an unhandled failure
// records instead of showing a message box, the open-file dialog answers from
// a script, and web addresses are recorded instead of opened.

#include "desktop/dialogs.h"
#include "support.h"
#include "ui/main/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QPushButton>
#include <QDir>
#include <QLineEdit>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QUrl>
#include <QString>
#include <QTemporaryDir>

#include <optional>

// A control of a window by its object name: the key it shows, or its role.
template <typename T>
T *child(const QObject *window, const QString &name)
{
    T *found = window->findChild<T *>(name);
    if (!found)
        qFatal("no control named %s in %s", qPrintable(name), window->metaObject()->className());
    return found;
}

class FailureRecorder
{
public:
    FailureRecorder()
    {
        desktop::setFailureReport([this](const engine::Failure &failure) { failures.append(failure); });
    }
    ~FailureRecorder() { desktop::setFailureReport({}); }
    FailureRecorder(const FailureRecorder &) = delete;
    FailureRecorder &operator=(const FailureRecorder &) = delete;

    QList<engine::Failure> failures;
};

class OpenFileAnswers
{
public:
    // Each showing takes the next answer; nullopt is a cancel.
    explicit OpenFileAnswers(QList<std::optional<QString>> answers)
        : m_answers(std::move(answers))
    {
        desktop::setOpenFileAnswer([this](const desktop::OpenFileDialog &dialog) {
            asked.append(dialog);
            return m_answers.isEmpty() ? std::nullopt : m_answers.takeFirst();
        });
    }
    ~OpenFileAnswers() { desktop::setOpenFileAnswer({}); }
    OpenFileAnswers(const OpenFileAnswers &) = delete;
    OpenFileAnswers &operator=(const OpenFileAnswers &) = delete;

    QList<desktop::OpenFileDialog> asked;

private:
    QList<std::optional<QString>> m_answers;
};

// Answers the program's questions from a script, in order, and records them.
class QuestionAnswers
{
public:
    explicit QuestionAnswers(QList<int> answers)
        : m_answers(std::move(answers))
    {
        desktop::setQuestionAnswer([this](const desktop::Question &question) {
            asked.append(question);
            return m_answers.isEmpty() ? question.escape : m_answers.takeFirst();
        });
    }
    ~QuestionAnswers() { desktop::setQuestionAnswer({}); }
    QuestionAnswers(const QuestionAnswers &) = delete;
    QuestionAnswers &operator=(const QuestionAnswers &) = delete;

    QList<desktop::Question> asked;

private:
    QList<int> m_answers;
};

// Another program saves one key of the file (tests/helpers/filewriter, a
// process of its own, which replaces the file by a rename), and the file
// then rests, so that the window's next save does not wait for it.
inline bool anotherProgramSets(const QString &path, const QString &key, const QString &value)
{
    QProcess writer;
#ifdef Q_OS_WIN
    writer.start(QCoreApplication::applicationDirPath() + QStringLiteral("/filewriter.exe"), {"set", path, key, value});
#else
    writer.start(QCoreApplication::applicationDirPath() + QStringLiteral("/filewriter"), {"set", path, key, value});
#endif
    const bool done = writer.waitForFinished(30000) && writer.exitCode() == 0;
    rest(path);
    return done;
}

// Records the addresses Qt's desktop services are asked to open.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    UrlRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open"); }
    ~UrlRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

// A settings file in a temporary folder (created when content is given) and
// a main window whose path box names it.
struct MainWindowOnFile
{
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
    ui::MainWindow main;

    explicit MainWindowOnFile(const QByteArray &content = QByteArray())
    {
        if (!content.isNull())
            putFile(path, content);
        setPath(path);
    }
    // Typed as the system writes paths: with backslashes and a drive on Windows.
    void setPath(const QString &to) { child<QLineEdit>(&main, QStringLiteral("settingsPath"))->setText(QDir::toNativeSeparators(to)); }
    QString read(const char *key) const
    {
        return readValue(path, QStringLiteral("GameServerInfo"), QLatin1String(key), QStringLiteral("<none>"));
    }
};

// The caption a window's title bar shows: its title, with Qt's modification
// mark as a star while it has unsaved edits.
inline QString caption(const QWidget *window)
{
    return window->windowTitle().replace(QStringLiteral("[*]"),
                                         window->isWindowModified() ? QStringLiteral("*") : QString());
}

// The windows by their captions.
namespace titles {
inline const QString kMain = QStringLiteral("Vardok - Zilvane s3 beta 39 (Versão 0.5)");
inline const QString kOther = QStringLiteral("Outras Ediçoes");
inline const QString kCastle = QStringLiteral("Castle Siege");
inline const QString kInstructions = QStringLiteral("Instruçoes de Uso");
inline const QString kCredits = QStringLiteral("Creditos");
} // namespace titles

// Opens the window of that caption as the user does, from a main window
// whose buttons are unlocked; the main window itself for its own caption.
inline QWidget *openWindow(ui::MainWindow &main, const QString &title)
{
    for (const char *button : {"otherSettingsButton", "castleSiegeButton"})
        child<QPushButton>(&main, QLatin1String(button))->setEnabled(true);
    if (title == titles::kMain)
        return &main;
    if (title == titles::kOther)
        child<QPushButton>(&main, QStringLiteral("otherSettingsButton"))->click();
    else if (title == titles::kCastle)
        child<QPushButton>(&main, QStringLiteral("castleSiegeButton"))->click();
    else
        child<QAction>(&main, title == titles::kInstructions ? QStringLiteral("instructionsAction")
                                                             : QStringLiteral("creditsAction"))
            ->trigger();
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (caption(window) == title && window->isVisible())
            return window;
    }
    return nullptr;
}
