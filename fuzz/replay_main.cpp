// The main of the fuzz targets in a build without libFuzzer: `fuzz_replay TARGET FOLDER...` runs
// that target once on every file of the folders named (its seed corpus and the findings saved
// under it), so that the normal test run keeps checking them. A missing folder counts as empty;
// no input at all is a failure, since then nothing was checked.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

using Target = int (*)(const std::uint8_t* data, std::size_t size);

// Each target's LLVMFuzzerTestOneInput, compiled under the name fuzz_<target>.
#define X(name) extern "C" int fuzz_##name(const std::uint8_t* data, std::size_t size);
FUZZ_TARGETS
#undef X

namespace {

const struct {
    const char* name;
    Target run;
} kTargets[] = {
#define X(name) {#name, fuzz_##name},
    FUZZ_TARGETS
#undef X
};

void replay(Target target, const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "replaying %s (%zu bytes)\n", file.string().c_str(), bytes.size());
    target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

int main(int argc, char** argv)
{
    const auto chosen = std::find_if(std::begin(kTargets), std::end(kTargets),
                                     [&](const auto& t) { return argc > 1 && std::strcmp(t.name, argv[1]) == 0; });
    if (chosen == std::end(kTargets)) {
        std::fprintf(stderr, "usage: fuzz_replay TARGET FOLDER...\n");
        return 2;
    }
    std::size_t count = 0;
    for (int i = 2; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path))
                if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
                    files.push_back(entry.path());
            std::sort(files.begin(), files.end());
        } else if (std::filesystem::is_regular_file(path)) {
            files.push_back(path);
        }
        for (const auto& file : files)
            replay(chosen->run, file);
        std::printf("%s: %zu inputs\n", argv[i], files.size());
        count += files.size();
    }
    std::printf("%zu inputs replayed\n", count);
    return count > 0 ? 0 : 1;
}
