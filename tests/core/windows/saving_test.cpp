#include <windows.h>

#include <algorithm>

#include "file_test_support.h"
#include "recording/document.h"
#include "recording/file_input.h"
#include "recording/midi_export.h"

namespace plinkora::testing {
namespace {

namespace fs = std::filesystem;

const EventRecord kPressA{1000, 256, 30u << 16, 0};
const EventList kThree(3, kPressA);

class WindowsSaving : public TempFolderTest {
  protected:
    DocumentResult Save(const std::string& name, const EventList& events = kThree) {
        return SaveDocument(events, 1297, false, Path(name), "2024-03-09");
    }
    std::vector<std::string> SortedEntries() const {
        std::vector<std::string> entries = FolderEntries();
        std::sort(entries.begin(), entries.end());
        return entries;
    }
};

TEST_F(WindowsSaving, NamesReachTheSystemAsTheWideNamesTheyAre) {
    ASSERT_TRUE(Save("曲子 é.plk").Ok());
    ASSERT_TRUE(ExportMidiFile(kThree, 1297, 0, false, Path("曲子 é.mid")).Ok());
    // Listed by the system's own wide call, not through the program's conversions.
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((folder_ / L"*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        if (found.cFileName[0] != L'.') {
            names.emplace_back(found.cFileName);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::wstring>{L"\u66f2\u5b50 \u00e9.mid", L"\u66f2\u5b50 \u00e9.plk"}));

    DocumentContents loaded;
    ASSERT_TRUE(LoadDocument(Path("曲子 é.plk"), loaded).Ok());
    EXPECT_EQ(loaded.events, kThree);
    // Bytes that are no UTF-8 name no file, and make none.
    EXPECT_STREQ(LoadDocument(Path("\xE6\x9B.plk"), loaded).Failure(), kCannotFindOrOpen);
    EXPECT_STREQ(Save("\xE6\x9B.plk").Failure(), kCannotOpenToWrite);
    EXPECT_EQ(SortedEntries(), (std::vector<std::string>{"曲子 é.mid", "曲子 é.plk"}));
}

TEST_F(WindowsSaving, AnExistingFileIsReplacedWhole) {
    WriteBytes(Path("song.plk"), Bytes(5000, 'x'));
    ASSERT_TRUE(Save("song.plk").Ok());
    EXPECT_EQ(ReadBytes(Path("song.plk")).size(), 104u + 3 * 16);
    ASSERT_TRUE(Save("song.plk", EventList(1, kPressA)).Ok());
    EXPECT_EQ(ReadBytes(Path("song.plk")).size(), 104u + 16);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"song.plk"});
}

TEST_F(WindowsSaving, DeviceNamesFoldersAndReadOnlyFilesAreRefusedWithNothingChanged) {
    WriteBytes(Path("kept.plk"), Text("earlier"));
    ASSERT_TRUE(::SetFileAttributesW((folder_ / L"kept.plk").c_str(), FILE_ATTRIBUTE_READONLY));
    fs::create_directory(Path("folder.plk"));
    for (const char* refused :
         {"CON", "nul.plk", "COM1.mid", "Aux .plk", "lpt1", "CONOUT$", "folder.plk", "kept.plk"}) {
        EXPECT_STREQ(Save(refused).Failure(), kCannotOpenToWrite) << refused;
        EXPECT_STREQ(ExportMidiFile(kThree, 1297, 0, false, Path(refused)).Failure(),
                     kCannotOpenToWrite)
            << refused;
    }
    // Reading a device would wait on the console or a port.
    DocumentContents loaded;
    for (const char* device : {"CON", "conin$", "NUL", "COM1"}) {
        EXPECT_STREQ(LoadDocument(Path(device), loaded).Failure(), kCannotFindOrOpen) << device;
        EXPECT_EQ(CreateRegularFile(Path(device)), nullptr) << device;
    }
    EXPECT_EQ(SortedEntries(), (std::vector<std::string>{"folder.plk", "kept.plk"}));
    EXPECT_TRUE(fs::is_directory(Path("folder.plk")));
    EXPECT_TRUE(fs::is_empty(Path("folder.plk")));
    ::SetFileAttributesW((folder_ / L"kept.plk").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(Path("kept.plk")), Text("earlier"));
}

// The folder a test hands to the new process its death test runs in: that process runs the
// test again from the start, with a fixture and a folder of its own.
constexpr wchar_t kHandedFolder[] = L"PLINKORA_TEST_FOLDER";

fs::path HandedFolder() {
    wchar_t folder[MAX_PATH] = {};
    ::GetEnvironmentVariableW(kHandedFolder, folder, MAX_PATH);
    return folder;
}

// However the program ends mid-write (Ctrl+C and a closed console end it through
// ExitProcess, Task Manager through TerminateProcess), the system removes the new file.
TEST_F(WindowsSaving, AProgramEndingMidWriteLeavesTheEarlierFileAndNoTemporary) {
    WriteBytes(Path("song.plk"), Text("earlier"));
    const bool handing = HandedFolder().empty();
    if (handing) {
        ASSERT_TRUE(::SetEnvironmentVariableW(kHandedFolder, folder_.c_str()));
    }
    const auto endMidWrite = [&](bool terminate) {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);  // this process's own, unused
        const std::string target = Utf8FromPath(HandedFolder() / L"song.plk");
        static_cast<void>(WriteFileAtomically(target, [&](FileOutput& out) {
            out.Write("partial", 7);
            out.Flush();
            if (terminate) {
                ::TerminateProcess(::GetCurrentProcess(), 3);
            }
            ::ExitProcess(3);
            return true;
        }));
    };
    for (bool terminate : {false, true}) {
        EXPECT_EXIT(endMidWrite(terminate), ::testing::ExitedWithCode(3), "") << terminate;
        EXPECT_EQ(FolderEntries(), std::vector<std::string>{"song.plk"}) << terminate;
        EXPECT_EQ(ReadBytes(Path("song.plk")), Text("earlier"));
    }
    if (handing) {
        ::SetEnvironmentVariableW(kHandedFolder, nullptr);
    }
}

// A process that has ended, for a name its temporary file could carry.
DWORD EndedProcessId() {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(self) + L"\" --gtest_filter=-*";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(self, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &startup, &process)) {
        return 0;
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);  // the id is free to be taken again only now
    return process.dwProcessId;
}

TEST_F(WindowsSaving, TemporaryFilesOfEndedProcessesGoOnTheNextSaveOfTheirTarget) {
    const DWORD ended = EndedProcessId();
    ASSERT_NE(ended, 0u);
    const std::string mine = ".song.plk.tmp-" + std::to_string(::GetCurrentProcessId()) + "-7-1";
    const std::string abandoned = ".song.plk.tmp-" + std::to_string(ended) + "-0-42";
    for (const std::string& name : {mine, abandoned}) {
        WriteBytes(Path(name), Text("left over"));
    }
    ASSERT_TRUE(Save("song.plk").Ok());
    EXPECT_FALSE(fs::exists(Path(abandoned)));
    EXPECT_TRUE(fs::exists(Path(mine)));  // a running writer's
}

}  // namespace
}  // namespace plinkora::testing
