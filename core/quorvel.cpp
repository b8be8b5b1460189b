#include "core/quorvel.h"

Quorvel* Quorvel::m_pInstance = nullptr;

Quorvel* Quorvel::GetInstance()
{
    if (!m_pInstance)
        m_pInstance = new Quorvel();
    return m_pInstance;
}

void Quorvel::DeleteInstance()
{
    // Cleared first, so nothing reached during destruction finds a half-destroyed controller.
    Quorvel* instance = m_pInstance;
    m_pInstance = nullptr;
    delete instance;
}

Quorvel::Quorvel()
    : QObject(nullptr)
{
    SetupSlots();
    // The mode travels to the decoder's thread through a queued connection.
    qRegisterMetaType<PixelMappingMode>("PixelMappingMode");
}

Quorvel::~Quorvel()
{
    // 1. Quit and join the decoder thread, then the packet operations thread.
    // 2. Stop the worker threads, so no worker can touch the read buffer, then
    //    delete the singletons ReadBuffer, GammaModules and CollectedPackets.
    // 3. The members are then destroyed in reverse order; m_CommunicationMGR
    //    last, closing the control connections.
}

void Quorvel::SetupSlots()
{
    // Connections between the controller, the worker manager, the decoder and
    // the packet operations are made here as those members join.
}

std::string Quorvel::GetLastError() const
{
    return m_LastError.toUtf8().toStdString();
}

void Quorvel::SetConnectStatusFunc(void (*a_Func)(const char*))
{
    m_CommunicationMGR.SetControlStatusFunc(a_Func);
}

void Quorvel::SetSysStatusFunc(void (*a_Func)(const char*))
{
    m_SysStatusFunc = a_Func;
}

void Quorvel::SetToolbarStatusFunc(void (*a_Func)(const char*))
{
    m_ToolbarStatusFunc = a_Func;
}

void Quorvel::SetOperationErrorFunc(void (*a_Func)(const char*))
{
    m_OperationErrorFunc = a_Func;
}

void Quorvel::SetOperationProgressFunc(void (*a_Func)(int))
{
    m_OperationProgressFunc = a_Func;
}

void Quorvel::SetOperationCompleteFunc(void (*a_Func)())
{
    m_OperationCompleteFunc = a_Func;
}

namespace {
void passText(void (*a_Func)(const char*), const QString& a_Text)
{
    if (!a_Func)
        return;
    // The pointer is valid only during the call.
    const std::string text = a_Text.toUtf8().toStdString();
    a_Func(text.c_str());
}
} // namespace

void Quorvel::ReportStatus(const QString& a_Status)
{
    passText(m_SysStatusFunc, a_Status);
}

void Quorvel::ReportToolbarStatus(const QString& a_Status)
{
    passText(m_ToolbarStatusFunc, a_Status);
}

void Quorvel::OnStatusUpdate(QString a_Status)
{
    ReportStatus(a_Status);
}

void Quorvel::OnOperationError(const QString& a_Err)
{
    passText(m_OperationErrorFunc, a_Err);
}

void Quorvel::OnOperationProgress(int a_Progress)
{
    if (m_OperationProgressFunc)
        m_OperationProgressFunc(a_Progress);
}

void Quorvel::OnOperationComplete()
{
    if (m_OperationCompleteFunc)
        m_OperationCompleteFunc();
}
