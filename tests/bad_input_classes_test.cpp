// Whole classes of bad drawings, each in a run among good ones: files that are not ASCII DXF at
// all, damaged pair structure, absurd values and sizes. For each, what the user is told, and that
// nothing written before it is lost: the data lines of the same file, the data files of earlier
// drawings, unrelated files.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/crv_file.h"
#include "config/lookup_lists.h"
#include "engine/conversion_run.h"
#include "engine/line_reader.h"
#include "tests/error_run_fixtures.h"
#include "tests/test_support.h"

#ifndef CORVANE_SOURCE_DIR
#define CORVANE_SOURCE_DIR "."
#endif

// Sanitized builds run the big inputs several times slower: they get smaller ones, still far
// beyond the reader's line cap and the output buffer.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define CORVANE_SANITIZED_BUILD 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(undefined_behavior_sanitizer)
#define CORVANE_SANITIZED_BUILD 1
#endif
#endif

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::ConvertText;
using test::DxfWithEntities;
using test::FileBody;
using test::LineNumberOf;
using test::Pairs;
using test::ReadFile;
using test::RequestFor;
using test::SplitCrLf;
using test::TempDir;
using test::TestConfig;
using test::TestObserver;
using Lines = std::vector<std::string>;

#if defined(CORVANE_SANITIZED_BUILD)
constexpr std::uint64_t kHugeLineBytes = std::uint64_t{24} << 20;
constexpr int kManyVertices = 100000;
#else
constexpr std::uint64_t kHugeLineBytes = std::uint64_t{100} << 20;
constexpr int kManyVertices = 1000000;
#endif

constexpr std::string_view kNotValid = "*** Error, not a valid DXF file ***";
constexpr std::string_view kOutOfStepPrefix = "*** Error, the group codes are out of step at line ";

std::string Point(std::string_view x, std::string_view y, std::string_view z, std::string_view layer = "P") {
  return Pairs({"0", "POINT", "8", layer, "10", x, "20", y, "30", z});
}


std::string RandomBytes(std::size_t size, unsigned seed, bool lineEnds) {
  std::mt19937 random(seed);
  std::string s(size, '\0');
  for (char& c : s) {
    c = static_cast<char>(random() & 0xFF);
    // Without line structure the whole file is one line; a Ctrl-Z would end it early.
    if (!lineEnds && (c == '\n' || c == '\r' || c == 26)) c = '#';
  }
  return s;
}

using test::BadInputRun;

// ---- Files that are not ASCII DXF ---------------------------------------------------------

TEST_F(BadInputRun, BinaryDxfIsNotValidAndReadNoFurtherThanItsSentinel) {
  // The binary form starts with a sentinel whose Ctrl-Z ends the text input at once: even an
  // ASCII entity section behind it is never read.
  std::string binary("AutoCAD Binary DXF\r\n\x1a\0", 22);
  // Binary groups: a 2-byte code, then a text ended by a NUL.
  for (const auto& [code, text] : {std::pair<char, std::string_view>{0, "SECTION"}, {2, "ENTITIES"}, {0, "POINT"}}) {
    binary += code;
    binary += '\0';
    binary += text;
    binary += '\0';
  }
  binary += RandomBytes(4096, 7, true);
  binary += "\n" + DxfWithEntities(Point("9", "9", "9", "HIDDEN"));
  ASSERT_EQ(binary.substr(18, 4), std::string("\r\n\x1a\0", 4));
  cfg_.IncludeHeader = 1;
  const std::string a = Good("a.dxf"), bin = Drawing("bin.dxf", binary), c = Good("c.dxf");
  const RunResult r = Run({a, bin, c});

  ExpectRefusedAsNotDxf(r, "bin.dxf");
  // The data file of a refused drawing holds the header line only.
  const std::string header = PrepareRunSettings(cfg_, RequestFor(cfg_, {bin}).lists).HeaderLine;
  EXPECT_EQ(DataLines("bin.txt"), Lines{header});
  EXPECT_EQ(r.filesWithErrors, 1u);
  EXPECT_TRUE(r.fatalError.empty());
  for (const char* name : {"a.txt", "c.txt"}) {
    Lines lines = DataLines(name);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), header);
    lines.erase(lines.begin());
    EXPECT_EQ(lines, GoodLines(std::string(name, 1) + ".dxf"));
  }
  EXPECT_EQ(ReadFile(Unrelated()), kUnrelatedText);
}

TEST_F(BadInputRun, RandomBinaryFilesAmongGoodDrawingsAreNotValid) {
  const std::string a = Good("a.dxf");
  // Every byte value, Ctrl-Z and line ends included, as a file copied from anywhere would be.
  const std::string noise = Drawing("noise.dxf", RandomBytes(256 << 10, 11, true));
  // No line end at all, and longer than the line cap: a single line cut to its first part.
  const std::string flat = Drawing("flat.dxf", RandomBytes(kMaxLineLength * 3 + 17, 12, false));
  const std::string c = Good("c.dxf");
  const RunResult r = Run({a, noise, flat, c});

  ExpectRefusedAsNotDxf(r, "noise.dxf");
  ExpectRefusedAsNotDxf(r, "flat.dxf");
  EXPECT_EQ(ReadFile(Out("noise.txt")), "");
  EXPECT_EQ(ReadFile(Out("flat.txt")), "");
  EXPECT_EQ(r.filesWithErrors, 2u);
  ExpectNeighboursIntact(r, {"a.dxf", "c.dxf"});
}

TEST_F(BadInputRun, CarriageReturnLineEndsMakeTheDrawingOneLine) {
  // A drawing with old Mac line ends: a lone CR is dropped, so the whole file is one line and no
  // line "ENTITIES" exists. The same drawing with LF or CR LF converts.
  const std::string lf = DxfWithEntities(Point("7", "8", "9", "MAC"));
  std::string cr = lf, crlf;
  std::replace(cr.begin(), cr.end(), '\n', '\r');
  for (char ch : lf) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
  const std::string a = Good("a.dxf"), mac = Drawing("mac.dxf", cr), c = Good("c.dxf");
  const std::string lfOnly = Drawing("unix.dxf", lf), crLf = Drawing("dos.dxf", crlf);
  const RunResult r = Run({a, mac, lfOnly, crLf, c});

  ExpectRefusedAsNotDxf(r, "mac.dxf");
  EXPECT_EQ(ReadFile(Out("mac.txt")), "");
  EXPECT_EQ(DataLines("unix.txt"), Lines{"1,7.000,8.000,9.000,POINT/MAC"});
  EXPECT_EQ(DataLines("dos.txt"), Lines{"1,7.000,8.000,9.000,POINT/MAC"});
  EXPECT_EQ(r.filesWithErrors, 1u);
  ExpectNeighboursIntact(r, {"a.dxf", "c.dxf"});
}

#if !defined(_WIN32)
long PeakResidentKiB() {
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;  // KiB on Linux
}
#endif

TEST_F(BadInputRun, OneHugeLineIsReadInBoundedMemoryAndIsNotValid) {
  // Written in pieces; it looks like a drawing, but without a single line end.
  const std::string huge = In("huge.dxf");
  {
    std::string piece;
    while (piece.size() < (1 << 20)) piece += "  0\tSECTION\t  2\tENTITIES\t  0\tPOINT\t 10\t1.5\t 20\t2.5\t";
    std::ofstream out(huge, std::ios::binary);
    std::uint64_t written = 0;
    while (written < kHugeLineBytes) {
      const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), kHugeLineBytes - written));
      out.write(piece.data(), static_cast<std::streamsize>(n));
      written += n;
    }
    ASSERT_TRUE(out.good());
  }
  ASSERT_EQ(fs::file_size(huge), kHugeLineBytes);
  const std::string a = Good("a.dxf"), c = Good("c.dxf");
#if !defined(_WIN32)
  const long peakBefore = PeakResidentKiB();
#endif
  TestObserver observer;
  const RunResult r = Run({a, huge, c}, observer);
#if !defined(_WIN32)
  // The reader keeps at most its line cap and one block; a copy of the line would show here.
  EXPECT_LT(PeakResidentKiB() - peakBefore, static_cast<long>(kHugeLineBytes / 3 / 1024));
#endif
  ExpectRefusedAsNotDxf(r, "huge.dxf");
  EXPECT_EQ(ReadFile(Out("huge.txt")), "");
  // The progress bar got the whole size as its maximum.
  EXPECT_NE(std::find(observer.maxima.begin(), observer.maxima.end(), kHugeLineBytes / 128), observer.maxima.end());
  EXPECT_EQ(r.filesWithErrors, 1u);
  ExpectNeighboursIntact(r, {"a.dxf", "c.dxf"});
}

// ---- Pair structure and group codes -------------------------------------------------------

std::string FourPointsWith(std::string_view afterSecond) {
  return Point("1", "1", "1") + Point("2", "2", "2") + std::string(afterSecond) + Point("3", "3", "3") +
         Point("4", "4", "4");
}

TEST(BadPairs, BlankLinesInsideTheEntitiesAreReportedAndLaterPointsStillExported) {
  struct Case {
    const char* what;
    std::string entities;
    Lines data;
    std::string points;  // the summary line
    int badAfterBlank = 0;  // the line found out of step: the blank one, or the one after it
  };
  const Lines allFour = {"1,1.000,1.000,1.000", "2,2.000,2.000,2.000", "3,3.000,3.000,3.000",
                         "4,4.000,4.000,4.000"};
  const std::vector<Case> cases = {
      {"one blank line between entities", FourPointsWith("\n"), allFour, " Points : 4 "},
      {"three blank lines between entities", FourPointsWith("\n\n  \t\n"), allFour, " Points : 4 "},
      {"a blank line inside an entity",
       Point("1", "1", "1") + "  0\nPOINT\n  8\nP\n 10\n2\n\n 20\n2\n 30\n2\n" + Point("3", "3", "3") +
           Point("4", "4", "4"),
       allFour, " Points : 4 "},
      // The blank line takes the place of the entity name: that entity's pairs pass by unread,
      // and the ones after it are read again.
      // The blank line is the value of the "0"; the name after it is where a code is due.
      {"a blank line after a group code 0",
       Point("1", "1", "1") + "  0\n\nPOINT\n  8\nP\n 10\n2\n 20\n2\n 30\n2\n" + Point("3", "3", "3") +
           Point("4", "4", "4"),
       {"1,1.000,1.000,1.000", "2,3.000,3.000,3.000", "3,4.000,4.000,4.000"}, " Points : 3 ", 1},
  };
  TExportConfig cfg = TestConfig();
  cfg.EntityMask = EntityBitValue(entity_bit::kPoints);
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    const std::string dxf = DxfWithEntities(k.entities);
    const std::size_t section = dxf.find("ENTITIES\n") + 9;
    const std::size_t blank = dxf.find("\n\n", section) + 1;
    const std::uint64_t blankLine =
        static_cast<std::uint64_t>(std::count(dxf.begin(), dxf.begin() + static_cast<std::ptrdiff_t>(blank), '\n')) + 1 +
        static_cast<std::uint64_t>(k.badAfterBlank);
    const auto c = ConvertText(dxf, cfg);
    EXPECT_EQ(FileBody(c), (Lines{std::string(kOutOfStepPrefix) + std::to_string(blankLine) + " ***", k.points}));
    EXPECT_EQ(c.dataLines, k.data);
    EXPECT_EQ(c.result.filesWithErrors, 1u);
  }
}

TEST(BadPairs, CodesOutOfRangeOrNegativeAreSkippedWithTheirValues) {
  // None of these codes is one a reader takes: each pair is skipped whole, so a value "0", a
  // value "POINT" or a value "10" never ends an entity, starts one or sets a coordinate.
  const std::string odd =
      Pairs({"99999", "0", "1071", "POINT", "1072", "9", "5000", "0", "9999", "SEQEND", "10000000", "10",
             "-1", "0", "-5", "POINT", "-3", "ACAD", "99999999999999999999", "0", "+10", "77", "010", "88",
             "-0", "0"});
  const std::string entities =
      Pairs({"0", "POINT", "8", "ODD"}) + odd + Pairs({"10", "5", "20", "6", "30", "7"}) + odd +
      // The same pairs in an entity no reader takes, between the entities the main loop reads.
      Pairs({"0", "HATCH", "8", "H"}) + odd + Point("8", "9", "10", "AFTER") +
      // A polyline reads its pairs on its own; neither its header nor a vertex ends early.
      Pairs({"0", "POLYLINE", "8", "PL", "66", "1", "70", "0"}) + odd +
      Pairs({"0", "VERTEX", "10", "11", "20", "12"}) + odd + Pairs({"0", "VERTEX", "10", "13", "20", "14"}) +
      odd + Pairs({"0", "SEQEND"});
  const auto c = ConvertText(DxfWithEntities(entities), TestConfig(true));
  EXPECT_EQ(c.dataLines, (Lines{"1,5.000,6.000,7.000,POINT/ODD", "2,8.000,9.000,10.000,POINT/AFTER",
                                "3,11.000,12.000,0.000,2DPOLYLINE/PL", "4,13.000,14.000,0.000,2DPOLYLINE/PL"}));
  const Lines body = FileBody(c);
  ASSERT_EQ(body.size(), 12u);
  EXPECT_EQ(body[0], " Points : 2 ");
  EXPECT_EQ(body[6], " 2D Polylines : 1 ");
  EXPECT_EQ(c.result.filesWithErrors, 0u);
}

// ---- Group 70 values that are not 32-bit integers -------------------------------------------

std::string Polyline(std::string_view polylineFlags, std::string_view secondVertexFlags) {
  return Pairs({"0", "POLYLINE", "8", "PL", "66", "1", "70", polylineFlags, "0", "VERTEX", "10", "1", "20", "1",
                "30", "1", "0", "VERTEX", "10", "2", "20", "2", "30", "2", "70", secondVertexFlags, "0",
                "VERTEX", "10", "3", "20", "3", "30", "3", "0", "SEQEND"});
}

TEST_F(BadInputRun, GroupSeventyValuesBeyond32BitsEndThatFileAndTheRunGoesOn) {
  cfg_.EntityMask = EntityBitValue(entity_bit::kPoints) | EntityBitValue(entity_bit::k2DPolylines) |
                    EntityBitValue(entity_bit::k3DPolylines);
  struct Case {
    std::string polylineFlags, vertexFlags, bad;
    Lines kept;  // data lines written before the bad value
  };
  const Lines before = {"1,1.000,2.000,3.000,POINT/P"};
  const Lines withFirstVertex = {"1,1.000,2.000,3.000,POINT/P", "2,1.000,1.000,1.000,2DPOLYLINE/PL"};
  const std::vector<Case> cases = {
      {"99999999999", "0", "99999999999", before},
      {"-99999999999", "0", "-99999999999", before},
      {"2147483648", "0", "2147483648", before},
      {"4294967296", "0", "4294967296", before},  // would be 0 if cut to 32 bits
      {"0", "99999999999", "99999999999", withFirstVertex},
      {"0", "-2147483649", "-2147483649", withFirstVertex},
  };
  std::vector<std::string> paths;
  std::vector<std::string> dxfs;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    dxfs.push_back(DxfWithEntities(Point("1", "2", "3") + Polyline(cases[i].polylineFlags, cases[i].vertexFlags) +
                                   Point("9", "9", "9", "NEVER")));
    paths.push_back(Drawing("p" + std::to_string(i) + ".dxf", dxfs.back()));
  }
  paths.push_back(Good("good.dxf"));
  const RunResult r = Run(paths);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].bad);
    const std::string stem = "p" + std::to_string(i);
    // The error line stands where the summary would, and there is no summary.
    EXPECT_EQ(test::ReportBlock(r, paths[i]),
              (Lines{"Data File : " + Out(stem + ".txt"),
                     "*** Error, group 70 value \"" + cases[i].bad + "\" in line " +
                         std::to_string(LineNumberOf(dxfs[i], cases[i].bad)) + " is not an integer ***"}));
    EXPECT_EQ(DataLines(stem + ".txt"), cases[i].kept);
  }
  EXPECT_EQ(r.filesWithErrors, cases.size());
  EXPECT_TRUE(r.fatalError.empty());
  EXPECT_EQ(DataLines("good.txt"), (Lines{"1,1.000,2.000,3.000,POINT/good.dxf", "2,4.000,5.000,6.000,POINT/good.dxf"}));
  EXPECT_EQ(ReadFile(Unrelated()), kUnrelatedText);
}

TEST(GroupSeventy, NegativeValuesWithin32BitsAreFlagsAndLightweightPolylinesDoNotReadThem) {
  TExportConfig cfg = TestConfig(true);
  cfg.EntityMask = EntityBitValue(entity_bit::k2DPolylines) | EntityBitValue(entity_bit::k3DPolylines);
  // -1 has every bit, the 3D one included; -2147483648 has none of the low ones (a 2D polyline).
  // In a 2D polyline without its added points, -16 carries the frame-point bit and is written,
  // -32 does not and is left out.
  const std::string entities =
      Polyline("-1", "-5") + Polyline("-2147483648", "-16") + Polyline("0", "-32") +
      Pairs({"0", "LWPOLYLINE", "8", "LW", "90", "2", "70", "99999999999", "10", "1", "20", "1", "10", "2", "20",
             "2"});
  const auto c = ConvertText(DxfWithEntities(entities), cfg);
  EXPECT_EQ(c.dataLines, (Lines{// The vertices of a 3D polyline are written when they carry 32 or
                                // bit 16: -5 has bit 16, the others have no group 70.
                                "1,2.000,2.000,2.000,3DPOLYLINE/PL", "2,3.000,3.000,3.000,3DPOLYLINE/PL",
                                "3,1.000,1.000,1.000,2DPOLYLINE/PL", "4,2.000,2.000,2.000,2DPOLYLINE/PL",
                                "5,3.000,3.000,3.000,2DPOLYLINE/PL", "6,1.000,1.000,1.000,2DPOLYLINE/PL",
                                "7,3.000,3.000,3.000,2DPOLYLINE/PL", "8,1.000,1.000,0.000,LWPOLYLINE/LW",
                                "9,2.000,2.000,0.000,LWPOLYLINE/LW"}));
  const Lines body = FileBody(c);
  EXPECT_NE(std::find(body.begin(), body.end(), " 2D Polylines : 3 "), body.end());
  EXPECT_NE(std::find(body.begin(), body.end(), " 3D Polylines : 1 "), body.end());
  EXPECT_EQ(c.result.filesWithErrors, 0u);
}

// ---- Very large entities ------------------------------------------------------------------

std::size_t CountCrLf(std::string_view text) {
  std::size_t n = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n", at + 2)) ++n;
  return n;
}

TEST(LargeEntities, APolylineWithAMillionVerticesIsExportedWhole) {
  std::string entities = Pairs({"0", "POLYLINE", "5", "2B", "8", "BIG", "66", "1", "70", "8"});
  entities.reserve(static_cast<std::size_t>(kManyVertices) * 48 + 256);
  for (int i = 0; i < kManyVertices; ++i) {
    const std::string n = std::to_string(i);
    entities.append("  0\nVERTEX\n 10\n").append(n).append("\n 20\n-").append(n).append("\n 30\n0.5\n 70\n32\n");
  }
  entities += Pairs({"0", "SEQEND"}) + Point("7", "8", "9", "AFTER");
  TExportConfig cfg = TestConfig(true);
  cfg.EntityMask = EntityBitValue(entity_bit::kPoints) | EntityBitValue(entity_bit::k3DPolylines);
  const auto c = ConvertText(DxfWithEntities(entities), cfg);

  const std::string last = std::to_string(kManyVertices - 1);
  ASSERT_EQ(CountCrLf(c.data), static_cast<std::size_t>(kManyVertices) + 1);
  EXPECT_EQ(c.dataLines.front(), "1,0.000,0.000,0.500,3DPOLYLINE/BIG");
  EXPECT_EQ(c.dataLines[c.dataLines.size() - 2],
            std::to_string(kManyVertices) + "," + last + ".000,-" + last + ".000,0.500,3DPOLYLINE/BIG");
  EXPECT_EQ(c.dataLines.back(), std::to_string(kManyVertices + 1) + ",7.000,8.000,9.000,POINT/AFTER");
  EXPECT_EQ(FileBody(c), (Lines{" Points : 1 ", " 3D Polylines : 1 "}));
  EXPECT_EQ(c.result.filesWithErrors, 0u);
}

TEST(LargeEntities, ABlockNameOfTenThousandCharactersIsWrittenWholeWhereSelected) {
  const std::string accepted = "B" + std::string(9998, 'x') + "Z";
  const std::string rejected(10000, 'Q');
  ASSERT_EQ(accepted.size(), 10000u);
  const std::string entities =
      Pairs({"0", "INSERT", "8", "BL", "2", accepted, "10", "1", "20", "2", "30", "3"}) +
      Pairs({"0", "INSERT", "8", "BL", "2", rejected, "10", "4", "20", "5", "30", "6"}) + Point("7", "8", "9");
  TExportConfig cfg = TestConfig(true);
  cfg.EntityMask = EntityBitValue(entity_bit::kPoints) | EntityBitValue(entity_bit::kBlocks);
  for (int k = 0; k < kCustomItemCount; ++k) cfg.CustomChecked[k] = 0;
  cfg.CustomOrder[0] = 0;  // entity type
  cfg.CustomOrder[1] = 3;  // block name
  cfg.CustomChecked[0] = cfg.CustomChecked[1] = 1;

  const std::string acceptedLine = "1,1.000,2.000,3.000,INSERT/" + accepted;
  struct Case {
    std::string patterns;
    Lines data;
    std::string blocks;  // the summary line
  };
  const std::vector<Case> cases = {
      {"", {acceptedLine, "2,4.000,5.000,6.000,INSERT/" + rejected, "3,7.000,8.000,9.000,POINT/"},
       " Blocks : 2 ()"},
      {"*", {acceptedLine, "2,4.000,5.000,6.000,INSERT/" + rejected, "3,7.000,8.000,9.000,POINT/"},
       " Blocks : 2 (*)"},
      {"b*z", {acceptedLine, "2,7.000,8.000,9.000,POINT/"}, " Blocks : 1 (b*z)"},
      {"DOOR,B?*?*X*?Z,*QX", {acceptedLine, "2,7.000,8.000,9.000,POINT/"}, " Blocks : 1 (DOOR,B?*?*X*?Z,*QX)"},
      {"Q*Q,DOOR", {"1,4.000,5.000,6.000,INSERT/" + rejected, "2,7.000,8.000,9.000,POINT/"},
       " Blocks : 1 (Q*Q,DOOR)"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.patterns);
    cfg.BlockNames.assign(k.patterns);
    const auto c = ConvertText(DxfWithEntities(entities), cfg);
    EXPECT_EQ(c.dataLines, k.data);
    EXPECT_EQ(FileBody(c), (Lines{" Points : 1 ", k.blocks}));
  }
}

}  // namespace
}  // namespace corvane
