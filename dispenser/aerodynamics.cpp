// The ring's airfoil coefficients, for the simulator's airfoil model.
//
// Both airfoils interpolate a lift table linearly over the flow angle (angle of attack for the
// vertical airfoil, sideslip for the horizontal one, radians in -pi..pi):
//   i = first segment with angle <= a[i+1];  f = (angle - a[i]) / (a[i+1] - a[i])
//   cl = L[i] + (L[i+1] - L[i]) f
// The ring makes no lift (every table entry is 0): it is a drag body.
//   vertical:   cm = the same interpolation; cd = 0.03 + 0.4 sin^2(aoa) + induced + wave
//   horizontal: cm = 0;                      cd = 0.03 + induced + wave
// induced = oapiGetInducedDrag(cl, 1.5, 0.7), aspect ratio and wing efficiency;
// wave    = oapiGetWaveDrag(M, 0.75, 1.0, 1.1, 0.04): rises from Mach 0.75, peaks at 0.04 from
//           Mach 1.0 to 1.1, then falls off.
// The angle tables are given in degrees and converted once, on the first call, into tables that
// stay for the module's life; the per-call path does no conversion and allocates nothing.
#include <cmath>

#include "pelo_ring.h"

namespace {

constexpr double kBaseDrag = 0.03;
constexpr double kCrossflowDrag = 0.4;  // times sin^2(aoa): the ring presented side-on
constexpr double kInducedAspect = 1.5;
constexpr double kInducedEfficiency = 0.7;
constexpr double kWaveMachStart = 0.75, kWaveMachPeak = 1.0, kWaveMachPeakEnd = 1.1, kWavePeak = 0.04;

template <int N>
struct CoefficientTable {
  double angle[N];  // [rad], ascending from -pi to pi
  double lift[N];
};

template <int N>
CoefficientTable<N> tableFromDegrees(const double (&degrees)[N]) {
  CoefficientTable<N> t{};
  for (int k = 0; k < N; k++) {
    t.angle[k] = degrees[k] * RAD;
    t.lift[k] = 0.0;
  }
  return t;
}

const CoefficientTable<9> &verticalTable() {
  static constexpr double kDegrees[9] = {-180, -60, -30, -2, 10, 15, 50, 90, 180};
  static const CoefficientTable<9> table = tableFromDegrees(kDegrees);
  return table;
}

const CoefficientTable<8> &horizontalTable() {
  static constexpr double kDegrees[8] = {-180, -135, -90, -45, 45, 90, 135, 180};
  static const CoefficientTable<8> table = tableFromDegrees(kDegrees);
  return table;
}

// The segment holding the angle. An angle beyond the table's last entry (pi converted from
// degrees may fall an ulp short of the simulator's pi) stays in the last segment rather than
// reading past the table.
template <int N>
int segmentOf(const CoefficientTable<N> &t, double angle) {
  int i = 0;
  while (i < N - 2 && !(angle <= t.angle[i + 1])) i++;
  return i;
}

template <int N>
double interpolate(const CoefficientTable<N> &t, const double (&values)[N], int i, double angle) {
  double f = (angle - t.angle[i]) / (t.angle[i + 1] - t.angle[i]);
  return values[i] + (values[i + 1] - values[i]) * f;
}

double inducedAndWaveDrag(double cl, double M) {
  return oapiGetInducedDrag(cl, kInducedAspect, kInducedEfficiency) +
         oapiGetWaveDrag(M, kWaveMachStart, kWaveMachPeak, kWaveMachPeakEnd, kWavePeak);
}

}  // namespace

void pelo_ring::verticalAirfoilCoeff(VESSEL *, double aoa, double M, double, void *, double *cl, double *cm,
                                     double *cd) {
  const CoefficientTable<9> &t = verticalTable();
  int i = segmentOf(t, aoa);
  *cl = interpolate(t, t.lift, i, aoa);
  *cm = interpolate(t, t.lift, i, aoa);
  double s = std::sin(aoa);
  *cd = kBaseDrag + kCrossflowDrag * s * s + inducedAndWaveDrag(*cl, M);
}

void pelo_ring::horizontalAirfoilCoeff(VESSEL *, double beta, double M, double, void *, double *cl, double *cm,
                                       double *cd) {
  const CoefficientTable<8> &t = horizontalTable();
  int i = segmentOf(t, beta);
  *cl = interpolate(t, t.lift, i, beta);
  *cm = 0.0;
  *cd = kBaseDrag + inducedAndWaveDrag(*cl, M);
}
