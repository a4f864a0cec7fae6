// tools/bench/file_engine_bench.cpp: times the scan and the copies of the file engine on a
// tree, for comparison with find and cp (see file_engine_bench.sh). Not a test.
//
//   file_engine_bench <source-folder> <destination-folder> <extension-list>
#include <chrono>
#include <cstdio>
#include <string>

#include "files/copy_planner.h"
#include "files/folder_scan.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: file_engine_bench <source> <destination> <extensions>\n", stderr);
        return 2;
    }
    const std::string list = std::string(",") + argv[3] + ",";
    auto start = std::chrono::steady_clock::now();
    tessel::FoundFileList found;
    tessel::ScanFolder(argv[1], list, found);
    std::printf("scan: %zu files, %llu bytes, %.3f s\n", found.Count(),
                static_cast<unsigned long long>(found.totalBytes), Seconds(start));
    start = std::chrono::steady_clock::now();
    std::size_t saved = 0;
    for (const auto& path : found.paths)
        saved +=
            tessel::CopyFoundFile(path, argv[2], tessel::DuplicateMode::Numbered).Saved() ? 1 : 0;
    std::printf("copy: %zu saved, %.3f s\n", saved, Seconds(start));
    return 0;
}
