#include "tools/files/nexuswriter.h"

#include "quorveldll.h"

#include <QDateTime>
#include <QFile>

namespace tool {

namespace {
bool writeText(hid_t a_Object, const char* a_Name, const QString& a_Value, bool a_Attribute)
{
    // Fixed-length strings, as NeXus readers expect for NX_class and its kin.
    const QByteArray bytes = a_Value.toUtf8();
    Hdf5Handle type(H5Tcopy(H5T_C_S1), H5Tclose);
    if (!type.valid() || H5Tset_size(type.id(), size_t(qMax(1, bytes.size()))) < 0
        || H5Tset_cset(type.id(), H5T_CSET_UTF8) < 0)
        return false;
    Hdf5Handle space(H5Screate(H5S_SCALAR), H5Sclose);
    QByteArray padded = bytes;
    padded.append('\0');
    if (a_Attribute) {
        Hdf5Handle attribute(H5Acreate2(a_Object, a_Name, type.id(), space.id(), H5P_DEFAULT, H5P_DEFAULT), H5Aclose);
        return attribute.valid() && H5Awrite(attribute.id(), type.id(), padded.constData()) >= 0;
    }
    Hdf5Handle dataset(H5Dcreate2(a_Object, a_Name, type.id(), space.id(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT),
                       H5Dclose);
    return dataset.valid() && H5Dwrite(dataset.id(), type.id(), H5S_ALL, H5S_ALL, H5P_DEFAULT, padded.constData()) >= 0;
}

bool writeAttribute(hid_t a_Object, const char* a_Name, const QString& a_Value)
{
    return writeText(a_Object, a_Name, a_Value, true);
}

// A dataset of a_Count values (a scalar when a_Count is negative), with units if given.
bool writeValues(hid_t a_Group, const char* a_Name, hid_t a_FileType, hid_t a_MemoryType, const void* a_Values,
                 qint64 a_Count, const char* a_Units = nullptr)
{
    const hsize_t count = hsize_t(qMax<qint64>(0, a_Count));
    Hdf5Handle space(a_Count < 0 ? H5Screate(H5S_SCALAR) : H5Screate_simple(1, &count, nullptr), H5Sclose);
    Hdf5Handle dataset(H5Dcreate2(a_Group, a_Name, a_FileType, space.id(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT),
                       H5Dclose);
    if (!dataset.valid())
        return false;
    if ((count > 0 || a_Count < 0)
        && H5Dwrite(dataset.id(), a_MemoryType, H5S_ALL, H5S_ALL, H5P_DEFAULT, a_Values) < 0)
        return false;
    return !a_Units || writeAttribute(dataset.id(), "units", QString::fromLatin1(a_Units));
}

bool writeInt(hid_t a_Group, const char* a_Name, qint32 a_Value, const char* a_Units = nullptr)
{
    return writeValues(a_Group, a_Name, H5T_STD_I32LE, H5T_NATIVE_INT32, &a_Value, -1, a_Units);
}

bool writeInts(hid_t a_Group, const std::vector<NamedValue>& a_Values)
{
    for (const NamedValue& value : a_Values)
        if (!writeInt(a_Group, value.name, value.value, qstrcmp(value.name, "packet_transfer_rate") == 0 ? "Hz" : nullptr))
            return false;
    return true;
}

Hdf5Handle makeGroup(hid_t a_Parent, const char* a_Name, const char* a_Class)
{
    Hdf5Handle group(H5Gcreate2(a_Parent, a_Name, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT), H5Gclose);
    if (group.valid() && !writeAttribute(group.id(), "NX_class", QString::fromLatin1(a_Class)))
        group.close();
    return group;
}

bool writeChannelGroup(hid_t a_Asic, const char* a_Name, const ChannelGroup& a_Group)
{
    Hdf5Handle group = makeGroup(a_Asic, a_Name, "NXcollection");
    if (!group.valid() || !writeInts(group.id(), a_Group.settings)
        || !writeValues(group.id(), "peaking_time", H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, &a_Group.peakingTime, -1, "us"))
        return false;
    // One dataset per channel field, a value per channel from channel 1 on.
    for (size_t column = 0; column < a_Group.columns.size(); ++column)
        if (!writeValues(group.id(), a_Group.columns[column], H5T_STD_I32LE, H5T_NATIVE_INT32,
                         a_Group.values[column].data(), qint64(a_Group.values[column].size())))
            return false;
    return true;
}

bool writeGM(hid_t a_Configuration, int a_Position, const GMRecord& a_GM)
{
    const QByteArray name = QByteArray("gm") + QByteArray::number(a_Position);
    Hdf5Handle gm = makeGroup(a_Configuration, name.constData(), "NXcollection");
    if (!gm.valid() || !writeInts(gm.id(), a_GM.settings))
        return false;
    Hdf5Handle asic = makeGroup(gm.id(), "asic", "NXcollection");
    return asic.valid() && writeInts(asic.id(), a_GM.asic) && writeChannelGroup(asic.id(), "anode", a_GM.anode)
        && writeChannelGroup(asic.id(), "cathode", a_GM.cathode);
}
} // namespace

NexusWriter::NexusWriter() = default;
NexusWriter::~NexusWriter() = default;

bool NexusWriter::create(const QString& a_Path, const QString& a_FileName, bool a_TimeDetect, QString* a_Error)
{
    // The one-line errors below say what failed; HDF5's own stack dumps would
    // only repeat it on stderr.
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
    m_Path = a_Path;
    m_TimeDetect = a_TimeDetect;
    m_File = Hdf5Handle(H5Fcreate(QFile::encodeName(a_Path).constData(), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT),
                        H5Fclose);
    if (!m_File.valid()) {
        *a_Error = QStringLiteral("cannot create the HDF5 file %1").arg(a_Path);
        return false;
    }
    const QString program = QStringLiteral("quorvel %1").arg(QString::fromStdString(QuorvelDll::GetVersion()));
    if (!writeAttribute(m_File.id(), "NX_class", QStringLiteral("NXroot"))
        || !writeAttribute(m_File.id(), "file_name", a_FileName)
        || !writeAttribute(m_File.id(), "file_time", QDateTime::currentDateTime().toString(Qt::ISODate))
        || !writeAttribute(m_File.id(), "creator", program)) {
        *a_Error = QStringLiteral("cannot write to the HDF5 file %1").arg(a_Path);
        return false;
    }
    m_Entry = makeGroup(m_File.id(), "entry", "NXentry");
    if (m_Entry.valid())
        m_Events = makeGroup(m_Entry.id(), "events", "NXevent_data");
    if (!m_Events.valid()) {
        *a_Error = QStringLiteral("cannot create the entry in %1").arg(a_Path);
        return false;
    }
    const hid_t events = m_Events.id();
    return m_EventId.create(events, "event_id", H5T_STD_U32LE, a_Error)
        && m_Pixel.create(events, "event_pixel", H5T_STD_U16LE, a_Error)
        && m_Energy.create(events, "event_energy", H5T_STD_U16LE, a_Error)
        && m_PositiveEnergy.create(events, "event_energy_positive", H5T_STD_U8LE, a_Error)
        && (!a_TimeDetect
            || (m_TimeDetectColumn.create(events, "event_time_detect", H5T_STD_U16LE, a_Error)
                && m_PositiveTimeDetect.create(events, "event_time_detect_positive", H5T_STD_U8LE, a_Error)))
        && m_EventIndex.create(events, "event_index", H5T_STD_U64LE, a_Error)
        && m_PacketGM.create(events, "packet_gm", H5T_STD_U8LE, a_Error)
        && m_PacketHeaderWord.create(events, "packet_header_word", H5T_STD_U16LE, a_Error);
}

bool NexusWriter::writeConfiguration(const CameraConfiguration& a_Configuration, const QString& a_Source,
                                     QString* a_Error)
{
    Hdf5Handle group = makeGroup(m_Entry.id(), "configuration", "NXcollection");
    bool ok = group.valid() && writeAttribute(group.id(), "source", a_Source)
        && writeInt(group.id(), "format_version", a_Configuration.formatVersion)
        && writeText(group.id(), "camera_address", a_Configuration.cameraAddress, false)
        && writeInts(group.id(), a_Configuration.system);
    for (size_t i = 0; ok && i < a_Configuration.gms.size(); ++i)
        ok = writeGM(group.id(), int(i) + 1, a_Configuration.gms[i]);
    if (!ok)
        *a_Error = QStringLiteral("cannot write the configuration into %1").arg(m_Path);
    return ok;
}

void NexusWriter::addEvent(const Event& a_Event)
{
    m_EventId.append(a_Event.id);
    m_Pixel.append(a_Event.pixel);
    m_Energy.append(a_Event.energy);
    m_PositiveEnergy.append(a_Event.positiveEnergy);
    if (m_TimeDetect) {
        m_TimeDetectColumn.append(a_Event.timeDetect);
        m_PositiveTimeDetect.append(a_Event.positiveTimeDetect);
    }
}

void NexusWriter::addPacket(quint8 a_GMID, quint16 a_HeaderWord)
{
    m_EventIndex.append(m_EventId.size());
    m_PacketGM.append(a_GMID);
    m_PacketHeaderWord.append(a_HeaderWord);
}

QString NexusWriter::failedColumn() const
{
    for (const Hdf5Column* column : {&m_EventId, &m_Pixel, &m_Energy, &m_PositiveEnergy, &m_TimeDetectColumn,
                                     &m_PositiveTimeDetect, &m_EventIndex, &m_PacketGM, &m_PacketHeaderWord})
        if (column->failed())
            return column->name();
    return QString();
}

bool NexusWriter::finish(const NexusEntryFacts& a_Facts, QString* a_Error)
{
    for (Hdf5Column* column : {&m_EventId, &m_Pixel, &m_Energy, &m_PositiveEnergy, &m_TimeDetectColumn,
                               &m_PositiveTimeDetect, &m_EventIndex, &m_PacketGM, &m_PacketHeaderWord})
        if (column->dataset() >= 0 && !column->flush()) {
            *a_Error = QStringLiteral("cannot write %1 into %2").arg(column->name(), m_Path);
            return false;
        }
    const hid_t entry = m_Entry.id();
    const hid_t events = m_Events.id();
    const QString program = QStringLiteral("quorvel %1").arg(QString::fromStdString(QuorvelDll::GetVersion()));
    bool ok = writeText(entry, "title", a_Facts.title, false) && writeText(entry, "program_name", program, false)
        && writeAttribute(events, "pixel_numbers", a_Facts.pixelNumbers)
        && writeAttribute(events, "packets_from", a_Facts.packetsFrom)
        && writeValues(events, "unplaced_events", H5T_STD_U64LE, H5T_NATIVE_UINT64, &a_Facts.unplacedEvents, -1)
        && writeAttribute(m_EventId.dataset(), "long_name", QStringLiteral("camera pixel 1..484, 0 if not placed"))
        && writeAttribute(m_Energy.dataset(), "long_name", QStringLiteral("energy value as read out"));
    if (ok && a_Facts.seconds >= 0.0)
        ok = writeValues(entry, "duration", H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, &a_Facts.seconds, -1, "s");
    if (ok && !a_Facts.startTime.isEmpty())
        ok = writeText(entry, "start_time", a_Facts.startTime, false);
    // NXdata shows the event fields a plotting reader looks for, as hard links.
    Hdf5Handle data = ok ? makeGroup(entry, "data", "NXdata") : Hdf5Handle();
    ok = data.valid() && writeAttribute(data.id(), "signal", QStringLiteral("event_energy"))
        && H5Lcreate_hard(events, "event_id", data.id(), "event_id", H5P_DEFAULT, H5P_DEFAULT) >= 0
        && H5Lcreate_hard(events, "event_energy", data.id(), "event_energy", H5P_DEFAULT, H5P_DEFAULT) >= 0
        && H5Lcreate_hard(events, "event_index", data.id(), "event_index", H5P_DEFAULT, H5P_DEFAULT) >= 0;
    data.close();
    for (Hdf5Column* column : {&m_EventId, &m_Pixel, &m_Energy, &m_PositiveEnergy, &m_TimeDetectColumn,
                               &m_PositiveTimeDetect, &m_EventIndex, &m_PacketGM, &m_PacketHeaderWord})
        column->close();
    m_Events.close();
    m_Entry.close();
    if (!ok || H5Fflush(m_File.id(), H5F_SCOPE_GLOBAL) < 0 || !m_File.close()) {
        *a_Error = QStringLiteral("cannot finish the HDF5 file %1").arg(m_Path);
        return false;
    }
    return true;
}

} // namespace tool
