// The camera's status channel: port 20485, two-byte records of status, error
// and GM ID.
#ifndef QUORVEL_QUORVELSTATUSWORKER_H
#define QUORVEL_QUORVELSTATUSWORKER_H

#include "acquisition/statusworker.h"

class QuorvelStatusWorker : public StatusWorker
{
    Q_OBJECT
public:
    static constexpr quint16 STATUS_PORT = 20485;

    QuorvelStatusWorker(const QString& a_HostIPAddress, const QString& a_RemoteIPAddress);

    // Decodes a run of status records. A trailing odd byte is kept and joined
    // with the first byte of the next run, since TCP may split a record.
    void DecodeRecords(const QByteArray& a_Bytes);

signals:
    void GMDetermined(int a_GMID);
    void PoweredUp();

public slots:
    void OnDataReady() override;

protected:
    void OnConnectionStarting() override;

private:
    void DecodeRecord(unsigned char a_StatusByte, unsigned char a_GMByte);

    bool m_HasPartialRecord = false;
    unsigned char m_PartialStatusByte = 0;
};

#endif
