#include "tests/tools/hdf5readback.h"

#include <QFile>
#include <QStringList>

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

qint64 Hdf5Readback::integer(const char* a_Path) const
{
    qint64 value = -1;
    if (!exists(a_Path))
        return value;
    const hid_t dataset = H5Dopen2(m_File, a_Path, H5P_DEFAULT);
    if (H5Dread(dataset, H5T_NATIVE_INT64, H5S_ALL, H5S_ALL, H5P_DEFAULT, &value) < 0)
        value = -1;
    H5Dclose(dataset);
    return value;
}

double Hdf5Readback::number(const char* a_Path) const
{
    double value = -1.0;
    if (!exists(a_Path))
        return value;
    const hid_t dataset = H5Dopen2(m_File, a_Path, H5P_DEFAULT);
    if (H5Dread(dataset, H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, &value) < 0)
        value = -1.0;
    H5Dclose(dataset);
    return value;
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

} // namespace tooltest
