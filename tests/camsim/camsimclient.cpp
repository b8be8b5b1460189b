#include "camsimclient.h"

#include "support/testsupport.h"

#include <gtest/gtest.h>

namespace camsimtest {

using camsim::Channel;

std::unique_ptr<camsim::VirtualCamera> startCamera(camsim::CameraConfig config)
{
    config.address = testsupport::testLoopbackAddress();
    auto camera = std::make_unique<camsim::VirtualCamera>(config);
    QString error;
    EXPECT_TRUE(camera->start(&error)) << error.toStdString();
    return camera;
}

RawClient::RawClient(const QString& address)
    : m_Address(address)
{
}

bool RawClient::connectTo(Channel channel, int timeoutMs)
{
    QTcpSocket& s = socket(channel);
    s.bind(QHostAddress(m_Address), 0);
    s.connectToHost(m_Address, static_cast<quint16>(20483 + static_cast<int>(channel)));
    return s.waitForConnected(timeoutMs);
}

QTcpSocket& RawClient::socket(Channel channel)
{
    return m_Sockets[static_cast<int>(channel)];
}

void RawClient::send(const QByteArray& bytes, Channel channel)
{
    QTcpSocket& s = socket(channel);
    s.write(bytes);
    s.waitForBytesWritten(3000);
}

QByteArray RawClient::receive(int count, int timeoutMs, Channel channel)
{
    QTcpSocket& s = socket(channel);
    testsupport::waitUntil([&] { return s.bytesAvailable() >= count; }, timeoutMs);
    return s.readAll();
}

QByteArray RawClient::request(const QByteArray& bytes, int replyBytes, int timeoutMs)
{
    send(bytes);
    return receive(replyBytes, timeoutMs);
}

quint16 RawClient::openDataPort()
{
    m_Data.bind(QHostAddress(m_Address), 0);
    // The default buffer holds only about a hundred datagrams.
    m_Data.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 8 * 1024 * 1024);
    const quint16 port = m_Data.localPort();
    QByteArray write;
    write.append(char(0x8E)).append(char(port >> 8)).append(char(port & 0xFF));
    send(write);
    return port;
}

void RawClient::writeControl(quint8 byte0, quint8 byte1)
{
    QByteArray write;
    write.append(char(0x90)).append(char(byte0)).append(char(byte1));
    send(write);
}

void RawClient::drain()
{
    while (m_Data.hasPendingDatagrams()) {
        QByteArray datagram(static_cast<int>(m_Data.pendingDatagramSize()), '\0');
        m_Data.readDatagram(datagram.data(), datagram.size());
        m_Datagrams.append(datagram);
    }
}

bool RawClient::waitForDatagrams(int count, int timeoutMs)
{
    return testsupport::waitUntil([&] {
        drain();
        return m_Datagrams.size() >= count;
    }, timeoutMs);
}

QList<QByteArray> RawClient::takeDatagrams()
{
    drain();
    QList<QByteArray> taken;
    taken.swap(m_Datagrams);
    return taken;
}

bool splitPackets(const QByteArray& datagram, int recordBytes, QVector<Packet>* packets)
{
    const auto byteAt = [&](int i) { return static_cast<quint8>(datagram.at(i)); };
    int at = 0;
    while (at < datagram.size()) {
        if (datagram.size() - at < 10 || byteAt(at) != 0xFE || byteAt(at + 1) != 0x7E)
            return false;
        // Find the footer that closes a body of whole records.
        int end = -1;
        for (int j = at + 6; j + 3 < datagram.size(); j += recordBytes) {
            if (byteAt(j + 2) == 0xFD && byteAt(j + 3) == 0x7F) {
                end = j + 4;
                Packet packet;
                packet.gmId = byteAt(at + 2);
                packet.headerWord = static_cast<quint16>(byteAt(at + 3) << 8 | byteAt(at + 4));
                packet.headerByte = byteAt(at + 5);
                packet.records = datagram.mid(at + 6, j - at - 6);
                quint32 sum = 0;
                for (int k = at; k < j; ++k)
                    sum += byteAt(k);
                packet.checksumOk = (sum & 0xFFFF) == static_cast<quint32>(byteAt(j) << 8 | byteAt(j + 1));
                if (!packet.checksumOk && end < datagram.size() && byteAt(end) != 0xFE)
                    continue; // a footer pattern inside the body
                packets->append(packet);
                break;
            }
        }
        if (end < 0)
            return false;
        at = end;
    }
    return true;
}

} // namespace camsimtest
