// Register requests as bytes, and the control connections over real sockets
// with the virtual camera as the peer.
#include "transport/communicationmgr.h"
#include "transport/register.h"
#include "gammamodule/gmregister.h"

#include "camsim/virtualcamera.h"
#include "support/testsupport.h"

#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

class CommunicationMGRTestAccess
{
public:
    // Pulls what the system holds for the control socket into Qt's buffer.
    static qint64 PendingControlBytes(CommunicationMGR& a_Manager)
    {
        a_Manager.m_SysControlSocket.waitForReadyRead(0);
        return a_Manager.m_SysControlSocket.bytesAvailable();
    }
};

namespace {

constexpr quint16 sysControlPort = 20483;
constexpr quint16 simulatorPort = 20484;

QStringList g_Reports;
void recordReport(const char* a_Text)
{
    g_Reports.append(QString::fromUtf8(a_Text));
}

using testsupport::bytes;

struct ReadRequest : Register {
    ReadRequest(int a_RegNo, int a_ReadBytes)
        : Register(a_RegNo, REGISTER_OP_READ)
    {
        AddReadBytes(a_ReadBytes);
    }
};

class CommunicationMGRTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_Reports.clear();
        m_Address = testsupport::testLoopbackAddress();
        m_Manager.SetHostIPAddress(m_Address);
        m_Manager.SetRemoteIPAddress(m_Address);
        m_Manager.SetControlStatusFunc(recordReport);
    }

    void StartCamera()
    {
        camsim::CameraConfig config;
        config.address = m_Address;
        m_Camera.reset(new camsim::VirtualCamera(config));
        QString error;
        ASSERT_TRUE(m_Camera->start(&error)) << error.toStdString();
    }

    void Connect()
    {
        StartCamera();
        ASSERT_TRUE(m_Manager.Init(sysControlPort, simulatorPort)) << m_Manager.GetLastError().toStdString();
        g_Reports.clear();
    }

    QString m_Address;
    std::unique_ptr<camsim::VirtualCamera> m_Camera;
    CommunicationMGR m_Manager;
};

TEST_F(CommunicationMGRTest, InitRefusesHostAddressesItCannotBindTo)
{
    StartCamera();
    // Empty and unparsable texts would make Qt bind to every interface.
    for (const QString& host : {QString(), QStringLiteral("not an address"), QStringLiteral("192.0.2.1")}) {
        m_Manager.SetHostIPAddress(host);
        EXPECT_FALSE(m_Manager.Init(sysControlPort, simulatorPort)) << host.toStdString();
        EXPECT_EQ(m_Manager.GetLastError(), QStringLiteral("Failed to bind to Host IP address"));
        EXPECT_FALSE(m_Manager.SocketsConnected());
    }
    EXPECT_EQ(m_Camera->connectionCount(camsim::Channel::Control), 0);
    EXPECT_EQ(m_Camera->connectionCount(camsim::Channel::Simulator), 0);
    EXPECT_TRUE(g_Reports.isEmpty()) << g_Reports.join('|').toStdString();
}

TEST_F(CommunicationMGRTest, InitWithoutCameraFailsToConnectAndReportsNoDisconnection)
{
    EXPECT_FALSE(m_Manager.Init(sysControlPort, simulatorPort));
    EXPECT_EQ(m_Manager.GetLastError(), QStringLiteral("Failed to connect to Camera IP address"));
    EXPECT_FALSE(m_Manager.SocketsConnected());
    for (const QString& report : g_Reports)
        EXPECT_FALSE(report.contains(QStringLiteral("connected"))) << report.toStdString();

    // A later Init with a camera present starts from fresh sockets.
    StartCamera();
    EXPECT_TRUE(m_Manager.Init(sysControlPort, simulatorPort)) << m_Manager.GetLastError().toStdString();
    EXPECT_TRUE(m_Manager.SocketsConnected());
}

TEST_F(CommunicationMGRTest, ConnectStatusTextsNameTheRealEndpoints)
{
    StartCamera();
    ASSERT_TRUE(m_Manager.Init(sysControlPort, simulatorPort));
    EXPECT_TRUE(m_Manager.SocketsConnected());
    ASSERT_EQ(g_Reports.size(), 4) << g_Reports.join('|').toStdString();
    EXPECT_EQ(g_Reports[0], QStringLiteral("Simulator Socket host found"));
    EXPECT_EQ(g_Reports[2], QStringLiteral("System Control Socket host found"));

    const QString address = QRegularExpression::escape(m_Address);
    const auto endpoints = [&](const QString& a_Name, quint16 a_Port) {
        return QRegularExpression(QStringLiteral("^%1 Socket %2:(\\d+) connected to %2:%3$").arg(a_Name, address).arg(a_Port));
    };
    const QRegularExpressionMatch simulator = endpoints(QStringLiteral("Simulator"), simulatorPort).match(g_Reports[1]);
    const QRegularExpressionMatch control = endpoints(QStringLiteral("System Control"), sysControlPort).match(g_Reports[3]);
    ASSERT_TRUE(simulator.hasMatch()) << g_Reports[1].toStdString();
    ASSERT_TRUE(control.hasMatch()) << g_Reports[3].toStdString();
    EXPECT_NE(simulator.captured(1).toInt(), 0);
    EXPECT_NE(control.captured(1).toInt(), simulator.captured(1).toInt());
    EXPECT_EQ(m_Manager.CreateConnectStr(nullptr), QString());
}

TEST_F(CommunicationMGRTest, DisconnectReportsOnlySocketsThatWereConnected)
{
    m_Manager.Disconnect();
    EXPECT_TRUE(g_Reports.isEmpty());

    Connect();
    m_Manager.Disconnect();
    EXPECT_FALSE(m_Manager.SocketsConnected());
    EXPECT_EQ(g_Reports, QStringList({QStringLiteral("Simulator Socket disconnected"),
                                      QStringLiteral("System Control Socket disconnected")}));

    g_Reports.clear();
    m_Manager.Disconnect();
    EXPECT_TRUE(g_Reports.isEmpty());

    // Reports stop once the callback is switched off.
    Connect();
    m_Manager.SetControlStatusFunc(nullptr);
    m_Manager.Disconnect();
    EXPECT_TRUE(g_Reports.isEmpty());
}

TEST_F(CommunicationMGRTest, WritesAndReadsFailOnUnconnectedSockets)
{
    Register write(3, REGISTER_OP_WRITE);
    write.AddByte(1);
    EXPECT_FALSE(m_Manager.WriteSysControlRegister(write));
    EXPECT_EQ(m_Manager.GetLastError(), QStringLiteral("Failed to write to register 3"));
    EXPECT_FALSE(m_Manager.WriteSimulatorRegister(write));

    QByteArray reply = bytes({0x55});
    EXPECT_FALSE(m_Manager.ReadSysControlRegister(ReadRequest(12, 2), &reply));
    EXPECT_EQ(m_Manager.GetLastError(), QStringLiteral("Failed to read from register 12"));
    EXPECT_EQ(reply, bytes({0x55}));
    EXPECT_FALSE(m_Manager.ReadSimulatorRegister(ReadRequest(12, 2), &reply));
}

TEST_F(CommunicationMGRTest, RequestsGoOutAsTheirBytesOnTheirConnection)
{
    Connect();
    Register control(16, REGISTER_OP_WRITE);
    control.AddByte(0x1C);
    control.AddByte(0x05);
    Register simulator(1, REGISTER_OP_WRITE);
    simulator.AddByte(0x12);
    simulator.AddByte(0x00);
    EXPECT_TRUE(m_Manager.WriteSysControlRegister(control));
    EXPECT_TRUE(m_Manager.WriteSimulatorRegister(simulator));

    QByteArray reply;
    EXPECT_FALSE(m_Manager.ReadSysControlRegister(ReadRequest(3, 2), nullptr));
    EXPECT_EQ(m_Manager.GetLastError(), QStringLiteral("Failed to read from register 3"));
    ASSERT_TRUE(m_Manager.ReadSysControlRegister(ReadRequest(127, 2), &reply));
    EXPECT_EQ(reply, bytes({0x7F, 0x00, 0x15}));

    ASSERT_TRUE(m_Camera->waitForRequests(2, 2000));
    EXPECT_EQ(m_Camera->requests(), QList<QByteArray>({bytes({0x90, 0x1C, 0x05}), bytes({0x7F, 0x00, 0x00})}));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !m_Camera->simulatorRequests().isEmpty(); }, 2000));
    EXPECT_EQ(m_Camera->receivedBytes(camsim::Channel::Simulator), bytes({0x81, 0x12, 0x00}));
}

// Replies the camera spoils: a wrong echo byte is refused; replies cut short are
// taken after the completion wait; a split reply is waited for. Each request
// after a spoiled one is answered normally.
TEST_F(CommunicationMGRTest, ReadCopesWithSpoiledReplies)
{
    Connect();
    m_Camera->setSystemRegister(14, 0x1234);
    QByteArray reply;
    m_Camera->setReplyFault(camsim::ReplyFault::WrongEcho, 0, 1);
    EXPECT_FALSE(m_Manager.ReadSysControlRegister(ReadRequest(14, 2), &reply));
    EXPECT_EQ(m_Manager.GetLastError(), QStringLiteral("Invalid read command for register 14"));
    const std::pair<camsim::ReplyFault, QByteArray> faults[] = {
        {camsim::ReplyFault::None, bytes({14, 0x12, 0x34})},
        {camsim::ReplyFault::EchoOnly, bytes({14})},
        {camsim::ReplyFault::Short, bytes({14, 0x12})},
        {camsim::ReplyFault::Split, bytes({14, 0x12, 0x34})},
    };
    for (const auto& fault : faults) {
        m_Camera->setReplyFault(fault.first, 100, 1);
        ASSERT_TRUE(m_Manager.ReadSysControlRegister(ReadRequest(14, 2), &reply)) << static_cast<int>(fault.first);
        EXPECT_EQ(reply, fault.second) << static_cast<int>(fault.first);
    }

    // A GM's ADC register replies with two value bytes to its one placeholder.
    m_Camera->setAdcReading(1, 1, 0x0ABC);
    m_Camera->setReplyFault(camsim::ReplyFault::Split, 100, 1);
    GMRegister adc(26, 1, REGISTER_OP_READ);
    adc.AddReadBytes(1);
    EXPECT_EQ(CommunicationMGR::ExpectedReplyLength(adc), 4);
    EXPECT_EQ(adc.GetGMID(), 1);
    EXPECT_EQ(adc.GetOp(), REGISTER_OP_READ);
    ASSERT_TRUE(m_Manager.ReadSysControlRegister(adc, &reply));
    EXPECT_EQ(reply, bytes({26, 1, 0x0A, 0xBC}));
}

TEST_F(CommunicationMGRTest, OnlyGMReadsOfTheADCRegistersAwaitAFourthByte)
{
    // A system read of 26 or 27 has the same three request bytes as a GM's
    // ADC read but is answered with three; waiting for a fourth would hold up
    // every such read for the whole completion wait.
    for (int regNo : {26, 27}) {
        EXPECT_EQ(CommunicationMGR::ExpectedReplyLength(ReadRequest(regNo, 2)), 3) << regNo;
        GMRegister gmRead(regNo, 2, REGISTER_OP_READ);
        gmRead.AddReadBytes(1);
        EXPECT_EQ(CommunicationMGR::ExpectedReplyLength(gmRead), 4) << regNo;
        GMRegister gmWrite(regNo, 2, REGISTER_OP_WRITE);
        gmWrite.AddByte(0x55);
        EXPECT_EQ(CommunicationMGR::ExpectedReplyLength(gmWrite), 3) << regNo;
    }
    GMRegister other(25, 2, REGISTER_OP_READ);
    other.AddReadBytes(1);
    EXPECT_EQ(CommunicationMGR::ExpectedReplyLength(other), 3);

    Connect();
    m_Camera->setSystemRegister(26, 0x0102);
    QByteArray reply;
    ASSERT_TRUE(m_Manager.ReadSysControlRegister(ReadRequest(26, 2), &reply));
    EXPECT_EQ(reply, bytes({26, 0x01, 0x02}));
}

TEST_F(CommunicationMGRTest, LateBytesOfAnEarlierReplyAreDiscardedBeforeTheNextRequest)
{
    Connect();
    m_Camera->setSystemRegister(14, 0x1234);
    m_Camera->setSystemRegister(16, 0x0056);
    // The rest of this reply comes after the completion wait has given up.
    m_Camera->setReplyFault(camsim::ReplyFault::Split, CommunicationMGR::ReplyCompletionWaitMs + 300, 1);
    QByteArray reply;
    ASSERT_TRUE(m_Manager.ReadSysControlRegister(ReadRequest(14, 2), &reply));
    EXPECT_EQ(reply, bytes({14}));
    ASSERT_TRUE(testsupport::waitUntil([&] { return CommunicationMGRTestAccess::PendingControlBytes(m_Manager) == 2; }, 3000));

    ASSERT_TRUE(m_Manager.ReadSysControlRegister(ReadRequest(16, 2), &reply)) << m_Manager.GetLastError().toStdString();
    EXPECT_EQ(reply, bytes({16, 0x00, 0x56}));
}

TEST_F(CommunicationMGRTest, ReadFailsWhenTheCameraDropsTheConnection)
{
    Connect();
    m_Camera->setReplyFault(camsim::ReplyFault::NoReply);
    ASSERT_TRUE(m_Camera->waitForConnections(camsim::Channel::Control, 1, 2000));
    m_Camera->closeConnection(camsim::Channel::Control);
    ASSERT_TRUE(testsupport::waitUntil([] { return g_Reports.contains(QStringLiteral("System Control Socket disconnected")); }, 3000));
    QByteArray reply;
    EXPECT_FALSE(m_Manager.ReadSysControlRegister(ReadRequest(14, 2), &reply));
    EXPECT_EQ(m_Manager.GetLastError(), QStringLiteral("Failed to read from register 14"));
    // The flag stays set until Disconnect.
    EXPECT_TRUE(m_Manager.SocketsConnected());
}

TEST(Register, CommandByteCarriesNumberAndWriteBit)
{
    EXPECT_EQ(Register(0, REGISTER_OP_WRITE).GetByteArray(), bytes({0x80}));
    EXPECT_EQ(Register(127, REGISTER_OP_WRITE).GetByteArray(), bytes({0xFF}));
    EXPECT_EQ(Register(17, REGISTER_OP_READ).GetByteArray(), bytes({0x11}));
    EXPECT_EQ(Register(17, REGISTER_OP_READ).GetRegNo(), 17);
}

TEST(Register, WriteAndReadRequestsHaveTheirBytesInOrder)
{
    Register write(16, REGISTER_OP_WRITE);
    write.AddByte(0x1C);
    write.AddByte(0x05);
    EXPECT_EQ(write.GetByteArray(), bytes({0x90, 0x1C, 0x05}));

    Register hv(15, REGISTER_OP_WRITE);
    hv.AddBytes(bytes({0x90, 0x51}));
    EXPECT_EQ(hv.GetByteArray(), bytes({0x8F, 0x90, 0x51}));

    Register read(127, REGISTER_OP_READ);
    read.AddReadBytes(2);
    EXPECT_EQ(read.GetByteArray(), bytes({0x7F, 0x00, 0x00}));

    Register none(5, REGISTER_OP_READ);
    none.AddReadBytes(0);
    none.AddReadBytes(-3);
    EXPECT_EQ(none.GetByteArray(), bytes({0x05}));
}

TEST(Register, OrMergesOnlyOverlappingDataBytes)
{
    Register commandOnly(3, REGISTER_OP_WRITE);
    Register other(4, REGISTER_OP_WRITE);
    other.AddBytes(bytes({0xFF, 0xFF}));
    commandOnly |= other;
    EXPECT_EQ(commandOnly.GetByteArray(), bytes({0x83}));

    Register target(3, REGISTER_OP_WRITE);
    target.AddBytes(bytes({0x01, 0x10, 0x00}));
    Register shorter(9, REGISTER_OP_READ);
    shorter.AddBytes(bytes({0x02}));
    target |= shorter;
    EXPECT_EQ(target.GetByteArray(), bytes({0x83, 0x03, 0x10, 0x00}));

    Register longer(9, REGISTER_OP_WRITE);
    longer.AddBytes(bytes({0x40, 0x01, 0x80, 0x7F, 0x7F}));
    target |= longer;
    EXPECT_EQ(target.GetByteArray(), bytes({0x83, 0x43, 0x11, 0x80}));
}

} // namespace
