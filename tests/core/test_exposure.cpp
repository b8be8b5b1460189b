// What the library exposes on the host: its sockets use only the host address
// the client gave and none of them listens, and its saves create only the
// files the client named.
#include "tests/support/camerarig.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <set>

namespace {

struct OpenSocket
{
    QString protocol;   // "tcp" or "udp"
    QString local;      // dotted IPv4, or the kernel's hex for IPv6
    int port = 0;
    int state = 0;      // TCP state as /proc/net shows it; 0x0A is LISTEN
};

// The inodes of the sockets this process holds open.
std::set<QString> OwnSocketInodes()
{
    std::set<QString> inodes;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& entry : fds.entryList(QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = QFile::symLinkTarget(fds.filePath(entry));
        if (target.contains(QLatin1String("socket:[")))
            inodes.insert(target.section(QLatin1Char('['), 1).section(QLatin1Char(']'), 0, 0));
    }
    return inodes;
}

QString DottedIPv4(const QString& a_Hex)
{
    bool ok = false;
    const quint32 value = a_Hex.toUInt(&ok, 16);   // little-endian on the hosts we run on
    return QStringLiteral("%1.%2.%3.%4").arg(value & 0xFF).arg((value >> 8) & 0xFF).arg((value >> 16) & 0xFF).arg(value >> 24);
}

// Every internet socket of this process, from the kernel's tables.
QList<OpenSocket> OwnInternetSockets()
{
    const std::set<QString> inodes = OwnSocketInodes();
    QList<OpenSocket> sockets;
    for (const char* table : {"tcp", "udp", "tcp6", "udp6"}) {
        QFile file(QStringLiteral("/proc/self/net/%1").arg(QLatin1String(table)));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QTextStream lines(&file);
        lines.readLine();   // the header
        for (QString line = lines.readLine(); !line.isNull(); line = lines.readLine()) {
            const QStringList fields = line.simplified().split(QLatin1Char(' '));
            if (fields.size() < 10 || inodes.count(fields[9]) == 0)
                continue;
            const QString address = fields[1].section(QLatin1Char(':'), 0, 0);
            OpenSocket socket;
            socket.protocol = QString::fromLatin1(table).left(3);
            socket.local = address.size() == 8 ? DottedIPv4(address) : address;
            socket.port = fields[1].section(QLatin1Char(':'), 1).toInt(nullptr, 16);
            socket.state = fields[3].toInt(nullptr, 16);
            sockets.append(socket);
        }
    }
    return sockets;
}

class ExposureTest : public CameraRig
{
};

TEST_F(ExposureTest, LibrarySocketsUseOnlyTheHostAddressAndNoneListens)
{
    // The camera and the host on two addresses, so the camera's own sockets
    // (in this process too) can be told apart.
    StartCamera();
    PrepareClient();
    const std::string host = testsupport::loopbackAddressFor(m_Address + QStringLiteral("/host")).toStdString();
    QuorvelDll::SetHostIPAddress(host.c_str());
    ASSERT_TRUE(QuorvelDll::Initialize()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(QuorvelDll::StartSys()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(QuorvelDll::StartPhotonCollection()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(m_Camera->waitForPacketsSent(20, waitMs));

    int tcp = 0;
    int udp = 0;
    for (const OpenSocket& socket : OwnInternetSockets()) {
        if (socket.local == m_Address)
            continue;
        EXPECT_EQ(socket.local.toStdString(), host) << socket.protocol.toStdString() << " port " << socket.port;
        EXPECT_NE(socket.state, 0x0A) << socket.protocol.toStdString() << " port " << socket.port << " listens";
        (socket.protocol == QLatin1String("tcp") ? tcp : udp) += 1;
    }
    // Control, simulator and status connections, and the data socket.
    EXPECT_EQ(tcp, 3);
    EXPECT_EQ(udp, 1);
    ASSERT_TRUE(QuorvelDll::StopPhotonCollection()) << QuorvelDll::GetLastError();
}

TEST_F(ExposureTest, SavesCreateOnlyTheFilesTheClientNamed)
{
    StartCamera();
    ASSERT_NO_FATAL_FAILURE(StartSystem());
    ASSERT_TRUE(QuorvelDll::StartPhotonCollection()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(m_Camera->waitForPacketsSent(20, waitMs));
    ASSERT_TRUE(QuorvelDll::StopPhotonCollection()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(testsupport::waitUntil([] { return QuorvelDll::GetNoOfCollectedPackets() > 0; }, waitMs));

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string binary = folder.filePath(QStringLiteral("photons.dat")).toStdString();
    const std::string configuration = folder.filePath(QStringLiteral("configuration.dat")).toStdString();
    ASSERT_TRUE(QuorvelDll::SaveBinaryCollection(binary.c_str())) << QuorvelDll::GetLastError();
    ASSERT_TRUE(QuorvelDll::SaveConfiguration(configuration.c_str())) << QuorvelDll::GetLastError();
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({QStringLiteral("configuration.dat"), QStringLiteral("photons.dat")}));
}

} // namespace
