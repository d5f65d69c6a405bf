// The export configuration record: every export choice in one 576-byte block that is
// identical in memory and in a ".crv" file. Nothing here knows about windows or the engine.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

// A text field of capacity N: one length byte, then N bytes of the system's 8-bit code page.
// Storing a shorter text leaves the old bytes behind the new length; they still take part in
// comparisons of the whole record, exactly as they do in a file.
template <std::size_t N>
struct ShortText {
  static constexpr std::size_t kCapacity = N;
  std::uint8_t length;
  char chars[N];

  // The meaningful characters; a damaged length byte is clamped so a view never leaves the field.
  std::string_view view() const {
    return std::string_view(chars, length <= N ? length : N);
  }
  std::string str() const { return std::string(view()); }
  // Cuts to capacity; the bytes past the new text stay as they were.
  void assign(std::string_view text) { length = static_cast<std::uint8_t>(text.copy(chars, N)); }
};

inline constexpr std::size_t kExportConfigSize = 576;
inline constexpr int kFieldCount = 5;
inline constexpr int kCustomItemCount = 8;
inline constexpr int kMaxDecimals = 14;

struct TExportConfig {
  ShortText<6> Signature;            // 0
  ShortText<10> FieldSeparator;      // 7
  ShortText<10> FileExtension;       // 18
  std::uint8_t reserved29[3];        // 29
  std::uint32_t EntityMask;          // 32
  ShortText<100> BlockNames;         // 36
  std::uint8_t reserved137[3];       // 137
  std::int32_t FieldOrder[5];        // 140
  std::uint8_t FieldChecked[5];      // 160
  std::uint8_t reserved165[3];       // 165
  std::int32_t CustomOrder[8];       // 168
  std::uint8_t CustomChecked[8];     // 200
  ShortText<50> NumberPrefix;        // 208
  std::uint8_t reserved259;          // 259
  std::int32_t StartNumber;          // 260
  ShortText<50> XPrefix;             // 264
  std::uint8_t reserved315;          // 315
  std::int32_t XDecimals;            // 316
  ShortText<50> YPrefix;             // 320
  std::uint8_t reserved371;          // 371
  std::int32_t YDecimals;            // 372
  ShortText<50> ZPrefix;             // 376
  std::uint8_t reserved427;          // 427
  std::int32_t ZDecimals;            // 428
  std::uint8_t ForceZ;               // 432
  ShortText<10> ForcedZValue;        // 433
  ShortText<50> CustomPrefix;        // 444
  ShortText<10> CustomSeparator;     // 495
  std::uint8_t reserved506[6];       // 506
  std::int32_t SequenceStart;        // 512
  std::int32_t EntityNumberStart;    // 516
  ShortText<50> CustomLabel;         // 520
  std::uint8_t reserved571;          // 571
  std::uint8_t IncludeHeader;        // 572
  std::uint8_t reserved573[3];       // 573
};

// The record is written to disk as its memory image, so the image must be the file format.
static_assert(std::endian::native == std::endian::little,
              "configuration files hold little-endian integers");
static_assert(sizeof(TExportConfig) == kExportConfigSize);
static_assert(alignof(ShortText<6>) == 1);
static_assert(offsetof(TExportConfig, Signature) == 0);
static_assert(offsetof(TExportConfig, FieldSeparator) == 7);
static_assert(offsetof(TExportConfig, FileExtension) == 18);
static_assert(offsetof(TExportConfig, EntityMask) == 32);
static_assert(offsetof(TExportConfig, BlockNames) == 36);
static_assert(offsetof(TExportConfig, FieldOrder) == 140);
static_assert(offsetof(TExportConfig, FieldChecked) == 160);
static_assert(offsetof(TExportConfig, CustomOrder) == 168);
static_assert(offsetof(TExportConfig, CustomChecked) == 200);
static_assert(offsetof(TExportConfig, NumberPrefix) == 208);
static_assert(offsetof(TExportConfig, StartNumber) == 260);
static_assert(offsetof(TExportConfig, XPrefix) == 264);
static_assert(offsetof(TExportConfig, XDecimals) == 316);
static_assert(offsetof(TExportConfig, YPrefix) == 320);
static_assert(offsetof(TExportConfig, YDecimals) == 372);
static_assert(offsetof(TExportConfig, ZPrefix) == 376);
static_assert(offsetof(TExportConfig, ZDecimals) == 428);
static_assert(offsetof(TExportConfig, ForceZ) == 432);
static_assert(offsetof(TExportConfig, ForcedZValue) == 433);
static_assert(offsetof(TExportConfig, CustomPrefix) == 444);
static_assert(offsetof(TExportConfig, CustomSeparator) == 495);
static_assert(offsetof(TExportConfig, SequenceStart) == 512);
static_assert(offsetof(TExportConfig, EntityNumberStart) == 516);
static_assert(offsetof(TExportConfig, CustomLabel) == 520);
static_assert(offsetof(TExportConfig, IncludeHeader) == 572);

// Entity option bits of EntityMask: bit i belongs to the main window's check box c<i>.
namespace entity_bit {
inline constexpr int kPoints = 0;
inline constexpr int kCircles = 1;
inline constexpr int kArcs = 2;
inline constexpr int kEllipses = 3;
inline constexpr int kBlocks = 4;
inline constexpr int kLines = 5;
inline constexpr int k2DPolylines = 6;
inline constexpr int kAdded2D = 7;
inline constexpr int k3DPolylines = 8;
inline constexpr int kAdded3D = 9;
inline constexpr int kSplines = 10;
inline constexpr int kControlPoints = 11;
inline constexpr int kSingleLineText = 12;
inline constexpr int kMultilineText = 13;
inline constexpr int k3DFaces = 14;
inline constexpr int kThreePointsOnly = 15;
inline constexpr int kFitPoints = 16;
}  // namespace entity_bit

inline constexpr int kEntityOptionCount = 17;
inline constexpr std::uint32_t kAllEntityOptions = 0x1FFFF;

constexpr std::uint32_t EntityBitValue(int bit) { return std::uint32_t{1} << bit; }

inline constexpr std::string_view kConfigSignature = "CRV200";

// The forced Z of the defaults, and what an emptied forced-Z box stands for.
inline constexpr std::string_view kForcedZWhenEmpty = "0.00";

// True when all 576 bytes are equal, reserved bytes and stale text bytes included.
// The record as both programs use it: entity bits beyond the seventeen options cleared, block
// names without blanks or control characters around them (as the window's box keeps them). Every
// record read from a file or changed by name passes through here, so the command-line tool, the
// window and --show-config see one record.
void NormalizeRecord(TExportConfig& config);

bool SameConfig(const TExportConfig& a, const TExportConfig& b);

// Overwrites the start of the signature with the text "error" (05 65 72 72 6F 72), so the
// record can never equal a working record again until the next load or save.
void InvalidateSavedConfig(TExportConfig& saved);

// A record with every byte zero, as both records are before the first load.
TExportConfig ZeroConfig();

}  // namespace corvane
