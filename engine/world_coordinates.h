// Points that a drawing stores in an entity's own plane (its object coordinate system, given by
// the extrusion direction, groups 210/220/230), taken to world coordinates by the arbitrary axis
// algorithm of the DXF format.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

struct Vec3 {
  double x = 0, y = 0, z = 0;
};

// The axes of the plane whose normal is `extrusion`, in world coordinates.
class ObjectPlane {
 public:
  // `extrusion` need not be of unit length. The zero vector and one that is not finite give the
  // world plane: no direction can be made of them.
  explicit ObjectPlane(Vec3 extrusion);
  // True when the plane is the world's XY plane: the stored points are world points already.
  bool IsWorld() const { return world_; }
  Vec3 ToWorld(Vec3 p) const;

 private:
  bool world_ = true;
  Vec3 ax_{1, 0, 0}, ay_{0, 1, 0}, az_{0, 0, 1};
};

// The extrusion direction of the entity being read, as its groups 210, 220 and 230 come. A group
// that does not arrive keeps the default (0, 0, 1); a value that is no number leaves the plane at
// the world's, so the entity's texts are written as stored.
class ExtrusionGroups {
 public:
  void Reset() {
    value_ = Vec3{0, 0, 1};
    given_ = broken_ = false;
  }
  // True when `code` was one of the three groups.
  bool Take(int code, std::string_view value);
  bool Given() const { return given_; }
  // A direction that is no number cannot place anything: the entity stays as stored.
  ObjectPlane Plane() const { return ObjectPlane(broken_ ? Vec3{} : value_); }

 private:
  Vec3 value_{0, 0, 1};
  bool given_ = false;
  bool broken_ = false;
};

// The vertices of an entity whose extrusion comes after them (LWPOLYLINE): their texts as read,
// held in one buffer reused from entity to entity, until the entity's plane is known.
class HeldVertices {
 public:
  struct Text {
    std::uint32_t offset = 0, size = 0;
    std::uint64_t line = 0;
  };
  struct Vertex {
    Text x, y, z;
  };
  void Clear() {
    texts_.clear();
    vertices_.clear();
  }
  void Add(std::string_view x, std::uint64_t xLine, std::string_view y, std::uint64_t yLine, std::string_view z,
           std::uint64_t zLine) {
    vertices_.push_back(Vertex{Put(x, xLine), Put(y, yLine), Put(z, zLine)});
  }
  const std::vector<Vertex>& vertices() const { return vertices_; }
  std::string_view TextOf(const Text& t) const { return std::string_view(texts_).substr(t.offset, t.size); }

 private:
  Text Put(std::string_view text, std::uint64_t line) {
    Text t{static_cast<std::uint32_t>(texts_.size()), static_cast<std::uint32_t>(text.size()), line};
    texts_.append(text);
    return t;
  }
  std::string texts_;
  std::vector<Vertex> vertices_;
};

}  // namespace corvane
