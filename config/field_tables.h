// The exported fields (the rows of the field list) and the custom items (the rows of the custom
// list): what each row's code means, in one place for the record's text form, the run checks, the
// header line and the data line's plan.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "config/export_config.h"

namespace corvane {

enum class FieldCode : std::uint8_t { kNumber, kX, kY, kZ, kCustom };

struct FieldKind {
  FieldCode field;
  char code;               // the first character of its row in the field-name list
  std::string_view name;   // as --set Fields= and --show-config write it
  std::string_view title;  // its header-line title (the custom field's is built from its items)
};

inline constexpr std::array<FieldKind, kFieldCount> kFieldKinds = {{
    {FieldCode::kNumber, 'N', "N", "Number"},
    {FieldCode::kX, 'X', "X", "X Coord."},
    {FieldCode::kY, 'Y', "Y", "Y Coord."},
    {FieldCode::kZ, 'Z', "Z", "Z Coord."},
    {FieldCode::kCustom, 'C', "C", ""},
}};

// The field a row whose text starts with `code` exports, or nothing: a hand-edited field-name
// list can hold rows that name no field at all.
constexpr const FieldKind* FieldKindOfCode(char code) {
  for (const FieldKind& kind : kFieldKinds) {
    if (kind.code == code) return &kind;
  }
  return nullptr;
}

constexpr const FieldKind& FieldKindOf(FieldCode field) { return kFieldKinds[static_cast<std::size_t>(field)]; }

// What a custom item writes into the custom field.
enum class CustomValue : std::uint8_t {
  kEntityName,
  kLayer,
  kHandle,
  kBlockName,
  kTextValue,
  kLabel,           // the configuration's label: the same on every line
  kSequenceNumber,  // counts the points of an entity: changes from line to line
  kEntityNumber,    // counts the entities: the same for every point of one
};

struct CustomItem {
  int index;              // its index in the record's CustomOrder and in the custom-item list
  std::string_view name;  // as --set CustomItems= and --show-config write it
  CustomValue value;
  bool entityText;        // a text of the entity read from the drawing (copied as it came)
};

inline constexpr std::array<CustomItem, kCustomItemCount> kCustomItems = {{
    {0, "type", CustomValue::kEntityName, true},
    {1, "layer", CustomValue::kLayer, true},
    {2, "handle", CustomValue::kHandle, true},
    {3, "block", CustomValue::kBlockName, true},
    {4, "text", CustomValue::kTextValue, true},
    {5, "label", CustomValue::kLabel, false},
    {6, "sequence", CustomValue::kSequenceNumber, false},
    {7, "entity", CustomValue::kEntityNumber, false},
}};

constexpr bool TablesInIndexOrder() {
  for (std::size_t i = 0; i < kFieldKinds.size(); ++i) {
    if (static_cast<std::size_t>(kFieldKinds[i].field) != i) return false;
  }
  for (std::size_t i = 0; i < kCustomItems.size(); ++i) {
    if (static_cast<std::size_t>(kCustomItems[i].index) != i) return false;
  }
  return true;
}
static_assert(TablesInIndexOrder());

}  // namespace corvane
