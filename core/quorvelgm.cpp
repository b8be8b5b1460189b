// Controller operations on gamma modules: the active GM and the update switches,
// the GM settings with their register writers, the all-GMs pass, status,
// firmware and ADC readings, and raw access to GM registers.
#include "core/quorvel.h"
#include "core/registermap.h"

#include "asic/detectorcalcs.h"
#include "gammamodule/gammamodules.h"
#include "gammamodule/gmregister.h"

namespace {

// The register type number of the status register; refused as a register number as well.
constexpr int gmStatusRegisterType = GM_REGISTER_TYPE_STATUS;

const char* const nullPointerText = "Null pointer passed to function";
const char* const emptyPointerText = "Pointer passed to function doesn't point to anything";

GammaModule* findDeviceGM(GammaModules* a_GMs, int a_GMID)
{
    for (GammaModule* gm : a_GMs->GetGMs(GAMMA_MODULES_TYPE_DEVICE)) {
        if (gm->GetID() == a_GMID)
            return gm;
    }
    return nullptr;
}

} // namespace

const char* const Quorvel::NoGMsText = "Number of gamma modules in device yet to be determined";

// ---- Shared helpers of the GM and ASIC operations ----

GammaModule* Quorvel::FindActiveGM()
{
    // Exact ID only: after StopSys the list is empty while the active GM stays
    // set, and a camera may report IDs other than 1 to n.
    GammaModule* gm = findDeviceGM(GammaModules::GetInstance(), m_ActiveGM);
    if (!gm)
        FailOp(QString::fromLatin1(Quorvel::NoGMsText));
    return gm;
}

bool Quorvel::IsActiveGMPresent()
{
    auto lock = GammaModules::GetInstance()->AccessLock();
    return FindActiveGM() != nullptr;
}

bool Quorvel::ForEachGM(const std::function<bool()>& a_Operation)
{
    const int activeGM = m_ActiveGM;
    m_GMUpdateType = GM_UPDATE_TYPE_ACTIVE_GM;
    bool visited = false;
    bool allSucceeded = true;
    // The count is taken afresh before each GM.
    for (int i = 0; i < GetNoOfGMs(); ++i) {
        // Assigned directly: SetActiveGM would take the lock and check a range.
        m_ActiveGM = GetIDOfGM(i);
        const bool succeeded = a_Operation();
        visited = true;
        allSucceeded = allSucceeded && succeeded;
        // A first GM that fails ends the pass; after a success every GM is visited.
        if (i == 0 && !succeeded)
            break;
    }
    m_ActiveGM = activeGM;
    m_GMUpdateType = GM_UPDATE_TYPE_ALL_GMS;
    return visited && allSucceeded;
}

bool Quorvel::ChangeGM(const std::function<bool(GammaModule&)>& a_Change,
                       const std::function<bool()>& a_Check)
{
    if (m_GMUpdateType != GM_UPDATE_TYPE_ACTIVE_GM)
        return ForEachGM([&] { return ChangeGM(a_Change, a_Check); });
    if (!IsActiveGMSet())
        return false;
    // The check may take the GammaModules lock itself, so it runs before it is
    // held; a vanished active GM is reported before it.
    if (a_Check && (!IsActiveGMPresent() || !a_Check()))
        return false;
    auto lock = GammaModules::GetInstance()->AccessLock();
    GammaModule* gm = FindActiveGM();
    return gm && a_Change(*gm);
}

bool Quorvel::ReadGM(const void* a_Pointer, const char* a_NullText,
                     const std::function<void(const GammaModule&)>& a_Read)
{
    if (!IsActiveGMSet())
        return false;
    if (!a_Pointer)
        return FailOp(QString::fromLatin1(a_NullText));
    auto lock = GammaModules::GetInstance()->AccessLock();
    const GammaModule* gm = FindActiveGM();
    if (!gm)
        return false;
    a_Read(*gm);
    return true;
}

bool Quorvel::SendToActiveGM(const std::function<bool(const GammaModule&)>& a_Send)
{
    if (!IsActiveGMSet())
        return false;
    auto lock = GammaModules::GetInstance()->AccessLock();
    const GammaModule* gm = FindActiveGM();
    if (!gm)
        return false;
    const CameraUpdateMode mode = m_CameraUpdateMode;
    m_CameraUpdateMode = CAMERA_UPDATE_MODE_IMMEDIATE;
    const bool result = a_Send(*gm);
    m_CameraUpdateMode = mode;
    return result;
}

bool Quorvel::WriteGMRegister(const GammaModule& a_GM, int a_Register, int a_Value)
{
    if (m_CameraUpdateMode != CAMERA_UPDATE_MODE_IMMEDIATE)
        return true;
    if (!SendGMRegister(a_GM.GetID(), a_Register, static_cast<unsigned char>(a_Value & 0xFF)))
        return FailOp(m_CommunicationMGR.GetLastError());
    return true;
}

// Every one-byte GM register request is built in these two.
bool Quorvel::SendGMRegister(int a_GMID, int a_Register, unsigned char a_Value)
{
    GMRegister request(a_Register, a_GMID, REGISTER_OP_WRITE);
    request.AddByte(a_Value);
    return m_CommunicationMGR.WriteSysControlRegister(request);
}

bool Quorvel::ReadGMRegister(int a_GMID, int a_Register, QByteArray* a_Reply)
{
    GMRegister request(a_Register, a_GMID, REGISTER_OP_READ);
    request.AddReadBytes(1);
    return m_CommunicationMGR.ReadSysControlRegister(request, a_Reply);
}

bool Quorvel::ReadActiveGMRegister(int a_Register, QByteArray* a_Reply)
{
    return ReadGMRegister(m_ActiveGM, a_Register, a_Reply);
}

// ---- Selection and switches ----

bool Quorvel::SetActiveGM(int a_GMID)
{
    GammaModules* gms = GammaModules::GetInstance();
    auto lock = gms->AccessLock();
    const int count = gms->GetNoOfGMs(GAMMA_MODULES_TYPE_DEVICE);
    if (count <= 0)
        return FailOp(QString::fromLatin1(Quorvel::NoGMsText));
    if (!findDeviceGM(gms, a_GMID))
        return FailOp(QStringLiteral("Invalid GM ID, valid range is 1 to %1").arg(count));
    m_ActiveGM = a_GMID;
    m_GMUpdateType = GM_UPDATE_TYPE_ACTIVE_GM;
    return true;
}

int Quorvel::GetActiveGM() const
{
    return m_ActiveGM;
}

bool Quorvel::IsActiveGMSet()
{
    if (m_ActiveGM != -1)
        return true;
    return FailOp(QStringLiteral("Active GM hasn't been set"));
}

bool Quorvel::SetGMUpdateType(GMUpdateType a_Type)
{
    if (a_Type == GM_UPDATE_TYPE_UNDEFINED)
        return FailOp(QStringLiteral("GM update type is undefined"));
    m_GMUpdateType = a_Type;
    return true;
}

GMUpdateType Quorvel::GetGMUpdateType() const
{
    return m_GMUpdateType;
}

int Quorvel::GetNoOfGMs() const
{
    GammaModules* gms = GammaModules::GetInstance();
    auto lock = gms->AccessLock();
    return gms->GetNoOfGMs(GAMMA_MODULES_TYPE_DEVICE);
}

int Quorvel::GetIDOfGM(int a_Position) const
{
    GammaModules* gms = GammaModules::GetInstance();
    auto lock = gms->AccessLock();
    const std::vector<GammaModule*>& list = gms->GetGMs(GAMMA_MODULES_TYPE_DEVICE);
    if (a_Position < 0 || a_Position >= static_cast<int>(list.size()))
        return -1;
    return list[static_cast<size_t>(a_Position)]->GetID();
}

bool Quorvel::IsValidGMID(int a_GMID, GMContainerType a_Type)
{
    GammaModules* gms = GammaModules::GetInstance();
    auto lock = gms->AccessLock();
    int count = 0;
    bool present = false;
    if (a_Type == GM_CONTAINER_TYPE_DEVICE) {
        count = gms->GetNoOfGMs(GAMMA_MODULES_TYPE_DEVICE);
        // The device GMs' own IDs, which are 1 to n unless a GM failed its power-up.
        present = findDeviceGM(gms, a_GMID) != nullptr;
    } else if (a_Type == GM_CONTAINER_TYPE_LOADED) {
        // GMs loaded from a configuration file are numbered 1 to n.
        count = static_cast<int>(m_LoadedGMs.size());
        present = a_GMID >= 1 && a_GMID <= count;
    }
    if (count <= 0)
        return false;
    if (present)
        return true;
    // The text has only the placeholder %2, which takes the count.
    return FailOp(QStringLiteral("GM ID out of range, valid range 1 to %2").arg(count));
}

int Quorvel::GetGMRegisterNo(GMRegisterType a_Type) const
{
    if (a_Type >= GM_REGISTER_TYPE_CONTROL && a_Type <= GM_REGISTER_TYPE_TIMESTAMP_RESOLUTION)
        return RegisterMap::GM_CONTROL + a_Type;
    return -1;
}

// ---- GM settings ----

bool Quorvel::SetGMOptions(int a_Options)
{
    return ChangeGM([&](GammaModule& a_GM) {
        a_GM.SetOptions(a_Options);
        return UpdateGMControlRegister(a_GM);
    });
}

bool Quorvel::GetGMOptions(int* a_Options)
{
    return ReadGM(a_Options, emptyPointerText, [&](const GammaModule& a_GM) { *a_Options = a_GM.GetOptions(); });
}

bool Quorvel::SetGMADC1Channel(int a_Channel)
{
    return ChangeGM([&](GammaModule& a_GM) {
        return a_GM.SetADC1Channel(a_Channel) ? UpdateGMControlRegister(a_GM) : FailOp(a_GM.GetLastError());
    });
}

bool Quorvel::GetGMADC1Channel(int* a_Channel)
{
    return ReadGM(a_Channel, nullPointerText, [&](const GammaModule& a_GM) { *a_Channel = a_GM.GetADC1Channel(); });
}

bool Quorvel::SetGMADC2Channel(int a_Channel)
{
    return ChangeGM([&](GammaModule& a_GM) {
        return a_GM.SetADC2Channel(a_Channel) ? UpdateGMControlRegister(a_GM) : FailOp(a_GM.GetLastError());
    });
}

bool Quorvel::GetGMADC2Channel(int* a_Channel)
{
    return ReadGM(a_Channel, nullPointerText, [&](const GammaModule& a_GM) { *a_Channel = a_GM.GetADC2Channel(); });
}

bool Quorvel::SetDefaultGM(int a_GMID)
{
    return ChangeGM(
        [&](GammaModule& a_GM) {
            a_GM.SetDefaultGM(a_GMID);
            return UpdateGMIDRegister(a_GM);
        },
        [&] { return IsValidGMID(a_GMID, GM_CONTAINER_TYPE_DEVICE); });
}

bool Quorvel::GetDefaultGM(int* a_GMID)
{
    return ReadGM(a_GMID, nullPointerText, [&](const GammaModule& a_GM) { *a_GMID = a_GM.GetDefaultGM(); });
}

bool Quorvel::SetGMReadoutOption(int a_Options)
{
    return ChangeGM([&](GammaModule& a_GM) {
        a_GM.SetReadoutOptions(a_Options);
        return UpdateGMASICModeRegister(a_GM);
    });
}

bool Quorvel::GetGMReadoutOptions(int* a_Options)
{
    return ReadGM(a_Options, emptyPointerText,
                  [&](const GammaModule& a_GM) { *a_Options = a_GM.GetReadoutOption(); });
}

bool Quorvel::SetGMReadoutMode(GMReadoutMode a_Mode)
{
    return ChangeGM([&](GammaModule& a_GM) {
        return a_GM.SetReadoutMode(a_Mode) ? UpdateGMASICModeRegister(a_GM) : FailOp(a_GM.GetLastError());
    });
}

bool Quorvel::GetGMReadoutMode(GMReadoutMode* a_Mode)
{
    return ReadGM(a_Mode, emptyPointerText, [&](const GammaModule& a_GM) { *a_Mode = a_GM.GetReadoutMode(); });
}

bool Quorvel::SetGMCathodeMode(GMCathodeMode a_Mode)
{
    return ChangeGM([&](GammaModule& a_GM) {
        return a_GM.SetCathodeMode(a_Mode) ? UpdateGMASICModeRegister(a_GM) : FailOp(a_GM.GetLastError());
    });
}

bool Quorvel::GetGMCathodeMode(GMCathodeMode* a_Mode)
{
    return ReadGM(a_Mode, emptyPointerText, [&](const GammaModule& a_GM) { *a_Mode = a_GM.GetCathodeMode(); });
}

bool Quorvel::SetGMPulserFrequency(GMPulserFrequency a_Frequency)
{
    return ChangeGM([&](GammaModule& a_GM) {
        return a_GM.SetPulserFrequency(a_Frequency) ? UpdateGMPulserModeRegister(a_GM)
                                                    : FailOp(a_GM.GetLastError());
    });
}

bool Quorvel::GetGMPulserFrequency(GMPulserFrequency* a_Frequency)
{
    return ReadGM(a_Frequency, emptyPointerText,
                  [&](const GammaModule& a_GM) { *a_Frequency = a_GM.GetPulserFrequency(); });
}

bool Quorvel::SetGMPulserOptions(int a_Options)
{
    return ChangeGM([&](GammaModule& a_GM) {
        a_GM.SetPulserOptions(a_Options);
        return UpdateGMPulserModeRegister(a_GM);
    });
}

bool Quorvel::GetGMPulserOptions(int* a_Options)
{
    return ReadGM(a_Options, emptyPointerText,
                  [&](const GammaModule& a_GM) { *a_Options = a_GM.GetPulserOption(); });
}

bool Quorvel::SetGMNoOfPulses(int a_Count)
{
    return ChangeGM([&](GammaModule& a_GM) {
        return a_GM.SetNoOfPulses(a_Count) ? UpdateGMPulserModeRegister(a_GM) : FailOp(a_GM.GetLastError());
    });
}

bool Quorvel::GetGMNoOfPulses(int* a_Count)
{
    return ReadGM(a_Count, emptyPointerText, [&](const GammaModule& a_GM) { *a_Count = a_GM.GetNoOfPulses(); });
}

bool Quorvel::SetDelayTime(int a_Time)
{
    return ChangeGM([&](GammaModule& a_GM) {
        return a_GM.SetDelayTime(a_Time) ? UpdateGMDelayTimeRegister(a_GM) : FailOp(a_GM.GetLastError());
    });
}

bool Quorvel::GetDelayTime(int* a_Time)
{
    return ReadGM(a_Time, emptyPointerText, [&](const GammaModule& a_GM) { *a_Time = a_GM.GetDelayTime(); });
}

bool Quorvel::SetTimestampResolution(int a_Resolution)
{
    return ChangeGM([&](GammaModule& a_GM) {
        return a_GM.SetTimestampResolution(a_Resolution) ? UpdateGMTimestampResRegister(a_GM)
                                                         : FailOp(a_GM.GetLastError());
    });
}

bool Quorvel::GetTimestampResolution(int* a_Resolution)
{
    return ReadGM(a_Resolution, emptyPointerText,
                  [&](const GammaModule& a_GM) { *a_Resolution = a_GM.GetTimestampResolution(); });
}

// ---- Register writers ----

bool Quorvel::UpdateGMControlRegister(const GammaModule& a_GM)
{
    return WriteGMRegister(a_GM, RegisterMap::GM_CONTROL, a_GM.GetControlData());
}

bool Quorvel::UpdateGMIDRegister(const GammaModule& a_GM)
{
    return WriteGMRegister(a_GM, RegisterMap::GM_ID, a_GM.GetDefaultGM());
}

bool Quorvel::UpdateGMASICModeRegister(const GammaModule& a_GM)
{
    return WriteGMRegister(a_GM, RegisterMap::GM_ASIC_MODE, a_GM.GetGMASICModeData());
}

bool Quorvel::UpdateGMPulserModeRegister(const GammaModule& a_GM)
{
    return WriteGMRegister(a_GM, RegisterMap::GM_PULSER_MODE, a_GM.GetGMPulserModeData());
}

bool Quorvel::UpdateGMDelayTimeRegister(const GammaModule& a_GM)
{
    return WriteGMRegister(a_GM, RegisterMap::GM_DELAY_TIME, a_GM.GetDelayTimeData());
}

bool Quorvel::UpdateGMTimestampResRegister(const GammaModule& a_GM)
{
    return WriteGMRegister(a_GM, RegisterMap::GM_TIMESTAMP_RESOLUTION, a_GM.GetTimeStampResolutionData());
}

bool Quorvel::UpdateGMRegisters(const GammaModule& a_GM)
{
    return UpdateGMControlRegister(a_GM) && UpdateGMIDRegister(a_GM) && UpdateGMASICModeRegister(a_GM)
        && UpdateGMPulserModeRegister(a_GM) && UpdateGMDelayTimeRegister(a_GM)
        && UpdateGMTimestampResRegister(a_GM);
}

bool Quorvel::SendGMData()
{
    if (m_GMUpdateType != GM_UPDATE_TYPE_ACTIVE_GM)
        return ForEachGM([this] { return SendGMData(); });
    return SendToActiveGM([this](const GammaModule& a_GM) { return UpdateGMRegisters(a_GM); });
}

// ---- Camera access ----

bool Quorvel::GMRegDirectWrite(int a_Register, unsigned char a_Value)
{
    if (!IsValidRegisterNo(a_Register))
        return false;
    if (a_Register == RegisterMap::GM_STATUS || a_Register == gmStatusRegisterType)
        return FailOp(QStringLiteral("GM status register is read only"));
    // No active GM check: with none set the GM byte is 0xFF, the low byte of -1.
    if (!SendGMRegister(m_ActiveGM, a_Register, a_Value))
        return FailOp(m_CommunicationMGR.GetLastError());
    return true;
}

bool Quorvel::GMRegDirectRead(int a_Register, unsigned char* a_Value)
{
    if (!a_Value)
        return FailOp(QStringLiteral("Pointer passed to funtion doesn't point to anything"));
    if (!IsValidRegisterNo(a_Register))
        return false;
    QByteArray reply;
    if (!ReadActiveGMRegister(a_Register, &reply))
        return FailOp(m_CommunicationMGR.GetLastError());
    *a_Value = Register::ReplyByte(reply, 2);
    return true;
}

bool Quorvel::UpdateGMRegister(int a_Register, unsigned char a_Mask, unsigned char a_Value)
{
    if (!IsActiveGMSet() || !IsActiveGMPresent() || !IsValidRegisterNo(a_Register))
        return false;
    // A failed read or write keeps the connection's message to itself.
    QByteArray reply;
    if (!ReadActiveGMRegister(a_Register, &reply))
        return false;
    const unsigned char value = static_cast<unsigned char>((Register::ReplyByte(reply, 2) & ~a_Mask) | a_Value);
    return SendGMRegister(m_ActiveGM, a_Register, value);
}

bool Quorvel::ReadSignedGMRegister(int a_Register, int* a_Value)
{
    if (!IsActiveGMSet())
        return false;
    if (!a_Value)
        return FailOp(QString::fromLatin1(nullPointerText));
    if (!IsActiveGMPresent())
        return false;
    QByteArray reply;
    if (!ReadActiveGMRegister(a_Register, &reply))
        return FailOp(m_CommunicationMGR.GetLastError());
    *a_Value = static_cast<signed char>(Register::ReplyByte(reply, 2));
    return true;
}

bool Quorvel::GetGMStatus(int* a_Status)
{
    return ReadSignedGMRegister(RegisterMap::GM_STATUS, a_Status);
}

bool Quorvel::GetGMFirmwareVersion(int* a_Version)
{
    return ReadSignedGMRegister(RegisterMap::GM_FIRMWARE, a_Version);
}

bool Quorvel::ReadADCData(int a_ADC, int* a_Reading, int* a_Volts)
{
    if (!IsActiveGMSet())
        return false;
    if (!a_Reading || !a_Volts)
        return FailOp(QStringLiteral("Null pointer(s) passed to function"));
    if (a_ADC != 1 && a_ADC != 2)
        return FailOp(QStringLiteral("ADC number must be %1 or %2").arg(1).arg(2));
    if (!IsActiveGMPresent())
        return false;
    QByteArray reply;
    if (!ReadActiveGMRegister(a_ADC == 1 ? RegisterMap::GM_ADC1 : RegisterMap::GM_ADC2, &reply))
        return FailOp(m_CommunicationMGR.GetLastError());
    // Two value bytes, high first; a short reply counts the missing bytes as 0.
    const int reading = Register::ReplyByte(reply, 2) * 256 + Register::ReplyByte(reply, 3);
    *a_Reading = reading;
    *a_Volts = static_cast<int>(DetectorCalcs::DACToVolts(reading));
    return true;
}

bool Quorvel::ReadGMADC1(int* a_Reading, int* a_Volts)
{
    return ReadADCData(1, a_Reading, a_Volts);
}

bool Quorvel::ReadGMADC2(int* a_Reading, int* a_Volts)
{
    return ReadADCData(2, a_Reading, a_Volts);
}
