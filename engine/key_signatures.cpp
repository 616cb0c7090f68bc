#include "engine/key_signatures.h"

#include <array>
#include <cstdio>

namespace plinkora {

namespace {

// Minor key signatures carry the transposition of their relative major, so both sound alike.
constexpr std::array<KeySignature, 24> kKeySignatures{{
    {1297, " C Major\t  Alt+C", 'C', 0, "%s    1=C"},
    {1298, " D Major\t  Alt+D", 'D', 2, "%s    1=D"},
    {1299, " E Major\t  Alt+E", 'E', 4, "%s    1=E"},
    {1300, " F Major\t  Alt+F", 'F', 5, "%s    1=F"},
    {1301, " G Major\t  Alt+G", 'G', 7, "%s    1=G"},
    {1302, " A Major\t  Alt+A", 'A', 9, "%s    1=A"},
    {1303, " B Major\t  Alt+B", 'B', -1, "%s    1=B"},
    {1304, "#F Major\t  Alt+H", 'H', 6, "%s    1=#F"},
    {1305, "#C Major\t  Alt+I", 'I', 1, "%s    1=#C"},
    {1312, "bB Major\t  Alt+J", 'J', -2, "%s    1=bB"},
    {1313, "bE Major\t  Alt+K", 'K', 3, "%s    1=bE"},
    {1314, "bA Major\t  Alt+L", 'L', -4, "%s    1=bA"},
    {1315, " c Minor\t  Alt+M", 'M', 3, "%s    6=c"},
    {1316, " d Minor\t  Alt+N", 'N', 5, "%s    6=d"},
    {1317, " e Minor\t  Alt+P", 'P', 7, "%s    6=e"},
    {1318, " f Minor\t  Alt+Q", 'Q', -4, "%s    6=f"},
    {1319, " g Minor\t  Alt+R", 'R', -2, "%s    6=g"},
    {1320, " a Minor\t  Alt+T", 'T', 0, "%s    6=a"},
    {1321, " b Minor\t  Alt+U", 'U', 2, "%s    6=b"},
    {1328, "#f Minor\t  Alt+V", 'V', 9, "%s    6=#f"},
    {1329, "#c Minor\t  Alt+W", 'W', 4, "%s    6=#c"},
    {1330, "#g Minor\t  Alt+X", 'X', -1, "%s    6=#g"},
    {1331, "#d Minor\t  Alt+Y", 'Y', 6, "%s    6=#d"},
    {1332, "#a Minor\t  Alt+Z", 'Z', 1, "%s    6=#a"},
}};

}  // namespace

std::span<const KeySignature> KeySignatures() {
    return kKeySignatures;
}

const KeySignature* FindKeySignature(int32_t id) {
    for (const KeySignature& k : kKeySignatures) {
        if (k.id == id) {
            return &k;
        }
    }
    return nullptr;
}

std::optional<int32_t> Transposition(int32_t keySignature) {
    const KeySignature* k = FindKeySignature(keySignature);
    if (k == nullptr) {
        return std::nullopt;
    }
    return k->transposition;
}

std::optional<int32_t> NoteNumber(int32_t keySignature, int32_t octave, int32_t semitone) {
    std::optional<int32_t> t = Transposition(keySignature);
    if (!t) {
        return std::nullopt;
    }
    return 12 * octave + semitone + *t;
}

std::string KeySignatureLabel(int32_t keySignature, const std::string& instrumentName) {
    const KeySignature* k = FindKeySignature(keySignature);
    if (k == nullptr) {
        return {};
    }
    // The formats carry exactly one %s, so the label is the name plus the format's tail.
    std::string format = k->labelFormat;
    return instrumentName + format.substr(2);
}

}  // namespace plinkora
