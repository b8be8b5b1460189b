// One decoded photon, held by value in the packet store (8 bytes each).
#ifndef QUORVEL_PHOTON_H
#define QUORVEL_PHOTON_H

#include <QtGlobal>

#include "quorveldll.h"

// Sign flags of the photon records' high bytes.
constexpr unsigned char photonPosEnergyBit = 0x80;
constexpr unsigned char photonNegEnergyBit = 0x20;
constexpr unsigned char photonPosTimeDetectBit = 0x40;
constexpr unsigned char photonNegTimeDetectBit = 0x10;

struct Photon
{
    // The fields are ordered for size, not for reading: two-byte fields first.
    qint16 m_Pixel = 0;             // channel byte or mapped pixel number
    quint16 m_Energy = 0;           // sign flag cleared
    quint16 m_TimeDetect = 0;       // sign flag cleared; 0 without time detect values
    quint8 m_PositiveEnergy = 0;
    quint8 m_PositiveTimeDetect = 0;

    // Writes the selected field as a non-negative int (the pixel read as an
    // unsigned 16-bit value). False, with a_Value untouched, for a selector
    // that names no field.
    bool GetData(PhotonData a_Type, int* a_Value) const;

    // Sets the photon's fields of a_Record; its packet's fields are left alone.
    void FillRecord(PhotonRecord& a_Record) const
    {
        a_Record.pixel = static_cast<uint16_t>(m_Pixel);
        a_Record.energy = m_Energy;
        a_Record.timeDetect = m_TimeDetect;
        a_Record.positiveEnergy = m_PositiveEnergy;
        a_Record.positiveTimeDetect = m_PositiveTimeDetect;
    }
};

static_assert(sizeof(Photon) == 8, "photons are stored by value and must stay compact");

#endif // QUORVEL_PHOTON_H
