#include "acquisition/quorvelstatusworker.h"

#include <QTcpSocket>

QuorvelStatusWorker::QuorvelStatusWorker(const QString& a_HostIPAddress, const QString& a_RemoteIPAddress)
    : StatusWorker(a_HostIPAddress, a_RemoteIPAddress, STATUS_PORT)
{
}

void QuorvelStatusWorker::OnConnectionStarting()
{
    // A half record of the previous connection does not belong to the next one.
    m_HasPartialRecord = false;
}

void QuorvelStatusWorker::OnDataReady()
{
    if (!m_pStatusSocket)
        return;
    const QByteArray bytes = m_pStatusSocket->readAll();
    if (!bytes.isEmpty())
        DecodeRecords(bytes);
}

void QuorvelStatusWorker::DecodeRecords(const QByteArray& a_Bytes)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(a_Bytes.constData());
    const int count = a_Bytes.size();
    int i = 0;
    if (m_HasPartialRecord && count > 0) {
        m_HasPartialRecord = false;
        DecodeRecord(m_PartialStatusByte, bytes[0]);
        i = 1;
    }
    for (; i + 1 < count; i += 2)
        DecodeRecord(bytes[i], bytes[i + 1]);
    if (i < count) {
        m_HasPartialRecord = true;
        m_PartialStatusByte = bytes[i];
    }
}

void QuorvelStatusWorker::DecodeRecord(unsigned char a_StatusByte, unsigned char a_GMByte)
{
    const int gm = static_cast<signed char>(a_GMByte);
    const KelvoError err = GetError(a_StatusByte);
    const KelvoStatus status = GetStatus(a_StatusByte);

    if (gm > 0 && status == KELVO_STATUS_POWER_UP) {
        if (err == KELVO_ERROR_NO_ERROR)
            emit GMDetermined(gm);
    } else if (err == KELVO_ERROR_NO_ERROR && status == KELVO_STATUS_IDLE) {
        emit PoweredUp();
    }

    QString line;
    if (gm > 0)
        line += QStringLiteral("GM:%1\t").arg(gm);
    line += QStringLiteral("Status:%1\t").arg(GetKelvoStatusStr(status));
    line += QStringLiteral("Error:%1").arg(GetKelvoErrStr(err));
    emit statusUpdate(line);
}
