#include "gui/camerapanel.h"

#include "quorveldll.h"
#include "tools/commands/camsimoptions.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace gui {

namespace {
enum Column { ColumnGM, ColumnFirmware, ColumnStatus, ColumnAdc1, ColumnAdc2, ColumnMode, ColumnOptions, Columns };
} // namespace

CameraPanel::CameraPanel(QWidget* a_Parent)
    : QGroupBox(QStringLiteral("Camera"), a_Parent)
    , m_Kind(new QComboBox)
    , m_CameraAddress(new QLineEdit)
    , m_HostAddress(new QLineEdit)
    , m_Source(new QComboBox)
    , m_Points(new QLineEdit(QStringLiteral("5.5,5.5 16.5,16.5")))
    , m_Peak(new QLineEdit(QStringLiteral("2000,120")))
    , m_Connect(new QPushButton(QStringLiteral("Connect")))
    , m_Disconnect(new QPushButton(QStringLiteral("Disconnect")))
    , m_Apply(new QPushButton(QStringLiteral("Apply settings")))
    , m_Status(new QLabel(QStringLiteral("Not connected")))
    , m_GMs(new QTableWidget(0, Columns))
    , m_PacketRate(new QSpinBox)
    , m_Mapping(new QComboBox)
{
    m_Kind->addItems({QStringLiteral("Virtual camera in this program"), QStringLiteral("Camera at an address")});
    m_Source->addItems({QStringLiteral("flood"), QStringLiteral("points"), QStringLiteral("bars")});
    m_Source->setCurrentIndex(1);
    m_CameraAddress->setPlaceholderText(QStringLiteral("camera, e.g. 192.168.0.20"));
    m_HostAddress->setPlaceholderText(QStringLiteral("this machine, e.g. 192.168.0.10"));
    m_Points->setToolTip(QStringLiteral("Point sources: column,row[,sigma[,weight]] in pixels, separated by spaces"));
    m_Peak->setToolTip(QStringLiteral("Photopeak centre,FWHM in ADC units"));
    m_PacketRate->setRange(1000, 63000);
    m_PacketRate->setSingleStep(1000);
    m_PacketRate->setSuffix(QStringLiteral(" packets/s"));
    m_Mapping->addItems({QStringLiteral("global (1..484)"), QStringLiteral("local (1..121 per GM)")});
    m_Status->setWordWrap(true);
    m_Status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_GMs->setHorizontalHeaderLabels({QStringLiteral("GM"), QStringLiteral("FW"), QStringLiteral("Status"),
                                      QStringLiteral("ADC 1"), QStringLiteral("ADC 2"), QStringLiteral("Readout"),
                                      QStringLiteral("Opt.")});
    m_GMs->horizontalHeaderItem(m_GMs->columnCount() - 1)->setToolTip(QStringLiteral("Readout options of the GM"));
    m_GMs->verticalHeader()->hide();
    m_GMs->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_GMs->horizontalHeader()->setMinimumSectionSize(30);
    m_GMs->horizontalHeader()->setSectionResizeMode(ColumnMode, QHeaderView::ResizeToContents);
    m_GMs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_GMs->setMinimumHeight(140);
    m_GMs->setMinimumWidth(0);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Camera"), m_Kind);
    form->addRow(QStringLiteral("Address"), m_CameraAddress);
    form->addRow(QStringLiteral("Host address"), m_HostAddress);
    form->addRow(QStringLiteral("Source"), m_Source);
    form->addRow(QStringLiteral("Points"), m_Points);
    form->addRow(QStringLiteral("Peak"), m_Peak);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_Connect);
    buttons->addWidget(m_Disconnect);
    auto* settings = new QFormLayout;
    settings->addRow(QStringLiteral("Packet rate"), m_PacketRate);
    settings->addRow(QStringLiteral("Pixel mapping"), m_Mapping);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(m_Status);
    layout->addWidget(m_GMs);
    layout->addLayout(settings);
    layout->addWidget(m_Apply);

    connect(m_Kind, qOverload<int>(&QComboBox::currentIndexChanged), this, &CameraPanel::updateEnabled);
    connect(m_Connect, &QPushButton::clicked, this, &CameraPanel::connectRequested);
    connect(m_Disconnect, &QPushButton::clicked, this, &CameraPanel::disconnectRequested);
    connect(m_Apply, &QPushButton::clicked, this, &CameraPanel::applyRequested);
    updateEnabled();
}

bool CameraPanel::options(tool::CameraOptions* a_Options, QString* a_Error) const
{
    tool::CameraOptions options;
    if (m_Kind->currentIndex() == 1) {
        options.cameraAddress = m_CameraAddress->text().trimmed();
        options.hostAddress = m_HostAddress->text().trimmed();
        if (options.cameraAddress.isEmpty() || options.hostAddress.isEmpty()) {
            *a_Error = QStringLiteral("a real camera needs its address and the address of this machine");
            return false;
        }
        *a_Options = options;
        return true;
    }
    // The same words `quorvel acquire` takes, checked by the same reader.
    QStringList words {QStringLiteral("quorvel-gui"), QStringLiteral("--source"), m_Source->currentText(),
                       QStringLiteral("--peak"), m_Peak->text().trimmed()};
    for (const QString& point : m_Points->text().split(QLatin1Char(' '), Qt::SkipEmptyParts))
        words << QStringLiteral("--point") << point;
    QCommandLineParser parser;
    tool::CamsimOptions::add(&parser, tool::CamsimOptions::Embedded);
    if (!parser.parse(words)) {
        *a_Error = parser.errorText();
        return false;
    }
    if (!tool::CamsimOptions::read(parser, tool::CamsimOptions::Embedded, &options.virtualCamera, a_Error))
        return false;
    options.virtualCamera.recordSentPackets = false; // a long run keeps no per-packet list
    *a_Options = options;
    return true;
}

SystemSettings CameraPanel::settings() const
{
    SystemSettings settings;
    settings.numbers = m_Mapping->currentIndex() == 0 ? tool::PixelNumbers::Camera : tool::PixelNumbers::GM;
    settings.packetRate = m_PacketRate->value();
    for (int row = 0; row < m_GMs->rowCount(); ++row) {
        GMReadout gm;
        gm.id = m_GMs->item(row, ColumnGM)->text().toInt();
        gm.mode = qobject_cast<QComboBox*>(m_GMs->cellWidget(row, ColumnMode))->currentIndex() + 1;
        gm.options = qobject_cast<QSpinBox*>(m_GMs->cellWidget(row, ColumnOptions))->value();
        settings.gms.append(gm);
    }
    return settings;
}

void CameraPanel::setPacketRate(int a_Rate)
{
    m_PacketRate->setValue(a_Rate);
}

void CameraPanel::showConnected(const QString& a_Description, const QList<tool::GMReadings>& a_Readings,
                                const QVector<GMReadout>& a_Readout)
{
    m_Connected = true;
    m_Status->setText(QStringLiteral("Connected to the %1, %2 GMs").arg(a_Description).arg(a_Readings.size()));
    m_GMs->setRowCount(a_Readings.size());
    for (int row = 0; row < a_Readings.size(); ++row) {
        const tool::GMReadings& gm = a_Readings[row];
        const QStringList texts {QString::number(gm.id), tool::GMReadings::hex(gm.firmware & 0xFF, 2),
                                 tool::GMReadings::hex(gm.status & 0xFF, 2), QString::number(gm.adc1),
                                 QString::number(gm.adc2)};
        for (int column = 0; column < texts.size(); ++column)
            m_GMs->setItem(row, column, new QTableWidgetItem(texts[column]));
        m_GMs->item(row, ColumnAdc1)->setToolTip(tool::GMReadings::adcText(gm.adc1));
        m_GMs->item(row, ColumnAdc2)->setToolTip(tool::GMReadings::adcText(gm.adc2));
        auto* mode = new QComboBox;
        mode->addItems({QStringLiteral("read-all"), QStringLiteral("sparsified")});
        mode->setCurrentIndex(a_Readout.value(row).mode == GM_READOUT_MODE_SPARSIFIED ? 1 : 0);
        m_GMs->setCellWidget(row, ColumnMode, mode);
        auto* options = new QSpinBox;
        options->setRange(0, 3);
        options->setValue(a_Readout.value(row).options & 3);
        options->setToolTip(QStringLiteral("bit 0 negative energies, bit 1 time detect values"));
        m_GMs->setCellWidget(row, ColumnOptions, options);
    }
    updateEnabled();
}

void CameraPanel::showDisconnected()
{
    m_Connected = false;
    m_Status->setText(QStringLiteral("Not connected"));
    m_GMs->setRowCount(0);
    updateEnabled();
}

void CameraPanel::setBusy(bool a_Busy)
{
    m_Busy = a_Busy;
    updateEnabled();
}

void CameraPanel::updateEnabled()
{
    const bool real = m_Kind->currentIndex() == 1;
    const bool choosing = !m_Connected && !m_Busy;
    for (QWidget* widget : {static_cast<QWidget*>(m_Kind), static_cast<QWidget*>(m_Connect)})
        widget->setEnabled(choosing);
    m_CameraAddress->setEnabled(choosing && real);
    m_HostAddress->setEnabled(choosing && real);
    m_Source->setEnabled(choosing && !real);
    m_Points->setEnabled(choosing && !real);
    m_Peak->setEnabled(choosing && !real);
    m_Disconnect->setEnabled(m_Connected && !m_Busy);
    m_Apply->setEnabled(m_Connected && !m_Busy);
    m_GMs->setEnabled(m_Connected && !m_Busy);
    m_PacketRate->setEnabled(!m_Busy);
    m_Mapping->setEnabled(!m_Busy);
}

} // namespace gui
