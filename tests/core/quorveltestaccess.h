// Reaches into the controller for tests: connects its connection manager
// directly, drives its private slots, and hands out its parts.
#ifndef QUORVEL_TEST_QUORVELTESTACCESS_H
#define QUORVEL_TEST_QUORVELTESTACCESS_H

#include "core/quorvel.h"

class QuorvelTestAccess
{
public:
    static bool HasInstance() { return Quorvel::m_pInstance != nullptr; }
    static CommunicationMGR& Communication() { return Quorvel::GetInstance()->m_CommunicationMGR; }
    static QuorvelWorkerMGR& Workers() { return Quorvel::GetInstance()->m_WorkerMGR; }
    static QuorvelPacketDecoder& Decoder() { return Quorvel::GetInstance()->m_PacketDecoder; }
    static PacketOperations& Operations() { return Quorvel::GetInstance()->m_PacketOperations; }

    // Connects both control connections to a camera on the address and marks
    // the controller initialised.
    static bool ConnectTo(const QString& a_Address)
    {
        Quorvel* controller = Quorvel::GetInstance();
        controller->SetHostIPAddr(a_Address.toStdString());
        controller->SetCameraIPAddr(a_Address.toStdString());
        if (!controller->m_CommunicationMGR.Init(20483, 20484))
            return false;
        controller->m_Initialized = true;
        return true;
    }

    static void SetCameraUpdateMode(CameraUpdateMode a_Mode) { Quorvel::GetInstance()->m_CameraUpdateMode = a_Mode; }

    static void OperationError(const QString& a_Err) { Quorvel::GetInstance()->OnOperationError(a_Err); }
    static void OperationProgress(int a_Progress) { Quorvel::GetInstance()->OnOperationProgress(a_Progress); }
    static void OperationComplete() { Quorvel::GetInstance()->OnOperationComplete(); }
    static void StatusUpdate(const QString& a_Status) { Quorvel::GetInstance()->OnStatusUpdate(a_Status); }
};

#endif
