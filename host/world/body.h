// Celestial bodies and surface bases.
//
// A body is a point mass with a mean radius; planets and moons rotate about their own +y axis, and
// that axis precesses as the simulator's planet configuration describes it:
//   L_rel(mjd) = LAN + 2 pi (mjd - LAN_MJD) / PrecessionPeriod            (node of the axis on the
//                                                                          precession reference)
//   R_GP(t)    = R_ref R_y(L_rel) R_x(Obliquity) S(angle)                  (planet-local -> global)
//   angle(t)   = SidRotOffset + 2 pi t_epoch / SidRotPeriod - L_rel cos(Obliquity)
// with R_x(e) the tilt of +y by e towards global +z about the equinox direction x, R_y(a) = S(a) the
// turn about the ecliptic pole y (frames.h), R_ref = R_y(PrecessionLAN) R_x(PrecessionObliquity)
// the tilt of the precession reference pole (the identity for Earth), t_epoch the seconds since
// MJD 51544.5. Written as an axis of ecliptic obliquity e_a and node W_a, R_y(L_rel) R_x(e) is
// R_y(W_a) R_x(e_a) S(d) with d the node offset that keeps the prime meridian continuous; for Earth
// e_a = Obliquity, W_a = L_rel and d = 0. The - L_rel cos(Obliquity) term holds the prime meridian
// fixed in the equator as the node moves. Earth's axis turns once in 25,770 years, against the
// direction of the rotation: in 24 years (MJD 51544.5 to 60300.5) L_rel = -0.3349 deg.
// Motion is analytic: a star is fixed at the global origin; a planet's
// system barycentre moves on a circular orbit about its parent, and the planet and its moons move
// on circular orbits about that barycentre, with periods from Kepler's law so that the motion is
// consistent with the point-mass gravity the vessels feel.
// Units: m, kg, s, rad; positions and velocities in the global frame.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "OrbiterAPI.h"
#include "world/frames.h"
#include "world/object.h"

namespace sim {

class CelestialBody;

// Circular orbit of a body (or of a system barycentre) about a centre.
struct CircularOrbit {
  double radius = 0;       // [m]
  double longitude0 = 0;   // [rad] ecliptic longitude at the epoch MJD 51544.5
  double inclination = 0;  // [rad] to the ecliptic
  double node = 0;         // [rad] longitude of the ascending node
  double meanMotion = 0;   // [rad/s], from Kepler's law
  double cosNode = 1, sinNode = 0, cosInc = 1, sinInc = 0;  // of node and inclination (cached)
};

// Position, velocity, acceleration and attitude of a body at one time.
struct BodyKinematics {
  VECTOR3 pos{}, vel{}, acc{};  // global
  MATRIX3 R_GP{};               // planet-local -> global
  double spinAngle = 0;         // [rad] rotation angle about the planet's axis
};

class CelestialBody : public WorldObject {
 public:
  CelestialBody(std::string name, int objectType) : WorldObject(std::move(name), objectType) {}

  double mass = 0;              // [kg]
  double meanRadius = 0;        // [m]
  double sidRotPeriod = 0;      // [s] (0: not rotating)
  double sidRotOffset = 0;      // [rad] rotation angle at the epoch
  double obliquity = 0;         // [rad] of the axis to the precession reference pole
  double precessionPeriod = 0;  // [days] of the axis's node (0: no precession; negative: retrograde)
  double lan = 0;               // [rad] node of the axis at lanMjd
  double lanMjd = 51544.5;      // [MJD]
  double precessionLan = 0;     // [rad] node of the precession reference pole on the ecliptic
  double precessionObliquity = 0;  // [rad] tilt of the precession reference pole from the ecliptic pole
  bool hasAtmosphere = false;   // the Earth atmosphere model applies
  double soiRadius = 0;         // [m] sphere of influence about the parent (0: unbounded)
  int index = -1;               // position in the world's body list

  CelestialBody *parent = nullptr;  // centre of the orbit; null for a fixed star
  CircularOrbit orbit;              // of the barycentre of this body and its moons, about parent
  std::vector<CelestialBody *> moons;

  double mu() const { return GGRAV * mass; }
  double rotationRate() const { return sidRotPeriod > 0 ? PI2 / sidRotPeriod : 0.0; }  // [rad/s]

  // Kinematics at simulation time t [s] after the start MJD (set by the world).
  BodyKinematics kinematicsAt(double t) const;
  // The planet-local -> global rotation alone at time t.
  MATRIX3 rotationAt(double t) const;
  // Kinematics dt after k (second-order in the orbits, exact in the spin): for the integrator's
  // intermediate stages, where the bodies' motion over a fraction of a step is all but straight.
  BodyKinematics advanced(const BodyKinematics &k, double dt) const;
  // Current kinematics, updated by the world at every step boundary.
  const BodyKinematics &now() const { return current_; }
  void setNow(double t) { current_ = kinematicsAt(t); }
  void setNow(const BodyKinematics &k) { current_ = k; }

  // Epoch bookkeeping: angles at the start of the simulation, reduced to [0, 2 pi).
  void setStartMjd(double mjd);
  // Node of the rotation axis on the precession reference [rad] at mjd.
  double axisNode(double mjd) const;
  // Direction of the rotation axis (planet-local +y) in global axes at simulation time t.
  VECTOR3 axisAt(double t) const;

 private:
  friend class World;
  // Offset of this body from its system barycentre, and its derivatives, at time t.
  void barycentreOffset(double t, VECTOR3 &pos, VECTOR3 &vel, VECTOR3 &acc) const;
  // The system barycentre's position about the parent's barycentre.
  void systemOrbit(double t, VECTOR3 &pos, VECTOR3 &vel, VECTOR3 &acc) const;
  double systemMass() const;

  // The precessed axis frame R_ref R_y(L_rel) R_x(Obliquity) and the rotation angle at time t.
  void axisFrameAt(double t, MATRIX3 &R_axis, double &angle) const;

  double startMjd_ = 51544.5;   // [MJD] of simulation time 0
  double orbitPhaseStart_ = 0;  // [rad] orbital longitude at the simulation start
  double spinStart_ = 0;        // [rad] spin angle at the simulation start, without precession
  MATRIX3 R_tilt_{};            // R_x(Obliquity) (set with the start MJD)
  MATRIX3 R_ref_{};             // tilt of the precession reference pole
  bool refTilted_ = false;      // R_ref_ is not the identity
  BodyKinematics current_;
};

// A surface base: a named point on a planet's mean surface.
class SurfaceBase : public WorldObject {
 public:
  SurfaceBase(std::string name, CelestialBody *planet, double lng, double lat)
      : WorldObject(std::move(name), OBJTP_SURFBASE), planet(planet), lng(lng), lat(lat),
        pos_P(equToLocalDir(lng, lat) * planet->meanRadius) {}
  CelestialBody *planet;  // the body the base stands on
  double lng, lat;        // [rad]
  VECTOR3 pos_P;          // [m] on the mean sphere, planet-local axes (fixed: bases do not move)
};

}  // namespace sim
