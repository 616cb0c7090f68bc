// Plays a few messages to the MIDI mapper, as the program does; midi_capture_test.sh then reads
// what the capture device wrote. Prints what went wrong and ends with 1 on the first fault.
#include <windows.h>
// mmsystem.h needs windows.h first.
#include <mmsystem.h>

#include <cstdio>
#include <cwchar>

namespace {

int opened = 0, done = 0, closed = 0;

void CALLBACK OnMidiOut(HMIDIOUT, UINT message, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    opened += message == MOM_OPEN;
    done += message == MOM_DONE;
    closed += message == MOM_CLOSE;
}

bool Check(bool ok, const char* what) {
    if (!ok)
        std::printf("FAIL: %s\n", what);
    return ok;
}

}  // namespace

int main() {
    MIDIOUTCAPSW caps = {};
    if (!Check(midiOutGetDevCapsW(MIDI_MAPPER, &caps, sizeof caps) == MMSYSERR_NOERROR,
               "the mapper gives its capabilities") ||
        !Check(std::wcscmp(caps.szPname, L"Plinkora test capture") == 0,
               "the mapper is the capture device"))
        return 1;
    HMIDIOUT out = nullptr;
    if (!Check(midiOutOpen(&out, MIDI_MAPPER, reinterpret_cast<DWORD_PTR>(OnMidiOut), 0,
                           CALLBACK_FUNCTION) == MMSYSERR_NOERROR,
               "the mapper opens"))
        return 1;
    char sysex[] = {'\xf0', '\x7e', '\x7f', '\x09', '\x01', '\xf7'};  // General MIDI on
    MIDIHDR header = {};
    header.lpData = sysex;
    header.dwBufferLength = sizeof sysex;
    bool ok = Check(midiOutShortMsg(out, 0x7f3c90) == MMSYSERR_NOERROR, "a note on is sent") &&
              Check(midiOutShortMsg(out, 0x05c0) == MMSYSERR_NOERROR, "a program is sent") &&
              Check(midiOutPrepareHeader(out, &header, sizeof header) == MMSYSERR_NOERROR,
                    "a long message is prepared") &&
              Check(midiOutLongMsg(out, &header, sizeof header) == MMSYSERR_NOERROR,
                    "a long message is sent") &&
              Check((header.dwFlags & MHDR_DONE) != 0, "the long message is done") &&
              Check(midiOutUnprepareHeader(out, &header, sizeof header) == MMSYSERR_NOERROR,
                    "the long message is unprepared") &&
              Check(midiOutReset(out) == MMSYSERR_NOERROR, "the output resets");
    ok = Check(midiOutClose(out) == MMSYSERR_NOERROR, "the mapper closes") && ok;
    ok = Check(opened == 1 && done == 1 && closed == 1,
               "the callback hears of the opening, the long message and the closing") &&
         ok;
    if (!ok)
        std::printf("callbacks: %d opened, %d done, %d closed\n", opened, done, closed);
    return ok ? 0 : 1;
}
