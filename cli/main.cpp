// commonserver-cfg: the editor's edits of commonserver.cfg from a terminal,
// for servers without a display, scripts and many servers at once.

#include "cli/commandline.h"
#include "cli/commands.h"
#include "language/qttranslations.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>
#include <QTextStream>

#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

// Makes the console take what the program prints as UTF-8 (Windows); nothing
// to do elsewhere.
void useUtf8Console()
{
#ifdef Q_OS_WIN
    SetConsoleOutputCP(CP_UTF8);
#endif
}

// The first argument that is not valid UTF-8 (0 when all are): decoded, it
// would become another text, and a value or a path the user did not give.
int firstNotUtf8(int argc, char *argv[])
{
#ifdef Q_OS_UNIX
    for (int i = 1; i < argc; ++i) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = utf8.decode(QByteArrayView(argv[i]));
        if (utf8.hasError())
            return i;
    }
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
#endif
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (const int bad = firstNotUtf8(argc, argv)) {
        std::fprintf(stderr,
                     "commonserver-cfg: o argumento %d não é texto UTF-8 válido; nada foi lido nem gravado.\n", bad);
        return cli::kExitRefused;
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("commonserver-cfg"));
    QCoreApplication::setApplicationVersion(QStringLiteral(COMMONSERVER_VERSION));
    useUtf8Console();
    language::installQtTranslations(app);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QFile in;
    in.open(stdin, QIODevice::ReadOnly);
    return cli::run(QCoreApplication::arguments(), {out, err, &in});
}
