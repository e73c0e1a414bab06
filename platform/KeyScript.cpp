// Reading and playing the poll-counted button script.
#include "platform/KeyScript.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace {

struct ButtonName {
    const char* name;
    ButtonMask bit;
};

const ButtonName buttonNames[] = {
    {"UP", BUTTON_UP},
    {"DOWN", BUTTON_DOWN},
    {"LEFT", BUTTON_LEFT},
    {"RIGHT", BUTTON_RIGHT},
    {"UPLEFT", BUTTON_UP_LEFT},
    {"UPRIGHT", BUTTON_UP_RIGHT},
    {"DOWNLEFT", BUTTON_DOWN_LEFT},
    {"DOWNRIGHT", BUTTON_DOWN_RIGHT},
    {"A", BUTTON_A},
    {"B", BUTTON_B},
    {"X", BUTTON_X},
    {"Y", BUTTON_Y},
    {"L", BUTTON_L},
    {"R", BUTTON_R},
    {"START", BUTTON_START},
    {"SELECT", BUTTON_SELECT},
    {"VOLUP", BUTTON_VOLUME_UP},
    {"VOLDOWN", BUTTON_VOLUME_DOWN},
    {"PUSH", BUTTON_STICK_PUSH},
};

bool parseCount(const std::string& text, uint64_t* count)
{
    if (text.empty() || text.size() > 18)
        return false;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value == 0)
        return false;
    *count = value;
    return true;
}

} // namespace

bool KeyScript::parseButtons(const std::string& word, ButtonMask* buttons, std::string* why)
{
    if (word == "-") {
        *buttons = 0;
        return true;
    }
    ButtonMask mask = 0;
    std::size_t start = 0;
    for (;;) {
        std::size_t plus = word.find('+', start);
        std::string name =
            word.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        for (char& c : name)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        ButtonMask bit = 0;
        for (const ButtonName& candidate : buttonNames) {
            if (name == candidate.name)
                bit = candidate.bit;
        }
        if (bit == 0) {
            *why = name.empty() ? "empty button name in \"" + word + "\""
                                : "unknown button \"" + name + "\"";
            return false;
        }
        mask |= bit;
        if (plus == std::string::npos)
            break;
        start = plus + 1;
    }
    *buttons = mask;
    return true;
}

bool KeyScript::parse(const std::string& text, std::string* error)
{
    std::vector<Step> steps;
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        auto fail = [&](const std::string& reason) {
            *error = "line " + std::to_string(lineNumber) + ": " + reason;
            return false;
        };
        std::istringstream words(line);
        std::string buttonsWord, countWord, extra;
        if (!(words >> buttonsWord) || buttonsWord[0] == '#')
            continue;
        if (!(words >> countWord))
            return fail("expected BUTTONS COUNT, found no count");
        if (words >> extra)
            return fail("unexpected \"" + extra + "\" after the count");
        Step step = {0, 0};
        std::string why;
        if (!parseButtons(buttonsWord, &step.buttons, &why))
            return fail(why);
        if (!parseCount(countWord, &step.count))
            return fail("bad count \"" + countWord + "\" (a whole number from 1)");
        steps.push_back(step);
    }
    steps_.swap(steps);
    stepIndex_ = 0;
    usedInStep_ = 0;
    return true;
}

bool KeyScript::load(const std::string& path, std::string* error)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    std::string text;
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, got);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        *error = path + ": read error";
        return false;
    }
    if (text.find('\0') != std::string::npos) {
        *error = path + ": not a text file";
        return false;
    }
    std::string why;
    if (!parse(text, &why)) {
        // "line N: reason" becomes "FILE:N: reason".
        *error = path + ":" + why.substr(5);
        return false;
    }
    return true;
}

bool KeyScript::nextPoll(ButtonMask* buttons)
{
    while (stepIndex_ < steps_.size() && usedInStep_ >= steps_[stepIndex_].count) {
        ++stepIndex_;
        usedInStep_ = 0;
    }
    if (stepIndex_ >= steps_.size())
        return false;
    ++usedInStep_;
    *buttons = steps_[stepIndex_].buttons;
    return true;
}
