#include "engine/world_coordinates.h"

#include <charconv>
#include <cmath>

#include "engine/coordinate_value.h"
#include "engine/world_points.h"

namespace corvane {

namespace {

Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

bool Normalize(Vec3& v) {
  const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (!(length > 0) || !std::isfinite(length)) return false;
  v = {v.x / length, v.y / length, v.z / length};
  return true;
}

// Below this, an axis component counts as zero: the arbitrary axis algorithm's 1/64.
constexpr double kArbitraryAxisLimit = 1.0 / 64.0;
// A normal this close to (0, 0, 1) is the world's: the texts stay as stored, as other readers do.
constexpr double kWorldNormalTolerance = 1e-12;

void PutNumber(ValueSlot& slot, double value) {
  if (value == 0) value = 0;  // -0 would be written with its sign
  char text[64];  // room for the 32-byte moves that copy a short text into a slot
  const auto result = std::to_chars(text, text + sizeof text, value);
  slot.Set(std::string_view(text, static_cast<std::size_t>(result.ptr - text)), slot.line());
}

bool Finite(double v) { return std::isfinite(v); }

}  // namespace

ObjectPlane::ObjectPlane(Vec3 extrusion) {
  Vec3 n = extrusion;
  if (!Normalize(n)) return;
  if (std::fabs(n.x) <= kWorldNormalTolerance && std::fabs(n.y) <= kWorldNormalTolerance &&
      std::fabs(n.z - 1) <= kWorldNormalTolerance) {
    return;
  }
  Vec3 ax = (std::fabs(n.x) < kArbitraryAxisLimit && std::fabs(n.y) < kArbitraryAxisLimit)
                ? Cross(Vec3{0, 1, 0}, n)
                : Cross(Vec3{0, 0, 1}, n);
  Normalize(ax);
  Vec3 ay = Cross(n, ax);
  Normalize(ay);
  ax_ = ax;
  ay_ = ay;
  az_ = n;
  world_ = false;
}

Vec3 ObjectPlane::ToWorld(Vec3 p) const {
  if (world_) return p;
  return {ax_.x * p.x + ay_.x * p.y + az_.x * p.z, ax_.y * p.x + ay_.y * p.y + az_.y * p.z,
          ax_.z * p.x + ay_.z * p.y + az_.z * p.z};
}

bool ExtrusionGroups::Take(int code, std::string_view value) {
  double* component = code == 210 ? &value_.x : code == 220 ? &value_.y : code == 230 ? &value_.z : nullptr;
  if (component == nullptr) return false;
  const double v = CoordinateValue(value);
  *component = v;
  if (!Finite(v)) broken_ = true;
  given_ = true;
  return true;
}

void PutInWorld(const ObjectPlane& plane, ValueSlot& x, ValueSlot& y, const ValueSlot& elevation, ValueSlot& z) {
  if (plane.IsWorld()) return;
  const Vec3 p{CoordinateValue(x.view()), CoordinateValue(y.view()), CoordinateValue(elevation.view())};
  if (!Finite(p.x) || !Finite(p.y) || !Finite(p.z)) return;
  const Vec3 w = plane.ToWorld(p);
  PutNumber(x, w.x);
  PutNumber(y, w.y);
  PutNumber(z, w.z);
}

void PutInWorld(const ObjectPlane& plane, ValueSlot& x, ValueSlot& y, ValueSlot& z) {
  PutInWorld(plane, x, y, z, z);
}

}  // namespace corvane
