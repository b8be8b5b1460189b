#include "gui/figuresbar.h"

#include "tools/terminal/terminal.h"

#include <QHBoxLayout>
#include <QLabel>

namespace gui {

FiguresBar::FiguresBar(QWidget* a_Parent)
    : QFrame(a_Parent)
    , m_Figures(new QLabel)
    , m_Loss(new QLabel)
{
    setFrameShape(QFrame::StyledPanel);
    QFont font = m_Figures->font();
    font.setPointSizeF(font.pointSizeF() * 1.15);
    m_Figures->setFont(font);
    m_Loss->setFont(font);
    m_Loss->setWordWrap(true);
    m_Loss->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_Figures);
    layout->addWidget(m_Loss, 1);
    show({});
}

void FiguresBar::show(const CollectionFigures& a_Figures)
{
    m_Figures->setText(QStringLiteral("<b>%1 s</b> &nbsp; <b>%2</b> packets &nbsp; <b>%3</b> photons &nbsp; "
                                      "<b>%4</b> photons/s &nbsp;")
                           .arg(a_Figures.seconds, 0, 'f', 1)
                           .arg(tool::Terminal::grouped(a_Figures.packets), tool::Terminal::grouped(a_Figures.photons),
                                tool::Terminal::grouped(qint64(a_Figures.rate))));
    QStringList loss = a_Figures.lossTexts;
    if (a_Figures.dropped > 0)
        loss.prepend(QStringLiteral("%1 photons dropped by the stream").arg(tool::Terminal::grouped(a_Figures.dropped)));
    if (loss.isEmpty()) {
        m_Loss->setText(QStringLiteral("No data lost"));
        m_Loss->setStyleSheet(QStringLiteral("color: #207020;"));
    } else {
        m_Loss->setText(QStringLiteral("LOST: ") + loss.mid(qMax(0, loss.size() - 2)).join(QStringLiteral(" | ")));
        m_Loss->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
    }
}

QString FiguresBar::lossText() const
{
    return m_Loss->text().startsWith(QLatin1String("LOST")) ? m_Loss->text() : QString();
}

} // namespace gui
