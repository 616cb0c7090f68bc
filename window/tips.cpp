#include "window/tips.h"

#include <array>
#include <cstdio>
#include <memory>

#include "recording/file_input.h"

namespace plinkora {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Reads at most limit bytes; nullopt when the file cannot be opened or a read fails.
std::optional<std::string> ReadAtMost(const std::string& name, std::size_t limit) {
    File file(OpenRegularFile(name));
    if (!file) {
        return std::nullopt;
    }
    std::string bytes(limit, '\0');
    std::size_t got = std::fread(bytes.data(), 1, limit, file.get());
    if (std::ferror(file.get())) {
        return std::nullopt;
    }
    bytes.resize(got);
    return bytes;
}

int32_t LittleEndianAt(const std::string& bytes, std::size_t offset) {
    uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= uint32_t(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    }
    return static_cast<int32_t>(value);
}

void PutLittleEndian(std::array<unsigned char, 8>& bytes, std::size_t offset, int32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<unsigned char>(uint32_t(value) >> (8 * i));
    }
}

struct Separator {
    std::size_t begin;  // npos when there is none
    std::size_t end;
};

// The first blank line from `from` on: a line break (CR LF or LF) right after another. In a
// file of CR LF line breaks that is exactly the first CR LF CR LF.
Separator FindSeparator(std::string_view text, std::size_t from) {
    for (std::size_t lf = text.find('\n', from); lf != std::string_view::npos;
         lf = text.find('\n', lf + 1)) {
        const std::string_view after = text.substr(lf + 1);
        const std::size_t second = after.starts_with("\r\n") ? 2 : after.starts_with('\n') ? 1 : 0;
        if (second != 0) {
            const std::size_t begin = lf > from && text[lf - 1] == '\r' ? lf - 1 : lf;
            return {begin, lf + 1 + second};
        }
    }
    return {std::string_view::npos, std::string_view::npos};
}

}  // namespace

bool LoadTips(TipState& state, const std::string& logName, const std::string& tipsName) {
    // Reading up to the limit is enough: a file that fills it is refused.
    std::optional<std::string> text = ReadAtMost(tipsName, kTipsFileLimit);
    if (!text || text->size() >= kTipsFileLimit) {
        return false;
    }
    state.tipsText = text->substr(0, text->find('\0'));

    std::optional<std::string> log = ReadAtMost(logName, 8);
    if (!log) {
        state.showTipsAtStartup = 1;
        state.nextTipIndex = 0;
        return SaveTipState(state, logName);
    }
    // A log cut short keeps the first-start values for the fields it lacks.
    state.showTipsAtStartup = log->size() >= 4 ? LittleEndianAt(*log, 0) : 1;
    state.nextTipIndex = log->size() >= 8 ? LittleEndianAt(*log, 4) : 0;
    return true;
}

bool SaveTipState(const TipState& state, const std::string& logName) {
    File file(CreateRegularFile(logName));
    if (!file) {
        return false;
    }
    std::array<unsigned char, 8> bytes{};
    PutLittleEndian(bytes, 0, state.showTipsAtStartup);
    PutLittleEndian(bytes, 4, state.nextTipIndex);
    std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file.get());
    // The bytes may still sit in the stream's buffer: only a clean close means they landed.
    return std::fclose(file.release()) == 0 && written == bytes.size();
}

int CountTips(std::string_view text) {
    int count = 1;
    for (Separator at = FindSeparator(text, 0); at.begin != std::string_view::npos;
         at = FindSeparator(text, at.end)) {
        ++count;
    }
    return count;
}

std::string_view TipAt(std::string_view text, int index) {
    if (index < 0) {
        return {};
    }
    std::size_t begin = 0;
    for (int k = 0; k < index; ++k) {
        const Separator at = FindSeparator(text, begin);
        if (at.begin == std::string_view::npos) {
            return {};
        }
        begin = at.end;
    }
    const std::size_t end = FindSeparator(text, begin).begin;
    return text.substr(begin, end == std::string_view::npos ? text.npos : end - begin);
}

int WrapTipIndex(int64_t index, int tipCount) {
    int64_t remainder = index % tipCount;
    return static_cast<int>(remainder < 0 ? remainder + tipCount : remainder);
}

TipBoxRules::TipBoxRules(TipState& state, std::string logName)
    : state_(state), logName_(std::move(logName)) {}

std::optional<std::string_view> TipBoxRules::Open() {
    tipCount_ = CountTips(state_.tipsText);
    state_.nextTipIndex = WrapTipIndex(state_.nextTipIndex, tipCount_);
    return ShowCurrent();
}

std::optional<std::string_view> TipBoxRules::NextTip() {
    state_.nextTipIndex = WrapTipIndex(int64_t(state_.nextTipIndex) + 1, tipCount_);
    return ShowCurrent();
}

void TipBoxRules::ToggleShowAtStartup() {
    state_.showTipsAtStartup = state_.showTipsAtStartup != 0 ? 0 : 1;
}

void TipBoxRules::Close() {
    state_.nextTipIndex = WrapTipIndex(int64_t(state_.nextTipIndex) + 1, tipCount_);
    // A log that cannot be written only loses the place.
    static_cast<void>(SaveTipState(state_, logName_));
}

std::optional<std::string_view> TipBoxRules::ShowCurrent() {
    std::string_view tip = TipAt(state_.tipsText, state_.nextTipIndex);
    if (tip.size() >= kTipTooLong) {
        // The box closes as if closed by hand, so the next opening moves on instead of
        // meeting the same tip and closing again at every start.
        Close();
        return std::nullopt;
    }
    return tip;
}

}  // namespace plinkora
