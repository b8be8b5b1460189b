// What the library reports through its callbacks, recorded for the commands.
// The callbacks only record (and echo when verbose): a callback must not call
// back into the library.
#ifndef TOOLS_LIBRARYEVENTS_H
#define TOOLS_LIBRARYEVENTS_H

#include <QString>
#include <QStringList>
#include <functional>

namespace tool {

class LibraryEvents {
public:
    static void install(bool a_Verbose); // registers all six callbacks
    static void uninstall();             // registers null callbacks
    // Also hands every status and error text to a_Listener (kind: "connect",
    // "system", "toolbar" or "error"), on the client's thread; empty to stop.
    using Listener = std::function<void(const QString& a_Kind, const QString& a_Text)>;
    static void setListener(Listener a_Listener);

    // Status channel: lines of the form "Status:Idle\tError:No Error" without a
    // GM part mark the end of a power-up.
    static int poweredUpCount();
    // Decoder: one "Packets decoded : n (Total: m)" per decoded batch.
    static int decodedBatchCount();
    // "Status:Sys Off" records: the camera's system was switched off.
    static int systemOffCount();
    // Control connection: the camera closed it ("System Control Socket disconnected").
    static bool controlLinkDropped();
    // Data worker: "Data lost: ..." texts; the datagrams the data socket dropped.
    static qint64 droppedDatagrams();
    static QStringList dataLostTexts();

    // CSV save: progress, completion and errors.
    static void resetSave();
    static int saveProgress();
    static bool saveComplete();
    static QStringList saveErrors();

private:
    static void onConnectStatus(const char* a_Text);
    static void onSysStatus(const char* a_Text);
    static void onToolbarStatus(const char* a_Text);
    static void onOperationError(const char* a_Text);
    static void onOperationProgress(int a_Percent);
    static void onOperationComplete();
};

} // namespace tool

#endif
