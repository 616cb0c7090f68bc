// Save, load and export of large recordings: time and the memory each operation adds at its
// peak, for 250,000, 500,000 and 1,000,000 events, to show both grow linearly. Then the time
// to refuse a 1 GB file of zeros and one of random bytes, which must not grow with their size.
//   document_bench [MAX_EVENTS]
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "recording/document.h"
#include "recording/midi_export.h"

namespace {

// Kilobytes of a line of /proc/self/status ("VmRSS:", "VmHWM:"); 0 where there is none.
long StatusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::strtol(line.c_str() + field.size(), nullptr, 10);
        }
    }
    return 0;
}

// Lets VmHWM start again from the current resident size (Linux 4.0 and later).
bool ResetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return clear.good();
}

struct Measure {
    double seconds;
    long peakExtraKb;  // negative when the peak could not be measured
};

Measure Run(const std::function<bool()>& operation) {
    malloc_trim(0);  // memory freed by the run before must not hide this one's peak
    const bool peakKnown = ResetPeak();
    const long before = StatusKb("VmRSS:");
    const auto start = std::chrono::steady_clock::now();
    if (!operation()) {
        std::fprintf(stderr, "operation failed\n");
        std::exit(1);
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return {took.count(), peakKnown ? StatusKb("VmHWM:") - before : -1};
}

// Writes size bytes of zeros (sparse, where the file system allows) or of random bytes.
bool MakeJunkFile(const std::string& path, uint64_t size, bool randomBytes) {
    std::ofstream out(path, std::ios::binary);
    if (!randomBytes) {
        out.close();
        return truncate(path.c_str(), static_cast<off_t>(size)) == 0;
    }
    std::mt19937_64 random(11);
    std::vector<uint64_t> block(1 << 17);  // 1 MB
    for (uint64_t written = 0; written < size && out; written += block.size() * 8) {
        for (uint64_t& word : block) {
            word = random();
        }
        out.write(reinterpret_cast<const char*>(block.data()),
                  static_cast<std::streamsize>(block.size() * 8));
    }
    return static_cast<bool>(out);
}

void ReportRefusal(const char* what, const std::string& path) {
    const char* message = nullptr;
    const Measure m = Run([&] {
        plinkora::DocumentContents loaded;
        message = plinkora::LoadDocument(path, loaded).Failure();
        return message != nullptr;
    });
    std::printf("refuse  1 GB of %-7s %8.3f ms  peak +%6.1f MB  \"%s\"\n", what, m.seconds * 1000,
                m.peakExtraKb / 1024.0, message);
}

void Report(const char* what, size_t count, const Measure& m) {
    std::printf("%-7s %8zu events: %8.1f ms  %6.1f ns/event  peak +%6.1f MB\n", what, count,
                m.seconds * 1000, m.seconds * 1e9 / count, m.peakExtraKb / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    const size_t most = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("plinkora-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string document = (folder / "bench.plk").string();
    const std::string midi = (folder / "bench.mid").string();

    std::mt19937 random(7);
    for (size_t count : {most / 4, most / 2, most}) {
        plinkora::EventList events;
        events.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            const uint32_t key = 2 + random() % 52;
            events.push_back({static_cast<uint32_t>(random() % 400),
                              256u + static_cast<uint32_t>(i % 2), key << 16,
                              static_cast<int32_t>(random() % 3) - 1});
        }
        Report("save", count,
               Run([&] { return plinkora::SaveDocument(events, 1297, true, document).Ok(); }));
        Report("load", count, Run([&] {
                   plinkora::DocumentContents loaded;
                   return plinkora::LoadDocument(document, loaded).Ok() &&
                          loaded.events.size() == count;
               }));
        Report("export", count,
               Run([&] { return plinkora::ExportMidiFile(events, 1297, 0, true, midi).Ok(); }));
        std::printf("        document %.1f MB, MIDI file %.1f MB\n",
                    std::filesystem::file_size(document) / 1048576.0,
                    std::filesystem::file_size(midi) / 1048576.0);
    }
    const std::string junk = (folder / "junk.plk").string();
    constexpr uint64_t kGigabyte = uint64_t{1} << 30;
    for (const bool randomBytes : {false, true}) {
        if (!MakeJunkFile(junk, kGigabyte, randomBytes)) {
            std::fprintf(stderr, "could not make a 1 GB file in %s\n", folder.c_str());
            break;
        }
        ReportRefusal(randomBytes ? "random" : "zeros", junk);
        std::filesystem::remove(junk);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
