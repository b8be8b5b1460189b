#include "transport/register.h"

Register::Register(int a_RegNo, RegisterOp a_Op)
    : QObject(nullptr)
    , m_RegNo(a_RegNo)
    , m_Op(a_Op)
{
    // Only the low eight bits reach the wire; callers check the range.
    const int command = (a_Op == REGISTER_OP_WRITE) ? (a_RegNo | 0x80) : a_RegNo;
    m_Bytes.append(static_cast<char>(command & 0xFF));
}

unsigned char Register::ReplyByte(const QByteArray& a_Reply, int a_Index)
{
    return a_Index >= 0 && a_Index < a_Reply.size() ? static_cast<unsigned char>(a_Reply.at(a_Index)) : 0;
}

int Register::GetExpectedReplyLength() const
{
    return m_Bytes.size() + m_ExtraReplyBytes;
}

void Register::AddByte(unsigned char a_Byte)
{
    m_Bytes.append(static_cast<char>(a_Byte));
}

void Register::AddBytes(const QByteArray& a_Bytes)
{
    m_Bytes.append(a_Bytes);
}

void Register::AddReadBytes(int a_Count)
{
    if (a_Count > 0)
        m_Bytes.append(a_Count, '\0');
}

const QByteArray& Register::GetByteArray() const
{
    return m_Bytes;
}

int Register::GetRegNo() const
{
    return m_RegNo;
}

RegisterOp Register::GetOp() const
{
    return m_Op;
}

Register& Register::operator|=(const Register& a_Other)
{
    if (m_Bytes.size() < 2)
        return *this;
    const QByteArray& other = a_Other.m_Bytes;
    const int last = qMin(m_Bytes.size(), other.size());
    for (int i = 1; i < last; ++i)
        m_Bytes[i] = static_cast<char>(m_Bytes.at(i) | other.at(i));
    return *this;
}
