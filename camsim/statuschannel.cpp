#include "camsim/statuschannel.h"

#include "camsim/camerastate.h"

#include <QTcpSocket>

namespace camsim {

StatusChannel::StatusChannel(CameraState* state, QObject* parent)
    : QObject(parent)
    , m_State(state)
    , m_GapTimer(new QTimer(this))
{
    m_GapTimer->setSingleShot(true);
    connect(m_GapTimer, &QTimer::timeout, this, &StatusChannel::writeNextChunk);
}

void StatusChannel::addConnection(QTcpSocket* socket)
{
    m_Sockets.append(socket);
}

void StatusChannel::send(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return;
    bool split;
    {
        std::lock_guard<std::mutex> lock(m_State->mutex);
        split = m_State->statusSplit;
    }
    if (!split && m_Queue.isEmpty()) {
        writeToAll(bytes);
        return;
    }
    if (split) {
        // One byte per segment, so every record straddles two segments.
        for (char byte : bytes)
            m_Queue.append(QByteArray(1, byte));
    } else {
        m_Queue.append(bytes);
    }
    if (!m_GapTimer->isActive())
        writeNextChunk();
}

void StatusChannel::writeNextChunk()
{
    if (m_Queue.isEmpty())
        return;
    writeToAll(m_Queue.takeFirst());
    if (!m_Queue.isEmpty()) {
        int gapMs;
        {
            std::lock_guard<std::mutex> lock(m_State->mutex);
            gapMs = m_State->statusSplitGapMs;
        }
        m_GapTimer->start(gapMs);
    }
}

void StatusChannel::writeToAll(const QByteArray& bytes)
{
    bool written = false;
    for (const QPointer<QTcpSocket>& socket : qAsConst(m_Sockets)) {
        if (!socket || socket->state() != QAbstractSocket::ConnectedState)
            continue;
        socket->write(bytes);
        socket->flush();
        written = true;
    }
    if (written) {
        std::lock_guard<std::mutex> lock(m_State->mutex);
        m_State->statusSent.append(bytes.constData(), bytes.size());
        m_State->changed.notify_all();
    }
}

void StatusChannel::powerUp()
{
    // Every GM announces itself in power-up order, then the camera reports idle once,
    // so a host waiting for idle has seen every GM by then.
    const QByteArray idle = QByteArray(1, static_cast<char>(idleRecord)) + QByteArray(1, '\0');
    QByteArray records;
    for (int id : m_State->config.gmIds) {
        records.append(static_cast<char>(powerUpRecord));
        records.append(static_cast<char>(id));
        if (m_State->config.idleAfterEachGm)
            records.append(idle);
    }
    if (!m_State->config.idleAfterEachGm)
        records.append(idle);
    send(records);
}

void StatusChannel::powerDown()
{
    send(QByteArray(2, static_cast<char>(sysOffRecord)));
}

void StatusChannel::closeAll()
{
    m_Queue.clear();
    m_GapTimer->stop();
    for (const QPointer<QTcpSocket>& socket : qAsConst(m_Sockets)) {
        if (socket)
            socket->abort();
    }
    m_Sockets.clear();
}

} // namespace camsim
