// The photon stream from Python: read_photons, the counters, and stream(),
// an iterator of numpy arrays that waits without the GIL.
#include "python/binder.h"
#include "python/collectiontables.h"
#include "python/eventloop.h"

#include "quorveldll.h"

#include <pybind11/stl.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <cstring>
#include <optional>
#include <vector>

namespace quorvelpy {

using namespace pybind11::literals;

namespace {

// Waits are cut into slices so Ctrl-C and the callbacks are served.
constexpr int sliceMs = 50;

bool onApplicationThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

// One ReadPhotons call without the GIL: the records as a new array, or the
// (negative) end code with an empty array.
long long readOnce(std::vector<PhotonRecord>* a_pBuffer, int a_TimeoutMs, py::array* a_pOut)
{
    long long read = 0;
    {
        py::gil_scoped_release unlocked;
        read = QuorvelDll::ReadPhotons(a_pBuffer->data(), static_cast<long long>(a_pBuffer->size()), a_TimeoutMs);
    }
    const long long rows = read > 0 ? read : 0;
    *a_pOut = py::array(photonType(), py::array::ShapeContainer{static_cast<py::ssize_t>(rows)});
    if (rows > 0)
        std::memcpy(a_pOut->mutable_data(), a_pBuffer->data(), static_cast<size_t>(rows) * sizeof(PhotonRecord));
    return read;
}

py::object readPhotons(long long a_MaxPhotons, double a_Timeout)
{
    if (a_MaxPhotons < 1)
        raiseError("ReadPhotons", "max_photons must be at least 1");
    std::vector<PhotonRecord> buffer(static_cast<size_t>(a_MaxPhotons));
    py::array out;
    const long long read = readOnce(&buffer, a_Timeout < 0 ? -1 : static_cast<int>(a_Timeout * 1000), &out);
    if (read == PHOTON_STREAM_ENDED)
        return py::none();
    if (read == PHOTON_STREAM_CLOSED)
        raiseError("ReadPhotons", "The photon stream is not enabled");
    return std::move(out);
}

py::dict streamCounters()
{
    const PhotonStreamCounters counters = QuorvelDll::GetPhotonStreamCounters();
    return py::dict("packets"_a = counters.packets, "photons"_a = counters.photons,
                    "dropped_photons"_a = counters.droppedPhotons, "queued"_a = counters.queued,
                    "capacity"_a = counters.capacity);
}

[[noreturn]] void raiseLastError(const char* a_Function)
{
    raiseError(a_Function, QuorvelDll::GetLastError());
}

// Yields the photons of one collection as they arrive. With seconds, it
// enables the stream if needed, starts the collection, stops it after that
// time and yields the rest; without, it follows a collection run elsewhere.
class StreamIterator
{
public:
    StreamIterator(std::optional<double> a_Seconds, long long a_Batch)
        : m_Seconds(a_Seconds), m_Buffer(static_cast<size_t>(a_Batch > 0 ? a_Batch : 1))
    {
        if (m_Seconds)
            checkClientThread("stream");
    }

    py::array Next()
    {
        if (m_Done)
            throw py::stop_iteration();
        if (m_Seconds && !m_Started)
            Start();
        for (;;) {
            int waitMs = sliceMs;
            if (m_Seconds && !m_Stopped) {
                if (m_Deadline.hasExpired())
                    Stop();
                else
                    waitMs = static_cast<int>(std::min<qint64>(sliceMs, m_Deadline.remainingTime()));
            }
            py::array out;
            const long long read = readOnce(&m_Buffer, waitMs, &out);
            if (onApplicationThread())
                serveEventsOnce();
            else if (PyErr_CheckSignals() != 0)
                throw py::error_already_set();
            if (read > 0)
                return out;
            if (read == PHOTON_STREAM_CLOSED && !m_Seconds && !m_Done) {
                m_Done = true;
                raiseError("stream", "The photon stream is not enabled");
            }
            if (read < 0) {
                m_Done = true;
                throw py::stop_iteration();
            }
        }
    }

    // Stops a collection this iterator started and has not stopped yet.
    void Close()
    {
        if (m_Started && !m_Stopped)
            Stop();
        m_Done = true;
    }

private:
    void Start()
    {
        if (!QuorvelDll::IsPhotonStreamEnabled() && !QuorvelDll::EnablePhotonStream(0))
            raiseLastError("EnablePhotonStream");
        if (!QuorvelDll::StartPhotonCollection())
            raiseLastError("StartPhotonCollection");
        m_Started = true;
        m_Deadline = QDeadlineTimer(static_cast<qint64>(*m_Seconds * 1000));
    }

    void Stop()
    {
        m_Stopped = true;
        if (!QuorvelDll::StopPhotonCollection())
            raiseLastError("StopPhotonCollection");
    }

    std::optional<double> m_Seconds;
    std::vector<PhotonRecord> m_Buffer;
    QDeadlineTimer m_Deadline;
    bool m_Started = false;
    bool m_Stopped = false;
    bool m_Done = false;
};

void defBoth(py::module_& a_Module, const char* a_Name, const char* a_PythonName, const py::cpp_function& a_Function)
{
    a_Module.add_object(a_Name, a_Function);
    a_Module.add_object(a_PythonName, a_Function);
}

} // namespace

void bindPhotonStream(py::module_& a_Module)
{
    defBoth(a_Module, "ReadPhotons", "read_photons",
            py::cpp_function(&readPhotons, py::name("ReadPhotons"), py::scope(a_Module),
                             py::arg("max_photons") = 65536, py::arg("timeout") = 1.0,
                             "Up to max_photons photons from the stream as an array of photon_dtype, waiting up\n"
                             "to timeout seconds (negative: without limit) without the GIL; empty if none came.\n"
                             "None once the collection's last photon was read. Any thread may call it."));
    defBoth(a_Module, "GetPhotonStreamCounters", "get_photon_stream_counters",
            py::cpp_function(&streamCounters, py::name("GetPhotonStreamCounters"), py::scope(a_Module),
                             "The stream's counters as a dict: packets, photons, dropped_photons, queued, capacity."));

    py::class_<StreamIterator>(a_Module, "PhotonStreamIterator",
                               "What stream() returns: an iterator of photon_dtype arrays and a context manager.")
        .def("__iter__", [](StreamIterator& a_Self) -> StreamIterator& { return a_Self; })
        .def("__next__", &StreamIterator::Next)
        .def("close", &StreamIterator::Close, "Stops a collection this iterator started, if still running.")
        .def("__enter__", [](StreamIterator& a_Self) -> StreamIterator& { return a_Self; })
        .def("__exit__", [](StreamIterator& a_Self, const py::args&) { a_Self.Close(); });
    a_Module.def(
        "stream",
        [](std::optional<double> a_Seconds, long long a_Batch) { return StreamIterator(a_Seconds, a_Batch); },
        py::arg("seconds") = py::none(), py::arg("batch") = 65536,
        "Iterates over the photon stream, yielding arrays of photon_dtype (at most batch rows) as they\n"
        "arrive, until the collection ends. With seconds, it enables the stream if needed, starts a\n"
        "collection, stops it after that many seconds and yields the rest. Use it in a with-statement\n"
        "(or call close()) to stop that collection if the loop is left early.");
}

} // namespace quorvelpy
