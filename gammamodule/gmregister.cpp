#include "gammamodule/gmregister.h"

#include "core/registermap.h"

GMRegister::GMRegister(int a_RegNo, int a_GMID, RegisterOp a_Op)
    : Register(a_RegNo, a_Op)
    , m_GMID(a_GMID)
{
    AddByte(static_cast<unsigned char>(a_GMID & 0xFF));
    if (a_Op == REGISTER_OP_READ)
        m_ExtraReplyBytes = RegisterMap::GMReplyExtraBytes(a_RegNo);
}

int GMRegister::GetGMID() const
{
    return m_GMID;
}
