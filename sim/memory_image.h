#pragma once
// The controller's data memory: 32 KiB holding the folder section, the file list and the knitting
// data of the knit loaded for production. Unused cells read 0xFF, as erased flash does.

#include <cstdint>
#include <string>
#include <vector>

namespace tq::sim {

constexpr int kMemorySize = 0x8000;  // addresses stay within a signed 16-bit number
constexpr std::uint16_t kFolderSection = 0x0001;
constexpr std::uint16_t kFileList = 0x1000;
constexpr std::uint16_t kKnitData = 0x2000;

using Memory = std::vector<std::uint8_t>;

// The loaded knit: for every course the commands it issues, as parameter numbers 5..54 (the
// parameter that assigns the command to an output).
struct Knit {
    std::string name;
    std::vector<std::vector<std::uint8_t>> courses;
};

// Folder section at 0x0001: folder count, then per folder a 10-character name, the index of its
// first file and its file count. File list at 0x1000: file count, then per file a 10-character
// name, its folder, the address of its data (high, low) and its course count. Knitting data at
// 0x2000: the knit's 10-character name, its course count, then per course the number of commands
// followed by the commands.
Memory factoryMemory();

// Reads the knitting data at 0x2000; a course list that runs past the memory ends there.
Knit loadedKnit(const Memory& memory);

}  // namespace tq::sim
