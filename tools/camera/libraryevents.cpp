#include "tools/camera/libraryevents.h"

#include "quorveldll.h"
#include "tools/terminal/terminal.h"

#include <QRegularExpression>

namespace tool {

namespace {
// Every callback runs on the client's (this) thread, so plain state is enough.
struct State {
    bool verbose = false;
    int poweredUp = 0;
    int systemOff = 0;
    bool controlDropped = false;
    int decodedBatches = 0;
    qint64 droppedDatagrams = 0;
    QStringList dataLost;
    int saveProgress = 0;
    bool saveComplete = false;
    QStringList saveErrors;
};
State g_State;
LibraryEvents::Listener g_Listener; // kept across install(), which resets only the records

void echo(const char* a_Kind, const QString& a_Text)
{
    if (g_Listener)
        g_Listener(QLatin1String(a_Kind), a_Text);
    if (g_State.verbose)
        Terminal::note(QStringLiteral("[%1] %2").arg(QLatin1String(a_Kind), a_Text));
}
} // namespace

void LibraryEvents::install(bool a_Verbose)
{
    g_State = State();
    g_State.verbose = a_Verbose;
    QuorvelDll::SetConnectStatusFunction(onConnectStatus);
    QuorvelDll::SetSysStatusFunction(onSysStatus);
    QuorvelDll::SetToolbarStatusFunction(onToolbarStatus);
    QuorvelDll::SetOperationErrorFunction(onOperationError);
    QuorvelDll::SetOperationProgressFunction(onOperationProgress);
    QuorvelDll::SetOperationCompleteFunction(onOperationComplete);
}

void LibraryEvents::setListener(Listener a_Listener)
{
    g_Listener = std::move(a_Listener);
}

void LibraryEvents::uninstall()
{
    QuorvelDll::SetConnectStatusFunction(nullptr);
    QuorvelDll::SetSysStatusFunction(nullptr);
    QuorvelDll::SetToolbarStatusFunction(nullptr);
    QuorvelDll::SetOperationErrorFunction(nullptr);
    QuorvelDll::SetOperationProgressFunction(nullptr);
    QuorvelDll::SetOperationCompleteFunction(nullptr);
}

int LibraryEvents::poweredUpCount() { return g_State.poweredUp; }
int LibraryEvents::systemOffCount() { return g_State.systemOff; }
bool LibraryEvents::controlLinkDropped() { return g_State.controlDropped; }
int LibraryEvents::decodedBatchCount() { return g_State.decodedBatches; }
qint64 LibraryEvents::droppedDatagrams() { return g_State.droppedDatagrams; }
QStringList LibraryEvents::dataLostTexts() { return g_State.dataLost; }

void LibraryEvents::resetSave()
{
    g_State.saveProgress = 0;
    g_State.saveComplete = false;
    g_State.saveErrors.clear();
}

int LibraryEvents::saveProgress() { return g_State.saveProgress; }
bool LibraryEvents::saveComplete() { return g_State.saveComplete; }
QStringList LibraryEvents::saveErrors() { return g_State.saveErrors; }

void LibraryEvents::onConnectStatus(const char* a_Text)
{
    const QString text = QString::fromUtf8(a_Text);
    echo("connect", text);
    if (text.startsWith(QLatin1String("System Control Socket disconnected")))
        g_State.controlDropped = true;
}

void LibraryEvents::onSysStatus(const char* a_Text)
{
    const QString text = QString::fromUtf8(a_Text);
    echo("system", text);
    if (text.startsWith(QLatin1String("Status:Idle")))
        ++g_State.poweredUp;
    else if (text.startsWith(QLatin1String("Status:Sys Off")))
        ++g_State.systemOff;
    else if (text.startsWith(QLatin1String("Packets decoded")))
        ++g_State.decodedBatches;
    else if (text.startsWith(QLatin1String("Data lost"))) {
        g_State.dataLost << text;
        static const QRegularExpression total(QStringLiteral("dropped \\d+ datagrams \\(total: (\\d+)\\)"));
        const QRegularExpressionMatch match = total.match(text);
        if (match.hasMatch())
            g_State.droppedDatagrams = match.captured(1).toLongLong();
    }
}

void LibraryEvents::onToolbarStatus(const char* a_Text)
{
    echo("toolbar", QString::fromUtf8(a_Text));
}

void LibraryEvents::onOperationError(const char* a_Text)
{
    const QString text = QString::fromUtf8(a_Text);
    echo("error", text);
    g_State.saveErrors << text;
}

void LibraryEvents::onOperationProgress(int a_Percent)
{
    g_State.saveProgress = a_Percent;
}

void LibraryEvents::onOperationComplete()
{
    g_State.saveComplete = true;
}

} // namespace tool
