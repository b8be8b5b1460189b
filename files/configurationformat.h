// Fixed values of the configuration file layout.
#ifndef QUORVEL_CONFIGURATIONFORMAT_H
#define QUORVEL_CONFIGURATIONFORMAT_H

#include <QtGlobal>

namespace ConfigurationFormat {

constexpr qint32 MAGIC = 0xBEEF;
// The format this library writes, and the oldest one it still reads.
constexpr qint32 FORMAT_VERSION = 6;
constexpr qint32 OLDEST_FORMAT_VERSION = 1;
// QDataStream::Qt_5_2; every value the writer puts out is encoded the same way
// for all stream versions from 12 on, so the writer does not set it.
constexpr qint32 STREAM_VERSION = 15;
// From this stream version on a float is read as 8 bytes.
constexpr qint32 DOUBLE_FLOAT_STREAM_VERSION = 12;

// Format versions at which fields changed.
constexpr qint32 FIRST_WITH_ANALOG_OUTPUT_BLOCK = 2;   // before: monitor code and anode channel
constexpr qint32 FIRST_WITH_STEP_VALUES = 3;           // before: floats and old-style trims
constexpr qint32 FIRST_WITH_PLAIN_TOKEN_TYPE = 4;      // before: three ints, the third the token type
constexpr qint32 LAST_WITH_HEADER_SPARE_INT = 4;       // up to here: one int before the GM update type
constexpr qint32 LAST_WITH_RATE_OFFSET = 4;            // up to here: the rate stored minus 1000
constexpr qint32 FIRST_WITH_PIXEL_MAPPING_MODE = 6;

constexpr int RATE_OFFSET = 1000;
constexpr int RATE_STORED_AS_IS = 63000;

} // namespace ConfigurationFormat

#endif // QUORVEL_CONFIGURATIONFORMAT_H
