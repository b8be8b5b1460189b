// Bits of the one-byte GM registers (18 control, 21 ASIC mode, 22 pulser mode).
#ifndef QUORVEL_GMREGISTERBITS_H
#define QUORVEL_GMREGISTERBITS_H

// Register 18, control
constexpr unsigned char RELOAD_ASIC = 0x01;
constexpr unsigned char DIS_PACKETS = 0x02;
constexpr unsigned char GM_DEBUG = 0x04;
constexpr unsigned char ASIC_E1 = 0x08;
constexpr unsigned char ADC1_CHNL = 0x10;
constexpr unsigned char ADC2_CHNL = 0x20;

// Register 21, ASIC mode
constexpr unsigned char READ_MODE0 = 0x01;
constexpr unsigned char READ_MODE1 = 0x02;
constexpr unsigned char NEGATIVE_EN = 0x08;
constexpr unsigned char TD_EN = 0x10;
constexpr unsigned char CATH_MODE0 = 0x40;
constexpr unsigned char CATH_MODE1 = 0x80;

constexpr unsigned char READMODE_READALL = 0x00;
constexpr unsigned char READMODE_SPARSIFIED = READ_MODE0;
constexpr unsigned char READMODE_ENHANCEDSPARSIFIED = READ_MODE1;
constexpr unsigned char READMODE_FLAGSONLY = READ_MODE0 | READ_MODE1;
constexpr unsigned char CATHMODE_UNIPOLAR = 0x00;
constexpr unsigned char CATHMODE_MULTITHRESHOLD = CATH_MODE0;
constexpr unsigned char CATHMODE_BIPOLAR = CATH_MODE1;

// Register 22, pulser mode
constexpr unsigned char PLSR_FREQ0 = 0x01;
constexpr unsigned char PLSR_FREQ1 = 0x02;
constexpr unsigned char A_PLSR_EN = 0x04;
constexpr unsigned char C_PLSR_EN = 0x08;
constexpr unsigned char PLS_COUNT0 = 0x10;
constexpr unsigned char PLS_COUNT1 = 0x20;
constexpr unsigned char PLS_COUNT2 = 0x40;
constexpr unsigned char PLS_COUNT3 = 0x80;

constexpr unsigned char PLSRFREQ_100Hz = 0x00;
constexpr unsigned char PLSRFREQ_1KHz = PLSR_FREQ0;
constexpr unsigned char PLSRFREQ_10KHz = PLSR_FREQ1;
constexpr unsigned char PLSRFREQ_100KHz = PLSR_FREQ0 | PLSR_FREQ1;

#endif // QUORVEL_GMREGISTERBITS_H
