#include "tools/pictures/photopeak.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tool {

namespace {
std::vector<double> smooth(const std::vector<double>& a_Counts, double a_Sigma)
{
    const int radius = int(std::ceil(3.0 * a_Sigma));
    std::vector<double> kernel(size_t(2 * radius + 1));
    for (int k = -radius; k <= radius; ++k)
        kernel[size_t(k + radius)] = std::exp(-0.5 * k * k / (a_Sigma * a_Sigma));
    const int n = int(a_Counts.size());
    std::vector<double> result(a_Counts.size(), 0.0);
    for (int i = 0; i < n; ++i) {
        double sum = 0.0;
        double weight = 0.0;
        for (int k = -radius; k <= radius; ++k) {
            const int j = i + k;
            if (j < 0 || j >= n)
                continue;
            sum += kernel[size_t(k + radius)] * a_Counts[size_t(j)];
            weight += kernel[size_t(k + radius)];
        }
        result[size_t(i)] = sum / weight;
    }
    return result;
}

// Height of a maximum above the higher of the two lowest points reached before
// the curve rises above it again on either side.
double prominence(const std::vector<double>& a_Curve, int a_Peak)
{
    const double top = a_Curve[size_t(a_Peak)];
    double leftMin = top;
    for (int j = a_Peak - 1; j >= 0 && a_Curve[size_t(j)] <= top; --j)
        leftMin = std::min(leftMin, a_Curve[size_t(j)]);
    double rightMin = top;
    for (size_t j = size_t(a_Peak) + 1; j < a_Curve.size() && a_Curve[j] <= top; ++j)
        rightMin = std::min(rightMin, a_Curve[j]);
    return top - std::max(leftMin, rightMin);
}

// Crossing of the half maximum, in fractional bins, walking from the peak.
double halfMaxCrossing(const std::vector<double>& a_Curve, int a_Peak, int a_Step)
{
    const double half = a_Curve[size_t(a_Peak)] / 2.0;
    int j = a_Peak;
    while (j + a_Step >= 0 && j + a_Step < int(a_Curve.size()) && a_Curve[size_t(j + a_Step)] > half)
        j += a_Step;
    const int k = j + a_Step;
    if (k < 0 || k >= int(a_Curve.size()))
        return j;
    const double inside = a_Curve[size_t(j)];
    const double outside = a_Curve[size_t(k)];
    const double t = inside > outside ? (inside - half) / (inside - outside) : 0.0;
    return j + a_Step * t;
}

struct GaussFit {
    bool ok = false;
    double mean = 0.0; // bins
    double sigma = 0.0; // bins
    double height = 0.0;
};

// Least squares of ln(y) = a + b x + c x^2 weighted by y (the variance of ln y
// of a count y is about 1 / y), over the bins from a_Low to a_High.
GaussFit fitGauss(const std::vector<double>& a_Counts, double a_Centre, int a_Low, int a_High)
{
    double m[3][4] = {};
    int used = 0;
    for (int i = std::max(0, a_Low); i <= std::min(int(a_Counts.size()) - 1, a_High); ++i) {
        const double y = a_Counts[size_t(i)];
        if (y <= 0.0)
            continue;
        const double x = i - a_Centre;
        const double powers[3] = {1.0, x, x * x};
        const double ly = std::log(y);
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c)
                m[r][c] += y * powers[r] * powers[c];
            m[r][3] += y * powers[r] * ly;
        }
        ++used;
    }
    GaussFit fit;
    if (used < 3)
        return fit;
    // Gaussian elimination with partial pivoting on the 3 x 4 system.
    for (int col = 0; col < 3; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 3; ++r)
            if (std::fabs(m[r][col]) > std::fabs(m[pivot][col]))
                pivot = r;
        if (std::fabs(m[pivot][col]) < 1e-12)
            return fit;
        std::swap(m[col], m[pivot]);
        for (int r = 0; r < 3; ++r) {
            if (r == col)
                continue;
            const double f = m[r][col] / m[col][col];
            for (int c = col; c < 4; ++c)
                m[r][c] -= f * m[col][c];
        }
    }
    const double a = m[0][3] / m[0][0];
    const double b = m[1][3] / m[1][1];
    const double c = m[2][3] / m[2][2];
    if (!(c < 0.0))
        return fit;
    fit.sigma = std::sqrt(-1.0 / (2.0 * c));
    fit.mean = a_Centre - b / (2.0 * c);
    fit.height = std::exp(a - b * b / (4.0 * c));
    fit.ok = std::isfinite(fit.mean) && std::isfinite(fit.height) && fit.sigma > 0.3;
    return fit;
}
} // namespace

double Photopeak::at(double a_Energy) const
{
    const double s = sigma();
    if (!found || s <= 0.0)
        return 0.0;
    const double z = (a_Energy - centre) / s;
    return height * std::exp(-0.5 * z * z);
}

Photopeak Photopeak::find(const std::vector<double>& a_Counts, double a_First, double a_BinWidth)
{
    Photopeak peak;
    const int n = int(a_Counts.size());
    if (n < 5 || std::accumulate(a_Counts.begin(), a_Counts.end(), 0.0) < 20.0)
        return peak;

    const std::vector<double> curve = smooth(a_Counts, std::max(1.0, n / 150.0));
    const double highest = *std::max_element(curve.begin(), curve.end());
    int best = -1;
    for (int i = 0; i < n; ++i) {
        const double left = i > 0 ? curve[size_t(i - 1)] : -1.0;
        const double right = i + 1 < n ? curve[size_t(i + 1)] : -1.0;
        const double here = curve[size_t(i)];
        // A peak stands out by at least half its own height; a shoulder does not.
        if (here > left && here >= right && here >= 0.05 * highest && prominence(curve, i) >= 0.5 * here)
            best = i; // the last one is the highest-energy candidate
    }
    if (best < 0)
        return peak;

    // First estimate from the half-maximum points of the smoothed curve.
    const double left = halfMaxCrossing(curve, best, -1);
    const double right = halfMaxCrossing(curve, best, +1);
    double mean = (left + right) / 2.0;
    double sigma = std::max(0.5, (right - left) / 2.354820045);
    double height = curve[size_t(best)];
    bool fitted = false;
    // Refine on the raw bins within two sigma, twice so the window follows the fit.
    for (int pass = 0; pass < 2; ++pass) {
        const double reach = std::max(2.0, 2.0 * sigma);
        const GaussFit fit = fitGauss(a_Counts, mean, int(std::floor(mean - reach)), int(std::ceil(mean + reach)));
        if (!fit.ok || std::fabs(fit.mean - mean) > reach)
            break;
        mean = fit.mean;
        sigma = fit.sigma;
        height = fit.height;
        fitted = true;
    }
    // Integer energies: bin i holds a_First + i * w .. a_First + i * w + w - 1.
    peak.found = true;
    peak.fitted = fitted;
    peak.centre = a_First + mean * a_BinWidth + (a_BinWidth - 1.0) / 2.0;
    peak.fwhm = 2.354820045 * sigma * a_BinWidth;
    peak.height = height;
    return peak;
}

} // namespace tool
