// A register request addressed to one gamma module: command byte, GM ID byte,
// then data or read placeholder bytes.
#ifndef QUORVEL_GMREGISTER_H
#define QUORVEL_GMREGISTER_H

#include "transport/register.h"

class GMRegister : public Register
{
public:
    GMRegister(int a_RegNo, int a_GMID, RegisterOp a_Op);

    int GetGMID() const;

protected:
    int m_GMID;
};

#endif // QUORVEL_GMREGISTER_H
