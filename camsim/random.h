// A small, fast, seedable random source (splitmix64), so every run with the
// same seed sends the same photons and hits the same datagrams with faults.
#ifndef CAMSIM_RANDOM_H
#define CAMSIM_RANDOM_H

#include <QtGlobal>
#include <cmath>

namespace camsim {

class Random {
public:
    explicit Random(quint64 seed = 1) : m_State(seed) {}

    quint64 next()
    {
        quint64 z = (m_State += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    // Uniform integer in [0, n).
    quint32 below(quint32 n) { return static_cast<quint32>(((next() >> 32) * n) >> 32); }
    double normal()
    {
        const double u1 = uniform() + 1e-300;
        const double u2 = uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }
    // A seed derived from a base seed and a few labels.
    static quint64 mix(quint64 seed, quint64 a, quint64 b = 0)
    {
        Random r(seed * 0x100000001B3ULL ^ (a << 17) ^ (b << 41) ^ a ^ (b * 31));
        r.next();
        return r.next();
    }

private:
    quint64 m_State;
};

} // namespace camsim

#endif
