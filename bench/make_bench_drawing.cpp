// Writes a large DXF drawing with every entity type the converter reads (and some it skips),
// plus "bench_all.crv", a configuration with every entity option and every field ticked.
//
//   make_bench_drawing OUT.dxf SIZE_MB [CRLF]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "config/crv_file.h"
#include "config/default_config.h"

namespace {

class Writer {
 public:
  Writer(std::FILE* f, bool crlf) : f_(f), eol_(crlf ? "\r\n" : "\n") {}
  void Pair(int code, const std::string& value) {
    char code_text[16];
    std::snprintf(code_text, sizeof code_text, "%3d", code);
    text_ += code_text;
    text_ += eol_;
    text_ += value;
    text_ += eol_;
    if (text_.size() > (1u << 20)) Flush();
  }
  void Flush() {
    bytes_ += text_.size();
    std::fwrite(text_.data(), 1, text_.size(), f_);
    text_.clear();
  }
  std::size_t Bytes() const { return bytes_ + text_.size(); }

 private:
  std::FILE* f_;
  const char* eol_;
  std::string text_;
  std::size_t bytes_ = 0;
};

std::string Num(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6f", v);
  return buf;
}

std::string Hex(unsigned v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", v);
  return buf;
}

void Entities(Writer& w, unsigned& handle, unsigned i) {
  const double x = 5000.0 + (i % 1000) * 1.25, y = 8000.0 + (i / 1000) * 0.75, z = 100.0 + (i % 37) * 0.01;
  auto head = [&](const char* type, const char* layer) {
    w.Pair(0, type);
    w.Pair(5, Hex(handle++));
    w.Pair(8, layer);
  };
  head("POINT", "SURVEY");
  w.Pair(10, Num(x)); w.Pair(20, Num(y)); w.Pair(30, Num(z));
  head("LINE", "KERB");
  w.Pair(10, Num(x)); w.Pair(20, Num(y)); w.Pair(30, Num(z));
  w.Pair(11, Num(x + 3)); w.Pair(21, Num(y + 4)); w.Pair(31, Num(z + 0.5));
  head("CIRCLE", "DRAINAGE");
  w.Pair(10, Num(x)); w.Pair(20, Num(y)); w.Pair(30, Num(z)); w.Pair(40, "0.6");
  head("ARC", "KERB");
  w.Pair(10, Num(x)); w.Pair(20, Num(y)); w.Pair(30, Num(z)); w.Pair(40, "8.0");
  w.Pair(50, "0.0"); w.Pair(51, "90.0");
  head("TEXT", "LABELS");
  w.Pair(10, Num(x)); w.Pair(20, Num(y)); w.Pair(30, Num(z)); w.Pair(40, "0.8");
  w.Pair(1, "CP" + std::to_string(i));
  head("INSERT", "TREES");
  w.Pair(2, i % 2 ? "TREE" : "SIGN");
  w.Pair(10, Num(x)); w.Pair(20, Num(y)); w.Pair(30, Num(z));
  head("LWPOLYLINE", "BUILDING");
  w.Pair(90, "4"); w.Pair(70, "1"); w.Pair(38, Num(z));
  for (int k = 0; k < 4; ++k) { w.Pair(10, Num(x + k)); w.Pair(20, Num(y + k % 2)); }
  head("POLYLINE", "BREAKLINE");
  w.Pair(66, "1"); w.Pair(10, "0.0"); w.Pair(20, "0.0"); w.Pair(30, "0.0"); w.Pair(70, "8");
  for (int k = 0; k < 4; ++k) {
    head("VERTEX", "BREAKLINE");
    w.Pair(10, Num(x + k)); w.Pair(20, Num(y - k)); w.Pair(30, Num(z + k * 0.1)); w.Pair(70, "32");
  }
  head("SEQEND", "BREAKLINE");
  head("3DFACE", "TIN");
  for (int k = 0; k < 4; ++k) {
    w.Pair(10 + k, Num(x + k)); w.Pair(20 + k, Num(y + (k > 1))); w.Pair(30 + k, Num(z));
  }
  head("SPLINE", "PATH");
  w.Pair(70, "8"); w.Pair(71, "3"); w.Pair(72, "8"); w.Pair(73, "4"); w.Pair(74, "2");
  for (int k = 0; k < 8; ++k) w.Pair(40, k < 4 ? "0.0" : "1.0");
  for (int k = 0; k < 4; ++k) { w.Pair(10, Num(x + k)); w.Pair(20, Num(y + k)); w.Pair(30, Num(z)); }
  for (int k = 0; k < 2; ++k) { w.Pair(11, Num(x + k)); w.Pair(21, Num(y + k)); w.Pair(31, Num(z)); }
  head("MTEXT", "NOTES");
  w.Pair(10, Num(x)); w.Pair(20, Num(y)); w.Pair(30, Num(z)); w.Pair(1, "Note " + std::to_string(i));
  head("HATCH", "LINE");  // skipped, on a layer named like an entity type
  w.Pair(10, "0.0"); w.Pair(20, "0.0"); w.Pair(30, "0.0"); w.Pair(2, "SOLID");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_bench_drawing OUT.dxf SIZE_MB [CRLF]\n");
    return 2;
  }
  const std::filesystem::path out(argv[1]);
  const std::size_t target = static_cast<std::size_t>(std::atof(argv[2]) * 1e6);
  const bool crlf = argc > 3;
  std::FILE* f = std::fopen(out.string().c_str(), "wb");
  if (f == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  Writer w(f, crlf);
  w.Pair(0, "SECTION"); w.Pair(2, "HEADER"); w.Pair(9, "$ACADVER"); w.Pair(1, "AC1015");
  w.Pair(0, "ENDSEC");
  w.Pair(0, "SECTION"); w.Pair(2, "ENTITIES");
  unsigned handle = 0x100;
  for (unsigned i = 0; w.Bytes() < target; ++i) Entities(w, handle, i);
  w.Pair(0, "ENDSEC"); w.Pair(0, "EOF");
  w.Flush();
  std::fclose(f);

  corvane::TExportConfig all = corvane::MakeDefaultConfig();
  all.EntityMask = corvane::kAllEntityOptions & ~corvane::EntityBitValue(corvane::entity_bit::kThreePointsOnly);
  for (int k = 0; k < corvane::kFieldCount; ++k) all.FieldChecked[k] = 1;
  for (int k = 0; k < corvane::kCustomItemCount; ++k) all.CustomChecked[k] = 1;
  all.IncludeHeader = 1;
  const std::string crv = (out.parent_path() / "bench_all.crv").string();
  const std::string error = corvane::WriteConfigFile(crv, all);
  if (!error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  return 0;
}
