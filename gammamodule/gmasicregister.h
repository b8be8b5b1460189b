// A write to an ASIC register (29 global image, 30 channel image) of one GM.
#ifndef QUORVEL_GMASICREGISTER_H
#define QUORVEL_GMASICREGISTER_H

#include <QByteArray>

#include "gammamodule/gmregister.h"

class GMASICRegister : public GMRegister
{
public:
    GMASICRegister(int a_RegNo, int a_GMID);

    void AddDataBytes(const QByteArray& a_Bytes);
};

#endif // QUORVEL_GMASICREGISTER_H
