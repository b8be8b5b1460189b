// The camera's registers as the host uses them: the system control registers
// and the GM registers (whose requests carry the GM ID after the command
// byte), each with the value bytes of a request and of a read's reply. The
// virtual camera keeps its own description of the camera's side, so the two
// check each other.
#ifndef QUORVEL_REGISTERMAP_H
#define QUORVEL_REGISTERMAP_H

namespace RegisterMap {

// System control registers.
constexpr int SIMULATOR = 1; // on the simulator connection
constexpr int DATA_PORT = 14;
constexpr int HV = 15;
constexpr int GBE_CONTROL = 16;
constexpr int DIAGNOSTIC = 17;
constexpr int GBE_FIRMWARE = 127;
constexpr int FIRST = 0;
constexpr int LAST = 127;

// GM registers.
constexpr int GM_CONTROL = 18;
constexpr int GM_STATUS = 19;
constexpr int GM_ID = 20;
constexpr int GM_ASIC_MODE = 21;
constexpr int GM_PULSER_MODE = 22;
constexpr int GM_DELAY_TIME = 23;
constexpr int GM_TIMESTAMP_RESOLUTION = 24;
constexpr int GM_ADC1 = 26;
constexpr int GM_ADC2 = 27;
constexpr int ASIC_GLOBAL = 29;
constexpr int ASIC_CHANNEL = 30;
constexpr int GM_FIRMWARE = 127;

// State bits of GBE control byte 1.
constexpr unsigned char PWR_ON = 0x01;
constexpr unsigned char COLLECT = 0x02;

struct RegisterInfo {
    int number;
    int valueBytes;      // data bytes of a write, placeholders of a read
    int replyValueBytes; // value bytes of a read's reply, after the echo (and the GM ID)
};

constexpr RegisterInfo systemRegisters[] = {
    {SIMULATOR, 2, 2}, {DATA_PORT, 2, 2}, {HV, 2, 2}, {GBE_CONTROL, 2, 2}, {GBE_FIRMWARE, 2, 2},
};

constexpr RegisterInfo gmRegisters[] = {
    {GM_CONTROL, 1, 1},     {GM_STATUS, 1, 1},      {GM_ID, 1, 1},
    {GM_ASIC_MODE, 1, 1},   {GM_PULSER_MODE, 1, 1}, {GM_DELAY_TIME, 1, 1},
    {GM_TIMESTAMP_RESOLUTION, 1, 1},
    {GM_ADC1, 1, 2},        {GM_ADC2, 1, 2}, // a reading of two bytes to one placeholder
    {ASIC_GLOBAL, 16, 0},   {ASIC_CHANNEL, 215, 0}, // written only
    {GM_FIRMWARE, 1, 1},
};

// A system read's reply is as long as its request (the echo, then one byte per
// placeholder), which is what a Register expects unless told otherwise.
constexpr bool SystemRepliesMatchRequests()
{
    for (const RegisterInfo& info : systemRegisters) {
        if (info.replyValueBytes != info.valueBytes)
            return false;
    }
    return true;
}
static_assert(SystemRepliesMatchRequests(), "a system register needs its own reply length");

// Reply bytes beyond the placeholders of a read of this GM register.
constexpr int GMReplyExtraBytes(int a_Register)
{
    for (const RegisterInfo& info : gmRegisters) {
        if (info.number == a_Register && info.replyValueBytes > info.valueBytes)
            return info.replyValueBytes - info.valueBytes;
    }
    return 0;
}

} // namespace RegisterMap

#endif // QUORVEL_REGISTERMAP_H
