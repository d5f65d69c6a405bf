// The entity options: one row per bit of the record's EntityMask, with everything the programs
// need to know about it. The readers' dispatcher, the report's counts, --set Entities=, the
// window's entity boxes and the pictures' colours all read this table, so an option added or
// renamed here is added or renamed everywhere.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/export_config.h"

namespace corvane {

// How the engine reads an entity that starts an option (the engine keeps one reader per kind).
enum class EntityReader : std::uint8_t {
  kNone,
  kPoint,       // one point with handle and layer: POINT CIRCLE ARC ELLIPSE
  kText,        // one point with a text value: TEXT MTEXT
  kLine,        // two points
  kInsert,      // one point with a block name, filtered by the block names
  kPolyline,    // POLYLINE with VERTEX and SEQEND; 2D or 3D by its flags
  kLwPolyline,  // a point per vertex
  kSpline,      // control points and fit points
  k3DFace,      // three or four corners
};

// A DXF entity name that starts an option, and how it is read.
struct EntityStart {
  std::string_view name;
  EntityReader reader = EntityReader::kNone;
};

struct EntityColour {
  std::uint8_t r, g, b;
};

struct EntityOption {
  int bit;
  std::string_view shortName;            // --set Entities= and --show-config
  std::array<EntityStart, 2> starts;     // the entity names that start it (none: a sub-option)
  std::array<std::string_view, 2> typeNames;  // the entity names its data lines carry
  int parent;                            // the option it refines, or -1
  bool counted;                          // the report's summary has a line for it
  EntityColour colour;                   // its points in every picture
  // The report labels its count with the hint line of the option's box: title at 2*bit, text
  // after it.
  constexpr std::size_t HintLine() const { return static_cast<std::size_t>(2 * bit); }
};

inline constexpr EntityColour kSubOptionGrey{128, 128, 128};

inline constexpr std::array<EntityOption, kEntityOptionCount> kEntityOptions = {{
    {entity_bit::kPoints, "points", {{{"POINT", EntityReader::kPoint}}}, {"POINT"}, -1, true,
     {31, 119, 180}},
    {entity_bit::kCircles, "circles", {{{"CIRCLE", EntityReader::kPoint}}}, {"CIRCLE"}, -1, true,
     {255, 127, 14}},
    {entity_bit::kArcs, "arcs", {{{"ARC", EntityReader::kPoint}}}, {"ARC"}, -1, true, {44, 160, 44}},
    {entity_bit::kEllipses, "ellipses", {{{"ELLIPSE", EntityReader::kPoint}}}, {"ELLIPSE"}, -1, true,
     {214, 39, 40}},
    {entity_bit::kBlocks, "blocks", {{{"INSERT", EntityReader::kInsert}}}, {"INSERT"}, -1, true,
     {148, 103, 189}},
    {entity_bit::kLines, "lines", {{{"LINE", EntityReader::kLine}}}, {"LINE"}, -1, true, {140, 86, 75}},
    {entity_bit::k2DPolylines, "2dpolylines",
     {{{"LWPOLYLINE", EntityReader::kLwPolyline}, {"POLYLINE", EntityReader::kPolyline}}},
     {"LWPOLYLINE", "2DPOLYLINE"}, -1, true, {227, 119, 194}},
    {entity_bit::kAdded2D, "2dadded", {}, {}, entity_bit::k2DPolylines, false, kSubOptionGrey},
    {entity_bit::k3DPolylines, "3dpolylines", {{{"POLYLINE", EntityReader::kPolyline}}}, {"3DPOLYLINE"},
     -1, true, {23, 190, 207}},
    {entity_bit::kAdded3D, "3dadded", {}, {}, entity_bit::k3DPolylines, false, kSubOptionGrey},
    {entity_bit::kSplines, "splines", {{{"SPLINE", EntityReader::kSpline}}}, {"SPLINE"}, -1, true,
     {188, 189, 34}},
    {entity_bit::kControlPoints, "controlpoints", {}, {}, entity_bit::kSplines, false, kSubOptionGrey},
    {entity_bit::kSingleLineText, "text", {{{"TEXT", EntityReader::kText}}}, {"TEXT"}, -1, true,
     {20, 20, 20}},
    {entity_bit::kMultilineText, "mtext", {{{"MTEXT", EntityReader::kText}}}, {"MTEXT"}, -1, true,
     {0, 128, 96}},
    {entity_bit::k3DFaces, "3dfaces", {{{"3DFACE", EntityReader::k3DFace}}}, {"3DFACE"}, -1, true,
     {173, 73, 74}},
    {entity_bit::kThreePointsOnly, "3pointsonly", {}, {}, entity_bit::k3DFaces, false, kSubOptionGrey},
    {entity_bit::kFitPoints, "fitpoints", {}, {}, entity_bit::kSplines, false, kSubOptionGrey},
}};

// The table is in bit order, so an option is found by its bit.
constexpr bool OptionsInBitOrder() {
  for (int i = 0; i < kEntityOptionCount; ++i) {
    if (kEntityOptions[static_cast<std::size_t>(i)].bit != i) return false;
  }
  return true;
}
static_assert(OptionsInBitOrder());

inline const EntityOption& EntityOptionOf(int bit) { return kEntityOptions[static_cast<std::size_t>(bit)]; }

// The option whose data lines carry `typeName` (as the preview reads them back), or -1.
int EntityOptionOfTypeName(std::string_view typeName);

// The option a short name stands for (any ASCII letter case), or -1.
int EntityOptionOfShortName(std::string_view shortName);

// The short names in bit order, with `separator` between them.
std::string EntityShortNames(std::string_view separator);

}  // namespace corvane
