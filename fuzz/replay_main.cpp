// The main of a fuzz target in a build without libFuzzer: runs the target once on every file of
// the folders named on the command line (its seed corpus and the findings saved under it), so that
// the normal test run keeps checking them. A missing folder counts as empty; no input at all is a
// failure, since then nothing was checked.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void replay(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "replaying %s (%zu bytes)\n", file.string().c_str(), bytes.size());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

int main(int argc, char** argv)
{
    std::size_t count = 0;
    for (int i = 1; i < argc; ++i) {
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
            replay(file);
        std::printf("%s: %zu inputs\n", argv[i], files.size());
        count += files.size();
    }
    std::printf("%zu inputs replayed\n", count);
    return count > 0 ? 0 : 1;
}
