#include "gui/acquisitionpanel.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace gui {

AcquisitionPanel::AcquisitionPanel(QWidget* a_Parent)
    : QGroupBox(QStringLiteral("Acquisition"), a_Parent)
    , m_Seconds(new QDoubleSpinBox)
    , m_Folder(new QLineEdit(QStringLiteral("run")))
    , m_PhotonFile(new QCheckBox(QStringLiteral("photons.dat")))
    , m_ConfigurationFile(new QCheckBox(QStringLiteral("configuration.dat")))
    , m_Pictures(new QCheckBox(QStringLiteral("flood.png and spectrum.png")))
    , m_Start(new QPushButton(QStringLiteral("Start")))
    , m_Stop(new QPushButton(QStringLiteral("Stop")))
{
    m_Seconds->setRange(0, 86400);
    m_Seconds->setDecimals(1);
    m_Seconds->setSuffix(QStringLiteral(" s"));
    m_Seconds->setSpecialValueText(QStringLiteral("until stopped"));
    m_PhotonFile->setChecked(true);
    m_ConfigurationFile->setChecked(true);
    auto* browse = new QPushButton(QStringLiteral("..."));
    browse->setMaximumWidth(30);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Output folder"), m_Folder->text());
        if (!folder.isEmpty())
            m_Folder->setText(folder);
    });
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_Folder);
    folderRow->addWidget(browse);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Duration"), m_Seconds);
    form->addRow(QStringLiteral("Output folder"), folderRow);
    form->addRow(QStringLiteral("Files"), m_PhotonFile);
    form->addRow(QString(), m_ConfigurationFile);
    form->addRow(QString(), m_Pictures);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_Start);
    buttons->addWidget(m_Stop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    connect(m_Start, &QPushButton::clicked, this, &AcquisitionPanel::startRequested);
    connect(m_Stop, &QPushButton::clicked, this, &AcquisitionPanel::stopRequested);
    setRunning(false, false);
}

AcquisitionRequest AcquisitionPanel::request() const
{
    AcquisitionRequest request;
    request.seconds = m_Seconds->value();
    request.folder = m_Folder->text().trimmed();
    request.photonFile = m_PhotonFile->isChecked();
    request.configurationFile = m_ConfigurationFile->isChecked();
    request.pictures = m_Pictures->isChecked();
    return request;
}

void AcquisitionPanel::setSeconds(double a_Seconds)
{
    m_Seconds->setValue(a_Seconds);
}

void AcquisitionPanel::setFolder(const QString& a_Folder)
{
    m_Folder->setText(a_Folder);
}

void AcquisitionPanel::setRunning(bool a_Running, bool a_CanStart)
{
    m_Start->setEnabled(!a_Running && a_CanStart);
    m_Stop->setEnabled(a_Running);
    for (QWidget* widget : {static_cast<QWidget*>(m_Seconds), static_cast<QWidget*>(m_Folder),
                            static_cast<QWidget*>(m_PhotonFile), static_cast<QWidget*>(m_ConfigurationFile),
                            static_cast<QWidget*>(m_Pictures)})
        widget->setEnabled(!a_Running);
}

} // namespace gui
