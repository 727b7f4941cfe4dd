// Replays files through the fuzz target: every regular file of each folder
// given on the command line. A crash ends the process, which fails the test.
// Folders after --cuts are also checked cut at every byte (cut_check.cpp).
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
int CheckCuts(const char* name, const std::vector<uint8_t>& file);

int main(int argc, char** argv) {
    int files = 0, failures = 0;
    bool cuts = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--cuts") {
            cuts = true;
            continue;
        }
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(argv[i], ec)) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            std::printf("%s\n", entry.path().filename().string().c_str());
            std::fflush(stdout);
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            if (cuts) failures += CheckCuts(entry.path().filename().string().c_str(), bytes);
            ++files;
        }
    }
    std::printf("%d files replayed, %d failures of cut files\n", files, failures);
    return files > 0 && failures == 0 ? 0 : 1;
}
