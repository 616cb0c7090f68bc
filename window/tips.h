#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The tip of the day without its window: the two files, the division into tips and the rules
// of the tip box. Plain C++, so it is tested without a display.
namespace plinkora {

inline constexpr std::size_t kTipsFileLimit = 100000;  // a tips file this long is refused
inline constexpr std::size_t kTipTooLong = 1000;       // a tip this long closes the box
inline constexpr const char* kTipsLogName = "tips.log";
inline constexpr const char* kTipsTextName = "tips.txt";

struct TipState {
    int32_t showTipsAtStartup = 0;
    int32_t nextTipIndex = 0;
    std::string tipsText;  // the tips file up to its first NUL byte
};

// Reads the tips and the log. A missing log is created with "show at start-up" and the first
// tip; false when there are no tips to show for this run.
[[nodiscard]] bool LoadTips(TipState& state, const std::string& logName,
                            const std::string& tipsName);

// Writes the 8-byte log (two little-endian 32-bit numbers); true when all 8 bytes were written.
[[nodiscard]] bool SaveTipState(const TipState& state, const std::string& logName);

// Tips are divided by a blank line, in either convention: CR LF CR LF as written on Windows,
// LF LF by a Linux editor (or the two mixed). Every separator ends one tip, so there is always
// at least one tip, possibly empty.
int CountTips(std::string_view text);
std::string_view TipAt(std::string_view text, int index);  // empty for an index out of range

// The non-negative remainder, so that any stored index names a real tip.
int WrapTipIndex(int64_t index, int tipCount);

// The tip box's rules. Each step that shows a tip returns it; nullopt means the box closes.
class TipBoxRules {
  public:
    TipBoxRules(TipState& state, std::string logName);

    std::optional<std::string_view> Open();
    std::optional<std::string_view> NextTip();  // changes memory only
    void ToggleShowAtStartup();                 // changes memory only
    void Close();                               // moves past the tip on screen and saves

    bool ShowAtStartup() const { return state_.showTipsAtStartup != 0; }
    int TipCount() const { return tipCount_; }

  private:
    std::optional<std::string_view> ShowCurrent();

    TipState& state_;
    std::string logName_;
    int tipCount_ = 1;
};

}  // namespace plinkora
