// The interface probe (see interface_probe.h).
#include "interface_probe.h"

#include <cmath>

namespace probe {
namespace {

bool finite(const VECTOR3 &a) { return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z); }

}  // namespace

std::string nonFiniteAnswer(VESSEL &v) {
#define PROBE(call, value)             \
  do {                                 \
    if (!(value)) return call;         \
  } while (0)
#define PROBE_D(call) PROBE(#call, std::isfinite(v.call))
  PROBE_D(GetAltitude());
  PROBE_D(GetAltitude(ALTMODE_GROUND));
  PROBE_D(GetPitch());
  PROBE_D(GetBank());
  PROBE_D(GetYaw());
  PROBE_D(GetAOA());
  PROBE_D(GetSlipAngle());
  PROBE_D(GetDynPressure());
  PROBE_D(GetMachNumber());
  PROBE_D(GetAtmPressure());
  PROBE_D(GetAtmDensity());
  PROBE_D(GetAtmTemperature());
  PROBE_D(GetAirspeed());
  PROBE_D(GetGroundspeed());
  PROBE_D(GetMass());
  PROBE_D(GetTotalPropellantMass());
  PROBE_D(GetTotalPropellantFlowrate());
  PROBE_D(GetFuelMass());
  PROBE_D(GetFuelRate());
  PROBE_D(GetLift());
  PROBE_D(GetDrag());
  PROBE_D(GetCOG_elev());
  PROBE_D(GetWheelbrakeLevel(0));
  for (int t = THGROUP_MAIN; t <= THGROUP_ATT_BACK; t++)
    PROBE("GetThrusterGroupLevel(THGROUP_TYPE)", std::isfinite(v.GetThrusterGroupLevel(static_cast<THGROUP_TYPE>(t))));
  PROBE_D(GetEngineLevel(ENGINE_MAIN));
  VECTOR3 a;
  for (int f = FRAME_GLOBAL; f <= FRAME_HORIZON; f++) {
    a = _V(0, 0, 0);
    v.GetGroundspeedVector(static_cast<REFFRAME>(f), a);
    PROBE("GetGroundspeedVector", finite(a));
    a = _V(0, 0, 0);
    v.GetAirspeedVector(static_cast<REFFRAME>(f), a);
    PROBE("GetAirspeedVector", finite(a));
  }
  struct VectorQuery {
    const char *name;
    void (*call)(VESSEL &, VECTOR3 &);
  };
  const VectorQuery vectors[] = {
      {"GetShipAirspeedVector", [](VESSEL &s, VECTOR3 &o) { s.GetShipAirspeedVector(o); }},
      {"GetHorizonAirspeedVector", [](VESSEL &s, VECTOR3 &o) { s.GetHorizonAirspeedVector(o); }},
      {"GetAngularVel", [](VESSEL &s, VECTOR3 &o) { s.GetAngularVel(o); }},
      {"GetWeightVector", [](VESSEL &s, VECTOR3 &o) { s.GetWeightVector(o); }},
      {"GetDragVector", [](VESSEL &s, VECTOR3 &o) { s.GetDragVector(o); }},
      {"GetLiftVector", [](VESSEL &s, VECTOR3 &o) { s.GetLiftVector(o); }},
      {"GetThrustVector", [](VESSEL &s, VECTOR3 &o) { s.GetThrustVector(o); }},
      {"GetForceVector", [](VESSEL &s, VECTOR3 &o) { s.GetForceVector(o); }},
      {"GetTorqueVector", [](VESSEL &s, VECTOR3 &o) { s.GetTorqueVector(o); }},
      {"GetGlobalPos", [](VESSEL &s, VECTOR3 &o) { s.GetGlobalPos(o); }},
      {"GetGlobalVel", [](VESSEL &s, VECTOR3 &o) { s.GetGlobalVel(o); }},
      {"GetAttitudeRotLevel", [](VESSEL &s, VECTOR3 &o) { s.GetAttitudeRotLevel(o); }},
      {"GetAttitudeLinLevel", [](VESSEL &s, VECTOR3 &o) { s.GetAttitudeLinLevel(o); }},
      {"GetPMI", [](VESSEL &s, VECTOR3 &o) { s.GetPMI(o); }},
  };
  for (const VectorQuery &q : vectors) {
    a = _V(0, 0, 0);
    q.call(v, a);
    PROBE(q.name, finite(a));
  }
  double lng = 0, lat = 0, rad = 0;
  v.GetEquPos(lng, lat, rad);
  PROBE("GetEquPos", std::isfinite(lng) && std::isfinite(lat) && std::isfinite(rad));
  ELEMENTS el{};
  ORBITPARAM prm{};
  double mjd = 0;
  v.GetElements(el, mjd);
  PROBE("GetElements", std::isfinite(el.a + el.e + el.i + el.theta + el.omegab + el.L) && std::isfinite(mjd));
  for (int frame : {FRAME_ECL, FRAME_EQU}) {
    el = ELEMENTS{}, prm = ORBITPARAM{};
    v.GetElements(nullptr, el, &prm, 0, frame);
    double sum = el.a + el.e + el.i + el.theta + el.omegab + el.L + prm.SMi + prm.PeD + prm.ApD + prm.MnA + prm.TrA +
                 prm.MnL + prm.TrL + prm.EcA + prm.Lec + prm.T + prm.PeT + prm.ApT;
    PROBE("GetElements(ORBITPARAM)", std::isfinite(sum));
  }
  double d = 0;
  v.GetApDist(d);
  PROBE("GetApDist", std::isfinite(d));
  v.GetPeDist(d);
  PROBE("GetPeDist", std::isfinite(d));
  v.GetSMi(d);
  PROBE("GetSMi", std::isfinite(d));
  v.GetArgPer(d);
  PROBE("GetArgPer", std::isfinite(d));
  v.GetGroundContact();
  v.GetAttitudeMode();
  v.GetADCtrlMode();
  for (int m = NAVMODE_KILLROT; m <= NAVMODE_HOLDALT; m++) v.GetNavmodeState(m);
  return "";
#undef PROBE_D
#undef PROBE
}

}  // namespace probe
