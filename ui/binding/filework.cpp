#include "ui/binding/filework.h"

#include "formdata/identity.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QScopedValueRollback>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <exception>
#include <memory>

namespace ui::binding {
namespace {

using namespace std::chrono_literals;
using engine::filebytes::settling::Reason;

constexpr auto kShowAfter = 500ms;

int running = 0; // file work of the windows' thread, nested or not

QString waitingFor(int reason)
{
    switch (Reason(reason)) {
    case Reason::Lock:
        return QStringLiteral("Aguardando: o arquivo está bloqueado por outro programa ou por outra janela.");
    case Reason::OtherWriter:
        return QStringLiteral("Aguardando: outro programa acabou de gravar o arquivo e pode ainda estar gravando.");
    case Reason::HeldOpen:
        return QStringLiteral("Aguardando: outro programa mantém o arquivo aberto para gravação.");
    }
    return QStringLiteral("Lendo e gravando o arquivo de configuração...");
}

} // namespace

bool fileWorkRunning()
{
    return running > 0;
}

void runFileWork(QWidget *owner, const std::function<void(const engine::filebytes::Patience &)> &work)
{
    const QScopedValueRollback counted(running, running + 1);
    std::atomic<bool> cancel{false};
    std::atomic<int> reason{-1};
    std::atomic<bool> done{false};
    engine::filebytes::Patience patience;
    patience.cancel = &cancel;
    patience.progress = [&reason](Reason now) { reason = int(now); };
    std::exception_ptr failure;
    const std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            work(patience);
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
    }));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    // The first half second without the user's input: no other handler
    // starts meanwhile, and a quick load or save shows nothing.
    QTimer::singleShot(kShowAfter, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!done) {
        QProgressDialog progress(waitingFor(reason), QStringLiteral("Cancelar"), 0, 0, owner);
        progress.setWindowTitle(QString::fromUtf8(formdata::identity::kProgramTitle));
        progress.setWindowModality(Qt::ApplicationModal); // the other windows paint, but wait
        progress.setMinimumDuration(0);
        progress.setAutoClose(false);
        progress.setAutoReset(false);
        QObject::connect(&progress, &QProgressDialog::canceled, &progress, [&] {
            cancel = true;
            progress.setLabelText(QStringLiteral("Cancelando..."));
            // The dialog's own cancel has just hidden it: it stays, and keeps
            // the windows waiting, until the work has stopped.
            progress.show();
        });
        QTimer follow;
        QObject::connect(&follow, &QTimer::timeout, &progress, [&] {
            if (!cancel)
                progress.setLabelText(waitingFor(reason));
        });
        follow.start(100ms);
        progress.show();
        if (!done)
            loop.exec();
    }
    thread->wait();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace ui::binding
