#include "camsim/requestparser.h"

namespace camsim {

namespace {
constexpr quint8 writeBit = 0x80;
constexpr int diagnosticRegister = 17;
constexpr int globalImageRegister = 29;
constexpr int channelImageRegister = 30;
} // namespace

int RequestParser::requestLength(quint8 command)
{
    if (command == (writeBit | globalImageRegister))
        return 2 + globalImageBytes;
    if (command == (writeBit | channelImageRegister))
        return 2 + channelImageBytes;
    if (command == diagnosticRegister)
        return 1;
    return 3;
}

bool RequestParser::isGmRegister(int reg)
{
    return (reg >= 18 && reg <= 28) || reg == 127;
}

ParsedRequest RequestParser::interpret(const QByteArray& request, const QVector<int>& gmIds)
{
    ParsedRequest parsed;
    const auto byteAt = [&](int i) { return i < request.size() ? static_cast<quint8>(request.at(i)) : quint8(0); };
    const quint8 command = byteAt(0);
    const bool write = (command & writeBit) != 0;
    parsed.reg = command & 0x7F;
    if (!write && parsed.reg == diagnosticRegister && request.size() == 1) {
        parsed.kind = ParsedRequest::DiagnosticRead;
        return parsed;
    }
    if (write && (parsed.reg == globalImageRegister || parsed.reg == channelImageRegister)) {
        parsed.kind = ParsedRequest::AsicWrite;
        parsed.gmId = byteAt(1);
        parsed.image = request.mid(2);
        return parsed;
    }
    const int second = byteAt(1);
    if (isGmRegister(parsed.reg) && second != 0 && gmIds.contains(second)) {
        parsed.kind = write ? ParsedRequest::GmWrite : ParsedRequest::GmRead;
        parsed.gmId = second;
        parsed.value = byteAt(2);
        return parsed;
    }
    parsed.kind = write ? ParsedRequest::SystemWrite : ParsedRequest::SystemRead;
    parsed.value = static_cast<quint16>((second << 8) | byteAt(2));
    return parsed;
}

void RequestParser::append(const QByteArray& bytes)
{
    if (m_Offset > 0 && m_Offset == m_Buffer.size()) {
        m_Buffer.clear();
        m_Offset = 0;
    }
    m_Buffer.append(bytes);
}

bool RequestParser::takeRequest(QByteArray* request)
{
    if (pendingBytes() <= 0)
        return false;
    const int length = requestLength(static_cast<quint8>(m_Buffer.at(m_Offset)));
    if (pendingBytes() < length)
        return false;
    *request = m_Buffer.mid(m_Offset, length);
    m_Offset += length;
    if (m_Offset > 4096) {
        m_Buffer.remove(0, m_Offset);
        m_Offset = 0;
    }
    return true;
}

} // namespace camsim
