// OrbiterAPI.h: the simulator's core interface for vessel modules.
//
// Types, constants, structures and the oapi world functions, with the simulator's own names,
// signatures and numeric values, so that module sources build unchanged against either this
// stand-in or the simulator's SDK. All frames are left-handed:
//   global      ecliptic and equinox of J2000; +x vernal equinox, +y ecliptic north, z = y x x
//   planet      rotating with the body; +x towards lat 0 / lng 0, +y towards the north pole
//   horizon     x east, y up, z north
//   vessel      +x right, +y up, +z forward (main thrust); origin at the centre of gravity
// Units: SI throughout (m, kg, s, N, rad), specific impulse in m/s.
#ifndef ORBITERAPI_H
#define ORBITERAPI_H

#include <cmath>
#include <cstdint>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Windows names the SDK uses (it includes <windows.h> on its own platform)
// ---------------------------------------------------------------------------------------------
typedef unsigned int UINT;
typedef std::uint32_t DWORD;  // 32 bits wide, as on Windows
typedef std::uint16_t WORD;
typedef std::uint8_t BYTE;
typedef int BOOL;
typedef void *HINSTANCE;
typedef void *HMODULE;
typedef void *HDC;
typedef void *HWND;
typedef std::intptr_t LRESULT;
typedef std::uintptr_t WPARAM;
typedef std::intptr_t LPARAM;
struct RECT {
  long left, top, right, bottom;
};
typedef void *HBITMAP;
typedef std::intptr_t INT_PTR;
typedef INT_PTR (*DLGPROC)(HWND, UINT, WPARAM, LPARAM);  // dialog message procedure
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Export macros. The core's own functions carry OAPIFUNC; module entry points carry DLLCLBK.
#define DLLEXPORT __attribute__((visibility("default")))
#define DLLCLBK extern "C" __attribute__((visibility("default")))
#define OAPIFUNC __attribute__((visibility("default")))

// ---------------------------------------------------------------------------------------------
// Handles: opaque values issued by the simulator, never dereferenced by a module
// ---------------------------------------------------------------------------------------------
typedef void *OBJHANDLE;                  // vessel, celestial body or surface base
typedef void *VISHANDLE;                  // visual of an object
typedef void *MESHHANDLE;                 // mesh
typedef int *DEVMESHHANDLE;               // device mesh
typedef void *SURFHANDLE;                 // surface (texture)
typedef void *FILEHANDLE;                 // open configuration or scenario file
typedef void *THRUSTER_HANDLE;            // thruster of a vessel
typedef void *THGROUP_HANDLE;             // thruster group of a vessel
typedef void *PROPELLANT_HANDLE;          // propellant resource (tank) of a vessel
typedef void *PSTREAM_HANDLE;             // particle stream of a vessel
typedef void *DOCKHANDLE;                 // docking port of a vessel
typedef void *ATTACHMENTHANDLE;           // attachment point of a vessel
typedef void *AIRFOILHANDLE;              // airfoil of a vessel
typedef void *CTRLSURFHANDLE;             // aerodynamic control surface of a vessel
typedef void *NAVHANDLE;                  // navigation radio transmitter
typedef void *ANIMATIONCOMPONENT_HANDLE;  // animation component (points at an ANIMATIONCOMP)
typedef void *PANELHANDLE;                // 2-D instrument panel
typedef void *NOTEHANDLE;                 // annotation on the screen

class VESSEL;
namespace oapi {
class Module;
class Sketchpad;
class Font;
class Pen;
class Brush;
}  // namespace oapi

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------
const double PI = 3.14159265358979323846;  // pi
const double PI05 = 1.57079632679489661923;  // pi/2
const double PI2 = 6.28318530717958647693;   // 2 pi
const double RAD = PI / 180.0;               // factor degrees -> radians
const double DEG = 180.0 / PI;               // factor radians -> degrees
const double C0 = 299792458.0;               // [m/s] speed of light
const double TAUA = 499.004783806;           // [s] light time for 1 AU
const double AU = C0 * TAUA;                 // [m] astronomical unit
const double GGRAV = 6.67259e-11;            // [m^3 kg^-1 s^-2] gravitational constant
const double G = 9.81;                       // [m/s^2] standard gravity, as the SDK defines it
const double ATMP = 101.4e3;                 // [Pa] reference sea-level pressure
const double ATMD = 1.293;                   // [kg/m^3] reference sea-level density

// ---------------------------------------------------------------------------------------------
// Vectors and matrices
// ---------------------------------------------------------------------------------------------
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#endif
typedef union {
  double data[3];
  struct {
    double x, y, z;
  };
} VECTOR3;

typedef union {
  double data[4];
  struct {
    double x, y, z, w;
  };
} VECTOR4;

typedef union {  // row-major 3x3 matrix
  double data[9];
  struct {
    double m11, m12, m13, m21, m22, m23, m31, m32, m33;
  };
} MATRIX3;

typedef union {  // row-major 4x4 matrix
  double data[16];
  struct {
    double m11, m12, m13, m14, m21, m22, m23, m24, m31, m32, m33, m34, m41, m42, m43, m44;
  };
} MATRIX4;

typedef union {  // integer 2-vector (screen points)
  long data[2];
  struct {
    long x, y;
  };
} IVECTOR2;
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

inline double normangle(double angle) {  // angle brought into [-pi, pi]
  double a = std::fmod(angle, PI2);
  return (a >= PI ? a - PI2 : a < -PI ? a + PI2 : a);
}
inline double posangle(double angle) {  // angle brought into [0, 2 pi)
  double a = std::fmod(angle, PI2);
  return (a >= 0.0 ? a : a + PI2);
}

inline VECTOR3 _V(double x, double y, double z) {
  VECTOR3 vec = {{x, y, z}};
  return vec;
}
inline void veccpy(VECTOR3 &a, const VECTOR3 &b) {
  a.x = b.x;
  a.y = b.y;
  a.z = b.z;
}
inline VECTOR3 operator+(const VECTOR3 &a, const VECTOR3 &b) { return _V(a.x + b.x, a.y + b.y, a.z + b.z); }
inline VECTOR3 operator-(const VECTOR3 &a, const VECTOR3 &b) { return _V(a.x - b.x, a.y - b.y, a.z - b.z); }
inline VECTOR3 operator*(const VECTOR3 &a, const double f) { return _V(a.x * f, a.y * f, a.z * f); }
inline VECTOR3 operator/(const VECTOR3 &a, const double f) { return _V(a.x / f, a.y / f, a.z / f); }
inline VECTOR3 &operator+=(VECTOR3 &a, const VECTOR3 &b) {
  a.x += b.x;
  a.y += b.y;
  a.z += b.z;
  return a;
}
inline VECTOR3 &operator-=(VECTOR3 &a, const VECTOR3 &b) {
  a.x -= b.x;
  a.y -= b.y;
  a.z -= b.z;
  return a;
}
inline VECTOR3 &operator*=(VECTOR3 &a, const double f) {
  a.x *= f;
  a.y *= f;
  a.z *= f;
  return a;
}
inline VECTOR3 &operator/=(VECTOR3 &a, const double f) {
  a.x /= f;
  a.y /= f;
  a.z /= f;
  return a;
}
inline VECTOR3 operator-(const VECTOR3 &a) { return _V(-a.x, -a.y, -a.z); }
inline double dotp(const VECTOR3 &a, const VECTOR3 &b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline VECTOR3 crossp(const VECTOR3 &a, const VECTOR3 &b) {  // the standard component formula
  return _V(a.y * b.z - b.y * a.z, a.z * b.x - b.z * a.x, a.x * b.y - b.x * a.y);
}
inline double length(const VECTOR3 &a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }
inline double length2(const VECTOR3 &a) { return a.x * a.x + a.y * a.y + a.z * a.z; }
inline double dist(const VECTOR3 &a, const VECTOR3 &b) { return length(a - b); }
inline void normalise(VECTOR3 &a) { a /= length(a); }  // no test for a zero vector
inline VECTOR3 unit(const VECTOR3 &a) { return a / length(a); }

inline MATRIX3 _M(double m11, double m12, double m13, double m21, double m22, double m23, double m31,
                  double m32, double m33) {
  MATRIX3 mat = {{m11, m12, m13, m21, m22, m23, m31, m32, m33}};
  return mat;
}
inline MATRIX3 identity() { return _M(1, 0, 0, 0, 1, 0, 0, 0, 1); }
inline MATRIX3 transp(const MATRIX3 &m) { return _M(m.m11, m.m21, m.m31, m.m12, m.m22, m.m32, m.m13, m.m23, m.m33); }
inline MATRIX3 outerp(const VECTOR3 &a, const VECTOR3 &b) {
  return _M(a.x * b.x, a.x * b.y, a.x * b.z, a.y * b.x, a.y * b.y, a.y * b.z, a.z * b.x, a.z * b.y, a.z * b.z);
}
inline MATRIX3 operator+(const MATRIX3 &a, double s) {
  MATRIX3 m = a;
  for (double &d : m.data) d += s;
  return m;
}
inline MATRIX3 operator-(const MATRIX3 &a, double s) {
  MATRIX3 m = a;
  for (double &d : m.data) d -= s;
  return m;
}
inline MATRIX3 operator*(const MATRIX3 &a, double s) {
  MATRIX3 m = a;
  for (double &d : m.data) d *= s;
  return m;
}
inline MATRIX3 operator/(const MATRIX3 &a, double s) {
  MATRIX3 m = a;
  for (double &d : m.data) d /= s;
  return m;
}
inline MATRIX3 &operator*=(MATRIX3 &a, double s) {
  for (double &d : a.data) d *= s;
  return a;
}
inline MATRIX3 &operator/=(MATRIX3 &a, double s) {
  for (double &d : a.data) d /= s;
  return a;
}
inline VECTOR3 mul(const MATRIX3 &A, const VECTOR3 &b) {  // A b: row i of A dotted with b
  return _V(A.m11 * b.x + A.m12 * b.y + A.m13 * b.z, A.m21 * b.x + A.m22 * b.y + A.m23 * b.z,
            A.m31 * b.x + A.m32 * b.y + A.m33 * b.z);
}
inline VECTOR3 tmul(const MATRIX3 &A, const VECTOR3 &b) {  // A^T b
  return _V(A.m11 * b.x + A.m21 * b.y + A.m31 * b.z, A.m12 * b.x + A.m22 * b.y + A.m32 * b.z,
            A.m13 * b.x + A.m23 * b.y + A.m33 * b.z);
}
inline MATRIX3 mul(const MATRIX3 &A, const MATRIX3 &B) {  // A B
  return _M(A.m11 * B.m11 + A.m12 * B.m21 + A.m13 * B.m31, A.m11 * B.m12 + A.m12 * B.m22 + A.m13 * B.m32,
            A.m11 * B.m13 + A.m12 * B.m23 + A.m13 * B.m33, A.m21 * B.m11 + A.m22 * B.m21 + A.m23 * B.m31,
            A.m21 * B.m12 + A.m22 * B.m22 + A.m23 * B.m32, A.m21 * B.m13 + A.m22 * B.m23 + A.m23 * B.m33,
            A.m31 * B.m11 + A.m32 * B.m21 + A.m33 * B.m31, A.m31 * B.m12 + A.m32 * B.m22 + A.m33 * B.m32,
            A.m31 * B.m13 + A.m32 * B.m23 + A.m33 * B.m33);
}
inline MATRIX3 rotm(const VECTOR3 &axis, double angle) {  // rotation by angle about a unit axis
  double c = std::cos(angle), s = std::sin(angle), t = 1.0 - c;
  double x = axis.x, y = axis.y, z = axis.z;
  return _M(t * x * x + c, t * x * y - z * s, t * x * z + y * s, t * x * y + z * s, t * y * y + c,
            t * y * z - x * s, t * x * z - y * s, t * y * z + x * s, t * z * z + c);
}
inline VECTOR4 _V(double x, double y, double z, double w) {
  VECTOR4 vec = {{x, y, z, w}};
  return vec;
}
inline VECTOR4 mul(const MATRIX4 &A, const VECTOR4 &b) {  // A b
  VECTOR4 r;
  for (int i = 0; i < 4; i++)
    r.data[i] = A.data[4 * i] * b.x + A.data[4 * i + 1] * b.y + A.data[4 * i + 2] * b.z + A.data[4 * i + 3] * b.w;
  return r;
}
inline RECT _R(int left, int top, int right, int bottom) {
  RECT r = {left, top, right, bottom};
  return r;
}

// ---------------------------------------------------------------------------------------------
// Enumerations and numeric constants
// ---------------------------------------------------------------------------------------------
typedef enum {  // reference frames of state queries
  FRAME_GLOBAL = 0,    // global (ecliptic) axes
  FRAME_LOCAL = 1,     // vessel axes
  FRAME_REFLOCAL = 2,  // planet-local (rotating) axes of the reference body
  FRAME_HORIZON = 3    // local horizon: x east, y up, z north
} REFFRAME;

typedef enum {  // thruster group types; values below THGROUP_USER are fixed slots
  THGROUP_MAIN = 0,
  THGROUP_RETRO,
  THGROUP_HOVER,
  THGROUP_ATT_PITCHUP,
  THGROUP_ATT_PITCHDOWN,
  THGROUP_ATT_YAWLEFT,
  THGROUP_ATT_YAWRIGHT,
  THGROUP_ATT_BANKLEFT,
  THGROUP_ATT_BANKRIGHT,
  THGROUP_ATT_RIGHT,
  THGROUP_ATT_LEFT,
  THGROUP_ATT_UP,
  THGROUP_ATT_DOWN,
  THGROUP_ATT_FORWARD,
  THGROUP_ATT_BACK,
  THGROUP_USER = 0x40
} THGROUP_TYPE;

typedef enum { LIFT_VERTICAL = 0, LIFT_HORIZONTAL = 1 } AIRFOIL_ORIENTATION;

typedef enum {
  AIRCTRL_ELEVATOR = 0,
  AIRCTRL_RUDDER,
  AIRCTRL_AILERON,
  AIRCTRL_FLAP,
  AIRCTRL_ELEVATORTRIM,
  AIRCTRL_RUDDERTRIM
} AIRCTRL_TYPE;

#define AIRCTRL_AXIS_AUTO 0  // axis chosen by type (and, for ailerons, by the side of ref)
#define AIRCTRL_AXIS_YPOS 1  // lift along the horizontal lift direction
#define AIRCTRL_AXIS_YNEG 2
#define AIRCTRL_AXIS_XPOS 3  // lift along the vertical lift direction
#define AIRCTRL_AXIS_XNEG 4

#define NAVMODE_KILLROT 1
#define NAVMODE_HLEVEL 2
#define NAVMODE_PROGRADE 3
#define NAVMODE_RETROGRADE 4
#define NAVMODE_NORMAL 5
#define NAVMODE_ANTINORMAL 6
#define NAVMODE_HOLDALT 7
#define NAVBIT_KILLROT 0x01
#define NAVBIT_HLEVEL 0x02
#define NAVBIT_PROGRADE 0x04
#define NAVBIT_RETROGRADE 0x08
#define NAVBIT_NORMAL 0x10
#define NAVBIT_ANTINORMAL 0x20
#define NAVBIT_HOLDALT 0x40

enum AltitudeMode { ALTMODE_MEANRAD = 0, ALTMODE_GROUND = 1 };

#define OBJTP_INVALID 0
#define OBJTP_GENERIC 1
#define OBJTP_CBODY 2
#define OBJTP_STAR 3
#define OBJTP_PLANET 4  // planets and moons
#define OBJTP_VESSEL 10
#define OBJTP_SURFBASE 20

#define MESHVIS_NEVER 0x00
#define MESHVIS_EXTERNAL 0x01
#define MESHVIS_COCKPIT 0x02
#define MESHVIS_ALWAYS (MESHVIS_EXTERNAL | MESHVIS_COCKPIT)
#define MESHVIS_VC 0x04
#define MESHVIS_EXTPASS 0x10

#define HUD_NONE 0
#define HUD_ORBIT 1
#define HUD_SURFACE 2
#define HUD_DOCKING 3

#define RCS_NONE 0
#define RCS_ROT 1
#define RCS_LIN 2

// Legacy engine groups of the older engine calls (SetEngineLevel and friends).
typedef enum { ENGINE_MAIN, ENGINE_RETRO, ENGINE_HOVER, ENGINE_ATTITUDE } ENGINETYPE;

// Cockpit modes, MFD identifiers and modes, panel area modes (only a screen uses these).
#define COCKPIT_GENERIC 1
#define COCKPIT_PANELS 2
#define COCKPIT_VIRTUAL 3
#define MAXMFD 12
#define MFD_LEFT 0
#define MFD_RIGHT 1
#define MFD_USER1 2
#define MFD_USER2 3
#define MFD_NONE 0
#define MFD_ORBIT 1
#define MFD_SURFACE 2
#define MFD_MAP 3
#define MFD_HSI 4
#define MFD_LANDING 5
#define MFD_DOCKING 6
#define MFD_OPLANEALIGN 7
#define MFD_OSYNC 8
#define MFD_TRANSFER 9
#define MFD_COMMS 10
#define MFD_USERTYPE 64
#define BUILTIN_MFD_MODES 10
#define PANEL_REDRAW_NEVER 0x00
#define PANEL_REDRAW_ALWAYS 0x01
#define PANEL_REDRAW_MOUSE 0x02
#define PANEL_REDRAW_INIT 0x03
#define PANEL_REDRAW_USER 0x04
#define PANEL_MOUSE_IGNORE 0x00
#define PANEL_MOUSE_LBDOWN 0x01
#define PANEL_MOUSE_RBDOWN 0x02
#define PANEL_MOUSE_LBUP 0x04
#define PANEL_MOUSE_RBUP 0x08
#define PANEL_MOUSE_LBPRESSED 0x10
#define PANEL_MOUSE_RBPRESSED 0x20
#define PANEL_MOUSE_DOWN 0x03
#define PANEL_MOUSE_UP 0x0C
#define PANEL_MOUSE_PRESSED 0x30
#define PANEL_MOUSE_ONREPLAY 0x40
#define PANEL_MAP_NONE 0x00
#define PANEL_MAP_BACKGROUND 0x01
#define PANEL_MAP_CURRENT 0x02
#define PANEL_MAP_BGONREQUEST 0x03
#define PANEL_MAP_DIRECT 0x04
#define PANEL_ATTACH_BOTTOM 0x0001
#define PANEL_ATTACH_TOP 0x0002
#define PANEL_ATTACH_LEFT 0x0004
#define PANEL_ATTACH_RIGHT 0x0008
#define PANEL_MOVEOUT_BOTTOM 0x0010
#define PANEL_MOVEOUT_TOP 0x0020
#define PANEL_MOVEOUT_LEFT 0x0040
#define PANEL_MOVEOUT_RIGHT 0x0080
#define SURF_NO_CK 0xFFFFFFFF  // no colour key
#define BEACONSHAPE_COMPACT 0
#define BEACONSHAPE_DIFFUSE 1
#define BEACONSHAPE_STAR 2

typedef enum { FONT_NORMAL = 0, FONT_BOLD = 1, FONT_ITALIC = 2, FONT_UNDERLINE = 4 } FontStyle;

#define VS_FUELRESET 0x00000001
#define VS_FUELLIST 0x00000002
#define VS_THRUSTRESET 0x00000004
#define VS_THRUSTLIST 0x00000008
#define VS_DOCKINFOLIST 0x00000010

#define LOCALVERTEXLIST ((UINT)(-1))  // the mesh index names a vertex list, not a mesh

// Animation component transforms (the renderer moves the listed groups of a mesh).
struct MGROUP_TRANSFORM {
  MGROUP_TRANSFORM() : mesh(0), grp(0), ngrp(0) {}
  MGROUP_TRANSFORM(UINT _mesh, UINT *_grp, UINT _ngrp) : mesh(_mesh), grp(_grp), ngrp(_ngrp) {}
  enum TYPE { NULLTRANSFORM, ROTATE, TRANSLATE, SCALE };
  virtual TYPE Type() const { return NULLTRANSFORM; }
  UINT mesh;  // mesh index
  UINT *grp;  // group indices moved (null: the whole mesh)
  UINT ngrp;  // number of groups in grp
};
struct MGROUP_ROTATE : public MGROUP_TRANSFORM {
  MGROUP_ROTATE(UINT _mesh, UINT *_grp, UINT _ngrp, const VECTOR3 &_ref, const VECTOR3 &_axis, float _angle)
      : MGROUP_TRANSFORM(_mesh, _grp, _ngrp), ref(_ref), axis(_axis), angle(_angle) {}
  TYPE Type() const { return ROTATE; }
  VECTOR3 ref;   // [m] point on the rotation axis, vessel frame
  VECTOR3 axis;  // unit rotation axis, vessel frame
  float angle;   // [rad] rotation over the component's state range
};
struct MGROUP_TRANSLATE : public MGROUP_TRANSFORM {
  MGROUP_TRANSLATE(UINT _mesh, UINT *_grp, UINT _ngrp, const VECTOR3 &_shift)
      : MGROUP_TRANSFORM(_mesh, _grp, _ngrp), shift(_shift) {}
  TYPE Type() const { return TRANSLATE; }
  VECTOR3 shift;  // [m] translation over the component's state range, vessel frame
};
struct MGROUP_SCALE : public MGROUP_TRANSFORM {
  MGROUP_SCALE(UINT _mesh, UINT *_grp, UINT _ngrp, const VECTOR3 &_ref, const VECTOR3 &_scale)
      : MGROUP_TRANSFORM(_mesh, _grp, _ngrp), ref(_ref), scale(_scale) {}
  TYPE Type() const { return SCALE; }
  VECTOR3 ref;    // [m] centre of scaling
  VECTOR3 scale;  // scale factors at the end of the state range
};

struct ANIMATIONCOMP {
  double state0, state1;      // animation state range of this component
  MGROUP_TRANSFORM *trans;    // the transform (owned by the module)
  ANIMATIONCOMP *parent;      // parent component or null
  ANIMATIONCOMP **children;   // child components
  UINT nchildren;             // number of children
};

struct ANIMATION {
  double defstate;       // state at which the mesh is modelled
  double state;          // current state
  UINT ncomp;            // number of components
  ANIMATIONCOMP **comp;  // components
};

// Touchdown point of the ground-contact model.
typedef struct {
  VECTOR3 pos;       // [m] contact point, vessel frame
  double stiffness;  // [N/m] suspension stiffness
  double damping;    // [N s/m] suspension damping
  double mu;         // lateral friction coefficient
  double mu_lng;     // longitudinal friction coefficient (first three points only)
} TOUCHDOWNVTX;

// Particle stream description (exhaust and contrail streams).
typedef struct {
  DWORD flags;             // reserved
  double srcsize;          // [m] particle size at creation
  double srcrate;          // [Hz] particles per second
  double v0;               // [m/s] emission speed
  double srcspread;        // emission speed spread
  double lifetime;         // [s] particle lifetime
  double growthrate;       // [m/s] particle growth rate
  double atmslowdown;      // slow-down factor in atmosphere
  enum LTYPE { EMISSIVE, DIFFUSE } ltype;  // lighting
  enum LEVELMAP { LVL_FLAT, LVL_LIN, LVL_SQRT, LVL_PLIN, LVL_PSQRT } levelmap;  // level -> alpha
  double lmin, lmax;       // level map limits
  enum ATMSMAP { ATM_FLAT, ATM_PLIN, ATM_PLOG } atmsmap;  // atmosphere -> alpha
  double amin, amax;       // atmosphere map limits
  SURFHANDLE tex;          // particle texture (null: default)
} PARTICLESTREAMSPEC;

// Exhaust flame description (the structure form of AddExhaust).
typedef struct {
  THRUSTER_HANDLE th;  // thruster the flame follows (or null)
  double *level;       // level source when th is null
  VECTOR3 *lpos;       // [m] flame position, vessel frame (null: the thruster's)
  VECTOR3 *ldir;       // flame direction, vessel frame (null: against the thrust)
  double lsize;        // [m] flame length
  double wsize;        // [m] flame width
  double lofs;         // [m] longitudinal offset
  double modulate;     // level modulation amplitude
  SURFHANDLE tex;      // texture (null: default)
  DWORD flags;         // EXHAUST_* flags
  UINT id;             // reserved
} EXHAUSTSPEC;

// Head-up display paint description.
typedef struct {
  int W, H;        // [pixel] width and height of the display
  int CX, CY;      // [pixel] centre of the display
  double Scale;    // [pixel/deg] angular scale
  int Markersize;  // [pixel] size of markers
} HUDPAINTSPEC;

// Vessel state description, version 2 (scenario state and vessel creation).
typedef struct {
  DWORD version;          // structure version (2)
  DWORD flag;             // VS_* flags
  OBJHANDLE rbody;        // reference body
  OBJHANDLE base;         // surface base (landed on a pad) or null
  int port;               // pad index of the base
  int status;             // 0 free flight, 1 landed
  VECTOR3 rpos;           // [m] position relative to rbody, global axes
  VECTOR3 rvel;           // [m/s] velocity relative to rbody, global axes
  VECTOR3 vrot;           // [rad/s] angular velocity, vessel axes (landed: vrot.x holds the altitude)
  VECTOR3 arot;           // [rad] Euler angles of the orientation (landed: relative to the horizon)
  double surf_lng;        // [rad] longitude when landed
  double surf_lat;        // [rad] latitude when landed
  double surf_hdg;        // [rad] heading when landed
  DWORD nfuel;            // number of entries in fuel
  struct FUELSPEC {
    DWORD idx;            // tank index
    double level;         // fraction of capacity
  } *fuel;
  DWORD nthruster;        // number of entries in thruster
  struct THRUSTSPEC {
    DWORD idx;            // thruster index
    double level;         // permanent level
  } *thruster;
  DWORD ndockinfo;        // number of entries in dockinfo
  struct DOCKINFOSPEC {
    DWORD idx;            // own port
    DWORD ridx;           // port of the docked vessel
    OBJHANDLE rvessel;    // docked vessel
  } *dockinfo;
  DWORD xpdr;             // transponder channel
} VESSELSTATUS2;

// Osculating orbital elements (ecliptic or equatorial frame of the reference body).
typedef struct {
  double a;       // [m] semi-major axis (negative for a hyperbola)
  double e;       // eccentricity
  double i;       // [rad] inclination
  double theta;   // [rad] longitude of the ascending node
  double omegab;  // [rad] longitude of the periapsis
  double L;       // [rad] mean longitude at the reference date
} ELEMENTS;

// Derived orbit parameters.
typedef struct {
  double SMi;  // [m] semi-minor axis
  double PeD;  // [m] periapsis distance
  double ApD;  // [m] apoapsis distance (negative for a hyperbola)
  double MnA;  // [rad] mean anomaly
  double TrA;  // [rad] true anomaly
  double MnL;  // [rad] mean longitude
  double TrL;  // [rad] true longitude
  double EcA;  // [rad] eccentric anomaly
  double Lec;  // [m] linear eccentricity
  double T;    // [s] orbit period (0 for an open orbit)
  double PeT;  // [s] time to the next periapsis passage
  double ApT;  // [s] time to the next apoapsis passage (0 for an open orbit)
} ORBITPARAM;

// A beacon light (visual only).
typedef struct {
  DWORD shape;      // BEACONSHAPE_*
  VECTOR3 *pos;     // [m] position, vessel frame
  VECTOR3 *col;     // colour (r, g, b in 0-1)
  double size;      // [m]
  double falloff;   // brightness falloff with distance
  double period;    // [s] strobe period (0: steady)
  double duration;  // [s] strobe duration
  double tofs;      // [s] strobe phase
  bool active;      // lit
} BEACONLIGHTSPEC;

// Screen geometry of instrument displays (only a screen uses these).
typedef struct {
  RECT pos;
  int nbt_left, nbt_right;
  int bt_yofs, bt_ydist;
} MFDSPEC;
typedef struct {
  RECT pos;
  DWORD nmesh, ngroup;
  DWORD flag;
  int nbt_left, nbt_right;
  int bt_yofs, bt_ydist;
} EXTMFDSPEC;
typedef struct {
  DWORD nmesh, ngroup;
} VCMFDSPEC;
typedef struct {
  DWORD nmesh, ngroup;
  VECTOR3 hudcnt;
  double size;
} VCHUDSPEC;
typedef struct {
  char *name;     // the mode's name
  DWORD key;      // its selection key
  void *context;  // handed back to msgproc
  int (*msgproc)(UINT msg, UINT mfd, WPARAM wparam, LPARAM lparam);
} MFDMODESPECEX;

// Keyboard scan codes (a 256-byte keyboard state array is indexed by these).
#define OAPI_KEY_ESCAPE 0x01
#define OAPI_KEY_1 0x02
#define OAPI_KEY_2 0x03
#define OAPI_KEY_3 0x04
#define OAPI_KEY_4 0x05
#define OAPI_KEY_5 0x06
#define OAPI_KEY_6 0x07
#define OAPI_KEY_7 0x08
#define OAPI_KEY_8 0x09
#define OAPI_KEY_9 0x0A
#define OAPI_KEY_0 0x0B
#define OAPI_KEY_MINUS 0x0C
#define OAPI_KEY_EQUALS 0x0D
#define OAPI_KEY_BACK 0x0E
#define OAPI_KEY_TAB 0x0F
#define OAPI_KEY_Q 0x10
#define OAPI_KEY_W 0x11
#define OAPI_KEY_E 0x12
#define OAPI_KEY_R 0x13
#define OAPI_KEY_T 0x14
#define OAPI_KEY_Y 0x15
#define OAPI_KEY_U 0x16
#define OAPI_KEY_I 0x17
#define OAPI_KEY_O 0x18
#define OAPI_KEY_P 0x19
#define OAPI_KEY_LBRACKET 0x1A
#define OAPI_KEY_RBRACKET 0x1B
#define OAPI_KEY_RETURN 0x1C
#define OAPI_KEY_LCONTROL 0x1D
#define OAPI_KEY_A 0x1E
#define OAPI_KEY_S 0x1F
#define OAPI_KEY_D 0x20
#define OAPI_KEY_F 0x21
#define OAPI_KEY_G 0x22
#define OAPI_KEY_H 0x23
#define OAPI_KEY_J 0x24
#define OAPI_KEY_K 0x25
#define OAPI_KEY_L 0x26
#define OAPI_KEY_SEMICOLON 0x27
#define OAPI_KEY_APOSTROPHE 0x28
#define OAPI_KEY_GRAVE 0x29
#define OAPI_KEY_LSHIFT 0x2A
#define OAPI_KEY_BACKSLASH 0x2B
#define OAPI_KEY_Z 0x2C
#define OAPI_KEY_X 0x2D
#define OAPI_KEY_C 0x2E
#define OAPI_KEY_V 0x2F
#define OAPI_KEY_B 0x30
#define OAPI_KEY_N 0x31
#define OAPI_KEY_M 0x32
#define OAPI_KEY_COMMA 0x33
#define OAPI_KEY_PERIOD 0x34
#define OAPI_KEY_SLASH 0x35
#define OAPI_KEY_RSHIFT 0x36
#define OAPI_KEY_MULTIPLY 0x37
#define OAPI_KEY_LALT 0x38
#define OAPI_KEY_SPACE 0x39
#define OAPI_KEY_CAPITAL 0x3A
#define OAPI_KEY_F1 0x3B
#define OAPI_KEY_F2 0x3C
#define OAPI_KEY_F3 0x3D
#define OAPI_KEY_F4 0x3E
#define OAPI_KEY_F5 0x3F
#define OAPI_KEY_F6 0x40
#define OAPI_KEY_F7 0x41
#define OAPI_KEY_F8 0x42
#define OAPI_KEY_F9 0x43
#define OAPI_KEY_F10 0x44
#define OAPI_KEY_NUMLOCK 0x45
#define OAPI_KEY_SCROLL 0x46
#define OAPI_KEY_NUMPAD7 0x47
#define OAPI_KEY_NUMPAD8 0x48
#define OAPI_KEY_NUMPAD9 0x49
#define OAPI_KEY_SUBTRACT 0x4A  // minus on the numeric keypad
#define OAPI_KEY_NUMPAD4 0x4B
#define OAPI_KEY_NUMPAD5 0x4C
#define OAPI_KEY_NUMPAD6 0x4D
#define OAPI_KEY_ADD 0x4E  // plus on the numeric keypad
#define OAPI_KEY_NUMPAD1 0x4F
#define OAPI_KEY_NUMPAD2 0x50
#define OAPI_KEY_NUMPAD3 0x51
#define OAPI_KEY_NUMPAD0 0x52
#define OAPI_KEY_DECIMAL 0x53  // period on the numeric keypad
#define OAPI_KEY_OEM_102 0x56
#define OAPI_KEY_F11 0x57
#define OAPI_KEY_F12 0x58
#define OAPI_KEY_NUMPADENTER 0x9C
#define OAPI_KEY_RCONTROL 0x9D
#define OAPI_KEY_DIVIDE 0xB5  // slash on the numeric keypad
#define OAPI_KEY_SYSRQ 0xB7
#define OAPI_KEY_RALT 0xB8
#define OAPI_KEY_PAUSE 0xC5
#define OAPI_KEY_HOME 0xC7
#define OAPI_KEY_UP 0xC8
#define OAPI_KEY_PRIOR 0xC9
#define OAPI_KEY_LEFT 0xCB
#define OAPI_KEY_RIGHT 0xCD
#define OAPI_KEY_END 0xCF
#define OAPI_KEY_DOWN 0xD0
#define OAPI_KEY_NEXT 0xD1
#define OAPI_KEY_INSERT 0xD2
#define OAPI_KEY_DELETE 0xD3
#define OAPI_KEY_LWIN 0xDB
#define OAPI_KEY_RWIN 0xDC
#define OAPI_KEY_APPS 0xDD

#define KEYDOWN(buf, key) (buf[key] & 0x80)  // key held
#define RESETKEY(buf, key) (buf[key] = 0)
#define KEYMOD_LSHIFT(buf) (KEYDOWN(buf, OAPI_KEY_LSHIFT))
#define KEYMOD_RSHIFT(buf) (KEYDOWN(buf, OAPI_KEY_RSHIFT))
#define KEYMOD_SHIFT(buf) (KEYMOD_LSHIFT(buf) || KEYMOD_RSHIFT(buf))
#define KEYMOD_LCONTROL(buf) (KEYDOWN(buf, OAPI_KEY_LCONTROL))
#define KEYMOD_RCONTROL(buf) (KEYDOWN(buf, OAPI_KEY_RCONTROL))
#define KEYMOD_CONTROL(buf) (KEYMOD_LCONTROL(buf) || KEYMOD_RCONTROL(buf))
#define KEYMOD_LALT(buf) (KEYDOWN(buf, OAPI_KEY_LALT))
#define KEYMOD_RALT(buf) (KEYDOWN(buf, OAPI_KEY_RALT))
#define KEYMOD_ALT(buf) (KEYMOD_LALT(buf) || KEYMOD_RALT(buf))

// Aerodynamic callbacks.
typedef double (*LiftCoeffFunc)(double aoa);  // [rad] -> lift coefficient (legacy model)
typedef void (*AirfoilCoeffFunc)(double aoa, double M, double Re, double *cl, double *cm, double *cd);
typedef void (*AirfoilCoeffFuncEx)(VESSEL *v, double aoa, double M, double Re, void *context, double *cl,
                                   double *cm, double *cd);

// ---------------------------------------------------------------------------------------------
// World functions
// ---------------------------------------------------------------------------------------------
// Objects and look-ups
OAPIFUNC OBJHANDLE oapiGetObjectByName(char *name);              // vessel or celestial body; null if none
OAPIFUNC OBJHANDLE oapiGetVesselByName(char *name);              // vessel only; null if none
OAPIFUNC OBJHANDLE oapiGetGbodyByName(char *name);               // celestial body only; null if none
OAPIFUNC OBJHANDLE oapiGetBaseByName(OBJHANDLE hPlanet, char *name);  // surface base of a planet
OAPIFUNC void oapiGetObjectName(OBJHANDLE hObj, char *name, int n);   // strncpy of the name
OAPIFUNC int oapiGetObjectType(OBJHANDLE hObj);                  // OBJTP_*
OAPIFUNC OBJHANDLE oapiGetFocusObject();                         // the vessel with the input focus
OAPIFUNC VESSEL *oapiGetVesselInterface(OBJHANDLE hVessel);      // module interface of a vessel
OAPIFUNC double oapiGetMass(OBJHANDLE hObj);                     // [kg] current mass
OAPIFUNC double oapiGetSize(OBJHANDLE hObj);                     // [m] mean radius or vessel size
OAPIFUNC double oapiGetPlanetPeriod(OBJHANDLE hPlanet);          // [s] sidereal rotation period
OAPIFUNC void oapiGetGlobalPos(OBJHANDLE hObj, VECTOR3 *pos);    // [m] global position
OAPIFUNC void oapiGetGlobalVel(OBJHANDLE hObj, VECTOR3 *vel);    // [m/s] global velocity
// [rad, rad, m] equatorial position of a vessel relative to its surface reference; FALSE if none
OAPIFUNC BOOL oapiGetEquPos(OBJHANDLE hVessel, double *longitude, double *latitude, double *radius);
// [rad, rad, m] equatorial position of a surface base; rad receives the planet's mean radius
OAPIFUNC void oapiGetBaseEquPos(OBJHANDLE hBase, double *lng, double *lat, double *rad = 0);
// [rad, rad, m] -> [m] planet-centred equatorial coordinates of hObj to a global position
OAPIFUNC void oapiEquToGlobal(OBJHANDLE hObj, double lng, double lat, double rad, VECTOR3 *glob);
// [m/s] wind at (lng, lat, alt): frame 0 horizon, 1 planet-local, 2 planet-local non-rotating, 3 global
OAPIFUNC VECTOR3 oapiGetWindVector(OBJHANDLE hPlanet, double lng, double lat, double alt, int frame = 0,
                                   double *windspeed = NULL);
// Aerodynamic helpers
OAPIFUNC double oapiGetInducedDrag(double cl, double A, double e);  // cl^2 / (pi A e)
OAPIFUNC double oapiGetWaveDrag(double M, double M1, double M2, double M3, double cmax);  // profile over Mach
// Time
OAPIFUNC double oapiGetSimTime();  // [s] simulation time at the start of the current step
OAPIFUNC double oapiGetSimStep();  // [s] length of the current step
OAPIFUNC double oapiGetSimMJD();   // [days] modified Julian date at the start of the current step
// Visuals, camera, user interface
OAPIFUNC SURFHANDLE oapiRegisterExhaustTexture(char *name);   // null if not found
OAPIFUNC SURFHANDLE oapiRegisterParticleTexture(char *name);  // null if not found
OAPIFUNC void oapiCameraAttach(OBJHANDLE hObj, int mode);     // mode 0 internal, 1 external, 2 unchanged
#ifdef ARVEX_SDK_LINUX_VARIANT  // the Linux edition's form (modules are compiled against it too)
OAPIFUNC void oapiOpenInputBox(const char *title, bool (*Clbk)(void *, const char *, void *), const char *buf = 0,
                               int vislen = 20, void *usrdata = 0);
#else
OAPIFUNC void oapiOpenInputBox(char *title, bool (*Clbk)(void *, char *, void *), char *buf = 0, int vislen = 20,
                               void *usrdata = 0);
#endif
OAPIFUNC void oapiWriteLog(char *line);  // a line in the simulator's log
OAPIFUNC char *oapiDebugString();  // a line of text for the screen (a 256-character buffer)
// More objects and state
OAPIFUNC DWORD oapiGetVesselCount();                             // vessels in the world
OAPIFUNC OBJHANDLE oapiGetVesselByIndex(int index);              // null if out of range
OAPIFUNC VESSEL *oapiGetFocusInterface();                        // module interface of the focus vessel
OAPIFUNC void oapiGetRelativePos(OBJHANDLE hObj, OBJHANDLE hRef, VECTOR3 *pos);  // [m] global axes
OAPIFUNC void oapiGetRelativeVel(OBJHANDLE hObj, OBJHANDLE hRef, VECTOR3 *vel);  // [m/s] global axes
OAPIFUNC void oapiGetRotationMatrix(OBJHANDLE hObj, MATRIX3 *mat);  // local -> global
// A vessel created at run time from a VESSELSTATUS2; null if the class is unknown
OAPIFUNC OBJHANDLE oapiCreateVesselEx(const char *name, const char *classname, const void *status);
OAPIFUNC double oapiGetTimeAcceleration();  // always 1: the host steps at its fixed step length
OAPIFUNC void oapiSetTimeAcceleration(double warp);
OAPIFUNC double oapiGetSysTime();  // [s] session time (the simulation time in the host)
OAPIFUNC bool oapiGetPause();
OAPIFUNC void oapiSetPause(bool pause);
// Meshes: loaded into the core's store; visual contents only a renderer uses
OAPIFUNC MESHHANDLE oapiLoadMeshGlobal(const char *fname);  // name relative to Meshes/, no ".msh"
OAPIFUNC DWORD oapiMeshGroupCount(MESHHANDLE hMesh);
OAPIFUNC DWORD oapiMeshTextureCount(MESHHANDLE hMesh);

// ---------------------------------------------------------------------------------------------
// Screen functions: answered as the simulator answers a vessel it does not render (null handles,
// no-ops), each call counted in the run's report of headless calls
// ---------------------------------------------------------------------------------------------
// Textures, surfaces and drawing
OAPIFUNC SURFHANDLE oapiLoadTexture(const char *fname, bool dynamic = false);
OAPIFUNC void oapiReleaseTexture(SURFHANDLE hTex);
OAPIFUNC SURFHANDLE oapiGetTextureHandle(MESHHANDLE hMesh, DWORD texidx);
OAPIFUNC bool oapiSetTexture(MESHHANDLE hMesh, DWORD texidx, SURFHANDLE tex);
OAPIFUNC SURFHANDLE oapiCreateSurface(int width, int height);
OAPIFUNC void oapiDestroySurface(SURFHANDLE surf);
OAPIFUNC void oapiBlt(SURFHANDLE tgt, SURFHANDLE src, int tgtx, int tgty, int srcx, int srcy, int w, int h,
                      DWORD ck = SURF_NO_CK);
OAPIFUNC void oapiColourFill(SURFHANDLE tgt, DWORD fillcolor, int tgtx = 0, int tgty = 0, int w = 0, int h = 0);
OAPIFUNC HDC oapiGetDC(SURFHANDLE surf);
OAPIFUNC void oapiReleaseDC(SURFHANDLE surf, HDC hDC);
OAPIFUNC oapi::Sketchpad *oapiGetSketchpad(SURFHANDLE surf);
OAPIFUNC void oapiReleaseSketchpad(oapi::Sketchpad *skp);
OAPIFUNC oapi::Font *oapiCreateFont(int height, bool prop, const char *face, FontStyle style = FONT_NORMAL,
                                    int orientation = 0);
OAPIFUNC oapi::Pen *oapiCreatePen(int style, int width, DWORD col);
OAPIFUNC oapi::Brush *oapiCreateBrush(DWORD col);
OAPIFUNC void oapiReleaseFont(oapi::Font *font);
OAPIFUNC void oapiReleasePen(oapi::Pen *pen);
OAPIFUNC void oapiReleaseBrush(oapi::Brush *brush);
OAPIFUNC DWORD oapiGetColour(DWORD red, DWORD green, DWORD blue);  // 0x00BBGGRR
// 2-D instrument panels and the virtual cockpit
OAPIFUNC void oapiRegisterPanelBackground(HBITMAP hBmp, DWORD flag = PANEL_ATTACH_BOTTOM | PANEL_MOVEOUT_BOTTOM,
                                          DWORD ck = (DWORD)-1);
OAPIFUNC void oapiRegisterPanelArea(int id, const RECT &pos, int draw_event = PANEL_REDRAW_NEVER,
                                    int mouse_event = PANEL_MOUSE_IGNORE, int bkmode = PANEL_MAP_NONE);
OAPIFUNC void oapiRegisterMFD(int mfd, const MFDSPEC &spec);
OAPIFUNC void oapiRegisterMFD(int mfd, const EXTMFDSPEC *spec);
OAPIFUNC void oapiSetPanelNeighbours(int left, int right, int top, int bottom);
OAPIFUNC bool oapiTriggerPanelRedrawArea(int panel_id, int area_id);
OAPIFUNC bool oapiTriggerRedrawArea(int panel_id, int vc_id, int area_id);
OAPIFUNC bool oapiSetPanel(int panel_id);
OAPIFUNC int oapiCockpitMode();     // COCKPIT_GENERIC: the host has no panels
OAPIFUNC bool oapiCameraInternal();  // the camera is in the cockpit
OAPIFUNC void oapiVCRegisterArea(int id, const RECT &tgtrect, int draw_event, int mouse_event, int bkmode,
                                 SURFHANDLE tgt);
OAPIFUNC void oapiVCRegisterArea(int id, int draw_event, int mouse_event);
OAPIFUNC void oapiVCSetAreaClickmode_Spherical(int id, const VECTOR3 &cnt, double rad);
OAPIFUNC void oapiVCSetAreaClickmode_Quadrilateral(int id, const VECTOR3 &p1, const VECTOR3 &p2, const VECTOR3 &p3,
                                                   const VECTOR3 &p4);
OAPIFUNC void oapiVCRegisterMFD(int mfd, const VCMFDSPEC *spec);
OAPIFUNC void oapiVCRegisterHUD(const VCHUDSPEC *spec);
OAPIFUNC bool oapiVCTriggerRedrawArea(int vc_id, int area_id);
// Multi-function displays
OAPIFUNC void oapiOpenMFD(int mode, int mfd);
OAPIFUNC void oapiToggleMFD_on(int mfd);
OAPIFUNC int oapiGetMFDMode(int mfd);  // MFD_NONE
OAPIFUNC int oapiSendMFDKey(int mfd, DWORD key);
OAPIFUNC void oapiRefreshMFDButtons(int mfd, OBJHANDLE hVessel = 0);
OAPIFUNC bool oapiProcessMFDButton(int mfd, int bt, int event);
OAPIFUNC const char *oapiMFDButtonLabel(int mfd, int bt);  // null
OAPIFUNC int oapiRegisterMFDMode(MFDMODESPECEX &spec);
OAPIFUNC bool oapiUnregisterMFDMode(int mode);
// Head-up display modes and the default instrument displays
OAPIFUNC int oapiGetHUDMode();  // HUD_SURFACE, the mode the host draws
OAPIFUNC bool oapiSetHUDMode(int mode);
OAPIFUNC void oapiToggleHUDColour();
OAPIFUNC void oapiIncHUDIntensity();
OAPIFUNC void oapiDecHUDIntensity();
OAPIFUNC void oapiSetDefNavDisplay(int mode);
OAPIFUNC void oapiSetDefRCSDisplay(int mode);
// Dialogs and annotations
OAPIFUNC HWND oapiOpenDialog(HINSTANCE hDLLInst, int resourceId, DLGPROC msgProc, void *context = 0);
OAPIFUNC void oapiCloseDialog(HWND hDlg);
OAPIFUNC void *oapiGetDialogContext(HWND hDlg);
OAPIFUNC BOOL oapiDefDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
OAPIFUNC NOTEHANDLE oapiCreateAnnotation(bool exclusive, double size, const VECTOR3 &col);
OAPIFUNC bool oapiDelAnnotation(NOTEHANDLE hNote);
OAPIFUNC void oapiAnnotationSetText(NOTEHANDLE hNote, char *note);
OAPIFUNC void oapiAnnotationSetPos(NOTEHANDLE hNote, double x1, double y1, double x2, double y2);
// Scenario files
OAPIFUNC void oapiWriteScenario_string(FILEHANDLE scn, char *item, char *string);  // "  item string"
OAPIFUNC void oapiWriteScenario_int(FILEHANDLE scn, char *item, int i);            // "  item i"
OAPIFUNC void oapiWriteScenario_float(FILEHANDLE scn, char *item, double d);       // "  item d" (%g)
OAPIFUNC bool oapiReadScenario_nextline(FILEHANDLE scn, char *&line);  // false at the END of the block

// Module glue: the core's exports and the module's own version record
DLLEXPORT void InitLib(HINSTANCE hModule);  // called by every module when it is loaded
DLLEXPORT int Date2Int(char *date);         // "Mmm dd yyyy" -> yymmdd
int oapiGetModuleVersion();                 // interface version a module was built against (glue)

// Emitted into exactly one translation unit of a module, which defines ORBITER_MODULE first.
#ifdef ORBITER_MODULE
#ifndef ORBITER_MODULE_BUILD_DATE
#define ORBITER_MODULE_BUILD_DATE "May 13 2016"  // pinned so that builds are reproducible
#endif
void dummy();
void calldummy() { dummy(); }
DLLCLBK char *ModuleDate() {
  static char date[] = ORBITER_MODULE_BUILD_DATE;
  return date;
}
#endif

#endif  // ORBITERAPI_H
