#include "config/crv_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "config/default_config.h"
#include "files/file_io.h"
#include "tests/test_support.h"

#if defined(__linux__)
#include <csignal>
#if !defined(_WIN32)
#include <sys/resource.h>
#endif
#endif
#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace corvane {
namespace {

namespace fs = std::filesystem;

using TempFolder = test::TempDir;

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good());
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Image(const TExportConfig& c) {
  return std::string(reinterpret_cast<const char*>(&c), kExportConfigSize);
}

// A valid record that differs from the default in every kind of byte, stale and reserved ones
// included, so a round trip that drops any of them shows.
TExportConfig Sample() {
  TExportConfig c = MakeDefaultConfig();
  c.FieldSeparator.assign(";;;;;");
  c.FieldSeparator.assign("\t");
  c.BlockNames.assign("TREE*,MH?");
  c.FieldOrder[0] = 4;
  c.FieldOrder[4] = 0;
  c.CustomOrder[2] = 7;
  c.CustomOrder[7] = 2;
  c.StartNumber = -12;
  c.ZDecimals = 14;
  c.CustomLabel.assign("Site A");
  c.reserved506[3] = 0xAB;
  c.reserved573[0] = 0xFF;
  return c;
}

// ---- Round trip -----------------------------------------------------------------------------

TEST(CrvFile, WrittenFileIsTheRecordImageAndReadsBack) {
  TempFolder folder;
  const std::string path = folder.File("site.crv");
  const TExportConfig written = Sample();
  ASSERT_EQ(WriteConfigFile(path, written), "");
  EXPECT_EQ(ReadBytes(path), Image(written));

  TExportConfig working = ZeroConfig();
  TExportConfig saved = ZeroConfig();
  const ConfigFileResult result = ReadConfigFile(path, working, saved);
  ASSERT_TRUE(result.accepted) << result.message;
  EXPECT_EQ(result.status, ConfigReadStatus::kAccepted);
  EXPECT_TRUE(SameConfig(working, written));
  EXPECT_TRUE(SameConfig(saved, working));
}

TEST(CrvFile, WritingReplacesALongerFileAndLeavesNoTemporaryFile) {
  TempFolder folder;
  const std::string path = folder.File("site.crv");
  WriteBytes(path, std::string(2000, 'x'));
  ASSERT_EQ(WriteConfigFile(path, Sample()), "");
  EXPECT_EQ(ReadBytes(path), Image(Sample()));
  EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST(CrvFile, HandMadeImageFromTheLayoutLoads) {
  // What another program would write knowing only the byte layout.
  std::string bytes(kExportConfigSize, '\0');
  auto text = [&](std::size_t offset, const std::string& value) {
    bytes[offset] = static_cast<char>(value.size());
    bytes.replace(offset + 1, value.size(), value);
  };
  auto int32 = [&](std::size_t offset, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
  };
  text(0, "CRV200");
  text(7, " ; ");
  text(18, "csv");
  int32(32, 0x1FFFF);
  text(36, "DOOR,WIN*");
  const int field_order[5] = {3, 0, 1, 2, 4};
  for (int k = 0; k < 5; ++k) int32(140 + 4 * k, field_order[k]);
  bytes[160] = 1;
  bytes[164] = 1;
  const int custom_order[8] = {7, 6, 5, 4, 3, 2, 1, 0};
  for (int k = 0; k < 8; ++k) int32(168 + 4 * k, custom_order[k]);
  bytes[200 + 7] = 1;
  text(208, "P-");
  int32(260, 1000);
  text(264, "E=");
  int32(316, 2);
  text(320, "N=");
  int32(372, 0);
  text(376, "H=");
  int32(428, 4);
  bytes[432] = 1;
  text(433, "12.5");
  text(444, "[");
  text(495, "|");
  int32(512, -5);
  int32(516, 2147483647);
  text(520, "Survey");
  bytes[572] = 1;

  TempFolder folder;
  const std::string path = folder.File("other.crv");
  WriteBytes(path, bytes);
  TExportConfig working = ZeroConfig();
  TExportConfig saved = ZeroConfig();
  const ConfigFileResult result = ReadConfigFile(path, working, saved);
  ASSERT_TRUE(result.accepted) << result.message;

  EXPECT_EQ(working.FieldSeparator.str(), " ; ");
  EXPECT_EQ(working.FileExtension.str(), "csv");
  EXPECT_EQ(working.EntityMask, 0x1FFFFu);
  EXPECT_EQ(working.BlockNames.str(), "DOOR,WIN*");
  for (int k = 0; k < 5; ++k) EXPECT_EQ(working.FieldOrder[k], field_order[k]);
  EXPECT_EQ(working.FieldChecked[0], 1);
  EXPECT_EQ(working.FieldChecked[1], 0);
  EXPECT_EQ(working.FieldChecked[4], 1);
  for (int k = 0; k < 8; ++k) EXPECT_EQ(working.CustomOrder[k], custom_order[k]);
  EXPECT_EQ(working.CustomChecked[7], 1);
  EXPECT_EQ(working.NumberPrefix.str(), "P-");
  EXPECT_EQ(working.StartNumber, 1000);
  EXPECT_EQ(working.XPrefix.str(), "E=");
  EXPECT_EQ(working.XDecimals, 2);
  EXPECT_EQ(working.YPrefix.str(), "N=");
  EXPECT_EQ(working.YDecimals, 0);
  EXPECT_EQ(working.ZPrefix.str(), "H=");
  EXPECT_EQ(working.ZDecimals, 4);
  EXPECT_EQ(working.ForceZ, 1);
  EXPECT_EQ(working.ForcedZValue.str(), "12.5");
  EXPECT_EQ(working.CustomPrefix.str(), "[");
  EXPECT_EQ(working.CustomSeparator.str(), "|");
  EXPECT_EQ(working.SequenceStart, -5);
  EXPECT_EQ(working.EntityNumberStart, 2147483647);
  EXPECT_EQ(working.CustomLabel.str(), "Survey");
  EXPECT_EQ(working.IncludeHeader, 1);
  EXPECT_EQ(Image(working), bytes);
}

// ---- Partial and oversized files ------------------------------------------------------------

TEST(CrvFile, ShortFileReplacesOnlyTheStartOfTheRecord) {
  TempFolder folder;
  const std::string path = folder.File("short.crv");
  TExportConfig other = Sample();
  other.FileExtension.assign("xyz");
  WriteBytes(path, Image(other).substr(0, 32));  // signature, separator and extension only

  const TExportConfig before = MakeDefaultConfig();
  TExportConfig working = before;
  TExportConfig saved = ZeroConfig();
  ASSERT_TRUE(ReadConfigFile(path, working, saved).accepted);
  EXPECT_EQ(Image(working), Image(other).substr(0, 32) + Image(before).substr(32));
  EXPECT_TRUE(SameConfig(saved, working));
}

TEST(CrvFile, ShortFileIsRefusedWhenTheRecordItGivesIsDamaged) {
  // Before the first load the record is all zero, so a file with the signature alone leaves
  // FieldOrder at 0, 0, 0, 0, 0.
  TempFolder folder;
  const std::string path = folder.File("short.crv");
  WriteBytes(path, Image(Sample()).substr(0, 7));
  TExportConfig working = ZeroConfig();
  TExportConfig saved = ZeroConfig();
  InvalidateSavedConfig(saved);
  const TExportConfig saved_before = saved;

  const ConfigFileResult result = ReadConfigFile(path, working, saved);
  EXPECT_FALSE(result.accepted);
  EXPECT_EQ(result.status, ConfigReadStatus::kDamaged);
  EXPECT_EQ(result.message, "The configuration file \"" + path +
                                "\" is damaged: FieldOrder holds 0, 0, 0, 0, 0; "
                                "it must be a permutation of 0 to 4");
  EXPECT_TRUE(SameConfig(working, ZeroConfig()));
  EXPECT_TRUE(SameConfig(saved, saved_before));
}

TEST(CrvFile, BytesAfterTheRecordAreIgnored) {
  TempFolder folder;
  const std::string path = folder.File("long.crv");
  WriteBytes(path, Image(Sample()) + std::string(100, '\x7F'));
  TExportConfig working = ZeroConfig();
  TExportConfig saved = ZeroConfig();
  ASSERT_TRUE(ReadConfigFile(path, working, saved).accepted);
  EXPECT_TRUE(SameConfig(working, Sample()));
}

// ---- Refusals -------------------------------------------------------------------------------

struct Records {
  TExportConfig working = Sample();
  TExportConfig saved = MakeDefaultConfig();
  void ExpectUnchanged() const {
    EXPECT_TRUE(SameConfig(working, Sample()));
    EXPECT_TRUE(SameConfig(saved, MakeDefaultConfig()));
  }
};

TEST(CrvFileRefusal, FilesWithoutTheSignatureChangeNothing) {
  const std::string valid = Image(MakeDefaultConfig());
  std::string wrong_length = valid;
  wrong_length[0] = 7;
  std::string wrong_text = valid;
  wrong_text[6] = '1';  // "CRV201"
  const std::string cases[] = {wrong_length, wrong_text, valid.substr(0, 6), std::string()};

  TempFolder folder;
  const std::string path = folder.File("not.crv");
  for (const std::string& bytes : cases) {
    WriteBytes(path, bytes);
    Records records;
    const ConfigFileResult result = ReadConfigFile(path, records.working, records.saved);
    EXPECT_FALSE(result.accepted) << bytes.size();
    EXPECT_EQ(result.status, ConfigReadStatus::kNotConfigFile);
    EXPECT_EQ(result.message, "This is not a Corvane 2.0 configuration file");
    records.ExpectUnchanged();
  }
}

TEST(CrvFileRefusal, MissingFileOrFolderIsReportedWithTheSystemReason) {
  TempFolder folder;
  for (const std::string& path : {folder.File("missing.crv"), folder.File("")}) {
    Records records;
    const ConfigFileResult result = ReadConfigFile(path, records.working, records.saved);
    EXPECT_FALSE(result.accepted);
    EXPECT_EQ(result.status, ConfigReadStatus::kCannotOpen);
    const std::string prefix = "Cannot open file \"" + path + "\". ";
    EXPECT_EQ(result.message.substr(0, prefix.size()), prefix);
    EXPECT_GT(result.message.size(), prefix.size()) << "the system's reason follows";
    records.ExpectUnchanged();
  }
}

TEST(CrvFileRefusal, DamagedFileNamesTheFileAndTheField) {
  TempFolder folder;
  const std::string path = folder.File("bad.crv");
  TExportConfig bad = Sample();
  bad.YDecimals = 15;
  WriteBytes(path, Image(bad));
  Records records;
  const ConfigFileResult result = ReadConfigFile(path, records.working, records.saved);
  EXPECT_EQ(result.status, ConfigReadStatus::kDamaged);
  EXPECT_EQ(result.message, "The configuration file \"" + path +
                                "\" is damaged: YDecimals is 15; it must be 0 to 14");
  records.ExpectUnchanged();
}

// ---- Validation rules -----------------------------------------------------------------------

TEST(ValidateConfig, EveryLengthByteMustFitItsField) {
  struct Text {
    const char* name;
    std::size_t offset;
    std::uint8_t capacity;
  };
  const Text texts[] = {
      {"Signature", 0, 6},         {"FieldSeparator", 7, 10},   {"FileExtension", 18, 10},
      {"BlockNames", 36, 100},     {"NumberPrefix", 208, 50},   {"XPrefix", 264, 50},
      {"YPrefix", 320, 50},        {"ZPrefix", 376, 50},        {"ForcedZValue", 433, 10},
      {"CustomPrefix", 444, 50},   {"CustomSeparator", 495, 10}, {"CustomLabel", 520, 50},
  };
  for (const Text& t : texts) {
    TExportConfig c = Sample();
    auto* bytes = reinterpret_cast<std::uint8_t*>(&c);
    bytes[t.offset] = t.capacity;
    EXPECT_EQ(ValidateConfig(c), std::nullopt) << t.name << " full to capacity is fine";
    bytes[t.offset] = static_cast<std::uint8_t>(t.capacity + 1);
    EXPECT_EQ(ValidateConfig(c), std::string(t.name) + " has the length " +
                                     DecimalText(t.capacity + 1) + "; its capacity is " +
                                     DecimalText(t.capacity));
  }
}

TEST(ValidateConfig, OrdersMustBePermutations) {
  TExportConfig c = Sample();
  c.FieldOrder[1] = 5;
  EXPECT_EQ(ValidateConfig(c), "FieldOrder holds 4, 5, 2, 3, 0; it must be a permutation of 0 to 4");
  c.FieldOrder[1] = -1;
  EXPECT_TRUE(ValidateConfig(c).has_value());
  c.FieldOrder[1] = 2;  // 2 twice, 1 missing
  EXPECT_TRUE(ValidateConfig(c).has_value());

  c = Sample();
  c.CustomOrder[0] = 8;
  EXPECT_EQ(ValidateConfig(c).value().substr(0, 22), "CustomOrder holds 8, 1");
  c.CustomOrder[0] = 1;
  EXPECT_EQ(ValidateConfig(c),
            "CustomOrder holds 1, 1, 7, 3, 4, 5, 6, 2; it must be a permutation of 0 to 7");
}

TEST(ValidateConfig, DecimalsMustBeZeroToFourteen) {
  for (const auto member : {&TExportConfig::XDecimals, &TExportConfig::YDecimals,
                            &TExportConfig::ZDecimals}) {
    TExportConfig c = Sample();
    c.*member = 0;
    EXPECT_EQ(ValidateConfig(c), std::nullopt);
    c.*member = 14;
    EXPECT_EQ(ValidateConfig(c), std::nullopt);
    c.*member = -1;
    EXPECT_TRUE(ValidateConfig(c).has_value());
    c.*member = 15;
    EXPECT_TRUE(ValidateConfig(c).has_value());
  }
}

TEST(ValidateConfig, ReportsTheFirstBadFieldInRecordOrderAndIgnoresTheRest) {
  TExportConfig c = Sample();
  c.ZDecimals = 99;
  c.CustomOrder[0] = 0;
  c.CustomOrder[1] = 0;
  EXPECT_EQ(ValidateConfig(c).value().substr(0, 11), "CustomOrder");

  // Booleans, the mask's unused bits and reserved bytes are not judged.
  c = Sample();
  c.FieldChecked[0] = 7;
  c.ForceZ = 2;
  c.EntityMask = 0xFFFFFFFFu;
  c.reserved29[0] = 0x55;
  EXPECT_EQ(ValidateConfig(c), std::nullopt);
  EXPECT_EQ(ValidateConfig(MakeDefaultConfig()), std::nullopt);
}

// ---- Write failures -------------------------------------------------------------------------

TEST(CrvFileWrite, MissingFolderGivesCannotCreate) {
  TempFolder folder;
  const std::string path = folder.File("no such folder/site.crv");
  const std::string message = WriteConfigFile(path, Sample());
  const std::string prefix = "Cannot create file \"" + path + "\". ";
  EXPECT_EQ(message.substr(0, prefix.size()), prefix);
  EXPECT_GT(message.size(), prefix.size());
  EXPECT_EQ(folder.EntryCount(), 0u);
}

#if !defined(_WIN32)
// A configuration must be a file that reads back: a FIFO (or a device) at its name is refused and
// left as it is, also when a reader waits on it.
TEST(CrvFileWrite, AFifoIsRefusedNotWrittenTo) {
  TempFolder folder;
  const std::string path = folder.File("pipe.crv");
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  const int reader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_EQ(WriteConfigFile(path, Sample()), "Cannot create file \"" + path + "\". Not a regular file");
  char byte;
  EXPECT_LE(::read(reader, &byte, 1), 0);
  ::close(reader);
  EXPECT_TRUE(fs::is_fifo(path));
  EXPECT_EQ(folder.EntryCount(), 1u);
}

// Loaded records are the ones the window's controls can show: entity bits beyond the options are
// cleared, blanks around the block names dropped; both records in hand are that record.
TEST(CrvFile, ALoadedRecordIsNormalised) {
  TempFolder folder;
  TExportConfig record = Sample();
  record.EntityMask = 0xFFFE0001u;
  record.BlockNames.assign("  TREE*,POLE? ");
  const std::string path = folder.File("odd.crv");
  ASSERT_EQ(WriteConfigFile(path, record), "");
  TExportConfig working = ZeroConfig(), saved = ZeroConfig();
  ASSERT_TRUE(ReadConfigFile(path, working, saved).accepted);
  EXPECT_EQ(working.EntityMask, 1u);
  EXPECT_EQ(working.BlockNames.view(), "TREE*,POLE?");
  EXPECT_TRUE(SameConfig(working, saved));
}
#endif

TEST(CrvFileWrite, FailedReplaceKeepsWhatWasThereAndCleansUp) {
  // A folder of the target's name cannot be replaced by a file.
  TempFolder folder;
  const std::string path = folder.File("site.crv");
  fs::create_directory(path);
  WriteBytes(path + "/keep.txt", "kept");
  const std::string message = WriteConfigFile(path, Sample());
  EXPECT_EQ(message.rfind("Cannot create file \"" + path + "\". ", 0), 0u) << message;
  EXPECT_EQ(ReadBytes(path + "/keep.txt"), "kept");
  EXPECT_EQ(folder.EntryCount(), 1u) << "the temporary file is removed";
}

#if defined(__linux__)
#if !defined(_WIN32)  // file-size limits are a POSIX matter
// A file-size limit makes the write itself fail part-way, as a full disk would.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limited = old_;
    limited.rlim_cur = bytes;
    active_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, old_handler_);
  }
  bool active() const { return active_; }

 private:
  rlimit old_{};
  void (*old_handler_)(int) = nullptr;
  bool active_ = false;
};
#endif

#if !defined(_WIN32)  // file-size limits are a POSIX matter
TEST(CrvFileWrite, FailedWriteLeavesThePreviousFileIntact) {
  TempFolder folder;
  const std::string path = folder.File("site.crv");
  ASSERT_EQ(WriteConfigFile(path, MakeDefaultConfig()), "");
  std::string message;
  {
    FileSizeLimit limit(100);
    if (!limit.active()) GTEST_SKIP() << "cannot limit the file size here";
    message = WriteConfigFile(path, Sample());
  }
  EXPECT_EQ(message.rfind("Cannot create file \"" + path + "\". ", 0), 0u) << message;
  EXPECT_EQ(ReadBytes(path), Image(MakeDefaultConfig()));
  EXPECT_EQ(folder.EntryCount(), 1u);
}
#endif
#endif

}  // namespace
}  // namespace corvane
