#include "gammamodule/gmasicregister.h"

GMASICRegister::GMASICRegister(int a_RegNo, int a_GMID)
    : GMRegister(a_RegNo, a_GMID, REGISTER_OP_WRITE)
{
}

void GMASICRegister::AddDataBytes(const QByteArray& a_Bytes)
{
    AddBytes(a_Bytes);
}
