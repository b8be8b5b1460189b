// One request to a camera register: a command byte (register number, bit 7 set
// for a write) followed by data bytes, or by one zero byte per value byte a read
// expects back.
#ifndef QUORVEL_REGISTER_H
#define QUORVEL_REGISTER_H

#include <QByteArray>
#include <QObject>

enum RegisterOp {
    REGISTER_OP_WRITE = 0,
    REGISTER_OP_READ = 1
};

class Register : public QObject
{
    Q_OBJECT

public:
    Register(int a_RegNo, RegisterOp a_Op);

    void AddByte(unsigned char a_Byte);
    void AddBytes(const QByteArray& a_Bytes);
    void AddReadBytes(int a_Count);

    const QByteArray& GetByteArray() const;
    int GetRegNo() const;
    RegisterOp GetOp() const;
    // Bytes a read's reply carries: the echo and one per placeholder, plus
    // what the register adds beyond its placeholders.
    int GetExpectedReplyLength() const;

    // Byte a_Index of a read's reply (0 is the echo), or 0 past its end.
    static unsigned char ReplyByte(const QByteArray& a_Reply, int a_Index);

    // ORs the other request's data bytes into this one's; the command byte and
    // this request's length never change.
    Register& operator|=(const Register& a_Other);

protected:
    QByteArray m_Bytes;
    int m_RegNo;
    RegisterOp m_Op;
    int m_ExtraReplyBytes = 0;
};

#endif // QUORVEL_REGISTER_H
