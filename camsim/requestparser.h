// Splits the byte stream of a control connection into requests. Requests carry
// no length field: the camera knows each one's length from its command byte.
#ifndef CAMSIM_REQUESTPARSER_H
#define CAMSIM_REQUESTPARSER_H

#include <QByteArray>
#include <QVector>

namespace camsim {

struct ParsedRequest {
    enum Kind { SystemWrite, SystemRead, GmWrite, GmRead, AsicWrite, DiagnosticRead };
    Kind kind = SystemRead;
    int reg = 0;
    int gmId = 0;       // GM requests only
    quint16 value = 0;  // system write: MSB << 8 | LSB; GM write: the data byte
    QByteArray image;   // ASIC image of a register 29 or 30 write
};

class RequestParser {
public:
    static constexpr int globalImageBytes = 16;  // register 29
    static constexpr int channelImageBytes = 215; // register 30

    // Length of the whole request that starts with this command byte.
    static int requestLength(quint8 command);
    // What a complete request means; gmIds are the camera's GMs (a GM register
    // request names one of them in byte 1, a system request has 0 there).
    static ParsedRequest interpret(const QByteArray& request, const QVector<int>& gmIds);
    static bool isGmRegister(int reg);

    void append(const QByteArray& bytes);
    bool takeRequest(QByteArray* request); // false while the next request is incomplete
    int pendingBytes() const { return m_Buffer.size() - m_Offset; }

private:
    QByteArray m_Buffer;
    int m_Offset = 0;
};

} // namespace camsim

#endif
