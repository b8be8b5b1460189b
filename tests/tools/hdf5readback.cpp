#include "tests/tools/hdf5readback.h"

#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

namespace tooltest {

Hdf5Readback::Hdf5Readback(const QString& a_Path)
{
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
    m_File = H5Fopen(QFile::encodeName(a_Path).constData(), H5F_ACC_RDONLY, H5P_DEFAULT);
}

Hdf5Readback::~Hdf5Readback()
{
    if (m_File >= 0)
        H5Fclose(m_File);
}

bool Hdf5Readback::exists(const char* a_Path) const
{
    // H5Lexists wants every parent to exist, so walk down the path.
    QString path;
    for (const QString& part : QString::fromLatin1(a_Path).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path += QLatin1Char('/') + part;
        if (H5Lexists(m_File, path.toLatin1().constData(), H5P_DEFAULT) <= 0)
            return false;
    }
    return true;
}

std::vector<quint64> Hdf5Readback::column(const char* a_Path) const
{
    std::vector<quint64> values;
    if (!exists(a_Path))
        return values;
    const hid_t dataset = H5Dopen2(m_File, a_Path, H5P_DEFAULT);
    const hid_t space = H5Dget_space(dataset);
    const hssize_t count = H5Sget_simple_extent_npoints(space);
    values.resize(size_t(qMax<hssize_t>(0, count)));
    if (count > 0 && H5Dread(dataset, H5T_NATIVE_UINT64, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data()) < 0)
        values.clear();
    H5Sclose(space);
    H5Dclose(dataset);
    return values;
}

bool Hdf5Readback::scalar(const char* a_Path, hid_t a_Type, void* a_pValue) const
{
    if (!exists(a_Path))
        return false;
    const hid_t dataset = H5Dopen2(m_File, a_Path, H5P_DEFAULT);
    const bool read = H5Dread(dataset, a_Type, H5S_ALL, H5S_ALL, H5P_DEFAULT, a_pValue) >= 0;
    H5Dclose(dataset);
    return read;
}

qint64 Hdf5Readback::integer(const char* a_Path) const
{
    qint64 value = -1;
    return scalar(a_Path, H5T_NATIVE_INT64, &value) ? value : -1;
}

double Hdf5Readback::number(const char* a_Path) const
{
    double value = -1.0;
    return scalar(a_Path, H5T_NATIVE_DOUBLE, &value) ? value : -1.0;
}

namespace {
QString readString(hid_t a_Object, bool a_Attribute)
{
    const hid_t type = a_Attribute ? H5Aget_type(a_Object) : H5Dget_type(a_Object);
    QByteArray bytes(int(H5Tget_size(type)), '\0');
    const herr_t result = a_Attribute ? H5Aread(a_Object, type, bytes.data())
                                      : H5Dread(a_Object, type, H5S_ALL, H5S_ALL, H5P_DEFAULT, bytes.data());
    H5Tclose(type);
    return result < 0 ? QString() : QString::fromUtf8(bytes.constData(), int(qstrnlen(bytes.constData(), uint(bytes.size()))));
}
} // namespace

QString Hdf5Readback::text(const char* a_Path) const
{
    if (!exists(a_Path))
        return QString();
    const hid_t dataset = H5Dopen2(m_File, a_Path, H5P_DEFAULT);
    const QString value = readString(dataset, false);
    H5Dclose(dataset);
    return value;
}

QString Hdf5Readback::attribute(const char* a_Object, const char* a_Name) const
{
    if ((qstrcmp(a_Object, "/") != 0 && !exists(a_Object)) || H5Aexists_by_name(m_File, a_Object, a_Name, H5P_DEFAULT) <= 0)
        return QString();
    const hid_t attribute = H5Aopen_by_name(m_File, a_Object, a_Name, H5P_DEFAULT, H5P_DEFAULT);
    const QString value = readString(attribute, true);
    H5Aclose(attribute);
    return value;
}

bool Hdf5Readback::isChunkedAndDeflated(const char* a_Path) const
{
    if (!exists(a_Path))
        return false;
    const hid_t dataset = H5Dopen2(m_File, a_Path, H5P_DEFAULT);
    const hid_t properties = H5Dget_create_plist(dataset);
    bool deflated = false;
    for (int i = 0; i < H5Pget_nfilters(properties); ++i) {
        unsigned flags = 0;
        size_t elements = 0;
        unsigned values[8];
        if (H5Pget_filter2(properties, unsigned(i), &flags, &elements, values, 0, nullptr, nullptr) == H5Z_FILTER_DEFLATE)
            deflated = true;
    }
    const bool chunked = H5Pget_layout(properties) == H5D_CHUNKED;
    H5Pclose(properties);
    H5Dclose(dataset);
    return chunked && deflated;
}

void expectEventsMatchTheCollection(const Hdf5Readback& a_File, const QByteArray& a_Dat, bool a_TimeDetect)
{
    const std::vector<quint64> pixel = a_File.column("/entry/events/event_pixel");
    const std::vector<quint64> energy = a_File.column("/entry/events/event_energy");
    const std::vector<quint64> positive = a_File.column("/entry/events/event_energy_positive");
    const std::vector<quint64> timeDetect = a_File.column("/entry/events/event_time_detect");
    const std::vector<quint64> positiveTimeDetect = a_File.column("/entry/events/event_time_detect_positive");
    const std::vector<quint64> index = a_File.column("/entry/events/event_index");
    const std::vector<quint64> gm = a_File.column("/entry/events/packet_gm");
    const std::vector<quint64> headerWord = a_File.column("/entry/events/packet_header_word");
    const size_t events = size_t(a_Dat.size() / 11);
    ASSERT_EQ(pixel.size(), events);
    ASSERT_EQ(energy.size(), events);
    ASSERT_EQ(positive.size(), events);
    ASSERT_EQ(timeDetect.size(), a_TimeDetect ? events : 0);
    ASSERT_EQ(positiveTimeDetect.size(), a_TimeDetect ? events : 0);
    ASSERT_EQ(gm.size(), index.size());
    ASSERT_EQ(headerWord.size(), index.size());
    ASSERT_TRUE(events == 0 || (!index.empty() && index[0] == 0));
    const auto* bytes = reinterpret_cast<const uchar*>(a_Dat.constData());
    size_t packet = 0;
    for (size_t i = 0; i < events; ++i) {
        while (packet + 1 < index.size() && index[packet + 1] <= i)
            ++packet;
        const uchar* r = bytes + i * 11;
        ASSERT_EQ(gm[packet], r[0]) << "event " << i;
        ASSERT_EQ(headerWord[packet], quint64(r[1] << 8 | r[2])) << "event " << i;
        ASSERT_EQ(pixel[i], quint64(r[3] << 8 | r[4])) << "event " << i;
        ASSERT_EQ(energy[i], quint64(r[5] << 8 | r[6])) << "event " << i;
        ASSERT_EQ(positive[i], r[7]) << "event " << i;
        if (a_TimeDetect) {
            ASSERT_EQ(timeDetect[i], quint64(r[8] << 8 | r[9])) << "event " << i;
            ASSERT_EQ(positiveTimeDetect[i], r[10]) << "event " << i;
        }
    }
}

} // namespace tooltest
