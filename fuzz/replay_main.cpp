// The main of the fuzz targets in a build without libFuzzer: `fuzz_replay TARGET FOLDER...` runs
// that target once on every file of the folders named (its seed corpus and the findings saved
// under it), so that the normal test run keeps checking them. A missing folder counts as empty;
// no input at all is a failure, since then nothing was checked.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

// Each target's LLVMFuzzerTestOneInput, compiled under the name fuzz_<target>.
#define X(name) extern "C" int fuzz_##name(const std::uint8_t* data, std::size_t size);
FUZZ_TARGETS
#undef X

int main(int argc, char** argv)
{
    const struct { std::string_view name; int (*run)(const std::uint8_t*, std::size_t); } targets[] = {
#define X(name) {#name, fuzz_##name},
        FUZZ_TARGETS
#undef X
    };
    const auto chosen = std::find_if(std::begin(targets), std::end(targets), [&](const auto& t) { return argc > 1 && t.name == argv[1]; });
    if (chosen == std::end(targets)) {
        std::fprintf(stderr, "usage: fuzz_replay TARGET FOLDER...\n");
        return 2;
    }
    std::size_t count = 0;
    for (int i = 2; i < argc; ++i) {
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(argv[i])) {
            for (const auto& entry : std::filesystem::directory_iterator(argv[i]))
                if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
                    files.push_back(entry.path());
            std::sort(files.begin(), files.end());
        } else if (std::filesystem::is_regular_file(argv[i])) {
            files.emplace_back(argv[i]);
        }
        for (const auto& file : files) {
            std::ifstream in(file, std::ios::binary);
            const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            std::fprintf(stderr, "replaying %s (%zu bytes)\n", file.string().c_str(), bytes.size());
            chosen->run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        }
        std::printf("%s: %zu inputs\n", argv[i], files.size());
        count += files.size();
    }
    std::printf("%zu inputs replayed\n", count);
    return count > 0 ? 0 : 1;
}
