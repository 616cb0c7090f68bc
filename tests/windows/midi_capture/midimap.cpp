// A MIDI output that exists only in the tests: under Wine, copied into a prefix's system32 as
// midimap.dll and loaded with WINEDLLOVERRIDES=midimap=n, it takes the place of the MIDI mapper,
// so midiOutOpen(MIDI_MAPPER) opens it. It writes each message it is sent to a file, one line
// each, in hex:
//   "90 3c 7f"   a short message, as many bytes as its status byte says it has
//   "f0 .. f7"   a long (system exclusive) message
//   "reset"      midiOutReset
// While "<capture file>.unplugged" exists it acts as a device that was pulled out.
// The file is named, as a Windows path in UTF-8, by midimap-capture.txt in the system folder
// (scripts/wine-midi-capture.sh writes it). Each line is appended and handed to the system at
// once, so a test reads it while the program runs. Wine does not count the mapper, so
// midiOutGetNumDevs() stays 0.
#include <windows.h>
// The multimedia headers need windows.h first.
#include <mmddk.h>
#include <mmsystem.h>

#include <cstdio>

// Exported by winmm, declared in no MinGW header.
extern "C" BOOL WINAPI DriverCallback(DWORD_PTR callback, DWORD flags, HDRVR device, DWORD message,
                                      DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2);

namespace {

// The capture file as midimap-capture.txt in the system folder names it; false where it names
// none. Read from there, not from beside the DLL, as Wine may load a copy from elsewhere (the
// program's own folder comes first).
bool ReadCapturePath(wchar_t* path, DWORD capacity) {
    const wchar_t name[] = L"\\midimap-capture.txt";
    wchar_t settings[MAX_PATH];
    UINT length = GetSystemDirectoryW(settings, MAX_PATH);
    if (length == 0 || length + sizeof name / sizeof name[0] > MAX_PATH)
        return false;
    wcscpy(settings + length, name);
    HANDLE file = CreateFileW(settings, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char utf8[4 * MAX_PATH];
    DWORD read = 0;
    BOOL ok = ReadFile(file, utf8, sizeof utf8 - 1, &read, nullptr);
    CloseHandle(file);
    if (!ok)
        return false;
    while (read > 0 && (utf8[read - 1] == '\n' || utf8[read - 1] == '\r'))
        --read;
    int written = MultiByteToWideChar(CP_UTF8, 0, utf8, static_cast<int>(read), path,
                                      static_cast<int>(capacity) - 1);
    path[written] = L'\0';
    return written > 0;
}

void AppendLine(const char* line) {
    wchar_t path[4 * MAX_PATH];
    if (!ReadCapturePath(path, 4 * MAX_PATH))
        return;
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
    FlushFileBuffers(file);
    CloseHandle(file);
}

// A test pulls the device out by making "<capture file>.unplugged": it then refuses openings
// and messages as a driver whose hardware went away does, until the file goes again.
bool Unplugged() {
    wchar_t path[4 * MAX_PATH + 16];
    if (!ReadCapturePath(path, 4 * MAX_PATH))
        return false;
    wcscat(path, L".unplugged");
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

// How many bytes a short message whose first byte is `status` has. A data byte first is a
// message under running status: its two data bytes are shown.
int ShortMessageLength(BYTE status) {
    if (status < 0x80)
        return 2;
    if (status < 0xC0 || (status >= 0xE0 && status < 0xF0) || status == 0xF2)
        return 3;
    if (status < 0xE0 || status == 0xF1 || status == 0xF3)
        return 2;
    return 1;
}

void WriteBytes(const BYTE* bytes, DWORD count) {
    // Longer messages than this are cut; the tests send a few bytes.
    char line[3 * 256 + 2];
    DWORD shown = count < 256 ? count : 256;
    char* end = line;
    for (DWORD i = 0; i < shown; ++i) {
        end += std::snprintf(end, 4, i == 0 ? "%02x" : " %02x", bytes[i]);
    }
    *end++ = '\n';
    *end = '\0';
    AppendLine(line);
}

void WriteShortMessage(DWORD_PTR message) {
    BYTE bytes[3] = {static_cast<BYTE>(message), static_cast<BYTE>(message >> 8),
                     static_cast<BYTE>(message >> 16)};
    WriteBytes(bytes, ShortMessageLength(bytes[0]));
}

// What an opening asked for: where to report, and how.
struct Client {
    MIDIOPENDESC description;
    DWORD callbackFlags;
};

void Notify(const Client* client, UINT message, DWORD_PTR param) {
    DriverCallback(client->description.dwCallback, client->callbackFlags,
                   reinterpret_cast<HDRVR>(client->description.hMidi), message,
                   client->description.dwInstance, param, 0);
}

DWORD FillCaps(MIDIOUTCAPSW* caps, DWORD_PTR size) {
    if (caps == nullptr)
        return MMSYSERR_INVALPARAM;
    MIDIOUTCAPSW full = {};
    full.wMid = 0xFF;  // not a registered manufacturer
    full.wPid = 1;
    full.vDriverVersion = 0x0100;
    wcscpy(full.szPname, L"Plinkora test capture");
    full.wTechnology = MOD_MAPPER;
    full.wChannelMask = 0xFFFF;
    memcpy(caps, &full, size < sizeof full ? size : sizeof full);
    return MMSYSERR_NOERROR;
}

DWORD Open(DWORD_PTR* instance, const MIDIOPENDESC* description, DWORD_PTR flags) {
    if (instance == nullptr || description == nullptr)
        return MMSYSERR_INVALPARAM;
    auto* client = static_cast<Client*>(HeapAlloc(GetProcessHeap(), 0, sizeof(Client)));
    if (client == nullptr)
        return MMSYSERR_NOMEM;
    client->description = *description;
    client->callbackFlags = HIWORD(flags & CALLBACK_TYPEMASK);
    *instance = reinterpret_cast<DWORD_PTR>(client);
    Notify(client, MOM_OPEN, 0);
    return MMSYSERR_NOERROR;
}

DWORD Close(Client* client) {
    Notify(client, MOM_CLOSE, 0);
    HeapFree(GetProcessHeap(), 0, client);
    return MMSYSERR_NOERROR;
}

// Wine's winmm leaves preparing a header to the driver.
DWORD Prepare(MIDIHDR* header, bool prepared) {
    if (header == nullptr)
        return MMSYSERR_INVALPARAM;
    if (prepared) {
        header->dwFlags = (header->dwFlags | MHDR_PREPARED) & ~MHDR_DONE;
    } else {
        header->dwFlags &= ~MHDR_PREPARED;
    }
    return MMSYSERR_NOERROR;
}

DWORD SendLong(Client* client, MIDIHDR* header) {
    if (header == nullptr || !(header->dwFlags & MHDR_PREPARED))
        return MIDIERR_UNPREPARED;
    WriteBytes(reinterpret_cast<const BYTE*>(header->lpData), header->dwBufferLength);
    header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
    Notify(client, MOM_DONE, reinterpret_cast<DWORD_PTR>(header));
    return MMSYSERR_NOERROR;
}

}  // namespace

extern "C" LRESULT WINAPI DriverProc(DWORD_PTR id, HDRVR driver, UINT message, LPARAM param1,
                                     LPARAM param2) {
    switch (message) {
        case DRV_LOAD:
        case DRV_FREE:
        case DRV_OPEN:
        case DRV_CLOSE:
        case DRV_ENABLE:
        case DRV_DISABLE:
            return 1;
        default:
            return DefDriverProc(id, driver, message, param1, param2);
    }
}

extern "C" DWORD WINAPI modMessage(UINT, UINT message, DWORD_PTR user, DWORD_PTR param1,
                                   DWORD_PTR param2) {
    auto* client = reinterpret_cast<Client*>(user);
    switch (message) {
        case MODM_GETNUMDEVS:
            return 1;
        case MODM_GETDEVCAPS:
            return FillCaps(reinterpret_cast<MIDIOUTCAPSW*>(param1), param2);
        case MODM_OPEN:
            if (Unplugged())
                return MMSYSERR_NODRIVER;
            return Open(reinterpret_cast<DWORD_PTR*>(user),
                        reinterpret_cast<const MIDIOPENDESC*>(param1), param2);
        case MODM_CLOSE:
            return Close(client);
        case MODM_DATA:
            if (Unplugged())
                return MMSYSERR_NODRIVER;
            WriteShortMessage(param1);
            return MMSYSERR_NOERROR;
        case MODM_PREPARE:
            return Prepare(reinterpret_cast<MIDIHDR*>(param1), true);
        case MODM_UNPREPARE:
            return Prepare(reinterpret_cast<MIDIHDR*>(param1), false);
        case MODM_LONGDATA:
            return SendLong(client, reinterpret_cast<MIDIHDR*>(param1));
        case MODM_RESET:
            AppendLine("reset\n");
            return MMSYSERR_NOERROR;
        default:
            return MMSYSERR_NOTSUPPORTED;
    }
}
