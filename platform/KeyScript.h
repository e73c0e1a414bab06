// KeyScript: the headless backend's button script, counted in polls of the buttons.
#ifndef TARVO_PLATFORM_KEYSCRIPT_H
#define TARVO_PLATFORM_KEYSCRIPT_H

#include "platform/Platform.h"

#include <cstdint>
#include <string>
#include <vector>

// One step a line: "BUTTONS COUNT", meaning that the next COUNT polls (COUNT from 1) find
// BUTTONS held. BUTTONS is "-" for none, or names joined with "+" from
//     UP DOWN LEFT RIGHT UPLEFT UPRIGHT DOWNLEFT DOWNRIGHT A B X Y L R START SELECT VOLUP
//     VOLDOWN PUSH
// (upper or lower case). The steps hold the buttons as named; readButtons() then folds a lone
// diagonal as on the handheld (platform/Platform.h: UPLEFT alone reads as UP+LEFT; UPLEFT+UP stays
// as it is).
// Blank lines and lines whose first character is '#' are skipped; a line may end in CR LF.
//
// A poll counts once each time the launcher reads the buttons, whatever the pass then does.
// headlessSetScript() (platform/HeadlessControl.h) hands a script to the backend.
class KeyScript {
public:
    struct Step {
        ButtonMask buttons;
        uint64_t count;
    };

    // Replaces the script. On an error the script is left as it was and error says
    // "line N: reason".
    bool parse(const std::string& text, std::string* error);

    // Reads a file; errors say "FILE: reason" or "FILE:N: reason".
    bool load(const std::string& path, std::string* error);

    // The buttons of the next poll; false once every step is used up.
    bool nextPoll(ButtonMask* buttons);

    const std::vector<Step>& steps() const { return steps_; }

    // The mask of one BUTTONS word; false for a word that is not one.
    static bool parseButtons(const std::string& word, ButtonMask* buttons, std::string* why);

private:
    std::vector<Step> steps_;
    std::size_t stepIndex_ = 0;
    uint64_t usedInStep_ = 0;
};

#endif
