// Runs a fuzz target once over every file of the folders (or files) named on the command
// line, the way libFuzzer does with -runs=0, so the seed corpora run as plain tests in builds
// without libFuzzer. Options (arguments starting with '-') are libFuzzer's and are ignored.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> inputs_of(const std::filesystem::path& arg) {
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(arg)) {
        for (const auto& entry : std::filesystem::directory_iterator(arg))
            if (entry.is_regular_file()) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
    } else if (std::filesystem::is_regular_file(arg)) {
        files.push_back(arg);
    }
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t runs = 0;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-') continue;
        for (const auto& file : inputs_of(argv[i])) {
            std::ifstream in(file, std::ios::binary);
            std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                            std::istreambuf_iterator<char>()};
            // A zero-length vector may hand out a null pointer; libFuzzer never does.
            bytes.reserve(1);
            std::cout << file.filename().string() << '\n';
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++runs;
        }
    }
    std::cout << runs << " inputs\n";
    // An empty or missing corpus would make the test pass without running anything.
    return runs > 0 ? 0 : 1;
}
