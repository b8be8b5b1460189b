// The running figures of a collection in one line above the plots: time, packets,
// photons, count rate, and any data the library reports lost, in red.
#ifndef GUI_FIGURESBAR_H
#define GUI_FIGURESBAR_H

#include <QFrame>
#include <QStringList>

class QLabel;

namespace gui {

struct CollectionFigures {
    double seconds = 0.0;
    qint64 packets = 0;
    qint64 photons = 0;
    double rate = 0.0;     // photons per second lately
    qint64 dropped = 0;    // photons the stream dropped
    QStringList lossTexts; // the library's reports of lost data
};

class FiguresBar : public QFrame {
public:
    explicit FiguresBar(QWidget* a_Parent = nullptr);
    void show(const CollectionFigures& a_Figures);
    QString lossText() const; // empty without loss

private:
    QLabel* m_Figures;
    QLabel* m_Loss;
};

} // namespace gui

#endif
