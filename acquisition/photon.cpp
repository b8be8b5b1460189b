#include "acquisition/photon.h"

bool Photon::GetData(PhotonData a_Type, int* a_Value) const
{
    switch (a_Type) {
    case PHOTON_DATA_PIXEL:
        *a_Value = static_cast<quint16>(m_Pixel);
        return true;
    case PHOTON_DATA_ENERGY:
        *a_Value = m_Energy;
        return true;
    case PHOTON_DATA_POSITIVE_ENERGY:
        *a_Value = m_PositiveEnergy;
        return true;
    case PHOTON_DATA_TIME_DETECT:
        *a_Value = m_TimeDetect;
        return true;
    case PHOTON_DATA_POSITIVE_TIME_DETECT:
        *a_Value = m_PositiveTimeDetect;
        return true;
    }
    return false;
}
