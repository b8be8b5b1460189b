#include "gammamodule/gmregister.h"

namespace {
// A GM's ADC registers answer a read with two value bytes to one placeholder.
constexpr int gmADC1Register = 26;
constexpr int gmADC2Register = 27;
} // namespace

GMRegister::GMRegister(int a_RegNo, int a_GMID, RegisterOp a_Op)
    : Register(a_RegNo, a_Op)
    , m_GMID(a_GMID)
{
    AddByte(static_cast<unsigned char>(a_GMID & 0xFF));
    if (a_Op == REGISTER_OP_READ && (a_RegNo == gmADC1Register || a_RegNo == gmADC2Register))
        m_ExtraReplyBytes = 1;
}

int GMRegister::GetGMID() const
{
    return m_GMID;
}
