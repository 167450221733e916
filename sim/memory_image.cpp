#include "sim/memory_image.h"


namespace tq::sim {

namespace {

struct FolderEntry {
    const char* name;
    std::uint8_t firstFile;
    std::uint8_t fileCount;
};

struct FileEntry {
    const char* name;
    std::uint8_t folder;
    std::uint16_t address;  // 0: on the USB key only, not in memory
    std::uint8_t courses;
};

constexpr FolderEntry kFolders[] = {
    {"GIACCHE   ", 0, 2},
    {"MAGLIONI  ", 2, 2},
    {"CAMPIONI  ", 4, 1},
};

constexpr const char* kKnitName = "DAVANTI 01";

// Parameter numbers: 7 Scollo +1, 8 Scollo -1, 11 Rientro 1, 12 Rientro -1, 15 Calato 1,
// 16 Calato 2, 17 Aumentazione, 18 Segnacentro, 19-21 Rigato 1-3, 27 P1, 28 P2, 52 Fine.
const std::vector<std::vector<std::uint8_t>> kCourses = {
    {27}, {28}, {19}, {19}, {20}, {20}, {18}, {},     {15},    {},
    {16}, {17}, {7, 21}, {8, 21}, {11}, {12}, {52},
};

const FileEntry kFiles[] = {
    {"GIACCA 01 ", 0, 0, 120},
    {"GIACCA 02 ", 0, 0, 96},
    {kKnitName, 1, kKnitData, static_cast<std::uint8_t>(kCourses.size())},
    {"DIETRO 01 ", 1, 0, 88},
    {"PROVA     ", 2, 0, 12},
};

void put(Memory& memory, std::size_t& at, std::uint8_t value) { memory[at++] = value; }

void putText(Memory& memory, std::size_t& at, const char* text)
{
    for (const char* c = text; *c; ++c)
        put(memory, at, static_cast<std::uint8_t>(*c));
}

}  // namespace

Memory factoryMemory()
{
    Memory memory(kMemorySize, 0xFF);

    std::size_t at = kFolderSection;
    put(memory, at, std::size(kFolders));
    for (const FolderEntry& f : kFolders) {
        putText(memory, at, f.name);
        put(memory, at, f.firstFile);
        put(memory, at, f.fileCount);
    }

    at = kFileList;
    put(memory, at, std::size(kFiles));
    for (const FileEntry& f : kFiles) {
        putText(memory, at, f.name);
        put(memory, at, f.folder);
        put(memory, at, static_cast<std::uint8_t>(f.address >> 8));
        put(memory, at, static_cast<std::uint8_t>(f.address & 0xFF));
        put(memory, at, f.courses);
    }

    at = kKnitData;
    putText(memory, at, kKnitName);
    put(memory, at, static_cast<std::uint8_t>(kCourses.size()));
    for (const auto& course : kCourses) {
        put(memory, at, static_cast<std::uint8_t>(course.size()));
        for (std::uint8_t command : course)
            put(memory, at, command);
    }
    return memory;
}

Knit loadedKnit(const Memory& memory)
{
    constexpr std::size_t kNameLength = 10;
    Knit knit;
    std::size_t at = kKnitData;
    knit.name.assign(memory.begin() + at, memory.begin() + at + kNameLength);
    at += kNameLength;
    const int courseCount = memory[at++];
    for (int c = 0; c < courseCount && at < memory.size(); ++c) {
        const std::size_t commands = memory[at++];
        if (at + commands > memory.size())
            break;
        knit.courses.emplace_back(memory.begin() + at, memory.begin() + at + commands);
        at += commands;
    }
    return knit;
}

}  // namespace tq::sim
