// Runs one collection at a time from the client's thread: enables the photon
// stream (photons kept out of the store, so memory stays flat), starts the stream
// reader and the collection, stops it when asked or when the time is up, and
// writes the files once the reader has the collection's last photon.
#ifndef GUI_ACQUISITIONCONTROLLER_H
#define GUI_ACQUISITIONCONTROLLER_H

#include "gui/acquisitionrequest.h"

#include <QElapsedTimer>
#include <QObject>
#include <memory>

namespace gui {

class LiveHistograms;
class StreamReader;

class AcquisitionController : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, Collecting, Finishing };

    explicit AcquisitionController(LiveHistograms* a_Histograms, QObject* a_Parent = nullptr);
    ~AcquisitionController() override;

    // False with a one-line reason (the library's last error where it has one).
    bool start(const AcquisitionRequest& a_Request, QString* a_Error);
    void stop();
    // Called by the window's timer: stops when the time is up, finishes when the
    // reader has read everything.
    void poll();

    State state() const { return m_State; }
    double elapsedSeconds() const;
    qint64 photonsRead() const;
    static constexpr long long streamCapacity = 1 << 21; // photons

signals:
    void stateChanged();
    void message(const QString& a_Kind, const QString& a_Text); // "info" or "error"

private:
    void finish();
    void setState(State a_State);
    QString writeFiles();

    LiveHistograms* m_Histograms;
    std::unique_ptr<StreamReader> m_Reader;
    AcquisitionRequest m_Request;
    State m_State = State::Idle;
    QElapsedTimer m_Clock;
    QElapsedTimer m_Finishing;
    qint64 m_ElapsedMs = 0; // frozen at the stop
};

} // namespace gui

#endif
