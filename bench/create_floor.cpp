// The file system's own cost of a folder of small outputs: creating COUNT new files of BYTES
// bytes each in one folder, on THREADS threads, and nothing else. No converter writing one file
// per drawing into that folder can go below it, with any number of jobs: it shows how much of
// the speed-up over many small drawings the file system leaves to be had.
//
//   create_floor FOLDER COUNT BYTES THREADS     (prints the seconds taken)
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: create_floor FOLDER COUNT BYTES THREADS\n");
    return 2;
  }
  const std::string folder = argv[1];
  const long count = std::atol(argv[2]);
  const std::vector<char> bytes(static_cast<std::size_t>(std::atol(argv[3])), 'x');
  const long threads = std::atol(argv[4]);
  if (count < 1 || threads < 1) {
    std::fprintf(stderr, "create_floor: COUNT and THREADS must be at least 1\n");
    return 2;
  }
  std::vector<std::string> names;
  names.reserve(static_cast<std::size_t>(count));
  for (long i = 0; i < count; ++i) names.push_back(folder + "/f" + std::to_string(i) + ".txt");

  std::atomic<bool> failed{false};
  const auto start = std::chrono::steady_clock::now();
  auto create = [&](long first) {
    for (long i = first; i < count; i += threads) {
      std::FILE* f = std::fopen(names[static_cast<std::size_t>(i)].c_str(), "wb");
      if (f == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) failed = true;
      if (f != nullptr && std::fclose(f) != 0) failed = true;
    }
  };
  std::vector<std::thread> helpers;
  for (long t = 1; t < threads; ++t) helpers.emplace_back(create, t);
  create(0);
  for (auto& t : helpers) t.join();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (failed) {
    std::fprintf(stderr, "create_floor: could not create every file in %s\n", folder.c_str());
    return 1;
  }
  std::printf("%.4f\n", seconds);
  return 0;
}
