// Writes a drawing of survey point blocks for bench/survey_blocks.sh: COUNT insertions of block SPT,
// each followed by three attributes (PNT, ELEV, DESC) and a SEQEND, with the groups an AutoCAD
// 2000 file carries (handles, owners, subclass markers), on two layers; and beside it the
// configurations/pnezd-blocks.crv choices with layer GRID left out (survey_blocks.crv).
//
//   make_survey_blocks OUT.dxf COUNT
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "config/crv_file.h"
#include "config/default_config.h"

namespace {

class Writer {
 public:
  explicit Writer(std::FILE* f) : f_(f) {}
  void Pair(int code, const std::string& value) {
    char head[8];
    std::snprintf(head, sizeof head, "%3d\n", code);
    out_ += head;
    out_ += value;
    out_ += '\n';
    if (out_.size() > (1u << 20)) Flush();
  }
  void Flush() {
    std::fwrite(out_.data(), 1, out_.size(), f_);
    out_.clear();
  }

 private:
  std::FILE* f_;
  std::string out_;
};

std::string Hex(unsigned v) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", v);
  return text;
}

std::string Num(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", v);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_survey_blocks OUT.dxf COUNT\n");
    return 2;
  }
  const std::filesystem::path out(argv[1]);
  const long count = std::atol(argv[2]);
  std::FILE* f = std::fopen(out.string().c_str(), "wb");
  if (f == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  Writer w(f);
  w.Pair(0, "SECTION"); w.Pair(2, "HEADER"); w.Pair(9, "$ACADVER"); w.Pair(1, "AC1015");
  w.Pair(0, "ENDSEC");
  w.Pair(0, "SECTION"); w.Pair(2, "ENTITIES");
  unsigned handle = 0x200;
  for (long i = 0; i < count; ++i) {
    const double x = 5000.0 + (i % 1000) * 1.25, y = 7000.0 + (i / 1000) * 1.5, z = 100.0 + (i % 97) * 0.013;
    const std::string layer = i % 10 == 0 ? "GRID" : "SURVEY-PTS";
    const std::string insert = Hex(handle++);
    w.Pair(0, "INSERT"); w.Pair(5, insert); w.Pair(330, "1F"); w.Pair(100, "AcDbEntity"); w.Pair(8, layer);
    w.Pair(100, "AcDbBlockReference"); w.Pair(66, "     1"); w.Pair(2, "SPT");
    w.Pair(10, Num(x)); w.Pair(20, Num(y)); w.Pair(30, Num(z));
    const std::string values[3][2] = {{"PNT", std::to_string(1000 + i)}, {"ELEV", Num(z)},
                                      {"DESC", i % 3 ? "MH" : "TREE OAK"}};
    for (const auto& [tag, value] : values) {
      w.Pair(0, "ATTRIB"); w.Pair(5, Hex(handle++)); w.Pair(330, insert); w.Pair(100, "AcDbEntity");
      w.Pair(8, layer); w.Pair(100, "AcDbText"); w.Pair(10, Num(x + 0.5)); w.Pair(20, Num(y)); w.Pair(30, Num(z));
      w.Pair(40, "0.18"); w.Pair(1, value); w.Pair(100, "AcDbAttribute"); w.Pair(2, tag); w.Pair(70, "     0");
    }
    w.Pair(0, "SEQEND"); w.Pair(5, Hex(handle++)); w.Pair(330, insert); w.Pair(100, "AcDbEntity"); w.Pair(8, layer);
  }
  w.Pair(0, "ENDSEC"); w.Pair(0, "EOF");
  w.Flush();
  std::fclose(f);

  corvane::ConfigWithExtension pnezd = corvane::MakePnezdBlocksConfig();
  pnezd.extension.LayersLeftOut = "GRID";
  const std::string crv = (out.parent_path() / "survey_blocks.crv").string();
  const std::string error = corvane::WriteConfigFile(crv, pnezd.record, pnezd.extension);
  if (!error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  return 0;
}
